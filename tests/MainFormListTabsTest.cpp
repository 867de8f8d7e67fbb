// MainFormListTabsTest.cpp - the main window's five list tabs offscreen: what they show
// against the row builders, their filled flags, the jumps, the editor edition's
// in-place renames and what a change of the buffer makes the other tabs do.
#include <algorithm>  // std::find

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "logic/lists/ListRows.h"
#include "model/buffer/RecordWalk.h"
#include "model/text/Sjis.h"
#include "tests/support/MainWindowFixture.h"
#include "ui/QtText.h"

namespace {

// A main window of an edition on show with a file loaded.
struct Window : MainWindowFixture {
  explicit Window(const std::string& file, const std::string& edition = "Viewer") {
    Start({file}, edition, "", nullptr, QSize(900, 700));
  }
  void Show(QWidget* tab) { form->PCSGData->setCurrentWidget(tab); }
  // Opens the editor on a name cell, types the text and ends the edit with Enter.
  void Rename(StringGrid& grid, int row, const char* text) {
    grid.setFocus();
    ASSERT_TRUE(grid.SelectCell(2, row));
    QTest::keyClick(&grid, Qt::Key_F2);
    QLineEdit* editor = grid.findChild<QLineEdit*>();
    ASSERT_TRUE(editor->isVisible());
    editor->selectAll();
    // Japanese text arrives as one key event that carries it, as an input method sends it.
    QKeyEvent typed(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString::fromUtf8(text));
    QApplication::sendEvent(editor, &typed);
    QTest::keyClick(editor, Qt::Key_Return);
  }
};

// Tabs of different kinds, one after the other.
using Widgets = std::initializer_list<QWidget*>;

// A list tab's grid or label, by the object name the tab gives it.
StringGrid* Grid(const TFMMain& f, const char* name) {
  return f.findChild<StringGrid*>(QLatin1String(name));
}

QLabel* Label(const TFMMain& f, const char* name) {
  return f.findChild<QLabel*>(QLatin1String(name));
}

// The data rows of a grid as CP932 cell texts.
std::vector<ListRow> GridRows(const StringGrid& grid) {
  std::vector<ListRow> rows;
  for (int r = 1; r < grid.RowCount(); ++r) {
    ListRow row;
    for (int c = 0; c < grid.ColCount(); ++c) row.push_back(ToCp932(grid.Cell(c, r)));
    rows.push_back(row);
  }
  return rows;
}

// What a grid shows for builder rows: those rows, or one empty row when there are none.
std::vector<ListRow> Shown(std::vector<ListRow> rows, std::size_t columns) {
  if (rows.empty()) rows.push_back(ListRow(columns));
  return rows;
}

std::vector<std::string> LabelTexts(std::initializer_list<const QLabel*> labels) {
  std::vector<std::string> texts;
  for (const QLabel* label : labels) texts.push_back(ToCp932(label->text()));
  return texts;
}

std::vector<std::string> LabelTexts(const ListContent& list) {
  std::vector<std::string> texts;
  for (const ListLabel& label : list.labels) texts.push_back(label.text);
  return texts;
}

// Counts the pairs of a code whose trimmed value is `value` (CP932).
int CountPairs(const TDXFBuffer& b, int code, const std::string& value) {
  int count = 0;
  for (int i = 0; i < b.PairCount; ++i)
    count += b.GetCode(i) == code && TrimView(b.ValueView(i)) == value;
  return count;
}

}  // namespace

TEST(ListTabs, ShowWhatTheRowBuildersBuild) {
  std::vector<std::string> files = {kSample};
  if (CorpusDir().empty()) {
    std::cout << "corpus not found: only the sample is checked\n";
  } else {
    files.push_back(CorpusDir() + "/gen-r2004-ansi932-truecolor.dxf");
  }
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    Window w(file);
    TFMMain& f = *w.form;
    TDXFBuffer b;
    ASSERT_EQ(b.LoadFromFile(file), 0);
    TDXFLayerTable layers;
    TDXFGroupTable groups;
    const ListContent layerList = BuildLayerList(b, layers).value();
    const ListContent ltypeList = BuildLtypeList(b);
    const ColorList colorList = BuildColorList(b).value();
    const ListContent blockList = BuildBlockList(b);
    const ListContent groupList = BuildGroupList(b, groups).value();
    const struct {
      QWidget* tab;
      StringGrid* grid;
      const ListContent& list;
    } tabs[] = {
        {f.TSLayerList, Grid(f, "SGLayerList"), layerList},
        {f.TSLineList, Grid(f, "SGLtypeList"), ltypeList},
        {f.TSColorList, Grid(f, "SGColorList"), colorList},
        {f.TSBlockList, Grid(f, "SGBlockList"), blockList},
        {f.TSGroupList, Grid(f, "SGGroupList"), groupList},
    };
    for (const auto& tab : tabs) w.Show(tab.tab);
    for (const auto& tab : tabs)
      EXPECT_EQ(GridRows(*tab.grid), Shown(tab.list.rows, tab.grid->ColCount()))
          << tab.grid->objectName().toStdString();
    EXPECT_EQ(LabelTexts({Label(f, "LBClayer")}), LabelTexts(layerList));
    EXPECT_EQ(LabelTexts({Label(f, "LBLtscale"), Label(f, "LBCeltscale"), Label(f, "LBCeltype")}),
              LabelTexts(ltypeList));
    EXPECT_EQ(LabelTexts({Label(f, "LBCecolor")}), LabelTexts(colorList));
    EXPECT_EQ(LabelTexts({Label(f, "LBGroup")}), LabelTexts(groupList));
    for (std::size_t k = 0; k < groups.Groups.size(); ++k) {
      Grid(f, "SGGroupList")->SelectCell(1, static_cast<int>(k) + 1);
      EXPECT_EQ(
          GridRows(*Grid(f, "SGGroupMember")),
          Shown(BuildGroupMemberRows(b, groups.Groups[k]), Grid(f, "SGGroupMember")->ColCount()));
    }
    EXPECT_TRUE(w.dialogs.messages.empty());
  }
}

TEST(ListTabs, FillOnceAfterEachLoadAndNeverShowAnEarlierFilesRows) {
  Window w(kSample);
  TFMMain& f = *w.form;
  w.Show(f.TSLayerList);
  ASSERT_TRUE(f.TSLayerList->IsFilled());
  Grid(f, "SGLayerList")->SetCell(2, 1, QStringLiteral("marker"));
  w.Show(f.TSDXFData);
  w.Show(f.TSLayerList);
  EXPECT_EQ(Grid(f, "SGLayerList")->Cell(2, 1).toStdString(), "marker");  // not built again
  w.Show(f.TSGroupList);
  ASSERT_TRUE(f.LoadDxfFile(w.dir.Write("plain.dxf", kOneLine)));
  EXPECT_FALSE(f.TSLayerList->IsFilled());
  for (QWidget* tab : Widgets{f.TSLayerList, f.TSLineList, f.TSBlockList, f.TSGroupList})
    w.Show(tab);
  for (StringGrid* grid : {Grid(f, "SGLayerList"), Grid(f, "SGLtypeList"), Grid(f, "SGBlockList"),
                           Grid(f, "SGGroupList")})
    EXPECT_EQ(GridRows(*grid), Shown({}, grid->ColCount())) << grid->objectName().toStdString();
  EXPECT_EQ(LabelTexts({Label(f, "LBClayer"), Label(f, "LBCeltype"), Label(f, "LBGroup")}),
            (std::vector<std::string>{"CLAYER : NON", "CELTYPE   : NON", "DICTIONARY : NON"}));
  EXPECT_FALSE(f.TSLayerList->IsFilled());  // nothing to list: the next showing tries again
  f.JumpToPair(3);
  w.Show(f.TSGroupList);
  QTest::mouseDClick(Label(f, "LBGroup"),
                     Qt::LeftButton);  // no dictionary: the first pair, not 1225's
  EXPECT_EQ(f.FRDXFGrid->CurrentIndex(), 0);
}

// A $CECOLOR that is no number fails the colour list as a bad colour code does.
TEST(ListTabs, AListThatDoesNotConvertIsReportedAndNotShown) {
  const struct {
    std::vector<std::string> lines;
    const char* tab;
    const char* grid;
    const char* value;
  } cases[] = {
      {{"0", "SECTION", "2", "ENTITIES", "0", "LINE", "62", "red", "0", "ENDSEC", "0", "EOF"},
       "TSColorList",
       "SGColorList",
       "red"},
      {{"0", "SECTION", "2", "HEADER", "9", "$CECOLOR", "62", "1.5", "0", "ENDSEC", "0", "EOF"},
       "TSColorList",
       "SGColorList",
       "1.5"},
      {{"0", "SECTION", "2",  "TABLES", "0", "TABLE",  "2", "LAYER",  "70", "1",
        "0", "LAYER",   "62", "red",    "0", "ENDTAB", "0", "ENDSEC", "0",  "EOF"},
       "TSLayerList",
       "SGLayerList",
       "red"},
      {{"0",       "SECTION", "2",       "ENTITIES",   "0",          "ENDSEC", "0",
        "SECTION", "2",       "OBJECTS", "0",          "DICTIONARY", "3",      "ACAD_GROUP",
        "350",     "D",       "0",       "DICTIONARY", "5",          "D",      "3",
        "G",       "350",     "E",       "0",          "GROUP",      "5",      "E",
        "340",     "2G",      "0",       "ENDSEC",     "0",          "EOF"},
       "TSGroupList",
       "SGGroupList",
       "2G"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    Window w(kSample);
    TFMMain& f = *w.form;
    QWidget* tab = f.findChild<QWidget*>(QLatin1String(c.tab));
    w.Show(tab);
    ASSERT_TRUE(f.LoadDxfFile(w.dir.Write("bad.dxf", DxfText(c.lines))));
    w.Show(tab);
    EXPECT_EQ(GridRows(*Grid(f, c.grid)), Shown({}, Grid(f, c.grid)->ColCount()));
    ASSERT_EQ(w.dialogs.messages.size(), 1u);
    EXPECT_EQ(Utf8(w.dialogs.messages[0]),
              std::string("'") + c.value +
                  "' は整数値ではありません\r\nこの一覧は不完全なので表示しません。");
    w.Show(f.TSDXFData);
    w.Show(tab);
    EXPECT_EQ(w.dialogs.messages.size(), 1u);  // told once per load
  }
}

TEST(ListTabs, DoubleClicksJumpToTheLineTheyName) {
  Window w(kSample);
  TFMMain& f = *w.form;
  for (QWidget* tab : Widgets{f.TSLayerList, f.TSBlockList, f.TSGroupList}) w.Show(tab);
  const struct {
    QWidget* tab;
    QWidget* target;  // a label, or a grid whose row 2 is double-clicked
    int pair;
  } jumps[] = {
      {f.TSLayerList, Grid(f, "SGLayerList"), PairOfLine(337)},
      {f.TSLayerList, Label(f, "LBClayer"), f.Doc().Buffer().CLayerIndex - 1},
      {f.TSBlockList, Grid(f, "SGBlockList"), PairOfLine(681)},
      {f.TSGroupList, Grid(f, "SGGroupMember"), PairOfLine(901)},
      {f.TSGroupList, Label(f, "LBGroupMember"), PairOfLine(1225)},
  };
  for (const auto& jump : jumps) {
    SCOPED_TRACE(jump.target->objectName().toStdString());
    w.Show(jump.tab);
    QPoint at = jump.target->rect().center();
    if (auto* grid = qobject_cast<StringGrid*>(jump.target)) {
      at = grid->CellRect(2, 2).center();
      QTest::mouseClick(grid, Qt::LeftButton, {}, at);
    }
    QTest::mouseDClick(jump.target, Qt::LeftButton, {}, at);
    EXPECT_EQ(f.PCSGData->currentWidget(), f.TSDXFData);
    EXPECT_EQ(f.FRDXFGrid->CurrentIndex(), jump.pair);
  }
}

TEST(ListTabs, ViewerEditionEditsNoListCell) {
  Window w(kSample);
  TFMMain& f = *w.form;
  w.Show(f.TSLayerList);
  Grid(f, "SGLayerList")->setFocus();
  Grid(f, "SGLayerList")->SelectCell(2, 2);
  QTest::keyClick(Grid(f, "SGLayerList"), Qt::Key_F2);
  QTest::keyClicks(Grid(f, "SGLayerList"), "x");
  EXPECT_FALSE(Grid(f, "SGLayerList")->EditorMode());
  EXPECT_EQ(Grid(f, "SGLayerList")->Cell(2, 2).toStdString(), "壁");
}

TEST(ListTabs, ConfirmedLayerRenameChangesTheDrawingAndEveryView) {
  Window w(kSample, "Editor");
  TFMMain& f = *w.form;
  const std::string oldName = Sjis("壁"), newName = Sjis("外壁");
  const int references = CountPairs(f.Doc().Buffer(), kLayerCode, oldName);
  ASSERT_GT(references, 1);
  w.Show(f.TSBlockList);
  w.Show(f.TSLayerList);
  w.dialogs.answers = {Dialogs::Answer::Yes};
  w.Rename(*Grid(f, "SGLayerList"), 2, "外壁");
  ASSERT_EQ(w.dialogs.questions.size(), 1u);
  EXPECT_EQ(Utf8(w.dialogs.questions[0]),
            "変更したレイヤ名を置き換えますか？\r　変更前：壁\r　変更後：外壁\r");
  EXPECT_EQ(CountPairs(f.Doc().Buffer(), kLayerCode, oldName), 0);
  EXPECT_EQ(CountPairs(f.Doc().Buffer(), kLayerCode, newName), references);
  EXPECT_EQ(f.Doc().Buffer().CLayer, newName);
  EXPECT_EQ(f.Doc().Buffer().GetValue(FindInRecord(f.Doc().Buffer(), PairOfLine(337), kNameCode)),
            newName);
  EXPECT_EQ(
      ToCp932(Label(f, "LBClayer")->text()),
      Format("CLAYER : %lld : %s", LineOfPair(f.Doc().Buffer().CLayerIndex - 1), newName.c_str()));
  EXPECT_EQ(Utf8(ToCp932(Grid(f, "SGLayerList")->Cell(2, 2))), "外壁");
  EXPECT_TRUE(f.IsModified());
  EXPECT_EQ(w.Title().back(), '*');
  EXPECT_FALSE(f.TSBlockList->IsFilled());  // the other tabs are built again at their next showing
  f.JumpToPair(f.Doc().Buffer().CLayerIndex);
  EXPECT_EQ(Utf8(ToCp932(f.FRDXFGrid->DXFGrid->Cell(2, f.FRDXFGrid->DXFGrid->Row()))), "外壁");
  const std::string saved = w.dir.Path() + "/renamed.dxf";
  w.dialogs.saveAnswers = {saved};
  f.BTSaveClick();
  ASSERT_TRUE(f.LoadDxfFile(saved));
  w.Show(f.TSLayerList);
  EXPECT_EQ(Utf8(ToCp932(Grid(f, "SGLayerList")->Cell(2, 2))), "外壁");
  EXPECT_TRUE(w.dialogs.messages.empty());
}

// The keys of the window take a rename, a rounding run and a grid edit back to the
// loaded bytes and forward again; the title's "*" follows the saved state.
TEST(ListTabs, UndoAndRedoKeysTakeEveryKindOfChangeBackAndForth) {
  Window w(kSample, "Editor");
  TFMMain& f = *w.form;
  w.Show(f.TSLayerList);
  w.dialogs.answers = {Dialogs::Answer::Yes};
  w.Rename(*Grid(f, "SGLayerList"), 2, "外壁");
  w.Show(f.TSTool);
  f.TSTool->findChild<QPushButton*>("BTPosReSnap")->click();
  w.Show(f.TSDXFData);
  f.JumpToLine(921);
  QTest::keyClicks(f.FRDXFGrid->DXFGrid, "12.5");
  QTest::keyClick(f.FRDXFGrid->DXFGrid->findChild<QLineEdit*>(), Qt::Key_Return);
  const std::string changed = f.Doc().Buffer().GetValue(PairOfLine(921));
  QMenu menu;
  f.FillGridMenu(menu);
  EXPECT_EQ(menu.actions()[0]->text().toStdString(), "元に戻す: グループデータ変更 行 921");
  const auto press = [&](Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(f.FRDXFGrid->DXFGrid, key, modifiers);
  };
  for (int k = 0; k < 3; ++k) press(Qt::Key_Z, Qt::ControlModifier);
  std::vector<std::string> undone;
  for (const QString& line : f.MsgBox->toPlainText().split(QLatin1Char('\n')))
    if (line.startsWith(QString::fromUtf8("元に戻しました"))) undone.push_back(line.toStdString());
  EXPECT_EQ(undone,
            (std::vector<std::string>{"元に戻しました: グループデータ変更 行 921",
                                      "元に戻しました: 端数の丸め 2行",
                                      "元に戻しました: レイヤ名置き換え \"壁\"　→　\"外壁\""}));
  EXPECT_NE(w.Title().back(), '*');
  EXPECT_EQ(Utf8(f.Doc().Buffer().CLayer), "壁");
  EXPECT_EQ(ToCp932(Label(f, "LBClayer")->text()),
            Format("CLAYER : %lld : %s", LineOfPair(f.Doc().Buffer().CLayerIndex - 1),
                   Sjis("壁").c_str()));
  EXPECT_EQ(f.FRDXFGrid->CurrentIndex(), f.Doc().Buffer().CLayerIndex) << "the first pair renamed";
  w.dialogs.saveAnswers = {w.dir.Path() + "/undone.dxf"};
  f.BTSaveClick();
  EXPECT_EQ(ReadBytes(w.dir.Path() + "/undone.dxf"), ReadBytes(kSample));
  press(Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(w.Title().back(), '*');
  press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  press(Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(f.Doc().Buffer().GetValue(PairOfLine(921)), changed);
  EXPECT_EQ(Utf8(f.Doc().Buffer().CLayer), "外壁");
  const int beeps = w.dialogs.beeps;
  press(Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(w.dialogs.beeps, beeps + 1) << "nothing left to redo";
  for (int k = 0; k < 3; ++k) press(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_NE(w.Title().back(), '*') << "back at the state saved";
}

TEST(ListTabs, RefusedOrDeclinedRenameRestoresTheCellAndChangesNothing) {
  const struct {
    Dialogs::Answer answer;
    const char* typed;
    std::vector<std::string> messages;
  } cases[] = {
      {Dialogs::Answer::Yes, "壁", {"2番に同じレイヤ名があるので置き換え出来ません"}},
      {Dialogs::Answer::No, "外壁", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    Window w(kSample, "Editor");
    TFMMain& f = *w.form;
    w.Show(f.TSLayerList);
    const std::string before = ToCp932(Grid(f, "SGLayerList")->Cell(2, 3));
    const std::string typed = Sjis(c.typed);
    const int oldUses = CountPairs(f.Doc().Buffer(), kLayerCode, before);
    const int typedUses = CountPairs(f.Doc().Buffer(), kLayerCode, typed);
    w.dialogs.answers = {c.answer};
    w.Rename(*Grid(f, "SGLayerList"), 3, c.typed);
    std::vector<std::string> messages;
    for (const std::string& m : w.dialogs.messages) messages.push_back(Utf8(m));
    EXPECT_EQ(messages, c.messages);
    EXPECT_EQ(ToCp932(Grid(f, "SGLayerList")->Cell(2, 3)), before);
    EXPECT_EQ(CountPairs(f.Doc().Buffer(), kLayerCode, before), oldUses);
    EXPECT_EQ(CountPairs(f.Doc().Buffer(), kLayerCode, typed), typedUses);
    EXPECT_FALSE(f.IsModified());
  }
}

TEST(ListTabs, AnEditInTheDXFGridHasTheListsBuiltAgain) {
  Window w(kSample);
  TFMMain& f = *w.form;
  w.Show(f.TSLayerList);
  w.Show(f.TSDXFData);
  f.JumpToPair(FindInRecord(f.Doc().Buffer(), PairOfLine(337), kNameCode));  // layer 2's name
  StringGrid& grid = *f.FRDXFGrid->DXFGrid;
  QTest::keyClick(&grid, Qt::Key_F2);
  QLineEdit* editor = grid.findChild<QLineEdit*>();
  editor->selectAll();
  QTest::keyClicks(editor, "WALL");
  QTest::keyClick(editor, Qt::Key_Return);
  EXPECT_FALSE(f.TSLayerList->IsFilled());
  w.Show(f.TSLayerList);
  EXPECT_EQ(Grid(f, "SGLayerList")->Cell(2, 2).toStdString(), "WALL");
}

TEST(ListTabs, EscGivesTheNameBackWithoutAQuestion) {
  Window w(kSample, "Editor");
  TFMMain& f = *w.form;
  w.Show(f.TSLineList);
  StringGrid& grid = *Grid(f, "SGLtypeList");
  grid.setFocus();
  ASSERT_TRUE(grid.SelectCell(2, 3));
  const QString before = grid.Cell(2, 3);
  QTest::keyClicks(&grid, "SOLID");  // typing opens the editor
  ASSERT_TRUE(grid.EditorMode());
  QTest::keyClick(grid.findChild<QLineEdit*>(), Qt::Key_Escape);
  EXPECT_FALSE(grid.EditorMode());
  EXPECT_EQ(grid.Cell(2, 3), before);
  EXPECT_TRUE(w.dialogs.questions.empty());
  EXPECT_FALSE(f.IsModified());
}

namespace {

// The name and remark cells of a list grid's data rows, in UTF-8.
std::vector<std::pair<std::string, std::string>> NamesAndRemarks(const StringGrid& grid,
                                                                 int remarkColumn) {
  std::vector<std::pair<std::string, std::string>> rows;
  for (int r = 1; r < grid.RowCount(); ++r)
    rows.emplace_back(grid.Cell(2, r).toStdString(), grid.Cell(remarkColumn, r).toStdString());
  return rows;
}

}  // namespace

TEST(ListTabs, ShowNamesLabelsAndRemarksDecodedInTheDocumentsEncoding) {
  if (CorpusDir().empty()) GTEST_SKIP() << "the DXF corpus (../shared/corpus) is not there";
  using Rows = std::vector<std::pair<std::string, std::string>>;
  // The same names get the same remarks in CP932 and in UTF-8: 壁 is acceptable in both.
  const Rows japanese = {{"0", ""},
                         {"Defpoints", ""},
                         {"壁", ""},
                         {"寸法", "危険な文字[法]"},
                         {"通り芯", ""},
                         {"ソファ", "危険な文字[ソァ]"},
                         {"非表示", "危険な文字[表]"},
                         {"凍結", ""}};
  const Rows japaneseLtype = {{"一点鎖線", "危険な文字[点]"}};
  const Rows japaneseBlock = {{"扉", ""}};
  const struct {
    const char* file;
    const char* clayer;
    Rows layers;
    Rows ltypes;  // rows that the linetype list has among others
    Rows blocks;  // rows that the block list has among others
    const char* celtype;
  } cases[] = {
      {"gen-r2018-utf8-japanese.dxf", "CLAYER : 101 : 0", japanese, japaneseLtype, japaneseBlock,
       "CELTYPE   : 105 : ByLayer （新規オブジェクトの線種）"},
      {"gen-r12-ansi932.dxf", "CLAYER : 97 : 0", japanese, japaneseLtype, japaneseBlock,
       "CELTYPE   : 101 : ByLayer （新規オブジェクトの線種）"},
      {"gen-r2000-ansi932-crlf.dxf", "CLAYER : 93 : 0", japanese, japaneseLtype, japaneseBlock,
       "CELTYPE   : 97 : ByLayer （新規オブジェクトの線種）"},
      {"ezdxf-dxf_unicode.dxf",  // UTF-8 with an escaped ü
       "CLAYER : 101 : 0",
       {{"0", ""}, {"Defpoints", ""}, {"Tschüss mit ü", "不適当な文字[  ]"}},
       {{"Continuous", ""}},
       {{"*Model_Space", ""}},
       "CELTYPE   : 105 : ByLayer （新規オブジェクトの線種）"},
      {"gdal-hatch_as_multipolygon-cp1251.dxf",  // declared cp1251, read as the UTF-8 it holds
       "CLAYER : 101 : 0",
       {{"0", ""}, {"Строения", ""}},
       {{"Continuous", ""}},
       {{"*Paper_Space", ""}},
       "CELTYPE   : 105 : ByLayer （新規オブジェクトの線種）"},
      {"ezdxf-ASCII_R12-cp1252.dxf",  // nothing declared: CP932, escaped Greek letters
       "CLAYER : 93 : ΛΑΓΕΡﾄﾜﾖ",
       {{"0", ""}, {"ΛΑΓΕΡﾄﾜﾖ", "画層名38文字  不適当な文字[ﾄﾜﾖ]"}},
       {{"CONTINUOUS", ""}},
       {{"*U1", ""}},
       "CELTYPE   : 97 : BYLAYER （新規オブジェクトの線種）"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    Window w(CorpusDir() + "/" + c.file);
    TFMMain& f = *w.form;
    w.Show(f.TSLayerList);
    EXPECT_EQ(NamesAndRemarks(*Grid(f, "SGLayerList"), 5), c.layers);
    EXPECT_EQ(Label(f, "LBClayer")->text().toStdString(), c.clayer);
    w.Show(f.TSLineList);
    const Rows ltypes = NamesAndRemarks(*Grid(f, "SGLtypeList"), 5);
    for (const auto& row : c.ltypes)
      EXPECT_NE(std::find(ltypes.begin(), ltypes.end(), row), ltypes.end()) << row.first;
    EXPECT_EQ(Label(f, "LBCeltype")->text().toStdString(), c.celtype);
    w.Show(f.TSBlockList);
    const Rows blocks = NamesAndRemarks(*Grid(f, "SGBlockList"), 4);
    for (const auto& row : c.blocks)
      EXPECT_NE(std::find(blocks.begin(), blocks.end(), row), blocks.end()) << row.first;
    EXPECT_TRUE(w.dialogs.messages.empty());
  }
}

TEST(ListTabs, RenameInAUtf8DrawingWritesTheTypedTextAndOnlyIt) {
  if (CorpusDir().empty()) GTEST_SKIP() << "the DXF corpus (../shared/corpus) is not there";
  const std::string file = CorpusDir() + "/gen-r2018-utf8-japanese.dxf";
  const std::string original = ReadBytes(file);
  Window w(file, "Editor");
  TFMMain& f = *w.form;
  w.Show(f.TSLayerList);
  w.dialogs.answers = {Dialogs::Answer::Yes};
  w.Rename(*Grid(f, "SGLayerList"), 3, "外壁é");  // é is not in CP932: the text goes as Unicode
  ASSERT_EQ(w.dialogs.questions.size(), 1u);
  EXPECT_EQ(Utf8OfProgramText(w.dialogs.questions[0]),
            "変更したレイヤ名を置き換えますか？\r　変更前：壁\r　変更後：外壁é\r");
  EXPECT_EQ(Grid(f, "SGLayerList")->Cell(2, 3).toStdString(), "外壁é");
  EXPECT_EQ(Grid(f, "SGLayerList")->Cell(5, 3).toStdString(), "");
  const std::string log = f.MsgBox->toPlainText().toStdString();
  EXPECT_NE(log.find("2369 : LAYER        \"壁\"　→　\"外壁é\""), std::string::npos) << log;
  EXPECT_NE(log.find("6個のレイヤ名を置き換えました"), std::string::npos);
  const std::string saved = w.dir.Path() + "/renamed.dxf";
  w.dialogs.saveAnswers = {saved};
  f.BTSaveClick();
  // The file's lines with the six layer names (the LAYER record, five entities) replaced;
  // every other line, and every line end, is saved as it was read.
  std::string expected;
  std::size_t begin = 0;
  for (int line = 1; begin < original.size(); ++line) {
    const std::size_t end = original.find('\n', begin);
    const bool renamed = line == 2370 || line == 6106 || line == 6146 || line == 6214 ||
                         line == 6404 || line == 6490;
    ASSERT_TRUE(!renamed || original.compare(begin, end - begin, "壁") == 0) << line;
    expected += renamed ? std::string("外壁é\n") : original.substr(begin, end + 1 - begin);
    begin = end + 1;
  }
  EXPECT_EQ(ReadBytes(saved), expected);
  EXPECT_TRUE(w.dialogs.messages.empty());
}

TEST(ListTabs, AListOnShowFollowsTheEncodingTheUserChooses) {
  if (CorpusDir().empty()) GTEST_SKIP() << "the DXF corpus (../shared/corpus) is not there";
  Window w(CorpusDir() + "/ezdxf-ASCII_R12-cp1252.dxf");  // declares nothing: read as CP932
  TFMMain& f = *w.form;
  w.Show(f.TSLayerList);
  EXPECT_EQ(Grid(f, "SGLayerList")->Cell(2, 2).toStdString(), "ΛΑΓΕΡﾄﾜﾖ");
  f.ChooseDocumentEncoding(TextEncoding::Cp1252);
  EXPECT_EQ(Grid(f, "SGLayerList")->Cell(2, 2).toStdString(), "ΛΑΓΕΡÄÜÖ");
  EXPECT_EQ(Grid(f, "SGLayerList")->Cell(5, 2).toStdString(), "画層名38文字 ");  // ÄÜÖ are letters
  EXPECT_EQ(Label(f, "LBClayer")->text().toStdString(), "CLAYER : 93 : ΛΑΓΕΡÄÜÖ");
  EXPECT_FALSE(f.IsModified());
}

TEST(ListTabs, ALabelKeepsItsCaptionUntilADrawingIsLoaded) {
  MainWindowFixture w;
  w.Start();
  TFMMain& f = *w.form;
  for (QWidget* tab : Widgets{f.TSLayerList, f.TSLineList, f.TSColorList})
    f.PCSGData->setCurrentWidget(tab);
  EXPECT_EQ(LabelTexts({Label(f, "LBClayer"), Label(f, "LBLtscale"), Label(f, "LBCeltscale"),
                        Label(f, "LBCeltype"), Label(f, "LBCecolor")}),
            (std::vector<std::string>{
                "CLAYER : ", "LTSCALE   : ", "CELTSCALE : ", "CELTYPE   : ", "CECOLOR : "}));
}

// Every column header of the list grids has a name for screen readers, filled or not.
TEST(ListTabs, ScreenReadersGetEveryColumnHeadersName) {
  Window w(kSample);
  TFMMain& f = *w.form;
  const std::vector<StringGrid*> grids = {Grid(f, "SGLayerList"), Grid(f, "SGLtypeList"),
                                          Grid(f, "SGColorList"), Grid(f, "SGBlockList"),
                                          Grid(f, "SGGroupList"), Grid(f, "SGGroupMember")};
  const auto unnamed = [&grids] {
    std::vector<std::string> missing;
    for (StringGrid* grid : grids) {
      QAccessibleInterface* table = QAccessible::queryAccessibleInterface(grid);
      for (int c = 0; c < grid->ColCount(); ++c)
        if (table->child(c)->text(QAccessible::Name).isEmpty())
          missing.push_back(grid->objectName().toStdString() + " " + std::to_string(c));
    }
    return missing;
  };
  EXPECT_EQ(unnamed(), std::vector<std::string>{}) << "before the lists are shown";
  for (QWidget* tab :
       Widgets{f.TSLayerList, f.TSLineList, f.TSColorList, f.TSBlockList, f.TSGroupList})
    w.Show(tab);
  EXPECT_EQ(unnamed(), std::vector<std::string>{});
  EXPECT_EQ(QAccessible::queryAccessibleInterface(Grid(f, "SGLayerList"))
                ->child(2)
                ->text(QAccessible::Name),
            QStringLiteral("レイヤ名称"));
}

// A rename is checked before the question; the list on show follows every change, undo
// and redo included, so a second rename starts from what the drawing holds.
TEST(ListTabs, AListOnShowFollowsUndoAndATakenNameIsRefusedBeforeTheQuestion) {
  Window w(kSample, "Editor");
  TFMMain& f = *w.form;
  const int uses = CountPairs(f.Doc().Buffer(), kLayerCode, Sjis("家具"));
  w.Show(f.TSLayerList);
  w.Rename(*Grid(f, "SGLayerList"), 5, "通り芯");  // row 3's name
  EXPECT_TRUE(w.dialogs.questions.empty());
  ASSERT_EQ(w.dialogs.messages.size(), 1u);
  EXPECT_EQ(Utf8(w.dialogs.messages[0]), "3番に同じレイヤ名があるので置き換え出来ません");
  EXPECT_EQ(Utf8(ToCp932(Grid(f, "SGLayerList")->Cell(2, 5))), "家具");
  w.dialogs.answers = {Dialogs::Answer::Yes};
  w.Rename(*Grid(f, "SGLayerList"), 5, "FURN");
  EXPECT_EQ(Utf8(ToCp932(Grid(f, "SGLayerList")->Cell(2, 5))), "FURN");
  f.UndoChange();
  EXPECT_EQ(Utf8(ToCp932(Grid(f, "SGLayerList")->Cell(2, 5))), "家具");
  w.dialogs.answers = {Dialogs::Answer::Yes};
  w.Rename(*Grid(f, "SGLayerList"), 5, "KAGU");
  EXPECT_EQ(CountPairs(f.Doc().Buffer(), kLayerCode, "KAGU"), uses);
  EXPECT_EQ(CountPairs(f.Doc().Buffer(), kLayerCode, Sjis("家具")), 0);
  f.RedoChange();  // nothing to redo after a new step
  f.UndoChange();
  EXPECT_EQ(Utf8(ToCp932(Grid(f, "SGLayerList")->Cell(2, 5))), "家具");
  f.RedoChange();
  EXPECT_EQ(Utf8(ToCp932(Grid(f, "SGLayerList")->Cell(2, 5))), "KAGU");
}

TEST(ListTabs, ShowingAGroupPutsTheMembersCursorOnItsFirstCell) {
  Window w(kSample);
  TFMMain& f = *w.form;
  w.Show(f.TSGroupList);
  Grid(f, "SGGroupMember")->FocusCell(3, 1);
  Grid(f, "SGGroupList")->SelectCell(2, 1);
  EXPECT_EQ(std::make_pair(Grid(f, "SGGroupMember")->Col(), Grid(f, "SGGroupMember")->Row()),
            std::make_pair(1, 1));
}
