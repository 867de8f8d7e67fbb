// FindMatcher.cpp - find in the value column.
#include "logic/FindMatcher.h"

#include <algorithm>  // std::find

#include "logic/FindSearch.h"
#include "model/MyStringLib.h"
#include "model/Sjis.h"

namespace {

constexpr std::string_view kStar = "*";

bool EndsWithTerm(std::string_view term, std::string_view value) {
  // The part of the value from the last occurrence of the term must be the term. With no
  // occurrence the whole value is compared, so an empty term matches an empty value.
  const int at = LastPos(term, value);
  const std::string_view tail = at > 0 ? value.substr(static_cast<std::size_t>(at - 1)) : value;
  return tail == term;
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

bool MatchesFindTerm(const FindTerm& term, std::string_view upperValue) {
  switch (term.mode) {
    case FindMode::Exact:
      return upperValue == term.text;
    case FindMode::Prefix:
      return CharPos(term.text, upperValue) == 1;
    case FindMode::Suffix:
      return EndsWithTerm(term.text, upperValue);
    case FindMode::Contains:
      return CharPos(term.text, upperValue) > 0;
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
