// PurgeDialog.h - the "未使用の削除" window: what nothing uses, to untick before it goes.
//
// The window lists a PurgeList by table (画層, 線種, 文字スタイル, 寸法スタイル, ブロック,
// 登録アプリケーション), one ticked row per definition with its line. Unticking a
// definition keeps it, and with it what it uses: those rows are greyed and unticked until
// it is ticked again (PurgeList::Removable). "削除" asks the main window to take the
// ticked ones out (Document::Purge); a double-click on a row shows its line in the grid.
// The window changes nothing itself. Every control carries its name as its object name
// (TVPurgeList, LBPurgeSummary, BTPurgeRemove, BTPurgeCancel).
#pragma once

#include <vector>  // std::vector

#include <QDialog>

#include "logic/purge/UnusedDefinitions.h"
#include "model/buffer/MyDXFClass.h"

class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

class PurgeDialog : public QDialog {
  Q_OBJECT

 public:
  /// Lists the entries of list, found in buffer (whose encoding decodes the names), all
  /// ticked, as a window of its own over parent.
  PurgeDialog(const TDXFBuffer& buffer, PurgeList list, QWidget* parent);

  const PurgeList& List() const { return m_list; }
  /// Returns for each entry whether "削除" takes it out: ticked, and used by no entry
  /// that stays.
  std::vector<bool> Chosen() const;

 signals:
  /// "削除" was clicked with these entries chosen.
  void PurgeRequested(const std::vector<bool>& chosen);
  /// The user asks to see pair `pair` in the grid.
  void JumpRequested(int pair);

 private:
  void FillTree(const TDXFBuffer& buffer);
  void TakeTick(QTreeWidgetItem* item);
  void ShowTicks();
  void ActivateItem(QTreeWidgetItem* item);

  PurgeList m_list;
  std::vector<bool> m_ticked;             // the user's ticks, by entry
  std::vector<QTreeWidgetItem*> m_items;  // by entry
  bool m_showing = false;                 // ShowTicks is setting the items' states
  QTreeWidget* TVPurgeList;
  QLabel* LBPurgeSummary;
  QPushButton* BTPurgeRemove;
  QPushButton* BTPurgeCancel;
};
