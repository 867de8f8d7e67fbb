// ValueArenaTest.cpp - the arena of edited values: references, lasting views, dead bytes.
#include "model/ValueArena.h"

#include <gtest/gtest.h>

#include <string>  // std::string
#include <vector>  // std::vector

namespace {

TEST(ValueArena, ViewsLastWhateverIsAppendedAfterThem) {
  // Lengths on both sides of the one-byte header (254, 255), of a chunk of its own
  // (64 KiB) and of a whole chunk (1 MiB), and enough small values to fill several.
  std::vector<std::string> texts = {"",
                                    "1.5",
                                    std::string(254, 'a'),
                                    std::string(255, 'b'),
                                    std::string(65536, 'c'),
                                    std::string((1 << 20) + 7, 'd')};
  for (int n = 0; n < 40000; ++n) texts.push_back(std::to_string(n * 7919) + ".25");
  ValueArena arena;
  std::vector<ValueArena::Ref> refs;
  std::vector<std::string_view> views;
  for (const std::string& text : texts) {
    refs.push_back(arena.Append(text));
    views.push_back(arena.Get(refs.back()));
  }
  refs.push_back(arena.Append(views[3]));  // a value copied from the arena itself
  texts.push_back(texts[3]);
  views.push_back(arena.Get(refs.back()));
  for (std::size_t k = 0; k < texts.size(); ++k) {
    ASSERT_EQ(arena.Get(refs[k]), texts[k]) << k;
    ASSERT_EQ(arena.Get(refs[k]).data(), views[k].data()) << k;
  }
}

TEST(ValueArena, ReleasedValuesAreCountedDeadUntilClear) {
  ValueArena arena;
  const ValueArena::Ref shortRef = arena.Append("12.5");                // 1 + 4 bytes
  const ValueArena::Ref longRef = arena.Append(std::string(300, 'x'));  // 9 + 300 bytes
  arena.Append("");                                                     // 1 byte
  EXPECT_EQ(arena.UsedBytes(), 315u);
  EXPECT_EQ(arena.DeadBytes(), 0u);
  arena.Release(shortRef);
  arena.Release(longRef);
  EXPECT_EQ(arena.DeadBytes(), 314u);
  EXPECT_EQ(arena.Get(shortRef), "12.5");  // released bytes stay until Clear
  arena.Clear();
  EXPECT_EQ(arena.UsedBytes(), 0u);
  EXPECT_EQ(arena.DeadBytes(), 0u);
  EXPECT_EQ(arena.Get(arena.Append("7")), "7");
}

}  // namespace
