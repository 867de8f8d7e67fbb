// GridSelectionTest.cpp - rows selected by Shift moves, held as pairs.
#include "logic/grid/GridSelection.h"

#include <gtest/gtest.h>

TEST(PairSelection, ShiftMovesExtendFromTheirStartAndOtherMovesEndIt) {
  PairSelection selection;
  EXPECT_EQ(selection.Range(7), std::make_pair(7, 7));
  EXPECT_FALSE(selection.IsMultiRow(7));
  const struct {
    bool shift;
    int from;  // the cursor's pair before the move
    int to;    // after it
    std::pair<int, int> range;
    bool multi;
  } steps[] = {
      {true, 10, 11, {10, 11}, true},    // Shift+Down starts at the cursor
      {true, 11, 40, {10, 40}, true},    // Shift+PageDown keeps the anchor
      {true, 40, 3, {3, 10}, true},      // back over the anchor
      {true, 3, 10, {10, 10}, false},    // onto the anchor: one row again
      {false, 10, 12, {12, 12}, false},  // a plain move ends it
  };
  for (const auto& s : steps) {
    selection.BeforeMove(s.shift, s.from);
    EXPECT_EQ(selection.Range(s.to), s.range) << s.from << "->" << s.to;
    EXPECT_EQ(selection.IsMultiRow(s.to), s.multi) << s.from << "->" << s.to;
  }
  selection.BeforeMove(true, 5);
  EXPECT_TRUE(selection.Holds(5, 8));
  EXPECT_TRUE(selection.Holds(8, 8));
  EXPECT_FALSE(selection.Holds(9, 8));
  EXPECT_FALSE(selection.Holds(5, 5));  // only the cursor's pair: nothing is selected
  selection.Clear();
  EXPECT_FALSE(selection.Holds(5, 8));
}
