// GridPagingTest.cpp - the DXF grid's paging: keys, wheel, jumps and the page arithmetic.
#include "logic/grid/GridPaging.h"

#include <gtest/gtest.h>

#include <cstdint>  // INT32_MAX, INT32_MIN

#include "model/buffer/RecordWalk.h"

namespace {

// A page of 10 rows over a file whose EOF pair is 100: the scroll range ends at 95.
GridPaging Paging(int rowsOnPage = 10, int eof = 100) {
  GridPaging paging;
  paging.SetMetrics(rowsOnPage, eof);
  return paging;
}

struct KeyCase {
  GridKey key;
  GridView before;
  KeyResult result;
  GridView after;
};

void ExpectKeys(const GridPaging& paging, const std::vector<KeyCase>& cases) {
  for (const KeyCase& c : cases) {
    GridView view = c.before;
    EXPECT_EQ(paging.Press(c.key, view, /*editorOpen=*/false), c.result)
        << "key " << static_cast<int>(c.key) << " from " << c.before.top << "/" << c.before.row;
    EXPECT_EQ(view, c.after) << "key " << static_cast<int>(c.key) << " from " << c.before.top << "/"
                             << c.before.row << " gave " << view.top << "/" << view.row;
  }
}

}  // namespace

TEST(GridPaging, ScrollRangeLeavesTheEofPairMidPage) {
  EXPECT_EQ(Paging(10, 100).ScrollMax(), 95);
  EXPECT_EQ(Paging(27, 655).ScrollMax(), 642);
  EXPECT_EQ(Paging(10, 3).ScrollMax(), 0);  // shorter than half a page
  EXPECT_EQ(Paging(10, 0).ScrollMax(), 0);  // empty buffer
}

TEST(GridPaging, UpMovesTheGridOrScrollsAtTheTop) {
  ExpectKeys(Paging(), {
                           {GridKey::Up, {5, 3}, KeyResult::PassToGrid, {5, 3}},
                           {GridKey::Up, {5, 1}, KeyResult::Consumed, {4, 1}},
                           {GridKey::Up, {0, 1}, KeyResult::Consumed, {0, 1}},
                       });
}

TEST(GridPaging, DownScrollsFromTheLastFullRowAndStopsOnTheEofPair) {
  ExpectKeys(Paging(), {
                           {GridKey::Down, {0, 5}, KeyResult::PassToGrid, {0, 5}},
                           {GridKey::Down, {0, 10}, KeyResult::Consumed, {1, 10}},
                           {GridKey::Down, {0, 11}, KeyResult::Consumed, {2, 10}},    // partial row
                           {GridKey::Down, {91, 10}, KeyResult::Consumed, {91, 10}},  // on EOF
                           {GridKey::Down, {95, 6}, KeyResult::Consumed, {95, 6}},    // on EOF
                           {GridKey::Down, {95, 5}, KeyResult::PassToGrid, {95, 5}},
                       });
  // A file shorter than a page: Down on the EOF pair in row 4 does nothing.
  ExpectKeys(Paging(10, 3), {{GridKey::Down, {0, 4}, KeyResult::Consumed, {0, 4}}});
}

TEST(GridPaging, PageUpStopsAtPairZero) {
  ExpectKeys(Paging(), {
                           {GridKey::PageUp, {20, 4}, KeyResult::Consumed, {10, 4}},
                           {GridKey::PageUp, {10, 4}, KeyResult::Consumed, {0, 4}},
                           {GridKey::PageUp, {3, 9}, KeyResult::Consumed, {0, 2}},
                           {GridKey::PageUp, {3, 5}, KeyResult::Consumed, {0, 1}},
                           {GridKey::PageUp, {0, 1}, KeyResult::Consumed, {0, 1}},
                       });
}

TEST(GridPaging, PageDownStopsOnTheEofPair) {
  ExpectKeys(Paging(), {
                           {GridKey::PageDown, {0, 1}, KeyResult::Consumed, {10, 1}},
                           {GridKey::PageDown, {84, 3}, KeyResult::Consumed, {94, 3}},
                           {GridKey::PageDown, {85, 4}, KeyResult::Consumed, {95, 4}},
                           {GridKey::PageDown, {90, 5}, KeyResult::Consumed, {95, 6}},
                           {GridKey::PageDown, {95, 6}, KeyResult::Consumed, {95, 6}},
                       });
  ExpectKeys(Paging(10, 3), {{GridKey::PageDown, {0, 1}, KeyResult::Consumed, {0, 4}}});
}

TEST(GridPaging, WheelScrollsFiveAndKeepsTheCursorOffTheEnd) {
  const GridPaging paging = Paging();
  GridView view{3, 2};
  paging.Wheel(/*up=*/true, view, false);
  EXPECT_EQ(view, (GridView{0, 2}));
  view = {92, 8};
  paging.Wheel(/*up=*/false, view, false);
  EXPECT_EQ(view, (GridView{95, 6}));  // clamped to 95; row 8 would stand past EOF
}

TEST(GridPaging, ShowPairPutsThePairUnderTheCursor) {
  const GridPaging paging = Paging();
  EXPECT_EQ(paging.ShowPair(50), (GridView{50, 1}));
  EXPECT_EQ(paging.ShowPair(95), (GridView{95, 1}));
  EXPECT_EQ(paging.ShowPair(98), (GridView{95, 4}));
  EXPECT_EQ(paging.ShowPair(100), (GridView{95, 6}));
  EXPECT_EQ(paging.ShowPair(-3), (GridView{0, 1}));
  EXPECT_EQ(paging.ShowPair(500), (GridView{95, 6}));
}

TEST(GridPaging, ScrollToLineLeadsBothLinesOfAPairToIt) {
  const GridPaging paging = Paging();
  EXPECT_EQ(paging.ScrollToLine(0), (GridView{0, 1}));
  EXPECT_EQ(paging.ScrollToLine(1), (GridView{0, 1}));
  EXPECT_EQ(paging.ScrollToLine(2), (GridView{0, 1}));
  EXPECT_EQ(paging.ScrollToLine(3), (GridView{1, 1}));
  EXPECT_EQ(paging.ScrollToLine(1000), (GridView{95, 1}));
}

// The largest document has INT32_MAX - 101 pairs, so its lines run past 2^32.
TEST(GridPaging, LinesPastTwoToThe31KeepTheirPairs) {
  const GridPaging paging = Paging(10, INT32_MAX - 101);
  EXPECT_EQ(LineOfPair(1'073'741'823), 2'147'483'647LL);  // the last line an int holds
  EXPECT_EQ(LineOfPair(1'073'741'824), 2'147'483'649LL);
  EXPECT_EQ(LineOfPair(INT32_MAX - 101), 4'294'967'093LL);
  EXPECT_EQ(paging.ScrollToLine(2'147'483'649LL), (GridView{1'073'741'824, 1}));
  EXPECT_EQ(paging.ScrollToLine(2'147'483'650LL), (GridView{1'073'741'824, 1}));
  EXPECT_EQ(paging.ScrollToLine(4'000'000'001LL), (GridView{2'000'000'000, 1}));
  EXPECT_EQ(paging.ScrollToLine(1LL << 40), (GridView{INT32_MAX - 106, 1}));  // end of range
  EXPECT_EQ(PairOfLine(-(1LL << 40)), INT32_MIN);
}

TEST(GridPaging, PageRowsCountsWholeRowsBelowTheHeader) {
  EXPECT_EQ(PageRows(449, 15, 1), 27);
  EXPECT_EQ(PageRows(447, 15, 1), 27);  // 27.94 + 0.1 still makes 28 rows
  EXPECT_EQ(PageRows(446, 15, 1), 26);
  EXPECT_EQ(PageRows(0, 15, 1), -1);
  GridPaging paging;
  paging.SetMetrics(-1, 10);  // a collapsed grid still pages by one row
  EXPECT_EQ(paging.RowsOnPage(), 1);
}

TEST(GridPaging, FitGridColumnsGivesTheRestToTheRemarks) {
  std::array<int, 4> widths = {60, 64, 100, 100};
  FitGridColumns(widths, 500);
  EXPECT_EQ(widths, (std::array<int, 4>{60, 64, 100, 272}));
  FitGridColumns(widths, 200);  // the value column is cut at the edge
  EXPECT_EQ(widths, (std::array<int, 4>{60, 64, 73, 0}));
  FitGridColumns(widths, 600);
  EXPECT_EQ(widths, (std::array<int, 4>{60, 64, 73, 399}));
  FitGridColumns(widths, 100);
  EXPECT_EQ(widths, (std::array<int, 4>{60, 64, 0, 0}));
}
