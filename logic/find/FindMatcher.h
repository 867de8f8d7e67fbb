// FindMatcher.h - find in the value column: term parsing, matching, history and messages.
//
// A find term is upper-cased (single-byte letters only, so a double-byte character is
// never changed and a Japanese term matches only itself); a leading and a trailing "*"
// choose between exact, prefix, suffix and contains matching. The term is then put in
// the document's encoding and matched on that encoding's character boundaries, with the
// values' single-byte letters compared upper-cased. The search loop, forward or back
// and going on from the file's other end when the user agrees, is FindSearch's. The
// history of terms is the find box's item list, newest first. Box texts are program
// texts (CP932).
#pragma once

#include <string>       // std::string
#include <string_view>  // std::string_view
#include <vector>       // std::vector

#include "model/buffer/MyDXFClass.h"

/// How a term matches a value, chosen by its stars.
enum class FindMode {
  Exact,     // "TERM": the value equals the term
  Prefix,    // "TERM*": the value begins with it
  Suffix,    // "*TERM": the value ends with it
  Contains,  // "*TERM*": the value holds it anywhere
};

/// A term without its stars, the mode they chose, and the encoding of its text.
struct FindTerm {
  std::string text;
  FindMode mode;
  TextEncoding encoding = TextEncoding::Cp932;
};

/// Splits an upper-cased box text into the term and its mode. "*" alone is a suffix
/// search for the empty text (it finds empty values); "**" a contains search for the
/// empty text (it finds nothing).
FindTerm ParseFindTerm(std::string_view boxText);

/// Returns the term in the document's encoding. A character the encoding lacks becomes
/// its \U+XXXX escape, which is how a drawing before AC1021 holds it.
FindTerm TermInDocument(const FindTerm& term, const TDXFBuffer& buffer);

/// Tells whether a value (bytes of term.encoding) matches the term, its single-byte
/// letters taken upper-cased; occurrences count only on character boundaries, never
/// inside a character.
bool MatchesFindTerm(const FindTerm& term, std::string_view value);

/// Returns the first pair from `first` up to the EOF pair whose value matches the term
/// (a box term, put in the document's encoding first), or -1 when there is none.
int FindNextPair(const TDXFBuffer& buffer, const FindTerm& term, int first);

/// Returns the message for a term not found: the box text in double quotation marks and
/// "は、見つかりませんでした。"; in exact mode followed by the hint about stars.
std::string FindNotFoundMessage(std::string_view boxText, FindMode mode);

/// Puts a searched term into the history (the find box's items, newest first). A term
/// picked from the list (pickedIndex > 0) moves to the top; a new term is inserted at
/// the top; a typed term already in the list stays where it is. Returns true when
/// item 0 should be selected afterwards.
bool RememberFindTerm(std::vector<std::string>& history, const std::string& term, int pickedIndex);
