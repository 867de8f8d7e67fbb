// GridSelection.cpp - the rows selected in the DXF grid, held as pairs.
#include "logic/grid/GridSelection.h"

#include <algorithm>  // std::minmax

void PairSelection::BeforeMove(bool extend, int current) {
  if (!extend) {
    m_anchor = -1;
  } else if (m_anchor < 0) {
    m_anchor = current;
  }
}

std::pair<int, int> PairSelection::Range(int current) const {
  if (m_anchor < 0) return {current, current};
  return std::minmax(m_anchor, current);
}

bool PairSelection::Holds(int pair, int current) const {
  if (!IsMultiRow(current)) return false;
  const auto [first, last] = Range(current);
  return pair >= first && pair <= last;
}
