// Document.cpp - one drawing and the only way to change it.
//
// Every operation that writes codes or values ends in Seal: the history seals the
// changes as one step after the buffer brought its caches up to date, and the report
// tells the views what that touched. The handle index is started again only when a change
// touched what owns a handle or points at one.
#include "logic/document/Document.h"

#include <cstdint>  // std::uint64_t
#include <limits>   // std::numeric_limits
#include <new>      // std::bad_alloc
#include <utility>  // std::move

#include "logic/document/DocumentLoad.h"
#include "logic/document/EncodingChoice.h"
#include "logic/purge/PurgeEdit.h"
#include "model/buffer/DXFResult.h"
#include "model/text/MyStringLib.h"
#include "model/text/Sjis.h"
#include "model/text/TextCodec.h"

Document::Document() {
  m_buffer.SetNoteEnabled(true);
  m_history.Attach(m_buffer);
}

// The history stops listening before the buffer goes.
Document::~Document() = default;

// ------------------------------------------------------------------ handle index

void Document::StartHandleIndex() {
  m_handles.Start();
}

bool Document::ContinueHandleIndex(int pairs) {
  return m_handles.Continue(m_buffer, pairs);
}

const HandleIndex& Document::ReadyHandles() {
  if (m_handles.Ready()) return m_handles;
  if (!m_handles.Building()) m_handles.Start();
  m_handles.Continue(m_buffer, std::numeric_limits<int>::max());
  return m_handles;
}

// ------------------------------------------------------------------ loading and saving

Error Document::Read(TDXFBuffer& loaded, const std::string& path) noexcept {
  if (ReadDocument(loaded, path) == 0) return {};
  try {
    return {ErrorCode::LoadFailed, loaded.ErrorMessage};
  } catch (...) {  // no memory left even for the message
    return {ErrorCode::LoadFailed, {}};
  }
}

ChangeReport Document::Adopt(TDXFBuffer&& loaded) {
  NotifyBeforeChange();
  AdoptDocument(m_buffer, std::move(loaded));
  m_history.Clear();
  m_path = m_buffer.FileName;
  m_modified = false;
  StartHandleIndex();
  ChangeReport report;
  report.loaded = report.structure = report.handles = report.listsStale = report.values = true;
  report.notices = LoadNotices(m_buffer);
  return report;
}

ChangeReport Document::Load(const std::string& path) {
  TDXFBuffer loaded;
  if (Error error = Read(loaded, path)) {
    ChangeReport report;
    report.error = std::move(error);
    report.modified = m_modified;
    return report;
  }
  return Adopt(std::move(loaded));
}

std::string Document::SaveLossQuestion() const {
  return ::SaveLossQuestion(m_buffer);
}

ChangeReport Document::SaveAs(const std::string& path, bool normalise,
                              std::optional<DXFForm> form) {
  ChangeReport report;
  const DXFForm formBefore = m_buffer.SaveForm;
  m_buffer.SetFileName(path);
  m_buffer.NormaliseOnSave = normalise;
  if (form) m_buffer.SaveForm = *form;
  std::string why;  // the buffer's message on a failed save, kept for the report
  std::function<void(const std::string&)> sink = std::move(m_buffer.OnMessage);
  m_buffer.OnMessage = [&why](const std::string& message) { why += message; };
  const int saved = m_buffer.SaveToFile();
  m_buffer.OnMessage = std::move(sink);
  if (saved != ResultCode(SaveResult::Ok)) {
    report.error = {saved == ResultCode(SaveResult::Unencodable) ? ErrorCode::Unencodable
                                                                 : ErrorCode::SaveFailed,
                    std::move(why)};
    m_buffer.SaveForm = formBefore;  // the drawing stays in the form it had
    report.modified = m_modified;
    return report;
  }
  m_path = m_buffer.FileName;
  m_history.MarkSaved();
  m_modified = false;
  report.log = {"", Format(Sjis("＜ＤＸＦ出力＞ %s").c_str(), ProgramTextOfUtf8(m_path).c_str())};
  return report;
}

// ------------------------------------------------------------------ changes

// Fills the report from a step sealed, undone or redone; the caches are up to date.
void Document::TakeStep(const StepReport& step, ChangeReport& report) {
  const CacheUpdate caches = m_buffer.UpdateCaches();  // for changes no step holds
  report.changed = step.done;
  if (step.done) report.step = step.name;
  report.firstPair = step.firstPair;
  report.structure = step.rebuiltIndex || caches.index != IndexStale::None;
  report.handles = step.caches.handles || caches.handles;
  if (!step.notice.empty()) report.notices.push_back(step.notice);
  if (report.handles) StartHandleIndex();
  m_modified = !m_history.IsAtSaved();
  report.modified = m_modified;
}

// Every change path ends here. A path that wrote something has the lists built again and
// the grid filled again, also when the bytes came out the same (no step).
void Document::Seal(const std::string& step, ChangeReport& report) {
  TakeStep(m_history.Seal(step), report);
  report.listsStale = report.values = true;
}

ChangeReport Document::CommitCellEdit(GridEdit& edit, int pair, Dialogs& dialogs) {
  NotifyBeforeChange();
  ChangeReport report;
  MessageLines log;
  const EditCommit done = edit.Commit(m_buffer, pair, log, dialogs);
  report.log = std::move(log.lines);
  switch (done.kind) {
    case EditCommit::Kind::NoPair:
      break;
    case EditCommit::Kind::Refused:
      report.error = {done.message.empty() ? ErrorCode::Declined : ErrorCode::NotStorable,
                      done.message};
      break;
    case EditCommit::Kind::Written:
      report.count = 1;
      Seal(done.step, report);
      break;
  }
  report.modified = m_modified;
  return report;
}

RenameReport Document::Rename(NameEditState& edit, bool confirmed,
                              const std::vector<std::string>& names) {
  NotifyBeforeChange();
  RenameReport report;
  const std::string step = edit.StepName();  // Decide makes OldName the new name
  MessageLines log;
  report.edit = edit.Decide(confirmed, names, m_buffer, log);
  report.log = std::move(log.lines);
  if (!confirmed) report.error = {ErrorCode::Declined, {}};
  if (!report.edit.refusals.empty())
    report.error = {ErrorCode::NameTaken, report.edit.refusals.front()};
  if (report.edit.replaced) {
    report.count = static_cast<int>(report.edit.replacedPairs.size());
    Seal(step, report);
  }
  report.modified = m_modified;
  return report;
}

ChangeReport Document::Round(const RoundSettings& settings) {
  NotifyBeforeChange();
  ChangeReport report;
  report.modified = m_modified;
  const RoundOutcome outcome =
      m_buffer.PairCount > 0 ? RoundEntitiesBy(m_buffer, settings) : RoundOutcome{};
  report.count = outcome.count;
  if (!outcome.error.empty()) {
    report.error = {ErrorCode::NotANumber, outcome.error};
    report.log = {"", RoundStoppedLine(outcome.count)};
  } else {
    report.log = {"", RoundSummary(outcome.count)};
    if (outcome.tooLarge > 0) report.log.push_back(RoundTooLargeLine(outcome.tooLarge));
    for (const std::string& line : RoundSettingsLines(settings)) report.log.push_back(line);
  }
  if (m_buffer.PairCount == 0) report.error = {ErrorCode::NoDrawing, {}};  // the lines all the same
  if (outcome.count > 0) Seal(RoundStepName(outcome.count), report);
  return report;
}

// The buffer changes nothing when it cannot replace the pairs.
Error Document::Replace(std::vector<PairReplacement>& replacements) {
  try {
    if (m_buffer.ReplacePairs(replacements)) return {};
    return {ErrorCode::NotReplaced,
            Sjis("図面が大きすぎて一度には変更できません。図面はそのままです。少しずつ変更して"
                 "ください")};
  } catch (const std::bad_alloc&) {
    return {ErrorCode::NotReplaced,
            Sjis("メモリが足りないので変更できませんでした。図面はそのままです。ほかのプログラム"
                 "を閉じてからやり直してください")};
  }
}

ChangeReport Document::ReplacePairs(std::vector<PairReplacement> replacements,
                                    const std::string& step, std::vector<std::string> log) {
  NotifyBeforeChange();
  ChangeReport report;
  report.modified = m_modified;
  int count = 0;
  for (const PairReplacement& r : replacements) count += r.count + r.pairs.Size();
  if (Error error = Replace(replacements)) {
    report.error = std::move(error);
    return report;
  }
  report.log = std::move(log);
  report.count = count;
  Seal(step, report);
  return report;
}

ChangeReport Document::Purge(const PurgeList& list, const std::vector<bool>& chosen) {
  NotifyBeforeChange();
  ChangeReport report;
  report.modified = m_modified;
  PurgeEdit edit = PlanPurge(m_buffer, list, chosen);
  if (edit.removed.empty()) {
    report.error = {ErrorCode::NothingToDo, {}};
    return report;
  }
  const std::uint64_t before = m_buffer.SaveSize();
  std::vector<std::string> log = {"", Sjis("＜未使用の削除＞")};
  for (const int k : edit.removed) log.push_back(PurgeLogLine(m_buffer, list.Entries()[k]));
  for (const PairReplacement& r : edit.replacements) report.count += r.count;
  if (Error error = Replace(edit.replacements)) {
    report.error = std::move(error);
    report.count = 0;
    return report;
  }
  for (const auto& [pair, value] : edit.counts) m_buffer.SetValue(pair, value);
  const int removed = static_cast<int>(edit.removed.size());
  report.log = std::move(log);
  Seal(PurgeStepName(removed), report);
  report.log.push_back(PurgeSummaryLine(removed, before, m_buffer.SaveSize()));
  return report;
}

ChangeReport Document::Repair(RepairPlan plan) {
  NotifyBeforeChange();
  ChangeReport report;
  report.modified = m_modified;
  report.log = {"", Sjis("＜図面の修復＞")};
  for (const RepairLine& line : plan.repaired) report.log.push_back(RepairLogLine(line));
  for (const RepairLine& line : plan.left) report.log.push_back(RepairLeftLine(line));
  const int repaired = static_cast<int>(plan.repaired.size());
  const std::string summary = RepairSummaryLine(repaired, static_cast<int>(plan.left.size()));
  if (repaired == 0) {
    report.error = {ErrorCode::NothingToDo, {}};
    report.log.push_back(summary);
    return report;
  }
  // Numbered as before the replacements; a pair one of them takes out keeps no change.
  for (auto& [pair, value] : plan.values) pair = PairAfterReplacements(plan.replacements, pair);
  for (NameChange& change : plan.renames)
    change.namePair = PairAfterReplacements(plan.replacements, change.namePair);
  if (!plan.replacements.empty()) {
    if (Error error = Replace(plan.replacements)) {
      report.error = std::move(error);
      report.log.resize(1);
      return report;
    }
  }
  for (const auto& [pair, value] : plan.values)
    if (pair >= 0) m_buffer.SetValue(pair, value);
  for (const NameChange& change : plan.renames)
    if (change.namePair >= 0) (void)ApplyNameChange(m_buffer, change);
  report.count = repaired;
  Seal(RepairStepName(repaired), report);
  report.log.push_back(summary);
  return report;
}

ChangeReport Document::Undo() {
  NotifyBeforeChange();
  ChangeReport report;
  if (!m_history.CanUndo()) {
    report.error = {ErrorCode::NothingToDo, {}};
    report.modified = m_modified;
    return report;
  }
  const StepReport step = m_history.Undo();
  report.log = {"", HistoryLogLine(/*undo=*/true, step.name)};
  TakeStep(step, report);
  report.listsStale = report.values = true;
  return report;
}

ChangeReport Document::Redo() {
  NotifyBeforeChange();
  ChangeReport report;
  if (!m_history.CanRedo()) {
    report.error = {ErrorCode::NothingToDo, {}};
    report.modified = m_modified;
    return report;
  }
  const StepReport step = m_history.Redo();
  report.log = {"", HistoryLogLine(/*undo=*/false, step.name)};
  TakeStep(step, report);
  report.listsStale = report.values = true;
  return report;
}

ChangeReport Document::ChooseEncoding(std::optional<TextEncoding> encoding) {
  NotifyBeforeChange();
  ChangeReport report;
  report.log = {"", ::ChooseEncoding(m_buffer, encoding)};
  report.listsStale = report.values = true;
  report.modified = m_modified;
  return report;
}
