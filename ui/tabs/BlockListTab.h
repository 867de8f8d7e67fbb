// BlockListTab.h - the "ﾌﾞﾛｯｸ定義一覧" tab: the block definitions of BLOCKS.
//
// One row per BLOCK record: its line, name, how often INSERT and DIMENSION records
// name it and the remark on its name; no labels. A double-click jumps to the line of a
// row, a wheel step moves the current row by five, and the editor edition renames a
// block in place (NameListTab). Built once per change of the drawing (its filled flag,
// BlockListFilled).
#pragma once

#include "ui/tabs/NameListTab.h"

class BlockListTab : public NameListTab {
  Q_OBJECT

 public:
  BlockListTab(Document& document, Dialogs& dialogs, const ProgramValues& values,
               QWidget* parent = nullptr);

  void ShowList() override { TSBlockListShow(); }
  /// Fills the block list unless it is filled for the drawing on show.
  void TSBlockListShow();

 private:
  StringGrid* SGBlockList;
};
