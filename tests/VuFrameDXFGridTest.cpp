// VuFrameDXFGridTest.cpp - the DXF grid frame offscreen: rows, scrolling at the edges,
// editing, colours and the height-following row count.
#include "ui/VuFrameDXFGrid.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

#include "model/text/Sjis.h"
#include "model/text/TextCodec.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TestFiles.h"
#include "ui/QtText.h"

namespace {

// A 451-pixel frame leaves the grid 449 pixels (one border pixel each side): 27 rows.
constexpr int kFrameHeight = 451;
constexpr int kRowsOnPage = 27;

struct Frame {
  ScriptedDialogs dialogs;
  RecordingLog log;
  Document document;
  const TDXFBuffer& buffer = document.Buffer();
  TFrameDXFGrid frame{dialogs, log};

  explicit Frame(const std::string& path = SourcePath("examples/sample.dxf")) {
    if (!path.empty()) {
      EXPECT_TRUE(document.Load(path).Ok());
    }
    frame.resize(700, kFrameHeight);
    frame.show();
    QApplication::processEvents();
    frame.SetDocument(&document);
  }
  StringGrid& Grid() { return *frame.DXFGrid; }
  std::string Text(int col, int row) { return ToCp932(Grid().Cell(col, row)); }
  void Key(Qt::Key key) { QTest::keyClick(frame.DXFGrid, key); }
  void Wheel(int delta) {
    const QPointF at = Grid().CellRect(2, 3).center();
    QWheelEvent event(at, Grid().mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(frame.DXFGrid, &event);
  }
  // Clicks cell (col, row) of the grid.
  void Click(int col, int row) {
    QTest::mouseClick(frame.DXFGrid, Qt::LeftButton, {}, Grid().CellRect(col, row).center());
  }
  std::pair<int, int> View() { return {frame.TopIndex(), Grid().Row()}; }
  QLineEdit* Editor() { return frame.DXFGrid->findChild<QLineEdit*>(); }
  QColor ColourAt(int col, int row) {
    const QImage image = frame.DXFGrid->grab().toImage();
    return image.pixelColor(Grid().CellRect(col, row).topLeft() + QPoint(1, 1));
  }
};

std::string SmallFile(const TempDir& dir) {
  return dir.Write("small.dxf", DxfText({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "0",
                                         "ENDSEC", "0", "EOF"}));
}

}  // namespace

TEST(TFrameDXFGrid, ShowsHeaderAndPairsOfTheSample) {
  Frame f;
  EXPECT_EQ(f.frame.RowsOnPage, kRowsOnPage);
  EXPECT_EQ(f.Grid().RowCount(), kRowsOnPage + 2);
  const std::vector<std::string> header = {"  行番号", "ｸﾞﾙｰﾌﾟｺｰﾄﾞ", "  データ値", "  備　考"};
  for (int col = 0; col < 4; ++col) EXPECT_EQ(Utf8(f.Text(col, 0)), header[col]);
  EXPECT_EQ(f.Text(0, 1), "       1");
  EXPECT_EQ(f.Text(1, 1), "      0");
  EXPECT_EQ(f.Text(2, 1), "SECTION");
  EXPECT_EQ(f.Text(0, 6), "      11");
  EXPECT_EQ(f.Text(1, 6), "     70");
  EXPECT_EQ(f.Text(2, 6), "     6");  // values stay untrimmed
  EXPECT_EQ(Utf8(f.Text(3, 2)), "ヘッダーセクション");
  EXPECT_EQ(Utf8(f.Text(3, 4)), "= 2000,LT2000");
  EXPECT_EQ(f.View(), std::make_pair(0, 1));
  EXPECT_EQ(f.Grid().Col(), 2);
}

TEST(TFrameDXFGrid, EmptyBufferShowsTheHeaderOnly) {
  Frame f("");
  EXPECT_EQ(f.frame.DXFScrollBar->maximum(), 0);
  for (int row = 1; row < f.Grid().RowCount(); ++row) EXPECT_EQ(f.Text(0, row), "") << row;
  EXPECT_FALSE(f.Text(0, 0).empty());
}

TEST(TFrameDXFGrid, ScrolledToTheEndTheEofPairStandsMidPage) {
  Frame f;
  EXPECT_EQ(f.frame.DXFScrollBar->maximum(), 655 - kRowsOnPage / 2);
  f.frame.SetTopIndex(100000);
  EXPECT_EQ(f.frame.TopIndex(), 642);
  EXPECT_EQ(f.Text(2, 14), "EOF");
  EXPECT_EQ(f.Text(0, 14), "    1311");
  EXPECT_EQ(f.Text(0, 15), "");  // past the buffer's pairs
}

TEST(TFrameDXFGrid, VerticalKeysAtTheEdges) {
  Frame f;
  f.Key(Qt::Key_Up);  // at the top: nothing moves
  f.Key(Qt::Key_PageUp);
  EXPECT_EQ(f.View(), std::make_pair(0, 1));
  f.frame.SetRow(kRowsOnPage);
  f.Key(Qt::Key_Down);  // from the last full row the view scrolls
  EXPECT_EQ(f.View(), std::make_pair(1, kRowsOnPage));
  f.frame.SetTopIndex(630);
  f.Key(Qt::Key_PageDown);  // less than a page before the end: onto the EOF pair
  EXPECT_EQ(f.frame.CurrentIndex(), 655);
  f.Key(Qt::Key_Down);  // Down on the EOF pair does nothing, silently
  EXPECT_EQ(f.frame.CurrentIndex(), 655);
  EXPECT_EQ(f.dialogs.beeps, 0);
}

TEST(TFrameDXFGrid, ClickBelowTheEofPairBeepsAndStays) {
  TempDir dir;
  Frame f(SmallFile(dir));  // pairs 0-4, EOF at 4
  f.Click(2, 3);
  EXPECT_EQ(f.Grid().Row(), 3);
  f.Click(2, 6);
  EXPECT_EQ(f.Grid().Row(), 3);
  EXPECT_EQ(f.dialogs.beeps, 1);
  f.frame.SetRow(5);
  f.Key(Qt::Key_Down);  // on the EOF pair
  EXPECT_EQ(f.Grid().Row(), 5);
}

TEST(TFrameDXFGrid, CodeColumnTakesDigitsOnlyAndLogsTheChange) {
  Frame f;
  f.frame.SetCol(1);
  QTest::keyClicks(f.frame.DXFGrid, "a-");
  EXPECT_FALSE(f.Grid().EditorMode());
  QTest::keyClicks(f.frame.DXFGrid, "8x");  // "8" opens the editor, "x" is dropped
  ASSERT_TRUE(f.Grid().EditorMode());
  QTest::keyClick(f.Editor(), Qt::Key_Return);
  EXPECT_FALSE(f.Grid().EditorMode());
  EXPECT_EQ(f.buffer.GetCode(0), 8);
  EXPECT_EQ(f.Text(1, 1), "      8");
  ASSERT_EQ(f.log.lines.size(), 1u);
  EXPECT_EQ(Utf8(f.log.lines[0]), "グループコード変更       1 :       0　→　8");
}

TEST(TFrameDXFGrid, ValueEditIsWrittenAndItsRecordsRemarksWorkedOutAgain) {
  Frame f;
  f.frame.SetRow(4);  // pair 3: the value of $ACADVER, whose record starts at pair 2
  QTest::keyClicks(f.frame.DXFGrid, "AC1018");
  QTest::keyClick(f.Editor(), Qt::Key_Return);
  EXPECT_EQ(f.buffer.GetValue(3), "AC1018");
  ASSERT_EQ(f.log.lines.size(), 1u);
  EXPECT_EQ(Utf8(f.log.lines[0]), "グループデータ変更       7 : AC1015　→　AC1018");
  EXPECT_EQ(Utf8(f.Text(3, 4)), "= 2004,LT2004");
  EXPECT_EQ(Utf8(f.Text(3, 3)), "DXFのバージョン番号");
  EXPECT_EQ(f.buffer.GetMark(0), dsSection);  // marks are not rebuilt
}

TEST(TFrameDXFGrid, ShowsAndStoresValuesInTheDocumentsEncoding) {
  TempDir dir;
  Frame f(dir.Write("utf8.dxf",
                    DxfText({"0", "SECTION", "2", "HEADER",    "9", "$ACADVER", "1", "AC1032",
                             "0", "ENDSEC",  "0", "SECTION",   "2", "ENTITIES", "0", "TEXT",
                             "1", "壁",      "1", "\\U+03A9x", "0", "ENDSEC",   "0", "EOF"})));
  EXPECT_EQ(f.Grid().Cell(2, 9).toStdString(), "壁");  // pair 8
  EXPECT_EQ(f.Grid().Cell(2, 10).toStdString(), "Ωx");
  f.frame.SetRow(9);
  QTest::keyClicks(f.frame.DXFGrid, "x");  // opens the editor; QTest types ASCII only
  f.Editor()->selectAll();
  QInputMethodEvent typed;  // what an input method hands over
  typed.setCommitString(QString::fromUtf8("外壁é"));
  QApplication::sendEvent(f.Editor(), &typed);
  QTest::keyClick(f.Editor(), Qt::Key_Return);
  EXPECT_EQ(f.buffer.GetValue(8), "外壁é");  // UTF-8, as the drawing is
  ASSERT_EQ(f.log.lines.size(), 1u);
  EXPECT_EQ(Utf8OfProgramText(f.log.lines[0]), "グループデータ変更      17 : 壁　→　外壁é");
  EXPECT_EQ(f.Grid().Cell(2, 9).toStdString(), "外壁é");
}

TEST(TFrameDXFGrid, EscRestoresTheCellAndWritesNothing) {
  Frame f;
  f.frame.SetRow(2);
  QTest::keyClicks(f.frame.DXFGrid, "XYZ");
  ASSERT_TRUE(f.Grid().EditorMode());
  EXPECT_EQ(f.Text(2, 2), "XYZ");
  QTest::keyClick(f.Editor(), Qt::Key_Escape);
  EXPECT_FALSE(f.Grid().EditorMode());
  EXPECT_EQ(f.Text(2, 2), "HEADER");
  EXPECT_EQ(f.buffer.GetValue(1), "HEADER");
  EXPECT_TRUE(f.log.lines.empty());
}

TEST(TFrameDXFGrid, RefusedCodeIsReportedAfterTheEditAndRestored) {
  Frame f;
  f.frame.SetCol(1);
  QTest::keyClicks(f.frame.DXFGrid, "99999999999");
  QTest::keyClick(f.Editor(), Qt::Key_Return);
  EXPECT_TRUE(f.dialogs.messages.empty());  // shown once the edit has ended
  QApplication::processEvents();
  ASSERT_EQ(f.dialogs.messages.size(), 1u);
  EXPECT_EQ(Utf8(f.dialogs.messages[0]), "グループコードは数値でなければなりません");
  EXPECT_EQ(f.Text(1, 1), "      0");
  EXPECT_EQ(f.buffer.GetCode(0), 0);
}

TEST(TFrameDXFGrid, DeclinedNonNumberRestoresTheCell) {
  Frame f;
  f.frame.SetRow(6);  // pair 5: the 70 of $ACADMAINTVER, "     6"
  QTest::keyClicks(f.frame.DXFGrid, "XYZ");
  QTest::keyClick(f.Editor(), Qt::Key_Return);
  EXPECT_EQ(f.dialogs.questions,
            std::vector<std::string>{Sjis("数値ではありません。このまま変更しますか？")});
  EXPECT_EQ(f.Text(2, 6), "     6");
  EXPECT_EQ(f.buffer.GetValue(5), "     6");
  QApplication::processEvents();
  EXPECT_TRUE(f.dialogs.messages.empty());
  EXPECT_TRUE(f.log.lines.empty());
}

TEST(TFrameDXFGrid, ScrollingWhileEditingIsRefused) {
  Frame f;
  QTest::keyClicks(f.frame.DXFGrid, "X");
  ASSERT_TRUE(f.Grid().EditorMode());
  QTest::keyClick(f.Editor(), Qt::Key_PageDown);
  f.Wheel(-120);
  f.frame.DXFScrollBar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(f.frame.TopIndex(), 0);
  EXPECT_EQ(f.dialogs.beeps, 3);
  EXPECT_TRUE(f.Grid().EditorMode());
}

TEST(TFrameDXFGrid, RemarkCellsAreNeverEditable) {
  Frame f;
  f.frame.SetCol(3);
  QTest::keyClicks(f.frame.DXFGrid, "X");
  EXPECT_FALSE(f.Grid().EditorMode());
  f.Key(Qt::Key_PageDown);
  QTest::keyClicks(f.frame.DXFGrid, "X");
  EXPECT_FALSE(f.Grid().EditorMode());
}

TEST(TFrameDXFGrid, RemarkDiagnosticsAreShownAfterTheFill) {
  TempDir dir;
  // Two records whose true colour cannot be read: each walk reports it.
  Frame f(dir.Write(
      "colour.dxf",
      DxfText({"0", "SECTION", "2", "ENTITIES", "0",   "LINE", "8", "0",      "420", "12x",
               "0", "CIRCLE",  "8", "0",        "420", "12x",  "0", "ENDSEC", "0",   "EOF"})));
  EXPECT_TRUE(f.dialogs.messages.empty());  // not from inside the fill
  QApplication::processEvents();
  ASSERT_EQ(f.dialogs.messages.size(), 2u);
  EXPECT_EQ(f.dialogs.messages[0],
            "SetChildTable Error idx=  4 Fdata[idx]=12x scnt= 49 notelist[scnt,0]=+24BitColor");
  f.frame.FillRows(0);  // remarks are kept: nothing is reported again
  QApplication::processEvents();
  EXPECT_EQ(f.dialogs.messages.size(), 2u);
}

TEST(TFrameDXFGrid, RowsAreColouredByMark) {
  Frame f;
  f.frame.SetCol(3);        // the focused cell is drawn as selected in columns 1 and 2 only
  f.frame.SetTopIndex(50);  // 50 ENDSEC, 51 SECTION, 52 CLASSES
  EXPECT_EQ(f.ColourAt(1, 1), QColor(255, 255, 224));  // another code-0 pair
  EXPECT_EQ(f.ColourAt(3, 1), QColor(255, 255, 224));
  EXPECT_EQ(f.ColourAt(2, 2), QColor(224, 224, 255));  // 0/SECTION
  EXPECT_EQ(f.ColourAt(2, 3), QColor(255, 255, 255));  // plain pair
  EXPECT_EQ(f.ColourAt(0, 1), f.ColourAt(0, 3));       // the line numbers stay plain
  f.frame.SetTopIndex(68);                             // 68 SECTION, 69 TABLES, 70 TABLE
  EXPECT_EQ(f.ColourAt(1, 3), QColor(224, 255, 224));
  f.frame.SetCol(2);
  EXPECT_EQ(f.ColourAt(2, 1), QColor(0, 0, 128));
}

TEST(TFrameDXFGrid, RowsFollowTheWindowHeight) {
  Frame f;
  f.frame.resize(700, 851);  // 849-pixel grid: 52 rows
  QApplication::processEvents();
  EXPECT_EQ(f.frame.RowsOnPage, 52);
  EXPECT_EQ(f.Grid().RowCount(), 54);
  EXPECT_EQ(f.Text(0, 53), "     105");  // the partly visible row is filled too
  f.frame.SetRow(52);
  f.Key(Qt::Key_Down);
  EXPECT_EQ(f.View(), std::make_pair(1, 52));
}

TEST(TFrameDXFGrid, MarksDanglingPointersOnceTheIndexIsReady) {
  TempDir dir;
  // Pairs 4 and 5: a pointer to the LINE's own handle, and one to a handle nobody owns.
  Frame f(dir.Write("d.dxf", DxfText({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "5", "1A",
                                      "330", "01a", "330", "2B", "0", "ENDSEC", "0", "EOF"})));
  f.frame.SetCol(3);
  const QColor plain(255, 255, 255);
  EXPECT_EQ(f.ColourAt(2, 6), plain) << "no mark before the index is ready";
  (void)f.document.ReadyHandles();  // the document's index, which the frame reads
  EXPECT_EQ(f.ColourAt(2, 5), plain);
  EXPECT_EQ(f.ColourAt(2, 6), QColor(255, 224, 224));
  EXPECT_EQ(f.ColourAt(1, 6), plain) << "only the value is marked";
  EXPECT_EQ(f.Grid().OnToolTip(2, 6).toStdString(), "参照先のハンドルがありません");
  EXPECT_TRUE(f.Grid().OnToolTip(2, 5).isEmpty());
  EXPECT_TRUE(f.Grid().OnToolTip(1, 6).isEmpty());
  f.frame.SetCol(2);
  f.frame.SetRow(6);
  EXPECT_EQ(f.ColourAt(2, 6), QColor(0, 0, 128)) << "the cursor is drawn as it always is";
}

TEST(TFrameDXFGrid, CtrlEnterAndARightClickAskAboutThePairUnderTheCursor) {
  Frame f;
  QSignalSpy follow(&f.frame, &TFrameDXFGrid::FollowPointerRequested);
  QTest::mouseClick(f.frame.DXFGrid, Qt::RightButton, {}, f.Grid().CellRect(2, 4).center());
  EXPECT_EQ(f.View(), std::make_pair(0, 4));
  QTest::keyClick(f.frame.DXFGrid, Qt::Key_Return, Qt::ControlModifier);
  EXPECT_EQ(follow.count(), 1);
  f.Key(Qt::Key_F2);  // while an edit is open, Ctrl+Enter ends it instead
  ASSERT_TRUE(f.Grid().EditorMode());
  QTest::keyClick(f.Editor(), Qt::Key_Return, Qt::ControlModifier);
  EXPECT_FALSE(f.Grid().EditorMode());
  EXPECT_EQ(follow.count(), 1);
}

TEST(TFrameDXFGrid, CtrlHomeAndCtrlEndGoToTheEndsOfTheFile) {
  Frame f;
  QTest::keyClick(f.frame.DXFGrid, Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(f.frame.CurrentIndex(), f.buffer.EofIndex);
  EXPECT_EQ(f.Grid().Col(), 2);  // the column stays
  QTest::keyClick(f.frame.DXFGrid, Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(f.View(), std::make_pair(0, 1));
  QTest::keyClick(f.frame.DXFGrid, Qt::Key_Home);  // without Ctrl: the first data column
  EXPECT_EQ(f.Grid().Col(), 1);
}

TEST(TFrameDXFGrid, CopiesTheCellOrTheSelectedRowsAsTabSeparatedLines) {
  Frame f;
  QClipboard& clipboard = *QGuiApplication::clipboard();
  QTest::keyClick(f.frame.DXFGrid, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(clipboard.text().toStdString(), "SECTION");
  f.frame.SetCol(1);
  QTest::keyClick(f.frame.DXFGrid, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(clipboard.text().toStdString(), "0");
  QTest::keyClick(f.frame.DXFGrid, Qt::Key_Down, Qt::ShiftModifier);
  QTest::keyClick(f.frame.DXFGrid, Qt::Key_Down, Qt::ShiftModifier);
  EXPECT_EQ(f.frame.Selection().Range(f.frame.CurrentIndex()), std::make_pair(0, 2));
  QTest::keyClick(f.frame.DXFGrid, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(Utf8(ToCp932(clipboard.text())),
            "1\t0\tSECTION\t******************\n3\t2\tHEADER\tヘッダーセクション\n"
            "5\t9\t$ACADVER\tDXFのバージョン番号\n");
  QTest::keyClick(f.frame.DXFGrid, Qt::Key_Down);  // a plain move ends the selection
  EXPECT_FALSE(f.frame.Selection().IsMultiRow(f.frame.CurrentIndex()));
  // Shift+click and Ctrl+Shift+End select too; a jump ends the selection.
  QTest::mouseClick(f.frame.DXFGrid, Qt::LeftButton, Qt::ShiftModifier,
                    f.Grid().CellRect(2, 6).center());
  EXPECT_EQ(f.frame.Selection().Range(f.frame.CurrentIndex()), std::make_pair(3, 5));
  QTest::keyClick(f.frame.DXFGrid, Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(f.frame.Selection().Range(f.frame.CurrentIndex()),
            std::make_pair(3, f.buffer.EofIndex));
  f.frame.ShowPair(100);
  EXPECT_FALSE(f.frame.Selection().IsMultiRow(f.frame.CurrentIndex()));
}

TEST(TFrameDXFGrid, RightClickMovesTheCursorUnlessOnTheSelection) {
  Frame f;
  int menus = 0;
  QObject::connect(&f.frame, &TFrameDXFGrid::ContextMenuRequested, [&] { ++menus; });
  const auto rightClick = [&](int row) {
    const QPoint at = f.Grid().CellRect(2, row).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, f.Grid().mapToGlobal(at));
    QApplication::sendEvent(f.frame.DXFGrid, &event);
  };
  rightClick(5);
  EXPECT_EQ(f.frame.CurrentIndex(), 4);
  QTest::keyClick(f.frame.DXFGrid, Qt::Key_Down, Qt::ShiftModifier);
  rightClick(5);  // inside the selection: it stays
  EXPECT_EQ(f.frame.Selection().Range(f.frame.CurrentIndex()), std::make_pair(4, 5));
  EXPECT_EQ(menus, 2);
}
