// MyStringLib.cpp - character-aware text helpers for Shift-JIS (CP932) byte strings.
//
// Every walk over characters starts at the left end, because a trail byte can only be
// told from a single-byte character by the bytes before it.
#include "model/text/MyStringLib.h"

#include <charconv>  // std::from_chars
#include <climits>   // INT_MAX, INT_MIN
#include <cmath>     // std::floor
#include <cstdarg>   // va_list
#include <cstdint>   // std::uint32_t
#include <cstdio>    // std::vsnprintf
#include <cstring>   // std::strchr
#include <vector>    // std::vector

static bool IsBlankOrControl(char c) noexcept {
  return static_cast<unsigned char>(c) <= 0x20;
}

std::string_view TrimView(std::string_view s) noexcept {
  std::size_t begin = 0;
  std::size_t end = s.size();
  while (begin < end && IsBlankOrControl(s[begin])) ++begin;
  while (end > begin && IsBlankOrControl(s[end - 1])) --end;
  return s.substr(begin, end - begin);
}

std::string Trim(std::string_view s) {
  return std::string(TrimView(s));
}

int CharLength(std::string_view s, std::size_t at) noexcept {
  return (IsLeadByte(s[at]) && at + 1 < s.size()) ? 2 : 1;
}

bool IsDoubleByte(std::string_view s) noexcept {
  return s.size() >= 2 && IsLeadByte(s[0]);
}

// Byte offsets at which the characters of S start, in order.
static std::vector<std::size_t> CharStarts(std::string_view s) {
  std::vector<std::size_t> starts;
  starts.reserve(s.size());
  for (std::size_t at = 0; at < s.size(); at += CharLength(s, at)) starts.push_back(at);
  return starts;
}

std::string ReverseMBCS(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  const std::vector<std::size_t> starts = CharStarts(s);
  for (auto it = starts.rbegin(); it != starts.rend(); ++it)
    out.append(s.substr(*it, CharLength(s, *it)));
  return out;
}

int CharPos(std::string_view sub, std::string_view s) noexcept {
  if (sub.empty()) return 0;
  for (std::size_t at = 0; at + sub.size() <= s.size(); at += CharLength(s, at))
    if (s.compare(at, sub.size(), sub) == 0) return static_cast<int>(at) + 1;
  return 0;
}

int LastPos(std::string_view sub, std::string_view s) noexcept {
  if (sub.empty()) return 0;
  int last = 0;
  for (std::size_t at = 0; at + sub.size() <= s.size(); at += CharLength(s, at))
    if (s.compare(at, sub.size(), sub) == 0) last = static_cast<int>(at) + 1;
  return last;
}

// Byte offset just past the first n characters of S (S's size when it has fewer).
static std::size_t OffsetAfterChars(std::string_view s, int n) noexcept {
  std::size_t at = 0;
  for (int count = 0; count < n && at < s.size(); ++count) at += CharLength(s, at);
  return at;
}

static int CountChars(std::string_view s) noexcept {
  int count = 0;
  for (std::size_t at = 0; at < s.size(); at += CharLength(s, at)) ++count;
  return count;
}

std::string LeftChars(std::string_view s, int n) {
  if (n <= 0) return {};
  return std::string(s.substr(0, OffsetAfterChars(s, n)));
}

std::string RightChars(std::string_view s, int n) {
  if (n <= 0) return {};
  const int total = CountChars(s);
  if (n >= total) return std::string(s);
  return std::string(s.substr(OffsetAfterChars(s, total - n)));
}

std::string FromChar(std::string_view s, int n) {
  if (n <= 1) return std::string(s);
  return std::string(s.substr(OffsetAfterChars(s, n - 1)));
}

std::string MidChars(std::string_view s, int start, int count) {
  return LeftChars(FromChar(s, start), count);
}

std::string HexPad(int v, int width) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::uint32_t u = static_cast<std::uint32_t>(v);
  std::string digits;
  do {
    digits.insert(digits.begin(), kDigits[u & 0xF]);
    u >>= 4;
  } while (u != 0);
  const char pad = v < 0 ? 'F' : '0';
  if (static_cast<int>(digits.size()) < width)
    digits.insert(digits.begin(), static_cast<std::size_t>(width) - digits.size(), pad);
  return digits;
}

std::string EscapeControls(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t at = 0; at < s.size();) {
    const int len = CharLength(s, at);
    const unsigned char c = static_cast<unsigned char>(s[at]);
    if (len == 1 && c < 32) {
      out += '#';
      out += HexPad(c, 2);
    } else {
      out.append(s.substr(at, len));
    }
    at += len;
  }
  return out;
}

static bool IsDigit(char c) noexcept {
  return c >= '0' && c <= '9';
}

// Offset of the first single-byte digit of S, or S's size; double-byte characters are
// stepped over whole so that their trail bytes are never taken for digits.
static std::size_t FirstDigit(std::string_view s) noexcept {
  std::size_t i = 0;
  while (i < s.size()) {
    if (IsLeadByte(s[i])) {
      i += 2;
    } else if (IsDigit(s[i])) {
      return i;
    } else {
      ++i;
    }
  }
  return s.size();
}

// Length of the number that starts at the front of S: the first byte may be a sign, a
// comma, a point or a digit; then commas, points and digits; after a point only digits.
static std::size_t NumberLength(std::string_view s) noexcept {
  enum class Accept { First, Body, Fraction } accept = Accept::First;
  std::size_t j = 0;
  for (; j < s.size(); ++j) {
    const char c = s[j];
    bool ok = IsDigit(c);
    if (accept != Accept::Fraction) ok = ok || c == ',' || c == '.';
    if (accept == Accept::First) ok = ok || c == '+' || c == '-';
    if (!ok) break;
    accept = (c == '.' || accept == Accept::Fraction) ? Accept::Fraction : Accept::Body;
  }
  return j;
}

void SplitNumber(std::string_view s, std::string& prefix, std::string& number,
                 std::string& suffix) {
  std::size_t i = FirstDigit(s);
  if (i > s.size()) i = s.size();  // a lead byte as the very last byte steps past the end
  if (i > 0 && i < s.size() && (s[i - 1] == '+' || s[i - 1] == '-')) --i;
  const std::size_t len = NumberLength(s.substr(i));
  prefix.assign(s.substr(0, i));
  number.assign(s.substr(i, len));
  suffix.assign(s.substr(i + len));
  if (number == "+" || number == "-") {
    prefix += number;
    number.clear();
  }
}

bool IsNumber(std::string_view s) {
  std::string prefix, number, suffix;
  SplitNumber(s, prefix, number, suffix);
  return number == s;
}

int FloorOfNumber(std::string_view s) {
  std::string prefix, number, suffix;
  SplitNumber(s, prefix, number, suffix);
  std::string plain;
  for (char c : number)
    if (c != ',') plain += c;
  if (plain.empty()) return 0;
  double value = 0;
  if (!ParseDouble(plain, value)) {
    // Only a number beyond a double's range gets here: a digit run too long, beyond the
    // int range, or a fraction so small that it rounds to nothing.
    const bool negative = plain[0] == '-';
    const std::string_view whole = std::string_view(plain).substr(0, plain.find('.'));
    if (whole.find_first_of("123456789") != std::string_view::npos)
      return negative ? INT_MIN : INT_MAX;
    return negative ? -1 : 0;
  }
  const double floored = std::floor(value);
  if (floored >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (floored <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(floored);
}

bool ParseInt32(std::string_view s, int& value) noexcept {
  if (s.empty()) return false;
  std::size_t at = 0;
  bool negative = false;
  if (s[0] == '+' || s[0] == '-') {
    negative = s[0] == '-';
    at = 1;
  }
  if (at == s.size()) return false;
  long long acc = 0;
  for (; at < s.size(); ++at) {
    if (!IsDigit(s[at])) return false;
    acc = acc * 10 + (s[at] - '0');
    if (acc > 2147483648LL) return false;
  }
  if (negative) acc = -acc;
  if (acc > INT_MAX || acc < INT_MIN) return false;
  value = static_cast<int>(acc);
  return true;
}

bool ParseHex32(std::string_view s, int& value) noexcept {
  std::uint64_t wide = 0;
  if (s.size() > 8 || !ParseHex64(s, wide)) return false;
  value = static_cast<int>(static_cast<std::uint32_t>(wide));
  return true;
}

bool ParseHex64(std::string_view s, std::uint64_t& value) noexcept {
  if (s.empty() || s.size() > 16) return false;
  std::uint64_t acc = 0;
  for (char c : s) {
    unsigned digit;
    if (c >= '0' && c <= '9') {
      digit = static_cast<unsigned>(c - '0');
    } else if (c >= 'A' && c <= 'F') {
      digit = static_cast<unsigned>(c - 'A' + 10);
    } else if (c >= 'a' && c <= 'f') {
      digit = static_cast<unsigned>(c - 'a' + 10);
    } else {
      return false;
    }
    acc = (acc << 4) | digit;
  }
  value = acc;
  return true;
}

bool ParseDouble(std::string_view s, double& value) noexcept {
  if (!s.empty() && s[0] == '+') {
    s.remove_prefix(1);
    if (!s.empty() && (s[0] == '-' || s[0] == '+')) return false;
  }
  // A digit or a point must come first: from_chars also reads "inf" and "nan".
  const std::size_t first = !s.empty() && s[0] == '-' ? 1 : 0;
  if (first >= s.size() || !(IsDigit(s[first]) || s[first] == '.')) return false;
  double parsed = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), parsed);
  if (ec != std::errc() || end != s.data() + s.size()) return false;
  value = parsed;
  return true;
}

std::string UpperAscii(std::string_view s) {
  std::string out(s);
  for (std::size_t at = 0; at < out.size(); at += CharLength(out, at))
    if (out[at] >= 'a' && out[at] <= 'z') out[at] = static_cast<char>(out[at] - 'a' + 'A');
  return out;
}

// Rewrites a printf format to the program's conventions: "%f" without a precision gets
// ".2", "%x" becomes "%X".
static std::string ProgramFormat(const char* format) {
  std::string out;
  for (const char* p = format; *p; ++p) {
    out += *p;
    if (*p != '%') continue;
    if (p[1] == '%') {
      out += *++p;
      continue;
    }
    bool precision = false;
    while (p[1] && std::strchr("-+ #0123456789.*lhjzt", p[1])) {
      precision = precision || p[1] == '.';
      out += *++p;
    }
    if (p[1] == 'f' && !precision) out += ".2";
    if (p[1] == 'x') {
      out += 'X';
      ++p;
    }
  }
  return out;
}

std::string Format(const char* format, ...) {
  const std::string converted = ProgramFormat(format);
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int needed = std::vsnprintf(nullptr, 0, converted.c_str(), args);
  va_end(args);
  std::string out;
  if (needed > 0) {
    out.resize(static_cast<std::size_t>(needed) + 1);
    std::vsnprintf(out.data(), out.size(), converted.c_str(), again);
    out.resize(static_cast<std::size_t>(needed));
  }
  va_end(again);
  return out;
}
