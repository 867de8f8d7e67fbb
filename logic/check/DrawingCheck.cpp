// DrawingCheck.cpp - the check of a drawing's structure.
//
// The handle problems come from the index; the rest from one walk over the pairs up to
// the EOF pair, which follows the nesting of sections, tables and blocks by the record
// types and tests the values of pointer and number codes. Performance: the number test
// only scans the characters, it converts nothing.
#include "logic/check/DrawingCheck.h"

#include <algorithm>  // std::stable_sort, std::min
#include <array>      // std::array
#include <cstdint>    // std::uint64_t, INT16_MIN, INT32_MIN, INT64_MIN, UINT16_MAX, UINT32_MAX

#include "model/buffer/GroupCodes.h"
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

// ------------------------------------------------------------------ numbers

// The kind of number a group code holds, by the DXF reference.
enum class NumberKind { None, Real, Int16, Int32, Int64 };

// The kinds by code, from 0 to the last numeric code, built once from the ranges.
// Performance: a table look-up per pair instead of a search through the ranges.
constexpr int kLastNumericCode = 1071;

std::array<NumberKind, kLastNumericCode + 1> NumberKindTable() {
  struct Range {
    int first, last;
    NumberKind kind;
  };
  static constexpr Range kRanges[] = {
      {10, 59, NumberKind::Real},      {60, 79, NumberKind::Int16},
      {90, 99, NumberKind::Int32},     {140, 147, NumberKind::Real},
      {160, 169, NumberKind::Int64},   {170, 179, NumberKind::Int16},
      {270, 289, NumberKind::Int16},   {370, 389, NumberKind::Int16},
      {400, 409, NumberKind::Int16},   {420, 429, NumberKind::Int32},
      {440, 459, NumberKind::Int32},   {1010, 1059, NumberKind::Real},
      {1060, 1070, NumberKind::Int16}, {1071, 1071, NumberKind::Int32},
  };
  std::array<NumberKind, kLastNumericCode + 1> table{};
  for (const Range& r : kRanges)
    for (int code = r.first; code <= r.last; ++code) table[static_cast<std::size_t>(code)] = r.kind;
  return table;
}

NumberKind NumberKindOf(int code) {
  static const std::array<NumberKind, kLastNumericCode + 1> kTable = NumberKindTable();
  if (code < 0 || code > kLastNumericCode) return NumberKind::None;
  return kTable[static_cast<std::size_t>(code)];
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Skips a run of digits from `at`; returns how many there were.
std::size_t SkipDigits(std::string_view s, std::size_t& at) {
  const std::size_t from = at;
  while (at < s.size() && IsDigit(s[at])) ++at;
  return at - from;
}

// Tells whether s is a decimal real: a sign, digits with at most one point (at least one
// digit), and an exponent. Infinities and NaNs are no DXF numbers.
bool IsReal(std::string_view s) {
  std::size_t at = 0;
  if (at < s.size() && (s[at] == '+' || s[at] == '-')) ++at;
  std::size_t digits = SkipDigits(s, at);
  if (at < s.size() && s[at] == '.') {
    ++at;
    digits += SkipDigits(s, at);
  }
  if (digits == 0) return false;
  if (at < s.size() && (s[at] == 'e' || s[at] == 'E')) {
    ++at;
    if (at < s.size() && (s[at] == '+' || s[at] == '-')) ++at;
    if (SkipDigits(s, at) == 0) return false;
  }
  return at == s.size();
}

// Tells whether s is a decimal integer within [low, high].
bool IsInteger(std::string_view s, long double low, long double high) {
  std::size_t at = 0;
  const bool negative = at < s.size() && s[at] == '-';
  if (at < s.size() && (s[at] == '+' || s[at] == '-')) ++at;
  const std::size_t first = at;
  constexpr std::size_t kMaxDigits = 20;  // beyond any 64-bit number
  if (SkipDigits(s, at) == 0 || at != s.size() || at - first > kMaxDigits) return false;
  long double value = 0;
  for (std::size_t k = first; k < at; ++k) value = value * 10 + (s[k] - '0');
  if (negative) value = -value;
  return value >= low && value <= high;
}

// Tells whether a trimmed value reads as a number of the kind. A 16- or 32-bit field
// takes signed and unsigned values alike, as AutoCAD writes some flags unsigned.
bool ReadsAs(NumberKind kind, std::string_view value) {
  switch (kind) {
    case NumberKind::None:
      return true;
    case NumberKind::Real:
      return IsReal(value);
    case NumberKind::Int16:
      return IsInteger(value, INT16_MIN, UINT16_MAX);
    case NumberKind::Int32:
      return IsInteger(value, INT32_MIN, UINT32_MAX);
    case NumberKind::Int64:
      return IsInteger(value, static_cast<long double>(INT64_MIN),
                       static_cast<long double>(INT64_MAX));
  }
  return true;
}

}  // namespace

bool ReadsAsNumberOfCode(int code, std::string_view trimmed) {
  return ReadsAs(NumberKindOf(code), trimmed);
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
    const NumberKind kind = NumberKindOf(code);
    if (kind == NumberKind::None) return;
    const std::string_view value = TrimView(m_b.ValueView(i));
    if (ReadsAs(kind, value)) return;
    const std::string& format =
        kind == NumberKind::Real ? CheckTexts().notReal : CheckTexts().notInteger;
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
