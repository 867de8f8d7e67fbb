// RoundDigits.h - reading and writing the rounding tool's decimal texts, 8 bytes at
// a time.
//
// The rounding passes read every touched value and, in the worst case, write nearly as
// many. Value lengths vary from one value to the next, so loops over their bytes mispredict
// their exits; here a text of up to 16 bytes is loaded into two 64-bit words and
// classified, cleaned of its point and converted with a fixed number of operations
// (SWAR: SIMD within a register). Byte k of a text is byte k of the words, least
// significant first, which is how little-endian machines load it.
// Performance: on a 200 MB drawing where nearly every coordinate is snapped, this halves
// the time of reading and writing the values (bench_round, "step 0 digit 0").
#pragma once

#include <algorithm>    // std::min
#include <array>        // std::array
#include <bit>          // std::countr_zero, std::endian
#include <cstddef>      // std::size_t
#include <cstdint>      // std::uint64_t, std::uint32_t
#include <cstring>      // std::memcpy
#include <string_view>  // std::string_view

static_assert(std::endian::native == std::endian::little,
              "the digit words read a text's first byte as their lowest");

namespace tool_digits {

constexpr std::uint64_t kEachByte = 0x0101010101010101;
constexpr std::uint64_t kHighBits = 0x80 * kEachByte;
constexpr std::uint64_t kZeros = '0' * kEachByte;

// Sixteen bytes as two words: bytes 0 to 7 in lo, 8 to 15 in hi.
struct Bytes16 {
  std::uint64_t lo = 0, hi = 0;
};

// Byte masks of the bytes below place p (0 to 16), in two words.
constexpr std::array<Bytes16, 17> kBytesBelow = [] {
  std::array<Bytes16, 17> masks{};
  for (int p = 0; p <= 16; ++p) {
    for (int k = 0; k < p; ++k) {
      std::uint64_t& word = k < 8 ? masks[p].lo : masks[p].hi;
      word |= std::uint64_t{0xFF} << (8 * (k % 8));
    }
  }
  return masks;
}();

inline std::uint64_t Load8(const char* p) noexcept {
  std::uint64_t word;
  std::memcpy(&word, p, sizeof word);
  return word;
}

inline std::uint64_t Load4(const char* p) noexcept {
  std::uint32_t word;
  std::memcpy(&word, p, sizeof word);
  return word;
}

inline std::uint64_t Byte(char c) noexcept {
  return static_cast<unsigned char>(c);
}

// Returns the n bytes at p (1 to 16) right-aligned in 16 bytes, with '0' bytes before
// them. Reads only those n bytes: overlapping loads cover the middle ones, and a byte
// loaded twice lands on the same place both times.
inline Bytes16 RightAligned(const char* p, std::size_t n) noexcept {
  if (n >= 8) {
    const std::size_t pad = 16 - n;  // '0' bytes before the text: 0 to 8, all in lo
    const std::uint64_t head = n > 8 ? Load8(p) << (8 * pad) : 0;
    return {head | (kZeros & kBytesBelow[pad].lo), Load8(p + n - 8)};
  }
  const std::size_t pad = 8 - n;  // 1 to 7
  std::uint64_t hi = kZeros & kBytesBelow[pad].lo;
  if (n >= 4) {
    hi |= Load4(p) << (8 * pad) | Load4(p + n - 4) << 32;
  } else {
    hi |= Byte(p[0]) << (8 * pad) | Byte(p[n / 2]) << (8 * (pad + n / 2)) | Byte(p[n - 1]) << 56;
  }
  return {kZeros, hi};
}

// The high bit of every byte that is an ASCII digit; no carry crosses a byte.
inline std::uint64_t DigitBytes(std::uint64_t w) noexcept {
  const std::uint64_t low7 = w & ~kHighBits;
  const std::uint64_t atLeastZero = low7 + 0x50 * kEachByte;  // high bit: low7 >= '0'
  const std::uint64_t aboveNine = low7 + 0x46 * kEachByte;    // high bit: low7 > '9'
  return atLeastZero & ~aboveNine & ~w & kHighBits;
}

// The high bit of every byte that is '.'.
inline std::uint64_t PointBytes(std::uint64_t w) noexcept {
  const std::uint64_t y = w ^ ('.' * kEachByte);
  return ~(((y & ~kHighBits) + ~kHighBits) | y) & kHighBits;
}

// Returns the number that 8 digit bytes spell, the first byte the most significant.
inline std::uint64_t NumberOf8(std::uint64_t w) noexcept {
  w -= kZeros;
  w = w * 10 + (w >> 8);  // pairs of digits in every other byte
  constexpr std::uint64_t kPairs = 0x000000FF000000FF;
  constexpr std::uint64_t kHundreds = 100 + (1000000ULL << 32);
  constexpr std::uint64_t kOnes = 1 + (10000ULL << 32);
  return ((w & kPairs) * kHundreds + ((w >> 16) & kPairs) * kOnes) >> 32;
}

// Returns the 8 digit bytes of v below 10^8, zeros first; the inverse of NumberOf8.
inline std::uint64_t DigitsOf8(std::uint64_t v) noexcept {
  std::uint64_t w = v / 10000 | (v % 10000) << 32;                        // 4 digits a half
  const std::uint64_t hundreds = (w * 10486 >> 20) & 0x0000007F0000007F;  // w / 100
  w = hundreds | (w - hundreds * 100) << 16;                              // 2 digits a quarter
  const std::uint64_t tens = (w * 103 >> 10) & 0x000F000F000F000F;        // w / 10
  w = tens | (w - tens * 10) << 8;                                        // 1 digit a byte
  return w + kZeros;
}

}  // namespace tool_digits

// A plain decimal text: an optional sign, then digits with at most one point, 15
// digits at most (10^15 - 1 < 2^53, so the digits are an exact double).
struct PlainDecimal {
  bool negative = false;
  std::string_view whole;     // the digits before the point
  std::string_view decimals;  // the digits after it
  // Set by ReadDigits:
  std::uint64_t digits = 0;  // all the digits as one number
  bool wholeNumber = false;  // no decimals but zeros
  // The text after the sign, right-aligned in 16 bytes, and the place of its point there
  // (16 without one), for ReadDigits.
  tool_digits::Bytes16 bytes;
  int pointPlace = 16;
};

// Splits text as a plain decimal; false for anything else (exponents, long texts, no
// number at all). Only tells the parts apart: ReadDigits reads their digits.
inline bool SplitPlainDecimal(std::string_view text, PlainDecimal& d) noexcept {
  using namespace tool_digits;
  constexpr std::size_t kMaxDigits = 15;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    d.negative = text[0] == '-';
    text.remove_prefix(1);
  }
  const std::size_t n = text.size();
  if (n == 0 || n > kMaxDigits + 1) return false;
  const Bytes16 b = RightAligned(text.data(), n);
  const std::uint64_t pointLo = PointBytes(b.lo), pointHi = PointBytes(b.hi);
  const bool allDigitsOrPoints =
      ((DigitBytes(b.lo) | pointLo) & (DigitBytes(b.hi) | pointHi)) == kHighBits;
  const bool twoPoints =
      (pointLo & (pointLo - 1)) != 0 || (pointHi & (pointHi - 1)) != 0 || (pointLo && pointHi);
  if (!allDigitsOrPoints || twoPoints) return false;
  const bool hasPoint = (pointLo | pointHi) != 0;
  if (n == hasPoint || (!hasPoint && n > kMaxDigits)) return false;
  const int pointInLo = std::countr_zero(pointLo) / 8, pointInHi = std::countr_zero(pointHi) / 8;
  d.pointPlace = pointInLo < 8 ? pointInLo : 8 + pointInHi;  // 16 without a point
  d.bytes = b;
  const std::size_t point = hasPoint ? d.pointPlace - (16 - n) : n;  // its index in text
  d.whole = text.substr(0, point);
  d.decimals = text.substr(hasPoint ? point + 1 : n);
  return true;
}

// Sets d.digits and d.wholeNumber of a plain decimal that SplitPlainDecimal split. The
// bytes before the point move up one place, and a '0' comes in at place 0 (a padding
// byte: a text has 16 bytes only with a point).
inline void ReadDigits(PlainDecimal& d) noexcept {
  using namespace tool_digits;
  Bytes16 b = d.bytes;
  const Bytes16 below = kBytesBelow[d.pointPlace];
  const Bytes16 through = kBytesBelow[d.pointPlace < 16 ? d.pointPlace + 1 : 16];
  const std::uint64_t lowPart = b.lo & below.lo;
  b.hi = (b.hi & below.hi) << 8 | lowPart >> 56 | (b.hi & ~through.hi);
  b.lo = lowPart << 8 | (b.lo & ~through.lo) | '0';
  if (d.pointPlace == 16) b = d.bytes;
  d.wholeNumber = (((b.lo ^ kZeros) & ~through.lo) | ((b.hi ^ kZeros) & ~through.hi)) == 0;
  d.digits = NumberOf8(b.lo) * 100000000 + NumberOf8(b.hi);
}

/// Room that WriteFixed needs at out.
constexpr std::size_t kFixedTextRoom = 32;

namespace tool_digits {

inline void Store8(char* p, std::uint64_t word) noexcept {
  std::memcpy(p, &word, sizeof word);
}

// v below 10^8 in fixed notation with `decimals` places (1 to 3) and zeros before it:
// nine bytes, the first eight in a word.
struct FixedImage {
  std::uint64_t first8;
  char last;
};

inline FixedImage FixedImageOf(std::uint64_t v, int decimals) noexcept {
  const std::uint64_t digits = DigitsOf8(v);
  // The decimals, the top `decimals` bytes, move up one byte to make room for the point;
  // the last digit moves into the ninth byte.
  const std::uint64_t keep = kBytesBelow[8 - decimals].lo;
  return {(digits & keep) | (digits & ~keep) << 8 | std::uint64_t{'.'} << (8 * (8 - decimals)),
          static_cast<char>(digits >> 56)};
}

}  // namespace tool_digits

// Writes magnitude / 10^decimals (magnitude below 10^16, decimals 1 to 3) in fixed
// notation, with a minus sign when negative, into out, which has kFixedTextRoom bytes;
// returns the length. Whole 8-byte words are stored, so a text of up to 8 bytes, the
// usual one, is read back from a single store.
inline std::size_t WriteFixed(std::uint64_t magnitude, bool negative, int decimals,
                              char* out) noexcept {
  using namespace tool_digits;
  char* at = out;
  *at = '-';
  at += negative;
  const std::uint64_t high = magnitude / 100000000;
  const FixedImage image = FixedImageOf(magnitude % 100000000, decimals);
  if (high != 0) [[unlikely]] {
    const std::uint64_t digits = DigitsOf8(high);
    const int zeros = std::countr_zero(digits ^ kZeros) / 8;  // below 8: high is not 0
    Store8(at, digits >> (8 * zeros));
    at += 8 - zeros;
    Store8(at, image.first8);
    at[8] = image.last;
    return static_cast<std::size_t>(at + 9 - out);
  }
  // Leading zeros go, down to the last whole digit; the ninth byte follows the rest.
  const int zeros = std::min(std::countr_zero(image.first8 ^ kZeros) / 8, 7 - decimals);
  const auto last = static_cast<std::uint64_t>(static_cast<unsigned char>(image.last));
  Store8(at, image.first8 >> (8 * zeros) | (last << (63 - 8 * zeros)) << 1);
  at[8] = image.last;  // needed only when no zero went
  return static_cast<std::size_t>(at + 9 - zeros - out);
}
