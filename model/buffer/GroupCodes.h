// GroupCodes.h - the DXF group codes that the model and the list logic depend on.
//
// Conditions name a group code by its meaning, never by its number; every code that
// some scan tests lives here, once.
#pragma once

#include <array>    // std::array
#include <cstdint>  // std::uint8_t

// Codes of every record.
constexpr int kRecordStartCode = 0;  // record type: SECTION, LAYER, LINE, ...
constexpr int kAcadVerCode = 1;      // the value of $ACADVER
constexpr int kNameCode = 2;         // table entry, block or section name
constexpr int kSecondNameCode = 3;   // second name of a BLOCK; dictionary entry name
constexpr int kHandleCode = 5;
constexpr int kLinetypeCode = 6;
constexpr int kLayerCode = 8;
constexpr int kVariableCode = 9;  // a header variable's name
constexpr int kScaleCode = 40;    // $LTSCALE, $CELTSCALE; a linetype's pattern length

/// Tells whether a pair with this code starts a record for the remarks: an object's type
/// (0) or a header variable's name (9).
constexpr bool IsRecordStartCode(int code) {
  return code == kRecordStartCode || code == kVariableCode;
}

// Colours and symbol-table fields.
constexpr int kColorCode = 62;  // ACI colour number; negative for a layer that is off
constexpr int kFlagsCode = 70;  // flags; the entry count of a table head
constexpr int kLineWeightCode = 370;
constexpr int kTrueColorCode = 420;  // R * 65536 + G * 256 + B
constexpr int kColorBookCode = 430;  // colour-book colour name

// Objects.
constexpr int kGroupDescriptionCode = 300;
constexpr int kGroupMemberCode = 340;  // a member handle of a GROUP
constexpr int kDictEntryCode = 350;    // the handle of a dictionary entry

// Handles and the pointers that name them.
constexpr int kDimstyleHandleCode = 105;  // a DIMSTYLE record keeps its handle here

/// Tells whether a pair with this code holds its record's own handle: code 5, or also 105
/// in a DIMSTYLE record.
constexpr bool IsRecordHandleCode(int code, bool dimstyle) {
  return code == kHandleCode || (dimstyle && code == kDimstyleHandleCode);
}

/// Tells whether a pair with this code points at a record by its handle: the owner and
/// the soft and hard pointers and owners (330-369), the handles of 390-399 and 480-481.
constexpr bool IsPointerCode(int code) {
  return (code >= 330 && code <= 369) || (code >= 390 && code <= 399) ||
         (code >= 480 && code <= 481);
}

/// Tells whether a pair with this code holds a handle, as a pointer or as the record's own:
/// codes 5 and 105, the arbitrary handles 320-329, the pointers, and 1005 in extended data.
constexpr bool IsHandleValueCode(int code) {
  return code == kHandleCode || code == kDimstyleHandleCode || (code >= 320 && code <= 329) ||
         IsPointerCode(code) || code == 1005;
}

// Numbers.

/// The kind of number a group code holds, by the DXF reference.
enum class NumberKind : std::uint8_t { None, Real, Int16, Int32, Int64 };

constexpr int kLastNumericCode = 1071;

/// Returns the number kinds of codes 0 to kLastNumericCode, built once from the ranges.
/// Performance: a table look-up per pair instead of a search through the ranges.
constexpr std::array<NumberKind, kLastNumericCode + 1> NumberKindTable() {
  struct Range {
    int first, last;
    NumberKind kind;
  };
  // 290-299 are booleans, written as the integers 0 and 1.
  constexpr Range kRanges[] = {
      {10, 59, NumberKind::Real},      {60, 79, NumberKind::Int16},
      {90, 99, NumberKind::Int32},     {110, 149, NumberKind::Real},
      {160, 169, NumberKind::Int64},   {170, 179, NumberKind::Int16},
      {210, 239, NumberKind::Real},    {270, 299, NumberKind::Int16},
      {370, 389, NumberKind::Int16},   {400, 409, NumberKind::Int16},
      {420, 429, NumberKind::Int32},   {440, 459, NumberKind::Int32},
      {460, 469, NumberKind::Real},    {1010, 1059, NumberKind::Real},
      {1060, 1070, NumberKind::Int16}, {1071, 1071, NumberKind::Int32},
  };
  std::array<NumberKind, kLastNumericCode + 1> table{};
  for (const Range& r : kRanges)
    for (int code = r.first; code <= r.last; ++code) table[static_cast<std::size_t>(code)] = r.kind;
  return table;
}

inline constexpr std::array<NumberKind, kLastNumericCode + 1> kNumberKinds = NumberKindTable();

/// Returns the kind of number a pair with this code holds; None for a code of no number.
constexpr NumberKind NumberKindOf(int code) {
  if (code < 0 || code > kLastNumericCode) return NumberKind::None;
  return kNumberKinds[static_cast<std::size_t>(code)];
}
