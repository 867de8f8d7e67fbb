// VuFrameDXFGrid.h - the DXF grid frame: the loaded file as rows of code/value pairs.
//
// The frame shows the buffer as a four-column grid (line number, group code, value,
// remark) with its own vertical scroll bar. The grid does not get a row per pair: it
// holds only the rows that fit the window and refills them from the buffer on every
// scroll, so a file of any size costs the same to show and to scroll; remarks are asked
// for only for pairs that come into view. Rows are coloured by the pair's mark, and a
// group code or value can be edited in place, the change going straight into the
// buffer and into the message panel. A pointer whose handle no record owns is drawn
// marked; Ctrl+Enter and the context menu ask the main window to follow a pointer, to
// list the pairs pointing at a record or to check the drawing. The rules live in
// GridPaging, GridEdit and HandleNavigation; this widget turns Qt events into calls on
// them and redraws.
#pragma once

#include <string>  // std::string

#include <QFrame>

#include "logic/Dialogs.h"
#include "logic/GridEdit.h"
#include "logic/GridPaging.h"
#include "logic/MessageLog.h"
#include "logic/MessageQueue.h"
#include "model/HandleIndex.h"
#include "model/MyDXFClass.h"
#include "ui/StringGrid.h"

class QContextMenuEvent;
class QMenu;
class QScrollBar;

class TFrameDXFGrid : public QFrame {
  Q_OBJECT

 public:
  /// Creates the frame; beeps and messages go through dialogs, edits are logged to log.
  TFrameDXFGrid(Dialogs& dialogs, MessageLog& log, QWidget* parent = nullptr);

  QFrame* DXFPanel;
  StringGrid* DXFGrid;
  QScrollBar* DXFScrollBar;
  int RowsOnPage = 0;  // data rows that fit the grid's height

  /// Attaches a buffer (not owned) and shows it from its first pair, cursor on row 1 in
  /// the value column.
  void SetBuffer(TDXFBuffer* buffer);
  /// Attaches the handle index of the buffer (not owned), by which dangling pointers are
  /// marked once it is ready; null marks none.
  void SetHandleIndex(const HandleIndex* handles) { m_handles = handles; }
  /// Returns the data rows that fit the grid's height.
  int PageRows() const;
  int CurrentIndex() const;
  int TopIndex() const;
  /// Sets the top index; the scroll bar keeps it within its range.
  void SetTopIndex(int index);
  /// Moves the current cell, subject to DXFGridSelectCell.
  void SetRow(int row);
  void SetCol(int col);
  /// Refills the data rows for top index `top`; nothing happens without a buffer.
  void FillRows(int top);
  /// Shows the pair of a 1-based file line in row 1 (as far as the scroll range allows).
  void ScrollToLine(long long line);
  /// Puts the cursor on pair `index`: in row 1 where the scroll range allows, otherwise
  /// lower on the page at the end of the range.
  void ShowPair(int index);
  /// Returns the top index and the current row.
  GridView View() const;
  /// Shows a view returned by View() before, as far as it still fits the page.
  void ShowView(const GridView& view);
  /// Returns the grid's context menu for the current pair, owned by the caller; every
  /// entry of the menu is added here.
  QMenu* CreateContextMenu();
  int GetColWidth(int col) const;
  void SetColWidth(int col, int width);
  /// Fits rows, scroll range and columns to the grid's size and refills the rows.
  void DXFPanelResize();
  const GridEdit& Edit() const { return m_edit; }

 signals:
  /// The top index changed (after the frame's own handling).
  void DXFScrollBarChanged();
  /// A cell was drawn; focused tells whether it is the current cell.
  void DXFGridCellDrawn(int col, int row, bool focused);
  /// An edit was written into the buffer.
  void BufferEdited();
  /// The user asks to follow the pointer under the cursor (Ctrl+Enter, "参照先へ移動").
  void FollowPointerRequested();
  /// The user asks for the pairs pointing at the record under the cursor ("参照元一覧").
  void ReferrersRequested();
  /// The user asks for the drawing check ("図面の検査").
  void DrawingCheckRequested();

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void DXFScrollBarChange(int position);
  void DXFScrollBarScroll(int action);
  bool DXFGridDrawCell(QPainter& painter, int col, int row, const QRect& rect,
                       StringGrid::DrawState state);
  bool DXFGridKeyDown(const QKeyEvent& event);
  bool DXFGridKeyPress(QChar typed);
  void DXFGridMouseWheelUp();
  void DXFGridMouseWheelDown();
  void DXFGridMouseWheel(bool up);
  bool DXFGridSelectCell(int col, int row);
  QString DXFGridGetEditText(int col, int row);
  void DXFGridSetEditText(int col, int row, const QString& text);

  void ApplyView(const GridView& view);
  bool IsDanglingRow(int row) const;
  void DrawDanglingCell(QPainter& painter, int col, int row, const QRect& rect,
                        StringGrid::DrawState state) const;
  void UpdateScrollRange();
  void FitColumns();
  void FillRow(int row, int pair);
  void ShowLater(const std::string& message);
  void SchedulePendingMessages();
  void ShowPendingMessages();

  TDXFBuffer* Buffer = nullptr;            // the buffer shown; owned by the main window
  const HandleIndex* m_handles = nullptr;  // the buffer's handles; owned by the main window
  Dialogs& m_dialogs;
  MessageLog& m_log;
  GridPaging m_paging;
  GridEdit m_edit;
  MessageQueue m_pending;  // messages raised during a fill or an edit, shown afterwards
  bool m_showScheduled = false;
};
