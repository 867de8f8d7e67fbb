// LtypeListTab.cpp - the "線種一覧" tab: the linetypes of the LTYPE table.
#include "ui/tabs/LtypeListTab.h"

#include <QLabel>

#include "ui/tabs/ListTab_p.h"

namespace {

constexpr int kLabelPanelHeight = 57;  // the three labels, one under the other
constexpr int kLabelTop = 4;
constexpr int kLabelStep = 16;

}  // namespace

LtypeListTab::LtypeListTab(Document& document, Dialogs& dialogs, const ProgramValues& values,
                           QWidget* parent)
    : NameListTab(NameKind::Ltype, document, dialogs, values, parent) {
  setObjectName(QStringLiteral("TSLineList"));
  QWidget* panel = NewLabelPanel(kLabelPanelHeight);
  LBLtscale = NewLabel(panel, "LBLtscale", "LTSCALE   : ", kLabelTop);
  LBCeltscale = NewLabel(panel, "LBCeltscale", "CELTSCALE : ", kLabelTop + kLabelStep);
  LBCeltype = NewLabel(panel, "LBCeltype", "CELTYPE   : ", kLabelTop + 2 * kLabelStep);
  SGLtypeList = NewListGrid(ListGrid::Ltype, "SGLtypeList");
  StackPanelOverGrid(this, panel, SGLtypeList);
  HookNameEdit(*SGLtypeList);
  HookRowJumps(*SGLtypeList);
  for (QLabel* label : {LBLtscale, LBCeltscale, LBCeltype}) HookLabelJump(label);
}

void LtypeListTab::TSLineListShow() {
  if (IsFilled()) return;
  SetupGridColumns(*SGLtypeList, ListGrid::Ltype);
  if (Doc().HasDrawing()) UpdateLtypeLabels();  // as the layer list's label
  ShowNameList(BuildLtypeList(Doc().Buffer()));
}

void LtypeListTab::UpdateLtypeLabels() {
  const std::vector<ListLabel> labels = LtypeLabels(Doc().Buffer());
  SetListLabel(LBLtscale, labels[0]);
  SetListLabel(LBCeltscale, labels[1]);
  SetListLabel(LBCeltype, labels[2]);
}
