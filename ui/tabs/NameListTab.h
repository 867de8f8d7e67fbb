// NameListTab.h - a list tab whose names the editor edition renames in place.
//
// The layer, linetype and block lists show one name per row. In the editor edition the
// name cell is edited in place (F2 or typing); the edit runs the steps of NameEditState
// and a confirmed new name that the drawing can take replaces the old one throughout the
// drawing through Document::Rename, the one change this tab makes. The tab writes the
// cell's outcome and hands the rename's report on (Renamed), which the window follows
// as it follows any change. Esc gives the cell its name back without a question.
#pragma once

#include <string>  // std::string
#include <vector>  // std::vector

#include "logic/Edition.h"
#include "logic/rename/NameReplace.h"
#include "ui/tabs/ListTab.h"

class NameListTab : public ListTab {
  Q_OBJECT

 signals:
  /// A name edit ended: the report of the rename, with its log lines, whether it
  /// replaced the name or was declined or refused.
  void Renamed(const ChangeReport& report);

 protected:
  /// values give the edition (only the editor edits) and the title of the question.
  NameListTab(NameKind kind, Document& document, Dialogs& dialogs, const ProgramValues& values,
              QWidget* parent);

  /// Makes grid the list whose name cells are edited in place.
  void HookNameEdit(StringGrid& grid);
  /// Shows a built name list and keeps its names as the file stores them; the filled
  /// flag stays down for a list with nothing to list. A list that failed is not shown.
  void ShowNameList(const Result<ListContent>& built);
  /// Brings the labels that show a renamed name up to date (CLAYER, CELTYPE).
  virtual void UpdateLabels() {}

 private:
  void NameListSetEditText(int col, const QString& text);
  bool CancelNameEdit();

  Document& m_drawing;  // for its Rename only; the list reads it through Doc()
  const ProgramValues& m_values;
  StringGrid* m_grid = nullptr;
  NameEditState m_edit;
  std::vector<std::string> m_names;  // row k + 1's name as the file stores it
};
