// FindMatcher.cpp - find in the value column.
#include "logic/find/FindMatcher.h"

#include <algorithm>  // std::find

#include "logic/find/FindSearch.h"
#include "model/text/MyStringLib.h"
#include "model/text/Sjis.h"
#include "model/text/TextCodec.h"

namespace {

constexpr std::string_view kStar = "*";

char UpperByte(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Tells whether the term stands in the value from byte `at`, a character start: the
// value's characters are compared whole, its single-byte letters upper-cased. A value
// character that runs past the term's end is no match.
bool TermAt(const FindTerm& term, std::string_view value, std::size_t at) {
  const std::string_view text = term.text;
  if (at + text.size() > value.size()) return false;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = static_cast<std::size_t>(CharLength(term.encoding, value, at + i));
    if (length == 1 ? UpperByte(value[at + i]) != text[i]
                    : value.substr(at + i, length) != text.substr(i, length))
      return false;
    i += length;
  }
  return true;
}

// Calls found(at) at every character start of the value where the term stands, until it
// returns true; tells whether it did.
template <typename Found>
bool AnyOccurrence(const FindTerm& term, std::string_view value, Found found) {
  for (std::size_t at = 0; at + term.text.size() <= value.size();
       at += static_cast<std::size_t>(CharLength(term.encoding, value, at)))
    if (TermAt(term, value, at) && found(at)) return true;
  return false;
}

}  // namespace

FindTerm ParseFindTerm(std::string_view boxText) {
  std::string text(boxText);
  bool leading = false;
  bool trailing = false;
  if (LeftChars(text, 1) == kStar) {
    text = FromChar(text, 2);
    leading = true;
  }
  if (RightChars(text, 1) == kStar) {
    text.pop_back();
    trailing = true;
  }
  if (leading) return {text, trailing ? FindMode::Contains : FindMode::Suffix};
  return {text, trailing ? FindMode::Prefix : FindMode::Exact};
}

FindTerm TermInDocument(const FindTerm& term, const TDXFBuffer& buffer) {
  FindTerm inDocument = term;
  inDocument.encoding = buffer.Encoding;
  if (buffer.Encoding != TextEncoding::Cp932)
    inDocument.text =
        EncodeText(buffer.Encoding, Utf8OfProgramText(term.text), Unmappable::Escape).bytes;
  return inDocument;
}

bool MatchesFindTerm(const FindTerm& term, std::string_view value) {
  const std::size_t size = term.text.size();
  switch (term.mode) {
    case FindMode::Exact:
      return value.size() == size && TermAt(term, value, 0);
    case FindMode::Prefix:
      return size > 0 && TermAt(term, value, 0);
    case FindMode::Suffix:
      // An empty term stands for an empty value.
      if (size == 0) return value.empty();
      return AnyOccurrence(term, value, [&](std::size_t at) { return at + size == value.size(); });
    case FindMode::Contains:
      return size > 0 && AnyOccurrence(term, value, [](std::size_t) { return true; });
  }
  return false;
}

int FindNextPair(const TDXFBuffer& buffer, const FindTerm& term, int first) {
  return FindSearch(buffer, term, {std::max(first, 0), buffer.EofIndex, FindDirection::Forward})
      .Run();
}

std::string FindNotFoundMessage(std::string_view boxText, FindMode mode) {
  std::string message = "\"" + std::string(boxText) + "\"" + Sjis("は、見つかりませんでした。");
  if (mode == FindMode::Exact)
    message +=
        "\r\n" + Sjis("検索文字の前か後ろに * を付けると") + "\r\n" + Sjis("部分検索出来ます。");
  return message;
}

bool RememberFindTerm(std::vector<std::string>& history, const std::string& term, int pickedIndex) {
  if (pickedIndex > 0 && pickedIndex < static_cast<int>(history.size())) {
    history.erase(history.begin() + pickedIndex);
    history.insert(history.begin(), term);
    return true;
  }
  if (std::find(history.begin(), history.end(), term) == history.end())
    history.insert(history.begin(), term);
  return false;
}
