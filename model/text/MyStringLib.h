// MyStringLib.h - character-aware text helpers for Shift-JIS (CP932) byte strings.
//
// A character is one byte or a lead byte followed by a trail byte; lead bytes are
// 0x81-0x9F and 0xE0-0xFC, whatever the platform's locale. Positions and counts are
// 1-based ints, as in the rest of the program. Nothing here allocates state or throws.
#pragma once

#include <cstdint>      // std::uint64_t
#include <string>       // std::string
#include <string_view>  // std::string_view

/// Returns S without its leading and trailing bytes <= 0x20 (blanks and control characters).
std::string Trim(std::string_view s);

/// Returns the view of S without its leading and trailing bytes <= 0x20.
std::string_view TrimView(std::string_view s) noexcept;

/// Tells whether the byte b opens a double-byte character (0x81-0x9F or 0xE0-0xFC).
constexpr bool IsLeadByte(unsigned char b) noexcept {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
constexpr bool IsLeadByte(char b) noexcept {
  return IsLeadByte(static_cast<unsigned char>(b));
}

/// Returns the byte length (1 or 2) of the character that starts at byte offset `at` of S;
/// a lead byte at the very end counts as one byte.
int CharLength(std::string_view s, std::size_t at) noexcept;

/// Tells whether the first two bytes of S form one double-byte character.
bool IsDoubleByte(std::string_view s) noexcept;

/// Returns S with its characters in reverse order; a double-byte character keeps its
/// lead byte before its trail byte.
std::string ReverseMBCS(std::string_view s);

/// Returns the 1-based position of the first occurrence of Sub in S that starts on a
/// character boundary, 0 when there is none (or when Sub is empty).
int CharPos(std::string_view sub, std::string_view s) noexcept;

/// Returns the 1-based byte position of the last occurrence of Sub in S that starts on a
/// character boundary (occurrences may overlap), 0 when there is none.
int LastPos(std::string_view sub, std::string_view s) noexcept;

/// Returns the first n characters of S (all of S when it has fewer, nothing for n <= 0).
std::string LeftChars(std::string_view s, int n);

/// Returns the last n characters of S (all of S when it has fewer, nothing for n <= 0).
std::string RightChars(std::string_view s, int n);

/// Returns S from its n-th character to the end; n <= 1 gives all of S.
std::string FromChar(std::string_view s, int n);

/// Returns count characters of S from its start-th character.
std::string MidChars(std::string_view s, int start, int count);

/// Returns v in upper-case hexadecimal (two's complement, 8 digits, for negative v),
/// padded on the left to `width` with "F" for negative v and "0" otherwise; never shortened.
std::string HexPad(int v, int width);

/// Returns S with every single-byte character below 32 written as "#" and two hex digits.
std::string EscapeControls(std::string_view s);

/// Splits S around its first number: prefix, number (optional sign, digits, commas and one
/// decimal point) and suffix. A double-byte character is never part of a number.
void SplitNumber(std::string_view s, std::string& prefix, std::string& number, std::string& suffix);

/// Tells whether S is one number and nothing else; true for the empty text.
bool IsNumber(std::string_view s);

/// Returns the first number in S, commas removed, rounded toward minus infinity; 0 when
/// S holds no number. Results beyond the int range are clamped to it.
int FloorOfNumber(std::string_view s);

/// Reads S (already trimmed) as a signed 32-bit decimal integer: an optional sign and
/// digits, nothing else. Returns false, leaving value untouched, for anything else.
[[nodiscard]] bool ParseInt32(std::string_view s, int& value) noexcept;

/// Reads S (already trimmed) as a hexadecimal number that fits in 32 bits (an optional
/// "0x" prefix is not accepted). Returns false for anything else.
[[nodiscard]] bool ParseHex32(std::string_view s, int& value) noexcept;

/// Reads S (already trimmed) as 1 to 16 hexadecimal digits of either case. Returns false,
/// leaving value untouched, for anything else.
[[nodiscard]] bool ParseHex64(std::string_view s, std::uint64_t& value) noexcept;

/// Reads S (already trimmed) as a decimal floating-point number with "." as separator,
/// an optional sign and exponent, whatever the locale. Returns false for anything else.
[[nodiscard]] bool ParseDouble(std::string_view s, double& value) noexcept;

/// Returns S with the single-byte letters a-z upper-cased; trail bytes are never changed.
std::string UpperAscii(std::string_view s);

/// Formats like printf, with the program's conventions: "%f" without a precision prints
/// two decimals, "%x" prints upper-case hexadecimal digits, and a width pads with blanks
/// and never truncates. Strings are passed as const char* (CP932 bytes).
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
