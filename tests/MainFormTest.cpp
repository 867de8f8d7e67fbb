// MainFormTest.cpp - the main window offscreen with scripted dialogs: start-up, opening,
// dropping, saving, the section list, find, settings, the unsaved-changes prompt and the
// rounding tool of the editor edition.
#include "ui/MainForm.h"

#include <gtest/gtest.h>

#include <filesystem>  // std::filesystem::exists
#include <functional>  // std::function
#include <optional>    // std::optional

#include <QApplication>
#include <QComboBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <QToolTip>
#include <QUrl>

#include "logic/document/MyFileLib.h"
#include "model/buffer/RecordWalk.h"
#include "model/text/Sjis.h"
#include "model/text/TextCodec.h"
#include "tests/support/MainWindowFixture.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/SimulatedDesktop.h"
#include "tests/support/StandInAutoCAD.h"
#include "tests/support/TestFiles.h"
#include "ui/QtText.h"

namespace {

// A main window on show, its settings beside "<dir>/viewer", started with arguments.
struct Main : MainWindowFixture {
  explicit Main(std::vector<std::string> arguments = {}, const std::string& edition = "Viewer") {
    Start(std::move(arguments), edition);
  }
  std::vector<std::string> Log() const {
    std::vector<std::string> lines;
    for (const QString& line : form->MsgBox->toPlainText().split(QLatin1Char('\n')))
      lines.push_back(line.toStdString());
    return lines;
  }
  std::string Cell(int col, int row) const {
    return ToCp932(form->FRDXFGrid->DXFGrid->Cell(col, row));
  }
  std::string SectionEntry() const {
    return form->ListBox_line->currentItem()->text().toStdString();
  }
  void Find(const char* text) {
    form->CBFind->setEditText(QString::fromUtf8(text));
    form->BTFindClick();
  }
  void ClickSection(const char* entry) {
    const auto items = form->ListBox_line->findItems(QString::fromUtf8(entry), Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1) << entry;
    form->ListBox_line->setCurrentItem(items.front());
    form->ListBox_lineClick();
  }
  void TypeValue(const char* text) {
    QTest::keyClicks(form->FRDXFGrid->DXFGrid, text);
    QTest::keyClick(form->FRDXFGrid->DXFGrid->findChild<QLineEdit*>(), Qt::Key_Return);
  }
};

// The value the grid shows on the row of a file line, or "" when the line is not on show.
std::string ShownValue(const Main& m, int line) {
  const StringGrid& grid = *m.form->FRDXFGrid->DXFGrid;
  for (int row = 1; row < grid.RowCount(); ++row)
    if (grid.Cell(0, row).trimmed() == QString::number(line)) return m.Cell(2, row);
  return "";
}

// Shows the editor's tool tab, which selects the boxes' defaults, and returns its boxes.
std::vector<QComboBox*> ShowToolTab(Main& m) {
  m.form->PCSGData->setCurrentWidget(m.form->TSTool);
  std::vector<QComboBox*> boxes;
  for (const char* name :
       {"CBToolValidDigit", "CBToolRoundDigit", "CBToolAngValidDigit", "CBToolAngRoundDigit"})
    boxes.push_back(m.form->TSTool->findChild<QComboBox*>(QString::fromLatin1(name)));
  return boxes;
}

std::vector<int> Selections(const std::vector<QComboBox*>& boxes) {
  std::vector<int> selected;
  for (const QComboBox* box : boxes) selected.push_back(box ? box->currentIndex() : -2);
  return selected;
}

std::vector<std::string> TabCaptions(const QTabWidget& tabs) {
  std::vector<std::string> captions;
  for (int i = 0; i < tabs.count(); ++i) captions.push_back(tabs.tabText(i).toStdString());
  return captions;
}

}  // namespace

TEST(TFMMain, StartsEmptyWithTheViewerLayout) {
  Main m;
  TFMMain& form = *m.form;
  EXPECT_EQ(form.windowTitle().toStdString(), "VU Quillet Viewer By Pellmark   Ver.2006.05.02");
  EXPECT_EQ(TabCaptions(*form.PCSGData),
            (std::vector<std::string>{"DXFﾃﾞｰﾀ", "画層一覧", "線種一覧", "色一覧", "ﾌﾞﾛｯｸ定義一覧",
                                      "ｸﾞﾙｰﾌﾟ一覧"}));
  EXPECT_EQ(form.TSTool, nullptr);
  EXPECT_EQ(form.Form_option->windowTitle().toStdString(), "VU Quillet Viewer 設定画面");
  EXPECT_EQ(form.Form_option->LBSoft->text().toStdString(),
            "このソフトは、ＤＸＦファイルの内容を表示するものです。");
  EXPECT_TRUE(form.BTOpen->isEnabled());
  for (QPushButton* off : {form.BTSave, form.BTFind, form.BTACADRead, form.BTErrorJump})
    EXPECT_FALSE(off->isEnabled()) << off->text().toStdString();
  EXPECT_EQ(form.geometry().size(), QSize(685, 560));
  EXPECT_EQ(form.Panel_bottom->height(), 64);
  EXPECT_EQ(form.FRDXFGrid->GetColWidth(0), 60);
  EXPECT_EQ(form.FRDXFGrid->GetColWidth(1), 64);
  EXPECT_EQ(form.ListBox_line->geometry().bottom() + 1, form.Panel_left->height() - 8);
  EXPECT_EQ(form.ListBox_line->count(), 0);
  EXPECT_EQ(form.Settings.LastPath, kDefaultLastPath);
  form.resize(700, 800);
  QApplication::processEvents();
  EXPECT_EQ(form.ListBox_line->geometry().bottom() + 1, form.Panel_left->height() - 8);
}

TEST(TFMMain, EditorEditionKeepsTheToolTab) {
  Main m({}, "Editor");
  EXPECT_EQ(TabCaptions(*m.form->PCSGData).back(), "ツール");
  EXPECT_EQ(m.form->PCSGData->count(), 7);
  // At the default width every tab, "ツール" too, fits whole, its right border inside.
  const QTabBar& tabs = *m.form->PCSGData->tabBar();
  EXPECT_LT(tabs.tabRect(tabs.count() - 1).right(), m.form->PCSGData->width() - 8);
  EXPECT_EQ(m.form->windowTitle().toStdString(), "VU Quillet Editor By Pellmark   Ver.2006.05.02");
  EXPECT_EQ(m.form->Form_option->LBSoft->text().toStdString(),
            "このソフトは、ＤＸＦファイルの内容を表示／簡易変更するものです。");
}

TEST(TFMMain, CommandLineOpensTheFirstArgumentOnly) {
  Main m({kSample, "/nowhere/second.dxf"});
  TFMMain& form = *m.form;
  EXPECT_EQ(form.Doc().Buffer().FileName, kSample);
  EXPECT_EQ(form.Settings.LastPath, kSample);
  EXPECT_TRUE(form.BTSave->isEnabled());
  EXPECT_TRUE(form.BTFind->isEnabled());
  EXPECT_EQ(form.LBDXFData->text().toStdString(), " " + kSample);
  EXPECT_EQ(m.Log(), (std::vector<std::string>{"", "＜開く＞" + kSample}));
  EXPECT_EQ(m.Cell(2, 1), "SECTION");
  EXPECT_EQ(form.ListBox_line->count(), 18);
  EXPECT_EQ(m.SectionEntry(), "+-HEADER");
  EXPECT_EQ(form.windowTitle().toStdString(),
            "VU Quillet Viewer By Pellmark   Ver.2006.05.02 - sample.dxf");
  EXPECT_TRUE(m.dialogs.messages.empty());
}

TEST(TFMMain, MissingCommandLineFileIsReportedAndLeavesSavingOff) {
  TempDir other;
  const std::string missing = other.Path() + "/missing.dxf";
  Main m({missing});
  ASSERT_EQ(m.dialogs.messages.size(), 1u);
  EXPECT_EQ(Utf8(m.dialogs.messages[0]), missing + "ファイルが見つかりません");
  EXPECT_EQ(m.Log().back(), "　エラー：" + missing + "ファイルが見つかりません");
  EXPECT_FALSE(m.form->BTSave->isEnabled());
  EXPECT_EQ(m.form->Settings.LastPath, kDefaultLastPath);
}

TEST(TFMMain, OpeningASecondFileResetsGridAndSectionList) {
  Main m({kSample});
  TFMMain& form = *m.form;
  form.JumpToPair(500);
  form.FRDXFGrid->SetCol(3);
  const std::string small = m.dir.Write("small.dxf", kOneLine);
  m.dialogs.openAnswers = {small};
  form.BTOpenClick();
  ASSERT_EQ(m.dialogs.openRequests.size(), 1u);
  EXPECT_EQ(m.dialogs.openRequests[0].fileName, kSample);
  EXPECT_EQ(m.dialogs.openRequests[0].initialFolder, FolderPart(kSample));
  EXPECT_EQ(form.Doc().Buffer().FileName, small);
  EXPECT_EQ(form.Settings.LastPath, small);
  EXPECT_EQ(form.FRDXFGrid->TopIndex(), 0);
  EXPECT_EQ(form.FRDXFGrid->DXFGrid->Row(), 1);
  EXPECT_EQ(form.FRDXFGrid->DXFGrid->Col(), 2);
  EXPECT_EQ(form.ListBox_line->count(), 2);  // ENTITIES and EOF
  EXPECT_EQ(form.ListBox_line->currentRow(), 0);
  m.dialogs.openAnswers = {""};  // cancelled: nothing happens, nothing is logged
  const auto logBefore = m.Log();
  form.BTOpenClick();
  EXPECT_EQ(m.Log(), logBefore);
}

TEST(TFMMain, FailedLoadKeepsTheDocumentOnShow) {
  Main m({kSample});
  TFMMain& form = *m.form;
  const std::string broken = m.dir.Write("broken.dxf", DxfText({"0", "SECTION", "x", "y"}));
  EXPECT_FALSE(form.LoadDxfFile(broken));
  const std::string error = "ＤＸＦファイルが壊れています。\r\v2行";
  ASSERT_EQ(m.dialogs.messages.size(), 1u);
  EXPECT_EQ(Utf8(m.dialogs.messages[0]), error);
  const std::vector<std::string> log = m.Log();
  EXPECT_EQ(std::vector<std::string>(log.end() - 3, log.end()),
            (std::vector<std::string>{"＜開く＞" + broken,
                                      "　エラー：ＤＸＦファイルが壊れています。2行",  // no controls
                                      "　ファイルの 3 行目"}));    // the line as the grid counts
  EXPECT_EQ(form.LBDXFData->text().toStdString(), " " + kSample);  // the document on show
  EXPECT_EQ(form.Doc().Buffer().FileName, kSample);
  EXPECT_EQ(form.Doc().Buffer().PairCount, 656);
  EXPECT_EQ(m.Cell(2, 2), "HEADER");
  EXPECT_EQ(form.ListBox_line->count(), 18);
  EXPECT_TRUE(form.BTSave->isEnabled());
  const std::string copy = m.dir.Path() + "/copy.dxf";
  m.dialogs.saveAnswers = {copy};
  form.BTSaveClick();
  TDXFBuffer saved;
  ASSERT_EQ(saved.LoadFromFile(copy), 0);
  EXPECT_EQ(saved.PairCount, 656);
}

TEST(TFMMain, DropsLoadOneDxfFileInAnyLetterCase) {
  Main m;
  TFMMain& form = *m.form;
  const std::string upper = m.dir.Write("PLAN.DXF", kOneLine);
  form.DropFiles({upper});
  EXPECT_EQ(form.Doc().Buffer().FileName, upper);
  EXPECT_EQ(form.Settings.LastPath, upper);
  form.DropFiles({m.dir.Write("a.dxf", kOneLine), m.dir.Write("b.dxf", kOneLine)});
  EXPECT_EQ(form.Doc().Buffer().FileName, upper);
  EXPECT_TRUE(m.dialogs.messages.empty());
  for (const char* name : {"notes.txt", "plan.dxf.bak"}) {
    form.DropFiles({m.dir.Write(name, kOneLine)});
    ASSERT_FALSE(m.dialogs.messages.empty());
    EXPECT_EQ(Utf8(m.dialogs.messages.back()), "DXFファイルではありません。");
  }
  EXPECT_EQ(form.Doc().Buffer().FileName, upper);
  // A real drag and drop, handled once the drop has finished.
  const std::string mixed = m.dir.Write("Mixed.Dxf", kOneLine);
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(FromNativePath(mixed))});
  QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&form, &enter);
  ASSERT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(300, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&form, &drop);
  EXPECT_EQ(form.Doc().Buffer().FileName, upper);
  QApplication::processEvents();
  EXPECT_EQ(form.Doc().Buffer().FileName, mixed);
}

TEST(TFMMain, SaveLabelsLogsAndProposesTheNewNameNextTime) {
  Main m({kSample});
  TFMMain& form = *m.form;
  const std::string target = m.dir.Path() + "/new.dxf";
  m.dialogs.saveAnswers = {target, ""};
  form.BTSaveClick();
  EXPECT_EQ(m.dialogs.saveRequests[0].fileName, "sample.dxf");
  EXPECT_TRUE(std::filesystem::exists(target));
  EXPECT_EQ(form.LBDXFData->text().toStdString(), " DXF \"" + target + "\"");
  const auto log = m.Log();
  EXPECT_EQ(std::vector<std::string>(log.end() - 2, log.end()),
            (std::vector<std::string>{"", "＜ＤＸＦ出力＞ " + target}));
  EXPECT_EQ(form.Settings.LastPath, target);
  form.BTSaveClick();  // cancelled
  EXPECT_EQ(m.dialogs.saveRequests[1].fileName, "new.dxf");
  EXPECT_EQ(m.dialogs.saveRequests[1].initialFolder, m.dir.Path() + "/");
}

// A failed open leaves the next save at the document's own file, where Ctrl+S writes
// without a dialog; a failed save says why, in its box and in the panel.
TEST(TFMMain, SavesGoToTheDocumentsOwnFileAndAFailedSaveSaysWhy) {
  Main m;
  TFMMain& form = *m.form;
  const std::string own = m.dir.Write("s2.dxf", ReadBytes(kSample));
  ASSERT_TRUE(form.LoadDxfFile(own));
  form.FRDXFGrid->SetRow(2);
  m.TypeValue("HEAD");
  const TempDir elsewhere;
  m.dialogs.answers = {Dialogs::Answer::No};
  m.dialogs.openAnswers = {elsewhere.Write("broken.dxf", DxfText({"0", "SECTION", "x", "y"}))};
  form.BTOpenClick();
  ASSERT_TRUE(form.IsModified());
  EXPECT_EQ(m.Log().back(), "　ファイルの 3 行目");  // as the grid numbers it
  form.BTSaveClick();                                // cancelled
  ASSERT_EQ(m.dialogs.saveRequests.size(), 1u);
  // The folder as the file's native path spells it, the separator included.
  EXPECT_EQ(m.dialogs.saveRequests[0].initialFolder, own.substr(0, own.rfind("s2.dxf")));
  EXPECT_EQ(m.dialogs.saveRequests[0].fileName, "s2.dxf");
  form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(m.dialogs.saveRequests.size(), 1u);
  EXPECT_FALSE(form.IsModified());
  TDXFBuffer reread;
  ASSERT_EQ(reread.LoadFromFile(own), 0);
  EXPECT_EQ(reread.GetValue(1), "HEAD");

  const std::string unwritable = m.dir.Path() + "/missing/x.dxf";
  m.dialogs.saveAnswers = {unwritable};
  form.BTSaveClick();
  const std::vector<std::string> why = {
      unwritable + "ファイルが書き込み出来ません。",
      "保存先のフォルダがありません。フォルダを作るか、別の場所に保存してください。"};
  ASSERT_FALSE(m.dialogs.messages.empty());
  EXPECT_EQ(Utf8(m.dialogs.messages.back()), why[0] + "\r\n" + why[1]);
  const std::vector<std::string> log = m.Log();
  EXPECT_EQ(std::vector<std::string>(log.end() - 2, log.end()), why);
  EXPECT_EQ(form.Doc().Path(), own);
}

TEST(TFMMain, ALongPathIsShortenedInTheMiddleAndShownWholeAsATooltip) {
  Main m;
  TFMMain& form = *m.form;
  const std::string folder = m.dir.Path() + "/" + std::string(120, 'f');
  std::filesystem::create_directory(folder);
  const std::string path = folder + "/plan-with-a-long-name.dxf";
  std::filesystem::copy_file(kSample, path);
  ASSERT_TRUE(form.LoadDxfFile(path));
  QApplication::processEvents();
  const QString shown = form.LBDXFData->ShownText();
  EXPECT_EQ(form.LBDXFData->text().trimmed().toStdString(), path);
  EXPECT_TRUE(shown.contains(QChar(0x2026))) << shown.toStdString();
  EXPECT_TRUE(shown.endsWith(QStringLiteral("name.dxf"))) << shown.toStdString();
  EXPECT_LE(form.LBDXFData->geometry().right(), form.LBEncoding->geometry().left());
  QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), form.LBDXFData->mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(form.LBDXFData, &help);
  EXPECT_EQ(QToolTip::text().toStdString(), path);
}

TEST(TFMMain, TheSaveTypeListConvertsAndTheLabelNamesTheBinaryForm) {
  Main m({kSample});
  TFMMain& form = *m.form;
  const std::string binary = m.dir.Path() + "/binary.dxf", text = m.dir.Path() + "/text.dxf";
  m.dialogs.saveAnswers = {binary, text};
  m.dialogs.saveFilters = {1, 0};
  form.BTSaveClick();
  EXPECT_EQ(m.dialogs.saveRequests[0].filterIndex, 0);  // a text drawing starts at text
  EXPECT_TRUE(ReadBytes(binary).starts_with("AutoCAD Binary DXF\r\n\x1a"));
  EXPECT_TRUE(form.LBEncoding->text().endsWith(QString::fromUtf8("　バイナリ DXF")));
  ASSERT_TRUE(form.LoadDxfFile(binary));
  EXPECT_TRUE(form.LBEncoding->text().endsWith(QString::fromUtf8("　バイナリ DXF")));
  form.BTSaveClick();
  EXPECT_EQ(m.dialogs.saveRequests[1].filterIndex, 1);  // a binary one at binary
  EXPECT_TRUE(ReadBytes(text).starts_with("  0\r\nSECTION\r\n"));
  EXPECT_FALSE(form.LBEncoding->text().contains(QString::fromUtf8("バイナリ")));
}

TEST(TFMMain, ALoadSaysWhatItLeftOutAndASaveThatLosesTextAsksFirst) {
  using std::string_literals::operator""s;
  Main m;
  TFMMain& form = *m.form;
  ASSERT_TRUE(form.LoadDxfFile(m.dir.Write("cut.dxf", "0\r\nSECTION\r\n2\r\nENT\0ITIES\r\n"s)));
  EXPECT_EQ(m.Log().back(), "NUL文字があるため 4行目までしか読み込んでいません");
  const std::string target = m.dir.Path() + "/saved.dxf";
  m.dialogs.saveAnswers = {target};
  form.BTSaveClick();  // No: nothing is saved
  ASSERT_EQ(m.dialogs.questions.size(), 1u);
  EXPECT_EQ(Utf8(m.dialogs.questions[0]),
            "NUL文字があるため 4行目から後は保存されません。このまま保存しますか？");
  EXPECT_TRUE(m.dialogs.saveRequests.empty());
  EXPECT_FALSE(std::filesystem::exists(target));
  m.dialogs.answers = {Dialogs::Answer::Yes};
  form.Settings.NormaliseOnSave = true;  // as the option window sets it
  form.BTSaveClick();
  EXPECT_EQ(ReadBytes(target), "  0\r\nSECTION\r\n  2\r\nENT\r\n");
  ASSERT_TRUE(form.LoadDxfFile(m.dir.Write("trash.dxf", kOneLine + "junk\r\n")));
  EXPECT_EQ(m.Log().back(), "EOFより後の1行は図面の一部ではないので無視しました");
}

TEST(TFMMain, SectionListFollowsTheGridAndJumps) {
  Main m({kSample});
  TFMMain& form = *m.form;
  form.FRDXFGrid->SetTopIndex(160);
  EXPECT_EQ(m.SectionEntry(), "| +-LAYER");
  form.FRDXFGrid->SetTopIndex(500);
  EXPECT_EQ(m.SectionEntry(), "+-ENTITIES");
  m.ClickSection("| +-CLAYER");
  EXPECT_EQ(form.FRDXFGrid->TopIndex(), 26);
  EXPECT_EQ(form.FRDXFGrid->DXFGrid->Row(), 1);
  EXPECT_EQ(m.Cell(2, 1), "$CLAYER");
  EXPECT_EQ(m.Cell(1, 1), "      9");
  m.ClickSection("+-EOF");
  EXPECT_EQ(form.FRDXFGrid->CurrentIndex(), 655);
  EXPECT_EQ(form.FRDXFGrid->TopIndex(), 642);
  m.ClickSection("+-OBJECTS");
  EXPECT_EQ(form.FRDXFGrid->TopIndex(), 601);
  EXPECT_EQ(m.Cell(2, 1), "SECTION");
}

TEST(TFMMain, FindsInFourModesFromTheCursorOn) {
  Main m({kSample});
  const struct {
    const char* term;
    std::vector<Dialogs::Answer> wrap;  // answers to going on from the top
    int pair;                           // where the cursor stands afterwards
  } steps[] = {
      {"layer", {}, 152},                       // exact, any letter case
      {"LAYER", {}, 157},                       // the next match after the cursor
      {"$clay*", {Dialogs::Answer::No}, 157},   // prefix: none after the cursor; no wrap
      {"*dblayer*", {}, 161},                   // contains
      {"壁", {}, 173},                          // a Japanese term matches itself
      {"*clayer", {Dialogs::Answer::Yes}, 26},  // suffix: found from the top on
  };
  for (const auto& step : steps) {
    m.dialogs.answers.assign(step.wrap.begin(), step.wrap.end());
    const std::size_t asked = m.dialogs.questions.size();
    m.Find(step.term);
    EXPECT_EQ(m.form->FRDXFGrid->CurrentIndex(), step.pair) << step.term;
    EXPECT_EQ(m.dialogs.questions.size() - asked, step.wrap.size()) << step.term;
  }
  EXPECT_EQ(Utf8(m.dialogs.questions.back()), "ファイルの先頭から検索を続けますか？");
  EXPECT_TRUE(m.dialogs.messages.empty());
  EXPECT_EQ(m.form->CBFind->currentText().toStdString(), "*CLAYER");  // upper-cased
}

TEST(TFMMain, ShiftF3FindsBackwardsAndWrapsFromTheEnd) {
  Main m({kSample});
  m.Find("layer");
  m.Find("layer");
  ASSERT_EQ(m.form->FRDXFGrid->CurrentIndex(), 157);
  m.form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(m.form.get()));
  QTest::keyClick(m.form.get(), Qt::Key_F3, Qt::ShiftModifier);
  EXPECT_EQ(m.form->FRDXFGrid->CurrentIndex(), 152);
  m.dialogs.answers = {Dialogs::Answer::Yes};
  m.form->FindPrevious();
  EXPECT_EQ(Utf8(m.dialogs.questions.back()), "ファイルの末尾から検索を続けますか？");
  EXPECT_EQ(m.form->FRDXFGrid->CurrentIndex(), 201);  // the last LAYER of the file
}

TEST(TFMMain, NotFoundBeepsAndExplainsStarsInExactMode) {
  Main m({kSample});
  m.Find("nosuch");  // going on from the top is declined: nothing more is said
  EXPECT_EQ(m.dialogs.questions.size(), 1u);
  EXPECT_TRUE(m.dialogs.messages.empty());
  m.dialogs.answers = {Dialogs::Answer::Yes, Dialogs::Answer::Yes};
  m.Find("nosuch");
  ASSERT_EQ(m.dialogs.messages.size(), 1u);
  EXPECT_EQ(Utf8(m.dialogs.messages[0]),
            "\"NOSUCH\"は、見つかりませんでした。\r\n検索文字の前か後ろに * を付けると\r\n"
            "部分検索出来ます。");
  m.Find("**");
  EXPECT_EQ(Utf8(m.dialogs.messages.back()), "\"**\"は、見つかりませんでした。");
  EXPECT_EQ(m.dialogs.beeps, 2);
  m.Find("eof");  // the only match is in the last half page
  EXPECT_EQ(m.form->FRDXFGrid->CurrentIndex(), 655);
  m.dialogs.answers = {Dialogs::Answer::Yes};
  m.Find("eof");  // from the top on it is found again where the cursor stands
  EXPECT_EQ(m.dialogs.messages.size(), 2u);
  EXPECT_EQ(m.form->FRDXFGrid->CurrentIndex(), 655);
}

TEST(TFMMain, FindHistoryIsNewestFirstAndPickedTermsMoveUp) {
  Main m({kSample});
  QComboBox& box = *m.form->CBFind;
  for (const char* term : {"a", "b", "c"}) m.Find(term);
  std::vector<std::string> items;
  for (int i = 0; i < box.count(); ++i) items.push_back(box.itemText(i).toStdString());
  EXPECT_EQ(items, (std::vector<std::string>{"C", "B", "A"}));
  box.setCurrentIndex(2);  // pick the third item
  m.form->BTFindClick();
  EXPECT_EQ(box.itemText(0).toStdString(), "A");
  EXPECT_EQ(box.itemText(1).toStdString(), "C");
  EXPECT_EQ(box.currentIndex(), 0);
}

TEST(TFMMain, NamesTheEncodingInUseAndLetsTheUserChooseAnother) {
  TempDir files;
  const std::string path = files.Write(
      "utf8.dxf", DxfText({"0", "SECTION",      "2", "HEADER",    "9", "$ACADVER", "1", "AC1018",
                           "9", "$DWGCODEPAGE", "3", "ANSI_1252", "0", "ENDSEC",   "0", "SECTION",
                           "2", "ENTITIES",     "0", "TEXT",      "1", "éven",     "0", "ENDSEC",
                           "0", "EOF"}));
  Main m({path});
  TFMMain& form = *m.form;
  EXPECT_EQ(form.LBEncoding->text().toStdString(), "文字コード: utf-8（自動: UTF-8判定）");
  EXPECT_EQ(form.FRDXFGrid->DXFGrid->Cell(2, 11).toStdString(), "éven");  // pair 10
  m.Find("éven");  // upper-cased to "éVEN": only a-z change
  EXPECT_EQ(form.FRDXFGrid->CurrentIndex(), 10);

  form.ChooseDocumentEncoding(TextEncoding::Cp1252);
  EXPECT_EQ(form.LBEncoding->text().toStdString(), "文字コード: cp1252（手動）");
  EXPECT_EQ(form.FRDXFGrid->DXFGrid->Cell(2, 11).toStdString(), "Ã©ven");
  EXPECT_EQ(m.Log().back(), "＜文字コード＞ cp1252（手動）");
  EXPECT_FALSE(form.IsModified());  // the bytes are as they were
  form.ChooseDocumentEncoding(std::nullopt);
  EXPECT_EQ(form.LBEncoding->text().toStdString(), "文字コード: utf-8（自動: UTF-8判定）");
  EXPECT_EQ(form.FRDXFGrid->DXFGrid->Cell(2, 11).toStdString(), "éven");
  const std::string saved = files.Path() + "/saved.dxf";
  m.dialogs.saveAnswers = {saved};
  form.BTSaveClick();
  EXPECT_NE(ReadBytes(saved).find("\r\n\xC3\xA9ven\r\n"), std::string::npos);  // bytes kept
}

TEST(TFMMain, SettingsComeBackAtTheNextStart) {
  Main m({kSample});
  m.form->move(30, 40);
  m.form->resize(800, 600);
  m.form->FRDXFGrid->SetColWidth(0, 70);
  m.form->Settings.UseDxfout = true;
  m.form->Settings.UseWblock = false;
  for (int i = 0; i < 30; ++i) m.Find(("t" + std::to_string(i)).c_str());
  m.form->close();
  const std::string ini = ReadBytes(m.dir.Path() + "/viewer.ini");
  EXPECT_NE(ini.find("dxfout=1\r\nwblock=0\r\n"), std::string::npos);
  EXPECT_NE(ini.find("20=T9\r\n"), std::string::npos);
  EXPECT_EQ(ini.find("21="), std::string::npos);
  m.Start();
  TFMMain& form = *m.form;
  EXPECT_EQ(form.geometry().size(), QSize(800, 600));
  EXPECT_EQ(form.pos(), QPoint(30, 40));
  EXPECT_EQ(form.FRDXFGrid->GetColWidth(0), 70);
  EXPECT_EQ(form.Settings.LastPath, kSample);
  EXPECT_TRUE(form.Settings.UseDxfout);
  EXPECT_EQ(form.CBFind->count(), 21);
  EXPECT_EQ(form.CBFind->itemText(0).toStdString(), "T29");
  EXPECT_EQ(form.CBFind->currentText().toStdString(), "T29");
}

TEST(TFMMain, UnwritableSettingsAreReportedOnceAndTheWindowStillCloses) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows finds the blocked folder unwritable and keeps the settings in the "
                  "configuration folder instead";
#endif
  Main m;
  const std::string blocker = m.dir.Write("blocker", "x");
  m.Start({}, "Viewer", blocker + "/viewer");
  EXPECT_TRUE(m.form->close());
  ASSERT_EQ(m.dialogs.messages.size(), 1u);
  EXPECT_EQ(Utf8(m.dialogs.messages[0]), blocker + "/viewer.ini に書き込めません");
  EXPECT_FALSE(m.form->isVisible());
}

TEST(TFMMain, UnsavedEditsAreMarkedAndAskedAbout) {
  Main m({kSample});
  TFMMain& form = *m.form;
  form.FRDXFGrid->SetRow(2);
  m.TypeValue("HEAD");
  EXPECT_TRUE(form.IsModified());
  EXPECT_EQ(form.windowTitle().toStdString().back(), '*');
  m.dialogs.answers = {Dialogs::Answer::Cancel};
  EXPECT_FALSE(form.close());
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(Utf8(m.dialogs.questions.back()), "変更を保存しますか？");
  m.dialogs.answers = {Dialogs::Answer::No};  // another file: the edits are discarded
  EXPECT_TRUE(form.LoadDxfFile(kSample));
  EXPECT_FALSE(form.IsModified());
  EXPECT_EQ(form.Doc().Buffer().GetValue(1), "HEADER");
  form.FRDXFGrid->SetRow(2);
  m.TypeValue("HEAD");
  const std::string saved = m.dir.Path() + "/saved.dxf";
  m.dialogs.answers = {Dialogs::Answer::Yes};
  m.dialogs.saveAnswers = {saved};
  EXPECT_TRUE(form.close());
  EXPECT_EQ(m.dialogs.questions.size(), 3u);
  TDXFBuffer reread;
  ASSERT_EQ(reread.LoadFromFile(saved), 0);
  EXPECT_EQ(reread.GetValue(1), "HEAD");
}

TEST(TFMMain, KeyboardShortcuts) {
  Main m({kSample});
  TFMMain& form = *m.form;
  form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  QTest::keyClick(&form, Qt::Key_F, Qt::ControlModifier);
  EXPECT_TRUE(form.CBFind->lineEdit()->hasFocus());
  QTest::keyClicks(form.CBFind->lineEdit(), "layer");
  // Enter goes to the widget with the focus, as the window system delivers it.
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  EXPECT_EQ(form.FRDXFGrid->CurrentIndex(), 152);
  QTest::keyClick(&form, Qt::Key_F3);
  EXPECT_EQ(form.FRDXFGrid->CurrentIndex(), 157);
  // The tabs turn wherever the focus is, the grid's page keys included, and wrap round.
  const struct {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
    int tab;
  } turns[] = {{Qt::Key_PageDown, Qt::ControlModifier, 1},
               {Qt::Key_Tab, Qt::ControlModifier, 2},
               {Qt::Key_PageUp, Qt::ControlModifier, 1},
               {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, 0},
               {Qt::Key_PageUp, Qt::ControlModifier, 5}};
  form.FRDXFGrid->DXFGrid->setFocus();
  for (const auto& turn : turns) {
    QTest::keyClick(QApplication::focusWidget(), turn.key, turn.modifiers);
    EXPECT_EQ(form.PCSGData->currentIndex(), turn.tab) << turn.key;
  }
  EXPECT_EQ(form.FRDXFGrid->CurrentIndex(), 157);  // no page moved
  QTest::keyClick(&form, Qt::Key_Q, Qt::ControlModifier);
  EXPECT_FALSE(form.isVisible());
}

TEST(TFMMain, FollowsAPointerAndGoesBackAndForthWithTheKeyboard) {
  Main m({kSample});
  TFMMain& form = *m.form;
  form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  QWidget* grid = form.FRDXFGrid->DXFGrid;
  const auto back = [&] { QTest::keyClick(&form, Qt::Key_Left, Qt::AltModifier); };
  const auto forward = [&] { QTest::keyClick(&form, Qt::Key_Right, Qt::AltModifier); };
  const auto goTo = [&](const char* typed) {
    m.dialogs.texts.push_back(typed);
    QTest::keyClick(&form, Qt::Key_G, Qt::ControlModifier);
  };
  const struct {
    std::function<void()> action;
    int pair;  // under the cursor afterwards
  } steps[] = {
      {[&] { m.ClickSection("+-OBJECTS"); }, 601},
      {[&] { m.Find("GROUP"); }, 629},
      {[&] { goTo("1307"); }, 653},  // a group's member pointer "0042"
      {[&] { QTest::keyClick(grid, Qt::Key_Return, Qt::ControlModifier); }, 462},  // CIRCLE 42
      {back, 653},
      {back, 629},
      {forward, 653},
      {[&] { goTo("h2a"); }, 305},  // a jump drops the places ahead
      {forward, 305},
      {back, 653},
      {back, 629},
      {back, 601},
      {back, 0},
      {back, 0},
  };
  for (std::size_t k = 0; k < std::size(steps); ++k) {
    steps[k].action();
    EXPECT_EQ(form.FRDXFGrid->CurrentIndex(), steps[k].pair) << "step " << k;
  }
  EXPECT_EQ(m.dialogs.beeps, 2) << "nothing ahead after the jump, nothing behind the start";
  EXPECT_TRUE(m.dialogs.messages.empty());
}

TEST(TFMMain, RefusedJumpsExplainThemselves) {
  Main m({kSample});
  TFMMain& form = *m.form;
  m.dialogs.texts = {"FFFF", std::nullopt, "9999"};
  form.GoToLineOrHandle();
  form.GoToLineOrHandle();  // cancelled
  form.GoToLineOrHandle();
  form.JumpToLine(309);  // the LAYER table's owner pointer: 0
  form.FollowPointer();
  form.JumpToLine(307);  // its handle, no pointer
  form.FollowPointer();
  std::vector<std::string> messages;
  for (const std::string& text : m.dialogs.messages) messages.push_back(Utf8(text));
  EXPECT_EQ(messages, (std::vector<std::string>{
                          "ハンドル FFFF のレコードはありません",
                          "9999 行はありません（最終行は 1312 行です）",
                          "ハンドル 0 はどのレコードも指しません",
                          "参照先へ移動できるのは、ハンドルを指すグループコード（330～369、"
                          "390～399、480、481）の行です"}));
  EXPECT_EQ(form.FRDXFGrid->CurrentIndex(), PairOfLine(307));
}

TEST(TFMMain, MarksDanglingPointersAfterTheLoadAndAgainAfterAnEdit) {
  Main m;
  const std::string path =
      m.dir.Write("d.dxf", DxfText({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "5", "1A", "330",
                                    "2B", "0", "ENDSEC", "0", "EOF"}));
  ASSERT_TRUE(m.form->LoadDxfFile(path));
  StringGrid& grid = *m.form->FRDXFGrid->DXFGrid;
  const auto valueColour = [&grid] {  // of pair 4, the 330 pointer, in row 5
    return grid.grab().toImage().pixelColor(grid.CellRect(2, 5).topLeft() + QPoint(1, 1));
  };
  QApplication::processEvents();  // the index is built between paints
  EXPECT_EQ(valueColour(), QColor(255, 224, 224));
  m.form->FRDXFGrid->SetRow(4);  // the LINE takes the handle the pointer names
  m.TypeValue("2B");
  QApplication::processEvents();
  EXPECT_EQ(valueColour(), QColor(255, 255, 255)) << "the edit made the index anew";
}

TEST(TFMMain, ChecksTheDrawingIntoThePanelAndJumpsFromItsLines) {
  const std::string broken =
      DxfText({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "5", "1A", "330", "2B", "0", "LINE",
               "5", "01A", "0", "ENDSEC", "0", "EOF"});
  Main m;
  const std::string path = m.dir.Write("broken.dxf", broken);
  ASSERT_TRUE(m.form->LoadDxfFile(path));
  TFMMain& form = *m.form;
  form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  QTest::keyClick(&form, Qt::Key_F7);
  const std::vector<std::string> log = m.Log();
  ASSERT_GE(log.size(), 5u);
  EXPECT_EQ(
      std::vector<std::string>(log.end() - 5, log.end()),
      (std::vector<std::string>{
          "", "＜図面の検査＞" + path, "　9 行：参照先のハンドル 2B がありません",
          "　11 行：ハンドル 1A は 5 行のレコードと重複しています", "　問題が 2 件あります"}));
  QTextCursor line(form.MsgBox->document()->findBlockByNumber(form.MsgBox->LineCount() - 2));
  form.MsgBox->setTextCursor(line);
  QTest::keyClick(form.MsgBox, Qt::Key_Return);
  EXPECT_EQ(form.FRDXFGrid->CurrentIndex(), PairOfLine(11));
  line = QTextCursor(form.MsgBox->document()->findBlockByNumber(form.MsgBox->LineCount() - 3));
  QTest::mouseDClick(form.MsgBox->viewport(), Qt::LeftButton, {},
                     form.MsgBox->cursorRect(line).center());
  EXPECT_EQ(form.FRDXFGrid->CurrentIndex(), PairOfLine(9));
  EXPECT_EQ(m.Log().size(), log.size()) << "choosing a line types nothing into the panel";
}

// The editor's grid menu repairs after its question, as one step the grid and the undo
// follow; a No changes nothing, and the viewer has no such entry.
TEST(TFMMain, RepairsFromTheEditorsGridMenuAfterItsQuestion) {
  const std::string broken = DxfText({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "5", "1A", "0",
                                      "LINE", "5", "1A", "0", "ENDSEC"});
  const auto repairEntry = [](TFMMain& form, QMenu& menu) {
    form.FillGridMenu(menu);
    for (QAction* action : menu.actions())
      if (action->text().toStdString() == "図面の修復...") return action;
    return static_cast<QAction*>(nullptr);
  };
  {
    Main viewer({kSample});
    QMenu menu;
    EXPECT_EQ(repairEntry(*viewer.form, menu), nullptr);
  }
  Main m({}, "Editor");
  const std::string path = m.dir.Write("broken.dxf", broken);
  ASSERT_TRUE(m.form->LoadDxfFile(path));
  QMenu menu;
  QAction* repair = repairEntry(*m.form, menu);
  ASSERT_NE(repair, nullptr);
  repair->trigger();  // answered No
  ASSERT_EQ(m.dialogs.questions.size(), 1u);
  EXPECT_EQ(Utf8(m.dialogs.questions[0]),
            "次の 2 件を修復します。よろしいですか？\r"
            "　修復：　9 行：ハンドル 1A を 1B に変えました（5 行のレコードと重複）\r"
            "　修復：　15 行：EOF を入れました（図面の最後）\r");
  EXPECT_FALSE(m.form->Edits().CanUndo());
  m.dialogs.answers = {ScriptedDialogs::Answer::Yes};
  repair->trigger();
  EXPECT_EQ(Utf8(m.form->Edits().UndoName()), "図面の修復 2 件");
  const std::vector<std::string> log = m.Log();
  ASSERT_GE(log.size(), 4u);
  EXPECT_EQ(
      std::vector<std::string>(log.end() - 4, log.end()),
      (std::vector<std::string>{
          "＜図面の修復＞", "修復：　9 行：ハンドル 1A を 1B に変えました（5 行のレコードと重複）",
          "修復：　15 行：EOF を入れました（図面の最後）",
          "図面を修復しました：修復 2 件、修復できない問題 0 件"}));
  EXPECT_EQ(m.Cell(2, 8), "EOF") << "the grid shows the pair put in";
  EXPECT_EQ(m.Cell(2, 6), "1B");
}

TEST(TFMMain, GridMenuListsTheReferrersOfARecord) {
  Main m({kSample});
  TFMMain& form = *m.form;
  form.JumpToLine(311);  // inside the LAYER table's head, handle 2
  QMenu menu;
  form.FillGridMenu(menu);
  const auto entry = [&menu](const std::string& caption) {
    for (QAction* action : menu.actions())
      if (action->text().toStdString() == caption) return action;
    return static_cast<QAction*>(nullptr);
  };
  ASSERT_NE(entry("参照元一覧"), nullptr);
  EXPECT_FALSE(entry("元に戻す")->isEnabled()) << "nothing changed yet";
  EXPECT_FALSE(entry("やり直し")->isEnabled());
  EXPECT_FALSE(entry("参照先へ移動")->isEnabled()) << "no pointer under the cursor";
  EXPECT_TRUE(entry("図面の検査")->isEnabled());
  entry("参照元一覧")->trigger();
  const std::vector<std::string> log = m.Log();
  EXPECT_EQ(std::vector<std::string>(log.end() - 7, log.end() - 5),
            (std::vector<std::string>{"", "＜参照元一覧＞ハンドル 2（303 行の TABLE）"}));
  EXPECT_EQ(log.back(), "　407 行：LAYER のグループコード 330");
}

namespace {

// The main window on a simulated desktop, in front of a stand-in AutoCAD when asked.
struct WithAutoCAD : Main {
  static constexpr std::uint32_t kThread = 0x101;
  SimulatedDesktop desktop;
  std::optional<StandInAutoCAD> autocad;

  explicit WithAutoCAD(bool running) : Main() {
    desktop.SetCallerThread(kThread);
    const HWnd program = desktop.AddTopLevel("Qt6QWindowIcon", "VU Quillet Viewer", 0x100, kThread);
    if (running) autocad.emplace(desktop);
    desktop.SetForeground(program);
    Start({kSample}, "Viewer", "", &desktop);
  }
  std::pair<bool, bool> Buttons() {
    form->repaint();  // the probe runs at every repaint
    return {form->BTACADRead->isEnabled(), form->BTErrorJump->isEnabled()};
  }
};

}  // namespace

TEST(TFMMain, PaintProbeEnablesTheAutoCADButtons) {
  EXPECT_EQ(WithAutoCAD(false).Buttons(), std::make_pair(false, false));
  WithAutoCAD m(true);
  EXPECT_EQ(m.Buttons(), std::make_pair(true, false));
  m.autocad->ShowInvalidDxfMessage(330, 7);
  EXPECT_EQ(m.Buttons(), std::make_pair(false, true));
}

TEST(TFMMain, ReadFromAutoCADLoadsTheExportedDrawing) {
  WithAutoCAD m(true);
  m.form->BTACADRead->click();
  const std::string exported = m.dir.Path() + "/viewer_tmp.DXF";
  EXPECT_EQ(m.autocad->WrittenFiles(), std::vector<std::string>{exported});
  EXPECT_EQ(m.form->Doc().Buffer().FileName, exported);
  EXPECT_EQ(m.Log().back(), "＜開く＞" + exported);
  EXPECT_TRUE(m.dialogs.messages.empty());
}

TEST(TFMMain, ReadFromAutoCADAsksAboutEditsUnderTheDrawingsOwnName) {
  WithAutoCAD m(true);
  m.form->FRDXFGrid->SetRow(2);
  m.TypeValue("HEAD");
  m.dialogs.answers = {Dialogs::Answer::Cancel};
  m.form->BTACADRead->click();
  EXPECT_EQ(m.form->Doc().Buffer().FileName, kSample);
  EXPECT_TRUE(m.form->IsModified());
  EXPECT_TRUE(m.autocad->Received().empty());

  const std::string saved = m.dir.Path() + "/saved.dxf";
  m.dialogs.answers = {Dialogs::Answer::Yes};
  m.dialogs.saveAnswers = {saved};
  m.form->BTACADRead->click();
  ASSERT_EQ(m.dialogs.saveRequests.size(), 1u);
  EXPECT_EQ(m.dialogs.saveRequests[0].fileName, "sample.dxf");
  EXPECT_EQ(ReadBytes(saved).find("  0\r\nSECTION\r\n  2\r\nHEAD\r\n"), 0u);  // the edit
  EXPECT_EQ(m.form->Doc().Buffer().FileName, m.dir.Path() + "/viewer_tmp.DXF");
  EXPECT_EQ(m.dialogs.questions.size(), 2u);
}

TEST(TFMMain, ErrorJumpOpensTheFailedFileAtItsLine) {
  WithAutoCAD m(true);
  const std::string failed = m.dir.Write("failed.dxf", ReadBytes(kSample));
  m.autocad->SetTitle("AutoCAD 2006 - [" + failed + "]");
  m.autocad->ShowInvalidDxfMessage(330, 55);
  ASSERT_EQ(m.Buttons(), std::make_pair(false, true));
  m.form->BTErrorJump->click();
  EXPECT_EQ(m.form->Doc().Buffer().FileName, failed);
  EXPECT_EQ(m.form->FRDXFGrid->CurrentIndex(), 27);  // line 55 is the value of pair 27
}

TEST(TFMMain, SectionListClickJumpsToTheEntryClickedWhileTheGridHasTheFocus) {
  Main m({kSample});
  TFMMain& form = *m.form;
  form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  ASSERT_TRUE(form.FRDXFGrid->DXFGrid->hasFocus());
  for (int i = 0; i < 4; ++i) QTest::keyClick(form.FRDXFGrid->DXFGrid, Qt::Key_PageDown);
  ASSERT_EQ(m.SectionEntry(), "| +-LTYPE");
  const auto items = form.ListBox_line->findItems(QStringLiteral("+-ENTITIES"), Qt::MatchExactly);
  ASSERT_EQ(items.size(), 1);
  const QPoint at = form.ListBox_line->visualItemRect(items.front()).center();
  QTest::mousePress(form.ListBox_line->viewport(), Qt::LeftButton, {}, at);
  QApplication::processEvents();  // the grid repaints as it loses the focus
  QTest::mouseRelease(form.ListBox_line->viewport(), Qt::LeftButton, {}, at);
  EXPECT_EQ(form.FRDXFGrid->TopIndex(), 436);
  EXPECT_EQ(m.SectionEntry(), "+-ENTITIES");
}

namespace {

// Opens the grid's editor on the value of pair 1 with text typed and not yet committed.
QLineEdit* TypeWithoutEnter(Main& m, const char* text) {
  m.form->activateWindow();
  EXPECT_TRUE(QTest::qWaitForWindowActive(m.form.get()));
  m.form->FRDXFGrid->SetRow(2);
  QTest::keyClicks(m.form->FRDXFGrid->DXFGrid, text);
  auto* editor = m.form->FRDXFGrid->DXFGrid->findChild<QLineEdit*>();
  EXPECT_TRUE(editor->isVisible());
  return editor;
}

}  // namespace

TEST(TFMMain, OpenEditsAreCommittedBeforeTheUnsavedQuestion) {
  const struct {
    const char* path;
    std::function<void(Main&, QLineEdit*)> act;
  } cases[] = {
      {"Ctrl+Q", [](Main&, QLineEdit* e) { QTest::keyClick(e, Qt::Key_Q, Qt::ControlModifier); }},
      {"close box", [](Main& m, QLineEdit*) { m.form->close(); }},
      {"drop", [](Main& m, QLineEdit*) { m.form->DropFiles({m.dir.Write("d.dxf", kOneLine)}); }},
      {"command", [](Main& m, QLineEdit*) { m.form->LoadDxfFile(m.dir.Write("d.dxf", kOneLine)); }},
  };
  for (const auto& c : cases) {
    Main m({kSample});
    QLineEdit* editor = TypeWithoutEnter(m, "HEAD");
    m.dialogs.answers = {Dialogs::Answer::Cancel};
    c.act(m, editor);
    EXPECT_EQ(m.dialogs.questions, std::vector<std::string>{Sjis("変更を保存しますか？")})
        << c.path;
    EXPECT_TRUE(m.form->isVisible()) << c.path;
    EXPECT_EQ(m.form->Doc().Buffer().FileName, kSample) << c.path;
    EXPECT_EQ(m.form->Doc().Buffer().GetValue(1), "HEAD") << c.path;
    EXPECT_FALSE(editor->isVisible()) << c.path;
  }
}

TEST(TFMMain, DiscardedEditNeverReachesTheNextDocument) {
  Main m({kSample});
  TypeWithoutEnter(m, "HEAD");
  m.dialogs.answers = {Dialogs::Answer::No};
  const std::string other = m.dir.Write("other.dxf", ReadBytes(kSample));
  ASSERT_TRUE(m.form->LoadDxfFile(other));
  QApplication::processEvents();
  EXPECT_EQ(m.form->Doc().Buffer().FileName, other);
  EXPECT_EQ(m.form->Doc().Buffer().GetValue(1), "HEADER");
  EXPECT_FALSE(m.form->IsModified());
}

TEST(TFMMain, BufferOutlivesTheGridsThatWriteIntoIt) {
  Main m({kSample});
  TypeWithoutEnter(m, "HEAD");
  std::string seen;
  const Document& document = m.form->Doc();  // read once the window's own part is gone
  QObject::connect(m.form->FRDXFGrid, &QObject::destroyed,
                   [&document, &seen] { seen = document.Buffer().GetValue(1); });
  m.form.reset();
  EXPECT_EQ(seen.substr(0, 4), "HEAD");
}

TEST(TFMMain, RefusedOpenEditIsReportedBeforeTheWindowCloses) {
  Main m({kSample});
  m.form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(m.form.get()));
  m.form->FRDXFGrid->SetCol(1);
  QTest::keyClicks(m.form->FRDXFGrid->DXFGrid, "99999999999");  // beyond 32 bits
  EXPECT_TRUE(m.form->close());
  EXPECT_EQ(m.dialogs.messages,
            std::vector<std::string>{Sjis("グループコードは数値でなければなりません")});
  EXPECT_TRUE(m.dialogs.questions.empty());
  EXPECT_EQ(m.form->Doc().Buffer().GetCode(0), 0);
}

TEST(TFMMain, SaveAsAsksBeforeOverwritingAnotherFile) {
  Main m({kSample});
  const std::string other = m.dir.Write("other.dxf", "keep me");
  m.dialogs.saveAnswers = {other, ""};
  m.dialogs.answers = {Dialogs::Answer::No};
  m.form->BTSaveClick();
  EXPECT_EQ(m.dialogs.questions, std::vector<std::string>{OverwriteQuestion(other)});
  EXPECT_EQ(ReadBytes(other), "keep me");
  EXPECT_EQ(m.dialogs.saveRequests.size(), 2u);  // the dialog came back, then was cancelled
}

TEST(TFMMain, TabGoesRoundTheLeftPanelAndTheGrid) {
  Main m({kSample});
  TFMMain& form = *m.form;
  form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  ASSERT_TRUE(form.FRDXFGrid->DXFGrid->hasFocus());
  // The AutoCAD buttons are off without AutoCAD: passed over.
  const std::vector<std::pair<Qt::Key, QWidget*>> steps = {
      {Qt::Key_Tab, form.BTOpen},           {Qt::Key_Tab, form.BTSave},
      {Qt::Key_Tab, form.CBFind},           {Qt::Key_Tab, form.BTFind},
      {Qt::Key_Tab, form.BTOption},         {Qt::Key_Tab, form.BTEnd},
      {Qt::Key_Tab, form.ListBox_line},     {Qt::Key_Tab, form.FRDXFGrid->DXFGrid},
      {Qt::Key_Backtab, form.ListBox_line}, {Qt::Key_Backtab, form.BTEnd},
      {Qt::Key_Tab, form.ListBox_line},     {Qt::Key_Tab, form.FRDXFGrid->DXFGrid},
      {Qt::Key_Tab, form.BTOpen},           {Qt::Key_Backtab, form.FRDXFGrid->DXFGrid}};
  for (const auto& [key, expected] : steps) {
    QTest::keyClick(QApplication::focusWidget(), key);
    const QWidget* focus = QApplication::focusWidget();
    EXPECT_TRUE(focus == expected || expected->isAncestorOf(focus))
        << expected->metaObject()->className();
  }
  // The section list answers the arrow keys and Enter.
  form.ListBox_line->setFocus();
  form.ListBox_line->setCurrentRow(0);
  for (int i = 0; i < 7; ++i) QTest::keyClick(form.ListBox_line, Qt::Key_Down);
  EXPECT_EQ(m.SectionEntry(), "| +-LAYER");
  QTest::keyClick(form.ListBox_line, Qt::Key_Return);
  EXPECT_EQ(form.FRDXFGrid->TopIndex(), 151);
  EXPECT_TRUE(form.FRDXFGrid->DXFGrid->hasFocus());
}

TEST(TFMMain, GridMenuOffersTheKeyboardsCommands) {
  Main m({kSample});
  QMenu menu;
  m.form->FillGridMenu(menu);
  std::vector<std::string> entries;
  for (const QAction* action : menu.actions())
    if (!action->isSeparator())
      entries.push_back(action->text().toStdString() + " " +
                        action->shortcut().toString(QKeySequence::PortableText).toStdString());
  EXPECT_EQ(entries, (std::vector<std::string>{
                         "元に戻す Ctrl+Z", "やり直し Ctrl+Y", "コピー Ctrl+C", "次を検索 F3",
                         "前を検索 Shift+F3", "行へ移動... Ctrl+G", "先頭へ Ctrl+Home",
                         "末尾へ Ctrl+End", "参照先へ移動 Ctrl+Enter", "参照元一覧 ",
                         "図面の検査 F7", "比較... Ctrl+D", "図面の表示 F8"}));
  m.dialogs.texts = {std::string("55")};
  menu.actions()[7]->trigger();  // 行へ移動
  EXPECT_EQ(m.form->FRDXFGrid->CurrentIndex(), 27);
  menu.actions()[10]->trigger();  // 末尾へ
  EXPECT_EQ(m.form->FRDXFGrid->CurrentIndex(), 655);
}

TEST(TFMMain, RecentFilesAreRememberedAndComeBackAtTheNextStart) {
  Main m({kSample});
  const std::string small = m.dir.Write("small.dxf", kOneLine);
  m.form->DropFiles({small});
  m.form->LoadDxfFile(m.dir.Path() + "/missing.dxf");  // a failed load is not remembered
  EXPECT_EQ(m.form->Settings.RecentFiles, (std::vector<std::string>{small, kSample}));
  m.form->OpenRecentFile(kSample);
  EXPECT_EQ(m.form->Doc().Buffer().FileName, kSample);
  EXPECT_EQ(m.form->Settings.LastPath, kSample);
  m.form->close();
  m.Start();
  EXPECT_EQ(m.form->Settings.RecentFiles, (std::vector<std::string>{kSample, small}));
}

TEST(TFMMain, ToolTabSelectsItsDefaultsOnceAndKeepsTheUsersChoice) {
  Main m({}, "Editor");
  TFMMain& form = *m.form;
  EXPECT_EQ(form.TSTool->findChild<QComboBox*>("CBToolValidDigit")->currentIndex(),
            -1);  // nothing until the tab is shown
  std::vector<QComboBox*> boxes = ShowToolTab(m);
  EXPECT_EQ(Selections(boxes), (std::vector<int>{0, 3, 2, 4}));
  EXPECT_EQ(boxes[0]->count(), 7);
  EXPECT_EQ(boxes[1]->itemText(15).toStdString(), "0.000000000000000X(15)");
  EXPECT_EQ(form.TSTool->findChild<QPushButton*>("BTPosReSnap")->text().toStdString(),
            "半端座標／寸法／角度の四捨五入　実行");
  boxes[0]->setCurrentIndex(6);
  boxes[3]->setCurrentIndex(-1);
  form.PCSGData->setCurrentWidget(form.TSDXFData);
  ShowToolTab(m);
  EXPECT_EQ(Selections(boxes), (std::vector<int>{6, 3, 2, 4}));
}

TEST(TFMMain, ToolButtonSnapsMarksModifiedAndReports) {
  Main m({kSample}, "Editor");
  TFMMain& form = *m.form;
  form.JumpToLine(921);  // 2999.9999999 on line 922
  ShowToolTab(m);
  form.TSTool->findChild<QPushButton*>("BTPosReSnap")->click();
  EXPECT_EQ(m.dialogs.beeps, 1);
  EXPECT_EQ(m.dialogs.messages.size(), 1u);
  EXPECT_EQ(Utf8(m.dialogs.messages.back()), "端数の丸め：2行、四捨五入しました。");
  const std::vector<std::string> log = m.Log();
  EXPECT_EQ(std::vector<std::string>(log.end() - 4, log.end()),
            (std::vector<std::string>{"", "端数の丸め：2行、四捨五入しました。",
                                      "　座標/距離　0単位　0.000X(3)桁",
                                      "　角度　　　 0.1単位　0.0000X(4)桁"}));
  EXPECT_EQ(form.Doc().Buffer().GetValue(460), "3000.0");
  EXPECT_EQ(ShownValue(m, 921), "3000.0");
  EXPECT_TRUE(form.IsModified());
  EXPECT_EQ(form.windowTitle().toStdString().back(), '*');
}

TEST(TFMMain, ToolWithBothPassesSkippedReportsZeroAndChangesNothing) {
  Main m({kSample}, "Editor");
  TFMMain& form = *m.form;
  const std::vector<QComboBox*> boxes = ShowToolTab(m);
  boxes[0]->setCurrentIndex(6);
  boxes[2]->setCurrentIndex(6);
  form.TSTool->findChild<QPushButton*>("BTPosReSnap")->click();
  EXPECT_EQ(m.dialogs.beeps, 1);
  EXPECT_EQ(Utf8(m.dialogs.messages.back()), "端数の丸め：0行、四捨五入しました。");
  EXPECT_EQ(m.Log().back(), "　角度　　　 補正しない単位　0.0000X(4)桁");
  EXPECT_EQ(form.Doc().Buffer().GetValue(460), "2999.9999999");
  EXPECT_FALSE(form.IsModified());
}

TEST(TFMMain, ToolStopsAtANonNumberAndSaysWhatItChanged) {
  Main m({}, "Editor");
  TFMMain& form = *m.form;
  const std::string path =
      m.dir.Write("bad.dxf", DxfText({"0", "SECTION", "2", "ENTITIES", "0", "LINE", "10",
                                      "1.0000001", "20", "1,5", "0", "ENDSEC", "0", "EOF"}));
  ShowToolTab(m);
  form.TSTool->findChild<QPushButton*>("BTPosReSnap")->click();  // no drawing: nothing happens
  EXPECT_EQ(m.dialogs.beeps + m.dialogs.messages.size(), 0u);
  ASSERT_TRUE(form.LoadDxfFile(path));
  ShowToolTab(m);
  form.TSTool->findChild<QPushButton*>("BTPosReSnap")->click();
  EXPECT_EQ(m.dialogs.beeps, 0);
  ASSERT_EQ(m.dialogs.messages.size(), 1u);
  EXPECT_EQ(Utf8(m.dialogs.messages[0]), "'1,5' は浮動小数点数ではありません");
  EXPECT_EQ(m.Log().back(), "端数の丸め：中断しました。それまでに1行を四捨五入しています。");
  EXPECT_EQ(form.Doc().Buffer().GetValue(3), "1.0");
  EXPECT_TRUE(form.IsModified());
}
