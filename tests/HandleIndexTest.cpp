// HandleIndexTest.cpp - the handle index: owners, pointers, referrers.
#include "model/buffer/HandleIndex.h"

#include <gtest/gtest.h>

#include <cstdint>  // std::uint64_t

#include "model/buffer/RecordWalk.h"
#include "tests/support/TestDrawings.h"

namespace {

// Pairs: 0 SECTION, 2 $HANDSEED, 3 its value (code 5, no record's handle), 4 ENDSEC,
// 5 SECTION, 7 TABLE (handle A), 11 DIMSTYLE (handle 27 in 105, 330 -> A), 15 ENDTAB,
// 16 ENDSEC, 17 SECTION, 19 LINE (1F), 22 LINE (001f again), 25 CIRCLE (no handle,
// 330 -> 0, 340 -> X), 28 ENDSEC, 29 EOF.
constexpr const char* kDrawing =
    "0|SECTION|2|HEADER|9|$HANDSEED|5|30|0|ENDSEC|"
    "0|SECTION|2|TABLES|0|TABLE|2|DIMSTYLE|5|A|330|0|"
    "0|DIMSTYLE|105|27|330|A|2|Standard|0|ENDTAB|0|ENDSEC|"
    "0|SECTION|2|ENTITIES|0|LINE|5|1F|330|1f|0|LINE|5|001f|330|DEAD|"
    "0|CIRCLE|330|0|340|X|0|ENDSEC|0|EOF";

TEST(HandleIndex, ParsesHandlesAsHexadecimalNumbers) {
  const struct {
    const char* text;
    bool ok;
    std::uint64_t handle;
  } cases[] = {
      {"1F", true, 0x1F},
      {" 001f \r", true, 0x1F},
      {"0", true, 0},
      {"FFFFFFFFFFFFFFFF", true, 0xFFFFFFFFFFFFFFFFull},
      {"10000000000000000", false, 0},  // 17 digits: beyond 64 bits
      {"", false, 0},
      {"1G", false, 0},
      {"0x1F", false, 0},
      {"-1", false, 0},
  };
  for (const auto& c : cases) {
    std::uint64_t handle = 99;
    EXPECT_EQ(ParseHandle(c.text, handle), c.ok) << c.text;
    EXPECT_EQ(handle, c.ok ? c.handle : 99) << c.text;
  }
  EXPECT_EQ(HandleText(0x1F), "1F");
  EXPECT_EQ(HandleText(0), "0");
}

TEST(HandleIndex, MapsHandlesToTheirRecordsWithDuplicatesInFileOrder) {
  const TDXFBuffer b = LoadDrawing(kDrawing);
  HandleIndex index;
  EXPECT_TRUE(index.Owners(0x1F).empty()) << "not built yet";
  index.Build(b);
  ASSERT_TRUE(index.Ready());
  const auto owners = index.Owners(0x1F);
  ASSERT_EQ(owners.size(), 2u);
  EXPECT_EQ(owners[0].record, 19);
  EXPECT_EQ(owners[1].record, 22);
  EXPECT_EQ(index.Owner(0xA), 7);
  EXPECT_EQ(index.Owner(0x27), 11) << "a DIMSTYLE's handle is code 105";
  EXPECT_EQ(index.Owner(0x30), -1) << "$HANDSEED is no record's handle";
  EXPECT_EQ(index.Entries().size(), 4u);
  EXPECT_EQ(RecordHandlePair(b, 11), 12);
  EXPECT_EQ(RecordHandlePair(b, 25), -1);
  EXPECT_EQ(RecordHandlePair(b, 0), -1);
}

TEST(HandleIndex, ABuildInStepsEqualsABuildAtOnce) {
  const TDXFBuffer b = LoadDrawing(kDrawing);
  HandleIndex whole;
  whole.Build(b);
  HandleIndex stepped;
  EXPECT_FALSE(stepped.Continue(b, 1)) << "no build was started";
  stepped.Start();
  int steps = 0;
  while (!stepped.Continue(b, 3)) ++steps;
  EXPECT_EQ(steps, 9);  // 30 pairs, 3 a step: the tenth step ends the build
  ASSERT_EQ(stepped.Entries().size(), whole.Entries().size());
  for (std::size_t k = 0; k < whole.Entries().size(); ++k) {
    EXPECT_EQ(stepped.Entries()[k].handle, whole.Entries()[k].handle);
    EXPECT_EQ(stepped.Entries()[k].record, whole.Entries()[k].record);
  }
  stepped.Start();
  EXPECT_FALSE(stepped.Ready());
  EXPECT_TRUE(stepped.Entries().empty()) << "a restarted build forgets the old entries";
}

TEST(HandleIndex, TellsWhatEachPairPointsAt) {
  const TDXFBuffer b = LoadDrawing(kDrawing);
  HandleIndex index;
  index.Build(b);
  const struct {
    int pair;
    PointerState state;
  } cases[] = {
      {10, PointerState::Null},       {13, PointerState::Owned}, {21, PointerState::Owned},
      {24, PointerState::Dangling},   {26, PointerState::Null},  {27, PointerState::NotHandle},
      {20, PointerState::NotPointer},
  };
  for (const auto& c : cases) {
    std::uint64_t handle = 0;
    EXPECT_EQ(PointerStateOf(b, index, c.pair, handle), c.state) << c.pair;
  }
  EXPECT_EQ(ReferringPairs(b, 0x1F), (std::vector<int>{21}));
  EXPECT_EQ(ReferringPairs(b, 0xA), (std::vector<int>{13}));
  EXPECT_EQ(RecordTypeOf(b, 13), "DIMSTYLE");
  EXPECT_EQ(RecordTypeOf(b, 3), "$HANDSEED");
}

TEST(HandleIndex, FindsTheDuplicatesOfTheCorpusDrawing) {
  if (CorpusDir().empty()) GTEST_SKIP() << "the shared corpus is not there";
  TDXFBuffer b;
  ASSERT_EQ(b.LoadFromFile(CorpusDir() + "/ezdxf-duplicate_handles.dxf"), 0);
  HandleIndex index;
  index.Build(b);
  int duplicated = 0;
  const auto& entries = index.Entries();
  for (std::size_t k = 1; k < entries.size(); ++k)
    duplicated += entries[k].handle == entries[k - 1].handle;
  EXPECT_EQ(duplicated, 28);
  const auto owners = index.Owners(0x2);
  ASSERT_EQ(owners.size(), 2u);
  EXPECT_EQ(LineOfPair(owners[0].record), 991);
  EXPECT_EQ(LineOfPair(owners[1].record), 1443);
}

}  // namespace
