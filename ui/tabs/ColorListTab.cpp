// ColorListTab.cpp - the "色一覧" tab: the colours the drawing uses, and where.
#include "ui/tabs/ColorListTab.h"

#include <QLabel>
#include <QPainter>

#include "ui/tabs/ListTab_p.h"

namespace {

constexpr int kLabelPanelHeight = 23;
constexpr int kColorSampleColumn = 1;
constexpr int kColorAciColumn = 2;
constexpr int kColorRgbColumn = 6;
constexpr int kTextInset = 2;  // where the grid draws a cell's text
const QColor kGreyText(192, 192, 192);

}  // namespace

// Draws a cell's own text again in grey over its background.
static void DrawGreyText(StringGrid& grid, QPainter& painter, const QRect& rect,
                         const QString& text, StringGrid::DrawState state) {
  grid.DrawDefaultCell(painter, rect, QString(), state);
  painter.setPen(kGreyText);
  painter.drawText(rect.adjusted(kTextInset, kTextInset, 0, 0),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
}

ColorListTab::ColorListTab(const Document& document, Dialogs& dialogs, QWidget* parent)
    : ListTab(document, dialogs, parent) {
  setObjectName(QStringLiteral("TSColorList"));
  QWidget* panel = NewLabelPanel(kLabelPanelHeight);
  LBCecolor = NewLabel(panel, "LBCecolor", "CECOLOR : ", 4);
  SGColorList = NewListGrid(ListGrid::Color, "SGColorList");
  StackPanelOverGrid(this, panel, SGColorList);
  SGColorList->OnDrawCell = std::bind_front(&ColorListTab::SGColorListDrawCell, this);
  connect(SGColorList, &StringGrid::Resized, this, [this] { FitGridColumns(*SGColorList); });
  HookLabelJump(LBCecolor);
}

// The label is written before the counts, so that it is right even when a count fails;
// a $CECOLOR that holds no number leaves it as it was and fails the list.
void ColorListTab::TSColorListShow() {
  if (IsFilled()) return;
  SetupGridColumns(*SGColorList, ListGrid::Color);
  m_colorUses.clear();
  if (Doc().Buffer().PairCount == 0) return ShowRows(*SGColorList, {});
  MarkFilled();
  const Result<ListLabel> label = CecolorLabel(Doc().Buffer());
  if (label.Ok()) SetListLabel(LBCecolor, label.value());
  const Result<ColorList> list = BuildColorList(Doc().Buffer());
  if (!list.Ok()) return ShowIncompleteList(*SGColorList, list.error());
  m_colorUses = list.value().ColorUses;
  ShowRows(*SGColorList, list.value().rows);
}

// The sample of column 1, the greyed ACI number where a true colour overrides it, and the
// greyed RGB of column 6: the book colour's, or the ACI table's for a plain ACI colour.
bool ColorListTab::SGColorListDrawCell(QPainter& painter, int col, int row, const QRect& rect,
                                       StringGrid::DrawState state) {
  const std::size_t k = static_cast<std::size_t>(row - 1);
  if (row < 1 || k >= m_colorUses.size()) return false;
  const ColorUse& use = m_colorUses[k];
  if (col == kColorSampleColumn) {
    SGColorList->DrawDefaultCell(painter, rect, QString(), state);
    const int side = SwatchSide(rect);
    const int left = (rect.left() + rect.left() + rect.width()) / 2 - side / 2;
    PaintSwatch(painter, {left, rect.top() + kSwatchInset, side, side},
                FromColorRef(Doc().Buffer().DisplayColor(use.Aci, use.TrueColor)), use.Aci);
    return true;
  }
  if (col == kColorAciColumn && use.TrueColor >= 0) {
    DrawGreyText(*SGColorList, painter, rect, SGColorList->Cell(col, row), state);
    return true;
  }
  if (col != kColorRgbColumn) return false;
  // A book colour's RGB is greyed; so is the ACI table's RGB of a colour without a true
  // colour, book or not, drawn where the cell holds no text of its own.
  const bool aciRgb = use.TrueColor < 0 && use.Aci >= 1 && use.Aci <= 255;
  if (use.BookName.empty() && !aciRgb) return false;
  QString text = SGColorList->Cell(col, row);
  if (aciRgb) {
    const int table = AciToColor(use.Aci);
    text = QString::asprintf("%d.%d.%d", table & 0xFF, (table >> 8) & 0xFF, table >> 16);
  }
  DrawGreyText(*SGColorList, painter, rect, text, state);
  return true;
}
