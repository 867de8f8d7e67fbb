// ColorListTab.h - the "色一覧" tab: the colours the drawing uses, and where.
//
// One row per colour setting found in the LAYER table, in the block definitions and in
// ENTITIES: a painted sample, the ACI number and name, the uses of each part, the RGB
// value and the colour book; the CECOLOR label above the grid, whose double-click jumps
// to $CECOLOR. Read-only. Built once per change of the drawing (its filled flag,
// ColorListFilled).
#pragma once

#include <vector>  // std::vector

#include "ui/tabs/ListTab.h"

class ColorListTab : public ListTab {
  Q_OBJECT

 public:
  ColorListTab(const Document& document, Dialogs& dialogs, QWidget* parent = nullptr);

  void ShowList() override { TSColorListShow(); }
  /// Fills the colour list unless it is filled for the drawing on show.
  void TSColorListShow();

 private:
  bool SGColorListDrawCell(QPainter& painter, int col, int row, const QRect& rect,
                           StringGrid::DrawState state);

  QLabel* LBCecolor;
  StringGrid* SGColorList;
  std::vector<ColorUse> m_colorUses;  // the records the rows show, row k + 1 shows [k]
};
