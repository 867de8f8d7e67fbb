// BinaryDXF.cpp - reading and writing the pairs of the binary form.
//
// Performance: a real's text comes from to_chars, the shortest round-trip text and the
// fastest way to it.
#include "model/buffer/BinaryDXF.h"

#include <bit>       // std::bit_cast
#include <charconv>  // std::to_chars, std::from_chars
#include <cstdint>   // std::int16_t, std::int32_t, std::int64_t, std::uint16_t, ...
#include <cstring>   // std::memcpy, std::memchr

#include "model/buffer/GroupValues.h"
#include "model/text/MyStringLib.h"
#include "model/text/Sjis.h"

// ------------------------------------------------------------------ little-endian numbers

template <typename T>
static T ReadLittle(const char* at) noexcept {
  std::make_unsigned_t<T> bits = 0;
  for (std::size_t k = sizeof(T); k-- > 0;)
    bits = static_cast<std::make_unsigned_t<T>>(bits << 8 | static_cast<unsigned char>(at[k]));
  return static_cast<T>(bits);
}

template <typename T>
static void AppendLittle(std::string& out, T value) {
  auto bits = static_cast<std::make_unsigned_t<T>>(value);
  for (std::size_t k = 0; k < sizeof(T); ++k) {
    out += static_cast<char>(bits & 0xFF);
    bits = static_cast<std::make_unsigned_t<T>>(bits >> 8);
  }
}

// ------------------------------------------------------------------ reading

std::optional<BinaryCodes> CodesOfAcadVer(std::string_view bytes) noexcept {
  constexpr std::string_view kAcadVer("$ACADVER\0", 9);
  constexpr std::size_t kHeaderReach = 1024;  // $ACADVER is the header's first variable
  const std::size_t name = bytes.substr(0, kHeaderReach).find(kAcadVer);
  if (name == std::string_view::npos) return std::nullopt;
  const std::string_view after = bytes.substr(name + kAcadVer.size());
  constexpr std::string_view kOneByteCode("\x01\x41", 2);  // code 1, then "A"
  constexpr std::string_view kTwoByteCode("\x01\x00\x41", 3);
  if (after.starts_with(kOneByteCode)) return BinaryCodes::OneByte;
  if (after.starts_with(kTwoByteCode)) return BinaryCodes::TwoBytes;
  return std::nullopt;
}

BinaryCodes CodesOfFirstPair(std::string_view bytes) noexcept {
  const std::size_t first = kBinarySentinel.size(), second = first + 1;
  if (bytes.size() > first && static_cast<unsigned char>(bytes[first]) == kWideCodeMark)
    return BinaryCodes::OneByte;
  const bool secondByteNul = bytes.size() > second && bytes[second] == '\0';
  return secondByteNul ? BinaryCodes::TwoBytes : BinaryCodes::OneByte;
}

// ------------------------------------------------------------------ showing

std::size_t MaxValueTextLength(GroupValueType type, std::size_t valueBytes) noexcept {
  constexpr std::size_t kShortestDouble = 24;  // -2.2250738585072014e-308
  constexpr std::size_t kInt64Digits = 20;     // -9223372036854775808
  switch (type) {
    case GroupValueType::String:
      return valueBytes;
    case GroupValueType::Chunk:
      return 2 * valueBytes;
    case GroupValueType::Real:
      return kShortestDouble;
    case GroupValueType::Int16:
    case GroupValueType::Int32:
    case GroupValueType::Int64:
    case GroupValueType::Bool:
      return kInt64Digits;
  }
  return valueBytes;
}

template <typename T>
static std::size_t DecimalText(T value, char* to) noexcept {
  return static_cast<std::size_t>(std::to_chars(to, to + 24, value).ptr - to);
}

std::size_t ValueText(GroupValueType type, std::string_view value, char* to) noexcept {
  const char* at = value.data();
  switch (type) {
    case GroupValueType::String:
      if (!value.empty()) std::memcpy(to, at, value.size());
      return value.size();
    case GroupValueType::Real:
      return DecimalText(std::bit_cast<double>(ReadLittle<std::uint64_t>(at)), to);
    case GroupValueType::Int16:
      return DecimalText(ReadLittle<std::int16_t>(at), to);
    case GroupValueType::Int32:
      return DecimalText(ReadLittle<std::int32_t>(at), to);
    case GroupValueType::Int64:
      return DecimalText(ReadLittle<std::int64_t>(at), to);
    case GroupValueType::Bool:
      return DecimalText(static_cast<unsigned>(static_cast<unsigned char>(*at)), to);
    case GroupValueType::Chunk:
      for (const char c : value) {
        static constexpr char kDigits[] = "0123456789ABCDEF";
        *to++ = kDigits[static_cast<unsigned char>(c) >> 4];
        *to++ = kDigits[static_cast<unsigned char>(c) & 0xF];
      }
      return 2 * value.size();
  }
  return 0;
}

// ------------------------------------------------------------------ writing

static void AppendCode(std::string& out, BinaryCodes codes, int code) {
  const bool oneByte = code >= 0 && code < kWideCodeMark;
  if (codes == BinaryCodes::OneByte && oneByte) {
    out += static_cast<char>(code);
    return;
  }
  if (codes == BinaryCodes::OneByte) out += static_cast<char>(kWideCodeMark);
  AppendLittle(out, static_cast<std::int16_t>(code));
}

static BinaryFault AppendReal(std::string& out, std::string_view text) {
  if (!IsDecimalReal(text)) return BinaryFault::NotReal;
  if (text.starts_with('+')) text.remove_prefix(1);  // from_chars takes a minus but no plus
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return BinaryFault::NotReal;
  AppendLittle(out, std::bit_cast<std::uint64_t>(value));
  return BinaryFault::None;
}

// Integers of 16 and 32 bits take signed and unsigned values alike, as the check reads
// them; the bytes are the same.
static BinaryFault AppendInteger(std::string& out, GroupValueType type, std::string_view text) {
  long long value = 0;
  if (!ReadDecimalInteger(text, value)) {
    const bool digitsOnly = IsDecimalReal(text) && text.find_first_of(".eE") == text.npos;
    return digitsOnly ? BinaryFault::OutOfRange : BinaryFault::NotInteger;  // beyond 64 bits
  }
  const auto within = [value](long long low, long long high) {
    return value >= low && value <= high;
  };
  switch (type) {
    case GroupValueType::Int16:
      if (!within(INT16_MIN, UINT16_MAX)) return BinaryFault::OutOfRange;
      AppendLittle(out, static_cast<std::uint16_t>(value));
      return BinaryFault::None;
    case GroupValueType::Int32:
      if (!within(INT32_MIN, UINT32_MAX)) return BinaryFault::OutOfRange;
      AppendLittle(out, static_cast<std::uint32_t>(value));
      return BinaryFault::None;
    case GroupValueType::Int64:
      AppendLittle(out, value);
      return BinaryFault::None;
    case GroupValueType::Bool:
      if (!within(0, UINT8_MAX)) return BinaryFault::OutOfRange;
      out += static_cast<char>(value);
      return BinaryFault::None;
    case GroupValueType::String:
    case GroupValueType::Real:
    case GroupValueType::Chunk:
      break;
  }
  return BinaryFault::NotInteger;
}

static int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

static BinaryFault AppendChunk(std::string& out, std::string_view hex) {
  if (hex.size() % 2 != 0) return BinaryFault::NotHex;
  if (hex.size() / 2 > kMaxChunkBytes) return BinaryFault::ChunkTooLong;
  const std::size_t start = out.size();
  out += static_cast<char>(hex.size() / 2);
  for (std::size_t k = 0; k < hex.size(); k += 2) {
    const int high = HexDigit(hex[k]);
    const int low = HexDigit(hex[k + 1]);
    if (high < 0 || low < 0) {
      out.resize(start);
      return BinaryFault::NotHex;
    }
    out += static_cast<char>(high << 4 | low);
  }
  return BinaryFault::None;
}

static BinaryFault AppendValue(std::string& out, int code, std::string_view text) {
  const GroupValueType type = ValueTypeOfCode(code);
  switch (type) {
    case GroupValueType::String:
      if (text.find('\0') != std::string_view::npos) return BinaryFault::HasNul;
      out += text;
      out += '\0';
      return BinaryFault::None;
    case GroupValueType::Real:
      return AppendReal(out, TrimView(text));
    case GroupValueType::Int16:
    case GroupValueType::Int32:
    case GroupValueType::Int64:
    case GroupValueType::Bool:
      return AppendInteger(out, type, TrimView(text));
    case GroupValueType::Chunk:
      return AppendChunk(out, TrimView(text));
  }
  return BinaryFault::None;
}

BinaryFault AppendBinaryPair(std::string& out, BinaryCodes codes, int code, std::string_view text) {
  if (code < INT16_MIN || code > INT16_MAX) return BinaryFault::CodeOutOfRange;
  const std::size_t start = out.size();
  AppendCode(out, codes, code);
  const BinaryFault fault = AppendValue(out, code, text);
  if (fault != BinaryFault::None) out.resize(start);
  return fault;
}

BinaryFault BinaryFaultOf(int code, std::string_view text) {
  std::string encoded;
  return AppendBinaryPair(encoded, BinaryCodes::TwoBytes, code, text);
}

std::string BinaryFaultText(BinaryFault fault) {
  switch (fault) {
    case BinaryFault::None:
      return {};
    case BinaryFault::CodeOutOfRange:
      return Sjis("グループコードが 16 ビットに収まりません");
    case BinaryFault::NotReal:
      return Sjis("浮動小数点数ではありません");
    case BinaryFault::NotInteger:
      return Sjis("整数値ではありません");
    case BinaryFault::OutOfRange:
      return Sjis("整数がグループコードの桁数に収まりません");
    case BinaryFault::NotHex:
      return Sjis("16 進数のバイト列ではありません");
    case BinaryFault::ChunkTooLong:
      return Sjis("バイナリデータが 127 バイトを超えています");
    case BinaryFault::HasNul:
      return Sjis("NUL 文字を含んでいます");
  }
  return {};
}
