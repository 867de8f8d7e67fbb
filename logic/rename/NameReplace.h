// NameReplace.h - renaming layers, linetypes and blocks throughout the buffer.
//
// The three replacement scans rewrite every pair that names the old name and log each
// change; NameEditState carries the in-place edit of a name cell from the first editor
// report to the confirmed or refused replacement, so the grid only routes its events
// here, shows the questions and messages it is told to and writes back the cell it gets.
// Names given to the scans are in the document's encoding; the edit's texts, the log
// lines and the messages are program texts (CP932 with \U+XXXX escapes).
#pragma once

#include <string>       // std::string
#include <string_view>  // std::string_view
#include <vector>       // std::vector

#include "logic/MessageLog.h"
#include "model/buffer/MyDXFClass.h"
#include "model/text/TextCodec.h"  // TextEncoding

/// The kind of name a list edits.
enum class NameKind { Layer, Ltype, Block };

/// Replaces the layer name oldName by newName from the header to the EOF pair: every
/// code-8 pair and the code-2 pair of LAYER table records whose trimmed value equals
/// oldName. Logs an empty line, one line per pair and the count. Returns the count.
int ReplaceLayerName(TDXFBuffer& buffer, const std::string& oldName, const std::string& newName,
                     MessageLog& log);

/// Replaces a linetype name the same way: every code-6 pair and the code-2 pair of
/// LTYPE table records. Returns the count.
int ReplaceLtypeName(TDXFBuffer& buffer, const std::string& oldName, const std::string& newName,
                     MessageLog& log);

/// Replaces a block name in the name pair (code 2 or 3, the first in the record) of
/// every BLOCK and INSERT record from BLOCKS to the end of ENTITIES whose value, as
/// stored, equals oldName. Logs an empty line and one line per pair. Returns the count.
int ReplaceBlockName(TDXFBuffer& buffer, const std::string& oldName, const std::string& newName,
                     MessageLog& log);

/// Runs the replacement scan of a kind; appends the index of every pair it rewrote to
/// replacedPairs when given.
int ReplaceName(NameKind kind, TDXFBuffer& buffer, const std::string& oldName,
                const std::string& newName, MessageLog& log,
                std::vector<int>* replacedPairs = nullptr);

/// Returns the rows (1-based) other than editRow whose name is newName's for AutoCAD,
/// whatever the case of its ASCII letters (SameSymbolName);
/// names[k] is the name of grid row k + 1, both as stored in encoding.
std::vector<int> DuplicateRows(const std::vector<std::string>& names, int editRow,
                               const std::string& newName, TextEncoding encoding);

/// Returns the text of the Yes/No question that confirms a replacement.
std::string ConfirmationText(NameKind kind, const std::string& oldName, const std::string& newName);

/// Returns the message that refuses a name because row already holds it.
std::string DuplicateMessage(NameKind kind, int row);

/// Returns the remark of a name: the message of the name check of its kind.
std::string NameRemark(const TDXFBuffer& buffer, NameKind kind, const std::string& name);

/// What the grid does after the editor reported its text.
enum class NameEditStep {
  Ignore,      // not the name column
  InProgress,  // a change while typing: nothing to do yet
  Unchanged,   // the edit ended on the name it began with: nothing is replaced
  Confirm,     // ask Question() Yes/No, then pass the answer to Decide
};

/// What the grid does after Decide.
struct NameEditResult {
  std::vector<std::string> refusals;  // duplicate-name messages, one message box each
  bool replaced = false;              // the scan rewrote pairs; its lines are in the log
  std::vector<int> replacedPairs;     // the pairs the scan rewrote
  std::string storedName;             // the new name as stored, when replaced
  int row = 0;                        // the cell to write: the remark of the new name,
  int col = 0;                        // or the name cell going back to the old name
  std::string text;
};

/// The in-place edit of a name cell (column 2) of the layer, linetype or block list.
/// The grid calls IsEditable on selecting a cell, Begin when its editor opens and
/// Report with every text the editor reports (program texts, as the cells show them); on
/// Confirm it asks Question() and passes the answer and the stored names of its rows to
/// Decide (through Document::Rename, which seals the replacement as one step). After a
/// replacement the layer and linetype lists bring their labels up to date
/// (RebuildsIndex); the block list has none.
class NameEditState {
 public:
  std::string OldName;  // the name when editing began; the new name after a decision
  std::string NewName;  // the last text the editor reported
  int EditCol = 0;      // the cell being edited
  int EditRow = 0;

  explicit NameEditState(NameKind kind) : m_kind(kind) {}

  /// Tells whether a cell may be edited: the name column, in the "Editor" edition only.
  static bool IsEditable(int col, std::string_view edition);
  /// Starts an edit of cell (col, row) holding cellText; other columns than the name's
  /// are ignored. The editor shows cellText unchanged.
  void Begin(int col, int row, const std::string& cellText);
  /// Takes an editor report: a text unlike NewName is a change in progress; a repeat of
  /// NewName ends the edit.
  NameEditStep Report(int col, const std::string& text);
  /// Returns the confirmation question for the pending replacement.
  std::string Question() const;
  /// Returns the edit history's name of the pending replacement: "レイヤ名置き換え
  /// "OLD"　→　"NEW"" and the like.
  std::string StepName() const;
  /// Returns why NewName cannot replace the edited name (empty when it can): the
  /// document's encoding cannot hold it (DocumentText), or another row holds it already
  /// once stored. Asked before the question, so only a rename that can be done is asked.
  std::vector<std::string> Refusals(const std::vector<std::string>& names,
                                    const TDXFBuffer& buffer) const;
  /// Settles a confirmed or declined edit. names[k] is the name of row k + 1 as stored
  /// (ListContent::names): the scan replaces the edited row's name as it stands in the
  /// file, escapes and all. A Yes is refused when the document's encoding cannot hold
  /// NewName or another row holds it (Refusals); an accepted Yes
  /// runs the replacement scan into the log. Afterwards OldName is NewName.
  NameEditResult Decide(bool confirmed, const std::vector<std::string>& names, TDXFBuffer& buffer,
                        MessageLog& log);
  /// Tells whether the list's labels follow a replacement (the layer and linetype lists).
  bool RebuildsIndex() const { return m_kind != NameKind::Block; }
  /// Returns the column of the list that shows the remark of a name.
  int RemarkColumn() const;

 private:
  NameKind m_kind;
};
