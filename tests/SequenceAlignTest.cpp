// SequenceAlignTest.cpp - the bounded longest-common-subsequence alignment.
#include "logic/compare/SequenceAlign.h"

#include <gtest/gtest.h>

#include <random>  // std::mt19937
#include <vector>  // std::vector

namespace {

using Sequence = std::vector<std::uint64_t>;

// The length of a longest common subsequence, by the textbook table.
std::size_t LcsLength(const Sequence& a, const Sequence& b) {
  std::vector<std::vector<std::size_t>> t(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
  for (std::size_t i = 1; i <= a.size(); ++i)
    for (std::size_t j = 1; j <= b.size(); ++j)
      t[i][j] = a[i - 1] == b[j - 1] ? t[i - 1][j - 1] + 1 : std::max(t[i - 1][j], t[i][j - 1]);
  return t[a.size()][b.size()];
}

TEST(SequenceAlign, MatchesALongestCommonSubsequence) {
  const struct {
    Sequence a, b;
    std::vector<AlignedPair> expected;
  } cases[] = {
      {{}, {}, {}},
      {{1, 2, 3}, {}, {}},
      {{1, 2, 3}, {1, 2, 3}, {{0, 0}, {1, 1}, {2, 2}}},
      // One inserted in the middle shifts nothing else.
      {{1, 2, 3, 4}, {1, 2, 9, 3, 4}, {{0, 0}, {1, 1}, {2, 3}, {3, 4}}},
      // One deleted, among equal neighbours.
      {{7, 7, 8, 7, 7}, {7, 7, 7, 7}, {{0, 0}, {1, 1}, {3, 2}, {4, 3}}},
      {{1, 2}, {3, 4}, {}},
      {{1, 2, 3, 4, 5}, {5, 1, 2, 3, 4}, {{0, 1}, {1, 2}, {2, 3}, {3, 4}}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(AlignSequences(c.a, c.b, /*maxEdits=*/100), c.expected) << c.a.size();
}

TEST(SequenceAlign, FindsTheLongestLengthOnRandomSequences) {
  std::mt19937 random(28);
  for (int round = 0; round < 300; ++round) {
    Sequence a(random() % 40), b(random() % 40);
    for (auto& x : a) x = random() % 4;
    for (auto& x : b) x = random() % 4;
    const std::vector<AlignedPair> pairs = AlignSequences(a, b, /*maxEdits=*/100);
    ASSERT_EQ(pairs.size(), LcsLength(a, b)) << round;
    for (std::size_t k = 0; k < pairs.size(); ++k)
      ASSERT_EQ(a[static_cast<std::size_t>(pairs[k].first)],
                b[static_cast<std::size_t>(pairs[k].second)])
          << round;
    for (std::size_t k = 1; k < pairs.size(); ++k) {
      ASSERT_LT(pairs[k - 1].first, pairs[k].first) << round;
      ASSERT_LT(pairs[k - 1].second, pairs[k].second) << round;
    }
  }
}

// Past the bound the k-th occurrence of a value meets its k-th occurrence: the pairs
// stay equal but need not be in order on both sides.
TEST(SequenceAlign, MatchesByValueInOrderPastTheBound) {
  const struct {
    Sequence a, b;
    int maxEdits;
    std::vector<AlignedPair> expected;
  } cases[] = {
      {{1, 2, 3, 4}, {4, 3, 2, 1}, 2, {{0, 3}, {1, 2}, {2, 1}, {3, 0}}},
      {{1, 2, 1}, {2, 1, 2}, 0, {{0, 1}, {1, 0}}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(AlignSequences(c.a, c.b, c.maxEdits), c.expected) << c.maxEdits;
}

}  // namespace
