// ListTab.cpp - what the five list tabs share: the jumps from rows and labels, the
// incomplete list, and the grid and layout helpers of ListTab_p.h.
#include "ui/tabs/ListTab.h"

#include <algorithm>   // std::max
#include <functional>  // std::function
#include <optional>    // std::optional
#include <utility>     // std::move

#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include "ui/QtText.h"
#include "ui/tabs/ListTab_p.h"

namespace {

constexpr int kGridFontPixels = 12;
constexpr int kRowHeight = 15;
constexpr int kLabelLeft = 8;
constexpr int kLabelWidth = 600;
constexpr int kLabelHeight = 16;
constexpr int kJumpColumn = 1;  // the line-number column every list jumps from
constexpr int kByBlock = 0;
constexpr int kByLayer = 256;

// Calls a handler when the widget it watches is double-clicked (labels have no signal).
class DoubleClickHook : public QObject {
 public:
  DoubleClickHook(QObject* watched, std::function<void()> handler)
      : QObject(watched), m_handler(std::move(handler)) {
    watched->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::MouseButtonDblClick) return false;
    m_handler();
    return true;
  }

 private:
  std::function<void()> m_handler;
};

}  // namespace

// ------------------------------------------------------------------ the tab

ListTab::ListTab(const Document& document, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), m_document(document), m_dialogs(dialogs) {}

void ListTab::HookRowJumps(StringGrid& grid) {
  connect(&grid, &StringGrid::DoubleClicked, this, [this, &grid] { JumpFromRow(grid); });
  connect(&grid, &StringGrid::Resized, this, [&grid] { FitGridColumns(grid); });
}

void ListTab::HookLabelJump(QLabel* label, QLabel* lineOf) {
  const QLabel* target = lineOf ? lineOf : label;
  new DoubleClickHook(label, [this, target] { emit JumpRequested(m_labelLines[target]); });
}

void ListTab::SetListLabel(QLabel* label, const ListLabel& content) {
  label->setText(FromCp932(content.text));
  m_labelLines[label] = content.jumpLine;
}

void ListTab::ShowIncompleteList(StringGrid& grid, const Error& error) {
  ShowRows(grid, {});
  m_dialogs.ShowMessage(IncompleteListMessage(error.message));
}

void ListTab::JumpFromRow(const StringGrid& grid) {
  const std::optional<long long> line = JumpLineOfCell(ToCp932(grid.Cell(kJumpColumn, grid.Row())));
  if (line) emit JumpRequested(*line);
}

// ------------------------------------------------------------------ layout

StringGrid* NewListGrid(ListGrid which, const char* name) {
  auto* grid = Named(new StringGrid, name);
  grid->setFont(JapaneseFont(kGridFontPixels));
  grid->SetDefaultRowHeight(kRowHeight);
  grid->SetColCount(static_cast<int>(ListColumns(which).size()));
  // The captions are written when a list is first shown; column 0, the row number, has none.
  QStringList names;
  for (const ListColumn& column : ListColumns(which)) names.push_back(FromCp932(column.header));
  names[0] = QStringLiteral("番号");
  grid->SetColumnNames(std::move(names));
  grid->SetRowCount(2);
  grid->SetVerticalScrolling(true);
  return grid;
}

QLabel* NewLabel(QWidget* panel, const char* name, const char* caption, int top) {
  auto* label = Named(new QLabel(QString::fromUtf8(caption), panel), name);
  label->setGeometry(kLabelLeft, top, kLabelWidth, kLabelHeight);
  return label;
}

QWidget* NewLabelPanel(int height) {
  auto* panel = new QWidget;
  panel->setFixedHeight(height);
  return panel;
}

QVBoxLayout* TightLayout(QWidget* owner) {
  auto* layout = new QVBoxLayout(owner);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  return layout;
}

void StackPanelOverGrid(QWidget* tab, QWidget* panel, StringGrid* grid) {
  QVBoxLayout* layout = TightLayout(tab);
  layout->addWidget(panel);
  layout->addWidget(grid, 1);
}

// ------------------------------------------------------------------ columns and rows

static std::vector<int> ColWidths(const StringGrid& grid) {
  std::vector<int> widths;
  for (int c = 0; c < grid.ColCount(); ++c) widths.push_back(grid.ColWidth(c));
  return widths;
}

static void ApplyColWidths(StringGrid& grid, const std::vector<int>& widths) {
  for (std::size_t c = 0; c < widths.size(); ++c) grid.SetColWidth(static_cast<int>(c), widths[c]);
}

void SetupGridColumns(StringGrid& grid, ListGrid which) {
  std::vector<int> widths = ColWidths(grid);
  std::vector<std::string> headers;
  for (int c = 0; c < grid.ColCount(); ++c) headers.push_back(ToCp932(grid.Cell(c, 0)));
  SetupColumns(widths, headers, ListColumns(which), grid.ClientWidth(),
               StringGrid::GridLineWidth());
  if (grid.ColCount() < static_cast<int>(widths.size()))
    grid.SetColCount(static_cast<int>(widths.size()));
  ApplyColWidths(grid, widths);
  for (std::size_t c = 0; c < headers.size(); ++c)
    grid.SetCell(static_cast<int>(c), 0, FromCp932(headers[c]));
}

void WriteHeaders(StringGrid& grid, ListGrid which) {
  const std::vector<ListColumn>& columns = ListColumns(which);
  for (std::size_t c = 0; c < columns.size(); ++c)
    grid.SetCell(static_cast<int>(c), 0, FromCp932(columns[c].header));
}

void FitGridColumns(StringGrid& grid) {
  std::vector<int> widths = ColWidths(grid);
  FitColumns(widths, grid.ClientWidth());
  ApplyColWidths(grid, widths);
}

void ShowRows(StringGrid& grid, const std::vector<ListRow>& rows) {
  grid.SetRowCount(1);
  grid.SetRowCount(std::max(2, static_cast<int>(rows.size()) + 1));
  for (std::size_t r = 0; r < rows.size(); ++r)
    for (std::size_t c = 0; c < rows[r].size() && c < static_cast<std::size_t>(grid.ColCount());
         ++c)
      grid.SetCell(static_cast<int>(c), static_cast<int>(r) + 1, FromCp932(rows[r][c]));
  grid.FocusCell(grid.Col(), 1);
  grid.SetTopRow(1);
  FitGridColumns(grid);
}

// ------------------------------------------------------------------ colour samples

QColor FromColorRef(int value) {
  return {value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF};
}

int SwatchSide(const QRect& cell) {
  return cell.height() - 2 * kSwatchInset;
}

void PaintSwatch(QPainter& painter, const QRect& square, const QColor& color, int aci) {
  painter.fillRect(square, color);
  painter.setPen(Qt::black);
  painter.drawRect(square.adjusted(0, 0, -1, -1));
  if (aci != kByBlock && aci != kByLayer) return;
  painter.drawLine(square.topLeft(), square.bottomRight());
  painter.drawLine(square.topRight(), square.bottomLeft());
}
