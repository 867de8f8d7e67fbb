// StringGrid.cpp - a grid of text cells with fixed header row and column, in-place
// editing, owner drawing and event hooks.
#include "ui/StringGrid.h"

#include <algorithm>  // std::clamp, std::max, std::min
#include <cstdlib>    // std::abs

#include <QApplication>
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>

#include "ui/StringGridAccessible.h"

namespace {

constexpr int kFixedCols = 1;
constexpr int kFixedRows = 1;
constexpr int kDefaultColWidth = 64;
constexpr int kTextInset = 2;       // text stands 2 pixels right of and below the cell corner
constexpr int kEdgeGrip = 2;        // how near a column edge the pointer starts a resize
constexpr int kWheelStep = 120;     // angle delta of one wheel notch
constexpr int kOutOfView = -10000;  // where the editor waits while its row is scrolled away

const QColor kGridLineColor(192, 192, 192);

}  // namespace

class StringGrid::InputScope {
 public:
  InputScope(StringGrid& grid, Qt::KeyboardModifiers modifiers) : m_grid(grid) {
    m_grid.m_inputModifiers = modifiers;
  }
  ~InputScope() { m_grid.m_inputModifiers = Qt::NoModifier; }
  InputScope(const InputScope&) = delete;
  InputScope& operator=(const InputScope&) = delete;

 private:
  StringGrid& m_grid;
};

StringGrid::StringGrid(QWidget* parent) : QWidget(parent), m_editor(new QLineEdit(this)) {
  InstallStringGridAccessibility();
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  m_editor->setFrame(false);
  m_editor->hide();
  m_editor->installEventFilter(this);
  connect(m_editor, &QLineEdit::textEdited, this, [this](const QString& text) {
    SetCell(m_col, m_row, text);
    if (OnSetEditText) OnSetEditText(m_col, m_row, text);
  });
}

void StringGrid::SetColCount(int cols) {
  std::vector<QString> cells(static_cast<std::size_t>(cols * m_rowCount));
  for (int r = 0; r < m_rowCount; ++r)
    for (int c = 0; c < std::min(cols, m_colCount); ++c)
      cells[static_cast<std::size_t>(r * cols + c)] = Cell(c, r);
  m_cells.swap(cells);
  m_colCount = cols;
  m_colWidths.resize(static_cast<std::size_t>(cols), kDefaultColWidth);
  m_col = std::clamp(m_col, kFixedCols, std::max(kFixedCols, cols - 1));
  NotifyTableChanged();
  update();
}

void StringGrid::SetRowCount(int rows) {
  m_cells.resize(static_cast<std::size_t>(rows * m_colCount));
  m_rowCount = rows;
  m_row = std::clamp(m_row, kFixedRows, std::max(kFixedRows, rows - 1));
  m_topRow = std::min(m_topRow, MaxTopRow());
  UpdateScrollBar();
  NotifyTableChanged();
  update();
}

void StringGrid::NotifyTableChanged() {
  NotifyAccessibleTableChanged(*this);
}

std::size_t StringGrid::CellIndex(int col, int row) const {
  return static_cast<std::size_t>(row * m_colCount + col);
}

QString StringGrid::Cell(int col, int row) const {
  return m_cells[CellIndex(col, row)];
}

QString StringGrid::ColumnName(int col) const {
  QString name = Cell(col, 0);
  if (name.trimmed().isEmpty() && col >= 0 && col < m_columnNames.size()) name = m_columnNames[col];
  name.removeIf([](QChar c) { return c.isSpace(); });
  return name;
}

void StringGrid::SetCell(int col, int row, const QString& text) {
  QString& cell = m_cells[CellIndex(col, row)];
  if (cell == text) return;
  cell = text;
  update(CellRect(col, row));
}

void StringGrid::SetColWidth(int col, int width) {
  m_colWidths[static_cast<std::size_t>(col)] = std::max(0, width);
  PlaceEditor();
  update();
}

void StringGrid::SetDefaultRowHeight(int height) {
  m_rowHeight = height;
  PlaceEditor();
  update();
}

void StringGrid::SetDrawFocusSelected(bool on) {
  if (m_drawFocusSelected == on) return;
  m_drawFocusSelected = on;
  update(CellRect(m_col, m_row));
}

int StringGrid::ClientWidth() const {
  return width() - (m_scrollBar ? m_scrollBar->width() : 0);
}

// ------------------------------------------------------------------ vertical scrolling

void StringGrid::SetVerticalScrolling(bool on) {
  if (on == (m_scrollBar != nullptr)) return;
  if (on) {
    m_scrollBar = new QScrollBar(Qt::Vertical, this);
    m_scrollBar->setFocusPolicy(Qt::NoFocus);
    connect(m_scrollBar, &QScrollBar::valueChanged, this, &StringGrid::SetTopRow);
    UpdateScrollBar();
    m_scrollBar->show();
  } else {
    delete m_scrollBar;
    m_scrollBar = nullptr;
    m_topRow = kFixedRows;
  }
  update();
}

// Data rows that fit wholly under the fixed row; at least one, so paging always moves.
int StringGrid::VisibleDataRows() const {
  return std::max(1, height() / (m_rowHeight + GridLineWidth()) - kFixedRows);
}

int StringGrid::MaxTopRow() const {
  if (!m_scrollBar) return kFixedRows;
  return std::max(kFixedRows, m_rowCount - VisibleDataRows());
}

void StringGrid::SetTopRow(int row) {
  row = std::clamp(row, kFixedRows, MaxTopRow());
  if (row == m_topRow) return;
  m_topRow = row;
  UpdateScrollBar();
  PlaceEditor();
  update();
}

bool StringGrid::IsRowVisible(int row) const {
  if (row < kFixedRows) return true;
  return row >= m_topRow && row < m_rowCount && RowTop(row) < height();
}

void StringGrid::UpdateScrollBar() {
  if (!m_scrollBar) return;
  const int barWidth = m_scrollBar->sizeHint().width();
  m_scrollBar->setGeometry(width() - barWidth, 0, barWidth, height());
  const QSignalBlocker quiet(m_scrollBar);
  m_scrollBar->setRange(kFixedRows, MaxTopRow());
  m_scrollBar->setPageStep(VisibleDataRows());
  m_scrollBar->setValue(m_topRow);
}

void StringGrid::ScrollToCurrentRow() {
  if (!m_scrollBar) return;
  if (m_row < m_topRow) return SetTopRow(m_row);
  const int lastWhole = m_topRow + VisibleDataRows() - 1;
  if (m_row > lastWhole) SetTopRow(m_row - VisibleDataRows() + 1);
}

// ------------------------------------------------------------------ geometry

int StringGrid::ColLeft(int col) const {
  int left = 0;
  for (int c = 0; c < col; ++c) left += ColWidth(c) + GridLineWidth();
  return left;
}

// The fixed row stands at the top; data rows follow from the top row on.
int StringGrid::RowTop(int row) const {
  const int slot = row < kFixedRows ? row : row - m_topRow + kFixedRows;
  return slot * (m_rowHeight + GridLineWidth());
}

QRect StringGrid::CellRect(int col, int row) const {
  return {ColLeft(col), RowTop(row), ColWidth(col), m_rowHeight};
}

// A point on a grid line belongs to the cell before it.
bool StringGrid::CellAt(QPoint point, int& col, int& row) const {
  const int slot = point.y() / (m_rowHeight + GridLineWidth());
  row = slot < kFixedRows ? slot : slot - kFixedRows + m_topRow;
  if (point.y() < 0 || row >= m_rowCount) return false;
  for (col = 0; col < m_colCount; ++col)
    if (point.x() >= 0 && point.x() < ColLeft(col + 1)) return true;
  return false;
}

// Returns the column whose right edge lies under the point in the header row, or -1.
int StringGrid::ColumnEdgeAt(QPoint point) const {
  if (point.y() < 0 || point.y() >= m_rowHeight + GridLineWidth()) return -1;
  for (int c = 0; c < m_colCount; ++c)
    if (std::abs(point.x() - (ColLeft(c) + ColWidth(c))) <= kEdgeGrip) return c;
  return -1;
}

// ------------------------------------------------------------------ current cell

bool StringGrid::SelectCell(int col, int row) {
  if (col == m_col && row == m_row) return true;
  if (OnSelectCell && !OnSelectCell(col, row)) return false;
  FocusCell(col, row);
  return true;
}

void StringGrid::FocusCell(int col, int row) {
  HideEditor();
  update(CellRect(m_col, m_row));
  m_col = col;
  m_row = row;
  ScrollToCurrentRow();
  update(CellRect(m_col, m_row));
  NotifyAccessibleFocus(*this);
  emit CurrentCellChanged(col, row);
}

// Arrows, Home and End move within the data cells; the key counts as handled even where
// the cursor cannot move.
bool StringGrid::MoveByKey(int key) {
  int col = m_col;
  int row = m_row;
  switch (key) {
    case Qt::Key_Up:
      row = std::max(kFixedRows, row - 1);
      break;
    case Qt::Key_Down:
      row = std::min(m_rowCount - 1, row + 1);
      break;
    case Qt::Key_Left:
      col = std::max(kFixedCols, col - 1);
      break;
    case Qt::Key_Right:
      col = std::min(m_colCount - 1, col + 1);
      break;
    case Qt::Key_Home:
      col = kFixedCols;
      break;
    case Qt::Key_End:
      col = m_colCount - 1;
      break;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
      if (!m_scrollBar) return false;  // a grid that does not scroll leaves paging to its owner
      row += (key == Qt::Key_PageUp ? -1 : 1) * VisibleDataRows();
      row = std::clamp(row, kFixedRows, std::max(kFixedRows, m_rowCount - 1));
      break;
    default:
      return false;
  }
  SelectCell(col, row);
  return true;
}

// Tab moves to the next data cell, wrapping to the next row; Shift+Tab goes back.
void StringGrid::MoveByTab(bool forward) {
  int col = m_col + (forward ? 1 : -1);
  int row = m_row;
  if (col >= m_colCount) {
    col = kFixedCols;
    ++row;
  } else if (col < kFixedCols) {
    col = m_colCount - 1;
    --row;
  }
  if (row >= kFixedRows && row < m_rowCount) SelectCell(col, row);
}

// ------------------------------------------------------------------ in-place editor

void StringGrid::ShowEditor() {
  if (m_editorOpen || !m_editing) return;
  const QString text = OnGetEditText ? OnGetEditText(m_col, m_row) : Cell(m_col, m_row);
  m_editorOpen = true;
  m_editor->setFont(font());
  m_editor->setText(text);
  m_editor->selectAll();
  PlaceEditor();
  m_editor->show();
  m_editor->setFocus();
}

void StringGrid::HideEditor() {
  if (!m_editorOpen) return;
  m_editorOpen = false;
  const QString text = m_editor->text();
  const bool hadFocus = m_editor->hasFocus();
  m_editor->hide();
  if (hadFocus) setFocus();
  SetCell(m_col, m_row, text);
  if (OnSetEditText) OnSetEditText(m_col, m_row, text);
}

void StringGrid::CancelEditor() {
  if (!m_editorOpen) return;
  m_editorOpen = false;
  const bool hadFocus = m_editor->hasFocus();
  m_editor->hide();
  if (hadFocus) setFocus();
  update(CellRect(m_col, m_row));
}

// An editor whose row is scrolled away waits out of view, keeping its text and focus.
void StringGrid::PlaceEditor() {
  if (!m_editorOpen) return;
  QRect rect = CellRect(m_col, m_row);
  if (!IsRowVisible(m_row)) rect.moveTop(kOutOfView);
  m_editor->setGeometry(rect);
}

bool StringGrid::IsTypedCharacter(const QKeyEvent& event) const {
  const QString text = event.text();
  const bool command = event.modifiers() & (Qt::ControlModifier | Qt::AltModifier);
  return !command && !text.isEmpty() && text[0].isPrint();
}

// Keys in the editor: the owner sees them first; Enter and Esc end the edit, Tab and the
// vertical arrows end it and move; typed characters pass the owner's filter.
bool StringGrid::EditorKeyPress(QKeyEvent* event) {
  if (OnKeyDown && OnKeyDown(*event)) return true;
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
      HideEditor();
      return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      HideEditor();
      MoveByTab(event->key() == Qt::Key_Tab);
      return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
      HideEditor();
      MoveByKey(event->key());
      return true;
    default:
      break;
  }
  return IsTypedCharacter(*event) && OnKeyPress && !OnKeyPress(event->text()[0]);
}

bool StringGrid::eventFilter(QObject* watched, QEvent* event) {
  if (watched != m_editor) return QWidget::eventFilter(watched, event);
  if (event->type() == QEvent::KeyPress) return EditorKeyPress(static_cast<QKeyEvent*>(event));
  // Focus leaving the editor (a click elsewhere) ends the edit; a context menu does not.
  const bool leaving = event->type() == QEvent::FocusOut &&
                       static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason;
  if (leaving) HideEditor();
  return false;
}

// ------------------------------------------------------------------ events

// Tab moves between cells instead of moving the focus to the next widget, unless the
// owner lets it move the focus. A tooltip comes from the owner, cell by cell, or else
// shows a text its column cuts off.
bool StringGrid::event(QEvent* event) {
  if (event->type() == QEvent::ToolTip) {
    ShowToolTip(*static_cast<QHelpEvent*>(event));
    return true;
  }
  if (event->type() == QEvent::KeyPress && !m_tabMovesFocus) {
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
      keyPressEvent(key);
      return true;
    }
  }
  return QWidget::event(event);
}

void StringGrid::ShowToolTip(const QHelpEvent& help) {
  int col = 0;
  int row = 0;
  QString tip = OnToolTip && CellAt(help.pos(), col, row) ? OnToolTip(col, row) : QString();
  if (tip.isEmpty()) tip = CutTextAt(help.pos());
  if (tip.isEmpty()) {
    QToolTip::hideText();
    return;
  }
  QToolTip::showText(help.globalPos(), tip, this, CellRect(col, row));
}

QString StringGrid::CutTextAt(QPoint point) const {
  int col = 0;
  int row = 0;
  if (!CellAt(point, col, row) || col < kFixedCols || row < kFixedRows) return {};
  const QString text = Cell(col, row);
  const bool cut = fontMetrics().horizontalAdvance(text) + kTextInset > ColWidth(col);
  return cut ? text : QString();
}

void StringGrid::contextMenuEvent(QContextMenuEvent* event) {
  if (!OnContextMenu) return QWidget::contextMenuEvent(event);
  int col = 0;
  int row = 0;
  const bool onCell = event->reason() == QContextMenuEvent::Mouse &&
                      CellAt(event->pos(), col, row) && col >= kFixedCols && row >= kFixedRows;
  if (!onCell) {
    col = m_col;
    row = m_row;
  }
  const QPoint at = onCell ? event->globalPos() : mapToGlobal(CellRect(m_col, m_row).center());
  OnContextMenu(col, row, at);
}

void StringGrid::keyPressEvent(QKeyEvent* event) {
  const InputScope input(*this, event->modifiers());
  if (OnKeyDown && OnKeyDown(*event)) return;
  if (MoveByKey(event->key())) return;
  switch (event->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      MoveByTab(event->key() == Qt::Key_Tab);
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_F2:
      ShowEditor();
      return;
    default:
      break;
  }
  if (!IsTypedCharacter(*event)) return QWidget::keyPressEvent(event);
  if (OnKeyPress && !OnKeyPress(event->text()[0])) return;
  // A typed character opens the editor and replaces the selected text.
  ShowEditor();
  if (m_editorOpen) m_editor->insert(event->text());
}

// A left click selects a cell or starts a column resize; a right click selects the cell
// its context menu is about.
void StringGrid::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton && event->button() != Qt::RightButton) return;
  const InputScope input(*this, event->modifiers());
  if (event->button() == Qt::LeftButton) m_resizingCol = ColumnEdgeAt(event->position().toPoint());
  int col = 0;
  int row = 0;
  if (m_resizingCol < 0 && CellAt(event->position().toPoint(), col, row) && col >= kFixedCols &&
      row >= kFixedRows)
    SelectCell(col, row);
}

void StringGrid::mouseMoveEvent(QMouseEvent* event) {
  const QPoint point = event->position().toPoint();
  if (m_resizingCol >= 0) {
    SetColWidth(m_resizingCol, point.x() - ColLeft(m_resizingCol));
    return;
  }
  setCursor(ColumnEdgeAt(point) >= 0 ? Qt::SplitHCursor : Qt::ArrowCursor);
}

void StringGrid::mouseReleaseEvent(QMouseEvent*) {
  m_resizingCol = -1;
}

// A double click on the current cell opens its editor where editing is on; otherwise a
// double click in the current row is the owner's (the lists jump to the row's record).
void StringGrid::mouseDoubleClickEvent(QMouseEvent* event) {
  int col = 0;
  int row = 0;
  if (!CellAt(event->position().toPoint(), col, row) || row != m_row) return;
  if (col == m_col) ShowEditor();
  if (!m_editorOpen) emit DoubleClicked(col, row);
}

// Without an owner's wheel handling a scrolling grid scrolls by the system's lines per notch.
void StringGrid::wheelEvent(QWheelEvent* event) {
  event->accept();
  const InputScope input(*this, event->modifiers());
  const int delta = event->angleDelta().y();
  if (delta == 0) return;
  const int steps = std::max(1, std::abs(delta) / kWheelStep);
  if (!OnMouseWheel) {
    SetTopRow(m_topRow + (delta > 0 ? -1 : 1) * steps * QApplication::wheelScrollLines());
    return;
  }
  for (int step = 0; step < steps; ++step) OnMouseWheel(delta > 0);
}

void StringGrid::resizeEvent(QResizeEvent*) {
  UpdateScrollBar();
  SetTopRow(m_topRow);  // a taller grid may show the last rows from a lower top row
  PlaceEditor();
  emit Resized();
}

// ------------------------------------------------------------------ drawing

void StringGrid::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().base());
  const auto drawRow = [&](int row) {
    for (int col = 0; col < m_colCount && ColLeft(col) < width(); ++col)
      DrawCell(painter, col, row);
  };
  for (int row = 0; row < std::min(kFixedRows, m_rowCount); ++row) drawRow(row);
  for (int row = m_topRow; row < m_rowCount && RowTop(row) < height(); ++row) drawRow(row);
  DrawGridLines(painter);
}

void StringGrid::DrawCell(QPainter& painter, int col, int row) {
  const QRect rect = CellRect(col, row);
  DrawState state{col < kFixedCols || row < kFixedRows, col == m_col && row == m_row, false};
  state.selected = state.focused && m_drawFocusSelected && !state.fixed;
  painter.save();
  painter.setClipRect(rect);
  if (!OnDrawCell || !OnDrawCell(painter, col, row, rect, state))
    DrawDefaultCell(painter, rect, Cell(col, row), state);
  painter.restore();
}

void StringGrid::DrawDefaultCell(QPainter& painter, const QRect& rect, const QString& text,
                                 DrawState state) {
  const QPalette& colors = palette();
  if (state.fixed) {
    painter.fillRect(rect, colors.button());
    painter.setPen(colors.light().color());
    painter.drawLine(rect.topLeft(), rect.topRight());
    painter.drawLine(rect.topLeft(), rect.bottomLeft());
  } else {
    painter.fillRect(rect, state.selected ? colors.highlight() : colors.base());
  }
  painter.setPen(state.selected ? colors.highlightedText().color() : colors.text().color());
  painter.drawText(rect.adjusted(kTextInset, kTextInset, 0, 0),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
  if (state.focused && !state.selected && !state.fixed && hasFocus()) {
    painter.setPen(QPen(colors.text().color(), 1, Qt::DotLine));
    painter.drawRect(rect.adjusted(0, 0, -1, -1));
  }
}

void StringGrid::DrawGridLines(QPainter& painter) {
  painter.setPen(kGridLineColor);
  const int shownRows = std::min(m_rowCount, kFixedRows + m_rowCount - m_topRow);
  const int bottom = shownRows * (m_rowHeight + GridLineWidth()) - 1;
  const int right = ColLeft(m_colCount) - 1;
  for (int col = 0; col < m_colCount; ++col) {
    const int x = ColLeft(col + 1) - 1;
    painter.drawLine(x, 0, x, bottom);
  }
  for (int y = m_rowHeight; y <= bottom; y += m_rowHeight + GridLineWidth())
    painter.drawLine(0, y, right, y);
}
