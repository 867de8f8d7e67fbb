// GroupValues.cpp - reading a value's text as the number its group code holds.
//
// Performance: the check reads every number of a drawing; the scans convert nothing
// but integers, which from_chars reads without a copy.
#include "model/buffer/GroupValues.h"

#include <charconv>  // std::from_chars
#include <cstdint>   // INT16_MIN, INT32_MIN, UINT16_MAX, UINT32_MAX

#include "model/buffer/GroupCodes.h"

static bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Skips a run of digits from `at`; returns how many there were.
static std::size_t SkipDigits(std::string_view s, std::size_t& at) {
  const std::size_t from = at;
  while (at < s.size() && IsDigit(s[at])) ++at;
  return at - from;
}

bool IsDecimalReal(std::string_view s) {
  std::size_t at = 0;
  if (at < s.size() && (s[at] == '+' || s[at] == '-')) ++at;
  std::size_t digits = SkipDigits(s, at);
  if (at < s.size() && s[at] == '.') {
    ++at;
    digits += SkipDigits(s, at);
  }
  if (digits == 0) return false;
  if (at < s.size() && (s[at] == 'e' || s[at] == 'E')) {
    ++at;
    if (at < s.size() && (s[at] == '+' || s[at] == '-')) ++at;
    if (SkipDigits(s, at) == 0) return false;
  }
  return at == s.size();
}

bool ReadDecimalInteger(std::string_view s, long long& value) {
  // from_chars takes a minus but no plus.
  if (s.size() > 1 && s[0] == '+' && IsDigit(s[1])) s.remove_prefix(1);
  const auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), value);
  return error == std::errc() && end == s.data() + s.size();
}

static bool IsIntegerWithin(std::string_view s, long long low, long long high) {
  long long value = 0;
  return ReadDecimalInteger(s, value) && value >= low && value <= high;
}

bool ReadsAsNumberOfCode(int code, std::string_view trimmed) {
  long long ignored = 0;
  switch (ValueTypeOfCode(code)) {
    case GroupValueType::String:
    case GroupValueType::Chunk:
      return true;
    case GroupValueType::Real:
      return IsDecimalReal(trimmed);
    case GroupValueType::Int16:
    case GroupValueType::Bool:
      return IsIntegerWithin(trimmed, INT16_MIN, UINT16_MAX);
    case GroupValueType::Int32:
      return IsIntegerWithin(trimmed, INT32_MIN, UINT32_MAX);
    case GroupValueType::Int64:
      return ReadDecimalInteger(trimmed, ignored);
  }
  return true;
}
