// TextCodec.h - the text encodings of DXF documents: names, detection, conversion,
// escapes and character boundaries.
//
// A document keeps its values as the file's bytes; this unit says how to read them. An
// encoding is named by its Windows code page number. Conversion to and from UTF-8 goes
// through the platform converter (TextConvert); the rest is plain C++. Two escapes stand
// for characters in any file: \U+XXXX (a Unicode code point, four hex digits; a surrogate
// pair for one beyond U+FFFF) and \M+nXXXX (a double-byte character of an East Asian
// code page n, 1 to 5). The program's own texts are CP932; a character CP932 lacks is
// written into them as \U+XXXX, so they can quote any value and still show it decoded.
#pragma once

#include <cstddef>      // std::size_t
#include <cstdint>      // std::uint16_t
#include <optional>     // std::optional
#include <string>       // std::string
#include <string_view>  // std::string_view
#include <vector>       // std::vector

/// A text encoding, by its Windows code page number.
enum class TextEncoding : std::uint16_t {
  Cp437 = 437,
  Cp850 = 850,
  Cp852 = 852,
  Cp855 = 855,
  Cp857 = 857,
  Cp860 = 860,
  Cp861 = 861,
  Cp863 = 863,
  Cp864 = 864,
  Cp865 = 865,
  Cp866 = 866,
  Cp869 = 869,
  Cp874 = 874,
  Cp932 = 932,  // Shift-JIS with Microsoft's extensions: the program's home
  Cp936 = 936,
  Cp949 = 949,
  Cp950 = 950,
  Cp1250 = 1250,
  Cp1251 = 1251,
  Cp1252 = 1252,
  Cp1253 = 1253,
  Cp1254 = 1254,
  Cp1255 = 1255,
  Cp1256 = 1256,
  Cp1257 = 1257,
  Cp1258 = 1258,
  Johab = 1361,
  MacRoman = 10000,
  Ascii = 20127,
  Iso8859_1 = 28591,
  Iso8859_2 = 28592,
  Iso8859_3 = 28593,
  Iso8859_4 = 28594,
  Iso8859_5 = 28595,
  Iso8859_6 = 28596,
  Iso8859_7 = 28597,
  Iso8859_8 = 28598,
  Iso8859_9 = 28599,
  Utf8 = 65001,
};

/// Returns the encoding's name as the command line and the window show it: "cp932",
/// "utf-8", "cp1252", "iso8859-1", "johab", "mac-roman", "ascii".
std::string_view EncodingName(TextEncoding encoding) noexcept;

/// Returns the encoding of a name as EncodingName gives it (any letter case; "utf8" and
/// "shift_jis" are taken too), or nothing for an unknown name.
std::optional<TextEncoding> EncodingNamed(std::string_view name) noexcept;

/// Returns every encoding, in the order a choice lists them: utf-8 and cp932 first.
const std::vector<TextEncoding>& AllEncodings();

/// Returns the encoding a $DWGCODEPAGE value names (trimmed, any letter case: ANSI_1252,
/// DOS932, BIG5, ISO8859-1 ...), or nothing for an empty, unknown or undefined one.
std::optional<TextEncoding> EncodingOfCodePage(std::string_view dwgCodePage) noexcept;

/// Tells whether every character of the encoding is one byte.
bool IsSingleByte(TextEncoding encoding) noexcept;

/// Returns the byte length of the character that starts at byte `at` of s (at < size):
/// 1 or 2 in the double-byte code pages (a lead byte at the very end counts as one),
/// 1 to 4 in UTF-8 (a byte that starts no valid sequence counts as one).
int CharLength(TextEncoding encoding, std::string_view s, std::size_t at) noexcept;

/// Tells whether bytes read as UTF-8: every non-ASCII byte belongs to a valid sequence
/// (no overlong form, no surrogate, nothing beyond U+10FFFF), and at least one such
/// multi-byte sequence is there. Pure ASCII is not taken for UTF-8.
bool IsUtf8WithMultiByteSequence(std::string_view bytes) noexcept;

/// The bytes that decode in one encoding, to tell of many values whether each does: every
/// byte forms a character of the encoding as the values are read (DecodeText), so none
/// shows as U+FFFD. UTF-8 is validated here; a code page is asked of the platform's
/// converter once per process (each byte, and each lead byte with each trail byte), so a
/// question afterwards costs a table look-up a character. Escapes are not looked at.
class DecodeCheck {
 public:
  explicit DecodeCheck(TextEncoding encoding);
  /// Tells whether every byte of bytes belongs to a character of the encoding; a lead
  /// byte at the very end does not.
  bool Decodes(std::string_view bytes) const noexcept;
  TextEncoding Encoding() const noexcept { return m_encoding; }

  struct Table;  // the code page's bytes and pairs that decode

 private:
  TextEncoding m_encoding;
  const Table* m_table = nullptr;  // null for UTF-8
};

/// Tells whether s is plain ASCII without a backslash: the same text in every encoding,
/// with no escape in it.
bool IsPlainAscii(std::string_view s) noexcept;

/// Returns UTF-8 text with its \U+XXXX and \M+nXXXX escapes replaced by the characters
/// they stand for. An escape that is cut short, names a lone surrogate, U+0000 or a code
/// page other than 1 to 5, or a character its code page lacks, stays as it is.
std::string DecodeEscapes(std::string_view utf8);

/// Returns bytes of the encoding as UTF-8, escapes decoded. A byte that starts no valid
/// character becomes U+FFFD. Returns the bytes themselves (scratch untouched) when they
/// are plain ASCII, else a view of scratch.
std::string_view DecodeText(TextEncoding encoding, std::string_view bytes, std::string& scratch);

/// Returns bytes of the encoding as UTF-8 (escapes decoded, U+FFFD for broken bytes).
std::string DecodeText(TextEncoding encoding, std::string_view bytes);

/// Returns bytes of the encoding as UTF-8 with the escapes left as they stand.
std::string ToUtf8(TextEncoding encoding, std::string_view bytes);

/// What to do with a character the target encoding cannot hold.
enum class Unmappable {
  Escape,  // write it as \U+XXXX, as AutoCAD does in drawings before AC1021
  Refuse,  // stop: the text cannot be stored
};

/// The result of EncodeText.
struct EncodedText {
  bool ok = true;        // false: a character was refused (or the input is not UTF-8)
  std::string bytes;     // the text in the target encoding; empty when refused
  char32_t refused = 0;  // the first character refused (U+FFFD for a broken byte)
};

/// Returns UTF-8 text in the encoding; characters it lacks are escaped or refused.
EncodedText EncodeText(TextEncoding encoding, std::string_view utf8, Unmappable policy);

/// Returns UTF-8 text as a program text: CP932, with \U+XXXX for characters CP932 lacks.
std::string ProgramTextOfUtf8(std::string_view utf8);

/// Returns a program text (CP932 with escapes) as UTF-8, escapes decoded.
std::string Utf8OfProgramText(std::string_view programText);

/// Returns the escape \U+XXXX (upper-case hex) of a code point, a surrogate pair of them
/// for one beyond U+FFFF.
std::string UnicodeEscape(char32_t codePoint);
