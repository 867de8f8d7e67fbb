// StringGridTest.cpp - the grid widget: cell moves through OnSelectCell, the editor's
// reports, Tab, column dragging and the end of an edit when the focus leaves.
#include "ui/StringGrid.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QTest>

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
