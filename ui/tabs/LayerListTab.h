// LayerListTab.h - the "画層一覧" tab: the layers of the LAYER table.
//
// One row per layer record: its line, name, colour (with a swatch), linetype and the
// remark on its name; the CLAYER label above the grid. Double-clicks jump to the line a
// row or the label names; the editor edition renames a layer in place (NameListTab).
// Built once per change of the drawing (its filled flag, LayerListFilled).
#pragma once

#include "ui/tabs/NameListTab.h"

class LayerListTab : public NameListTab {
  Q_OBJECT

 public:
  LayerListTab(Document& document, Dialogs& dialogs, const ProgramValues& values,
               QWidget* parent = nullptr);

  void ShowList() override { TSLayerListShow(); }
  void MarkStale() override;
  /// Fills the layer list unless it is filled for the drawing on show.
  void TSLayerListShow();
  /// Shows $CLAYER, with its line, in the label above the grid.
  void UpdateClayerLabel();

 protected:
  void UpdateLabels() override { UpdateClayerLabel(); }

 private:
  bool SGLayerListDrawCell(QPainter& painter, int col, int row, const QRect& rect,
                           StringGrid::DrawState state);

  QWidget* Panel1;
  QLabel* LBClayer;
  StringGrid* SGLayerList;
  TDXFLayerTable m_layers;  // the table the rows were built from; the swatches read it
};
