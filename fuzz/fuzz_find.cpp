// fuzz_find.cpp - find in the values against a reference matcher.
//
// The input is a find box's text, the pair the search starts at and the drawing. The
// reference parses the stars and matches on character boundaries by its own walk.
#include <algorithm>  // std::find, std::max
#include <cstddef>    // std::size_t
#include <cstdint>    // std::uint8_t
#include <string>     // std::string

#include "fuzz/FuzzSupport.h"
#include "logic/find/FindMatcher.h"

namespace {

// Byte offsets at which the characters of s start, and its end.
std::vector<std::size_t> Boundaries(std::string_view s) {
  std::vector<std::size_t> at;
  std::size_t i = 0;
  for (; i < s.size(); i += IsLeadByte(s[i]) && i + 1 < s.size() ? 2 : 1) at.push_back(i);
  at.push_back(s.size());
  return at;
}

std::string RefUpper(std::string_view s) {
  std::string out(s);
  for (const std::size_t at : Boundaries(s))
    if (at < out.size() && out[at] >= 'a' && out[at] <= 'z') out[at] = out[at] - 'a' + 'A';
  return out;
}

bool OccursAt(std::string_view term, std::string_view value, std::size_t at) {
  return at + term.size() <= value.size() && value.substr(at, term.size()) == term;
}

// Matches an upper-cased value: a box text with a leading star matches at the end, with
// a trailing one at the start, with both anywhere, always from a character boundary; an
// empty term behind a single star matches an empty value only, and with two nothing.
bool RefMatches(std::string_view box, std::string_view value) {
  const bool leading = !box.empty() && box[0] == '*';
  std::string_view term = leading ? box.substr(1) : box;
  const std::vector<std::size_t> termChars = Boundaries(term);
  const bool trailing = termChars.size() > 1 && term.back() == '*' &&
                        termChars[termChars.size() - 2] == term.size() - 1;
  if (trailing) term.remove_suffix(1);
  const std::vector<std::size_t> at = Boundaries(value);
  if (!leading && !trailing) return value == term;
  if (!leading) return !term.empty() && value.starts_with(term);
  if (!trailing) {
    if (term.empty()) return value.empty();
    return value.size() >= term.size() &&
           std::find(at.begin(), at.end(), value.size() - term.size()) != at.end() &&
           value.ends_with(term);
  }
  if (term.empty()) return false;
  for (const std::size_t a : at)
    if (OccursAt(term, value, a)) return true;
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > kMaxFuzzInput) return 0;
  static const ScratchFile input("find");
  ByteReader script(data, size);
  const std::string box = RefUpper(script.Text());
  const int first = static_cast<int>(script.Word()) - 8;
  input.Write(script.Rest());
  TDXFBuffer b;
  if (b.LoadFromFile(input.Path()) != 0) return 0;
  FUZZ_CHECK(UpperAscii(box) == box);
  const FindTerm term = ParseFindTerm(box);
  int expected = -1;
  for (int i = std::max(first, 0); i <= b.EofIndex && expected < 0; ++i)
    if (RefMatches(box, RefUpper(b.ValueView(i)))) expected = i;
  FUZZ_CHECK(FindNextPair(b, term, first) == expected);
  return 0;
}
