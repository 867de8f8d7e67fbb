// MainFormLists.cpp - the main window's list tabs: layers, linetypes, colours, blocks
// and groups.
//
// Each list is built the first time its tab is shown after a load or a change of the
// buffer (its filled flag), by the Qt-free builders of logic/MainFormLists. This file
// lays the tabs out, copies the builders' rows into the grids, paints the colour
// samples, sends double-clicks on rows and labels to the DXF grid and carries the
// in-place name edit of the editor edition through NameEditState. A list whose values
// do not convert is not shown at all: its grid keeps only the header row.
#include <algorithm>   // std::max
#include <functional>  // std::function
#include <optional>    // std::optional
#include <utility>     // std::move

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>

#include "logic/lists/ListRows.h"
#include "model/buffer/RecordWalk.h"
#include "model/text/MyStringLib.h"
#include "ui/MainForm.h"
#include "ui/QtText.h"

namespace {

constexpr int kGridFontPixels = 12;
constexpr int kRowHeight = 15;
constexpr int kLabelPanelHeight = 23;  // the panel above a grid with one label
constexpr int kLtypePanelHeight = 57;  // the panel with the three linetype labels
constexpr int kLabelLeft = 8;
constexpr int kLabelHeight = 16;  // also the distance between the linetype labels
constexpr int kGroupGridMinimumHeight = 50;
constexpr int kGroupSplitterWidth = 5;
constexpr int kMemberPanelMinimumHeight = 60;
constexpr int kJumpColumn = 1;  // the line-number column every list jumps from
constexpr int kLayerColorColumn = 3;
constexpr int kColorSampleColumn = 1;
constexpr int kColorAciColumn = 2;
constexpr int kColorRgbColumn = 6;
constexpr int kSwatchInset = 2;      // a swatch stands 2 pixels inside the cell's top and bottom
constexpr int kLayerSwatchLeft = 4;  // and, in the layer list, 4 pixels from its left edge
constexpr int kTextInset = 2;        // where the grid draws a cell's text
constexpr int kByBlock = 0;
constexpr int kByLayer = 256;
const QColor kGreyText(192, 192, 192);

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

template <typename Widget>
static Widget* Named(Widget* widget, const char* name) {
  widget->setObjectName(QLatin1String(name));
  return widget;
}

// A list grid with the settings all five lists share: its columns, an empty data row,
// the grid face, its own scroll bar; editing stays off until a cell allows it.
static StringGrid* NewListGrid(ListGrid which, const char* name) {
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

static QLabel* NewLabel(QWidget* panel, const char* name, const char* caption, int top) {
  auto* label = Named(new QLabel(QString::fromUtf8(caption), panel), name);
  label->setGeometry(kLabelLeft, top, 600, kLabelHeight);
  return label;
}

static QVBoxLayout* TightLayout(QWidget* owner) {
  auto* layout = new QVBoxLayout(owner);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  return layout;
}

static QWidget* NewLabelPanel(int height) {
  auto* panel = new QWidget;
  panel->setFixedHeight(height);
  return panel;
}

// A tab with its label panel at the top and its grid filling the rest.
static void StackPanelOverGrid(QWidget* tab, QWidget* panel, StringGrid* grid) {
  QVBoxLayout* layout = TightLayout(tab);
  layout->addWidget(panel);
  layout->addWidget(grid, 1);
}

// ------------------------------------------------------------------ grid helpers

static std::vector<int> ColWidths(const StringGrid& grid) {
  std::vector<int> widths;
  for (int c = 0; c < grid.ColCount(); ++c) widths.push_back(grid.ColWidth(c));
  return widths;
}

static void ApplyColWidths(StringGrid& grid, const std::vector<int>& widths) {
  for (std::size_t c = 0; c < widths.size(); ++c) grid.SetColWidth(static_cast<int>(c), widths[c]);
}

// The column set-up: widths and headers of the list's columns.
static void SetupGridColumns(StringGrid& grid, ListGrid which) {
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

static void WriteHeaders(StringGrid& grid, ListGrid which) {
  const std::vector<ListColumn>& columns = ListColumns(which);
  for (std::size_t c = 0; c < columns.size(); ++c)
    grid.SetCell(static_cast<int>(c), 0, FromCp932(columns[c].header));
}

static void FitGridColumns(StringGrid& grid) {
  std::vector<int> widths = ColWidths(grid);
  FitColumns(widths, grid.ClientWidth());
  ApplyColWidths(grid, widths);
}

// Replaces the data rows by `rows` (one empty row when there are none, so no row of an
// earlier list stays) and puts the current cell on row 1 at the top.
static void ShowRows(StringGrid& grid, const std::vector<ListRow>& rows) {
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

// Takes a built list. A value that does not convert leaves nothing to show and the
// message that tells the user so in `failure`.
template <typename List>
static std::optional<List> BuiltOrFailed(Result<List> built, std::string& failure) {
  if (built.Ok()) return std::move(built).value();
  failure = IncompleteListMessage(built.error().message);
  return std::nullopt;
}

// ------------------------------------------------------------------ colour samples

static QColor FromColorRef(int value) {
  return {value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF};
}

// Fills a square with the colour, frames it in black and crosses it for ByBlock/ByLayer.
static void PaintSwatch(QPainter& painter, const QRect& square, const QColor& color, int aci) {
  painter.fillRect(square, color);
  painter.setPen(Qt::black);
  painter.drawRect(square.adjusted(0, 0, -1, -1));
  if (aci != kByBlock && aci != kByLayer) return;
  painter.drawLine(square.topLeft(), square.bottomRight());
  painter.drawLine(square.topRight(), square.bottomLeft());
}

static int SwatchSide(const QRect& cell) {
  return cell.height() - 2 * kSwatchInset;
}

// Draws a cell's own text again in grey over its background.
static void DrawGreyText(StringGrid& grid, QPainter& painter, const QRect& rect,
                         const QString& text, StringGrid::DrawState state) {
  grid.DrawDefaultCell(painter, rect, QString(), state);
  painter.setPen(kGreyText);
  painter.drawText(rect.adjusted(kTextInset, kTextInset, 0, 0),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
}

// ------------------------------------------------------------------ creation

void TFMMain::CreateListTabs() {
  CreateLayerTab();
  CreateLtypeTab();
  CreateColorTab();
  CreateBlockTab();
  CreateGroupTab();
  connect(PCSGData, &QTabWidget::currentChanged, this, &TFMMain::PCSGDataChange);
}

void TFMMain::CreateLayerTab() {
  Panel1 = Named(NewLabelPanel(kLabelPanelHeight), "Panel1");
  LBClayer = NewLabel(Panel1, "LBClayer", "CLAYER : ", 4);
  SGLayerList = NewListGrid(ListGrid::Layer, "SGLayerList");
  StackPanelOverGrid(TSLayerList, Panel1, SGLayerList);
  SGLayerList->OnDrawCell = std::bind_front(&TFMMain::SGLayerListDrawCell, this);
  m_layerNames.grid = SGLayerList;
  m_layerNames.updateLabels = &TFMMain::UpdateClayerLabel;
  HookNameEdit(m_layerNames);
  HookRowJumps(*SGLayerList);
  HookLabelJump(LBClayer);
}

void TFMMain::CreateLtypeTab() {
  QWidget* panel = NewLabelPanel(kLtypePanelHeight);
  LBLtscale = NewLabel(panel, "LBLtscale", "LTSCALE   : ", 4);
  LBCeltscale = NewLabel(panel, "LBCeltscale", "CELTSCALE : ", 4 + kLabelHeight);
  LBCeltype = NewLabel(panel, "LBCeltype", "CELTYPE   : ", 4 + 2 * kLabelHeight);
  SGLtypeList = NewListGrid(ListGrid::Ltype, "SGLtypeList");
  StackPanelOverGrid(TSLineList, panel, SGLtypeList);
  m_ltypeNames.grid = SGLtypeList;
  m_ltypeNames.updateLabels = &TFMMain::UpdateLtypeLabels;
  HookNameEdit(m_ltypeNames);
  HookRowJumps(*SGLtypeList);
  for (QLabel* label : {LBLtscale, LBCeltscale, LBCeltype}) HookLabelJump(label);
}

void TFMMain::CreateColorTab() {
  QWidget* panel = NewLabelPanel(kLabelPanelHeight);
  LBCecolor = NewLabel(panel, "LBCecolor", "CECOLOR : ", 4);
  SGColorList = NewListGrid(ListGrid::Color, "SGColorList");
  StackPanelOverGrid(TSColorList, panel, SGColorList);
  SGColorList->OnDrawCell = std::bind_front(&TFMMain::SGColorListDrawCell, this);
  connect(SGColorList, &StringGrid::Resized, this, [this] { FitGridColumns(*SGColorList); });
  HookLabelJump(LBCecolor);
}

// The block list's widths come with the grid; its show writes only the headers.
void TFMMain::CreateBlockTab() {
  SGBlockList = NewListGrid(ListGrid::Block, "SGBlockList");
  const std::vector<ListColumn>& columns = ListColumns(ListGrid::Block);
  for (std::size_t c = 0; c < columns.size(); ++c)
    SGBlockList->SetColWidth(static_cast<int>(c), columns[c].width);
  TightLayout(TSBlockList)->addWidget(SGBlockList);
  SGBlockList->OnMouseWheel = [this](bool up) {
    SGBlockList->SelectCell(SGBlockList->Col(),
                            BlockListWheelRow(SGBlockList->Row(), up, SGBlockList->RowCount()));
  };
  m_blockNames.grid = SGBlockList;
  HookNameEdit(m_blockNames);
  HookRowJumps(*SGBlockList);
}

void TFMMain::CreateGroupTab() {
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
  QVBoxLayout* layout = TightLayout(TSGroupList);
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

// Double-clicking a row jumps to the line in its column 1; the grid's width change refits.
void TFMMain::HookRowJumps(StringGrid& grid) {
  connect(&grid, &StringGrid::DoubleClicked, this, [this, &grid] { JumpFromRow(grid); });
  connect(&grid, &StringGrid::Resized, this, [&grid] { FitGridColumns(grid); });
}

void TFMMain::HookLabelJump(QLabel* label, QLabel* lineOf) {
  const QLabel* target = lineOf ? lineOf : label;
  new DoubleClickHook(label, [this, target] { JumpToLine(m_labelLines[target]); });
}

void TFMMain::SetListLabel(QLabel* label, const ListLabel& content) {
  label->setText(FromCp932(content.text));
  m_labelLines[label] = content.jumpLine;
}

void TFMMain::JumpFromRow(const StringGrid& grid) {
  const std::optional<long long> line = JumpLineOfCell(ToCp932(grid.Cell(kJumpColumn, grid.Row())));
  if (line) JumpToLine(*line);
}

// ------------------------------------------------------------------ filled flags

void TFMMain::ResetListFlags() {
  LayerListFilled = LtypeListFilled = ColorListFilled = BlockListFilled = GroupListFilled = 0;
}

void TFMMain::PCSGDataChange(int index) {
  const QWidget* page = PCSGData->widget(index);
  if (page == TSLayerList) return TSLayerListShow();
  if (page == TSLineList) return TSLineListShow();
  if (page == TSColorList) return TSColorListShow();
  if (page == TSBlockList) return TSBlockListShow();
  if (page == TSGroupList) return TSGroupListShow();
}

void TFMMain::ShowIncompleteList(StringGrid& grid, const std::string& failure) {
  ShowRows(grid, {});
  m_dialogs.ShowMessage(failure);
}

// Shows a list with its filled flag: nothing while the flag is up; a list with nothing
// to list leaves the flag down and shows empty rows; a list that failed is not shown.
template <typename Build>
bool TFMMain::ShowNameList(NameListState& list, int& filled, Build build) {
  std::string failure;
  const std::optional<ListContent> content = BuiltOrFailed<ListContent>(build(), failure);
  if (!content) {
    filled = 1;
    ShowIncompleteList(*list.grid, failure);
    return false;
  }
  if (content->filled) filled = 1;
  list.names = content->names;  // kept as the file stores them, for the name edit
  ShowRows(*list.grid, content->rows);
  return content->filled;
}

// ------------------------------------------------------------------ layer list

void TFMMain::TSLayerListShow() {
  if (LayerListFilled > 0) return;
  SetupGridColumns(*SGLayerList, ListGrid::Layer);
  // Before any load the label keeps its caption; a drawing without layers still has its
  // own $CLAYER shown, never the previous drawing's.
  if (HasDocument()) UpdateClayerLabel();
  ShowNameList(m_layerNames, LayerListFilled,
               [this] { return BuildLayerList(Doc().Buffer(), Drawing().LayerTable()); });
}

void TFMMain::UpdateClayerLabel() {
  SetListLabel(LBClayer, ClayerLabel(Doc().Buffer()));
}

// The swatch of a layer's colour over the left of its colour cell, while a file is loaded.
bool TFMMain::SGLayerListDrawCell(QPainter& painter, int col, int row, const QRect& rect,
                                  StringGrid::DrawState state) {
  const std::size_t k = static_cast<std::size_t>(row - 1);
  const std::vector<TDXFLayer>& layers = Doc().LayerTable().Layers;
  if (col != kLayerColorColumn || row < 1 || !HasDocument() || k >= layers.size()) return false;
  SGLayerList->DrawDefaultCell(painter, rect, SGLayerList->Cell(col, row), state);
  const TDXFLayer& layer = layers[k];
  const int side = SwatchSide(rect);
  PaintSwatch(painter, {rect.left() + kLayerSwatchLeft, rect.top() + kSwatchInset, side, side},
              FromColorRef(Doc().Buffer().DisplayColor(layer.Color, layer.TrueColor)), layer.Color);
  return true;
}

// ------------------------------------------------------------------ linetype list

void TFMMain::TSLineListShow() {
  if (LtypeListFilled > 0) return;
  SetupGridColumns(*SGLtypeList, ListGrid::Ltype);
  if (HasDocument()) UpdateLtypeLabels();  // as the layer list's label
  ShowNameList(m_ltypeNames, LtypeListFilled, [this] { return BuildLtypeList(Doc().Buffer()); });
}

void TFMMain::UpdateLtypeLabels() {
  const std::vector<ListLabel> labels = LtypeLabels(Doc().Buffer());
  SetListLabel(LBLtscale, labels[0]);
  SetListLabel(LBCeltscale, labels[1]);
  SetListLabel(LBCeltype, labels[2]);
}

// ------------------------------------------------------------------ colour list

void TFMMain::TSColorListShow() {
  if (ColorListFilled > 0) return;
  SetupGridColumns(*SGColorList, ListGrid::Color);
  m_colorUses.clear();
  if (Doc().Buffer().PairCount == 0) return ShowRows(*SGColorList, {});
  ColorListFilled = 1;
  // The label is right even when a count fails; a $CECOLOR that holds no number leaves it
  // as it was and fails the list.
  const Result<ListLabel> label = CecolorLabel(Doc().Buffer());
  if (label.Ok()) SetListLabel(LBCecolor, label.value());
  std::string failure;
  const std::optional<ColorList> list = BuiltOrFailed(BuildColorList(Doc().Buffer()), failure);
  if (!list) return ShowIncompleteList(*SGColorList, failure);
  m_colorUses = list->ColorUses;
  ShowRows(*SGColorList, list->rows);
}

// The sample of column 1, the greyed ACI number where a true colour overrides it, and the
// greyed RGB of column 6: the book colour's, or the ACI table's for a plain ACI colour.
bool TFMMain::SGColorListDrawCell(QPainter& painter, int col, int row, const QRect& rect,
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

// ------------------------------------------------------------------ block list

void TFMMain::TSBlockListShow() {
  if (BlockListFilled > 0) return;
  WriteHeaders(*SGBlockList, ListGrid::Block);
  ShowNameList(m_blockNames, BlockListFilled, [this] { return BuildBlockList(Doc().Buffer()); });
}

// ------------------------------------------------------------------ group list

void TFMMain::TSGroupListShow() {
  if (GroupListFilled > 0) return;
  SetListLabel(LBGroup, {"DICTIONARY : NON", LineOfPair(0)});
  SetupGridColumns(*SGGroupList, ListGrid::Group);
  SetupGridColumns(*SGGroupMember, ListGrid::GroupMember);
  ShowRows(*SGGroupMember, {});
  std::string failure;
  const std::optional<ListContent> list =
      BuiltOrFailed(BuildGroupList(Doc().Buffer(), Drawing().GroupTable()), failure);
  if (!list)
    Drawing().GroupTable() = TDXFGroupTable();  // no member is shown from a table half read
  const std::vector<ListRow> noRows;
  const std::vector<ListRow>& rows = list ? list->rows : noRows;
  ShowRows(*SGGroupList, rows);
  const int height = GroupGridHeight(SGGroupList->RowCount(), SGGroupList->DefaultRowHeight(),
                                     TSGroupList->height());
  SPGroupList->setSizes({height, std::max(0, SPGroupList->height() - height)});
  if (!list) {
    GroupListFilled = 1;
    return m_dialogs.ShowMessage(failure);
  }
  if (!list->filled) return;
  GroupListFilled = 1;
  SetListLabel(LBGroup, list->labels[0]);
  SGGroupListSelectCell(1);
}

// The member grid follows the group selected in the upper grid.
void TFMMain::SGGroupListSelectCell(int row) {
  if (row < 1) return;
  const std::size_t k = static_cast<std::size_t>(row - 1);
  const std::vector<TDXFGroup>& groups = Doc().GroupTable().Groups;
  const std::vector<ListRow> members =
      k < groups.size() ? BuildGroupMemberRows(Doc().Buffer(), groups[k]) : std::vector<ListRow>();
  ShowRows(*SGGroupMember, members);
  SGGroupMember->FocusCell(1, 1);
}

// ------------------------------------------------------------------ name edit

// The layer, linetype and block names are edited in place in the editor edition only.
void TFMMain::HookNameEdit(NameListState& list) {
  StringGrid& grid = *list.grid;
  grid.OnSelectCell = [this, &grid](int col, int) {
    grid.SetEditing(NameEditState::IsEditable(col, Values.Edition));
    return true;
  };
  grid.OnGetEditText = [&list](int col, int row) {
    list.edit.Begin(col, row, ToCp932(list.grid->Cell(col, row)));
    return list.grid->Cell(col, row);
  };
  grid.OnSetEditText = [this, &list](int col, int, const QString& text) {
    NameListSetEditText(list, col, text);
  };
  // Esc gives the cell its name back and ends the edit without a question.
  grid.OnKeyDown = [&list](const QKeyEvent& event) {
    if (event.key() != Qt::Key_Escape || !list.grid->EditorMode()) return false;
    list.grid->CancelEditor();
    list.grid->SetCell(list.edit.EditCol, list.edit.EditRow, FromCp932(list.edit.OldName));
    list.edit.NewName = list.edit.OldName;
    return true;
  };
}

// Runs the name edit protocol on an editor report. The drawing changes only when a
// confirmed new name is not taken; the document then seals the replacement and every
// view follows.
void TFMMain::NameListSetEditText(NameListState& list, int col, const QString& text) {
  NameEditState& edit = list.edit;
  // A name shown unchanged stays the text it began as, even where the display lost some.
  const std::string typed = text == FromCp932(edit.OldName) ? edit.OldName : ToCp932(text);
  if (edit.Report(col, typed) != NameEditStep::Confirm) return;
  // A name that cannot be taken is refused before the question: only a rename that can
  // be done is asked about.
  const std::vector<std::string> refusals = edit.Refusals(list.names, Doc().Buffer());
  const bool yes = refusals.empty() && m_dialogs.AskYesNo(Values.ProductTitle, edit.Question());
  const RenameReport renamed = Drawing().Rename(edit, yes, list.names);
  for (const std::string& refusal : refusals) m_dialogs.ShowMessage(refusal);
  const NameEditResult& result = renamed.edit;
  // A rename of a much used name logs thousands of lines: shown at once.
  MsgBox->AddLines(renamed.log);
  for (const std::string& refusal : result.refusals) m_dialogs.ShowMessage(refusal);
  list.grid->SetCell(result.col, result.row, FromCp932(result.text));
  if (!result.replaced) return;
  const std::size_t k = static_cast<std::size_t>(result.row - 1);
  if (k < list.names.size()) list.names[k] = result.storedName;
  if (list.updateLabels) (this->*list.updateLabels)();
  ChangeReport follow = renamed;  // the log is in the panel already
  follow.log.clear();
  ApplyChange(follow);
}
