// BinaryDXF.h - the binary form of DXF: reading its pairs and writing them.
//
// A binary DXF file is the 22-byte sentinel, then pairs up to the EOF pair: the group
// code in one byte before R13 (255 and a 16-bit code for a code outside 0-254) or in two
// bytes from R13 on, then the value by the code's type: a zero-terminated string, a
// little-endian double, a 16-, 32- or 64-bit little-endian integer, one byte for a flag,
// or a chunk of binary data as a length byte and that many bytes. The buffer shows each
// value as the text a text file would hold (ValueText) and turns a text back into its
// bytes (AppendBinaryPair), refusing one that the type cannot hold.
#pragma once

#include <array>        // std::array
#include <cstddef>      // std::size_t
#include <cstdint>      // std::uint8_t, std::int16_t
#include <optional>     // std::optional
#include <string>       // std::string
#include <string_view>  // std::string_view

#include "model/buffer/GroupCodes.h"

/// The 22 bytes a binary DXF file starts with.
inline constexpr std::string_view kBinarySentinel{"AutoCAD Binary DXF\r\n\x1a\0", 22};
/// The start of the sentinel, by which a file claims to be binary.
inline constexpr std::string_view kBinaryMark = kBinarySentinel.substr(0, 18);

/// How a file writes its group codes.
enum class BinaryCodes : std::uint8_t {
  OneByte,   // before R13: one byte, or 255 and a 16-bit code for a code outside 0-254
  TwoBytes,  // R13 and later: a 16-bit code
};

/// With one-byte codes, the byte before a 16-bit code.
inline constexpr unsigned char kWideCodeMark = 255;

/// The first $ACADVER number whose files write two-byte codes: R13 (AC1012).
constexpr int kFirstTwoByteCodeVersion = 1012;

namespace binary_dxf_detail {
constexpr int kStringSize = -1;  // zero-terminated
constexpr int kChunkSize = -2;   // a length byte and that many bytes

// The bytes a value of the type takes in a file, or kStringSize or kChunkSize.
constexpr int SizeOfType(GroupValueType type) {
  switch (type) {
    case GroupValueType::String:
      return kStringSize;
    case GroupValueType::Chunk:
      return kChunkSize;
    case GroupValueType::Real:
    case GroupValueType::Int64:
      return 8;
    case GroupValueType::Int32:
      return 4;
    case GroupValueType::Int16:
      return 2;
    case GroupValueType::Bool:
      return 1;
  }
  return kStringSize;
}

inline constexpr std::array<signed char, group_codes_detail::kLastTypedCode + 1> kValueSizes = [] {
  std::array<signed char, group_codes_detail::kLastTypedCode + 1> sizes{};
  for (std::size_t c = 0; c < sizes.size(); ++c)
    sizes[c] = static_cast<signed char>(SizeOfType(ValueTypeOfCode(static_cast<int>(c))));
  return sizes;
}();
}  // namespace binary_dxf_detail

/// Where one pair lies in a binary file's bytes.
struct BinaryPair {
  int code = 0;
  std::size_t valueStart = 0;  // the value's first byte (a chunk's first data byte)
  std::size_t valueEnd = 0;    // one past its last byte (before a string's NUL)
  std::size_t end = 0;         // one past the pair's last byte: where the next pair starts
};

/// Reads the pairs of a binary DXF file one after the other.
class BinaryPairReader {
 public:
  /// What Next found.
  enum class Step : std::uint8_t {
    Pair,  // a whole pair, now in pair
    End,   // no byte left
    Cut,   // the bytes end inside a pair
  };

  /// Starts after the sentinel of bytes, a whole file that begins with kBinarySentinel
  /// and writes its codes as `codes`.
  BinaryPairReader(std::string_view bytes, BinaryCodes codes) noexcept
      : m_bytes(bytes), m_at(kBinarySentinel.size()), m_codes(codes) {}

  /// Reads the next pair. Performance: a load reads every pair twice, so this is inline
  /// and finds a value's length with one table look-up; most strings are short, so their
  /// end is found byte by byte rather than by a call.
  Step Next(BinaryPair& pair) noexcept {
    if (m_at >= m_bytes.size()) return Step::End;
    if (!ReadCode(pair.code)) [[unlikely]]
      return Step::Cut;
    const char* data = m_bytes.data();
    const std::size_t size = m_bytes.size();
    const int kind = ValueSizeOfCode(pair.code);
    std::size_t end = m_at;  // one past the value
    std::size_t after = 0;   // the bytes after the value: a string's NUL
    if (kind == kStringSize) {
      while (end < size && data[end] != '\0') ++end;
      if (end == size) [[unlikely]]
        return Step::Cut;
      after = 1;
    } else if (kind == kChunkSize) {
      if (end == size) [[unlikely]]
        return Step::Cut;
      end += 1 + static_cast<unsigned char>(data[end]);
      ++m_at;  // the length byte
    } else {
      end += static_cast<std::size_t>(kind);
    }
    if (end + after > size) [[unlikely]]
      return Step::Cut;
    pair.valueStart = m_at;
    pair.valueEnd = end;
    pair.end = end + after;
    m_at = pair.end;
    return Step::Pair;
  }

 private:
  static constexpr int kStringSize = binary_dxf_detail::kStringSize;
  static constexpr int kChunkSize = binary_dxf_detail::kChunkSize;
  // The bytes of a value of the code in the file, or kStringSize or kChunkSize.
  static int ValueSizeOfCode(int code) noexcept {
    if (code < 0 || code > group_codes_detail::kLastTypedCode) return kStringSize;
    return binary_dxf_detail::kValueSizes[static_cast<std::size_t>(code)];
  }
  bool ReadCode(int& code) noexcept {
    const std::size_t left = m_bytes.size() - m_at;
    const auto* at = reinterpret_cast<const unsigned char*>(m_bytes.data() + m_at);
    if (m_codes == BinaryCodes::OneByte && *at != kWideCodeMark) {
      code = *at;
      m_at += 1;
      return true;
    }
    const std::size_t skip = m_codes == BinaryCodes::OneByte ? 1 : 0;
    if (left < skip + 2) return false;
    code = static_cast<std::int16_t>(at[skip] | at[skip + 1] << 8);
    m_at += skip + 2;
    return true;
  }

  std::string_view m_bytes;
  std::size_t m_at;
  BinaryCodes m_codes;
};

/// Tells how a binary file writes its codes by the code of $ACADVER's value (1, "AC...")
/// in the header: one byte 1, or the bytes 1 and 0, before the "A"; nothing without one.
std::optional<BinaryCodes> CodesOfAcadVer(std::string_view bytes) noexcept;

/// Tells how a binary file most likely writes its codes by its first pair, (0, SECTION) in
/// a drawing: with two-byte codes its code is two NUL bytes, with one-byte codes the NUL
/// is followed by the name's first letter. A first byte 255 is the one-byte form's mark of
/// a wide code: read as two bytes it would be a code 255, 511, 767 or 1023, which DXF lacks.
BinaryCodes CodesOfFirstPair(std::string_view bytes) noexcept;

/// The most characters ValueText writes for a value of valueBytes bytes of the type.
std::size_t MaxValueTextLength(GroupValueType type, std::size_t valueBytes) noexcept;

/// Writes the text of value, the bytes BinaryPair names, to `to` (room for
/// MaxValueTextLength characters) and returns its length: a string as it is, a real in the
/// shortest decimal text that reads back as the same double, an integer in decimal (a
/// flag unsigned), a chunk in upper-case hexadecimal.
std::size_t ValueText(GroupValueType type, std::string_view value, char* to) noexcept;

/// Why a pair cannot be written in the binary form.
enum class BinaryFault : std::uint8_t {
  None,
  CodeOutOfRange,  // the code does not fit in 16 bits
  NotReal,         // a real code's value is no decimal number, or is beyond a double
  NotInteger,      // an integer code's value is no decimal integer
  OutOfRange,      // an integer beyond the code's width
  NotHex,          // a chunk that is not pairs of hexadecimal digits
  ChunkTooLong,    // a chunk of more than kMaxChunkBytes bytes
  HasNul,          // a string with a NUL byte, which would end it early
};

/// The most bytes one chunk pair holds, as a text file's line of 254 digits does.
constexpr std::size_t kMaxChunkBytes = 127;

/// Appends pair (code, text) in the binary form with codes written as `codes` to out and
/// returns None; a text the code's type cannot hold (a number's may have blanks around it)
/// appends nothing and returns why.
BinaryFault AppendBinaryPair(std::string& out, BinaryCodes codes, int code, std::string_view text);

/// Tells why pair (code, text) cannot be written in the binary form, or None.
BinaryFault BinaryFaultOf(int code, std::string_view text);

/// Returns the reason of a fault, CP932, e.g. "浮動小数点数ではありません".
std::string BinaryFaultText(BinaryFault fault);
