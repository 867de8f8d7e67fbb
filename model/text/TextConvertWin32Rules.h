// TextConvertWin32Rules.h - where glibc's tables of the code pages differ from
// Microsoft's, so that the Windows converter gives the bytes the other platforms give.
#pragma once

#include <cstdint>  // std::uint32_t
#include <span>     // std::span

#include "model/text/TextCodec.h"  // TextEncoding

/// A run of codes [first, last] with glibc's values start, start + 1 ...; a start of 0
/// stands for none. Reading, a code is a byte sequence (0xXX, or 0xXXYY for a double-byte
/// character) and a value a code point; writing, a code is a code point and a value its
/// bytes in the same form.
struct CodeRange {
  std::uint32_t first;
  std::uint32_t last;
  std::uint32_t start;
};

/// A letter and the combining mark after it that glibc reads as one character; with
/// `again`, the letter is itself such a character, which joins a further mark.
struct ComposeRule {
  char32_t base;
  char32_t mark;
  char32_t composed;
  bool again;
};

struct CodePageRules {
  std::span<const CodeRange> decode;
  std::span<const CodeRange> encode;
  std::span<const ComposeRule> compose;
};

/// Returns the rules of an encoding; none for one whose tables agree.
CodePageRules RulesOf(TextEncoding encoding);
