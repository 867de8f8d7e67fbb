// ValueArenaTest.cpp - the arena of edited values: references, tags, lasting views, the
// order of records, adoption and dead bytes.
#include "model/buffer/ValueArena.h"

#include <gtest/gtest.h>

#include <string>  // std::string
#include <vector>  // std::vector

namespace {

TEST(ValueArena, ViewsAndTagsLastAndRecordsKeepTheirOrder) {
  // Lengths on both sides of the one-byte header (254, 255), of a chunk of its own
  // (64 KiB) and of a whole chunk (1 MiB) between small ones, and enough small values
  // to fill several chunks; half of them go to a second arena that the first adopts.
  std::vector<std::string> texts = {"",
                                    "1.5",
                                    std::string(254, 'a'),
                                    std::string(255, 'b'),
                                    std::string(65536, 'c'),
                                    "2.5",
                                    std::string((1 << 20) + 7, 'd')};
  for (int n = 0; n < 120000; ++n) texts.push_back(std::to_string(n * 7919) + ".25");
  ValueArena arena, other;
  std::vector<ValueArena::Ref> refs;
  std::vector<std::string_view> views;
  for (std::size_t k = 0; k < texts.size(); ++k) {
    ValueArena& into = k < texts.size() / 2 ? arena : other;
    refs.push_back(into.Append(texts[k], k));
    views.push_back(into.Get(refs.back()));
  }
  const ValueArena::Ref firstAdopted = arena.Adopt(other);
  const std::size_t adopted = texts.size() - texts.size() / 2;
  for (std::size_t k = texts.size() / 2; k < texts.size(); ++k) refs[k] += firstAdopted;
  refs.push_back(arena.Append(views[3], 99));  // a value copied from the arena itself
  texts.push_back(texts[3]);
  views.push_back(arena.Get(refs.back()));
  arena.SetTag(refs[1], 7);
  std::vector<ValueArena::Ref> visited;
  arena.ForEach([&](ValueArena::Ref ref) { visited.push_back(ref); });
  ASSERT_EQ(visited, refs);
  for (std::size_t k = 0; k < texts.size(); ++k) {
    ASSERT_EQ(arena.Get(refs[k]), texts[k]) << k;
    ASSERT_EQ(arena.Get(refs[k]).data(), views[k].data()) << k;
    ASSERT_EQ(arena.Tag(refs[k]), k == 1 ? 7 : k + 1 == texts.size() ? 99 : k) << k;
  }
  std::size_t fromAdopted = 0;
  arena.ForEach([&](ValueArena::Ref) { ++fromAdopted; }, firstAdopted);
  EXPECT_EQ(fromAdopted, adopted + 1);  // the value appended after the adoption comes last
}

TEST(ValueArena, ReleasedValuesAreCountedDeadUntilClear) {
  ValueArena arena;
  const ValueArena::Ref shortRef = arena.Append("12.5", 0);                // 8 + 1 + 4 bytes
  const ValueArena::Ref longRef = arena.Append(std::string(300, 'x'), 0);  // 8 + 9 + 300 bytes
  arena.Append("", 0);                                                     // 8 + 1 bytes
  EXPECT_EQ(arena.UsedBytes(), 339u);
  EXPECT_EQ(arena.DeadBytes(), 0u);
  arena.Release(shortRef);
  arena.Release(longRef);
  EXPECT_EQ(arena.DeadBytes(), 330u);
  EXPECT_EQ(arena.Get(shortRef), "12.5");  // released bytes stay until Clear
  arena.Clear();
  EXPECT_EQ(arena.UsedBytes(), 0u);
  EXPECT_EQ(arena.DeadBytes(), 0u);
  EXPECT_EQ(arena.Get(arena.Append("7", 0)), "7");
}

}  // namespace
