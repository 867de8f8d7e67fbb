// EditHistory.h - undo and redo of every change to the drawing.
//
// The history hears every change of the buffer's codes and values and every replacement
// of pairs (BufferObserver), gathers the changes since the last step into an open step
// and seals it, named, when the change path reports one user action done. Per pair
// changed a step keeps the contents the buffer does not hold at the moment: the old ones
// until it is undone, the new ones after. Undoing or redoing swaps them with the
// buffer's, so a step stores one side only: its pair indices and codes, and its value
// bytes back to back in one arena; of a replacement, the pairs it took out (their places
// in the file, and only edited values' bytes), or after an undo the ones it put in. Steps are kept
// up to a budget of stored bytes and of steps, the oldest going first. Every change path of the
// window must end in Seal, or its changes would join the next action's step. Texts are CP932.
#pragma once

#include <cstddef>      // std::size_t
#include <memory>       // std::unique_ptr
#include <string>       // std::string
#include <string_view>  // std::string_view
#include <vector>       // std::vector

#include "model/buffer/MyDXFClass.h"

class EditStep;

/// Returns the context-menu caption of Undo or Redo of the step named name ("元に戻す:
/// NAME", "やり直し: NAME"); without a name the bare "元に戻す" or "やり直し".
std::string HistoryMenuText(bool undo, const std::string& name);

/// Returns the message-panel line of a step undone or redone: "元に戻しました: NAME",
/// "やり直しました: NAME".
std::string HistoryLogLine(bool undo, const std::string& name);

/// How much history is kept: sealing a step drops the oldest steps beyond either limit.
struct HistoryLimits {
  std::size_t bytes = std::size_t{256} << 20;  // pair indices, codes and value bytes
  int steps = 1000;
};

/// What sealing, undoing or redoing a step did, for the views to follow.
struct StepReport {
  bool done = false;          // a step was sealed, undone or redone
  std::string name;           // the step's name
  int firstPair = -1;         // the lowest pair the step touched
  bool rebuiltIndex = false;  // the index was rebuilt or the header values read again
  std::string notice;         // a panel line when steps had to be dropped; else empty
  CacheUpdate caches;         // what the buffer brought up to date after the step
};

class EditHistory final : public BufferObserver {
 public:
  explicit EditHistory(HistoryLimits limits = {});
  ~EditHistory() override;
  EditHistory(const EditHistory&) = delete;
  EditHistory& operator=(const EditHistory&) = delete;

  /// Listens to buffer from now on (no longer to the buffer before) and clears the
  /// history. The buffer must outlive the history or be attached to another first.
  void Attach(TDXFBuffer& buffer);
  /// Forgets every step and the changes not yet sealed; the buffer as it stands now is
  /// the saved state (a load).
  void Clear();
  /// Seals the changes heard since the last seal as one step named name; without any
  /// there is no step (done is false). The buffer first brings its caches up to date
  /// (UpdateCaches), the pairs that a rebuilt index clears after the EOF pair joining the
  /// step. Drops the steps that could be redone,
  /// then the oldest beyond the limits; a step that alone outgrows the byte limit, or
  /// that memory could not be found for, clears the whole history. Both say so in notice.
  StepReport Seal(const std::string& name);
  /// Takes the last step back (done is false when there is none); the buffer empties the
  /// remarks of the records it touched and brings its index up to date as after Seal.
  StepReport Undo();
  /// Makes the step undone last again.
  StepReport Redo();
  bool CanUndo() const { return m_done > 0; }
  bool CanRedo() const { return m_done < m_steps.size(); }
  /// Returns the name of the step Undo or Redo would apply; empty when there is none.
  std::string UndoName() const;
  std::string RedoName() const;
  /// Takes the buffer as it stands now as the saved state (a save).
  void MarkSaved();
  /// Tells whether the buffer is in the saved state: no step or a step's undo or redo
  /// has moved it elsewhere since the last save or load.
  bool IsAtSaved() const;
  /// Tells whether changes were heard that no step holds yet.
  bool HasOpenChanges() const;
  /// Returns the bytes the kept steps hold, and their count.
  std::size_t StoredBytes() const;
  int StepCount() const { return static_cast<int>(m_steps.size()); }

  void CodeChanging(int i, int oldCode, int newCode) noexcept override;
  void ValueChanging(int i, std::string_view oldValue, std::string_view newValue) noexcept override;
  void PairsReplaced(std::vector<PairReplacement>& undo) noexcept override;

 private:
  StepReport Apply(EditStep& step, bool undo);
  void DropRedoSteps();
  std::string DropOldestBeyondLimits();
  std::string ForgetLostStep();
  void LoseOpenStep() noexcept;
  long long Position() const { return m_dropped + static_cast<long long>(m_done); }

  HistoryLimits m_limits;
  TDXFBuffer* m_buffer = nullptr;
  std::vector<std::unique_ptr<EditStep>> m_steps;  // oldest first
  std::size_t m_done = 0;                          // m_steps[0, m_done) can be undone
  std::unique_ptr<EditStep> m_open;                // the changes not sealed yet
  bool m_openLost = false;                         // changes were heard that could not be kept
  std::size_t m_storedBytes = 0;                   // of m_steps
  long long m_dropped = 0;        // steps dropped from the front since the last Clear
  long long m_savedPosition = 0;  // Position() of the saved state; -1 when out of reach
  bool m_droppedNoticeGiven = false;
};
