// BlockListTab.cpp - the "ﾌﾞﾛｯｸ定義一覧" tab: the block definitions of BLOCKS.
#include "ui/tabs/BlockListTab.h"

#include <QVBoxLayout>

#include "ui/tabs/ListTab_p.h"

// The block list's widths come with the grid; its show writes only the headers.
BlockListTab::BlockListTab(Document& document, Dialogs& dialogs, const ProgramValues& values,
                           QWidget* parent)
    : NameListTab(NameKind::Block, document, dialogs, values, parent) {
  setObjectName(QStringLiteral("TSBlockList"));
  SGBlockList = NewListGrid(ListGrid::Block, "SGBlockList");
  const std::vector<ListColumn>& columns = ListColumns(ListGrid::Block);
  for (std::size_t c = 0; c < columns.size(); ++c)
    SGBlockList->SetColWidth(static_cast<int>(c), columns[c].width);
  TightLayout(this)->addWidget(SGBlockList);
  SGBlockList->OnMouseWheel = [this](bool up) {
    SGBlockList->SelectCell(SGBlockList->Col(),
                            BlockListWheelRow(SGBlockList->Row(), up, SGBlockList->RowCount()));
  };
  HookNameEdit(*SGBlockList);
  HookRowJumps(*SGBlockList);
}

void BlockListTab::TSBlockListShow() {
  if (IsFilled()) return;
  WriteHeaders(*SGBlockList, ListGrid::Block);
  ShowNameList(BuildBlockList(Doc().Buffer()));
}
