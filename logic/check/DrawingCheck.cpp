// DrawingCheck.cpp - the check of a drawing's structure.
//
// The handle problems come from the index; the rest from one walk over the pairs up to
// the EOF pair, which follows the nesting of sections, tables and blocks by the record
// types and tests the values of pointer and number codes.
#include "logic/check/DrawingCheck.h"

#include <algorithm>  // std::stable_sort, std::min
#include <cstdint>    // std::uint64_t

#include "model/buffer/GroupCodes.h"
#include "model/buffer/GroupValues.h"
#include "model/buffer/RecordWalk.h"
#include "model/text/DocumentText.h"
#include "model/text/MyStringLib.h"
#include "model/text/Sjis.h"

std::string_view CheckKindName(CheckKind kind) {
  switch (kind) {
    case CheckKind::DuplicateHandle:
      return "duplicate-handle";
    case CheckKind::DanglingPointer:
      return "dangling-pointer";
    case CheckKind::HandleAboveSeed:
      return "handle-above-seed";
    case CheckKind::UnclosedSection:
      return "unclosed-section";
    case CheckKind::UnclosedTable:
      return "unclosed-table";
    case CheckKind::UnclosedBlock:
      return "unclosed-block";
    case CheckKind::OutsideSection:
      return "outside-section";
    case CheckKind::BadNumber:
      return "bad-number";
  }
  return {};
}

namespace {

// ------------------------------------------------------------------ texts

// The texts, converted to CP932 once.
struct Texts {
  std::string duplicate = Sjis("ハンドル %s は %lld 行のレコードと重複しています");
  std::string dangling = Sjis("参照先のハンドル %s がありません");
  std::string notHandle = Sjis("参照先 '%s' はハンドルではありません");
  std::string aboveSeed = Sjis("ハンドル %s が $HANDSEED（%s）以上です");
  std::string unclosedSection = Sjis("SECTION %s に ENDSEC がありません");
  std::string unclosedTable = Sjis("TABLE %s に ENDTAB がありません");
  std::string unclosedBlock = Sjis("BLOCK %s に ENDBLK がありません");
  std::string outside = Sjis("レコード %s がセクションの外にあります");
  std::string notInteger = Sjis("グループコード %d の値 '%s' は整数値ではありません");
  std::string notReal = Sjis("グループコード %d の値 '%s' は浮動小数点数ではありません");
};

const Texts& CheckTexts() {
  static const Texts texts;
  return texts;
}

// The name a SECTION, TABLE or BLOCK record gives itself (its code-2 value), trimmed.
std::string NameOf(const TDXFBuffer& b, int record) {
  const int name = FindInRecord(b, record, kNameCode);
  return name < 0 ? std::string() : Trim(b.ValueView(name));
}

// ------------------------------------------------------------------ the walk

class Checker {
 public:
  Checker(const TDXFBuffer& b, const HandleIndex& handles) : m_b(b), m_handles(handles) {}

  std::vector<CheckProblem> Run() {
    CheckHandles();
    const int last = std::min(m_b.EofIndex, m_b.PairCount - 1);
    for (int i = 0; i <= last; ++i) CheckPair(i);
    CloseAll();
    std::stable_sort(m_problems.begin(), m_problems.end(),
                     [](const CheckProblem& x, const CheckProblem& y) { return x.pair < y.pair; });
    return std::move(m_problems);
  }

 private:
  void Add(int pair, CheckKind kind, std::string text) {
    m_problems.push_back({pair, kind, std::move(text)});
  }

  void CheckHandles() {
    const std::vector<HandleOwner>& owners = m_handles.Entries();
    std::uint64_t seed = 0;
    const bool hasSeed =
        m_b.HandSeedIndex > 0 && ParseHandle(m_b.ValueView(m_b.HandSeedIndex), seed);
    for (std::size_t k = 0; k < owners.size(); ++k) {
      const HandleOwner& owner = owners[k];
      const std::string handle = HandleText(owner.handle);
      if (k > 0 && owners[k - 1].handle == owner.handle) {
        const int first = m_handles.Owner(owner.handle);
        Add(owner.record, CheckKind::DuplicateHandle,
            Format(CheckTexts().duplicate.c_str(), handle.c_str(), LineOfPair(first)));
      }
      if (hasSeed && owner.handle >= seed)
        Add(owner.record, CheckKind::HandleAboveSeed,
            Format(CheckTexts().aboveSeed.c_str(), handle.c_str(), HandleText(seed).c_str()));
    }
  }

  void CheckPair(int i) {
    const int code = m_b.GetCode(i);
    if (code == kRecordStartCode) return CheckRecord(i);
    if (IsPointerCode(code)) return CheckPointer(i);
    const GroupValueType type = ValueTypeOfCode(code);
    if (!IsNumberType(type)) return;
    const std::string_view value = TrimView(m_b.ValueView(i));
    if (ReadsAsNumberOfCode(code, value)) return;
    const std::string& format =
        type == GroupValueType::Real ? CheckTexts().notReal : CheckTexts().notInteger;
    Add(i, CheckKind::BadNumber, Format(format.c_str(), code, ProgramText(m_b, value).c_str()));
  }

  void CheckPointer(int i) {
    std::uint64_t handle = 0;
    switch (PointerStateOf(m_b, m_handles, i, handle)) {
      case PointerState::NotPointer:
      case PointerState::Null:
      case PointerState::Owned:
        return;
      case PointerState::Dangling:
        return Add(i, CheckKind::DanglingPointer,
                   Format(CheckTexts().dangling.c_str(), HandleText(handle).c_str()));
      case PointerState::NotHandle:
        return Add(i, CheckKind::DanglingPointer,
                   Format(CheckTexts().notHandle.c_str(),
                          ProgramText(m_b, TrimView(m_b.ValueView(i))).c_str()));
    }
  }

  // Follows the nesting: a SECTION, TABLE or BLOCK stays open until its closer, and is
  // reported when the next opener of its level, its section's end or the EOF comes first.
  void CheckRecord(int i) {
    const std::string_view type = TrimView(m_b.ValueView(i));
    if (type == "SECTION" || type == "EOF") {
      CloseAll();
      if (type == "SECTION") m_section = i;
    } else if (m_section < 0) {
      Add(i, CheckKind::OutsideSection,
          Format(CheckTexts().outside.c_str(), ProgramText(m_b, type).c_str()));
    } else if (type == "ENDSEC") {
      CloseInner();
      m_section = -1;
    } else if (type == "TABLE") {
      Close(m_table, CheckKind::UnclosedTable, CheckTexts().unclosedTable);
      m_table = i;
    } else if (type == "ENDTAB") {
      m_table = -1;
    } else if (type == "BLOCK") {
      Close(m_block, CheckKind::UnclosedBlock, CheckTexts().unclosedBlock);
      m_block = i;
    } else if (type == "ENDBLK") {
      m_block = -1;
    }
  }

  // Reports an opener that is still open and forgets it.
  void Close(int& opener, CheckKind kind, const std::string& format) {
    if (opener < 0) return;
    Add(opener, kind, Format(format.c_str(), ProgramText(m_b, NameOf(m_b, opener)).c_str()));
    opener = -1;
  }

  // Reports the table and the block still open in the section.
  void CloseInner() {
    Close(m_table, CheckKind::UnclosedTable, CheckTexts().unclosedTable);
    Close(m_block, CheckKind::UnclosedBlock, CheckTexts().unclosedBlock);
  }

  void CloseAll() {
    CloseInner();
    Close(m_section, CheckKind::UnclosedSection, CheckTexts().unclosedSection);
  }

  const TDXFBuffer& m_b;
  const HandleIndex& m_handles;
  std::vector<CheckProblem> m_problems;
  int m_section = -1;  // the open SECTION, TABLE and BLOCK records, -1 for none
  int m_table = -1;
  int m_block = -1;
};

}  // namespace

std::vector<CheckProblem> CheckDrawing(const TDXFBuffer& b, const HandleIndex& handles) {
  return Checker(b, handles).Run();
}
