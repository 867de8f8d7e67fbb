// GroupListTab.cpp - the "ｸﾞﾙｰﾌﾟ一覧" tab: the groups of the group dictionary.
#include "ui/tabs/GroupListTab.h"

#include <algorithm>  // std::max

#include <QLabel>
#include <QSplitter>
#include <QVBoxLayout>

#include "model/buffer/RecordWalk.h"
#include "ui/tabs/ListTab_p.h"

namespace {

constexpr int kLabelPanelHeight = 23;
constexpr int kLabelHeight = 16;
constexpr int kGroupGridMinimumHeight = 50;
constexpr int kGroupSplitterWidth = 5;
constexpr int kMemberPanelMinimumHeight = 60;

}  // namespace

GroupListTab::GroupListTab(const Document& document, Dialogs& dialogs, QWidget* parent)
    : ListTab(document, dialogs, parent) {
  setObjectName(QStringLiteral("TSGroupList"));
  QWidget* panel = NewLabelPanel(kLabelPanelHeight);
  LBGroup = NewLabel(panel, "LBGroup", "DICTIONARY : ", 4);
  SGGroupList = NewListGrid(ListGrid::Group, "SGGroupList");
  SGGroupList->setMinimumHeight(kGroupGridMinimumHeight);
  PNGroupMember = Named(new QWidget, "PNGroupMember");
  PNGroupMember->setMinimumHeight(kMemberPanelMinimumHeight);
  LBGroupMember = Named(new QLabel(QStringLiteral("　グループメンバー一覧")), "LBGroupMember");
  LBGroupMember->setFixedHeight(kLabelHeight);
  SGGroupMember = NewListGrid(ListGrid::GroupMember, "SGGroupMember");
  QVBoxLayout* memberLayout = TightLayout(PNGroupMember);
  memberLayout->addWidget(LBGroupMember);
  memberLayout->addWidget(SGGroupMember, 1);
  SPGroupList = Named(new QSplitter(Qt::Vertical), "SPGroupList");
  SPGroupList->setHandleWidth(kGroupSplitterWidth);
  SPGroupList->setChildrenCollapsible(false);
  SPGroupList->addWidget(SGGroupList);
  SPGroupList->addWidget(PNGroupMember);
  SPGroupList->setStretchFactor(1, 1);
  QVBoxLayout* layout = TightLayout(this);
  layout->addWidget(panel);
  layout->addWidget(SPGroupList, 1);
  SGGroupList->OnSelectCell = [this](int, int row) {
    SGGroupListSelectCell(row);
    return true;
  };
  HookRowJumps(*SGGroupList);
  HookRowJumps(*SGGroupMember);
  HookLabelJump(LBGroup);
  HookLabelJump(LBGroupMember, LBGroup);
}

void GroupListTab::MarkStale() {
  ListTab::MarkStale();
  m_groups = TDXFGroupTable();
}

// A list that failed shows no groups, and no member is shown from its table half read.
void GroupListTab::TSGroupListShow() {
  if (IsFilled()) return;
  SetListLabel(LBGroup, {"DICTIONARY : NON", LineOfPair(0)});
  SetupGridColumns(*SGGroupList, ListGrid::Group);
  SetupGridColumns(*SGGroupMember, ListGrid::GroupMember);
  ShowRows(*SGGroupMember, {});
  const Result<ListContent> list = BuildGroupList(Doc().Buffer(), m_groups);
  if (!list.Ok()) m_groups = TDXFGroupTable();
  const std::vector<ListRow> noRows;
  ShowRows(*SGGroupList, list.Ok() ? list.value().rows : noRows);
  FitGroupGridHeight();
  if (!list.Ok()) {
    MarkFilled();
    return Messages().ShowMessage(IncompleteListMessage(list.error().message));
  }
  if (!list.value().filled) return;
  MarkFilled();
  SetListLabel(LBGroup, list.value().labels[0]);
  SGGroupListSelectCell(1);
}

// The group grid shows all its rows, at most half the tab; the members get the rest.
void GroupListTab::FitGroupGridHeight() {
  const int rows =
      GroupGridHeight(SGGroupList->RowCount(), SGGroupList->DefaultRowHeight(), height());
  SPGroupList->setSizes({rows, std::max(0, SPGroupList->height() - rows)});
}

// The member grid follows the group selected in the upper grid.
void GroupListTab::SGGroupListSelectCell(int row) {
  if (row < 1) return;
  const std::size_t k = static_cast<std::size_t>(row - 1);
  const std::vector<TDXFGroup>& groups = m_groups.Groups;
  const std::vector<ListRow> members =
      k < groups.size() ? BuildGroupMemberRows(Doc().Buffer(), groups[k]) : std::vector<ListRow>();
  ShowRows(*SGGroupMember, members);
  SGGroupMember->FocusCell(1, 1);
}
