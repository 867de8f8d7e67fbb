// MainFormNavigation.cpp - the main window's navigation: jumps, the section list, find.
#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QTabWidget>

#include "logic/FindMatcher.h"
#include "logic/SectionList.h"
#include "model/MyStringLib.h"
#include "model/RecordWalk.h"
#include "ui/MainForm.h"
#include "ui/QtText.h"

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

// The list repaints its selection before the jump.
void TFMMain::ListBox_lineClick() {
  const QListWidgetItem* item = ListBox_line->currentItem();
  if (!item) return;
  const std::string name = SectionEntryName(ToCp932(item->text()));
  QApplication::processEvents();
  JumpToPair(SectionTarget(Buffer, name));
}

void TFMMain::FRDXFGridDXFScrollBarChange() {
  SyncSectionList(FRDXFGrid->CurrentIndex());
}

void TFMMain::FRDXFGridDXFGridDrawCell(int, int, bool focused) {
  if (focused) SyncSectionList(FRDXFGrid->CurrentIndex());
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
  const int found = FindNextPair(Buffer, find, FRDXFGrid->CurrentIndex() + 1);
  if (found >= 0) return JumpToPair(found);
  m_dialogs.Beep();
  m_dialogs.ShowMessage(FindNotFoundMessage(term, find.mode));
}
