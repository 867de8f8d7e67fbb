// GridPaging.h - the DXF grid's paging arithmetic: which pair stands in which row.
//
// The grid shows a window of RowsOnPage rows onto the buffer's pairs. Its state is the
// top index P (the pair in data row 1, the scroll bar's position) and the current row
// R; the pair under the cursor is P + R - 1 and never lies past the EOF pair E. The
// scroll range ends at E - RowsOnPage div 2, so at the end of the file the EOF pair
// stands about mid-page. GridPaging holds RowsOnPage and E and moves a GridView by the
// rules of the keys, the wheel and the jumps; the frame widget only applies the result.
#pragma once

#include <array>  // std::array

/// The top index P and the current row R of the grid (R counts data rows from 1).
struct GridView {
  int top = 0;
  int row = 1;
  int CurrentIndex() const { return top + row - 1; }
  bool operator==(const GridView&) const = default;
};

/// The vertical keys the paging handles; every other key is the grid's own business.
enum class GridKey { Up, Down, PageUp, PageDown };

/// What the frame does with a key after GridPaging has seen it.
enum class KeyResult {
  PassToGrid,  // the grid moves its cursor one row itself (it asks SelectCell first)
  Consumed,    // the view holds the new top and row; the grid never sees the key
  Refused,     // nothing moves; the frame beeps and the grid never sees the key
};

class GridPaging {
 public:
  /// Sets the page height and the last reachable pair; a page of fewer than one row
  /// counts as one row.
  void SetMetrics(int rowsOnPage, int eofIndex);
  int RowsOnPage() const { return m_rowsOnPage; }
  int EofIndex() const { return m_eofIndex; }
  /// Returns the scroll maximum, max(0, E - RowsOnPage div 2).
  int ScrollMax() const;
  /// Returns top kept within 0 .. ScrollMax().
  int ClampTop(int top) const;
  /// Moves the row up so that the cursor does not stand past the EOF pair.
  void ClampRow(GridView& view) const;
  /// Tells whether data row `row` under top index `top` may take the cursor.
  bool CanSelectRow(int top, int row) const { return top + row - 1 <= m_eofIndex; }
  /// Applies a vertical key to the view; any of them is refused while an editor is open.
  KeyResult Press(GridKey key, GridView& view, bool editorOpen) const;
  /// Applies one wheel step of five rows; refused while an editor is open.
  KeyResult Wheel(bool up, GridView& view, bool editorOpen) const;
  /// Returns the view that shows pair `index` under the cursor: in row 1 when the scroll
  /// range allows, otherwise with the view at the end of the range and the row moved down
  /// to the pair. A negative index shows pair 0.
  GridView ShowPair(int index) const;
  /// Returns a view shown before, fitted to the page as it is now: the same top and row
  /// where they still fit, otherwise ShowPair of the pair that was under the cursor.
  GridView ShowView(const GridView& view) const;
  /// Returns the view for a 1-based file line: row 1 on the pair trunc((line - 1) / 2).
  GridView ScrollToLine(long long line) const;

 private:
  void PressDown(GridView& view) const;
  void PressPageUp(GridView& view) const;
  void PressPageDown(GridView& view) const;

  int m_rowsOnPage = 1;
  int m_eofIndex = 0;
};

/// Returns the data rows that fit a grid of that outer height:
/// trunc(height / (rowHeight + lineWidth) + 0.1) - 1.
int PageRows(int gridHeight, int rowHeight, int lineWidth);

/// Fits the four DXF grid columns to the client width: column 3 takes what is left right
/// of column 2; when column 2 does not fit either, it is cut at the edge and column 3 is
/// hidden. Columns 0 and 1 keep their widths; no width goes below 0.
void FitGridColumns(std::array<int, 4>& widths, int clientWidth);
