// FindSearch.h - the search loop of find: stretches, direction, slices and wrap-around.
//
// A find looks at the values from the pair after the cursor to the EOF pair (or, going
// backwards, from the pair before it to pair 0); when that stretch holds no match the user
// may go on with the rest of the file from the other end up to the cursor. A stretch is
// searched in slices, so a caller can show progress and cancel between them. Which value
// matches is FindMatcher's decision; the loop only skips, by a cheap byte test, values that
// cannot match.
#pragma once

#include <string>       // std::string
#include <string_view>  // std::string_view

#include "logic/find/FindMatcher.h"
#include "model/buffer/MyDXFClass.h"

/// Which way a find walks through the pairs.
enum class FindDirection { Forward, Backward };

/// The pairs first .. last, walked in direction; empty when last lies behind first.
struct FindStretch {
  int first;
  int last;
  FindDirection direction;
  /// Returns the number of pairs in the stretch (0 when empty).
  int Size() const {
    return direction == FindDirection::Forward ? last - first + 1 : first - last + 1;
  }
};

/// The two stretches of a find from the cursor: the one before the end it walks to, and
/// the rest of the file from the other end up to the cursor (the cursor's pair included),
/// searched after the user agreed to go on. eof is the last pair that can be shown.
struct FindPlan {
  FindStretch ahead;
  FindStretch wrapped;
};
FindPlan PlanFind(int cursor, int eof, FindDirection direction);

/// Returns the question asked when the stretch ahead holds no match:
/// "ファイルの先頭から検索を続けますか？" forwards, "ファイルの末尾から検索を続けますか？"
/// backwards (CP932).
std::string FindWrapQuestion(FindDirection direction);

/// A search of one stretch, run slice by slice.
class FindSearch {
 public:
  enum class State { Running, Found, Missed };

  /// Searches for a box term, put in the document's encoding first (TermInDocument).
  FindSearch(const TDXFBuffer& buffer, const FindTerm& term, FindStretch stretch);
  /// Searches up to `slice` more pairs (at least one). Returns Found when a pair matched
  /// (FoundPair names it), Missed when the stretch is done without one, else Running.
  State Step(int slice);
  /// Runs the search to its end; returns the pair found or -1.
  int Run();
  int FoundPair() const { return m_found; }
  /// Returns how many of the stretch's pairs have been searched, for a progress display.
  int Searched() const { return m_searched; }
  int Total() const { return m_total; }

 private:
  // A cheap test on a value's bytes that every matching value passes.
  class Filter {
   public:
    explicit Filter(const FindTerm& term);
    bool MayMatch(std::string_view raw) const noexcept;

   private:
    bool HoldsFirstByte(std::string_view raw) const noexcept;

    std::string m_term;
    FindMode m_mode;
    unsigned char m_first = 0;           // the term's first byte (upper-cased)
    unsigned char m_firstOtherCase = 0;  // its lower-case letter, or the byte itself
  };

  bool Matches(int pair) const;

  const TDXFBuffer& m_buffer;
  FindTerm m_term;
  Filter m_filter;
  int m_next;   // the next pair to look at
  int m_step;   // +1 forwards, -1 backwards
  int m_total;  // pairs in the stretch
  int m_searched = 0;
  int m_found = -1;
};
