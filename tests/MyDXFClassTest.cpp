// MyDXFClassTest.cpp - the line buffer: accessing and changing pairs.
#include "model/buffer/MyDXFClass.h"

#include <gtest/gtest.h>

#include "model/text/Sjis.h"
#include "tests/support/LoadedText.h"

namespace {

TEST(TDXFBuffer, ValuesKeepTheirBytes) {
  const std::string japanese = Sjis("  平面図 ソ表 ");
  Loaded f(DxfText({"1", japanese, "999", "", "1", "\ttab\t"}));
  ASSERT_EQ(f.result, 0);
  EXPECT_EQ(f.buffer.GetValue(0), japanese);
  EXPECT_EQ(f.buffer.GetValue(1), "");
  EXPECT_EQ(f.buffer.GetValue(2), "\ttab\t");
  // Values of 65535 bytes and more keep their length too, the last one up to a NUL byte
  // although the file's bytes after it are kept.
  const std::string longest(70000, 'v');
  Loaded big(DxfText({"1", longest.substr(0, 65534), "1", longest.substr(0, 65535), "1",
                      longest.substr(0, 65536)}) +
             "1\n" + longest + std::string("\0tail\n", 6));
  ASSERT_EQ(big.result, 0);
  const std::size_t lengths[] = {65534, 65535, 65536, 70000};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(big.buffer.ValueView(i).size(), lengths[i]);
}

TEST(TDXFBuffer, AccessorsOutsideTheArraysAreHarmless) {
  Loaded f(DxfText({"0", "EOF"}));
  ASSERT_EQ(f.result, 0);
  EXPECT_DEBUG_DEATH(EXPECT_EQ(f.buffer.GetCode(-1), 0), "out of range");
  EXPECT_DEBUG_DEATH(EXPECT_EQ(f.buffer.GetValue(101), ""), "out of range");
  EXPECT_DEBUG_DEATH(f.buffer.SetValue(5000, "x"), "out of range");
  EXPECT_DEBUG_DEATH(EXPECT_EQ(f.buffer.GetMark(-7), dsNon), "out of range");
  TDXFBuffer empty;
  EXPECT_DEBUG_DEATH(EXPECT_EQ(empty.GetNote(0), ""), "out of range");
  empty.BuildIndex();  // nothing loaded: nothing to index, and no fault
  EXPECT_EQ(empty.EofIndex, 0);
}

TEST(TDXFBuffer, SettersChangeOnlyTheirPair) {
  Loaded f(DxfText({"0", "LINE", "8", "A", "10", "1.0"}));
  ASSERT_EQ(f.result, 0);
  TDXFBuffer& b = f.buffer;
  b.SetValue(1, " B ");
  b.SetCode(2, 11);
  b.SetNote(0, Sjis("線分"));
  EXPECT_EQ(b.GetValue(1), " B ");
  EXPECT_EQ(b.GetValue(2), "1.0");
  EXPECT_EQ(b.GetCode(2), 11);
  EXPECT_EQ(b.GetNote(0), Sjis("線分"));
  EXPECT_EQ(b.GetNote(1), "");
  b.SetNote(0, "");
  EXPECT_EQ(b.GetNote(0), "");
  b.SetValue(1, "");
  EXPECT_EQ(b.GetValue(1), "");
}

TEST(TDXFBuffer, EditedValuesKeepTheirViewsAndAreSaved) {
  Loaded f(DxfText({"0", "LINE", "8", "A", "10", "1.0", "20", "2.0", "0", "EOF"}));
  ASSERT_EQ(f.result, 0);
  TDXFBuffer& b = f.buffer;
  // Repeated edits of one pair, an empty value, values longer than the one-byte length
  // (300), than a chunk and than the save block's half (3 MiB).
  const std::string longer(300, 'x'), huge(3 << 20, 'y');
  const struct {
    int pair;
    std::string value;
  } edits[] = {{2, "1.5"}, {2, ""},  {2, longer}, {3, huge}, {1, Sjis("図面")},
               {2, "2.5"}, {3, "3"}, {3, huge},   {1, ""}};
  std::vector<std::string_view> views;  // the last view taken of each pair
  for (int i = 0; i < 5; ++i) views.push_back(b.ValueView(i));
  for (const auto& edit : edits) {
    b.SetValue(edit.pair, edit.value);
    views[edit.pair] = b.ValueView(edit.pair);
    for (int i = 0; i < 5; ++i) {  // every view still reads as its pair does
      ASSERT_EQ(views[i], b.ValueView(i)) << i;
    }
  }
  const std::vector<std::string> expected = {"LINE", "", "2.5", huge, "EOF"};
  ASSERT_EQ(b.SaveToFile(), 0);
  TDXFBuffer saved;
  ASSERT_EQ(saved.LoadFromFile(f.path), 0);
  ASSERT_EQ(saved.PairCount, 5);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(b.ValueView(i), expected[i]) << i;
    EXPECT_EQ(saved.ValueView(i), expected[i]) << i;
  }
}

}  // namespace
