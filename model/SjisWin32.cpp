// SjisWin32.cpp - UTF-8 <-> CP932 through the Win32 code-page functions.
//
// MultiByteToWideChar and WideCharToMultiByte convert through UTF-16. Other platforms
// convert with glibc's CP932, and a text must give the same bytes everywhere, so where
// Microsoft's table and glibc's differ this file follows glibc's (the two tables are
// compared over every character by the Windows tests). A whole text is converted in one
// call; only a text with a character that needs one of those rules, or one that does not
// convert, is converted again character by character.
#include "model/Sjis.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>  // std::any_of, std::find_if
#include <array>      // std::array
#include <climits>    // INT_MAX

#include "model/Sjis_p.h"

static constexpr UINT kCodePage932 = 932;

namespace {

// A character glibc writes in CP932 that Microsoft's table only reads from another
// character: the yen sign as the backslash byte, as Japanese systems show it, the JIS
// minus and wave dash as their full-width forms, and the like.
struct ExtraEncoding {
  wchar_t unicode;
  const char* bytes;
};

}  // namespace

static constexpr std::array<ExtraEncoding, 9> kExtraEncodings = {{
    {0x00A2, "\x81\x91"},  // CENT SIGN
    {0x00A3, "\x81\x92"},  // POUND SIGN
    {0x00A5, "\x5C"},      // YEN SIGN
    {0x00AC, "\x81\xCA"},  // NOT SIGN
    {0x2014, "\x81\x5C"},  // EM DASH
    {0x2016, "\x81\x61"},  // DOUBLE VERTICAL LINE
    {0x203E, "\x7E"},      // OVERLINE
    {0x2212, "\x81\x7C"},  // MINUS SIGN
    {0x301C, "\x81\x60"},  // WAVE DASH
}};

// The single bytes 0x80, 0xA0 and 0xFD to 0xFF have no character in glibc's table;
// Microsoft's reads them as U+0080 and the private-use characters U+F8F0 to U+F8F3.
static bool IsUnmappedByte(unsigned char byte) {
  return byte == 0x80 || byte == 0xA0 || byte >= 0xFD;
}

static bool IsUnmappedCharacter(wchar_t c) {
  return c == 0x80 || (c >= 0xF8F0 && c <= 0xF8F3);
}

static const ExtraEncoding* FindExtraEncoding(wchar_t c) {
  const auto found = std::find_if(kExtraEncodings.begin(), kExtraEncodings.end(),
                                  [c](const ExtraEncoding& e) { return e.unicode == c; });
  return found == kExtraEncodings.end() ? nullptr : &*found;
}

static bool NeedsOwnRule(wchar_t c) {
  return IsUnmappedCharacter(c) || FindExtraEncoding(c) != nullptr;
}

// Converts bytes of a code page to UTF-16; false when a byte sequence is not a character.
static bool ToWide(UINT codePage, std::string_view bytes, std::wstring& wide) {
  if (bytes.size() > INT_MAX) return false;
  const int length = static_cast<int>(bytes.size());
  const int n =
      MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), length, nullptr, 0);
  if (n <= 0) return false;
  wide.resize(static_cast<std::size_t>(n));
  return MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), length, wide.data(),
                             n) == n;
}

// Appends UTF-16 converted to a code page to out; false, with out unchanged, when a
// character has no bytes there (the default character would have been used).
static bool AppendFromWide(UINT codePage, std::wstring_view wide, std::string& out) {
  if (wide.size() > INT_MAX) return false;
  const int length = static_cast<int>(wide.size());
  // UTF-8 takes neither a default character nor best-fit flags.
  const bool utf8 = codePage == CP_UTF8;
  const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* usedDefaultOut = utf8 ? nullptr : &usedDefault;
  const int n = WideCharToMultiByte(codePage, flags, wide.data(), length, nullptr, 0, nullptr,
                                    usedDefaultOut);
  if (n <= 0 || usedDefault) return false;
  const std::size_t at = out.size();
  out.resize(at + static_cast<std::size_t>(n));
  if (WideCharToMultiByte(codePage, flags, wide.data(), length, out.data() + at, n, nullptr,
                          nullptr) == n)
    return true;
  out.resize(at);
  return false;
}

// ---------------------------------------------------------------- UTF-8 to CP932

// Appends the CP932 bytes of one UTF-8 sequence, or "?" when it has none.
static void AppendSjisCharacter(std::string_view sequence, std::string& out) {
  std::wstring wide;
  if (!ToWide(CP_UTF8, sequence, wide)) {
    out += '?';
    return;
  }
  const ExtraEncoding* extra = wide.size() == 1 ? FindExtraEncoding(wide[0]) : nullptr;
  if (extra) {
    out += extra->bytes;
    return;
  }
  if ((wide.size() == 1 && IsUnmappedCharacter(wide[0])) ||
      !AppendFromWide(kCodePage932, wide, out))
    out += '?';
}

std::string Sjis(std::string_view utf8) {
  if (IsAscii(utf8)) return std::string(utf8);
  std::wstring wide;
  std::string out;
  if (ToWide(CP_UTF8, utf8, wide) && std::none_of(wide.begin(), wide.end(), NeedsOwnRule) &&
      AppendFromWide(kCodePage932, wide, out))
    return out;
  out.clear();
  for (std::size_t at = 0; at < utf8.size();) {
    const std::size_t length = Utf8SequenceLength(utf8, at);
    AppendSjisCharacter(utf8.substr(at, length), out);
    at += length;
  }
  return out;
}

// ---------------------------------------------------------------- CP932 to UTF-8

static bool IsLeadByte932(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Appends the UTF-8 of CP932 bytes that form characters; false, out unchanged, otherwise.
static bool AppendUtf8(std::string_view cp932, std::string& out) {
  std::wstring wide;
  return ToWide(kCodePage932, cp932, wide) && AppendFromWide(CP_UTF8, wide, out);
}

std::string Utf8(std::string_view cp932) {
  if (IsAscii(cp932)) return std::string(cp932);
  std::string out;
  const bool hasUnmappedByte = std::any_of(cp932.begin(), cp932.end(), [](char c) {
    return IsUnmappedByte(static_cast<unsigned char>(c));
  });
  if (!hasUnmappedByte && AppendUtf8(cp932, out)) return out;
  out.clear();
  // One byte at a time after a failure: a lead byte with a bad trail byte must not
  // swallow the next character, which may be a perfectly good one.
  for (std::size_t at = 0; at < cp932.size();) {
    const unsigned char byte = static_cast<unsigned char>(cp932[at]);
    if (IsLeadByte932(byte) && at + 1 < cp932.size() && AppendUtf8(cp932.substr(at, 2), out)) {
      at += 2;
      continue;
    }
    if (IsUnmappedByte(byte) || !AppendUtf8(cp932.substr(at, 1), out)) out += '?';
    ++at;
  }
  return out;
}
