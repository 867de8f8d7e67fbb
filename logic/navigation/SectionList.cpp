// SectionList.cpp - the section list: entries, jump targets and the entry under the cursor.
#include "logic/navigation/SectionList.h"

#include <algorithm>  // std::find

#include "model/buffer/GroupCodes.h"
#include "model/text/MyStringLib.h"

namespace {

constexpr std::string_view kSectionPrefix = "+-";
constexpr std::string_view kChildPrefix = "| +-";

const DXFSectionField* FindSection(std::string_view name) {
  for (const DXFSectionField& s : kDXFSections)
    if (name == s.name) return &s;
  return nullptr;
}

const DXFTableField* FindTable(std::string_view shortName) {
  for (const DXFTableField& t : kDXFTables)
    if (shortName == t.shortName) return &t;
  return nullptr;
}

std::string Entry(std::string_view prefix, std::string_view name) {
  return std::string(prefix) + std::string(name);
}

}  // namespace

// A start index of 0 stands both for an absent section and for one that opens the file,
// so the pairs there tell them apart.
static bool IsSectionPresent(const TDXFBuffer& b, const DXFSectionField& s) {
  const int start = b.*s.start;
  if (start > 0) return true;
  return b.IsValidIndex(start + 1) && b.GetCode(start) == kRecordStartCode &&
         TrimView(b.ValueView(start)) == "SECTION" && TrimView(b.ValueView(start + 1)) == s.name;
}

// Without an EOF pair EofIndex names the last pair in use.
static bool HasEofPair(const TDXFBuffer& b) {
  return b.IsValidIndex(b.EofIndex) && b.GetCode(b.EofIndex) == kRecordStartCode &&
         TrimView(b.ValueView(b.EofIndex)) == "EOF";
}

std::vector<std::string> SectionEntries(const TDXFBuffer& b) {
  std::vector<std::string> entries;
  const auto addSection = [&](const DXFSectionField& s) {
    if (IsSectionPresent(b, s)) entries.push_back(Entry(kSectionPrefix, s.name));
  };
  addSection(kDXFSections[0]);  // HEADER
  if (b.HandSeedIndex > 0) entries.push_back(Entry(kChildPrefix, "HANDSEED"));
  if (b.CLayerIndex > 0) entries.push_back(Entry(kChildPrefix, "CLAYER"));
  addSection(kDXFSections[1]);  // CLASSES
  addSection(kDXFSections[2]);  // TABLES
  for (const DXFTableField& t : kDXFTables)
    if (b.*t.index > 0) entries.push_back(Entry(kChildPrefix, t.shortName));
  for (const DXFSectionField& s : {kDXFSections[3], kDXFSections[4], kDXFSections[5]})
    addSection(s);
  if (HasEofPair(b)) entries.push_back(Entry(kSectionPrefix, "EOF"));
  return entries;
}

std::string SectionEntryName(std::string_view entry) {
  const std::size_t at = entry.find(kSectionPrefix);
  return std::string(at == std::string_view::npos ? entry : entry.substr(at + 2));
}

int SectionTarget(const TDXFBuffer& b, std::string_view name) {
  if (name == "HEADER") return b.HeaderStart;
  // Both indices point at the variable's value pair; the pair before it names it.
  if (name == "HANDSEED") return b.HandSeedIndex - 1;
  if (name == "CLAYER") return b.CLayerIndex - 1;
  if (name == "EOF") return b.EofIndex;
  if (const DXFSectionField* s = FindSection(name)) return b.*s->start;
  if (const DXFTableField* t = FindTable(name)) return b.*t->index;
  return 0;
}

// Later tests override earlier ones, so a pair inside a table of TABLES names the table.
// A pair outside every section is named HEADER.
std::string SectionNameAt(const TDXFBuffer& b, int index) {
  std::string name = "HEADER";
  for (const DXFSectionField& s : kDXFSections) {
    if (index < b.*s.start || index > b.*s.end || !IsSectionPresent(b, s)) continue;
    name = s.name;
    if (s.start != &TDXFBuffer::TablesStart) continue;
    for (const DXFTableField& t : kDXFTables)
      if (b.*t.index > 0 && b.*t.index <= index) name = t.shortName;
  }
  if (index >= b.EofIndex && HasEofPair(b)) name = "EOF";
  return name;
}

int SectionEntryRow(const std::vector<std::string>& entries, std::string_view name) {
  for (std::string_view prefix : {kSectionPrefix, kChildPrefix}) {
    const auto found = std::find(entries.begin(), entries.end(), Entry(prefix, name));
    if (found != entries.end()) return static_cast<int>(found - entries.begin());
  }
  return 0;
}
