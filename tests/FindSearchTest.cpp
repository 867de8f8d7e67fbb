// FindSearchTest.cpp - the search loop of find: directions, slices, wrap-around, filter.
#include "logic/find/FindSearch.h"

#include <gtest/gtest.h>

#include "model/text/MyStringLib.h"
#include "model/text/Sjis.h"
#include "tests/support/TestFiles.h"

namespace {

// Values chosen to trip a byte filter: letter cases, a term inside a longer value, and
// double-byte characters whose trail bytes are ASCII letters ("ア" is 0x83 0x41; the
// filter test adds "ヂ", 0x83 0x61, before ENDSEC).
const std::vector<std::string> kValues = {
    "SECTION",  "ENTITIES",     "LINE",   "wall", "",       "Wall-2", "x wall",
    Sjis("ア"), Sjis("壁wall"), "PLAYER", "A",    "ENDSEC", "EOF"};

TDXFBuffer Load(const TempDir& dir, const std::vector<std::string>& values) {
  std::vector<std::string> lines;
  for (const std::string& value : values) {
    lines.push_back("1");
    lines.push_back(value);
  }
  const std::size_t n = lines.size();
  lines[0] = lines[n - 4] = lines[n - 2] = "0";  // SECTION, ENDSEC and EOF start records
  TDXFBuffer buffer;
  EXPECT_EQ(buffer.LoadFromFile(dir.Write("f.dxf", DxfText(lines))), 0);
  return buffer;
}

}  // namespace

TEST(FindSearch, PlansTheStretchAheadThenTheRestUpToTheCursor) {
  const struct {
    int cursor;
    FindDirection direction;
    int aheadFirst, aheadLast, aheadSize, wrapFirst, wrapLast;
  } cases[] = {
      {5, FindDirection::Forward, 6, 12, 7, 0, 5},
      {12, FindDirection::Forward, 13, 12, 0, 0, 12},  // at the EOF pair: nothing ahead
      {5, FindDirection::Backward, 4, 0, 5, 12, 5},
      {0, FindDirection::Backward, -1, 0, 0, 12, 0},
  };
  for (const auto& c : cases) {
    const FindPlan plan = PlanFind(c.cursor, 12, c.direction);
    EXPECT_EQ(plan.ahead.first, c.aheadFirst) << c.cursor;
    EXPECT_EQ(plan.ahead.last, c.aheadLast) << c.cursor;
    EXPECT_EQ(plan.ahead.Size(), c.aheadSize) << c.cursor;
    EXPECT_EQ(plan.wrapped.first, c.wrapFirst) << c.cursor;
    EXPECT_EQ(plan.wrapped.last, c.wrapLast) << c.cursor;
  }
  EXPECT_EQ(Utf8(FindWrapQuestion(FindDirection::Forward)), "ファイルの先頭から検索を続けますか？");
}

TEST(FindSearch, WalksEitherWayAndStopsAtTheFirstMatch) {
  TempDir dir;
  const TDXFBuffer buffer = Load(dir, kValues);
  const FindTerm wall = ParseFindTerm("*WALL*");
  const struct {
    FindStretch stretch;
    int found;
  } cases[] = {
      {{0, 12, FindDirection::Forward}, 3},   {{4, 12, FindDirection::Forward}, 5},
      {{9, 12, FindDirection::Forward}, -1},  {{12, 0, FindDirection::Backward}, 8},
      {{4, 0, FindDirection::Backward}, 3},   {{2, 0, FindDirection::Backward}, -1},
      {{13, 12, FindDirection::Forward}, -1},  // an empty stretch
  };
  for (const auto& c : cases)
    EXPECT_EQ(FindSearch(buffer, wall, c.stretch).Run(), c.found) << c.stretch.first;
}

TEST(FindSearch, RunsInSlicesThatReportProgress) {
  TempDir dir;
  const TDXFBuffer buffer = Load(dir, kValues);
  FindSearch miss(buffer, ParseFindTerm("NOSUCH"), {0, 12, FindDirection::Forward});
  EXPECT_EQ(miss.Step(5), FindSearch::State::Running);
  EXPECT_EQ(miss.Searched(), 5);
  EXPECT_EQ(miss.Step(5), FindSearch::State::Running);
  EXPECT_EQ(miss.Step(5), FindSearch::State::Missed);
  EXPECT_EQ(miss.Searched(), miss.Total());
  EXPECT_EQ(miss.Total(), 13);
  FindSearch hit(buffer, ParseFindTerm("PLAYER"), {0, 12, FindDirection::Forward});
  EXPECT_EQ(hit.Step(9), FindSearch::State::Running);
  EXPECT_EQ(hit.Step(9), FindSearch::State::Found);
  EXPECT_EQ(hit.FoundPair(), 9);
}

// The byte filter in front of the matcher may only skip values the matcher refuses: for
// every term and start the search finds what a plain loop over the matcher finds.
TEST(FindSearch, FilterNeverHidesAMatch) {
  TempDir dir;
  std::vector<std::string> values = kValues;
  values.insert(values.end() - 2, Sjis("ヂ"));
  const TDXFBuffer buffer = Load(dir, values);
  for (const std::string box : {"WALL", "wall*", "*ALL", "*ALL*", "*A*", "A", "*", "**", "*L*",
                                "*-2", "\x83*", "*\x41", "E*", "*E", "\x83\x61", "*\x83\x61*"}) {
    const FindTerm term = ParseFindTerm(UpperAscii(box));
    for (int first = 0; first <= buffer.EofIndex; ++first) {
      int expected = -1;
      for (int i = first; i <= buffer.EofIndex && expected < 0; ++i)
        if (MatchesFindTerm(term, UpperAscii(buffer.ValueView(i)))) expected = i;
      EXPECT_EQ(FindSearch(buffer, term, {first, buffer.EofIndex, FindDirection::Forward}).Run(),
                expected)
          << box << " from " << first;
    }
  }
}
