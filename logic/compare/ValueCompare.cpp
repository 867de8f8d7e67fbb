// ValueCompare.cpp - values compared by what they say, not by how they are written.
//
// Performance: most values of two versions of a drawing are byte for byte equal, so the
// bytes are compared first and only values that differ are parsed or decoded.
#include "logic/compare/ValueCompare.h"

#include <charconv>  // std::from_chars
#include <cstdint>   // std::int64_t, std::uint64_t
#include <string>    // std::string

#include "model/buffer/GroupCodes.h"
#include "model/buffer/HandleIndex.h"  // ParseHandle
#include "model/text/MyStringLib.h"    // TrimView

namespace {

// Drops the plus sign from_chars does not take.
std::string_view WithoutPlus(std::string_view s) {
  return !s.empty() && s.front() == '+' ? s.substr(1) : s;
}

template <typename Number>
bool ParseWhole(std::string_view s, Number& value) {
  s = WithoutPlus(s);
  const char* const end = s.data() + s.size();
  const auto [stop, error] = std::from_chars(s.data(), end, value);
  return error == std::errc() && stop == end && !s.empty();
}

// Compares two trimmed texts as numbers of a type, or as texts when either is no number.
template <typename Number>
bool SameNumber(std::string_view x, std::string_view y) {
  Number a{}, b{};
  if (ParseWhole(x, a) && ParseWhole(y, b)) return a == b;
  return x == y;
}

bool SameHandle(std::string_view x, std::string_view y) {
  std::uint64_t a = 0, b = 0;
  if (ParseHandle(x, a) && ParseHandle(y, b)) return a == b;
  return TrimView(x) == TrimView(y);
}

}  // namespace

bool SameText(SideValue here, SideValue there) {
  if (here.bytes == there.bytes && here.encoding == there.encoding) return true;
  if (IsPlainAscii(here.bytes) && IsPlainAscii(there.bytes)) return here.bytes == there.bytes;
  std::string scratchHere, scratchThere;
  return DecodeText(here.encoding, here.bytes, scratchHere) ==
         DecodeText(there.encoding, there.bytes, scratchThere);
}

bool SameValue(int code, SideValue here, SideValue there, bool exactNumbers) {
  const GroupValueType type = ValueTypeOfCode(code);
  const bool handle = IsHandleValueCode(code);
  if (!IsNumberType(type) && !handle) return SameText(here, there);
  if (here.bytes == there.bytes) return true;
  if (exactNumbers) return false;
  if (handle) return SameHandle(here.bytes, there.bytes);
  const std::string_view x = TrimView(here.bytes), y = TrimView(there.bytes);
  return type == GroupValueType::Real ? SameNumber<double>(x, y) : SameNumber<std::int64_t>(x, y);
}
