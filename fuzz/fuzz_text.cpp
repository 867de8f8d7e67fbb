// fuzz_text.cpp - the text helpers against simple reference versions.
//
// The references split a text into its characters first (a lead byte and the byte after
// it are one character, a lead byte at the very end is one on its own) and then work
// on the list, so they share nothing with the helpers' byte walks.
#include <cmath>    // std::floor, std::isfinite
#include <cstddef>  // std::size_t
#include <cstdint>  // std::uint8_t
#include <cstdlib>  // std::strtod, std::strtoll
#include <string>   // std::string

#include "fuzz/FuzzSupport.h"
#include "logic/rounding/RoundingTool.h"
#include "tests/support/PlainSnap.h"

namespace {

using Chars = std::vector<std::string>;

Chars CharsOf(std::string_view s) {
  Chars chars;
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t n = IsLeadByte(s[i]) && i + 1 < s.size() ? 2 : 1;
    chars.emplace_back(s.substr(i, n));
    i += n;
  }
  return chars;
}

std::string Join(const Chars& chars, std::size_t from, std::size_t to) {
  std::string out;
  for (std::size_t k = from; k < to && k < chars.size(); ++k) out += chars[k];
  return out;
}

// Byte offsets where characters start, and the end.
std::vector<std::size_t> Boundaries(const Chars& chars) {
  std::vector<std::size_t> at{0};
  for (const std::string& c : chars) at.push_back(at.back() + c.size());
  return at;
}

int RefCharPos(std::string_view sub, std::string_view s, bool last) {
  if (sub.empty()) return 0;
  int found = 0;
  for (const std::size_t at : Boundaries(CharsOf(s))) {
    if (at + sub.size() > s.size() || s.substr(at, sub.size()) != sub) continue;
    found = static_cast<int>(at) + 1;
    if (!last) break;
  }
  return found;
}

void CheckCharacterHelpers(std::string_view s, std::string_view sub, int n, int count) {
  const Chars chars = CharsOf(s);
  const std::size_t total = chars.size();
  const std::size_t first = n <= 1 ? 0 : static_cast<std::size_t>(n - 1);
  FUZZ_CHECK(LeftChars(s, n) == (n <= 0 ? "" : Join(chars, 0, static_cast<std::size_t>(n))));
  const std::size_t right = n <= 0 ? total : total - std::min(total, static_cast<std::size_t>(n));
  FUZZ_CHECK(RightChars(s, n) == (n <= 0 ? "" : Join(chars, right, total)));
  FUZZ_CHECK(FromChar(s, n) == Join(chars, first, total));
  const std::string mid = count <= 0 ? "" : Join(chars, first, first + count);
  FUZZ_CHECK(MidChars(s, n, count) == mid);
  FUZZ_CHECK(CharPos(sub, s) == RefCharPos(sub, s, false));
  FUZZ_CHECK(LastPos(sub, s) == RefCharPos(sub, s, true));
  Chars reversed(chars.rbegin(), chars.rend());
  FUZZ_CHECK(ReverseMBCS(s) == Join(reversed, 0, total));
  std::string upper, escaped;
  for (const std::string& c : chars) {
    const bool single = c.size() == 1;
    upper += single && c[0] >= 'a' && c[0] <= 'z' ? std::string(1, c[0] - 'a' + 'A') : c;
    escaped += single && static_cast<unsigned char>(c[0]) < 32 ? Format("#%02X", c[0]) : c;
  }
  FUZZ_CHECK(UpperAscii(s) == upper);
  FUZZ_CHECK(EscapeControls(s) == escaped);
  std::size_t begin = 0, end = s.size();
  while (begin < end && static_cast<unsigned char>(s[begin]) <= 0x20) ++begin;
  while (end > begin && static_cast<unsigned char>(s[end - 1]) <= 0x20) --end;
  FUZZ_CHECK(Trim(s) == s.substr(begin, end - begin));
  FUZZ_CHECK(IsDoubleByte(s) == (!chars.empty() && chars[0].size() == 2));
}

// The number helpers: exact readings against strtoll and strtod, and the split of a text
// around its first number by what must hold of any split.
void CheckNumberHelpers(const std::string& s, int width, int v) {
  const std::size_t signs = !s.empty() && (s[0] == '+' || s[0] == '-') ? 1 : 0;
  const bool decimal =
      s.size() > signs && s.find_first_not_of("0123456789", signs) == std::string::npos;
  const long long wide = std::strtoll(s.c_str(), nullptr, 10);  // saturates when too long
  const bool inRange = decimal && wide >= INT32_MIN && wide <= INT32_MAX;
  int parsed = 12345;
  FUZZ_CHECK(ParseInt32(s, parsed) == inRange);
  FUZZ_CHECK(parsed == (inRange ? wide : 12345));
  const bool hex = !s.empty() && s.size() <= 8 &&
                   s.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
  FUZZ_CHECK(ParseHex32(s, parsed) == hex);
  if (hex) FUZZ_CHECK(static_cast<unsigned>(parsed) == std::strtoul(s.c_str(), nullptr, 16));
  double real = 0;
  if (ParseDouble(s, real)) {
    // Only a plain decimal number reads: digits, a point, an exponent, a leading sign.
    FUZZ_CHECK(s.find_first_not_of("+-.0123456789eE") == std::string::npos);
    FUZZ_CHECK(std::isfinite(real) && real == std::strtod(s.c_str(), nullptr));
  }
  std::string prefix, number, suffix;
  SplitNumber(s, prefix, number, suffix);
  FUZZ_CHECK(prefix + number + suffix == s);
  FUZZ_CHECK(number.find_first_not_of("+-,.0123456789") == std::string::npos);
  FUZZ_CHECK(number.empty() || number.find_first_of("0123456789") != std::string::npos);
  std::string plain;
  for (const char c : number)
    if (c != ',') plain += c;
  const double floored = plain.empty() ? 0 : std::floor(std::strtod(plain.c_str(), nullptr));
  const int expected = floored >= INT32_MAX   ? INT32_MAX
                       : floored <= INT32_MIN ? INT32_MIN
                                              : static_cast<int>(floored);
  FUZZ_CHECK(FloorOfNumber(s) == expected);
  const std::string hexText = HexPad(v, width);
  const std::string digits = Format("%X", static_cast<unsigned>(v));
  FUZZ_CHECK(hexText.size() == std::max<std::size_t>(digits.size(), width < 0 ? 0 : width));
  FUZZ_CHECK(hexText.ends_with(digits));
  FUZZ_CHECK(hexText.find_first_not_of(v < 0 ? 'F' : '0') >= hexText.size() - digits.size());
}

// The rounding tool's snapping against the plain steps: a text that reads as a number
// snaps as they say, any other text is refused and kept.
void CheckSnapValue(const std::string& s, int step, int digit) {
  const int r = StepFactor(step);
  const double q = RoundScale(r, digit);
  std::string text = s;
  double real = 0;
  const Result<bool> snapped = SnapValue(text, r, q);
  if (s.empty() || ParseDouble(s, real)) {
    FUZZ_CHECK(snapped.Ok() && text == (s.empty() ? s : PlainSnap(s, r, q)));
    return;
  }
  FUZZ_CHECK(snapped.error().code == ErrorCode::NotANumber && text == s);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ByteReader script(data, size);
  const int n = static_cast<int>(script.Byte()) - 16;
  const int count = static_cast<int>(script.Byte()) - 16;
  const int width = static_cast<int>(script.Byte() % 40) - 4;
  const unsigned low = script.Word();
  const int v = static_cast<int>(low | (script.Word() << 16));
  const std::string sub = script.Text();
  const std::string s(script.Rest().substr(0, 1024));
  CheckCharacterHelpers(s, sub, n, count);
  CheckNumberHelpers(s, width, v);
  // Steps and digits from -1 (nothing selected) to the last item.
  CheckSnapValue(s.substr(0, 24), (n + 16) % (kNoCorrectionIndex + 1) - 1,
                 (count + 16) % (kRoundDigitCount + 1) - 1);
  return 0;
}
