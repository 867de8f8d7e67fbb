// EditHistory.cpp - undo and redo of every change to the drawing.
//
// A step lists its value changes (pair, length) and its code changes (pair, code) in
// the order they came. The value bytes lie back to back in a ByteArena, in the reverse
// of the order the step's next application visits them: an undo visits the changes
// last to first, a redo first to last, and each application reads the arena from its
// end while it writes the bytes it swaps out into a new arena from the start. Two
// changes of the same pair within a step come back in the right order that way. A
// replacement of pairs changes what the indices name, so it closes the part of the step
// that holds the changes before it; the parts are applied in turn, last first for an undo.
#include "logic/document/EditHistory.h"

#include <algorithm>  // std::min, std::max, std::all_of, std::for_each
#include <cassert>    // assert
#include <climits>    // INT_MAX
#include <cstdint>    // std::int32_t, std::uint32_t
#include <cstring>    // std::memcpy
#include <new>        // std::bad_alloc

#include "model/buffer/GroupCodes.h"
#include "model/text/MyStringLib.h"
#include "model/text/Sjis.h"

namespace {

// Bytes appended back to back in chunks that grow from 256 bytes to 4 MB, so a step of
// one value costs little and one of millions allocates rarely and never copies what it
// holds. A value never straddles two chunks.
class ByteArena {
 public:
  void Append(std::string_view bytes) {
    if (bytes.empty()) return;
    if (m_chunks.empty() || m_chunks.back().capacity - m_chunks.back().used < bytes.size())
      AddChunk(bytes.size());
    Chunk& last = m_chunks.back();
    std::memcpy(last.data.get() + last.used, bytes.data(), bytes.size());
    last.used += bytes.size();
  }

  // Takes the last `length` bytes not taken yet: the last value appended and not yet
  // taken. The view lasts until the next call, which frees the chunks emptied before.
  std::string_view TakeLast(std::size_t length) {
    if (length == 0) return {};
    while (m_chunks.back().used == 0) {
      m_footprint -= m_chunks.back().capacity;
      m_chunks.pop_back();
    }
    Chunk& last = m_chunks.back();
    last.used -= length;
    return {last.data.get() + last.used, length};
  }

  std::size_t Footprint() const { return m_footprint; }

 private:
  static constexpr std::size_t kFirstChunk = 256;
  static constexpr std::size_t kLargestChunk = std::size_t{4} << 20;

  struct Chunk {
    std::unique_ptr<char[]> data;
    std::size_t capacity = 0;
    std::size_t used = 0;
  };

  void AddChunk(std::size_t atLeast) {
    const std::size_t grown =
        m_chunks.empty() ? kFirstChunk : std::min(kLargestChunk, 2 * m_chunks.back().capacity);
    const std::size_t capacity = std::max(grown, atLeast);
    m_chunks.push_back({std::make_unique_for_overwrite<char[]>(capacity), capacity, 0});
    m_footprint += capacity;
  }

  std::vector<Chunk> m_chunks;
  std::size_t m_footprint = 0;
};

struct ValueChange {
  std::int32_t pair;
  std::uint32_t length;  // of the bytes the step holds for it
};

struct CodeChange {
  std::int32_t pair;
  std::int32_t code;  // the code the step holds for it
};

}  // namespace

// The cell changes of a step up to a replacement of pairs, then that replacement. The
// changes of a part name pairs by their indices between the replacements around them.
class StepPart {
 public:
  std::vector<ValueChange> values;
  std::vector<CodeChange> codes;
  ByteArena bytes;
  std::vector<PairReplacement> replaced;  // what takes the replacement back; empty: none

  std::size_t Footprint() const {
    std::size_t held = replaced.capacity() * sizeof(PairReplacement);
    for (const PairReplacement& r : replaced) held += r.pairs.Footprint();
    return bytes.Footprint() + values.capacity() * sizeof(ValueChange) +
           codes.capacity() * sizeof(CodeChange) + held;
  }

  bool IsEmpty() const { return values.empty() && codes.empty() && replaced.empty(); }

  void ShrinkToFit() {
    values.shrink_to_fit();  // a long run leaves up to half the vector unused
    codes.shrink_to_fit();
  }

  // Swaps the held contents with the buffer's, last to first for an undo. A replacement
  // turns into its own undoing, so the same call takes it back and makes it again.
  void Apply(TDXFBuffer& buffer, bool undo) {
    if (undo) SwapReplacement(buffer);
    SwapCells(buffer, undo);
    if (!undo) SwapReplacement(buffer);
  }

 private:
  void SwapReplacement(TDXFBuffer& buffer) {
    if (replaced.empty()) return;
    // It stood in this very buffer as it now is, so it fits and is in order.
    [[maybe_unused]] const bool done = buffer.ReplacePairs(replaced);
    assert(done && "a replacement the history keeps must apply");
  }

  void SwapCells(TDXFBuffer& buffer, bool undo) {
    ByteArena swapped;
    const auto swapValue = [&](ValueChange& change) {
      const std::string_view held = bytes.TakeLast(change.length);
      const std::string_view current = buffer.ValueView(change.pair);
      swapped.Append(current);
      change.length = static_cast<std::uint32_t>(current.size());
      if (held != current) buffer.SetValue(change.pair, held);
    };
    const auto swapCode = [&](CodeChange& change) {
      const int current = buffer.GetCode(change.pair);
      if (current != change.code) buffer.SetCode(change.pair, change.code);
      change.code = current;
    };
    if (undo) {
      std::for_each(values.rbegin(), values.rend(), swapValue);
      std::for_each(codes.rbegin(), codes.rend(), swapCode);
    } else {
      std::for_each(values.begin(), values.end(), swapValue);
      std::for_each(codes.begin(), codes.end(), swapCode);
    }
    bytes = std::move(swapped);
  }
};

class EditStep {
 public:
  std::string name;
  std::vector<StepPart> parts;  // in the order they were heard
  int firstPair = INT_MAX;

  // The part that takes the cell changes heard now: a replacement closes a part.
  StepPart& OpenPart() {
    if (parts.empty() || !parts.back().replaced.empty()) parts.emplace_back();
    return parts.back();
  }

  std::size_t Footprint() const {
    std::size_t total = parts.capacity() * sizeof(StepPart) + name.capacity();
    for (const StepPart& part : parts) total += part.Footprint();
    return total;
  }

  bool IsEmpty() const {
    return std::all_of(parts.begin(), parts.end(), [](const StepPart& p) { return p.IsEmpty(); });
  }

  void ShrinkToFit() {
    for (StepPart& part : parts) part.ShrinkToFit();
  }

  void Apply(TDXFBuffer& buffer, bool undo) {
    const auto apply = [&](StepPart& part) { part.Apply(buffer, undo); };
    if (undo) {
      std::for_each(parts.rbegin(), parts.rend(), apply);
    } else {
      std::for_each(parts.begin(), parts.end(), apply);
    }
  }
};

// ------------------------------------------------------------------ texts

std::string HistoryMenuText(bool undo, const std::string& name) {
  const std::string caption = Sjis(undo ? "元に戻す" : "やり直し");
  return name.empty() ? caption : caption + ": " + name;
}

std::string HistoryLogLine(bool undo, const std::string& name) {
  return Sjis(undo ? "元に戻しました: " : "やり直しました: ") + name;
}

// ------------------------------------------------------------------ set-up

EditHistory::EditHistory(HistoryLimits limits) : m_limits(limits) {}

EditHistory::~EditHistory() {
  if (m_buffer && m_buffer->Observer() == this) m_buffer->SetObserver(nullptr);
}

void EditHistory::Attach(TDXFBuffer& buffer) {
  if (m_buffer && m_buffer->Observer() == this) m_buffer->SetObserver(nullptr);
  m_buffer = &buffer;
  buffer.SetObserver(this);
  Clear();
}

void EditHistory::Clear() {
  m_steps.clear();
  m_open.reset();
  m_openLost = false;
  m_done = 0;
  m_storedBytes = 0;
  m_dropped = 0;
  m_savedPosition = 0;
  m_droppedNoticeGiven = false;
}

// ------------------------------------------------------------------ recording

void EditHistory::CodeChanging(int i, int oldCode, int newCode) noexcept {
  if (oldCode == newCode) return;
  if (m_openLost) return;
  try {
    if (!m_open) m_open = std::make_unique<EditStep>();
    EditStep& step = *m_open;
    step.OpenPart().codes.push_back({i, oldCode});
    step.firstPair = std::min(step.firstPair, i);
    if (step.Footprint() > m_limits.bytes) LoseOpenStep();
  } catch (const std::bad_alloc&) {
    LoseOpenStep();
  }
}

void EditHistory::ValueChanging(int i, std::string_view oldValue,
                                std::string_view newValue) noexcept {
  if (oldValue == newValue) return;
  if (m_openLost) return;
  try {
    if (!m_open) m_open = std::make_unique<EditStep>();
    EditStep& step = *m_open;
    StepPart& part = step.OpenPart();
    part.values.push_back({i, static_cast<std::uint32_t>(oldValue.size())});
    part.bytes.Append(oldValue);
    step.firstPair = std::min(step.firstPair, i);
    if (step.Footprint() > m_limits.bytes) LoseOpenStep();
  } catch (const std::bad_alloc&) {
    LoseOpenStep();
  }
}

void EditHistory::PairsReplaced(std::vector<PairReplacement>& undo) noexcept {
  if (m_openLost || undo.empty()) return;
  try {
    if (!m_open) m_open = std::make_unique<EditStep>();
    EditStep& step = *m_open;
    const int first = undo.front().first;
    step.OpenPart().replaced = std::move(undo);
    step.firstPair = std::min(step.firstPair, first);
    if (step.Footprint() > m_limits.bytes) LoseOpenStep();
  } catch (const std::bad_alloc&) {
    LoseOpenStep();
  }
}

// The changes of an action too large to keep are not recorded any further; the memory
// they took goes back at once.
void EditHistory::LoseOpenStep() noexcept {
  m_open.reset();
  m_openLost = true;
}

bool EditHistory::HasOpenChanges() const {
  return m_openLost || (m_open && !m_open->IsEmpty());
}

// ------------------------------------------------------------------ steps

StepReport EditHistory::Seal(const std::string& name) {
  if (!HasOpenChanges()) return {};
  // The buffer brings its index up to date first: a rebuild may clear pairs after a new
  // EOF pair, which are heard into the open step.
  const CacheUpdate caches = m_buffer->UpdateCaches();
  const bool rebuilt = caches.index != IndexStale::None;
  if (m_openLost)
    return {.done = true,
            .name = name,
            .firstPair = -1,
            .rebuiltIndex = rebuilt,
            .notice = ForgetLostStep(),
            .caches = caches};
  std::unique_ptr<EditStep> step = std::move(m_open);
  StepReport report{.done = true,
                    .name = name,
                    .firstPair = step->firstPair,
                    .rebuiltIndex = rebuilt,
                    .notice = {},
                    .caches = caches};
  DropRedoSteps();
  step->name = name;
  step->ShrinkToFit();
  m_storedBytes += step->Footprint();
  m_steps.push_back(std::move(step));
  m_done = m_steps.size();
  report.notice = DropOldestBeyondLimits();
  return report;
}

// A new change makes the undone steps unreachable, and with them a saved state they led to.
void EditHistory::DropRedoSteps() {
  for (std::size_t k = m_done; k < m_steps.size(); ++k) m_storedBytes -= m_steps[k]->Footprint();
  m_steps.resize(m_done);
  if (m_savedPosition > Position()) m_savedPosition = -1;
}

std::string EditHistory::DropOldestBeyondLimits() {
  std::size_t drop = 0;
  std::size_t bytes = m_storedBytes;
  while (drop < m_steps.size() &&
         (bytes > m_limits.bytes || static_cast<int>(m_steps.size() - drop) > m_limits.steps)) {
    bytes -= m_steps[drop]->Footprint();
    ++drop;
  }
  if (drop == 0) return {};
  m_steps.erase(m_steps.begin(), m_steps.begin() + static_cast<std::ptrdiff_t>(drop));
  m_storedBytes = bytes;
  m_done -= drop;
  m_dropped += static_cast<long long>(drop);
  if (m_droppedNoticeGiven) return {};
  m_droppedNoticeGiven = true;
  return Format(
      Sjis("元に戻せる変更が上限（%d件、%dMB）を超えたので、古い変更から消しました").c_str(),
      m_limits.steps, static_cast<int>(m_limits.bytes >> 20));
}

// The steps before a change that is not kept can no longer be undone either, and the
// saved state is out of reach.
std::string EditHistory::ForgetLostStep() {
  Clear();
  m_savedPosition = -1;
  return Sjis("この変更は大きすぎて元に戻せません。これより前の変更も元に戻せなくなりました");
}

StepReport EditHistory::Undo() {
  if (!CanUndo()) return {};
  --m_done;
  return Apply(*m_steps[m_done], /*undo=*/true);
}

StepReport EditHistory::Redo() {
  if (!CanRedo()) return {};
  ++m_done;
  return Apply(*m_steps[m_done - 1], /*undo=*/false);
}

// The buffer is not heard while the step swaps its contents in: an application is no
// new change. After it the pairs after EOF are already clear, as they were when the
// state was first reached, so the rebuild changes nothing that a step would need.
StepReport EditHistory::Apply(EditStep& step, bool undo) {
  m_storedBytes -= step.Footprint();
  m_buffer->SetObserver(nullptr);
  step.Apply(*m_buffer, undo);  // the setters empty the remarks of the pairs they change
  const CacheUpdate caches = m_buffer->UpdateCaches();
  m_buffer->SetObserver(this);
  m_storedBytes += step.Footprint();
  return {.done = true,
          .name = step.name,
          .firstPair = step.firstPair,
          .rebuiltIndex = caches.index != IndexStale::None,
          .notice = {},
          .caches = caches};
}

std::string EditHistory::UndoName() const {
  return CanUndo() ? m_steps[m_done - 1]->name : std::string();
}

std::string EditHistory::RedoName() const {
  return CanRedo() ? m_steps[m_done]->name : std::string();
}

void EditHistory::MarkSaved() {
  m_savedPosition = Position();
}

bool EditHistory::IsAtSaved() const {
  return m_savedPosition == Position() && !HasOpenChanges();
}

std::size_t EditHistory::StoredBytes() const {
  return m_storedBytes;
}
