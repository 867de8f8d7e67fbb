// CompareList.cpp - the compare window: the list of differences and the other drawing.
//
// The table is a thin model over CompareRows: it copies no cell and asks for the texts of
// the rows on screen only, so a list of a million differences opens as fast as one of ten.
#include "ui/CompareList.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

#include "model/text/MyStringLib.h"  // Format
#include "model/text/Sjis.h"
#include "ui/QtText.h"
#include "ui/VuFrameDXFGrid.h"

// The table's window onto the rows.
class CompareTableModel : public QAbstractTableModel {
 public:
  explicit CompareTableModel(QObject* parent) : QAbstractTableModel(parent) {}

  /// Shows rows (not owned; null for none), or the same rows after a change of filter.
  void SetRows(const CompareRows* rows) {
    beginResetModel();
    m_rows = rows;
    endResetModel();
  }

  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() || !m_rows ? 0 : m_rows->RowCount();
  }
  int columnCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : kCompareColumns;
  }

  QVariant data(const QModelIndex& index, int role) const override {
    if (!m_rows || !index.isValid() || index.row() >= m_rows->RowCount()) return {};
    const auto column = static_cast<CompareColumn>(index.column());
    const bool isLine = column == CompareColumn::Line || column == CompareColumn::OtherLine;
    switch (role) {
      case Qt::DisplayRole:
        return WithoutControls(FromCp932(m_rows->Cell(index.row(), column)),
                               /*keepLineFeeds=*/false);
      case Qt::ToolTipRole:
        if (column != CompareColumn::Pairs) return {};
        return WithoutControls(FromCp932(m_rows->PairLines(index.row())), /*keepLineFeeds=*/true);
      case Qt::TextAlignmentRole:
        return isLine ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
      default:
        return {};
    }
  }

  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return FromCp932(CompareColumnCaption(static_cast<CompareColumn>(section)));
  }

 private:
  const CompareRows* m_rows = nullptr;
};

namespace {

// Initial widths of the columns in pixels; the last one takes the rest. The list and the
// other drawing's grid share the window's height 3 : 2 at first.
constexpr int kColumnWidths[] = {50, 120, 120, 80, 80};
constexpr int kListHeight = 330, kOtherGridHeight = 220;

QString Text(const char* utf8) {
  return FromCp932(Sjis(utf8));
}

QComboBox* FilterBox(const char* name, QWidget* parent) {
  auto* box = new QComboBox(parent);
  box->setObjectName(QString::fromLatin1(name));
  box->addItem(Text("すべて"));
  return box;
}

}  // namespace

CompareList::CompareList(const TDXFBuffer& shown, std::unique_ptr<TDXFBuffer> other,
                         Dialogs& dialogs, MessageLog& log, QWidget* parent)
    : QWidget(parent, Qt::Window),
      m_shown(shown),
      m_other(std::make_unique<Document>()),
      m_dialogs(dialogs) {
  (void)m_other->Adopt(std::move(*other));  // a fresh document: nothing to follow
  setObjectName(QStringLiteral("FMCompare"));
  setWindowTitle(Text("比較 - ") + FromNativePath(Other().FileName));
  if (parent) setFont(parent->font());
  resize(980, 640);
  auto* layout = new QVBoxLayout(this);
  m_otherName =
      new QLabel(Text("比較先: ") + FromNativePath(Other().FileName) + QStringLiteral("  (") +
                     QString::fromLatin1(EncodingName(Other().Encoding)) + QStringLiteral(")"),
                 this);
  m_otherName->setObjectName(QStringLiteral("LBCompareFile"));
  layout->addWidget(m_otherName);
  layout->addWidget(CreateFilterBar());
  m_stale =
      new QLabel(Text("表示中の図面が変更されました。「再比較」で比べ直してください。"), this);
  m_stale->setObjectName(QStringLiteral("LBCompareStale"));
  m_stale->setStyleSheet(QStringLiteral("color: red"));
  m_stale->hide();
  layout->addWidget(m_stale);

  auto* splitter = new QSplitter(Qt::Vertical, this);
  m_model = new CompareTableModel(this);
  m_table = new QTableView(splitter);
  m_table->setObjectName(QStringLiteral("SGCompareList"));
  m_table->setModel(m_model);
  m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
  m_table->setSelectionMode(QAbstractItemView::SingleSelection);
  m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  m_table->verticalHeader()->hide();
  m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 4);
  m_table->horizontalHeader()->setStretchLastSection(true);
  for (int c = 0; c < static_cast<int>(std::size(kColumnWidths)); ++c)
    m_table->setColumnWidth(c, kColumnWidths[c]);
  m_otherGrid = new TFrameDXFGrid(dialogs, log, splitter);
  m_otherGrid->setObjectName(QStringLiteral("FRCompareGrid"));
  m_otherGrid->SetReadOnly(true);
  m_otherGrid->SetDocument(m_other.get());
  splitter->setSizes({kListHeight, kOtherGridHeight});
  layout->addWidget(splitter, 1);
  m_summary = new QLabel(this);
  m_summary->setObjectName(QStringLiteral("LBCompareSummary"));
  layout->addWidget(m_summary);

  connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) { ShowOtherRecord(current); });
  connect(m_table, &QTableView::activated, this, &CompareList::ActivateRow);
  Recompare();
}

// The children go after the members: the table and the grid stop reading them first.
CompareList::~CompareList() {
  m_model->SetRows(nullptr);
  m_otherGrid->SetDocument(nullptr);
}

QWidget* CompareList::CreateFilterBar() {
  auto* bar = new QWidget(this);
  auto* row = new QHBoxLayout(bar);
  row->setContentsMargins(0, 0, 0, 0);
  m_kind = FilterBox("CBCompareKind", bar);
  for (const ChangeKind kind : {ChangeKind::Changed, ChangeKind::Removed, ChangeKind::Added})
    m_kind->addItem(FromCp932(ChangeKindText(kind)));
  m_section = FilterBox("CBCompareSection", bar);
  for (int s = 0; s <= static_cast<int>(RecordSection::Other); ++s)
    m_section->addItem(FromCp932(SectionText(static_cast<RecordSection>(s))));
  m_type = FilterBox("CBCompareType", bar);
  m_type->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  m_ignoreNewHandles = new QCheckBox(Text("新しいオブジェクトのハンドルを無視"), bar);
  m_ignoreNewHandles->setObjectName(QStringLiteral("CKIgnoreNewHandles"));
  m_exactNumbers = new QCheckBox(Text("数値を文字列で比較"), bar);
  m_exactNumbers->setObjectName(QStringLiteral("CKExactNumbers"));
  m_again = new QPushButton(Text("再比較"), bar);
  m_again->setObjectName(QStringLiteral("BTCompareAgain"));
  const auto label = [&](const char* text) { row->addWidget(new QLabel(Text(text), bar)); };
  label("区分");
  row->addWidget(m_kind);
  label("セクション");
  row->addWidget(m_section);
  label("種類");
  row->addWidget(m_type);
  row->addWidget(m_ignoreNewHandles);
  row->addWidget(m_exactNumbers);
  row->addStretch(1);
  row->addWidget(m_again);
  for (QComboBox* box : {m_kind, m_section, m_type})
    connect(box, &QComboBox::currentIndexChanged, this, &CompareList::ApplyFilter);
  for (QCheckBox* box : {m_ignoreNewHandles, m_exactNumbers})
    connect(box, &QCheckBox::toggled, this, &CompareList::Recompare);
  connect(m_again, &QPushButton::clicked, this, &CompareList::Recompare);
  return bar;
}

void CompareList::MarkStale() {
  m_stale->show();
  m_table->setEnabled(false);
}

void CompareList::Recompare() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  CompareOptions options;
  options.exactNumbers = m_exactNumbers->isChecked();
  options.ignoreNewHandles = m_ignoreNewHandles->isChecked();
  m_model->SetRows(nullptr);
  m_rows =
      std::make_unique<CompareRows>(m_shown, Other(), CompareDrawings(m_shown, Other(), options));
  FillTypeFilter();
  m_model->SetRows(m_rows.get());
  ApplyFilter();
  m_stale->hide();
  m_table->setEnabled(true);
  QApplication::restoreOverrideCursor();
}

// Offers the types of the changes, keeping the one chosen where it is still there.
void CompareList::FillTypeFilter() {
  const QString chosen = m_type->currentIndex() > 0 ? m_type->currentText() : QString();
  const QSignalBlocker quiet(m_type);
  while (m_type->count() > 1) m_type->removeItem(1);
  for (const std::string& type : m_rows->Types())
    m_type->addItem(FromCp932(type), QByteArray::fromStdString(type));
  m_type->setCurrentIndex(std::max(0, m_type->findText(chosen)));
}

void CompareList::ApplyFilter() {
  CompareFilter filter;
  if (m_kind->currentIndex() > 0) filter.kind = static_cast<ChangeKind>(m_kind->currentIndex() - 1);
  if (m_section->currentIndex() > 0)
    filter.section = static_cast<RecordSection>(m_section->currentIndex() - 1);
  if (m_type->currentIndex() > 0) filter.type = m_type->currentData().toByteArray().toStdString();
  m_rows->Filter(filter);
  m_model->SetRows(m_rows.get());
  UpdateSummary();
}

void CompareList::UpdateSummary() {
  const std::vector<int> counts = m_rows->KindCounts();
  if (counts[0] + counts[1] + counts[2] == 0) {
    m_summary->setText(Text("相違はありません"));
    return;
  }
  m_summary->setText(FromCp932(Format(Sjis("変更 %d　削除 %d　追加 %d　（表示 %d 件）").c_str(),
                                      counts[0], counts[1], counts[2], m_rows->RowCount())));
}

// Shows the current row's record of the other drawing in the lower grid.
void CompareList::ShowOtherRecord(const QModelIndex& current) {
  if (!current.isValid() || current.row() >= m_rows->RowCount()) return;
  const int there = m_rows->Change(current.row()).there;
  if (there >= 0) m_otherGrid->ShowPair(there);
}

// A double-click or Enter: the record on show in the main grid; a record only in the
// other drawing has no place there, so the lower grid takes the focus on it instead.
void CompareList::ActivateRow(const QModelIndex& index) {
  if (!index.isValid() || index.row() >= m_rows->RowCount()) return;
  const RecordChange& change = m_rows->Change(index.row());
  if (change.here >= 0) {
    emit JumpRequested(change.here);
    return;
  }
  m_otherGrid->ShowPair(change.there);
  m_otherGrid->DXFGrid->setFocus();
}
