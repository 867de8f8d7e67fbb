// Document.h - one drawing and the only way to change it.
//
// A Document owns the line buffer of a drawing and everything that follows it: the edit
// history, the handle index, the file it came from and its saved / modified state. The
// layer and group tables are snapshots that each reader builds for itself (the list
// tabs, the drawing view). Its operations (load, save, a cell
// edit, a rename, a rounding run, a replacement of pairs, a purge, a repair, undo and redo, the
// choice of an encoding) are the only way to change a drawing; each returns a ChangeReport that
// tells the views what to refresh, and none of its callers rebuilds an index, clears a remark or
// restarts the handle index itself. The model keeps its own caches (TDXFBuffer::UpdateCaches); the
// document seals every change as one undo step and restarts the handle index only when a
// change touched handles. The window and quillet-dump both work through it. Qt-free;
// texts are CP932.
#pragma once

#include <functional>  // std::function
#include <optional>    // std::optional
#include <string>      // std::string
#include <vector>      // std::vector

#include "logic/Dialogs.h"
#include "logic/Result.h"
#include "logic/document/EditHistory.h"
#include "logic/grid/GridEdit.h"
#include "logic/purge/UnusedDefinitions.h"
#include "logic/rename/NameReplace.h"
#include "logic/repair/DrawingRepair.h"
#include "logic/rounding/RoundingTool.h"
#include "model/buffer/HandleIndex.h"
#include "model/buffer/MyDXFClass.h"

/// What an operation did to the drawing, for the views to follow.
struct ChangeReport {
  Error error;                   // why the operation did not (wholly) do what it was asked; Ok else
  bool loaded = false;           // a new drawing replaced the one on show: every view starts over
  bool changed = false;          // codes or values changed (a step was made, undone or redone)
  std::string step;              // the edit history's name of that step
  int firstPair = -1;            // the lowest pair the step touched; -1: none or not known
  int count = 0;                 // pairs the operation changed (a rename's or a rounding run's)
  bool structure = false;        // the index was rebuilt or the header values read again: the
                                 // section list and the header labels follow
  bool handles = false;          // the handle index is being built again
  bool listsStale = false;       // the list tabs are built again at their next showing
  bool values = false;           // the values on show read otherwise: the grid is filled again
  bool modified = false;         // the document differs from its file after the operation
  std::vector<std::string> log;  // message-panel lines of the operation, in order
  std::vector<std::string> notices;  // panel lines that follow (history limits, a load's
                                     // left-out lines)

  bool Ok() const noexcept { return error.Ok(); }
};

/// A rename's report and what the name list does with its cells.
struct RenameReport : ChangeReport {
  NameEditResult edit;
};

class Document {
 public:
  Document();
  ~Document();
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;

  // ---- what it holds ----
  const TDXFBuffer& Buffer() const { return m_buffer; }
  /// The buffer for the views: its reading, its remark engine (MakeNote) and its message
  /// sink. Codes and values change through the operations below only.
  TDXFBuffer& ViewBuffer() { return m_buffer; }
  const EditHistory& History() const { return m_history; }
  /// The file on show, as loaded or last saved; empty while no drawing is loaded.
  const std::string& Path() const { return m_path; }
  /// The one answer to "is a drawing loaded?".
  bool HasDrawing() const { return !m_path.empty(); }
  /// Tells whether the drawing has changes its file does not have.
  bool IsModified() const { return m_modified; }

  // ---- the handle index, built in steps between paints or at once ----
  const HandleIndex& Handles() const { return m_handles; }
  /// Walks up to `pairs` more pairs of a build under way; returns whether it is ready.
  bool ContinueHandleIndex(int pairs);
  /// Finishes the build at once and returns the index.
  const HandleIndex& ReadyHandles();

  /// Called before any operation changes the buffer, so that a reader on another thread
  /// (the drawing view's build) can stop first.
  std::function<void()> BeforeChange;

  // ---- operations ----
  /// Reads path into loaded (a fresh buffer); safe on a worker thread while nothing else
  /// touches loaded. The error's message names the cause.
  [[nodiscard]] static Error Read(TDXFBuffer& loaded, const std::string& path) noexcept;
  /// Takes over a buffer Read filled: the history starts afresh, the tables and the
  /// handle index are built anew, notices tell what the load left out.
  [[nodiscard]] ChangeReport Adopt(TDXFBuffer&& loaded);
  /// Read and Adopt in one; a failed load leaves the document as it was.
  [[nodiscard]] ChangeReport Load(const std::string& path);
  /// Returns the Yes/No question to ask before a save that would lose the rest of a file
  /// cut short by a NUL byte; empty when a save loses nothing.
  std::string SaveLossQuestion() const;
  /// Writes the drawing to path (which becomes its file name even when the write fails),
  /// normalised or as read. On success the drawing is the saved state; the log has the
  /// panel's lines. A failure (SaveFailed, Unencodable) carries the message that says
  /// why, its lines separated by CR LF; the buffer's message sink does not hear it.
  [[nodiscard]] ChangeReport SaveAs(const std::string& path, bool normalise,
                                    std::optional<DXFForm> form = std::nullopt);
  /// Commits the grid's in-place edit of pair `pair` (-1: the row shows no pair) by the
  /// edit's rules; a value that is no number where the code wants one is asked about
  /// through dialogs. A refusal's message is the error's (NotStorable; Declined when the
  /// user said No).
  [[nodiscard]] ChangeReport CommitCellEdit(GridEdit& edit, int pair, Dialogs& dialogs);
  /// Settles a list's in-place name edit: the replacement runs when confirmed and the new
  /// name is free (NameEditState::Decide). names[k] names row k + 1 as stored.
  [[nodiscard]] RenameReport Rename(NameEditState& edit, bool confirmed,
                                    const std::vector<std::string>& names);
  /// Runs the rounding tool over ENTITIES. A value that is no number stops the run
  /// (NotANumber, the values changed before it staying changed); a drawing without pairs
  /// is not walked (NoDrawing, the log as for a run that changed nothing).
  [[nodiscard]] ChangeReport Round(const RoundSettings& settings);
  /// Replaces stretches of pairs as one undo step named `step`, logging `log`: the pairs
  /// [first, first + count) of each replacement (ordered by first, not overlapping) give
  /// way to its pairs, the other pairs keeping their bytes for the save. The index and the
  /// handle index are built again (structure, handles). When memory runs out, or the
  /// drawing is too large to index the pairs so, nothing changes (NotReplaced, with a
  /// message that says what to do).
  [[nodiscard]] ChangeReport ReplacePairs(std::vector<PairReplacement> replacements,
                                          const std::string& step, std::vector<std::string> log);
  /// Takes out the entries of list (found in this drawing as it stands) marked in chosen,
  /// less those an entry that stays uses, as one undo step (PlanPurge). The log has one
  /// line per definition taken out and a summary with the saved drawing's size before and
  /// after; count is the pairs taken out. Nothing to take out: NothingToDo.
  [[nodiscard]] ChangeReport Purge(const PurgeList& list, const std::vector<bool>& chosen);
  /// Carries out a repair planned on this drawing as it stands (PlanRepair) as one undo
  /// step: the replacements, then the new values, then the names changed throughout. The
  /// log has one line per repair, one per problem left and a summary; count is the
  /// problems repaired. Nothing to repair: NothingToDo, with the lines of the problems
  /// left.
  [[nodiscard]] ChangeReport Repair(RepairPlan plan);
  /// Takes the last step back, or makes the step undone last again (NothingToDo when
  /// there is none).
  [[nodiscard]] ChangeReport Undo();
  [[nodiscard]] ChangeReport Redo();
  /// Reads the values in `encoding`, or as detected when none is given. The bytes stay:
  /// the drawing is not modified, but every view reads its values again.
  [[nodiscard]] ChangeReport ChooseEncoding(std::optional<TextEncoding> encoding);

 private:
  void NotifyBeforeChange() {
    if (BeforeChange) BeforeChange();
  }
  void Seal(const std::string& step, ChangeReport& report);
  void TakeStep(const StepReport& step, ChangeReport& report);
  void StartHandleIndex();
  Error Replace(std::vector<PairReplacement>& replacements);

  TDXFBuffer m_buffer;
  EditHistory m_history;  // listens to m_buffer
  HandleIndex m_handles;  // of m_buffer
  std::string m_path;
  bool m_modified = false;
};
