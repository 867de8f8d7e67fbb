// FindMatcher.h - find in the value column: term parsing, matching, history and messages.
//
// A find term is upper-cased (single-byte letters only, so a double-byte character is
// never changed and a Japanese term matches only itself); a leading and a trailing "*"
// choose between exact, prefix, suffix and contains matching. The search walks the
// values after the cursor up to the EOF pair and does not wrap. The history of terms is
// the find box's item list, newest first. Texts are CP932.
#pragma once

#include <string>       // std::string
#include <string_view>  // std::string_view
#include <vector>       // std::vector

#include "model/MyDXFClass.h"

/// How a term matches a value, chosen by its stars.
enum class FindMode {
  Exact,     // "TERM": the value equals the term
  Prefix,    // "TERM*": the value begins with it
  Suffix,    // "*TERM": the value ends with it
  Contains,  // "*TERM*": the value holds it anywhere
};

/// A term without its stars, and the mode they chose.
struct FindTerm {
  std::string text;
  FindMode mode;
};

/// Splits an upper-cased box text into the term and its mode. "*" alone is a suffix
/// search for the empty text (it finds empty values); "**" a contains search for the
/// empty text (it finds nothing).
FindTerm ParseFindTerm(std::string_view boxText);

/// Tells whether an upper-cased value matches the term; occurrences are counted on
/// character boundaries only.
bool MatchesFindTerm(const FindTerm& term, std::string_view upperValue);

/// Returns the first pair from `first` up to the EOF pair whose upper-cased value
/// matches, or -1 when there is none.
int FindNextPair(const TDXFBuffer& buffer, const FindTerm& term, int first);

/// Returns the message for a term not found: the box text in double quotation marks and
/// "は、見つかりませんでした。"; in exact mode followed by the hint about stars.
std::string FindNotFoundMessage(std::string_view boxText, FindMode mode);

/// Puts a searched term into the history (the find box's items, newest first). A term
/// picked from the list (pickedIndex > 0) moves to the top; a new term is inserted at
/// the top; a typed term already in the list stays where it is. Returns true when
/// item 0 should be selected afterwards.
bool RememberFindTerm(std::vector<std::string>& history, const std::string& term, int pickedIndex);
