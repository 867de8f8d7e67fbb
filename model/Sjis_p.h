// Sjis_p.h - what the platforms' CP932 conversions share.
#pragma once

#include <cstddef>      // std::size_t
#include <string_view>  // std::string_view

// Bytes of the UTF-8 sequence that starts at `at` (1 for a stray byte): an unconvertible
// or broken sequence is replaced by one "?" and skipped as a whole.
inline std::size_t Utf8SequenceLength(std::string_view s, std::size_t at) {
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
