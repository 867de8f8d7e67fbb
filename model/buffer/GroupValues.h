// GroupValues.h - reading a value's text as the number its group code holds.
//
// A text DXF file writes numbers in decimal with "." as the point; infinities and NaNs
// are no DXF numbers. The check's number test, the grid's edit and the binary form's
// encoder read values the same way.
#pragma once

#include <string_view>  // std::string_view

/// Tells whether s is a decimal real: a sign, digits with at most one point (at least one
/// digit), and an exponent.
bool IsDecimalReal(std::string_view s);

/// Reads s as a decimal integer (an optional sign, then digits) into value; false when it
/// is none or lies outside the 64-bit range.
bool ReadDecimalInteger(std::string_view s, long long& value);

/// Tells whether a trimmed value reads as the number its group code holds by the DXF
/// reference (a decimal real, or an integer within the field's width); any value suits
/// a code that holds no number. A 16- or 32-bit field takes signed and unsigned values
/// alike, as AutoCAD writes some flags unsigned; a flag (290-299) reads as a 16-bit field.
bool ReadsAsNumberOfCode(int code, std::string_view trimmed);
