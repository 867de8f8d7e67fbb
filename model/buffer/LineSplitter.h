// LineSplitter.h - splitting a file's text into lines, the first stage of a load.
//
// A line ends at CR LF, CR or LF. The text is scanned 64 bytes at a time: one bit mask of
// terminators per block, then one count-trailing-zeros per line. Everything here is
// inline because a 200 MB drawing has 26 million lines.
#pragma once

#include <algorithm>  // std::min
#include <cstddef>    // std::size_t
#include <cstdint>    // std::uint64_t
#include <cstring>    // std::memset, std::memcpy

#if defined(__SSE2__)
#include <emmintrin.h>  // _mm_loadu_si128, _mm_cmpeq_epi8, _mm_movemask_epi8
#endif

// Marks the line terminators of one block of up to 64 bytes: bit k is set when byte k is
// a CR, or an LF that does not directly follow a CR (a CR LF pair ends one line, at its
// CR). carryCR tells whether the byte before the block was a CR, and is updated.
inline std::uint64_t TerminatorMask(const char* block, std::size_t len, bool& carryCR) noexcept {
  char padded[64];
  if (len < 64) {
    std::memset(padded, 0, sizeof padded);
    std::memcpy(padded, block, len);
    block = padded;
  }
  std::uint64_t cr = 0;
  std::uint64_t lf = 0;
#if defined(__SSE2__)
  const __m128i vcr = _mm_set1_epi8('\r');
  const __m128i vlf = _mm_set1_epi8('\n');
  for (int part = 0; part < 4; ++part) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * part));
    cr |= static_cast<std::uint64_t>(
              static_cast<std::uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, vcr))))
          << (16 * part);
    lf |= static_cast<std::uint64_t>(
              static_cast<std::uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, vlf))))
          << (16 * part);
  }
#else
  for (int k = 0; k < 64; ++k) {
    cr |= static_cast<std::uint64_t>(block[k] == '\r') << k;
    lf |= static_cast<std::uint64_t>(block[k] == '\n') << k;
  }
#endif
  const std::uint64_t afterCR = (cr << 1) | static_cast<std::uint64_t>(carryCR);
  carryCR = (cr >> 63) != 0;
  return cr | (lf & ~afterCR);
}

// Yields the offsets of a text's line terminators in order, 64 bytes at a time.
// Performance: one mask per block and one count-trailing-zeros per line keep the split
// at a few instructions per byte, well under the cost of reading the file.
class LineSplitter {
 public:
  LineSplitter(const char* data, std::size_t size) : m_data(data), m_size(size) {}

  // Returns the offset of the next terminator, or the text's size when none is left.
  std::size_t Next() noexcept {
    while (m_mask == 0) {
      if (m_next >= m_size) return m_size;
      m_base = m_next;
      const std::size_t len = std::min<std::size_t>(64, m_size - m_base);
      m_mask = TerminatorMask(m_data + m_base, len, m_carryCR);
      m_next += 64;
    }
    const std::size_t at = m_base + static_cast<std::size_t>(__builtin_ctzll(m_mask));
    m_mask &= m_mask - 1;
    return at;
  }

 private:
  const char* m_data;
  std::size_t m_size;
  std::size_t m_base = 0;
  std::size_t m_next = 0;
  std::uint64_t m_mask = 0;
  bool m_carryCR = false;
};

// Counts the lines of a text fed to it in pieces, 64 bytes at a time.
class LineCounter {
 public:
  // Counts the whole 64-byte blocks of data[m_counted, upTo) and remembers where it stopped.
  void CountBlocks(const char* data, std::size_t upTo) noexcept {
    for (; m_counted + 64 <= upTo; m_counted += 64)
      m_lines += static_cast<std::size_t>(
          __builtin_popcountll(TerminatorMask(data + m_counted, 64, m_carryCR)));
  }
  // Counts what is left of data[0, size) and returns the number of lines: a last line
  // without a terminator counts, and no empty line follows a final terminator.
  std::size_t Finish(const char* data, std::size_t size) noexcept {
    CountBlocks(data, size);
    if (m_counted < size)
      m_lines += static_cast<std::size_t>(
          __builtin_popcountll(TerminatorMask(data + m_counted, size - m_counted, m_carryCR)));
    if (size > 0 && data[size - 1] != '\n' && data[size - 1] != '\r') ++m_lines;
    return m_lines;
  }

 private:
  std::size_t m_counted = 0;
  std::size_t m_lines = 0;
  bool m_carryCR = false;
};

// Offset of the line that follows the terminator at `at` (the text has a sentinel after it).
inline std::size_t NextLineStart(const char* data, std::size_t size, std::size_t at) noexcept {
  if (at >= size) return size;
  return at + 1 +
         static_cast<std::size_t>(data[at] == '\r' && at + 1 < size && data[at + 1] == '\n');
}

// Reads a code line: blanks and control characters around an optional sign and decimal
// digits, within the signed 32-bit range. Leading zeros do not count towards the ten
// digits the range allows, so "00000000001" is 1.
inline bool ParseCodeLine(const char* begin, const char* end, int& code) noexcept {
  while (begin < end && static_cast<unsigned char>(*begin) <= 0x20) ++begin;
  while (end > begin && static_cast<unsigned char>(end[-1]) <= 0x20) --end;
  bool negative = false;
  if (begin < end && (*begin == '+' || *begin == '-')) negative = *begin++ == '-';
  while (end - begin > 1 && *begin == '0') ++begin;
  if (begin == end || end - begin > 10) return false;
  long long value = 0;
  for (; begin < end; ++begin) {
    const unsigned digit = static_cast<unsigned char>(*begin) - '0';
    if (digit > 9) return false;
    value = value * 10 + digit;
  }
  if (negative) value = -value;
  if (value > 2147483647LL || value < -2147483648LL) return false;
  code = static_cast<int>(value);
  return true;
}
