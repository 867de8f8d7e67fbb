// PurgeDialogTest.cpp - "未使用の削除" offscreen, opened from the editor's main window.
#include "ui/PurgeDialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>

#include "model/text/Sjis.h"
#include "tests/support/MainWindowFixture.h"
#include "ui/QtText.h"

namespace {

using Texts = std::vector<std::string>;

const std::string kPurgeDrawing = SourcePath("tests/data/purge.dxf");

// The editor's window on tests/data/purge.dxf, the list opened from the tool tab.
struct Opened : MainWindowFixture {
  PurgeDialog* dialog = nullptr;

  explicit Opened(const std::string& drawing = kPurgeDrawing) {
    Start({drawing}, "Editor");
    form->PCSGData->setCurrentWidget(form->TSTool);
    form->TSTool->findChild<QPushButton*>("BTPurge")->click();
    dialog = form->findChild<PurgeDialog*>();
  }
  QTreeWidget& Tree() const { return *dialog->findChild<QTreeWidget*>("TVPurgeList"); }
  std::string Summary() const {
    return dialog->findChild<QLabel*>("LBPurgeSummary")->text().toStdString();
  }
  QTreeWidgetItem* Row(const char* name) const {
    const QList<QTreeWidgetItem*> found =
        Tree().findItems(QString::fromUtf8(name), Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.front();
  }
  // The entries' rows that show no tick.
  Texts Unticked() const {
    Texts names;
    for (QTreeWidgetItemIterator it(&Tree()); *it; ++it)
      if ((*it)->parent() && (*it)->checkState(0) == Qt::Unchecked)
        names.push_back((*it)->text(0).toStdString() + ((*it)->isDisabled() ? " (grey)" : ""));
    return names;
  }
  std::string LastLog() const {
    return form->MsgBox->toPlainText().split(QLatin1Char('\n')).last().toStdString();
  }
};

TEST(PurgeDialog, ListsWhatNothingUsesByTableWithItsLines) {
  Opened o;
  ASSERT_NE(o.dialog, nullptr);
  EXPECT_TRUE(o.dialog->isVisible());
  Texts tables;
  for (int t = 0; t < o.Tree().topLevelItemCount(); ++t)
    tables.push_back(o.Tree().topLevelItem(t)->text(0).toStdString());
  EXPECT_EQ(tables, (Texts{"画層", "線種", "文字スタイル", "寸法スタイル", "ブロック",
                           "登録アプリケーション"}));
  QTreeWidgetItem* layers = o.Tree().topLevelItem(0);
  ASSERT_EQ(layers->childCount(), 2);
  EXPECT_EQ(layers->child(0)->text(0).toStdString(), "UNUSED_LAYER");
  EXPECT_EQ(layers->child(0)->text(1).toStdString(), "1425 行");
  EXPECT_EQ(o.Summary(), "削除する定義：12 件");
  EXPECT_TRUE(o.Unticked().empty());
  o.Tree().setCurrentItem(o.Row("OUTER"));
  emit o.Tree().itemActivated(o.Row("OUTER"), 0);
  EXPECT_EQ(o.form->FRDXFGrid->CurrentIndex(), 1240) << "line 2481";
}

TEST(PurgeDialog, KeepsWhatAnUntickedEntryUsesAndTakesTheRestOutAsOneStep) {
  Opened o;
  ASSERT_NE(o.dialog, nullptr);
  o.Row("OUTER")->setCheckState(0, Qt::Unchecked);
  EXPECT_EQ(o.Unticked(),
            (Texts{"INNER_LAYER (grey)", "INNER_LT (grey)", "INNER (grey)", "OUTER"}));
  EXPECT_EQ(o.Summary(), "削除する定義：8 件");
  o.Row("OUTER")->setCheckState(0, Qt::Checked);
  EXPECT_TRUE(o.Unticked().empty()) << "the greyed entries take their ticks back";
  o.Row("OUTER")->setCheckState(0, Qt::Unchecked);
  o.Row("UNUSED_APP")->setCheckState(0, Qt::Unchecked);
  o.dialog->findChild<QPushButton*>("BTPurgeRemove")->click();
  QApplication::processEvents();
  EXPECT_EQ(o.form->findChild<PurgeDialog*>(), nullptr) << "the window went";
  EXPECT_EQ(o.LastLog(), "未使用の定義を 7 件削除しました　19402 バイト → 17664 バイト");
  EXPECT_TRUE(o.form->IsModified());
  EXPECT_EQ(Utf8(o.form->Edits().UndoName()), "未使用の削除 7 件");
  o.form->UndoChange();
  EXPECT_FALSE(o.form->IsModified());
}

TEST(PurgeDialog, TheGridMenuOffersItAndADrawingWithNothingUnusedSaysSo) {
  const TempDir files;
  Opened o(files.Write("one-line.dxf", kOneLine));
  EXPECT_EQ(o.dialog, nullptr);
  ASSERT_EQ(o.dialogs.messages.size(), 1u);
  EXPECT_EQ(Utf8(o.dialogs.messages[0]), "未使用の定義はありません");
  QMenu menu;
  o.form->FillGridMenu(menu);
  QAction* purge = nullptr;
  for (QAction* action : menu.actions())
    if (action->text().toStdString() == "未使用の削除...") purge = action;
  ASSERT_NE(purge, nullptr);
  EXPECT_TRUE(purge->isEnabled());
}

}  // namespace
