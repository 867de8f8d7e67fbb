// MainFormGridMenu.cpp - the DXF grid's right-click menu.
//
// The menu offers what the keyboard does on the grid. FillGridMenu builds it, so every
// command that works on the pair under the cursor adds its entry there.
#include <QMenu>

#include "model/buffer/GroupCodes.h"
#include "ui/MainForm.h"
#include "ui/QtText.h"

void TFMMain::ShowGridMenu(QPoint globalPos) {
  QMenu menu(this);
  FillGridMenu(menu);
  menu.exec(globalPos);
}

// The shortcuts shown beside the entries are the ones the window and the grid answer.
void TFMMain::FillGridMenu(QMenu& menu) {
  const bool loaded = HasDocument();
  const auto add = [&](const char* caption, const QKeySequence& keys, auto handler,
                       bool enabled = true) {
    QAction* action = menu.addAction(QString::fromUtf8(caption), this, handler);
    action->setShortcut(keys);
    action->setEnabled(enabled);
  };
  // The undo and redo entries name the step they would apply.
  QAction* undo = menu.addAction(FromCp932(HistoryMenuText(true, Edits().UndoName())), this,
                                 &TFMMain::UndoChange);
  undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
  undo->setEnabled(Edits().CanUndo());
  QAction* redo = menu.addAction(FromCp932(HistoryMenuText(false, Edits().RedoName())), this,
                                 &TFMMain::RedoChange);
  redo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Y));
  redo->setEnabled(Edits().CanRedo());
  menu.addSeparator();
  add("コピー", QKeySequence::Copy, [this] { FRDXFGrid->CopySelection(); });
  menu.addSeparator();
  add(
      "次を検索", Qt::Key_F3, [this] { BTFindClick(); }, loaded);
  add(
      "前を検索", Qt::SHIFT | Qt::Key_F3, [this] { FindPrevious(); }, loaded);
  add(
      "行へ移動...", Qt::CTRL | Qt::Key_G, [this] { GoToLineOrHandle(); }, loaded);
  menu.addSeparator();
  add("先頭へ", Qt::CTRL | Qt::Key_Home, [this] { FRDXFGrid->ShowFileEnd(/*last=*/false); });
  add("末尾へ", Qt::CTRL | Qt::Key_End, [this] { FRDXFGrid->ShowFileEnd(/*last=*/true); });
  menu.addSeparator();
  const bool onPointer = loaded && IsPointerCode(Doc().Buffer().GetCode(FRDXFGrid->CurrentIndex()));
  add(
      "参照先へ移動", Qt::CTRL | Qt::Key_Enter, [this] { FollowPointer(); }, onPointer);
  add(
      "参照元一覧", QKeySequence(), [this] { ListReferrers(); }, loaded);
  add(
      "図面の検査", Qt::Key_F7, [this] { CheckDrawingStructure(); }, loaded);
  if (TSTool)
    add(
        "図面の修復...", QKeySequence(), [this] { RepairDrawing(); }, loaded);
  add(
      "比較...", Qt::CTRL | Qt::Key_D, [this] { CompareWithFile(); }, loaded);
  if (TSTool)
    add(
        "未使用の削除...", QKeySequence(), [this] { PurgeUnused(); }, loaded);
  add("図面の表示", Qt::Key_F8, [this] { ToggleDrawingView(); });
}
