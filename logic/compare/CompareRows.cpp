// CompareRows.cpp - the rows of the compare list.
#include "logic/compare/CompareRows.h"

#include <algorithm>  // std::sort, std::unique

#include "model/buffer/HandleIndex.h"  // HandleText, RecordTypeOf
#include "model/buffer/RecordWalk.h"   // LineOfPair
#include "model/text/DocumentText.h"   // ProgramText
#include "model/text/Sjis.h"

std::string CompareColumnCaption(CompareColumn column) {
  switch (column) {
    case CompareColumn::Kind:
      return Sjis("区分");
    case CompareColumn::Type:
      return Sjis("種類");
    case CompareColumn::Key:
      return Sjis("ハンドル／名前");
    case CompareColumn::Line:
      return Sjis("行");
    case CompareColumn::OtherLine:
      return Sjis("比較先の行");
    case CompareColumn::Pairs:
      return Sjis("相違");
  }
  return {};
}

std::string ChangeKindText(ChangeKind kind) {
  switch (kind) {
    case ChangeKind::Changed:
      return Sjis("変更");
    case ChangeKind::Removed:
      return Sjis("削除");
    case ChangeKind::Added:
      return Sjis("追加");
  }
  return {};
}

std::string SectionText(RecordSection section) {
  switch (section) {
    case RecordSection::Header:
      return "HEADER";
    case RecordSection::Classes:
      return "CLASSES";
    case RecordSection::Tables:
      return "TABLES";
    case RecordSection::Blocks:
      return "BLOCKS";
    case RecordSection::Entities:
      return "ENTITIES";
    case RecordSection::Objects:
      return "OBJECTS";
    case RecordSection::Other:
      return Sjis("その他");
  }
  return {};
}

CompareRows::CompareRows(const TDXFBuffer& here, const TDXFBuffer& there, DrawingDifference diff)
    : m_here(here), m_there(there), m_diff(std::move(diff)) {
  Filter({});
}

void CompareRows::Filter(const CompareFilter& filter) {
  m_rows.clear();
  for (std::size_t k = 0; k < m_diff.records.size(); ++k) {
    const RecordChange& c = m_diff.records[k];
    if (filter.kind && c.kind != *filter.kind) continue;
    if (filter.section && c.section != *filter.section) continue;
    if (!filter.type.empty() && TypeText(c) != filter.type) continue;
    m_rows.push_back(static_cast<int>(k));
  }
}

const RecordChange& CompareRows::Change(int row) const {
  return m_diff.records[static_cast<std::size_t>(m_rows[static_cast<std::size_t>(row)])];
}

const TDXFBuffer& CompareRows::Holder(const RecordChange& change) const {
  return change.here >= 0 ? m_here : m_there;
}

std::string CompareRows::TypeText(const RecordChange& change) const {
  const TDXFBuffer& b = Holder(change);
  return ProgramText(b, RecordTypeOf(b, change.here >= 0 ? change.here : change.there));
}

std::string CompareRows::KeyText(const RecordChange& change) const {
  if (change.key == RecordKey::Handle) return HandleText(change.handle);
  if (change.key != RecordKey::Name || change.namePair < 0) return {};
  const TDXFBuffer& b = Holder(change);
  return ProgramText(b, b.ValueView(change.namePair));
}

std::string CompareRows::PairText(const PairChange& pair) const {
  static const std::string kNone = Sjis("（なし）"), kArrow = Sjis(" → ");
  const int code = pair.here >= 0 ? m_here.GetCode(pair.here) : m_there.GetCode(pair.there);
  const auto value = [](const TDXFBuffer& b, int i) {
    return i < 0 ? kNone : ProgramText(b, b.ValueView(i));
  };
  return std::to_string(code) + ": " + value(m_here, pair.here) + kArrow +
         value(m_there, pair.there);
}

std::string CompareRows::PairsJoined(const RecordChange& change,
                                     const std::string& separator) const {
  std::string text;
  for (const PairChange& pair : m_diff.PairsOf(change)) {
    if (!text.empty()) text += separator;
    text += PairText(pair);
  }
  return text;
}

std::string CompareRows::Cell(int row, CompareColumn column) const {
  const RecordChange& c = Change(row);
  const auto line = [](int pair) {
    return pair < 0 ? std::string() : std::to_string(LineOfPair(pair));
  };
  switch (column) {
    case CompareColumn::Kind:
      return ChangeKindText(c.kind);
    case CompareColumn::Type:
      return TypeText(c);
    case CompareColumn::Key:
      return KeyText(c);
    case CompareColumn::Line:
      return line(c.here);
    case CompareColumn::OtherLine:
      return line(c.there);
    case CompareColumn::Pairs:
      return PairsJoined(c, "; ");
  }
  return {};
}

std::string CompareRows::PairLines(int row) const {
  return PairsJoined(Change(row), "\n");
}

std::vector<std::string> CompareRows::Types() const {
  std::vector<std::string> types;
  for (const RecordChange& c : m_diff.records) types.push_back(TypeText(c));
  std::sort(types.begin(), types.end());
  types.erase(std::unique(types.begin(), types.end()), types.end());
  return types;
}

std::vector<int> CompareRows::KindCounts() const {
  std::vector<int> counts(3, 0);
  for (const RecordChange& c : m_diff.records) ++counts[static_cast<std::size_t>(c.kind)];
  return counts;
}
