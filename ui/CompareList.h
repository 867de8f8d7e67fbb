// CompareList.h - the compare window: what differs between the drawing on show and another.
//
// The window holds the other drawing in a buffer of its own (read in its own encoding),
// lists one row per record that differs (CompareRows) with filters by kind, section and
// type and the two compare options, and shows the other drawing in a grid of its own at
// the record of the current row. A double-click or Enter on a row asks the main window to
// show that record of its drawing. The compare changes neither drawing. When the drawing
// on show changes, the list no longer matches it: it is greyed until compared again.
#pragma once

#include <memory>  // std::unique_ptr

#include <QWidget>

#include "logic/Dialogs.h"
#include "logic/MessageLog.h"
#include "logic/compare/CompareRows.h"
#include "model/buffer/MyDXFClass.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QModelIndex;
class QPushButton;
class QTableView;
class CompareTableModel;
class TFrameDXFGrid;

class CompareList : public QWidget {
  Q_OBJECT

 public:
  /// Compares shown (the main window's drawing, not owned) with other and shows the list
  /// as a window of its own over parent.
  CompareList(const TDXFBuffer& shown, std::unique_ptr<TDXFBuffer> other, Dialogs& dialogs,
              MessageLog& log, QWidget* parent);
  ~CompareList() override;

  /// Greys the list: the drawing on show has changed since the compare.
  void MarkStale();
  /// Compares the two drawings again with the options as they stand.
  void Recompare();
  /// Returns the rows on show, for the tests.
  const CompareRows& Rows() const { return *m_rows; }

 signals:
  /// The user asks to see pair `pair` of the drawing on show.
  void JumpRequested(int pair);

 private:
  QWidget* CreateFilterBar();
  void FillTypeFilter();
  void ApplyFilter();
  void UpdateSummary();
  void ShowOtherRecord(const QModelIndex& current);
  void ActivateRow(const QModelIndex& index);

  const TDXFBuffer& m_shown;
  std::unique_ptr<TDXFBuffer> m_other;
  Dialogs& m_dialogs;
  std::unique_ptr<CompareRows> m_rows;
  CompareTableModel* m_model = nullptr;
  QLabel* m_otherName = nullptr;
  QLabel* m_stale = nullptr;
  QLabel* m_summary = nullptr;
  QComboBox* m_kind = nullptr;
  QComboBox* m_section = nullptr;
  QComboBox* m_type = nullptr;
  QCheckBox* m_ignoreNewHandles = nullptr;
  QCheckBox* m_exactNumbers = nullptr;
  QPushButton* m_again = nullptr;
  QTableView* m_table = nullptr;
  TFrameDXFGrid* m_otherGrid = nullptr;
};
