// SequenceAlign.cpp - Myers' difference algorithm with a bound on its cost.
//
// The forward search keeps, per number of edits d, the furthest point reached on each
// diagonal k = x - y; a copy of that row before each d lets the path be walked back. The
// copies take (D + 1)^2 integers, so maxEdits also bounds the memory.
#include "logic/compare/SequenceAlign.h"

#include <algorithm>  // std::sort, std::reverse, std::min
#include <cstddef>    // std::size_t

namespace {

// The part of both sequences between their common beginning and their common end.
struct Middle {
  int first = 0;  // length of the common beginning
  int aEnd = 0;   // one past the middle of a
  int bEnd = 0;   // one past the middle of b
};

Middle TrimCommonEnds(std::span<const std::uint64_t> a, std::span<const std::uint64_t> b) {
  Middle m;
  const int n = static_cast<int>(a.size()), k = static_cast<int>(b.size());
  while (m.first < n && m.first < k && a[m.first] == b[m.first]) ++m.first;
  m.aEnd = n;
  m.bEnd = k;
  while (m.aEnd > m.first && m.bEnd > m.first && a[m.aEnd - 1] == b[m.bEnd - 1]) {
    --m.aEnd;
    --m.bEnd;
  }
  return m;
}

// The Myers search over a[0..n) and b[0..m): the rows of furthest x per diagonal before
// each number of edits, packed so that row d (diagonals -d..d) starts at d * d.
class MyersSearch {
 public:
  MyersSearch(std::span<const std::uint64_t> a, std::span<const std::uint64_t> b, int maxEdits)
      : m_a(a), m_b(b), m_max(maxEdits), m_row(2 * static_cast<std::size_t>(maxEdits) + 3, 0) {}

  // Runs the search; false when more than maxEdits edits are needed.
  bool Run() {
    const int n = static_cast<int>(m_a.size()), m = static_cast<int>(m_b.size());
    for (int d = 0; d <= m_max; ++d) {
      for (int k = -d; k <= d; ++k) m_trace.push_back(At(k));
      for (int k = -d; k <= d; k += 2) {
        int x = TakesInsertion(d, k) ? At(k + 1) : At(k - 1) + 1;
        int y = x - k;
        while (x < n && y < m && m_a[x] == m_b[y]) ++x, ++y;
        At(k) = x;
        if (x >= n && y >= m) {
          m_edits = d;
          return true;
        }
      }
    }
    return false;
  }

  // Walks the path back from the end and returns its matched elements in order.
  std::vector<AlignedPair> Path() const {
    std::vector<AlignedPair> matched;
    int x = static_cast<int>(m_a.size()), y = static_cast<int>(m_b.size());
    for (int d = m_edits; d > 0; --d) {
      const int k = x - y;
      const int prevK = TakesInsertionIn(d, k) ? k + 1 : k - 1;
      const int prevX = Traced(d, prevK), prevY = prevX - prevK;
      while (x > prevX && y > prevY) matched.emplace_back(--x, --y);
      x = prevX;
      y = prevY;
    }
    while (x > 0 && y > 0) matched.emplace_back(--x, --y);
    std::reverse(matched.begin(), matched.end());
    return matched;
  }

 private:
  int& At(int k) { return m_row[static_cast<std::size_t>(k + m_max + 1)]; }
  int Traced(int d, int k) const { return m_trace[static_cast<std::size_t>(d * d + k + d)]; }
  // Whether the step onto diagonal k with d edits comes down from k + 1 (an element of b
  // inserted) rather than across from k - 1 (an element of a deleted).
  bool TakesInsertion(int d, int k) { return k == -d || (k != d && At(k - 1) < At(k + 1)); }
  bool TakesInsertionIn(int d, int k) const {
    return k == -d || (k != d && Traced(d, k - 1) < Traced(d, k + 1));
  }

  std::span<const std::uint64_t> m_a, m_b;
  int m_max;
  int m_edits = 0;
  std::vector<int> m_row;
  std::vector<int> m_trace;
};

// Matches the k-th occurrence of each value in a with its k-th occurrence in b.
std::vector<AlignedPair> MatchByValueInOrder(std::span<const std::uint64_t> a,
                                             std::span<const std::uint64_t> b) {
  using Entry = std::pair<std::uint64_t, int>;
  const auto sorted = [](std::span<const std::uint64_t> s) {
    std::vector<Entry> entries;
    entries.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) entries.emplace_back(s[i], static_cast<int>(i));
    std::sort(entries.begin(), entries.end());
    return entries;
  };
  const std::vector<Entry> x = sorted(a), y = sorted(b);
  std::vector<AlignedPair> matched;
  for (std::size_t i = 0, j = 0; i < x.size() && j < y.size();) {
    if (x[i].first < y[j].first) {
      ++i;
    } else if (y[j].first < x[i].first) {
      ++j;
    } else {
      matched.emplace_back(x[i++].second, y[j++].second);
    }
  }
  std::sort(matched.begin(), matched.end());
  return matched;
}

}  // namespace

std::vector<AlignedPair> AlignSequences(std::span<const std::uint64_t> a,
                                        std::span<const std::uint64_t> b, int maxEdits) {
  const Middle mid = TrimCommonEnds(a, b);
  std::vector<AlignedPair> matched;
  for (int i = 0; i < mid.first; ++i) matched.emplace_back(i, i);
  const auto middleA = a.subspan(mid.first, mid.aEnd - mid.first);
  const auto middleB = b.subspan(mid.first, mid.bEnd - mid.first);
  if (!middleA.empty() && !middleB.empty()) {
    MyersSearch search(middleA, middleB, maxEdits);
    const std::vector<AlignedPair> inner =
        search.Run() ? search.Path() : MatchByValueInOrder(middleA, middleB);
    for (const auto& [i, j] : inner) matched.emplace_back(i + mid.first, j + mid.first);
  }
  const int tail = static_cast<int>(a.size()) - mid.aEnd;
  for (int t = 0; t < tail; ++t) matched.emplace_back(mid.aEnd + t, mid.bEnd + t);
  return matched;
}
