// CheckNames.h - symbol names as the drawing check compares and judges them.
//
// AutoCAD takes two names that differ only in letter case for the same name: "Wall",
// "WALL" and "wall" are one layer. The check compares names so, folding the ASCII letters
// only (a name's other letters are compared as they stand), and walks a name by the
// characters of the document's encoding, so the trail byte of a Shift-JIS character
// ("ア" is 83 41) is never taken for a letter or a symbol.
#pragma once

#include <cstddef>        // std::size_t
#include <string_view>    // std::string_view
#include <unordered_map>  // std::unordered_map

#include "model/text/TextCodec.h"  // TextEncoding

/// Tells whether two names are the same name for AutoCAD: equal once their ASCII letters
/// are folded to one case, byte for byte otherwise.
bool SameSymbolName(TextEncoding encoding, std::string_view a, std::string_view b) noexcept;

/// Hashes a name as SameSymbolName compares it.
struct SymbolNameHash {
  TextEncoding encoding = TextEncoding::Cp932;
  std::size_t operator()(std::string_view name) const noexcept;
};

/// Compares names as SameSymbolName does.
struct SymbolNameEqual {
  TextEncoding encoding = TextEncoding::Cp932;
  bool operator()(std::string_view a, std::string_view b) const noexcept {
    return SameSymbolName(encoding, a, b);
  }
};

/// Names (views into the drawing's values) and the pair that defines each.
using SymbolNames = std::unordered_map<std::string_view, int, SymbolNameHash, SymbolNameEqual>;

/// Returns an empty set of names compared in the encoding.
SymbolNames MakeSymbolNames(TextEncoding encoding);

/// What a symbol table allows beyond AutoCAD's plain names.
struct NameAllowance {
  bool leadingStar = false;  // an anonymous name: *Model_Space, *U12, *Active
  bool bar = false;          // an externally dependent name: XREF|NAME
};

/// Returns the first character of name that AutoCAD forbids in a symbol name (one of
/// < > / \ " : ; ? * | = and the backquote, outside what `allowed` permits), as a view of
/// name; an empty view when there is none. The backslash of an escape (\U+XXXX,
/// \M+nXXXX) is part of a character, not a forbidden one.
std::string_view ForbiddenNameCharacter(TextEncoding encoding, std::string_view name,
                                        NameAllowance allowed) noexcept;
