// ValueCompare.h - whether two values of one group code, each from its own drawing, are equal.
//
// Two writers write the same drawing in different texts: 0.0 as 0.000000, a flag as "6" or
// "     6", a handle as 1F or 001F, a name in CP932 or UTF-8, or with \U+XXXX escapes. By
// default a number compares by its value (reals as doubles, integers as integers, handles
// as hexadecimal numbers) and a text by its characters, each side decoded from its own
// drawing's encoding; exact comparison takes numbers by their text as written.
#pragma once

#include <string_view>  // std::string_view

#include "model/text/TextCodec.h"  // TextEncoding

/// One side of a value comparison: the value's bytes and the encoding of its drawing.
struct SideValue {
  std::string_view bytes;
  TextEncoding encoding;
};

/// Tells whether two values of a pair with group code `code` say the same. A number that
/// does not read as one on either side compares by its trimmed text; with exactNumbers,
/// numbers compare by their bytes.
bool SameValue(int code, SideValue here, SideValue there, bool exactNumbers);

/// Tells whether two texts say the same characters, each decoded from its encoding with
/// its escapes.
bool SameText(SideValue here, SideValue there);
