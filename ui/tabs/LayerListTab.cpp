// LayerListTab.cpp - the "画層一覧" tab: the layers of the LAYER table.
#include "ui/tabs/LayerListTab.h"

#include <QLabel>
#include <QPainter>

#include "ui/tabs/ListTab_p.h"

namespace {

constexpr int kLabelPanelHeight = 23;
constexpr int kLayerColorColumn = 3;
constexpr int kLayerSwatchLeft = 4;  // a swatch stands 4 pixels from its cell's left edge

}  // namespace

LayerListTab::LayerListTab(Document& document, Dialogs& dialogs, const ProgramValues& values,
                           QWidget* parent)
    : NameListTab(NameKind::Layer, document, dialogs, values, parent) {
  setObjectName(QStringLiteral("TSLayerList"));
  Panel1 = Named(NewLabelPanel(kLabelPanelHeight), "Panel1");
  LBClayer = NewLabel(Panel1, "LBClayer", "CLAYER : ", 4);
  SGLayerList = NewListGrid(ListGrid::Layer, "SGLayerList");
  StackPanelOverGrid(this, Panel1, SGLayerList);
  SGLayerList->OnDrawCell = std::bind_front(&LayerListTab::SGLayerListDrawCell, this);
  HookNameEdit(*SGLayerList);
  HookRowJumps(*SGLayerList);
  HookLabelJump(LBClayer);
}

void LayerListTab::MarkStale() {
  NameListTab::MarkStale();
  m_layers = TDXFLayerTable();
}

void LayerListTab::TSLayerListShow() {
  if (IsFilled()) return;
  SetupGridColumns(*SGLayerList, ListGrid::Layer);
  // Before any load the label keeps its caption; a drawing without layers still has its
  // own $CLAYER shown, never the previous drawing's.
  if (Doc().HasDrawing()) UpdateClayerLabel();
  ShowNameList(BuildLayerList(Doc().Buffer(), m_layers));
}

void LayerListTab::UpdateClayerLabel() {
  SetListLabel(LBClayer, ClayerLabel(Doc().Buffer()));
}

// The swatch of a layer's colour over the left of its colour cell, while a file is loaded.
bool LayerListTab::SGLayerListDrawCell(QPainter& painter, int col, int row, const QRect& rect,
                                       StringGrid::DrawState state) {
  const std::size_t k = static_cast<std::size_t>(row - 1);
  const std::vector<TDXFLayer>& layers = m_layers.Layers;
  if (col != kLayerColorColumn || row < 1 || !Doc().HasDrawing() || k >= layers.size())
    return false;
  SGLayerList->DrawDefaultCell(painter, rect, SGLayerList->Cell(col, row), state);
  const TDXFLayer& layer = layers[k];
  const int side = SwatchSide(rect);
  PaintSwatch(painter, {rect.left() + kLayerSwatchLeft, rect.top() + kSwatchInset, side, side},
              FromColorRef(Doc().Buffer().DisplayColor(layer.Color, layer.TrueColor)), layer.Color);
  return true;
}
