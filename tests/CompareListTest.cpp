// CompareListTest.cpp - the compare window offscreen, opened from the main window.
#include "ui/CompareList.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "model/buffer/RecordWalk.h"
#include "model/text/Sjis.h"
#include "tests/support/MainWindowFixture.h"
#include "ui/QtText.h"
#include "ui/VuFrameDXFGrid.h"

namespace {

// The drawing on show: a LINE (line 5, its colour at line 9) and a CIRCLE (line 13).
const std::string kHere =
    DxfText({"0", "SECTION", "2", "ENTITIES", "0",  "LINE", "5", "1A",     "62", "1",  "10", "0.0",
             "0", "CIRCLE",  "5", "1B",       "40", "2.0",  "0", "ENDSEC", "0",  "EOF"});
// The other: the LINE red -> green and written 0.000000, the CIRCLE gone, an ARC (line 13).
const std::string kThere = DxfText({"0",  "SECTION", "2",  "ENTITIES", "0", "LINE", "5", "1A",
                                    "62", "3",       "10", "0.000000", "0", "ARC",  "5", "1C",
                                    "40", "1.0",     "0",  "ENDSEC",   "0", "EOF"});

struct Compared : MainWindowFixture {
  CompareList* list = nullptr;

  Compared() {
    Start({dir.Write("here.dxf", kHere)});
    dialogs.openAnswers = {dir.Write("there.dxf", kThere)};
    form->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QTest::keyClick(form.get(), Qt::Key_D, Qt::ControlModifier);
    list = form->findChild<CompareList*>();
  }
  template <typename Widget>
  Widget* Child(const char* name) const {
    return list->findChild<Widget*>(QString::fromLatin1(name));
  }
  std::vector<std::string> Column(int column) const {
    const QAbstractItemModel* model = Child<QTableView>("SGCompareList")->model();
    std::vector<std::string> cells;
    for (int r = 0; r < model->rowCount(); ++r)
      cells.push_back(model->index(r, column).data().toString().toStdString());
    return cells;
  }
};

using Cells = std::vector<std::string>;

TEST(CompareList, ListsTheDifferencesAndFiltersThem) {
  Compared c;
  ASSERT_NE(c.list, nullptr);
  EXPECT_TRUE(c.list->isVisible());
  EXPECT_EQ(c.Column(0), (Cells{"変更", "削除", "追加"}));
  EXPECT_EQ(c.Column(5), (Cells{"62: 1 → 3", "", ""}));
  EXPECT_EQ(c.Child<QLabel>("LBCompareSummary")->text().toStdString(),
            "変更 1　削除 1　追加 1　（表示 3 件）");
  c.Child<QComboBox>("CBCompareKind")->setCurrentIndex(3);  // 追加
  EXPECT_EQ(c.Column(1), (Cells{"ARC"}));
  c.Child<QComboBox>("CBCompareKind")->setCurrentIndex(0);
  QComboBox* types = c.Child<QComboBox>("CBCompareType");
  types->setCurrentIndex(types->findText(QStringLiteral("CIRCLE")));
  EXPECT_EQ(c.Column(0), (Cells{"削除"}));
  types->setCurrentIndex(0);
  c.Child<QCheckBox>("CKExactNumbers")->setChecked(true);
  EXPECT_EQ(c.Column(5), (Cells{"62: 1 → 3; 10: 0.0 → 0.000000", "", ""}));
}

TEST(CompareList, JumpsToTheRecordHereAndShowsTheOneThere) {
  Compared c;
  ASSERT_NE(c.list, nullptr);
  QTableView* table = c.Child<QTableView>("SGCompareList");
  TFrameDXFGrid* other = c.Child<TFrameDXFGrid>("FRCompareGrid");
  table->setCurrentIndex(table->model()->index(2, 0));  // the ARC, only there
  EXPECT_EQ(other->CurrentIndex(), PairOfLine(13));
  table->setCurrentIndex(table->model()->index(1, 0));  // the CIRCLE, only here
  emit table->activated(table->currentIndex());
  EXPECT_EQ(c.form->FRDXFGrid->CurrentIndex(), PairOfLine(13));
  // The other drawing is only shown: typing into its grid edits nothing.
  other->DXFGrid->setFocus();
  QTest::keyClicks(other->DXFGrid, "7");
  EXPECT_EQ(other->DXFGrid->findChild<QLineEdit*>()->isVisible(), false);
}

TEST(CompareList, GreysTheListWhenTheDrawingOnShowChanges) {
  Compared c;
  ASSERT_NE(c.list, nullptr);
  QTableView* table = c.Child<QTableView>("SGCompareList");
  c.form->FRDXFGrid->ShowPair(PairOfLine(9));  // the LINE's colour
  QTest::keyClicks(c.form->FRDXFGrid->DXFGrid, "3");
  QTest::keyClick(c.form->FRDXFGrid->DXFGrid->findChild<QLineEdit*>(), Qt::Key_Return);
  EXPECT_FALSE(table->isEnabled());
  EXPECT_FALSE(c.Child<QLabel>("LBCompareStale")->isHidden());
  c.Child<QPushButton>("BTCompareAgain")->click();
  EXPECT_TRUE(table->isEnabled());
  EXPECT_EQ(c.Column(0), (Cells{"削除", "追加"}));
  c.form->ChooseDocumentEncoding(TextEncoding::Utf8);  // the texts read otherwise now
  EXPECT_FALSE(table->isEnabled());
}

TEST(CompareList, ReportsAFileThatCannotBeReadAndKeepsTheDocument) {
  MainWindowFixture m;
  m.Start({kSample});
  m.dialogs.openAnswers = {m.dir.Path() + "/missing.dxf"};
  m.form->CompareWithFile();
  EXPECT_EQ(m.form->findChild<CompareList*>(), nullptr);
  ASSERT_FALSE(m.dialogs.messages.empty());
  EXPECT_EQ(
      Utf8(m.dialogs.messages.back())
          .rfind("比較するファイルを読み込めませんでした。別のファイルを選んでください。\n", 0),
      0u)
      << Utf8(m.dialogs.messages.back());
  EXPECT_EQ(m.form->Buffer.FileName, kSample);
  EXPECT_EQ(Utf8(m.dialogs.openRequests.back().caption), "比較するDXFﾌｧｲﾙを開く");
}

}  // namespace
