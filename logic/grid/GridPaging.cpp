// GridPaging.cpp - the DXF grid's paging arithmetic.
#include "logic/grid/GridPaging.h"

#include <algorithm>  // std::max, std::min, std::clamp

#include "model/buffer/RecordWalk.h"

namespace {

// One wheel notch scrolls this many pairs.
constexpr int kWheelRows = 5;

}  // namespace

void GridPaging::SetMetrics(int rowsOnPage, int eofIndex) {
  m_rowsOnPage = std::max(1, rowsOnPage);
  m_eofIndex = std::max(0, eofIndex);
}

int GridPaging::ScrollMax() const {
  return std::max(0, m_eofIndex - m_rowsOnPage / 2);
}

int GridPaging::ClampTop(int top) const {
  return std::clamp(top, 0, ScrollMax());
}

void GridPaging::ClampRow(GridView& view) const {
  if (view.CurrentIndex() > m_eofIndex) view.row = std::max(1, m_eofIndex - view.top + 1);
}

KeyResult GridPaging::Press(GridKey key, GridView& view, bool editorOpen) const {
  if (editorOpen) return KeyResult::Refused;
  switch (key) {
    case GridKey::Up:
      if (view.row != 1) return KeyResult::PassToGrid;
      if (view.top > 0) --view.top;
      return KeyResult::Consumed;
    case GridKey::Down:
      if (view.row < m_rowsOnPage)
        return view.CurrentIndex() < m_eofIndex ? KeyResult::PassToGrid : KeyResult::Consumed;
      PressDown(view);
      return KeyResult::Consumed;
    case GridKey::PageUp:
      PressPageUp(view);
      return KeyResult::Consumed;
    case GridKey::PageDown:
      PressPageDown(view);
      return KeyResult::Consumed;
  }
  return KeyResult::PassToGrid;
}

// Down on the last full row (or the partly visible one below it) scrolls so that the
// next pair stands on the last full row; on the EOF pair it does nothing.
void GridPaging::PressDown(GridView& view) const {
  if (view.CurrentIndex() >= m_eofIndex) return;
  view.top += view.row - m_rowsOnPage + 1;
  view.row = m_rowsOnPage;
}

// The cursor moves one page of pairs up, stopping at pair 0.
void GridPaging::PressPageUp(GridView& view) const {
  if (view.top < m_rowsOnPage) {
    view.row = std::max(1, view.row + view.top - m_rowsOnPage);
    view.top = 0;
    return;
  }
  view.top -= m_rowsOnPage;
}

// The cursor moves one page of pairs down, stopping at the EOF pair.
void GridPaging::PressPageDown(GridView& view) const {
  const int max = ScrollMax();
  if (view.top + m_rowsOnPage < max) {
    view.top += m_rowsOnPage;
    return;
  }
  const int target = std::min(view.CurrentIndex() + m_rowsOnPage, m_eofIndex);
  view.top = max;
  view.row = std::max(1, target - max + 1);
}

KeyResult GridPaging::Wheel(bool up, GridView& view, bool editorOpen) const {
  if (editorOpen) return KeyResult::Refused;
  view.top = up ? std::max(view.top - kWheelRows, 0) : std::min(view.top + kWheelRows, ScrollMax());
  ClampRow(view);
  return KeyResult::Consumed;
}

GridView GridPaging::ShowPair(int index) const {
  const int target = std::clamp(index, 0, m_eofIndex);
  const int max = ScrollMax();
  if (target <= max) return {target, 1};
  return {max, target - max + 1};
}

GridView GridPaging::ShowView(const GridView& view) const {
  const int pair = std::clamp(view.CurrentIndex(), 0, m_eofIndex);
  const int top = ClampTop(view.top);
  if (pair < top || pair >= top + m_rowsOnPage) return ShowPair(pair);
  return {top, pair - top + 1};
}

GridView GridPaging::ScrollToLine(long long line) const {
  // Integer division truncates toward zero, so line 0 leads to pair 0 as well.
  return {ClampTop(PairOfLine(line)), 1};
}

int PageRows(int gridHeight, int rowHeight, int lineWidth) {
  // The 0.1 lets a grid a hair short of a whole row still count that row, as the
  // program always has: 449 pixels of 15 + 1 pixel rows give 28.06 + 0.1 -> 28 - 1 = 27.
  const double rows = static_cast<double>(gridHeight) / (rowHeight + lineWidth) + 0.1;
  return static_cast<int>(rows) - 1;
}

void FitGridColumns(std::array<int, 4>& widths, int clientWidth) {
  const int beforeValue = widths[0] + widths[1] + 2;  // columns 0, 1 and their grid lines
  const int beforeRemark = beforeValue + widths[2] + 1;
  if (clientWidth - 1 < beforeRemark) {
    widths[2] = std::max(0, clientWidth - 1 - beforeValue);
    widths[3] = 0;
    return;
  }
  widths[3] = clientWidth - 1 - beforeRemark;
}
