// StringGridTest.cpp - the grid widget: cell moves through OnSelectCell, the editor's
// reports, Tab, column dragging and the end of an edit when the focus leaves.
#include "ui/StringGrid.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QTest>
#include <QWheelEvent>

namespace {

// A 4 x 5 grid on show, recording what its hooks were asked.
struct Grid {
  QWidget window;
  StringGrid grid{&window};
  QLineEdit other{&window};
  std::vector<std::string> calls;

  Grid() {
    grid.SetColCount(4);
    grid.SetRowCount(5);
    grid.SetEditing(true);
    grid.setGeometry(0, 0, 300, 100);
    other.setGeometry(0, 120, 100, 20);
    grid.OnSelectCell = [this](int col, int row) {
      calls.push_back("select " + std::to_string(col) + "," + std::to_string(row));
      return row != 4;  // row 4 is refused
    };
    grid.OnGetEditText = [this](int col, int row) {
      calls.push_back("get " + std::to_string(col) + "," + std::to_string(row));
      return grid.Cell(col, row);
    };
    grid.OnSetEditText = [this](int, int, const QString& text) {
      calls.push_back("set " + text.toStdString());
    };
    window.show();
    QApplication::processEvents();
  }
  QLineEdit* Editor() { return grid.findChild<QLineEdit*>(); }
};

}  // namespace

TEST(StringGrid, MovesOnlyWhereSelectCellAllows) {
  Grid g;
  QTest::keyClick(&g.grid, Qt::Key_Down);
  EXPECT_EQ(g.grid.Row(), 2);
  g.grid.FocusCell(1, 3);
  QTest::keyClick(&g.grid, Qt::Key_Down);  // row 4 is refused
  EXPECT_EQ(g.grid.Row(), 3);
  QTest::mouseClick(&g.grid, Qt::LeftButton, {}, g.grid.CellRect(2, 1).center());
  EXPECT_EQ(std::make_pair(g.grid.Col(), g.grid.Row()), std::make_pair(2, 1));
  QTest::mouseClick(&g.grid, Qt::LeftButton, {}, g.grid.CellRect(0, 0).center());  // fixed
  EXPECT_EQ(std::make_pair(g.grid.Col(), g.grid.Row()), std::make_pair(2, 1));
  EXPECT_EQ(g.calls, (std::vector<std::string>{"select 1,2", "select 1,4", "select 2,1"}));
}

TEST(StringGrid, TabWalksTheDataCellsAndWraps) {
  Grid g;
  g.grid.FocusCell(3, 1);
  QTest::keyClick(&g.grid, Qt::Key_Tab);
  EXPECT_EQ(std::make_pair(g.grid.Col(), g.grid.Row()), std::make_pair(1, 2));
  QTest::keyClick(&g.grid, Qt::Key_Backtab);
  EXPECT_EQ(std::make_pair(g.grid.Col(), g.grid.Row()), std::make_pair(3, 1));
}

TEST(StringGrid, EditorReportsEveryChangeAndOnceMoreAtTheEnd) {
  Grid g;
  g.grid.SetCell(1, 1, QStringLiteral("old"));
  QTest::keyClick(&g.grid, Qt::Key_F2);
  ASSERT_TRUE(g.grid.EditorMode());
  EXPECT_EQ(g.Editor()->text(), QStringLiteral("old"));
  QTest::keyClicks(g.Editor(), "ab");  // replaces the selected text
  QTest::keyClick(g.Editor(), Qt::Key_Return);
  EXPECT_FALSE(g.grid.EditorMode());
  EXPECT_EQ(g.grid.Cell(1, 1), QStringLiteral("ab"));
  EXPECT_EQ(g.calls, (std::vector<std::string>{"get 1,1", "set a", "set ab", "set ab"}));
}

TEST(StringGrid, FocusLeavingTheEditorEndsTheEdit) {
  Grid g;
  g.window.activateWindow();
  QTest::keyClick(&g.grid, Qt::Key_X);
  ASSERT_TRUE(g.grid.EditorMode());
  g.other.setFocus(Qt::MouseFocusReason);
  QApplication::processEvents();
  EXPECT_FALSE(g.grid.EditorMode());
  EXPECT_EQ(g.calls.back(), "set x");
  EXPECT_TRUE(g.other.hasFocus() || QApplication::focusWidget() == nullptr);
}

TEST(StringGrid, HeaderEdgesResizeColumns) {
  Grid g;
  const int edge = g.grid.CellRect(1, 0).right() + 1;
  const int y = g.grid.CellRect(1, 0).center().y();
  QTest::mousePress(&g.grid, Qt::LeftButton, {}, QPoint(edge, y));
  QTest::mouseMove(&g.grid, QPoint(edge + 30, y));
  QTest::mouseRelease(&g.grid, Qt::LeftButton, {}, QPoint(edge + 30, y));
  EXPECT_EQ(g.grid.ColWidth(1), 64 + 30);
}

// A list-like grid: 40 data rows under the header, 5 of which fit (6 rows of 16 pixels).
struct ScrollingGrid {
  StringGrid grid;
  ScrollingGrid() {
    grid.SetColCount(3);
    grid.SetRowCount(41);
    grid.SetVerticalScrolling(true);
    grid.resize(200, 6 * 16);
    for (int r = 0; r < grid.RowCount(); ++r) grid.SetCell(1, r, QString::number(r));
    grid.show();
    QApplication::processEvents();
  }
  void Wheel(int notches) {
    QWheelEvent event(QPointF(10, 40), grid.mapToGlobal(QPointF(10, 40)), {}, {0, 120 * notches},
                      Qt::NoButton, {}, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&grid, &event);
  }
};

TEST(StringGrid, ScrollingKeepsTheHeaderAndTheCurrentRowInView) {
  ScrollingGrid s;
  StringGrid& grid = s.grid;
  const struct {
    int key;  // 0: three wheel notches down
    int row, top;
  } steps[] = {
      {Qt::Key_Down, 2, 1}, {Qt::Key_PageDown, 7, 3}, {Qt::Key_PageDown, 12, 8},
      {0, 12, 17},          {Qt::Key_PageUp, 7, 7},   {Qt::Key_PageUp, 2, 2},
      {Qt::Key_Up, 1, 1},   {Qt::Key_PageDown, 6, 2},
  };
  for (const auto& step : steps) {
    if (step.key == 0) {
      s.Wheel(-3);
    } else {
      QTest::keyClick(&grid, static_cast<Qt::Key>(step.key));
    }
    EXPECT_EQ(std::make_pair(grid.Row(), grid.TopRow()), std::make_pair(step.row, step.top))
        << step.key;
  }
  int col = 0, row = 0;
  ASSERT_TRUE(grid.CellAt(QPoint(70, 20), col, row));  // the first row under the header
  EXPECT_EQ(std::make_pair(col, row), std::make_pair(1, grid.TopRow()));
  EXPECT_EQ(grid.CellRect(1, 0).top(), 0);
  grid.SetTopRow(1000);
  EXPECT_EQ(grid.TopRow(), 36);  // the last five rows fill the page
  grid.SetRowCount(3);
  EXPECT_EQ(grid.TopRow(), 1);
  EXPECT_LT(grid.ClientWidth(), grid.width());
}

TEST(StringGrid, WithoutScrollingPagingIsLeftToTheOwner) {
  Grid g;
  QTest::keyClick(&g.grid, Qt::Key_PageDown);
  EXPECT_EQ(std::make_pair(g.grid.Row(), g.grid.TopRow()), std::make_pair(1, 1));
  EXPECT_EQ(g.grid.ClientWidth(), g.grid.width());
}

TEST(StringGrid, DoubleClickOpensAnEditableCellOrIsTheOwners) {
  for (const bool editing : {true, false}) {
    Grid g;
    g.grid.SetEditing(editing);
    std::vector<std::pair<int, int>> clicked;
    QObject::connect(&g.grid, &StringGrid::DoubleClicked, [&](int col, int row) {
      clicked.push_back({col, row});
    });
    QTest::mouseClick(&g.grid, Qt::LeftButton, {}, g.grid.CellRect(2, 3).center());
    QTest::mouseDClick(&g.grid, Qt::LeftButton, {}, g.grid.CellRect(2, 3).center());
    EXPECT_EQ(g.grid.EditorMode(), editing);
    const std::vector<std::pair<int, int>> expected =
        editing ? std::vector<std::pair<int, int>>{} : std::vector<std::pair<int, int>>{{2, 3}};
    EXPECT_EQ(clicked, expected);
  }
}

TEST(StringGrid, OffersItsCellsToAssistiveToolsAsATable) {
  ScrollingGrid s;
  StringGrid& grid = s.grid;
  grid.setObjectName(QStringLiteral("SGTest"));
  grid.SetCell(2, 0, QStringLiteral("head"));
  grid.SetCell(2, 4, QStringLiteral("cell"));
  grid.FocusCell(2, 4);
  QAccessibleInterface* table = QAccessible::queryAccessibleInterface(&grid);
  ASSERT_NE(table, nullptr);
  ASSERT_NE(table->tableInterface(), nullptr);
  QAccessibleTableInterface& t = *table->tableInterface();
  EXPECT_EQ(table->role(), QAccessible::Table);
  EXPECT_EQ(table->text(QAccessible::Name), QStringLiteral("SGTest"));
  EXPECT_EQ(std::make_pair(t.rowCount(), t.columnCount()), std::make_pair(40, 3));
  EXPECT_EQ(t.columnDescription(2), QStringLiteral("head"));
  QAccessibleInterface* cell = t.cellAt(3, 2);
  ASSERT_NE(cell, nullptr);
  EXPECT_EQ(cell->text(QAccessible::Name), QStringLiteral("cell"));
  EXPECT_EQ(table->indexOfChild(cell), 4 * 3 + 2);
  EXPECT_EQ(table->child(4 * 3 + 1)->text(QAccessible::Name), QStringLiteral("4"));
  QAccessibleTableCellInterface* cellTable = cell->tableCellInterface();
  ASSERT_NE(cellTable, nullptr);
  EXPECT_EQ(std::make_pair(cellTable->rowIndex(), cellTable->columnIndex()), std::make_pair(3, 2));
  EXPECT_EQ(cellTable->columnHeaderCells().value(0)->text(QAccessible::Name),
            QStringLiteral("head"));
  EXPECT_TRUE(cellTable->isSelected());
  EXPECT_EQ(t.selectedCells(), QList<QAccessibleInterface*>{cell});
  EXPECT_TRUE(t.selectRow(9));
  EXPECT_EQ(grid.Row(), 10);
  EXPECT_EQ(t.cellAt(40, 0), nullptr);
}

TEST(StringGrid, TooltipShowsOnlyTextsTheirColumnCutsOff) {
  Grid g;
  g.grid.SetColWidth(1, 40);
  g.grid.SetCell(1, 1, QStringLiteral("a long text that does not fit"));
  g.grid.SetCell(1, 2, QStringLiteral("ab"));
  g.grid.SetCell(0, 1, QStringLiteral("fixed column text, cut as well"));
  const auto at = [&](int col, int row) { return g.grid.CellRect(col, row).center(); };
  EXPECT_EQ(g.grid.CutTextAt(at(1, 1)).toStdString(), "a long text that does not fit");
  EXPECT_TRUE(g.grid.CutTextAt(at(1, 2)).isEmpty());
  EXPECT_TRUE(g.grid.CutTextAt(at(0, 1)).isEmpty());  // line numbers and headers never
  EXPECT_TRUE(g.grid.CutTextAt(QPoint(299, 99)).isEmpty());
}

TEST(StringGrid, TabCanMoveTheFocusAndStillMovesCellsInTheEditor) {
  Grid g;
  g.grid.SetTabMovesFocus(true);
  g.grid.setFocus();
  g.grid.SelectCell(1, 1);
  QTest::keyClick(&g.grid, Qt::Key_Tab);
  EXPECT_TRUE(g.other.hasFocus());
  EXPECT_EQ(g.grid.Col(), 1);
  g.grid.setFocus();
  g.grid.ShowEditor();
  QTest::keyClick(g.Editor(), Qt::Key_Tab);
  EXPECT_EQ(g.grid.Col(), 2);
  EXPECT_TRUE(g.grid.hasFocus());
}

TEST(StringGrid, ContextMenuNamesTheCellUnderThePointer) {
  Grid g;
  std::vector<std::pair<int, int>> asked;
  g.grid.OnContextMenu = [&](int col, int row, QPoint) { asked.emplace_back(col, row); };
  const QPoint cell = g.grid.CellRect(2, 3).center();
  QContextMenuEvent mouse(QContextMenuEvent::Mouse, cell, g.grid.mapToGlobal(cell));
  QApplication::sendEvent(&g.grid, &mouse);
  QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(0, 0),
                        g.grid.mapToGlobal(QPoint(0, 0)));
  QApplication::sendEvent(&g.grid, &key);
  EXPECT_EQ(asked, (std::vector<std::pair<int, int>>{{2, 3}, {g.grid.Col(), g.grid.Row()}}));
}
