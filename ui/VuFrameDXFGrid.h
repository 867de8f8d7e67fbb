// VuFrameDXFGrid.h - the DXF grid frame: the loaded file as rows of code/value pairs.
//
// The frame shows a Document's buffer as a four-column grid (line number, group code, value,
// remark) with its own vertical scroll bar. The grid does not get a row per pair: it
// holds only the rows that fit the window and refills them from the buffer on every
// scroll, so a file of any size costs the same to show and to scroll; remarks are asked
// for only for pairs that come into view. Rows are coloured by the pair's mark, and a
// group code or value can be edited in place: the frame hands the pair and the typed
// text to the Document (CommitCellEdit), logs the change to the message panel, fills its
// rows once and reports the change to the main window. A pointer whose handle no record owns is
// drawn marked; Ctrl+Enter asks the main window to follow a pointer, and a right click asks it for
// the context menu of the pair under the cursor. The rules live in GridPaging, GridEdit and
// HandleNavigation; this widget turns Qt events into calls on them and redraws.
#pragma once

#include <array>   // std::array
#include <string>  // std::string

#include <QFrame>

#include "logic/Dialogs.h"
#include "logic/MessageLog.h"
#include "logic/MessageQueue.h"
#include "logic/document/Document.h"
#include "logic/grid/GridEdit.h"
#include "logic/grid/GridPaging.h"
#include "logic/grid/GridSelection.h"
#include "model/buffer/HandleIndex.h"
#include "model/buffer/MyDXFClass.h"
#include "ui/StringGrid.h"

class QScrollBar;

class TFrameDXFGrid : public QFrame {
  Q_OBJECT

 public:
  /// Creates the frame; beeps and messages go through dialogs, edits are logged to log.
  TFrameDXFGrid(Dialogs& dialogs, MessageLog& log, QWidget* parent = nullptr);
  ~TFrameDXFGrid() override;

  QFrame* DXFPanel;
  StringGrid* DXFGrid;
  QScrollBar* DXFScrollBar;
  int RowsOnPage = 0;  // data rows that fit the grid's height

  /// Attaches a document (not owned) and shows its drawing from the first pair, cursor on
  /// row 1 in the value column. Its handle index marks the dangling pointers once ready.
  void SetDocument(Document* document);
  /// Follows a change of the document: fills the rows once when its values changed.
  void ShowChange(const ChangeReport& report);
  /// Makes the grid show its drawing only, never editing a cell (a drawing compared with).
  void SetReadOnly(bool readOnly);
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
  int GetColWidth(int col) const;
  void SetColWidth(int col, int width);
  /// Fits rows, scroll range and columns to the grid's size and refills the rows.
  void DXFPanelResize();
  /// Ends an open in-place edit as Enter would; a refusal's message is shown at once.
  void EndEdit();
  /// Puts the cursor on the first pair (last = false) or on the EOF pair (Ctrl+Home,
  /// Ctrl+End); extend keeps or starts a selection of rows from the cursor.
  void ShowFileEnd(bool last, bool extend = false);
  /// Copies to the clipboard the current cell's text, or, with several rows selected,
  /// one line per pair: line number, code, value and remark, separated by tabs. More than
  /// kMaxCopiedRows rows are refused with a message.
  void CopySelection();
  const PairSelection& Selection() const { return m_selection; }
  const GridEdit& Edit() const { return m_edit; }

 signals:
  /// The top index changed (after the frame's own handling).
  void DXFScrollBarChanged();
  /// A cell was drawn; focused tells whether it is the current cell.
  void DXFGridCellDrawn(int col, int row, bool focused);
  /// An edit was committed to the document, logged and shown in the rows; the report
  /// tells the other views what to follow.
  void DocumentChanged(const ChangeReport& report);
  /// The user asks to follow the pointer under the cursor (Ctrl+Enter).
  void FollowPointerRequested();
  /// A context menu is asked for at globalPos, with the cursor on the pair it is for.
  void ContextMenuRequested(QPoint globalPos);

 private:
  void DXFScrollBarChange(int position);
  void DXFScrollBarScroll(int action);
  bool DXFGridDrawCell(QPainter& painter, int col, int row, const QRect& rect,
                       StringGrid::DrawState state);
  bool DXFGridKeyDown(const QKeyEvent& event);
  bool DXFGridCommandKey(const QKeyEvent& event);
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
  std::array<QString, 4> CellTexts(int pair);
  void SelectionBeforeMove(bool extend);
  void DXFGridContextMenu(int col, int row, QPoint globalPos);
  void ShowLater(const std::string& message);
  void SchedulePendingMessages();
  void ShowPendingMessages();

  Document* m_document = nullptr;  // the drawing shown; owned by the main window
  TDXFBuffer* Buffer = nullptr;    // its buffer, for reading and remarks
  Dialogs& m_dialogs;
  MessageLog& m_log;
  GridPaging m_paging;
  GridEdit m_edit;
  PairSelection m_selection;
  MessageQueue m_pending;  // messages raised during a fill or an edit, shown afterwards
  bool m_showScheduled = false;
  bool m_readOnly = false;
};
