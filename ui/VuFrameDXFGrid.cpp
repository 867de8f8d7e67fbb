// VuFrameDXFGrid.cpp - the DXF grid frame.
#include "ui/VuFrameDXFGrid.h"

#include <array>       // std::array
#include <functional>  // std::function
#include <optional>    // std::optional

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include "model/RecordWalk.h"
#include "model/Sjis.h"
#include "ui/QtText.h"

namespace {

constexpr int kColumns = 4;
constexpr int kDesignRows = 50;  // the header and 49 data rows until the first resize
constexpr int kRowHeight = 15;   // default row height, pixels
constexpr int kGridFontPixels = 12;
constexpr int kGridMinimumWidth = 300;
constexpr int kScrollBarWidth = 16;
constexpr int kTextInset = 2;  // marked cells draw their text 2 pixels in, as the grid does
constexpr std::array<int, kColumns> kDesignWidths = {60, 64, 156, 163};
constexpr std::array<const char*, kColumns> kHeaders = {"  行番号", "ｸﾞﾙｰﾌﾟｺｰﾄﾞ", "  データ値",
                                                        "  備　考"};

const QColor kSectionColor(224, 224, 255);     // light blue: 0/SECTION
const QColor kSubsectionColor(224, 255, 224);  // light green: 0/TABLE in TABLES, 0/BLOCK in BLOCKS
const QColor kObjectColor(255, 255, 224);      // light yellow: any other code-0 pair
const QColor kFocusColor(0, 0, 128);           // navy under white text

// Returns the background of a marked row, or an invalid colour for ordinary drawing.
QColor MarkColor(DXFState mark) {
  switch (mark) {
    case dsSection:
      return kSectionColor;
    case dsSubsection:
      return kSubsectionColor;
    case dsObject:
      return kObjectColor;
    case dsNon:
    case dsFind:
      return {};
  }
  return {};
}

// Holds the buffer's messages in a queue while it lives: no message box may open inside
// a fill. The buffer's own sink comes back when it goes out of scope.
class HeldMessages {
 public:
  HeldMessages(TDXFBuffer& buffer, MessageQueue& queue)
      : m_buffer(buffer), m_sink(std::move(buffer.OnMessage)) {
    buffer.OnMessage = [&queue](const std::string& text) { queue.Push(text); };
  }
  ~HeldMessages() { m_buffer.OnMessage = std::move(m_sink); }
  HeldMessages(const HeldMessages&) = delete;
  HeldMessages& operator=(const HeldMessages&) = delete;

 private:
  TDXFBuffer& m_buffer;
  std::function<void(const std::string&)> m_sink;
};

std::optional<GridKey> ToGridKey(int key) {
  switch (key) {
    case Qt::Key_Up:
      return GridKey::Up;
    case Qt::Key_Down:
      return GridKey::Down;
    case Qt::Key_PageUp:
      return GridKey::PageUp;
    case Qt::Key_PageDown:
      return GridKey::PageDown;
    default:
      return std::nullopt;
  }
}

}  // namespace

TFrameDXFGrid::TFrameDXFGrid(Dialogs& dialogs, MessageLog& log, QWidget* parent)
    : QFrame(parent),
      DXFPanel(new QFrame(this)),
      DXFGrid(new StringGrid(DXFPanel)),
      DXFScrollBar(new QScrollBar(Qt::Vertical, DXFPanel)),
      m_dialogs(dialogs),
      m_log(log) {
  DXFPanel->setFrameStyle(QFrame::Box | QFrame::Plain);
  auto* panelLayout = new QHBoxLayout(DXFPanel);
  panelLayout->setContentsMargins(1, 1, 1, 1);
  panelLayout->setSpacing(0);
  panelLayout->addWidget(DXFGrid, 1);
  panelLayout->addWidget(DXFScrollBar);
  auto* frameLayout = new QVBoxLayout(this);
  frameLayout->setContentsMargins(0, 0, 0, 0);
  frameLayout->addWidget(DXFPanel);

  DXFGrid->setFont(JapaneseFont(kGridFontPixels));
  DXFGrid->SetDefaultRowHeight(kRowHeight);
  DXFGrid->setMinimumWidth(kGridMinimumWidth);
  DXFGrid->SetColCount(kColumns);
  DXFGrid->SetRowCount(kDesignRows);
  for (int col = 0; col < kColumns; ++col) DXFGrid->SetColWidth(col, kDesignWidths[col]);
  DXFGrid->SetEditing(true);  // the cursor starts in the code column, which is editable
  DXFGrid->SetDrawFocusSelected(true);
  DXFScrollBar->setFixedWidth(kScrollBarWidth);
  DXFScrollBar->setFocusPolicy(Qt::NoFocus);

  DXFGrid->OnSelectCell = [this](int col, int row) { return DXFGridSelectCell(col, row); };
  DXFGrid->OnGetEditText = [this](int col, int row) { return DXFGridGetEditText(col, row); };
  DXFGrid->OnSetEditText = [this](int col, int row, const QString& text) {
    DXFGridSetEditText(col, row, text);
  };
  DXFGrid->OnDrawCell = [this](QPainter& painter, int col, int row, const QRect& rect,
                               StringGrid::DrawState state) {
    return DXFGridDrawCell(painter, col, row, rect, state);
  };
  DXFGrid->OnKeyDown = [this](const QKeyEvent& event) { return DXFGridKeyDown(event); };
  DXFGrid->OnKeyPress = [this](QChar typed) { return DXFGridKeyPress(typed); };
  DXFGrid->OnMouseWheel = [this](bool up) { up ? DXFGridMouseWheelUp() : DXFGridMouseWheelDown(); };
  connect(DXFGrid, &StringGrid::Resized, this, &TFrameDXFGrid::DXFPanelResize);
  connect(DXFScrollBar, &QScrollBar::valueChanged, this, &TFrameDXFGrid::DXFScrollBarChange);
  connect(DXFScrollBar, &QScrollBar::actionTriggered, this, &TFrameDXFGrid::DXFScrollBarScroll);
}

// ------------------------------------------------------------------ operations

void TFrameDXFGrid::SetBuffer(TDXFBuffer* buffer) {
  Buffer = buffer;
  for (int col = 0; col < kColumns; ++col) DXFGrid->SetCell(col, 0, FromCp932(Sjis(kHeaders[col])));
  RowsOnPage = PageRows();
  UpdateScrollRange();
  DXFScrollBar->setValue(0);
  FillRows(0);
  DXFGrid->SelectCell(kValueColumn, 1);
}

int TFrameDXFGrid::PageRows() const {
  return ::PageRows(DXFGrid->height(), DXFGrid->DefaultRowHeight(), StringGrid::GridLineWidth());
}

int TFrameDXFGrid::CurrentIndex() const {
  return View().CurrentIndex();
}

int TFrameDXFGrid::TopIndex() const {
  return DXFScrollBar->value();
}

void TFrameDXFGrid::SetTopIndex(int index) {
  DXFScrollBar->setValue(index);
}

void TFrameDXFGrid::SetRow(int row) {
  DXFGrid->SelectCell(DXFGrid->Col(), row);
}

void TFrameDXFGrid::SetCol(int col) {
  DXFGrid->SelectCell(col, DXFGrid->Row());
}

void TFrameDXFGrid::ScrollToLine(int line) {
  ApplyView(m_paging.ScrollToLine(line));
}

void TFrameDXFGrid::ShowPair(int index) {
  ApplyView(m_paging.ShowPair(index));
}

int TFrameDXFGrid::GetColWidth(int col) const {
  return DXFGrid->ColWidth(col);
}

void TFrameDXFGrid::SetColWidth(int col, int width) {
  DXFGrid->SetColWidth(col, width);
}

// ------------------------------------------------------------------ view and fill

GridView TFrameDXFGrid::View() const {
  return {DXFScrollBar->value(), DXFGrid->Row()};
}

// Moves the scroll bar first (its change handler refills the rows), then the cursor.
void TFrameDXFGrid::ApplyView(const GridView& view) {
  if (view.top != DXFScrollBar->value()) DXFScrollBar->setValue(view.top);
  if (view.row != DXFGrid->Row()) DXFGrid->FocusCell(DXFGrid->Col(), view.row);
}

void TFrameDXFGrid::UpdateScrollRange() {
  DXFScrollBar->setSingleStep(1);
  DXFScrollBar->setPageStep(RowsOnPage);
  if (!Buffer) return;
  m_paging.SetMetrics(RowsOnPage, Buffer->EofIndex);
  DXFScrollBar->setRange(0, m_paging.ScrollMax());
}

// The grid grows and shrinks with the window: one header row, RowsOnPage full rows and
// one partly visible row, so every visible row shows a pair and can take the cursor.
void TFrameDXFGrid::DXFPanelResize() {
  RowsOnPage = std::max(1, PageRows());
  DXFGrid->SetRowCount(RowsOnPage + 2);
  UpdateScrollRange();
  FitColumns();
  FillRows(TopIndex());
}

void TFrameDXFGrid::FitColumns() {
  std::array<int, kColumns> widths{};
  for (int col = 0; col < kColumns; ++col) widths[col] = DXFGrid->ColWidth(col);
  FitGridColumns(widths, DXFGrid->width());
  DXFGrid->SetColWidth(2, widths[2]);
  DXFGrid->SetColWidth(3, widths[3]);
}

void TFrameDXFGrid::FillRows(int top) {
  if (!Buffer) return;
  {
    const HeldMessages held(*Buffer, m_pending);
    for (int row = 1; row <= RowsOnPage + 1; ++row) FillRow(row, top + row - 1);
  }
  if (!m_pending.Empty()) SchedulePendingMessages();
  if (DXFScrollBar->value() != top) DXFScrollBar->setValue(top);
  DXFGrid->update();  // row colours follow the pairs even where a text stayed the same
}

void TFrameDXFGrid::FillRow(int row, int pair) {
  if (pair >= Buffer->PairCount) {
    for (int col = 0; col < kColumns; ++col) DXFGrid->SetCell(col, row, QString());
    return;
  }
  // A pair without a remark has its record worked out as it comes into view.
  if (Buffer->NoteView(pair).empty()) Buffer->MakeNote(pair);
  DXFGrid->SetCell(0, row, QString::asprintf("%8d", LineOfPair(pair)));
  DXFGrid->SetCell(1, row, QString::asprintf("%7d", Buffer->GetCode(pair)));
  DXFGrid->SetCell(2, row, FromValue(Buffer->Encoding, Buffer->ValueView(pair)));
  DXFGrid->SetCell(3, row, FromCp932(Buffer->NoteView(pair)));
}

void TFrameDXFGrid::ShowLater(const std::string& message) {
  m_pending.Push(message);
  SchedulePendingMessages();
}

void TFrameDXFGrid::SchedulePendingMessages() {
  if (m_showScheduled) return;
  m_showScheduled = true;
  QTimer::singleShot(0, this, &TFrameDXFGrid::ShowPendingMessages);
}

void TFrameDXFGrid::ShowPendingMessages() {
  m_showScheduled = false;
  for (const std::string& text : m_pending.TakeAll()) m_dialogs.ShowMessage(text);
}

// ------------------------------------------------------------------ scroll bar

void TFrameDXFGrid::DXFScrollBarChange(int position) {
  if (!Buffer) return;
  FillRows(position);
  GridView view = View();
  m_paging.ClampRow(view);
  if (view.row != DXFGrid->Row()) DXFGrid->FocusCell(DXFGrid->Col(), view.row);
  emit DXFScrollBarChanged();
}

// Runs before a user's scroll moves the position: while an edit is open it is undone.
void TFrameDXFGrid::DXFScrollBarScroll(int) {
  if (!DXFGrid->EditorMode()) return;
  DXFScrollBar->setSliderPosition(DXFScrollBar->value());
  m_dialogs.Beep();
}

// ------------------------------------------------------------------ grid events

bool TFrameDXFGrid::DXFGridDrawCell(QPainter& painter, int col, int row, const QRect& rect,
                                    StringGrid::DrawState state) {
  const int pair = TopIndex() + row - 1;
  const bool marked = Buffer && col >= 1 && row >= 1 && pair < Buffer->PairCount &&
                      MarkColor(Buffer->GetMark(pair)).isValid();
  if (marked) {
    painter.fillRect(rect, state.selected ? kFocusColor : MarkColor(Buffer->GetMark(pair)));
    painter.setPen(state.selected ? Qt::white : Qt::black);
    painter.drawText(rect.adjusted(kTextInset, kTextInset, 0, 0),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, DXFGrid->Cell(col, row));
  }
  emit DXFGridCellDrawn(col, row, state.focused);
  return marked;
}

bool TFrameDXFGrid::DXFGridKeyDown(const QKeyEvent& event) {
  if (!Buffer) return true;
  if (event.key() == Qt::Key_Escape) {
    if (!m_edit.Revert()) return false;
    DXFGrid->SetCell(m_edit.EditCol(), m_edit.EditRow(), FromCp932(m_edit.OldText()));
    DXFGrid->CancelEditor();
    return true;
  }
  const std::optional<GridKey> key = ToGridKey(event.key());
  if (!key) return false;
  GridView view = View();
  switch (m_paging.Press(*key, view, DXFGrid->EditorMode())) {
    case KeyResult::PassToGrid:
      return false;
    case KeyResult::Refused:
      m_dialogs.Beep();
      return true;
    case KeyResult::Consumed:
      ApplyView(view);
      return true;
  }
  return true;
}

// The code column takes digits and blanks only; no sign can be typed.
bool TFrameDXFGrid::DXFGridKeyPress(QChar typed) {
  if (DXFGrid->Col() != kCodeColumn) return true;
  return (typed >= QLatin1Char('0') && typed <= QLatin1Char('9')) || typed == QLatin1Char(' ');
}

void TFrameDXFGrid::DXFGridMouseWheelUp() {
  DXFGridMouseWheel(/*up=*/true);
}

void TFrameDXFGrid::DXFGridMouseWheelDown() {
  DXFGridMouseWheel(/*up=*/false);
}

void TFrameDXFGrid::DXFGridMouseWheel(bool up) {
  if (!Buffer) return;
  GridView view = View();
  if (m_paging.Wheel(up, view, DXFGrid->EditorMode()) == KeyResult::Refused) {
    m_dialogs.Beep();
    return;
  }
  ApplyView(view);
}

// Rows past the EOF pair never take the cursor; only codes and values are editable.
bool TFrameDXFGrid::DXFGridSelectCell(int col, int row) {
  if (!m_paging.CanSelectRow(TopIndex(), row)) {
    m_dialogs.Beep();
    return false;
  }
  const bool editable = col == kCodeColumn || col == kValueColumn;
  DXFGrid->SetEditing(editable);
  DXFGrid->SetDrawFocusSelected(editable);
  return true;
}

QString TFrameDXFGrid::DXFGridGetEditText(int col, int row) {
  const QString text = DXFGrid->Cell(col, row);
  m_edit.Begin(col, row, ToCp932(text));
  return text;
}

void TFrameDXFGrid::DXFGridSetEditText(int, int, const QString& text) {
  if (!Buffer || m_edit.Take(ToCp932(text)) != GridEdit::Report::Commit) return;
  const QString lineCell = DXFGrid->Cell(0, m_edit.EditRow());
  const EditCommit done = m_edit.Commit(*Buffer, ToCp932(lineCell), m_log);
  switch (done.kind) {
    case EditCommit::Kind::NoPair:
      return;
    case EditCommit::Kind::Refused:
      DXFGrid->SetCell(m_edit.EditCol(), m_edit.EditRow(), FromCp932(m_edit.OldText()));
      ShowLater(done.message);
      return;
    case EditCommit::Kind::Written:
      FillRows(TopIndex());
      emit BufferEdited();
      return;
  }
}
