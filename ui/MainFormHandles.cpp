// MainFormHandles.cpp - the main window's navigation by handle and the drawing check.
//
// The handle index is built in steps between paints once a document is on show, and
// again after every change, so a load never waits for it and the grid marks dangling
// pointers once it is ready; a command that needs it before then finishes the build at
// once. Every jump made here ends in JumpToPair, which keeps the place left for GoBack.
#include <QKeySequence>
#include <QShortcut>
#include <QTabWidget>
#include <QTimer>

#include "logic/check/DrawingCheck.h"
#include "logic/navigation/HandleNavigation.h"
#include "model/buffer/RecordWalk.h"
#include "model/text/Sjis.h"
#include "ui/BusyCursor.h"
#include "ui/MainForm.h"

namespace {

// Pairs one step of the index's build walks: about 2 ms, so painting never waits long.
constexpr int kIndexStepPairs = 1 << 16;

}  // namespace

void TFMMain::ConnectHandleNavigation() {
  m_handleTimer = new QTimer(this);
  connect(m_handleTimer, &QTimer::timeout, this, &TFMMain::ContinueHandleIndex);
  connect(FRDXFGrid, &TFrameDXFGrid::FollowPointerRequested, this, &TFMMain::FollowPointer);
  connect(MsgBox, &TVuMessageBox::JumpRequested, this, [this](long long line) {
    if (HasDocument() && line <= LineOfPair(Doc().Buffer().EofIndex) + 1) return JumpToLine(line);
    m_dialogs.Beep();
  });
  const struct {
    QKeySequence keys;
    void (TFMMain::*handler)();
  } shortcuts[] = {{QKeySequence(Qt::ALT | Qt::Key_Left), &TFMMain::GoBack},
                   {QKeySequence(Qt::ALT | Qt::Key_Right), &TFMMain::GoForward},
                   {QKeySequence(Qt::CTRL | Qt::Key_G), &TFMMain::GoToLineOrHandle},
                   {QKeySequence(Qt::Key_F7), &TFMMain::CheckDrawingStructure}};
  for (const auto& shortcut : shortcuts)
    connect(new QShortcut(shortcut.keys, this), &QShortcut::activated, this, shortcut.handler);
}

// ------------------------------------------------------------------ the index

// The document starts the build after a load or a change that touched handles; the
// timer carries it on between paints.
void TFMMain::ContinueHandleIndex() {
  if (!Drawing().ContinueHandleIndex(kIndexStepPairs)) return;
  m_handleTimer->stop();
  FRDXFGrid->DXFGrid->update();  // the dangling pointers on show get their mark
}

const HandleIndex& TFMMain::ReadyHandleIndex() {
  if (Doc().Handles().Ready()) return Doc().Handles();
  const BusyCursor busy;
  const HandleIndex& handles = Drawing().ReadyHandles();
  m_handleTimer->stop();
  FRDXFGrid->DXFGrid->update();
  return handles;
}

// ------------------------------------------------------------------ jumps

void TFMMain::ShowPlace(const GridView& place) {
  FRDXFGrid->ShowView(place);
  PCSGData->setCurrentWidget(TSDXFData);
  FRDXFGrid->DXFGrid->setFocus();
}

void TFMMain::GoBack() {
  if (const auto place = m_history.Back(FRDXFGrid->View())) return ShowPlace(*place);
  m_dialogs.Beep();
}

void TFMMain::GoForward() {
  if (const auto place = m_history.Forward(FRDXFGrid->View())) return ShowPlace(*place);
  m_dialogs.Beep();
}

void TFMMain::ShowJumpTarget(const JumpTarget& target) {
  if (target.pair >= 0) return JumpToPair(target.pair);
  m_dialogs.ShowMessage(target.message);
}

void TFMMain::GoToLineOrHandle() {
  if (!HasDocument()) return;
  const std::optional<std::string> typed = m_dialogs.AskText(
      Values.ProductTitle, Sjis("移動先の行番号、またはハンドル（例: 120、1F、h100）"));
  if (!typed || TrimView(*typed).empty()) return;
  ShowJumpTarget(GoToTarget(Doc().Buffer(), ReadyHandleIndex(), *typed));
}

void TFMMain::FollowPointer() {
  if (!HasDocument()) return;
  ShowJumpTarget(PointerJumpTarget(Doc().Buffer(), ReadyHandleIndex(), FRDXFGrid->CurrentIndex()));
}

// ------------------------------------------------------------------ lists in the panel

void TFMMain::WriteLog(const std::vector<std::string>& lines) {
  MsgBox->Add("");
  for (const std::string& line : lines) MsgBox->Add(line);
}

void TFMMain::ListReferrers() {
  if (!HasDocument()) return;
  const BusyCursor busy;
  WriteLog(ReferrerLogLines(Doc().Buffer(), FRDXFGrid->CurrentIndex()));
}

void TFMMain::CheckDrawingStructure() {
  if (!HasDocument()) return;
  const BusyCursor busy;
  const HandleIndex& handles = ReadyHandleIndex();
  WriteLog(CheckLogLines(CheckDrawing(Doc().Buffer(), handles), Doc().Buffer().FileName));
}
