// Sjis.cpp - UTF-8 <-> CP932 for the program's own texts, through the platform converter.
#include "model/text/Sjis.h"

#include <algorithm>  // std::min

#include "model/text/TextConvert.h"

// Bytes of the UTF-8 sequence that starts at `at` (1 for a stray byte).
static std::size_t Utf8SequenceLength(std::string_view s, std::size_t at) {
  const unsigned char lead = static_cast<unsigned char>(s[at]);
  std::size_t len = 1;
  if (lead >= 0xF0 && lead <= 0xF4) {
    len = 4;
  } else if (lead >= 0xE0) {
    len = 3;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    len = 2;
  }
  // Only continuation bytes belong to the sequence; a broken one ends where they stop.
  std::size_t n = 1;
  while (n < len && at + n < s.size() && (static_cast<unsigned char>(s[at + n]) & 0xC0) == 0x80)
    ++n;
  return n;
}

bool IsAscii(std::string_view s) noexcept {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

std::string Sjis(std::string_view utf8) {
  if (IsAscii(utf8)) return std::string(utf8);
  return Transcode(TextEncoding::Utf8, TextEncoding::Cp932, utf8,
                   [](std::string_view text, std::size_t at, std::string& out) {
                     out += '?';
                     return std::min(Utf8SequenceLength(text, at), text.size() - at);
                   });
}

std::string Utf8(std::string_view cp932) {
  if (IsAscii(cp932)) return std::string(cp932);
  // One byte at a time: a lead byte with a bad trail byte must not swallow the next
  // character, which may be a perfectly good one.
  return Transcode(TextEncoding::Cp932, TextEncoding::Utf8, cp932,
                   [](std::string_view, std::size_t, std::string& out) {
                     out += '?';
                     return std::size_t{1};
                   });
}
