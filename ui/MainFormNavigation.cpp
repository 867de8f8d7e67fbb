// MainFormNavigation.cpp - the main window's navigation: jumps, the section list, find.
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QListWidget>
#include <QProgressDialog>
#include <QTabWidget>

#include "logic/find/FindMatcher.h"
#include "logic/find/FindSearch.h"
#include "logic/navigation/SectionList.h"
#include "model/buffer/RecordWalk.h"
#include "model/text/MyStringLib.h"
#include "model/text/Sjis.h"
#include "ui/MainForm.h"
#include "ui/QtText.h"

namespace {

constexpr int kFindSlice = 1 << 18;        // pairs searched between two looks at the progress
constexpr int kFindProgressDelayMs = 300;  // a shorter search shows no progress dialog
constexpr int kFindMissed = -1;
constexpr int kFindCancelled = -2;

}  // namespace

// Every jump passes here, whoever asks for it, so the place it leaves is kept once.
void TFMMain::JumpToPair(int index) {
  const GridView from = FRDXFGrid->View();
  FRDXFGrid->ShowPair(index);
  if (FRDXFGrid->View() != from) m_history.Leave(from);
  PCSGData->setCurrentWidget(TSDXFData);
  FRDXFGrid->DXFGrid->setFocus();
}

void TFMMain::JumpToLine(long long line) {
  JumpToPair(PairOfLine(line));
}

void TFMMain::FillSectionList() {
  m_sectionEntries = SectionEntries(Buffer);
  ListBox_line->clear();
  for (const std::string& entry : m_sectionEntries) ListBox_line->addItem(FromCp932(entry));
}

void TFMMain::SyncSectionList(int index) {
  if (m_sectionEntries.empty()) return;
  const int row = SectionEntryRow(m_sectionEntries, SectionNameAt(Buffer, index));
  if (ListBox_line->currentRow() != row) ListBox_line->setCurrentRow(row);
}

void TFMMain::ListBox_lineClick() {
  if (QListWidgetItem* item = ListBox_line->currentItem()) JumpToSectionEntry(*item);
}

// The entry is read before anything repaints: the grid's repaint as it loses the focus
// selects the entry under its cursor again. The list repaints its selection before the jump.
void TFMMain::JumpToSectionEntry(QListWidgetItem& item) {
  const std::string name = SectionEntryName(ToCp932(item.text()));
  ListBox_line->setCurrentItem(&item);
  QApplication::processEvents();
  JumpToPair(SectionTarget(Buffer, name));
}

void TFMMain::FRDXFGridDXFScrollBarChange() {
  SyncSectionList(FRDXFGrid->CurrentIndex());
}

// While the user moves through the section list with the keys, the list keeps its entry.
void TFMMain::FRDXFGridDXFGridDrawCell(int, int, bool focused) {
  if (focused) FRDrawing->ShowPair(FRDXFGrid->CurrentIndex());
  if (focused && !ListBox_line->hasFocus()) SyncSectionList(FRDXFGrid->CurrentIndex());
}

// ------------------------------------------------------------------ find

int TFMMain::PickedFindItem() const {
  const int index = CBFind->currentIndex();
  return index >= 0 && CBFind->itemText(index) == CBFind->currentText() ? index : -1;
}

std::vector<std::string> TFMMain::FindItems() const {
  std::vector<std::string> items;
  for (int i = 0; i < CBFind->count(); ++i) items.push_back(ToCp932(CBFind->itemText(i)));
  return items;
}

void TFMMain::SetFindItems(const std::vector<std::string>& items) {
  CBFind->clear();
  for (const std::string& item : items) CBFind->addItem(FromCp932(item));
}

void TFMMain::BTFindClick() {
  FindFromCursor(FindDirection::Forward);
}

void TFMMain::FindPrevious() {
  FindFromCursor(FindDirection::Backward);
}

// Searches the stretch ahead of the cursor; when it holds no match the user may go on from
// the other end of the file up to the cursor. Only a search of the whole file that finds
// nothing says so.
void TFMMain::FindFromCursor(FindDirection direction) {
  const std::string term = UpperAscii(ToCp932(CBFind->currentText()));
  const int picked = PickedFindItem();
  if (term.empty()) {
    CBFind->setEditText(QString());
    return;
  }
  std::vector<std::string> history = FindItems();
  const bool selectTop = RememberFindTerm(history, term, picked);
  SetFindItems(history);
  if (selectTop) CBFind->setCurrentIndex(0);
  CBFind->setEditText(FromCp932(term));
  const FindTerm find = ParseFindTerm(term);
  const FindPlan plan = PlanFind(FRDXFGrid->CurrentIndex(), Buffer.EofIndex, direction);
  int found = SearchWithProgress(find, plan.ahead);
  if (found == kFindCancelled) return;
  if (found < 0) {
    if (!m_dialogs.AskYesNo(Values.ProductTitle, FindWrapQuestion(direction))) return;
    found = SearchWithProgress(find, plan.wrapped);
    if (found == kFindCancelled) return;
  }
  if (found >= 0) return JumpToPair(found);
  m_dialogs.Beep();
  m_dialogs.ShowMessage(FindNotFoundMessage(term, find.mode));
}

// A search that runs longer than a moment shows its progress in a modal dialog, which
// also keeps every other input away from the buffer; Esc or its button cancels it.
int TFMMain::SearchWithProgress(const FindTerm& term, const FindStretch& stretch) {
  FindSearch search(Buffer, term, stretch);
  QElapsedTimer clock;
  clock.start();
  std::unique_ptr<QProgressDialog> progress;
  for (;;) {
    switch (search.Step(kFindSlice)) {
      case FindSearch::State::Found:
        return search.FoundPair();
      case FindSearch::State::Missed:
        return kFindMissed;
      case FindSearch::State::Running:
        break;
    }
    if (!progress && clock.elapsed() >= kFindProgressDelayMs)
      progress = ShowProgress(FromCp932(Sjis("検索しています: ")) + CBFind->currentText(),
                              QStringLiteral("キャンセル"), search.Total());
    if (!progress) continue;
    progress->setValue(search.Searched());  // a modal progress dialog takes its events here
    if (progress->wasCanceled() || !progress->isVisible()) return kFindCancelled;
  }
}
