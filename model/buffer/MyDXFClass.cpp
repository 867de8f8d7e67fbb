// MyDXFClass.cpp - the line buffer: loading, accessing and saving pairs.
//
// Loading runs in stages: read the file into one block and count its lines (DXFFile),
// tell its format, split the lines into pairs, parsing every code line (LineSplitter),
// then BuildIndex marks the sections, tables and header variables (MyDXFClassIndex).
// Saving writes the pairs (MyDXFClassSave) through ReplaceFile, which keeps the old file
// until the new one is on disk.
#include "model/buffer/MyDXFClass.h"

#include <algorithm>    // std::min
#include <cstdint>      // INT32_MAX
#include <new>          // std::bad_alloc
#include <optional>     // std::optional
#include <string_view>  // std::string_view

#include "model/buffer/BinaryDXF.h"
#include "model/buffer/DXFFile.h"
#include "model/buffer/DXFResult.h"
#include "model/buffer/LineSplitter.h"
#include "model/buffer/MyDXFClass_p.h"
#include "model/buffer/PreparedValues.h"
#include "model/buffer/RecordWalk.h"
#include "model/text/DocumentText.h"
#include "model/text/MyStringLib.h"
#include "model/text/Sjis.h"

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

void TDXFBuffer::GetCodes(int first, int count, int* codes) const noexcept {
  assert(count == 0 || (IsValidIndex(first) && IsValidIndex(first + count - 1)));
  const std::int16_t* slots = m_store->codes.data() + first;
  for (int k = 0; k < count; ++k) codes[k] = slots[k];
  for (int k = 0; k < count; ++k)  // rare: a code outside 16 bits
    if (codes[k] == Storage::kWideCode) codes[k] = m_store->Code(first + k);
}

void TDXFBuffer::SetCode(int i, int code) noexcept {
  assert(IsValidIndex(i) && "pair index out of range");
  if (!IsValidIndex(i)) return;
  Storage& s = *m_store;
  if (m_observer) m_observer->CodeChanging(i, s.Code(i), code);
  if (s.Code(i) == code) return;
  NoteStaleness(i, s.Code(i), code, /*codeChanges=*/true);
  s.marks[i] |= kCodeEditedBit;
  if (IsRecordStartCode(s.Code(i)) != IsRecordStartCode(code)) {
    // The record starts noted for the blocks from this pair on may have moved.
    constexpr std::size_t kBlock = std::size_t{1} << Storage::kStartBlockBits;
    const std::size_t firstStale = (static_cast<std::size_t>(i) + kBlock - 1) / kBlock;
    s.startsValidBlocks = std::min(s.startsValidBlocks, firstStale);
  }
  s.PutCode(i, code);
  InvalidateRemarks(i);
}

// A change of pair i, whose code is or becomes `code`, needs the index rebuilt when it
// touches what BuildIndex finds records by: a record start (code 0) or variable name
// (code 9), or the pair after a SECTION or TABLE pair, which BuildIndex reads as its
// name whatever its code; a header value only needs the header's
// variables read again. The handle index follows record starts, names, handles and
// pointers; any code change may move them.
void TDXFBuffer::NoteStaleness(int i, int oldCode, int newCode, bool codeChanges) noexcept {
  const Storage& s = *m_store;
  IndexStale need = IndexStale::None;
  for (const int code : {oldCode, newCode}) {
    if (IsRecordStartCode(code)) {
      need = IndexStale::Rebuild;
    } else if (i > 0 && s.Code(i - 1) == kRecordStartCode) {
      const std::string_view owner = TrimView(s.Value(i - 1));
      if (owner == "SECTION" || owner == "TABLE") need = IndexStale::Rebuild;
    }
  }
  if (need == IndexStale::None && i >= HeaderStart && i <= HeaderEnd) need = IndexStale::Header;
  m_staleIndex = std::max(m_staleIndex, need);
  const auto touchesHandles = [](int code) {
    return IsRecordStartCode(code) || code == kNameCode || code == kHandleCode ||
           code == kDimstyleHandleCode || IsPointerCode(code);
  };
  if (codeChanges || touchesHandles(newCode)) m_staleHandles = true;
}

void TDXFBuffer::InvalidateRemarks(int i) noexcept {
  Storage& s = *m_store;
  if (!s.anyNotes || !IsValidIndex(i)) return;  // nothing was worked out: nothing to forget
  SetNote(i, {});
  for (int j = i; j > 0; --j) {
    if (IsRecordStartCode(s.Code(j))) {
      SetNote(j, {});
      return;
    }
  }
}

CacheUpdate TDXFBuffer::UpdateCaches() {
  const CacheUpdate update{m_staleIndex, m_staleHandles};
  if (m_staleIndex == IndexStale::Rebuild) {
    // BuildIndex reads the pairs before it clears those after the EOF pair; when it
    // cleared some, a second run describes the buffer as it now stands.
    BuildIndex();
    if (m_clearedAfterEof) BuildIndex();
  } else if (m_staleIndex == IndexStale::Header) {
    RefreshHeaderValues();
  }
  m_staleIndex = IndexStale::None;
  m_staleHandles = false;
  return update;
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
  if (marks[at] & kEditedBit) return edited.Get(EditedRef(at));
  const std::uint32_t rel = valueRel[at];
  if (rel == kNoValue) return {};
  const std::uint16_t len = valueLen[at];
  return {text.get() + blockBase[at >> kBlockBits] + rel,
          len != kLongValue ? len : longLengths.find(i)->second};
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
  Storage& s = *m_store;
  if (m_observer) m_observer->ValueChanging(i, s.Value(i), text);
  NoteStaleness(i, s.Code(i), s.Code(i), /*codeChanges=*/false);
  s.SetEdited(static_cast<std::size_t>(i), text);
  InvalidateRemarks(i);
}

// The records of values are taken over as they are: each one's tag, its pair so far,
// becomes that pair's place in the file.
void TDXFBuffer::SetValues(PreparedValues& values) {
  if (values.Size() == 0) return;
  if (!IsValidIndex(values.LeastPair()) || !IsValidIndex(values.GreatestPair())) {
    assert(!"pair index out of range");
    return;
  }
  Storage& s = *m_store;
  const ValueArena::Ref firstAdopted = s.edited.Adopt(values.m_arena);
  s.edited.ForEach(
      [&](ValueArena::Ref ref) {
        const auto i = static_cast<int>(s.edited.Tag(ref));
        const std::size_t at = static_cast<std::size_t>(i);
        if (m_observer) m_observer->ValueChanging(i, s.Value(i), s.edited.Get(ref));
        NoteStaleness(i, s.Code(i), s.Code(i), /*codeChanges=*/false);
        s.edited.SetTag(ref, s.Place(at));
        s.ReplaceEdited(at, ref);
        InvalidateRemarks(i);
      },
      firstAdopted);
  values.Clear();
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
  if (!text.empty()) m_store->anyNotes = true;
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
  s.notes.Set(i, {});
  const std::size_t at = static_cast<std::size_t>(i);
  if (s.ValueOffset(i) != Storage::kNoOffset) {
    // A pair the file had keeps its place in the text, so that one brought back later
    // (by an undo) is saved exactly as it was read.
    s.SetEdited(at, {});
    s.marks[at] = kEditedBit | kCodeEditedBit | (s.marks[at] & kSeamBit);
    return;
  }
  // A pair the file did not have: no line, and so no long length either.
  if (s.marks[at] & kEditedBit) s.edited.Release(s.EditedRef(at));
  s.valueRel[i] = Storage::kNoValue;
  s.valueLen[i] = 0;
  s.marks[i] = dsNon;
}

// ------------------------------------------------------------------ loading

int TDXFBuffer::LoadFromFile(const std::string& fileName) {
  FileName = fileName;
  PairCount = 0;
  TruncatedAtLine = IgnoredLinesAfterEof = 0;
  const int result = ReadPairs();
  if (result != ResultCode(LoadResult::Ok)) return result;
  BuildIndex();
  DetectEncoding();
  NoteWhatWasLeftOut();
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
    s.longLengths.clear();
    s.blockBase.assign((size >> Storage::kBlockBits) + 1, 0);
    s.marks.assign(size, dsNon);
    s.filePairs.clear();
    s.edited.Clear();
    s.notes.Reset();
    s.anyNotes = false;
    s.startBefore.clear();
    s.startsValidBlocks = 0;
    m_size = static_cast<int>(size);
    return 0;
  } catch (const std::bad_alloc&) {
    m_size = 0;
    return ResultCode(LoadResult::OutOfMemory);
  }
}

static LoadResult ResultOfReadFault(ReadFault fault) {
  switch (fault) {
    case ReadFault::None:
      return LoadResult::Ok;
    case ReadFault::Missing:
      return LoadResult::Missing;
    case ReadFault::Folder:
      return LoadResult::Folder;
    case ReadFault::NotRegularFile:
      return LoadResult::NotRegularFile;
    case ReadFault::NoPermission:
      return LoadResult::NoPermission;
    case ReadFault::LinkLoop:
      return LoadResult::LinkLoop;
    case ReadFault::Unreadable:
      return LoadResult::Unreadable;
    case ReadFault::OutOfMemory:
      return LoadResult::OutOfMemory;
  }
  return LoadResult::Unreadable;
}

// Tells a UTF-16 text, with or without a byte-order mark, from a text DXF file by the
// file's first bytes; a UTF-16 file of DXF lines starts with ASCII characters, each with
// a NUL byte beside it.
static LoadResult ResultOfFormat(const FileBytes& file) {
  const std::string_view head(file.data.get(), std::min<std::size_t>(file.fileSize, 32));
  if (head.starts_with("\xFF\xFE") || head.starts_with("\xFE\xFF")) return LoadResult::Utf16;
  if (head.size() < 4) return LoadResult::Ok;
  const auto zero = [&head](std::size_t k) { return head[k] == 0; };
  const bool littleEndian = !zero(0) && zero(1) && !zero(2) && zero(3);
  const bool bigEndian = zero(0) && !zero(1) && zero(2) && !zero(3);
  return littleEndian || bigEndian ? LoadResult::Utf16 : LoadResult::Ok;
}

// The bytes of a UTF-8 byte-order mark at the start of the text, which is skipped.
static std::size_t Utf8MarkLength(const FileBytes& file) {
  return std::string_view(file.data.get(), file.size).starts_with("\xEF\xBB\xBF") ? 3 : 0;
}

// The 1-based line that holds the NUL byte ending the text.
static long long NulLine(const FileBytes& file) {
  const char last = file.size == 0 ? '\n' : file.data[file.size - 1];
  const bool atLineStart = last == '\n' || last == '\r';
  return static_cast<long long>(file.lines) + (atLineStart ? 1 : 0);
}

int TDXFBuffer::Fail(LoadResult result, std::size_t line) {
  if (result == LoadResult::OutOfMemory) PairCount = 0;
  ErrorCode = ResultCode(result);
  ErrorMessage = LoadMessage(result, FileName, line);
  // The message counts lines from zero; the grid, and this, from one.
  ErrorLine = result == LoadResult::Broken ? static_cast<long long>(line) + 1 : 0;
  return ErrorCode;
}

int TDXFBuffer::ReadPairs() {
  ErrorCode = 0;
  ErrorMessage.clear();
  ErrorLine = 0;
  FileBytes file = ReadWholeFile(FileName);
  LoadResult fault = ResultOfReadFault(file.fault);
  if (fault != LoadResult::Ok) return Fail(fault);
  if (std::string_view(file.data.get(), file.fileSize).starts_with(kBinaryMark))
    return ReadBinaryPairs(file);
  fault = ResultOfFormat(file);
  if (fault != LoadResult::Ok) return Fail(fault);
  Form = SaveForm = DXFForm::Text;
  // A byte-order mark with nothing after it is no line: the text is empty. A code line
  // cut short by a NUL byte has lost its value line, so it is left out.
  const std::size_t mark = Utf8MarkLength(file);
  std::size_t lines = mark != 0 && mark == file.size ? 0 : file.lines;
  if (file.EndsAtNul() && lines % 2 == 1) --lines;
  if (lines / 2 > static_cast<std::size_t>(INT32_MAX - 100) ||
      AllocPairs(static_cast<int>(lines / 2)) != 0) {
    m_size = 0;
    return Fail(LoadResult::OutOfMemory);
  }
  PairCount = static_cast<int>(lines / 2);
  Storage& s = *m_store;
  s.textStart = mark;
  s.textSize = file.size;
  s.fileLines = static_cast<long long>(file.fileLines);
  s.nulLine = file.EndsAtNul() ? NulLine(file) : 0;
  s.text = std::move(file.data);
  s.binary.reset();
  s.binarySize = 0;
  s.binaryPairs = 0;
  return SplitPairs(lines);
}

// Splits the first `lines` lines of the text into pairs, parsing every code line.
int TDXFBuffer::SplitPairs(std::size_t lines) {
  Storage& s = *m_store;
  const char* data = s.text.get();
  const std::size_t size = s.textSize;
  LineSplitter splitter(data, size);
  std::size_t start = s.textStart;
  for (std::size_t k = 0; k < lines; k += 2) {
    const std::size_t codeEnd = splitter.Next();
    const int pair = static_cast<int>(k / 2);
    int code = 0;
    if (k + 1 >= lines || !ParseCodeLine(data + start, data + codeEnd, code)) [[unlikely]]
      return EndPairsAt(k);
    s.PutCode(pair, code);
    start = NextLineStart(data, size, codeEnd);
    const std::size_t valueEnd = splitter.Next();
    if (!s.PlaceValue(pair, start, valueEnd - start)) [[unlikely]]
      return Fail(LoadResult::OutOfMemory);
    start = NextLineStart(data, size, valueEnd);
  }
  return ResultCode(LoadResult::Ok);
}

// What a first reading of a binary file found: its pairs up to the EOF pair, the
// characters their texts take at most, and whether the bytes ended inside a pair.
struct BinaryCount {
  std::size_t pairs = 0;
  std::size_t textBound = 0;
  bool cut = false;
};

static BinaryCount CountBinaryPairs(std::string_view bytes, BinaryCodes codes) {
  BinaryPairReader reader(bytes, codes);
  BinaryPair pair;
  BinaryCount count;
  for (BinaryPairReader::Step step; (step = reader.Next(pair)) != BinaryPairReader::Step::End;) {
    if (step == BinaryPairReader::Step::Cut) {
      count.cut = true;
      break;
    }
    ++count.pairs;
    const std::size_t valueBytes = pair.valueEnd - pair.valueStart;
    count.textBound += MaxValueTextLength(ValueTypeOfCode(pair.code), valueBytes);
    const bool eof = pair.code == kRecordStartCode &&
                     TrimView(bytes.substr(pair.valueStart, valueBytes)) == "EOF";
    if (eof) break;
  }
  return count;
}

// Counts the pairs of a binary file, then reads them. The codes are taken as $ACADVER's
// pair tells; without it as the first pair suggests, or the other way when only that
// reads the file whole, since a saved file need not start with (0, SECTION). A file that
// ends inside a pair is broken there; one that ends between pairs without an EOF pair
// loads, as a text file does.
int TDXFBuffer::ReadBinaryPairs(FileBytes& file) {
  const std::string_view bytes(file.data.get(), file.fileSize);
  if (!bytes.starts_with(kBinarySentinel)) return Fail(LoadResult::BadSentinel);
  const std::optional<BinaryCodes> told = CodesOfAcadVer(bytes);
  BinaryCodes codes = told.value_or(CodesOfFirstPair(bytes));
  BinaryCount count = CountBinaryPairs(bytes, codes);
  if (count.cut && !told) {
    const BinaryCodes other =
        codes == BinaryCodes::OneByte ? BinaryCodes::TwoBytes : BinaryCodes::OneByte;
    if (const BinaryCount whole = CountBinaryPairs(bytes, other); !whole.cut) {
      codes = other;
      count = whole;
    }
  }
  if (count.cut) return Fail(LoadResult::BinaryCut, 2 * count.pairs);
  if (count.pairs > static_cast<std::size_t>(INT32_MAX - 100) ||
      AllocPairs(static_cast<int>(count.pairs)) != 0) {
    m_size = 0;
    return Fail(LoadResult::OutOfMemory);
  }
  return DecodeBinaryPairs(file, static_cast<int>(count.pairs), count.textBound, codes);
}

// Puts the texts of the first `pairs` pairs of a binary file one after the other into a
// new text block and keeps the file's bytes for the save.
int TDXFBuffer::DecodeBinaryPairs(FileBytes& file, int pairs, std::size_t textBound,
                                  BinaryCodes codes) {
  Storage& s = *m_store;
  std::unique_ptr<char[]> text(new (std::nothrow) char[textBound + 1]);
  if (!text) return Fail(LoadResult::OutOfMemory);
  const std::string_view bytes(file.data.get(), file.fileSize);
  BinaryPairReader reader(bytes, codes);
  BinaryPair pair;
  std::size_t at = 0;
  for (int i = 0; i < pairs; ++i) {
    (void)reader.Next(pair);  // counted whole before
    s.PutCode(i, pair.code);
    const std::string_view value = bytes.substr(pair.valueStart, pair.valueEnd - pair.valueStart);
    const std::size_t length = ValueText(ValueTypeOfCode(pair.code), value, text.get() + at);
    if (!s.PlaceValue(i, at, length)) [[unlikely]]
      return Fail(LoadResult::OutOfMemory);
    at += length;
  }
  PairCount = pairs;
  Form = SaveForm = DXFForm::Binary;
  s.text = std::move(text);
  s.textSize = at;
  s.textStart = 0;
  s.fileLines = 2LL * pairs;
  s.nulLine = 0;
  s.binary = std::move(file.data);
  s.binarySize = file.fileSize;
  s.binaryPairs = pairs;
  s.binaryCodes = codes;
  return ResultCode(LoadResult::Ok);
}

// A code line at `line` that cannot be read, or has no value line. After an EOF pair the
// drawing is complete and the pairs end before it (the pairs after them stay cleared);
// anywhere else the file is broken there.
int TDXFBuffer::EndPairsAt(std::size_t line) {
  const int pairs = static_cast<int>(line / 2);
  if (!HasEofPairBefore(pairs)) return Fail(LoadResult::Broken, line);
  PairCount = pairs;
  m_size = pairs + 100;
  return ResultCode(LoadResult::Ok);
}

bool TDXFBuffer::IsEofPair(int i) const noexcept {
  return m_store->Code(i) == kRecordStartCode && TrimView(m_store->Value(i)) == "EOF";
}

// Runs once, on the cold path of a load that met a bad line.
bool TDXFBuffer::HasEofPairBefore(int pairs) const noexcept {
  for (int i = pairs - 1; i >= 0; --i)
    if (IsEofPair(i)) return true;
  return false;
}

// Sets TruncatedAtLine and IgnoredLinesAfterEof from the file's lines and the index: a
// NUL byte after the EOF pair ends nothing of the drawing.
void TDXFBuffer::NoteWhatWasLeftOut() {
  const Storage& s = *m_store;
  const bool complete = IsEofPair(EofIndex);
  const long long drawingLines = LineOfPair(EofIndex) + 1;
  IgnoredLinesAfterEof = complete ? s.fileLines - drawingLines : 0;
  TruncatedAtLine = complete && s.nulLine >= drawingLines ? 0 : s.nulLine;
}

// Writes pairs 0..EofIndex in the form and the way a save writes them.
template <typename Out>
void TDXFBuffer::WritePairs(Out& out) const {
  const Storage& s = *m_store;
  const int last = std::min(EofIndex, m_size - 1);
  const bool fromBinary = Form == DXFForm::Binary;
  const bool normalise = NormaliseOnSave || fromBinary;
  const BinaryCodes codes =
      AcadVerNo >= kFirstTwoByteCodeVersion ? BinaryCodes::TwoBytes : BinaryCodes::OneByte;
  const bool toBinary = SaveForm == DXFForm::Binary;
  if (toBinary && fromBinary) return s.WriteBinaryAsRead(out, last);
  if (toBinary) return s.WriteBinary(out, last, codes);
  if (normalise) return s.WriteNormalised(out, last);
  s.WriteAsRead(out, last);
}

std::uint64_t TDXFBuffer::SaveSize() const {
  ByteCounter counter;
  WritePairs(counter);
  return counter.Bytes();
}

int TDXFBuffer::SaveToFile() {
  if (const std::string problem = SaveFormProblem(); !problem.empty()) {
    ShowMessage(problem);
    return ResultCode(SaveResult::Unencodable);
  }
  const WriteFault fault = ReplaceFile(FileName, [this](FileWriter& out) { WritePairs(out); });
  if (fault == WriteFault::None) return ResultCode(SaveResult::Ok);
  ShowMessage(SaveMessage(SaveResult::Unwritable, FileName, fault));
  return ResultCode(SaveResult::Unwritable);
}

// A binary save encodes the pairs it does not copy; a text save from a binary file
// writes every value on a line of its own, which a line break would split.
std::string TDXFBuffer::SaveFormProblem() const {
  const Storage& s = *m_store;
  const int last = std::min(EofIndex, m_size - 1);
  const bool copiesUnchanged = Form == DXFForm::Binary && SaveForm == DXFForm::Binary;
  if (SaveForm == DXFForm::Text && Form == DXFForm::Text) return {};
  for (int i = 0; i <= last; ++i) {
    if (s.IsLeftOut(i) || (copiesUnchanged && s.FilePairOf(i) >= 0 && !s.IsChanged(i))) continue;
    const std::string_view value = s.Value(i);
    if (SaveForm == DXFForm::Text) {
      if (value.find_first_of("\r\n") != std::string_view::npos)
        return UnwritablePairMessage(LineOfPair(i), s.Code(i), ProgramText(*this, value),
                                     Sjis("改行を含むのでテキスト DXF に書けません"));
      continue;
    }
    const BinaryFault fault = BinaryFaultOf(s.Code(i), value);
    if (fault != BinaryFault::None)
      return UnwritablePairMessage(LineOfPair(i), s.Code(i), ProgramText(*this, value),
                                   BinaryFaultText(fault) + Sjis("。バイナリ DXF に書けません"));
  }
  return {};
}

void TDXFBuffer::ShowMessage(const std::string& text) const {
  if (OnMessage) OnMessage(text);
}
