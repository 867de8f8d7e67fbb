// MyDXFClass.cpp - the line buffer: loading, accessing and saving pairs.
//
// Loading runs in stages: read the file into one block and count its lines (DXFFile),
// split them into pairs, parsing every code line (LineSplitter), then BuildIndex marks
// the sections, tables and header variables (MyDXFClassIndex). Saving writes the pairs
// through ReplaceFile, which keeps the old file until the new one is on disk.
#include "model/MyDXFClass.h"

#include <algorithm>  // std::min
#include <cstdint>    // INT32_MAX
#include <new>        // std::bad_alloc

#include "model/DXFFile.h"
#include "model/DXFResult.h"
#include "model/LineSplitter.h"
#include "model/MyDXFClass_p.h"

// Length of the value line that starts at p: up to the first CR or LF (the sentinel
// guarantees one). Only values of 65535 bytes or more are measured this way.
static std::size_t ValueLength(const char* p) noexcept {
  const char* q = p;
  while (*q != '\n' && *q != '\r') ++q;
  return static_cast<std::size_t>(q - p);
}

// ------------------------------------------------------------------ construction

TDXFBuffer::TDXFBuffer() : m_store(std::make_unique<Storage>()) {}
TDXFBuffer::~TDXFBuffer() = default;
TDXFBuffer::TDXFBuffer(TDXFBuffer&&) noexcept = default;
TDXFBuffer& TDXFBuffer::operator=(TDXFBuffer&&) noexcept = default;

// ------------------------------------------------------------------ accessors

int TDXFBuffer::GetCode(int i) const noexcept {
  assert(IsValidIndex(i) && "pair index out of range");
  return IsValidIndex(i) ? m_store->Code(i) : 0;
}

void TDXFBuffer::SetCode(int i, int code) noexcept {
  assert(IsValidIndex(i) && "pair index out of range");
  if (!IsValidIndex(i)) return;
  Storage& s = *m_store;
  if (m_observer) m_observer->CodeChanging(i, s.Code(i), code);
  if (IsRecordStartCode(s.Code(i)) != IsRecordStartCode(code)) {
    // The record starts noted for the blocks from this pair on may have moved.
    constexpr std::size_t kBlock = std::size_t{1} << Storage::kStartBlockBits;
    const std::size_t firstStale = (static_cast<std::size_t>(i) + kBlock - 1) / kBlock;
    s.startsValidBlocks = std::min(s.startsValidBlocks, firstStale);
  }
  s.PutCode(i, code);
}

int TDXFBuffer::RecordStart(int i) {
  Storage& s = *m_store;
  const std::size_t block = static_cast<std::size_t>(i) >> Storage::kStartBlockBits;
  const int blockStart = static_cast<int>(block << Storage::kStartBlockBits);
  for (int r = i; r > blockStart; --r)
    if (IsRecordStartCode(s.Code(r))) return r;
  if (block >= s.startsValidBlocks) RebuildRecordStarts(block);
  return s.startBefore[block];
}

// Recomputes the record starts of the stale blocks up to and including uptoBlock.
void TDXFBuffer::RebuildRecordStarts(std::size_t uptoBlock) {
  Storage& s = *m_store;
  const std::size_t blocks = (static_cast<std::size_t>(m_size) >> Storage::kStartBlockBits) + 1;
  s.startBefore.resize(blocks, 0);
  std::size_t b = std::min(s.startsValidBlocks, blocks);
  int last = b == 0 ? 0 : s.startBefore[b - 1];
  int next = b == 0 ? 0 : static_cast<int>((b - 1) << Storage::kStartBlockBits);
  for (; b <= uptoBlock && b < blocks; ++b) {
    const int blockStart = static_cast<int>(b << Storage::kStartBlockBits);
    for (; next <= blockStart && next < m_size; ++next)
      if (IsRecordStartCode(s.Code(next))) last = next;
    s.startBefore[b] = last;
  }
  s.startsValidBlocks = b;
}

std::string_view TDXFBuffer::Storage::Value(int i) const noexcept {
  const std::size_t at = static_cast<std::size_t>(i);
  if (marks[at] & kEditedBit) return edited.find(i)->second;
  const std::uint32_t rel = valueRel[at];
  if (rel == kNoValue) return {};
  const char* p = text.get() + blockBase[at >> kBlockBits] + rel;
  const std::size_t len = valueLen[at];
  return {p, len != kLongValue ? len : ValueLength(p)};
}

std::string_view TDXFBuffer::ValueView(int i) const noexcept {
  assert(IsValidIndex(i) && "pair index out of range");
  return IsValidIndex(i) ? m_store->Value(i) : std::string_view();
}

std::string TDXFBuffer::GetValue(int i) const {
  return std::string(ValueView(i));
}

void TDXFBuffer::SetValue(int i, std::string_view text) {
  assert(IsValidIndex(i) && "pair index out of range");
  if (!IsValidIndex(i)) return;
  if (m_observer) m_observer->ValueChanging(i, m_store->Value(i), text);
  m_store->edited[i] = std::string(text);
  m_store->marks[i] |= kEditedBit;
}

std::string_view TDXFBuffer::NoteView(int i) const noexcept {
  assert(IsValidIndex(i) && "pair index out of range");
  return IsValidIndex(i) ? m_store->notes.Get(i) : std::string_view();
}

std::string TDXFBuffer::GetNote(int i) const {
  return std::string(NoteView(i));
}

void TDXFBuffer::SetNote(int i, std::string_view text) {
  assert(IsValidIndex(i) && "pair index out of range");
  if (!IsValidIndex(i)) return;
  m_store->notes.Set(i, text);
  // An emptied remark on a record's first pair asks for the record to be worked out again.
  if (text.empty()) m_store->marks[i] &= static_cast<std::uint8_t>(~kWorkedOutBit);
}

DXFState TDXFBuffer::GetMark(int i) const noexcept {
  assert(IsValidIndex(i) && "pair index out of range");
  return IsValidIndex(i) ? static_cast<DXFState>(m_store->marks[i] & kStateMask) : dsNon;
}

void TDXFBuffer::ClearPair(int i) {
  Storage& s = *m_store;
  if (m_observer) {
    // Clearing a pair that holds something is a change like any other.
    if (s.Code(i) != 0) m_observer->CodeChanging(i, s.Code(i), 0);
    if (!s.Value(i).empty()) m_observer->ValueChanging(i, s.Value(i), {});
  }
  s.PutCode(i, 0);
  if (s.marks[i] & kEditedBit) s.edited.erase(i);
  s.valueRel[i] = Storage::kNoValue;
  s.marks[i] = dsNon;
  s.notes.Set(i, {});
}

// ------------------------------------------------------------------ loading

int TDXFBuffer::LoadFromFile(const std::string& fileName) {
  FileName = fileName;
  PairCount = 0;
  const int result = ReadPairs();
  if (result != ResultCode(LoadResult::Ok)) return result;
  (void)BuildIndex();
  DetectEncoding();
  return result;
}

int TDXFBuffer::AllocPairs(int n) {
  try {
    Storage& s = *m_store;
    const std::size_t size = static_cast<std::size_t>(n) + 100;
    s.codes.assign(size, 0);
    s.wideCodes.clear();
    s.valueRel.assign(size, Storage::kNoValue);
    s.valueLen.assign(size, 0);
    s.blockBase.assign((size >> Storage::kBlockBits) + 1, 0);
    s.marks.assign(size, dsNon);
    s.edited.clear();
    s.notes.Reset();
    s.startBefore.clear();
    s.startsValidBlocks = 0;
    m_size = static_cast<int>(size);
    return 0;
  } catch (const std::bad_alloc&) {
    m_size = 0;
    return ResultCode(LoadResult::OutOfMemory);
  }
}

int TDXFBuffer::ReadPairs() {
  ErrorCode = 0;
  ErrorMessage.clear();
  const auto fail = [this](LoadResult result, std::size_t line = 0) {
    if (result == LoadResult::OutOfMemory) PairCount = 0;
    ErrorCode = ResultCode(result);
    ErrorMessage = LoadMessage(result, FileName, line);
    return ErrorCode;
  };
  FileBytes file = ReadWholeFile(FileName);
  switch (file.fault) {
    case ReadFault::None:
      break;
    case ReadFault::Missing:
      return fail(LoadResult::Missing);
    case ReadFault::Unreadable:
      return fail(LoadResult::Unreadable);
    case ReadFault::OutOfMemory:
      return fail(LoadResult::OutOfMemory);
  }
  const std::size_t lines = file.lines;
  if (lines / 2 > static_cast<std::size_t>(INT32_MAX - 100) ||
      AllocPairs(static_cast<int>(lines / 2)) != 0) {
    m_size = 0;
    return fail(LoadResult::OutOfMemory);
  }
  PairCount = static_cast<int>(lines / 2);
  Storage& s = *m_store;
  s.text = std::move(file.data);
  s.textSize = file.size;

  const char* data = s.text.get();
  LineSplitter splitter(data, file.size);
  std::size_t start = 0;
  for (std::size_t k = 0; k < lines; k += 2) {
    const std::size_t codeEnd = splitter.Next();
    const int pair = static_cast<int>(k / 2);
    const bool hasValue = k + 1 < lines;
    int code = 0;
    if (!hasValue || !ParseCodeLine(data + start, data + codeEnd, code)) [[unlikely]] {
      return fail(LoadResult::Broken, k);
    }
    s.PutCode(pair, code);
    start = NextLineStart(data, file.size, codeEnd);
    const std::size_t block = static_cast<std::size_t>(pair) >> Storage::kBlockBits;
    if ((pair & ((1 << Storage::kBlockBits) - 1)) == 0) s.blockBase[block] = start;
    const std::uint64_t rel = start - s.blockBase[block];
    if (rel >= Storage::kNoValue) [[unlikely]]
      return fail(LoadResult::OutOfMemory);
    s.valueRel[pair] = static_cast<std::uint32_t>(rel);
    const std::size_t valueEnd = splitter.Next();
    s.valueLen[pair] =
        static_cast<std::uint16_t>(std::min<std::size_t>(valueEnd - start, Storage::kLongValue));
    start = NextLineStart(data, file.size, valueEnd);
  }
  return ResultCode(LoadResult::Ok);
}

int TDXFBuffer::SaveToFile() {
  const Storage& s = *m_store;
  const int last = std::min(EofIndex, m_size - 1);
  const bool saved = ReplaceFile(FileName, [&s, last](FileWriter& out) {
    for (int i = 0; i <= last && out.ok(); ++i) {
      const std::string_view value = s.Value(i);
      const int code = s.Code(i);
      if (code == 0 && value.empty()) continue;
      out.AppendPair(code, value);
    }
  });
  if (saved) return ResultCode(SaveResult::Ok);
  ShowMessage(SaveMessage(SaveResult::Unwritable, FileName));
  return ResultCode(SaveResult::Unwritable);
}

void TDXFBuffer::ShowMessage(const std::string& text) const {
  if (OnMessage) OnMessage(text);
}
