// MyDXFClass.cpp - the line buffer: reading, indexing, accessing and saving pairs.
//
// Loading runs in stages: read the file into one block, count its lines, split them
// into pairs (parsing every code line), then BuildIndex marks the sections, tables and
// header variables. Saving writes a new file beside the target and renames it over the
// target only when everything reached the disk.
#include "model/MyDXFClass.h"

#include <fcntl.h>     // open, O_RDONLY
#include <sys/stat.h>  // stat, fchmod, umask
#include <unistd.h>    // read, write, close, fsync, unlink

#include <algorithm>   // std::min, std::max
#include <cerrno>      // errno
#include <cstdint>     // INT32_MAX
#include <cstdio>      // std::rename
#include <cstdlib>     // mkstemp
#include <cstring>     // std::memchr, std::memcpy
#include <filesystem>  // std::filesystem::canonical
#include <new>         // std::nothrow, std::bad_alloc

#if defined(__SSE2__)
#include <emmintrin.h>  // _mm_loadu_si128, _mm_cmpeq_epi8, _mm_movemask_epi8
#endif

#include "model/MyDXFClass_p.h"
#include "model/MyStringLib.h"
#include "model/Sjis.h"

// ------------------------------------------------------------------ remark storage

void NoteStore::Reset() {
  m_pages.clear();
  m_pages.shrink_to_fit();
  m_ids.clear();
  m_texts.clear();
}

std::string_view NoteStore::Get(int i) const noexcept {
  const std::size_t page = static_cast<std::size_t>(i) >> kPageBits;
  if (page >= m_pages.size() || !m_pages[page]) return {};
  const std::uint32_t id = m_pages[page][i & (kPageSize - 1)];
  return id == 0 ? std::string_view() : std::string_view(m_texts[id - 1]);
}

void NoteStore::Set(int i, std::string_view text) {
  const std::size_t page = static_cast<std::size_t>(i) >> kPageBits;
  if (text.empty() && (page >= m_pages.size() || !m_pages[page])) return;
  if (page >= m_pages.size()) m_pages.resize(page + 1);
  if (!m_pages[page]) m_pages[page].reset(new std::uint32_t[kPageSize]());
  m_pages[page][i & (kPageSize - 1)] = text.empty() ? 0 : Intern(text);
}

std::uint32_t NoteStore::Intern(std::string_view text) {
  const auto found = m_ids.find(text);
  if (found != m_ids.end()) return found->second;
  m_texts.emplace_back(text);
  const auto id = static_cast<std::uint32_t>(m_texts.size());
  m_ids.emplace(m_texts.back(), id);
  return id;
}

// ------------------------------------------------------------------ line splitting

// Marks the line terminators of one block of up to 64 bytes: bit k is set when byte k is
// a CR, or an LF that does not directly follow a CR (a CR LF pair ends one line, at its
// CR). carryCR tells whether the byte before the block was a CR, and is updated.
static std::uint64_t TerminatorMask(const char* block, std::size_t len, bool& carryCR) noexcept {
  char padded[64];
  if (len < 64) {
    std::memset(padded, 0, sizeof padded);
    std::memcpy(padded, block, len);
    block = padded;
  }
  std::uint64_t cr = 0;
  std::uint64_t lf = 0;
#if defined(__SSE2__)
  const __m128i vcr = _mm_set1_epi8('\r');
  const __m128i vlf = _mm_set1_epi8('\n');
  for (int part = 0; part < 4; ++part) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * part));
    cr |= static_cast<std::uint64_t>(
              static_cast<std::uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, vcr))))
          << (16 * part);
    lf |= static_cast<std::uint64_t>(
              static_cast<std::uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, vlf))))
          << (16 * part);
  }
#else
  for (int k = 0; k < 64; ++k) {
    cr |= static_cast<std::uint64_t>(block[k] == '\r') << k;
    lf |= static_cast<std::uint64_t>(block[k] == '\n') << k;
  }
#endif
  const std::uint64_t afterCR = (cr << 1) | static_cast<std::uint64_t>(carryCR);
  carryCR = (cr >> 63) != 0;
  return cr | (lf & ~afterCR);
}

// Yields the offsets of a text's line terminators in order, 64 bytes at a time.
// Performance: one mask per block and one count-trailing-zeros per line keep the split
// at a few instructions per byte, well under the cost of reading the file.
class LineSplitter {
 public:
  LineSplitter(const char* data, std::size_t size) : m_data(data), m_size(size) {}

  // Returns the offset of the next terminator, or the text's size when none is left.
  std::size_t Next() noexcept {
    while (m_mask == 0) {
      if (m_next >= m_size) return m_size;
      m_base = m_next;
      const std::size_t len = std::min<std::size_t>(64, m_size - m_base);
      m_mask = TerminatorMask(m_data + m_base, len, m_carryCR);
      m_next += 64;
    }
    const std::size_t at = m_base + static_cast<std::size_t>(__builtin_ctzll(m_mask));
    m_mask &= m_mask - 1;
    return at;
  }

 private:
  const char* m_data;
  std::size_t m_size;
  std::size_t m_base = 0;
  std::size_t m_next = 0;
  std::uint64_t m_mask = 0;
  bool m_carryCR = false;
};

// Counts the lines of a text fed to it in pieces, 64 bytes at a time.
class LineCounter {
 public:
  // Counts the whole 64-byte blocks of data[m_counted, upTo) and remembers where it stopped.
  void CountBlocks(const char* data, std::size_t upTo) noexcept {
    for (; m_counted + 64 <= upTo; m_counted += 64)
      m_lines += static_cast<std::size_t>(
          __builtin_popcountll(TerminatorMask(data + m_counted, 64, m_carryCR)));
  }
  // Counts what is left of data[0, size) and returns the number of lines: a last line
  // without a terminator counts, and no empty line follows a final terminator.
  std::size_t Finish(const char* data, std::size_t size) noexcept {
    CountBlocks(data, size);
    if (m_counted < size)
      m_lines += static_cast<std::size_t>(
          __builtin_popcountll(TerminatorMask(data + m_counted, size - m_counted, m_carryCR)));
    if (size > 0 && data[size - 1] != '\n' && data[size - 1] != '\r') ++m_lines;
    return m_lines;
  }

 private:
  std::size_t m_counted = 0;
  std::size_t m_lines = 0;
  bool m_carryCR = false;
};

// Offset of the line that follows the terminator at `at` (the text has a sentinel after it).
static std::size_t NextLineStart(const char* data, std::size_t size, std::size_t at) noexcept {
  if (at >= size) return size;
  return at + 1 +
         static_cast<std::size_t>(data[at] == '\r' && at + 1 < size && data[at + 1] == '\n');
}

// Reads a code line: blanks and control characters around an optional sign and decimal
// digits, within the signed 32-bit range.
static bool ParseCodeLine(const char* begin, const char* end, int& code) noexcept {
  while (begin < end && static_cast<unsigned char>(*begin) <= 0x20) ++begin;
  while (end > begin && static_cast<unsigned char>(end[-1]) <= 0x20) --end;
  bool negative = false;
  if (begin < end && (*begin == '+' || *begin == '-')) negative = *begin++ == '-';
  if (begin == end || end - begin > 10) return false;
  long long value = 0;
  for (; begin < end; ++begin) {
    const unsigned digit = static_cast<unsigned char>(*begin) - '0';
    if (digit > 9) return false;
    value = value * 10 + digit;
  }
  if (negative) value = -value;
  if (value > 2147483647LL || value < -2147483648LL) return false;
  code = static_cast<int>(value);
  return true;
}

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
  if (result == 0) BuildIndex();
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
    return -5;
  }
}

namespace {

// Why reading a file stopped.
enum class ReadFault : std::uint8_t { None, Missing, Unreadable, OutOfMemory };

// The whole content of a file, up to its first NUL byte, with a '\n' sentinel after it,
// and its number of lines.
struct FileBytes {
  std::unique_ptr<char[]> data;
  std::size_t size = 0;
  std::size_t lines = 0;
  ReadFault fault = ReadFault::None;
};

// Reads the next piece of fd into bytes, growing the block when the file outgrew its
// stat size. Returns the bytes read, 0 at the end, or -1 with bytes.fault set.
ssize_t ReadPiece(int fd, FileBytes& bytes, std::size_t& capacity) {
  constexpr std::size_t kPiece = 1 << 20;
  if (bytes.size == capacity) {
    char probe;
    ssize_t more;
    do more = ::read(fd, &probe, 1);
    while (more < 0 && errno == EINTR);
    if (more <= 0) {
      if (more < 0) bytes.fault = ReadFault::Unreadable;
      return more;
    }
    const std::size_t grown = capacity * 2 + 4096;
    std::unique_ptr<char[]> bigger(new (std::nothrow) char[grown + 1]);
    if (!bigger) {
      bytes.fault = ReadFault::OutOfMemory;
      return -1;
    }
    std::memcpy(bigger.get(), bytes.data.get(), bytes.size);
    bigger[bytes.size] = probe;
    bytes.data = std::move(bigger);
    capacity = grown;
    return 1;
  }
  ssize_t got;
  do got = ::read(fd, bytes.data.get() + bytes.size, std::min(kPiece, capacity - bytes.size));
  while (got < 0 && errno == EINTR);
  if (got < 0) bytes.fault = ReadFault::Unreadable;
  return got;
}

// Reads a whole file and counts its lines.
// Performance: lines are counted piece by piece right after each read, while the piece
// is still in the cache; a separate counting pass over a 200 MB text cost a fifth of
// the load and made files larger than the cache slower per megabyte.
FileBytes ReadWholeFile(const std::string& path) {
  FileBytes bytes;
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) {
    bytes.fault =
        (errno == ENOENT || errno == ENOTDIR) ? ReadFault::Missing : ReadFault::Unreadable;
    return bytes;
  }
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0 || S_ISDIR(info.st_mode)) {
    if (fd >= 0) ::close(fd);
    bytes.fault = ReadFault::Unreadable;
    return bytes;
  }
  std::size_t capacity = static_cast<std::size_t>(info.st_size);
  bytes.data.reset(new (std::nothrow) char[capacity + 1]);
  if (!bytes.data) bytes.fault = ReadFault::OutOfMemory;
  LineCounter counter;
  while (bytes.fault == ReadFault::None) {
    const ssize_t got = ReadPiece(fd, bytes, capacity);
    if (got <= 0) break;
    const char* piece = bytes.data.get() + bytes.size;
    bytes.size += static_cast<std::size_t>(got);
    // A NUL byte ends the text.
    if (const void* nul = std::memchr(piece, 0, static_cast<std::size_t>(got))) {
      bytes.size = static_cast<std::size_t>(static_cast<const char*>(nul) - bytes.data.get());
      break;
    }
    counter.CountBlocks(bytes.data.get(), bytes.size);
  }
  ::close(fd);
  if (bytes.fault != ReadFault::None) return bytes;
  bytes.lines = counter.Finish(bytes.data.get(), bytes.size);
  bytes.data[bytes.size] = '\n';
  return bytes;
}

}  // namespace

int TDXFBuffer::ReadPairs() {
  ErrorCode = 0;
  ErrorMessage.clear();
  const auto fail = [this](int code, std::string message) {
    ErrorCode = code;
    ErrorMessage = std::move(message);
    return code;
  };
  FileBytes file = ReadWholeFile(FileName);
  switch (file.fault) {
    case ReadFault::None:
      break;
    case ReadFault::Missing:
      return fail(-1, Sjis(FileName) + Sjis("ファイルが見つかりません"));
    case ReadFault::Unreadable:
      return fail(-2, Sjis(FileName) + Sjis("ファイルが開けません。他で開かれていませんか？"));
    case ReadFault::OutOfMemory:
      PairCount = 0;
      return fail(-5, Sjis("メモリが足りません"));
  }
  const std::size_t lines = file.lines;
  if (lines / 2 > static_cast<std::size_t>(INT32_MAX - 100) ||
      AllocPairs(static_cast<int>(lines / 2)) != 0) {
    PairCount = 0;
    m_size = 0;
    return fail(-5, Sjis("メモリが足りません"));
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
      return fail(-3,
                  Sjis("ＤＸＦファイルが壊れています。") + "\r\v" + std::to_string(k) + Sjis("行"));
    }
    s.PutCode(pair, code);
    start = NextLineStart(data, file.size, codeEnd);
    const std::size_t block = static_cast<std::size_t>(pair) >> Storage::kBlockBits;
    if ((pair & ((1 << Storage::kBlockBits) - 1)) == 0) s.blockBase[block] = start;
    const std::uint64_t rel = start - s.blockBase[block];
    if (rel >= Storage::kNoValue) [[unlikely]] {
      PairCount = 0;
      return fail(-5, Sjis("メモリが足りません"));
    }
    s.valueRel[pair] = static_cast<std::uint32_t>(rel);
    const std::size_t valueEnd = splitter.Next();
    s.valueLen[pair] =
        static_cast<std::uint16_t>(std::min<std::size_t>(valueEnd - start, Storage::kLongValue));
    start = NextLineStart(data, file.size, valueEnd);
  }
  return 0;
}

// ------------------------------------------------------------------ index

void TDXFBuffer::ResetIndex() {
  HeaderStart = HeaderEnd = ClassesStart = ClassesEnd = TablesStart = TablesEnd = 0;
  BlocksStart = BlocksEnd = EntitiesStart = EntitiesEnd = ObjectsStart = ObjectsEnd = 0;
  EofIndex = 0;
  AcadVer.clear();
  AcadVerNo = 0;
  HandSeed = HandSeedIndex = 0;
  CLayer.clear();
  CLayerIndex = 0;
  LtScale = 0;
  LtScaleIndex = 0;
  CeltScale = 0;
  CeltScaleIndex = 0;
  CeltType.clear();
  CeltTypeIndex = 0;
  VportTableIndex = LtypeTableIndex = LayerTableIndex = StyleTableIndex = ViewTableIndex = 0;
  UcsTableIndex = AppidTableIndex = DimstyleTableIndex = BlockRecordTableIndex = 0;
  BlockCount = LayerCount = LtypeCount = 0;
}

namespace {

const DXFSectionField* FindSection(std::string_view name) {
  for (const DXFSectionField& section : kDXFSections)
    if (section.name == name) return &section;
  return nullptr;
}

}  // namespace

const std::array<DXFSectionField, 6> kDXFSections = {{
    {"HEADER", &TDXFBuffer::HeaderStart, &TDXFBuffer::HeaderEnd},
    {"CLASSES", &TDXFBuffer::ClassesStart, &TDXFBuffer::ClassesEnd},
    {"TABLES", &TDXFBuffer::TablesStart, &TDXFBuffer::TablesEnd},
    {"BLOCKS", &TDXFBuffer::BlocksStart, &TDXFBuffer::BlocksEnd},
    {"ENTITIES", &TDXFBuffer::EntitiesStart, &TDXFBuffer::EntitiesEnd},
    {"OBJECTS", &TDXFBuffer::ObjectsStart, &TDXFBuffer::ObjectsEnd},
}};

const std::array<DXFTableField, 9> kDXFTables = {{
    {"VPORT", "VPORT", &TDXFBuffer::VportTableIndex},
    {"LTYPE", "LTYPE", &TDXFBuffer::LtypeTableIndex},
    {"LAYER", "LAYER", &TDXFBuffer::LayerTableIndex},
    {"STYLE", "STYLE", &TDXFBuffer::StyleTableIndex},
    {"VIEW", "VIEW", &TDXFBuffer::ViewTableIndex},
    {"UCS", "UCS", &TDXFBuffer::UcsTableIndex},
    {"APPID", "APPID", &TDXFBuffer::AppidTableIndex},
    {"DIMSTYLE", "DIMSTYLE", &TDXFBuffer::DimstyleTableIndex},
    {"BLOCK_RECORD", "BLOCKREC", &TDXFBuffer::BlockRecordTableIndex},
}};

int TDXFBuffer::BuildIndex() {
  ResetIndex();
  if (m_size == 0) return 0;  // nothing loaded yet
  Storage& s = *m_store;
  const DXFSectionField* current = nullptr;  // the section the last SECTION pair named
  int lastUsed = 0;
  for (int i = 0; i < PairCount; ++i) {
    std::uint8_t& mark = s.marks[i];
    mark = static_cast<std::uint8_t>((mark & ~kStateMask) | dsNon);
    if (s.Code(i) != kRecordStartCode) {
      lastUsed = i;
      continue;
    }
    mark = static_cast<std::uint8_t>((mark & ~kStateMask) | dsObject);
    const std::string_view t = TrimView(ValueView(i));
    if (!t.empty()) lastUsed = i;
    if (t == "SECTION") {
      mark = static_cast<std::uint8_t>((mark & ~kStateMask) | dsSection);
      current = FindSection(TrimView(ValueView(i + 1)));
      if (current) this->*(current->start) = i;
    } else if (t == "ENDSEC") {
      if (current) this->*(current->end) = i;
    } else if (t == "EOF") {
      EofIndex = i;
    }
  }
  if (EofIndex == 0) EofIndex = lastUsed;

  std::string variable;
  for (int i = HeaderStart; i <= HeaderEnd; ++i) {
    if (s.Code(i) == kVariableCode) variable = Trim(ValueView(i));
    ReadHeaderValue(variable, i);
  }

  std::string table;
  for (int i = TablesStart; i <= TablesEnd; ++i) {
    if (s.Code(i) != kRecordStartCode) continue;
    const std::string_view t = TrimView(ValueView(i));
    if (t == "TABLE") {
      table = Trim(ValueView(i + 1));
      for (const DXFTableField& field : kDXFTables)
        if (field.name == table) this->*(field.index) = i;
      s.marks[i] = static_cast<std::uint8_t>((s.marks[i] & ~kStateMask) | dsSubsection);
    } else if (t == "LAYER" && table == "LAYER") {
      ++LayerCount;
    } else if (t == "LTYPE" && table == "LTYPE") {
      ++LtypeCount;
    }
  }

  for (int i = BlocksStart; i <= BlocksEnd; ++i) {
    if (s.Code(i) != kRecordStartCode || TrimView(ValueView(i)) != "BLOCK") continue;
    s.marks[i] = static_cast<std::uint8_t>((s.marks[i] & ~kStateMask) | dsSubsection);
    ++BlockCount;
  }
  ClearPairsAfterEof();
  s.startsValidBlocks = 0;
  RebuildRecordStarts(static_cast<std::size_t>(m_size) >> Storage::kStartBlockBits);
  return 0;
}

void TDXFBuffer::ClearPairsAfterEof() {
  for (int i = EofIndex + 1; i < PairCount; ++i) ClearPair(i);
}

// Reads the header variable named `variable` from pair i when its code is the one that
// variable keeps its value in. Values that do not convert are taken as 0.
bool TDXFBuffer::ReadHeaderValue(const std::string& variable, int i) {
  const int code = m_store->Code(i);
  const std::string value = Trim(ValueView(i));
  if (variable == "$ACADVER" && code == kAcadVerCode) {
    AcadVer = value;
    AcadVerNo = FloorOfNumber(AcadVer);
  } else if (variable == "$HANDSEED" && code == kHandleCode) {
    if (!ParseHex32(value, HandSeed)) HandSeed = 0;
    HandSeedIndex = i;
  } else if (variable == "$CLAYER" && code == kLayerCode) {
    CLayer = value;
    CLayerIndex = i;
  } else if (variable == "$LTSCALE" && code == kScaleCode) {
    if (!ParseDouble(value, LtScale)) LtScale = 0;
    LtScaleIndex = i;
  } else if (variable == "$CELTSCALE" && code == kScaleCode) {
    if (!ParseDouble(value, CeltScale)) CeltScale = 0;
    CeltScaleIndex = i;
  } else if (variable == "$CELTYPE" && code == kLinetypeCode) {
    CeltType = value;
    CeltTypeIndex = i;
  } else {
    return false;
  }
  return true;
}

// ------------------------------------------------------------------ handles

int TDXFBuffer::FindHandle(int handle, int start) const {
  const Storage& s = *m_store;
  const int end = std::min(ObjectsEnd, m_size);
  for (int i = std::max(start, 0); i < end; ++i) {
    if (s.Code(i) != kHandleCode) continue;
    int value = 0;
    if (!ParseHex32(TrimView(ValueView(i)), value) || value != handle) continue;
    int r = i;
    while (r > 0 && s.Code(r) != kRecordStartCode) --r;
    return r;
  }
  return -1;
}

// ------------------------------------------------------------------ saving

namespace {

// Collects output in a large block and hands it to write(2) when full.
// Performance: a save formats ~13 million pairs of a 200 MB drawing, so a pair costs one
// room check, a table copy for its code and one memcpy for its value.
class FileWriter {
 public:
  explicit FileWriter(int fd) : m_fd(fd), m_block(new char[kCapacity]), m_at(m_block.get()) {}
  bool ok() const { return m_ok; }

  // Appends the group code right-aligned in a field of 3, the value, each with CR LF.
  void AppendPair(int code, std::string_view value) {
    if (value.size() > kCapacity / 2) [[unlikely]] {
      AppendCode(code);
      Flush();
      WriteAll(value);
      Put("\r\n", 2);
      return;
    }
    if (Room() < value.size() + kMaxCodeLine + 2) Flush();
    AppendCode(code);
    Put(value.data(), value.size());
    Put("\r\n", 2);
  }

  void Flush() {
    WriteAll(std::string_view(m_block.get(), static_cast<std::size_t>(m_at - m_block.get())));
    m_at = m_block.get();
  }

 private:
  static constexpr std::size_t kCapacity = 4 << 20;
  static constexpr std::size_t kMaxCodeLine = 16;  // "-2147483648" and CR LF

  std::size_t Room() const { return kCapacity - static_cast<std::size_t>(m_at - m_block.get()); }
  void Put(const char* bytes, std::size_t n) {
    std::memcpy(m_at, bytes, n);
    m_at += n;
  }

  void AppendCode(int code) {
    if (Room() < kMaxCodeLine) Flush();
    if (code >= 0 && code < 1000) {  // the usual case: three places, no sign
      m_at[0] = code >= 100 ? static_cast<char>('0' + code / 100) : ' ';
      m_at[1] = code >= 10 ? static_cast<char>('0' + code / 10 % 10) : ' ';
      m_at[2] = static_cast<char>('0' + code % 10);
      m_at[3] = '\r';
      m_at[4] = '\n';
      m_at += 5;
      return;
    }
    char line[kMaxCodeLine + 1];
    const int n = std::snprintf(line, sizeof line, "%3d\r\n", code);
    Put(line, static_cast<std::size_t>(n));
  }

  void WriteAll(std::string_view bytes) {
    while (m_ok && !bytes.empty()) {
      const ssize_t done = ::write(m_fd, bytes.data(), bytes.size());
      if (done < 0 && errno == EINTR) continue;
      if (done <= 0) {
        m_ok = false;
        return;
      }
      bytes.remove_prefix(static_cast<std::size_t>(done));
    }
  }

  int m_fd;
  bool m_ok = true;
  std::unique_ptr<char[]> m_block;
  char* m_at;
};

// The permissions a replaced file keeps, or those a new file gets under the umask.
mode_t ModeForTarget(const std::string& target) {
  struct stat info;
  if (::stat(target.c_str(), &info) == 0) return info.st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// The path to write to: a symbolic link is followed, so the link itself stays.
std::string ResolveTarget(const std::string& fileName) {
  std::error_code error;
  if (std::filesystem::is_symlink(fileName, error)) {
    const auto real = std::filesystem::canonical(fileName, error);
    if (!error) return real.string();
  }
  return fileName;
}

}  // namespace

int TDXFBuffer::SaveToFile() {
  const std::string target = ResolveTarget(FileName);
  std::string temp = target + ".saving-XXXXXX";
  const int fd = ::mkstemp(temp.data());
  bool ok = fd >= 0;
  if (ok) {
    FileWriter out(fd);
    const Storage& s = *m_store;
    const int last = std::min(EofIndex, m_size - 1);
    for (int i = 0; i <= last && out.ok(); ++i) {
      const std::string_view value = s.Value(i);
      const int code = s.Code(i);
      if (code == 0 && value.empty()) continue;
      out.AppendPair(code, value);
    }
    out.Flush();
    // The mode is best effort: some file systems refuse it, and the data matters more.
    (void)::fchmod(fd, ModeForTarget(target));
    ok = out.ok() && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && std::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) ::unlink(temp.c_str());
  }
  if (ok) return 0;
  ShowMessage(Sjis(FileName) + Sjis("ファイルが書き込み出来ません。"));
  return -2;
}

void TDXFBuffer::ShowMessage(const std::string& text) const {
  if (OnMessage) OnMessage(text);
}
