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
constexpr int kTextStyleCode = 7;
constexpr int kLayerCode = 8;
constexpr int kVariableCode = 9;  // a header variable's name
constexpr int kScaleCode = 40;    // $LTSCALE, $CELTSCALE; a linetype's pattern length

/// Tells whether a pair with this code starts a record for the remarks: an object's type
/// (0) or a header variable's name (9).
constexpr bool IsRecordStartCode(int code) {
  return code == kRecordStartCode || code == kVariableCode;
}

// Colours and symbol-table fields.
constexpr int kColorCode = 62;             // ACI colour number; negative for a layer that is off
constexpr int kFlagsCode = 70;             // flags; the entry count of a table head
constexpr int kHeadPointerCountCode = 71;  // the DIMSTYLE table head: how many entries it
                                           // names (340)
constexpr int kLineWeightCode = 370;
constexpr int kTrueColorCode = 420;  // R * 65536 + G * 256 + B
constexpr int kColorBookCode = 430;  // colour-book colour name

// Objects.
constexpr int kControlGroupCode = 102;  // "{NAME" opens an application's group, "}" closes it
constexpr int kGroupDescriptionCode = 300;
constexpr int kGroupMemberCode = 340;  // a member handle of a GROUP
constexpr int kDictEntryCode = 350;    // the handle of a dictionary entry

// Handles and the pointers that name them.
constexpr int kDimstyleHandleCode = 105;        // a DIMSTYLE record keeps its handle here
constexpr int kOwnerCode = 330;                 // outside a 102 group: the record's owner
constexpr int kHardPointerCode = 340;           // e.g. a BLOCK_RECORD's layout, the DIMSTYLE
                                                // table head's entries
constexpr int kFirstArbitraryHandleCode = 320;  // the lowest code whose value is a handle
                                                // of another record

// Extended data.
constexpr int kXdataAppCode = 1001;    // the registered application the data that follows is of
constexpr int kXdataLayerCode = 1003;  // a layer name

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

// ------------------------------------------------------------------ value types

/// What a group code's value is, by the DXF reference's table of group-code value types:
/// it decides how a binary DXF file stores the value and which text reads as it.
enum class GroupValueType : std::uint8_t {
  String,  // any text; also handles and every code the table does not name
  Real,    // a double: points, distances, angles, scales
  Int16,
  Int32,
  Int64,
  Bool,   // a flag of 0 or 1, one byte in a binary file (290-299)
  Chunk,  // binary data, written as hexadecimal in a text file (310-319, 1004)
};

namespace group_codes_detail {
constexpr int kLastTypedCode = 1071;

constexpr std::array<GroupValueType, kLastTypedCode + 1> MakeValueTypes() {
  struct Range {
    int first, last;
    GroupValueType type;
  };
  constexpr Range kRanges[] = {
      {10, 59, GroupValueType::Real},      {60, 79, GroupValueType::Int16},
      {90, 99, GroupValueType::Int32},     {110, 149, GroupValueType::Real},
      {160, 169, GroupValueType::Int64},   {170, 179, GroupValueType::Int16},
      {210, 239, GroupValueType::Real},    {270, 289, GroupValueType::Int16},
      {290, 299, GroupValueType::Bool},    {310, 319, GroupValueType::Chunk},
      {370, 389, GroupValueType::Int16},   {400, 409, GroupValueType::Int16},
      {420, 429, GroupValueType::Int32},   {440, 459, GroupValueType::Int32},
      {460, 469, GroupValueType::Real},    {1004, 1004, GroupValueType::Chunk},
      {1010, 1059, GroupValueType::Real},  {1060, 1070, GroupValueType::Int16},
      {1071, 1071, GroupValueType::Int32},
  };
  std::array<GroupValueType, kLastTypedCode + 1> table{};
  for (const Range& r : kRanges)
    for (int code = r.first; code <= r.last; ++code) table[static_cast<std::size_t>(code)] = r.type;
  return table;
}

// Performance: one look-up per pair, for the check's walk and a binary load alike.
inline constexpr std::array<GroupValueType, kLastTypedCode + 1> kValueTypes = MakeValueTypes();
}  // namespace group_codes_detail

/// The type of the values of a group code; String for a code the table does not name.
constexpr GroupValueType ValueTypeOfCode(int code) {
  if (code < 0 || code > group_codes_detail::kLastTypedCode) return GroupValueType::String;
  return group_codes_detail::kValueTypes[static_cast<std::size_t>(code)];
}

/// Tells whether values of the type are numbers, written in decimal in a text file.
constexpr bool IsNumberType(GroupValueType type) {
  return type != GroupValueType::String && type != GroupValueType::Chunk;
}
