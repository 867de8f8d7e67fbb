// GridSelection.h - the rows selected in the DXF grid, held as pairs.
//
// The grid shows a window onto the pairs and refills its rows on every scroll, so a
// selection of several rows is kept as pairs: an anchor, set where a Shift move or a
// Shift click started, and the pair under the cursor. A move without Shift ends it.
#pragma once

#include <utility>  // std::pair

/// The most rows one copy takes: a larger range is refused with a message.
inline constexpr int kMaxCopiedRows = 100000;

class PairSelection {
 public:
  /// Runs before the cursor leaves pair `current`: extend keeps the selection (or starts
  /// it at `current`); any other move ends it.
  void BeforeMove(bool extend, int current);
  void Clear() { m_anchor = -1; }
  /// Returns the first and the last selected pair with the cursor on `current`; both are
  /// `current` when no rows are selected.
  std::pair<int, int> Range(int current) const;
  /// Tells whether more than the cursor's pair is selected.
  bool IsMultiRow(int current) const { return m_anchor >= 0 && m_anchor != current; }
  /// Tells whether pair lies in a selection of several rows.
  bool Holds(int pair, int current) const;

 private:
  int m_anchor = -1;  // where the selection started; -1 when there is none
};
