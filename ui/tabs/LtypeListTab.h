// LtypeListTab.h - the "線種一覧" tab: the linetypes of the LTYPE table.
//
// One row per linetype record: its line, name, pattern length, description and the
// remark on its name; the LTSCALE, CELTSCALE and CELTYPE labels above the grid.
// Double-clicks jump to the line a row or a label names; the editor edition renames a
// linetype in place (NameListTab). Built once per change of the drawing (its filled
// flag, LtypeListFilled).
#pragma once

#include "ui/tabs/NameListTab.h"

class LtypeListTab : public NameListTab {
  Q_OBJECT

 public:
  LtypeListTab(Document& document, Dialogs& dialogs, const ProgramValues& values,
               QWidget* parent = nullptr);

  void ShowList() override { TSLineListShow(); }
  /// Fills the linetype list unless it is filled for the drawing on show.
  void TSLineListShow();
  /// Shows $LTSCALE, $CELTSCALE and $CELTYPE, with their lines, in the three labels.
  void UpdateLtypeLabels();

 protected:
  void UpdateLabels() override { UpdateLtypeLabels(); }

 private:
  QLabel* LBLtscale;
  QLabel* LBCeltscale;
  QLabel* LBCeltype;
  StringGrid* SGLtypeList;
};
