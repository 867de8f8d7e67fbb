// StringGridAccessible.cpp - the table interface of StringGrid for assistive tools.
//
// Children are the cells row by row, the header row first; the table interface counts
// only the data rows, with the header row as their column headers. Cell interfaces are
// made on first request and registered with Qt's cache, which owns them; the table
// forgets them when the grid's size changes and when it goes away.
#include "ui/StringGridAccessible.h"

#include <algorithm>  // std::max
#include <map>        // std::map
#include <utility>    // std::pair

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPointer>

#include "ui/StringGrid.h"

namespace {

constexpr int kHeaderRow = 0;

// One cell; row kHeaderRow is a column header. It reads its text from the grid when
// asked and turns invalid once the grid no longer has its row or column.
class GridCell : public QAccessibleInterface, public QAccessibleTableCellInterface {
 public:
  GridCell(StringGrid* grid, int col, int row) : m_grid(grid), m_col(col), m_row(row) {}

  StringGrid* Grid() const { return m_grid; }
  int Col() const { return m_col; }
  int Row() const { return m_row; }

  bool isValid() const override {
    return m_grid && m_row < m_grid->RowCount() && m_col < m_grid->ColCount();
  }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return m_grid ? m_grid->window()->windowHandle() : nullptr; }
  QAccessibleInterface* parent() const override {
    return QAccessible::queryAccessibleInterface(m_grid.data());
  }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QString text(QAccessible::Text t) const override {
    if (!isValid() || (t != QAccessible::Name && t != QAccessible::Value)) return {};
    return IsHeader() ? m_grid->ColumnName(m_col) : m_grid->Cell(m_col, m_row);
  }
  void setText(QAccessible::Text, const QString&) override {}
  QRect rect() const override {
    if (!isValid() || !m_grid->IsRowVisible(m_row)) return {};
    const QRect cell = m_grid->CellRect(m_col, m_row);
    return {m_grid->mapToGlobal(cell.topLeft()), cell.size()};
  }
  QAccessible::Role role() const override {
    return IsHeader() ? QAccessible::ColumnHeader : QAccessible::Cell;
  }
  QAccessible::State state() const override {
    QAccessible::State state;
    if (!isValid()) return state;
    state.focusable = state.selectable = !IsHeader();
    state.selected = IsCurrent();
    state.focused = IsCurrent() && m_grid->hasFocus();
    state.invisible = state.offscreen = !m_grid->IsRowVisible(m_row);
    return state;
  }
  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type != QAccessible::TableCellInterface || IsHeader()) return nullptr;
    return static_cast<QAccessibleTableCellInterface*>(this);
  }

  // Data rows count from 0 under the header row.
  bool isSelected() const override { return IsCurrent(); }
  QList<QAccessibleInterface*> columnHeaderCells() const override;
  QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
  int columnIndex() const override { return m_col; }
  int rowIndex() const override { return m_row - 1; }
  int columnExtent() const override { return 1; }
  int rowExtent() const override { return 1; }
  QAccessibleInterface* table() const override { return parent(); }

 private:
  bool IsHeader() const { return m_row == kHeaderRow; }
  bool IsCurrent() const { return isValid() && m_grid->Col() == m_col && m_grid->Row() == m_row; }

  QPointer<StringGrid> m_grid;
  int m_col;
  int m_row;
};

// The grid as a table. Its name is the grid's accessible name, or else its object name.
class GridTable : public QAccessibleWidget, public QAccessibleTableInterface {
 public:
  explicit GridTable(StringGrid* grid) : QAccessibleWidget(grid, QAccessible::Table) {}
  ~GridTable() override { ForgetCells(); }
  GridTable(const GridTable&) = delete;
  GridTable& operator=(const GridTable&) = delete;

  // Returns the interface of a cell, made and registered on first request.
  QAccessibleInterface* Cell(int col, int row) const {
    if (col < 0 || row < 0 || col >= Grid()->ColCount() || row >= Grid()->RowCount())
      return nullptr;
    const auto [at, added] = m_cells.try_emplace({row, col}, 0);
    if (added)
      at->second = QAccessible::registerAccessibleInterface(new GridCell(Grid(), col, row));
    return QAccessible::accessibleInterface(at->second);
  }
  void ForgetCells() {
    for (const auto& [cell, id] : m_cells) QAccessible::deleteAccessibleInterface(id);
    m_cells.clear();
  }

  int childCount() const override { return Grid()->RowCount() * Grid()->ColCount(); }
  QAccessibleInterface* child(int index) const override {
    const int cols = Grid()->ColCount();
    if (cols == 0 || index < 0) return nullptr;
    return Cell(index % cols, index / cols);
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    const auto* cell = dynamic_cast<const GridCell*>(child);
    if (!cell || cell->Grid() != Grid()) return -1;
    return cell->Row() * Grid()->ColCount() + cell->Col();
  }
  QAccessibleInterface* childAt(int x, int y) const override {
    int col = 0, row = 0;
    if (!Grid()->CellAt(Grid()->mapFromGlobal(QPoint(x, y)), col, row)) return nullptr;
    return Cell(col, row);
  }
  // The open in-place editor has the focus; otherwise the current cell.
  QAccessibleInterface* focusChild() const override {
    if (Grid()->EditorMode()) return QAccessibleWidget::focusChild();
    return Cell(Grid()->Col(), Grid()->Row());
  }
  QString text(QAccessible::Text t) const override {
    if (t != QAccessible::Name) return QAccessibleWidget::text(t);
    const QString name = Grid()->accessibleName();
    return name.isEmpty() ? Grid()->objectName() : name;
  }
  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }

  QAccessibleInterface* caption() const override { return nullptr; }
  QAccessibleInterface* summary() const override { return nullptr; }
  QAccessibleInterface* cellAt(int row, int column) const override {
    return row < 0 ? nullptr : Cell(column, row + 1);
  }
  int selectedCellCount() const override { return HasCurrentCell() ? 1 : 0; }
  QList<QAccessibleInterface*> selectedCells() const override {
    if (!HasCurrentCell()) return {};
    return {Cell(Grid()->Col(), Grid()->Row())};
  }
  QString columnDescription(int column) const override {
    if (column < 0 || column >= Grid()->ColCount() || Grid()->RowCount() == 0) return {};
    return Grid()->ColumnName(column);
  }
  QString rowDescription(int) const override { return {}; }
  int selectedColumnCount() const override { return 0; }
  int selectedRowCount() const override { return 0; }
  int columnCount() const override { return Grid()->ColCount(); }
  int rowCount() const override { return std::max(0, Grid()->RowCount() - 1); }
  QList<int> selectedColumns() const override { return {}; }
  QList<int> selectedRows() const override { return {}; }
  bool isColumnSelected(int) const override { return false; }
  bool isRowSelected(int) const override { return false; }
  // Selecting a row moves the current cell there, as a click would.
  bool selectRow(int row) override {
    return row >= 0 && row + 1 < Grid()->RowCount() && Grid()->SelectCell(Grid()->Col(), row + 1);
  }
  bool selectColumn(int) override { return false; }
  bool unselectRow(int) override { return false; }
  bool unselectColumn(int) override { return false; }
  void modelChange(QAccessibleTableModelChangeEvent*) override { ForgetCells(); }

 private:
  StringGrid* Grid() const { return static_cast<StringGrid*>(widget()); }
  bool HasCurrentCell() const { return Grid()->RowCount() > 1 && Grid()->ColCount() > 0; }

  mutable std::map<std::pair<int, int>, QAccessible::Id> m_cells;  // (row, col) -> cached cell
};

QList<QAccessibleInterface*> GridCell::columnHeaderCells() const {
  const auto* table = dynamic_cast<const GridTable*>(parent());
  if (!table) return {};
  return {table->Cell(m_col, kHeaderRow)};
}

QAccessibleInterface* GridFactory(const QString& className, QObject* object) {
  if (className != QLatin1String("StringGrid") || !object || !object->isWidgetType())
    return nullptr;
  return new GridTable(static_cast<StringGrid*>(object));
}

GridTable* TableOf(StringGrid& grid) {
  return dynamic_cast<GridTable*>(QAccessible::queryAccessibleInterface(&grid));
}

}  // namespace

void InstallStringGridAccessibility() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  QAccessible::installFactory(GridFactory);
}

void NotifyAccessibleTableChanged(StringGrid& grid) {
  if (!QAccessible::isActive()) return;
  QAccessibleTableModelChangeEvent event(&grid, QAccessibleTableModelChangeEvent::ModelReset);
  QAccessible::updateAccessibility(&event);
}

void NotifyAccessibleFocus(StringGrid& grid) {
  if (!QAccessible::isActive() || !grid.hasFocus()) return;
  GridTable* table = TableOf(grid);
  QAccessibleInterface* cell = table ? table->Cell(grid.Col(), grid.Row()) : nullptr;
  if (!cell) return;
  QAccessibleEvent event(cell, QAccessible::Focus);
  QAccessible::updateAccessibility(&event);
}
