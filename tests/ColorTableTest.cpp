// ColorTableTest.cpp - the ACI palette and the colour functions.
#include <gtest/gtest.h>

#include <array>    // std::array
#include <utility>  // std::make_pair

#include "model/buffer/MyDXFClass.h"
#include "model/text/Sjis.h"

namespace {

int Rgb(int r, int g, int b) {
  return r + 256 * g + 65536 * b;
}

TEST(ColorTable, PaletteFollowsItsRule) {
  struct Entry {
    int index, r, g, b;
  };
  const Entry entries[] = {
      {0, 0, 0, 0},       {1, 255, 0, 0},      {2, 255, 255, 0},  {3, 0, 255, 0},
      {4, 0, 255, 255},   {5, 0, 0, 255},      {6, 255, 0, 255},  {7, 255, 255, 255},
      {8, 128, 128, 128}, {9, 192, 192, 192},  {10, 255, 0, 0},   {11, 255, 127, 127},
      {20, 255, 63, 0},   {23, 204, 127, 102}, {30, 255, 127, 0}, {40, 255, 191, 0},
      {140, 0, 191, 255}, {249, 76, 38, 47},   {250, 51, 51, 51}, {255, 255, 255, 255},
      {256, 0, 0, 0},     {90, 0, 255, 0},     {170, 0, 0, 255},  {214, 153, 0, 153},
  };
  for (const Entry& e : entries) EXPECT_EQ(AciToColor(e.index), Rgb(e.r, e.g, e.b)) << e.index;
  EXPECT_EQ(AciToColor(-1), 0);
  EXPECT_EQ(AciToColor(257), 0);
}

TEST(ColorTable, ColorNamesIgnoreTheSign) {
  TDXFBuffer b;
  EXPECT_EQ(b.ColorName(-1), "Red");
  EXPECT_EQ(b.ColorName(256), "ByLayer");
  EXPECT_EQ(b.ColorName(0), "ByBlock");
  EXPECT_EQ(b.ColorName(8), "Gray");
  EXPECT_EQ(b.ColorName(-300), "-300");
  EXPECT_EQ(b.ColorName(257), "257");
  EXPECT_EQ(b.ColorName(-2147483647 - 1), "-2147483648");
  const auto nameOfText = [&b](const std::string& text) {
    std::string failure;
    const std::string name = b.ColorNameOfText(text, failure);
    return std::make_pair(name, Utf8(failure));
  };
  EXPECT_EQ(nameOfText("   256"), std::make_pair(std::string("ByLayer"), std::string()));
  EXPECT_EQ(nameOfText("-5"), std::make_pair(std::string("Blue"), std::string()));
  EXPECT_EQ(nameOfText("none"),
            std::make_pair(std::string(), std::string("'' は整数値ではありません")));
  EXPECT_EQ(nameOfText("1.5"),
            std::make_pair(std::string(), std::string("'1.5' は整数値ではありません")));
}

TEST(ColorTable, SplitAndDisplayColours) {
  TDXFBuffer b;
  int r = 0, g = 0, bl = 0;
  b.SplitRGB(1193046, r, g, bl);
  EXPECT_EQ((std::array<int, 3>{r, g, bl}), (std::array<int, 3>{18, 52, 86}));
  b.SplitRGB(-1, r, g, bl);
  EXPECT_EQ((std::array<int, 3>{r, g, bl}), (std::array<int, 3>{0, 0, -1}));
  EXPECT_EQ(b.DisplayColor(-5, -1), Rgb(0, 0, 255));
  EXPECT_EQ(b.DisplayColor(0, -1), 0xFFFFFF);
  EXPECT_EQ(b.DisplayColor(-256, -1), 0xFFFFFF);
  EXPECT_EQ(b.DisplayColor(1, 16744448), 33023);
  EXPECT_EQ(b.DisplayColor(300, -1), 0);
}

}  // namespace
