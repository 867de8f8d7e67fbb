// PurgeDialog.cpp - the "未使用の削除" window.
#include "ui/PurgeDialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "model/buffer/RecordWalk.h"
#include "model/text/DocumentText.h"
#include "model/text/Sjis.h"
#include "ui/QtText.h"

namespace {

constexpr int kNameColumn = 0, kLineColumn = 1;
constexpr int kNameWidth = 320;
const QSize kInitialSize(460, 480);
constexpr int kEntryRole = Qt::UserRole;  // a row's entry index; a table's row has none

QString Text(const char* utf8) {
  return FromCp932(Sjis(utf8));
}

QPushButton* AddButton(QWidget* parent, const char* name, const char* caption) {
  auto* button = new QPushButton(Text(caption), parent);
  button->setObjectName(QString::fromLatin1(name));
  return button;
}

}  // namespace

PurgeDialog::PurgeDialog(const TDXFBuffer& buffer, PurgeList list, QWidget* parent)
    : QDialog(parent), m_list(std::move(list)), m_ticked(m_list.Entries().size(), true) {
  setObjectName(QStringLiteral("FMPurge"));
  setWindowTitle(Text("未使用の削除"));
  setFont(JapaneseFont(13));
  TVPurgeList = new QTreeWidget(this);
  TVPurgeList->setObjectName(QStringLiteral("TVPurgeList"));
  TVPurgeList->setHeaderLabels({Text("名前"), Text("行")});
  TVPurgeList->header()->resizeSection(kNameColumn, kNameWidth);
  LBPurgeSummary = new QLabel(this);
  LBPurgeSummary->setObjectName(QStringLiteral("LBPurgeSummary"));
  BTPurgeRemove = AddButton(this, "BTPurgeRemove", "削除");
  BTPurgeCancel = AddButton(this, "BTPurgeCancel", "キャンセル");
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(LBPurgeSummary, 1);
  buttons->addWidget(BTPurgeRemove);
  buttons->addWidget(BTPurgeCancel);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(TVPurgeList);
  layout->addLayout(buttons);
  resize(kInitialSize);
  FillTree(buffer);
  ShowTicks();
  connect(TVPurgeList, &QTreeWidget::itemChanged, this, &PurgeDialog::TakeTick);
  connect(TVPurgeList, &QTreeWidget::itemActivated, this, &PurgeDialog::ActivateItem);
  connect(BTPurgeRemove, &QPushButton::clicked, this, [this] { emit PurgeRequested(Chosen()); });
  connect(BTPurgeCancel, &QPushButton::clicked, this, &QDialog::reject);
}

// One row per table that has entries, over its entries.
void PurgeDialog::FillTree(const TDXFBuffer& buffer) {
  const std::vector<UnusedDefinition>& entries = m_list.Entries();
  QTreeWidgetItem* table = nullptr;
  for (std::size_t k = 0; k < entries.size(); ++k) {
    const UnusedDefinition& entry = entries[k];
    if (k == 0 || entry.table != entries[k - 1].table) {
      table = new QTreeWidgetItem(TVPurgeList, {FromCp932(PurgeTableCaption(entry.table))});
      table->setFirstColumnSpanned(true);
      table->setExpanded(true);
    }
    auto* item =
        new QTreeWidgetItem(table, {FromCp932(ProgramText(buffer, entry.name)),
                                    QStringLiteral("%1 行").arg(LineOfPair(entry.record))});
    item->setData(kNameColumn, kEntryRole, static_cast<int>(k));
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setTextAlignment(kLineColumn, Qt::AlignRight | Qt::AlignVCenter);
    m_items.push_back(item);
  }
}

std::vector<bool> PurgeDialog::Chosen() const {
  std::vector<bool> kept(m_ticked.size());
  for (std::size_t k = 0; k < kept.size(); ++k) kept[k] = !m_ticked[k];
  return m_list.Removable(kept);
}

void PurgeDialog::TakeTick(QTreeWidgetItem* item) {
  const QVariant entry = item->data(kNameColumn, kEntryRole);
  if (m_showing || !entry.isValid()) return;
  m_ticked[entry.toInt()] = item->checkState(kNameColumn) == Qt::Checked;
  ShowTicks();
}

// A ticked entry that a staying one uses is greyed and shows no tick; its own tick comes
// back when what uses it goes again.
void PurgeDialog::ShowTicks() {
  m_showing = true;
  const std::vector<bool> chosen = Chosen();
  int count = 0;
  for (std::size_t k = 0; k < m_items.size(); ++k) {
    QTreeWidgetItem& item = *m_items[k];
    const bool needed = m_ticked[k] && !chosen[k];
    item.setDisabled(needed);
    item.setToolTip(kNameColumn, needed ? Text("残す定義が使っているので削除しません") : QString());
    item.setCheckState(kNameColumn, chosen[k] ? Qt::Checked : Qt::Unchecked);
    count += chosen[k];
  }
  LBPurgeSummary->setText(QStringLiteral("削除する定義：%1 件").arg(count));
  BTPurgeRemove->setEnabled(count > 0);
  m_showing = false;
}

void PurgeDialog::ActivateItem(QTreeWidgetItem* item) {
  const QVariant entry = item->data(kNameColumn, kEntryRole);
  if (entry.isValid()) emit JumpRequested(m_list.Entries()[entry.toInt()].record);
}
