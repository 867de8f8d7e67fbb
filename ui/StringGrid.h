// StringGrid.h - a grid of text cells: fixed header row and column, in-place editing,
// owner drawing and event hooks.
//
// The grids of the main window rely on a small set of behaviours: a fixed number of rows
// and columns that only the program changes, cell texts, column widths the user can drag,
// a current cell that moves only when the owner allows it (OnSelectCell), an in-place
// editor that asks for its starting text (OnGetEditText) and reports every change and the
// end of the edit (OnSetEditText), and owner drawing over the default drawing. The grid
// never scrolls its own rows: an owner that shows more data than fits refills the rows.
// Hooks are plain callables, so an owner can answer them (a hook that is not set keeps
// the default behaviour).
#pragma once

#include <functional>  // std::function
#include <vector>      // std::vector

#include <QString>
#include <QStringList>
#include <QWidget>

class QHelpEvent;
class QLineEdit;
class QPainter;
class QScrollBar;

class StringGrid : public QWidget {
  Q_OBJECT

 public:
  /// How a cell is to be drawn.
  struct DrawState {
    bool fixed;     // header row or first column
    bool focused;   // the current cell
    bool selected;  // the current cell while focused cells are drawn as selected
  };

  explicit StringGrid(QWidget* parent = nullptr);

  int ColCount() const { return m_colCount; }
  int RowCount() const { return m_rowCount; }
  /// Sets the row count; texts of the rows that remain are kept, the current row stays
  /// within the grid.
  void SetRowCount(int rows);
  void SetColCount(int cols);
  QString Cell(int col, int row) const;
  void SetCell(int col, int row, const QString& text);
  /// Names the columns for screen readers where the header cell shows no caption (yet).
  void SetColumnNames(QStringList names) { m_columnNames = std::move(names); }
  /// Returns a column's name for screen readers: its header caption without the spaces
  /// that lay it out, or else the name SetColumnNames gave it.
  QString ColumnName(int col) const;
  int ColWidth(int col) const { return m_colWidths[static_cast<std::size_t>(col)]; }
  void SetColWidth(int col, int width);
  int DefaultRowHeight() const { return m_rowHeight; }
  void SetDefaultRowHeight(int height);
  static constexpr int GridLineWidth() { return 1; }
  /// Returns the width the cells may use: the widget less its scroll bar.
  int ClientWidth() const;

  /// Turns vertical scrolling on or off (off at creation: the grid shows its rows from
  /// row 1 and the owner refills them).
  void SetVerticalScrolling(bool on);
  /// Returns the data row shown first under the fixed row.
  int TopRow() const { return m_topRow; }
  /// Scrolls so that row `row` is shown first, as far as the rows allow.
  void SetTopRow(int row);
  /// Tells whether a row is on screen (the fixed row always is).
  bool IsRowVisible(int row) const;

  int Col() const { return m_col; }
  int Row() const { return m_row; }
  /// Moves the current cell when OnSelectCell allows it; returns whether it moved.
  bool SelectCell(int col, int row);
  /// Moves the current cell without asking (the owner has checked the target).
  void FocusCell(int col, int row);

  /// In-place editing on or off (the editor opens on a typed character, Enter, F2 or a
  /// double click only while it is on).
  void SetEditing(bool on) { m_editing = on; }
  bool Editing() const { return m_editing; }
  /// Whether the current cell is drawn in the selection colours.
  void SetDrawFocusSelected(bool on);
  bool DrawFocusSelected() const { return m_drawFocusSelected; }
  /// Returns the modifier keys of the key, click or wheel event being handled (none
  /// outside one), so a hook can tell a Shift move from a plain one.
  Qt::KeyboardModifiers InputModifiers() const { return m_inputModifiers; }
  /// Tells whether the in-place editor is open.
  bool EditorMode() const { return m_editorOpen; }
  /// Opens the editor on the current cell with OnGetEditText's text, all selected.
  void ShowEditor();
  /// Ends the edit: the cell takes the editor's text, which is reported once more.
  void HideEditor();
  /// Closes the editor without reporting its text.
  void CancelEditor();
  /// Returns the rectangle of a cell in widget coordinates (above the widget for a row
  /// scrolled out of view).
  QRect CellRect(int col, int row) const;
  /// Finds the cell under a point in widget coordinates; false outside the cells.
  bool CellAt(QPoint point, int& col, int& row) const;
  /// Draws a cell as the grid does by itself; owner drawing may paint over it.
  void DrawDefaultCell(QPainter& painter, const QRect& rect, const QString& text, DrawState state);
  /// Returns the whole text of the data cell at point when its column cuts it off (the
  /// grid's tooltip), else an empty text.
  QString CutTextAt(QPoint point) const;
  /// While on, Tab and Shift+Tab outside the editor move the focus to the next or the
  /// previous widget instead of to the next cell; in the editor they still end the edit
  /// and move to the next cell. Off at creation.
  void SetTabMovesFocus(bool on) { m_tabMovesFocus = on; }

  std::function<bool(int col, int row)> OnSelectCell;
  std::function<QString(int col, int row)> OnGetEditText;
  std::function<void(int col, int row, const QString& text)> OnSetEditText;
  /// Draws a cell; returns false to have the default drawing done instead.
  std::function<bool(QPainter& painter, int col, int row, const QRect& rect, DrawState state)>
      OnDrawCell;
  /// Sees every key first, in the grid and in the editor; returns true to consume it.
  std::function<bool(const QKeyEvent& event)> OnKeyDown;
  /// Filters a typed character; returns false to discard it.
  std::function<bool(QChar typed)> OnKeyPress;
  /// Handles a wheel step; the grid itself never scrolls on the wheel.
  std::function<void(bool up)> OnMouseWheel;
  /// Returns the tooltip of a cell; an empty text shows none.
  std::function<QString(int col, int row)> OnToolTip;
  /// Asked for a context menu (right click or the menu key) over data cell (col, row),
  /// or over the current cell when no data cell lies under the pointer.
  std::function<void(int col, int row, QPoint globalPos)> OnContextMenu;

 signals:
  void Resized();
  /// A cell of the current row was double-clicked and no editor opened for it.
  void DoubleClicked(int col, int row);
  /// The current cell moved.
  void CurrentCellChanged(int col, int row);

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  std::size_t CellIndex(int col, int row) const;
  int ColLeft(int col) const;
  int RowTop(int row) const;
  int VisibleDataRows() const;
  int MaxTopRow() const;
  void UpdateScrollBar();
  void ScrollToCurrentRow();
  int ColumnEdgeAt(QPoint point) const;
  void DrawCell(QPainter& painter, int col, int row);
  void DrawGridLines(QPainter& painter);
  void NotifyTableChanged();
  bool MoveByKey(int key);
  void MoveByTab(bool forward);
  bool IsTypedCharacter(const QKeyEvent& event) const;
  bool EditorKeyPress(QKeyEvent* event);
  void ShowToolTip(const QHelpEvent& help);
  void PlaceEditor();
  // Holds an event's modifiers in InputModifiers while the event is handled.
  class InputScope;

  QStringList m_columnNames;  // for screen readers, where a header has no caption
  int m_colCount = 0;
  int m_rowCount = 0;
  std::vector<int> m_colWidths;
  std::vector<QString> m_cells;
  int m_rowHeight = 15;
  int m_col = 1;
  int m_row = 1;
  bool m_editing = false;
  bool m_drawFocusSelected = false;
  bool m_editorOpen = false;
  bool m_tabMovesFocus = false;
  Qt::KeyboardModifiers m_inputModifiers;
  QLineEdit* m_editor = nullptr;
  QScrollBar* m_scrollBar = nullptr;  // only while vertical scrolling is on
  int m_topRow = 1;                   // first data row on screen
  int m_resizingCol = -1;             // column whose right edge the user drags, -1 when none
};
