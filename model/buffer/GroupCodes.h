// GroupCodes.h - the DXF group codes that the model and the list logic depend on.
//
// Conditions name a group code by its meaning, never by its number; every code that
// some scan tests lives here, once.
#pragma once

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

/// Tells whether a pair with this code points at a record by its handle: the owner and
/// the soft and hard pointers and owners (330-369), the handles of 390-399 and 480-481.
constexpr bool IsPointerCode(int code) {
  return (code >= 330 && code <= 369) || (code >= 390 && code <= 399) ||
         (code >= 480 && code <= 481);
}
