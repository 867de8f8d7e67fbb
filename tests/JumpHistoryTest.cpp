// JumpHistoryTest.cpp - back and forward through the places jumped from.
#include "logic/navigation/JumpHistory.h"

#include <gtest/gtest.h>

namespace {

TEST(JumpHistory, GoesBackAndForwardLikeABrowser) {
  JumpHistory history;
  const GridView a{0, 1}, b{100, 3}, c{200, 1}, d{50, 7};
  EXPECT_FALSE(history.Back(a)) << "no jump made yet";
  history.Leave(a);  // a -> b
  history.Leave(b);  // b -> c
  EXPECT_EQ(history.Back(c), b);
  EXPECT_EQ(history.Back(b), a);
  EXPECT_FALSE(history.Back(a));
  EXPECT_EQ(history.Forward(a), b);
  EXPECT_EQ(history.Forward(b), c);
  EXPECT_FALSE(history.Forward(c));
  EXPECT_EQ(history.Back(c), b);
  history.Leave(b);  // b -> d drops c ahead; b is behind only once
  EXPECT_FALSE(history.Forward(d));
  EXPECT_EQ(history.Back(d), b);
  EXPECT_EQ(history.Back(b), a);
  history.Clear();
  EXPECT_FALSE(history.Back(a));
}

TEST(JumpHistory, KeepsTheNewestPlacesOnly) {
  JumpHistory history;
  for (int i = 0; i < static_cast<int>(JumpHistory::kMaxPlaces) + 5; ++i) history.Leave({i, 1});
  GridView current{-1, 1};
  int steps = 0;
  while (const auto place = history.Back(current)) {
    current = *place;
    ++steps;
  }
  EXPECT_EQ(steps, static_cast<int>(JumpHistory::kMaxPlaces));
  EXPECT_EQ(current, (GridView{5, 1})) << "the five oldest places were dropped";
}

}  // namespace
