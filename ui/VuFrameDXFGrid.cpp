// VuFrameDXFGrid.cpp - the DXF grid frame.
#include "ui/VuFrameDXFGrid.h"

#include <array>       // std::array
#include <functional>  // std::function
#include <optional>    // std::optional

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include "logic/navigation/HandleNavigation.h"
#include "model/buffer/GroupCodes.h"
#include "model/buffer/RecordWalk.h"
#include "model/text/MyStringLib.h"
#include "model/text/Sjis.h"
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
const QColor kDanglingColor(255, 224, 224);    // light red under a pointer that leads nowhere
const QColor kDanglingText(192, 0, 0);
const QColor kDanglingFocusText(255, 176, 176);  // light red on navy

constexpr char kDanglingTip[] = "参照先のハンドルがありません";

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

// Ctrl+Enter follows the pointer under the cursor.
bool IsFollowKey(const QKeyEvent& event) {
  const bool enter = event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter;
  return enter && (event.modifiers() & Qt::ControlModifier);
}

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

// Fills the cell and draws its text 2 pixels in, as the grid's own drawing does.
void DrawOwnCell(QPainter& painter, const QRect& rect, const QColor& background, const QColor& text,
                 const QString& cellText) {
  painter.fillRect(rect, background);
  painter.setPen(text);
  painter.drawText(rect.adjusted(kTextInset, kTextInset, 0, 0),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, cellText);
}

bool IsShiftHeld() {
  return QGuiApplication::keyboardModifiers() & Qt::ShiftModifier;
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
  DXFGrid->OnToolTip = [this](int col, int row) {
    return col == kValueColumn && IsDanglingRow(row) ? QString::fromUtf8(kDanglingTip) : QString();
  };
  DXFGrid->OnContextMenu = [this](int col, int row, QPoint globalPos) {
    DXFGridContextMenu(col, row, globalPos);
  };
  DXFGrid->SetTabMovesFocus(true);  // Tab goes on to the find box; the arrows move cells
  connect(DXFGrid, &StringGrid::Resized, this, &TFrameDXFGrid::DXFPanelResize);
  connect(DXFScrollBar, &QScrollBar::valueChanged, this, &TFrameDXFGrid::DXFScrollBarChange);
  connect(DXFScrollBar, &QScrollBar::actionTriggered, this, &TFrameDXFGrid::DXFScrollBarScroll);
}

// ------------------------------------------------------------------ operations

void TFrameDXFGrid::SetDocument(Document* document) {
  m_document = document;
  Buffer = document ? &document->ViewBuffer() : nullptr;
  m_selection.Clear();
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

void TFrameDXFGrid::ScrollToLine(long long line) {
  ApplyView(m_paging.ScrollToLine(line));
}

void TFrameDXFGrid::ShowPair(int index) {
  m_selection.Clear();
  DXFGrid->update();
  ApplyView(m_paging.ShowPair(index));
}

void TFrameDXFGrid::ShowView(const GridView& view) {
  ApplyView(m_paging.ShowView(view));
}

void TFrameDXFGrid::ShowFileEnd(bool last, bool extend) {
  if (!Buffer) return;
  SelectionBeforeMove(extend);
  ApplyView(m_paging.ShowPair(last ? Buffer->EofIndex : 0));
}

// A row in a selection is drawn selected, so the whole grid is repainted.
void TFrameDXFGrid::SelectionBeforeMove(bool extend) {
  m_selection.BeforeMove(extend, CurrentIndex());
  DXFGrid->update();
}

void TFrameDXFGrid::CopySelection() {
  const auto [first, last] = m_selection.Range(CurrentIndex());
  QClipboard& clipboard = *QGuiApplication::clipboard();
  if (!Buffer || first == last) {
    const QString cell = DXFGrid->Cell(DXFGrid->Col(), DXFGrid->Row());
    clipboard.setText(DXFGrid->Col() == kCodeColumn ? cell.trimmed() : cell);
    return;
  }
  if (last - first + 1 > kMaxCopiedRows) {
    m_dialogs.ShowMessage(
        Format(Sjis("一度にコピーできるのは %d 行までです。").c_str(), kMaxCopiedRows));
    return;
  }
  QString text;
  {
    const HeldMessages held(*Buffer, m_pending);
    for (int pair = first; pair <= last; ++pair) {
      const std::array<QString, kColumns> cells = CellTexts(pair);
      text += cells[0].trimmed() + u'\t' + cells[1].trimmed() + u'\t' + cells[2] + u'\t' +
              cells[3] + u'\n';
    }
  }
  if (!m_pending.Empty()) SchedulePendingMessages();
  clipboard.setText(text);
}

int TFrameDXFGrid::GetColWidth(int col) const {
  return DXFGrid->ColWidth(col);
}

void TFrameDXFGrid::SetColWidth(int col, int width) {
  DXFGrid->SetColWidth(col, width);
}

// The window ends every edit before it closes (EndCellEdits); one still open here belongs
// to a frame torn down alone, and committing it would run this frame's handlers after its
// members are gone.
TFrameDXFGrid::~TFrameDXFGrid() {
  DXFGrid->CancelEditor();
}

void TFrameDXFGrid::EndEdit() {
  DXFGrid->HideEditor();
  ShowPendingMessages();
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
  const std::array<QString, kColumns> cells = CellTexts(pair);
  for (int col = 0; col < kColumns; ++col) DXFGrid->SetCell(col, row, cells[col]);
}

// The texts of a pair's row. A pair without a remark has its record worked out first.
std::array<QString, kColumns> TFrameDXFGrid::CellTexts(int pair) {
  if (Buffer->NoteView(pair).empty()) Buffer->MakeNote(pair);
  return {QString::asprintf("%8lld", LineOfPair(pair)),
          QString::asprintf("%7d", Buffer->GetCode(pair)),
          FromValue(Buffer->Encoding, Buffer->ValueView(pair)), FromCp932(Buffer->NoteView(pair))};
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
  if (!DXFGrid->EditorMode()) return SelectionBeforeMove(IsShiftHeld());
  DXFScrollBar->setSliderPosition(DXFScrollBar->value());
  m_dialogs.Beep();
}

// ------------------------------------------------------------------ grid events

bool TFrameDXFGrid::IsDanglingRow(int row) const {
  const int pair = TopIndex() + row - 1;
  return m_document && row >= 1 && pair < Buffer->PairCount &&
         IsDanglingPointer(*Buffer, m_document->Handles(), pair);
}

void TFrameDXFGrid::DrawDanglingCell(QPainter& painter, int col, int row, const QRect& rect,
                                     StringGrid::DrawState state) const {
  painter.fillRect(rect, state.selected ? kFocusColor : kDanglingColor);
  painter.setPen(state.selected ? kDanglingFocusText : kDanglingText);
  painter.drawText(rect.adjusted(kTextInset, kTextInset, 0, 0),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, DXFGrid->Cell(col, row));
}

bool TFrameDXFGrid::DXFGridDrawCell(QPainter& painter, int col, int row, const QRect& rect,
                                    StringGrid::DrawState state) {
  if (col == kValueColumn && IsDanglingRow(row)) {
    DrawDanglingCell(painter, col, row, rect, state);
    emit DXFGridCellDrawn(col, row, state.focused);
    return true;
  }
  const int pair = TopIndex() + row - 1;
  const bool data = Buffer && col >= 1 && row >= 1 && pair < Buffer->PairCount;
  const bool inSelection = data && !state.selected && m_selection.Holds(pair, CurrentIndex());
  const bool marked = data && MarkColor(Buffer->GetMark(pair)).isValid();
  if (inSelection) {
    DrawOwnCell(painter, rect, palette().highlight().color(), palette().highlightedText().color(),
                DXFGrid->Cell(col, row));
  } else if (marked) {
    DrawOwnCell(painter, rect, state.selected ? kFocusColor : MarkColor(Buffer->GetMark(pair)),
                state.selected ? Qt::white : Qt::black, DXFGrid->Cell(col, row));
  }
  emit DXFGridCellDrawn(col, row, state.focused);
  return inSelection || marked;
}

bool TFrameDXFGrid::DXFGridKeyDown(const QKeyEvent& event) {
  if (!Buffer) return true;
  if (!DXFGrid->EditorMode() && DXFGridCommandKey(event)) return true;
  if (event.key() == Qt::Key_Escape) {
    if (!m_edit.Revert()) return false;
    DXFGrid->SetCell(m_edit.EditCol(), m_edit.EditRow(), FromCp932(m_edit.OldText()));
    DXFGrid->CancelEditor();
    return true;
  }
  const std::optional<GridKey> key = ToGridKey(event.key());
  if (!key) return false;
  if (!DXFGrid->EditorMode()) SelectionBeforeMove(event.modifiers() & Qt::ShiftModifier);
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

// Copy and the jumps to the ends of the file, outside the editor (where the keys are the
// line edit's own).
bool TFrameDXFGrid::DXFGridCommandKey(const QKeyEvent& event) {
  if (IsFollowKey(event)) {
    emit FollowPointerRequested();
    return true;
  }
  if (event.matches(QKeySequence::Copy)) {
    CopySelection();
    return true;
  }
  if (!(event.modifiers() & Qt::ControlModifier)) return false;
  if (event.key() != Qt::Key_Home && event.key() != Qt::Key_End) return false;
  ShowFileEnd(event.key() == Qt::Key_End, event.modifiers() & Qt::ShiftModifier);
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
  SelectionBeforeMove(DXFGrid->InputModifiers() & Qt::ShiftModifier);
  ApplyView(view);
}

// Rows past the EOF pair never take the cursor; only codes and values are editable.
void TFrameDXFGrid::SetReadOnly(bool readOnly) {
  m_readOnly = readOnly;
  if (readOnly) DXFGrid->SetEditing(false);
}

bool TFrameDXFGrid::DXFGridSelectCell(int col, int row) {
  if (!m_paging.CanSelectRow(TopIndex(), row)) {
    m_dialogs.Beep();
    return false;
  }
  // A click, or a move the grid makes itself; Shift extends the selection of rows.
  if (row != DXFGrid->Row()) SelectionBeforeMove(DXFGrid->InputModifiers() & Qt::ShiftModifier);
  const bool editable = !m_readOnly && (col == kCodeColumn || col == kValueColumn);
  DXFGrid->SetEditing(editable);
  DXFGrid->SetDrawFocusSelected(editable);
  return true;
}

// A right click outside the selected rows moves the cursor there first, so the menu's
// commands work on the pair clicked.
void TFrameDXFGrid::DXFGridContextMenu(int col, int row, QPoint globalPos) {
  const int pair = TopIndex() + row - 1;
  if (!m_selection.Holds(pair, CurrentIndex())) DXFGrid->SelectCell(col, row);
  emit ContextMenuRequested(globalPos);
}

QString TFrameDXFGrid::DXFGridGetEditText(int col, int row) {
  const QString text = DXFGrid->Cell(col, row);
  m_edit.Begin(col, row, ToCp932(text));
  return text;
}

// The row's pair goes to the document with the text; a row past the last pair shows none.
void TFrameDXFGrid::DXFGridSetEditText(int, int, const QString& text) {
  if (!m_document || m_edit.Take(ToCp932(text)) != GridEdit::Report::Commit) return;
  const int pair = TopIndex() + m_edit.EditRow() - 1;
  const ChangeReport report =
      m_document->CommitCellEdit(m_edit, pair < Buffer->PairCount ? pair : -1, m_dialogs);
  for (const std::string& line : report.log) m_log.Add(line);
  if (!report.Ok()) {
    DXFGrid->SetCell(m_edit.EditCol(), m_edit.EditRow(), FromCp932(m_edit.OldText()));
    if (!report.error.message.empty()) ShowLater(report.error.message);
    return;
  }
  if (report.count == 0) return;  // the row showed no pair
  ShowChange(report);
  emit DocumentChanged(report);
}

// A change of the structure may have moved the EOF pair, and with it the scroll range.
void TFrameDXFGrid::ShowChange(const ChangeReport& report) {
  if (report.structure) UpdateScrollRange();
  if (report.values) FillRows(TopIndex());
}
