// GroupListTab.h - the "ｸﾞﾙｰﾌﾟ一覧" tab: the groups of the group dictionary.
//
// The upper grid has one row per group (its line, name, member count, description) under
// the DICTIONARY label; the lower one the members of the group selected above, each
// resolved to the record that carries its handle. Double-clicks jump to the line a row
// or a label names. Read-only. Built once per change of the drawing (its filled flag,
// GroupListFilled).
#pragma once

#include "ui/tabs/ListTab.h"

class QSplitter;

class GroupListTab : public ListTab {
  Q_OBJECT

 public:
  GroupListTab(const Document& document, Dialogs& dialogs, QWidget* parent = nullptr);

  void ShowList() override { TSGroupListShow(); }
  void MarkStale() override;
  /// Fills the group list unless it is filled for the drawing on show.
  void TSGroupListShow();
  /// Shows the members of the group in a row of the group grid.
  void SGGroupListSelectCell(int row);

 private:
  void FitGroupGridHeight();

  QLabel* LBGroup;
  StringGrid* SGGroupList;
  QSplitter* SPGroupList;
  QWidget* PNGroupMember;
  QLabel* LBGroupMember;
  StringGrid* SGGroupMember;
  TDXFGroupTable m_groups;  // the table the rows were built from; the member grid reads it
};
