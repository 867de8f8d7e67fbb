// ListTab.h - what the five list tabs of the main window share.
//
// A list tab shows one list of the drawing (layers, linetypes, colours, blocks, groups)
// as the Qt-free builders of logic/lists make it from the Document, which the tab reads
// only. The list is built when the tab comes up and is not built already (its filled
// flag: LayerListFilled, LtypeListFilled ... in the tab that has it): the window calls
// ShowList as the tab is shown, and MarkStale after a load or any change of the drawing.
// A double-click on a row or a label asks for a jump to the file line it names
// (JumpRequested). A list whose values do not convert is not shown: its grid keeps only
// the header row and a message box tells why.
#pragma once

#include <map>  // std::map

#include <QWidget>

#include "logic/Dialogs.h"
#include "logic/Result.h"
#include "logic/document/Document.h"
#include "logic/lists/ListRows.h"
#include "ui/StringGrid.h"

class QLabel;

class ListTab : public QWidget {
  Q_OBJECT

 public:
  /// Builds the list from the drawing on show, unless it is built already.
  virtual void ShowList() = 0;
  /// Has the list built anew at its next ShowList: the drawing changed or another one
  /// came. What the tab kept of the list it shows is no longer read.
  virtual void MarkStale() { m_filled = false; }
  /// Tells whether the list is built for the drawing on show.
  bool IsFilled() const { return m_filled; }

 signals:
  /// A row or a label was double-clicked: the DXF grid should show file line `line`.
  void JumpRequested(long long line);

 protected:
  ListTab(const Document& document, Dialogs& dialogs, QWidget* parent);

  const Document& Doc() const { return m_document; }
  Dialogs& Messages() { return m_dialogs; }
  void MarkFilled() { m_filled = true; }
  /// Double-clicking a row of grid jumps to the line in its column 1; a change of the
  /// grid's width fits its columns again.
  void HookRowJumps(StringGrid& grid);
  /// Double-clicking label jumps to the line that lineOf's text names (label's own when
  /// lineOf is null).
  void HookLabelJump(QLabel* label, QLabel* lineOf = nullptr);
  /// Writes a label's text and keeps the line its double-click jumps to.
  void SetListLabel(QLabel* label, const ListLabel& content);
  /// Empties grid and tells the user why its list is not shown.
  void ShowIncompleteList(StringGrid& grid, const Error& error);

 private:
  void JumpFromRow(const StringGrid& grid);

  const Document& m_document;
  Dialogs& m_dialogs;
  bool m_filled = false;
  std::map<const QLabel*, long long> m_labelLines;  // the line of each label's double-click
};
