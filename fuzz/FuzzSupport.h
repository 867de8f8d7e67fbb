// FuzzSupport.h - what the fuzz entry points share: checks, scratch files, a byte reader
// and an independent reading of a DXF text's pairs.
//
// A check that fails aborts, so libFuzzer keeps the input and the replay test fails.
// The buffer loads from a file, so each entry point writes its input to a scratch file
// of its process first (in /dev/shm where there is one, so a run costs no disk).
#pragma once

#include <unistd.h>  // getpid, unlink

#include <algorithm>    // std::min
#include <cstddef>      // std::size_t
#include <cstdint>      // std::uint8_t
#include <cstdio>       // std::fprintf, std::fopen
#include <cstdlib>      // std::abort, std::getenv
#include <filesystem>   // std::filesystem::is_directory
#include <string>       // std::string
#include <string_view>  // std::string_view
#include <vector>       // std::vector

#include "logic/MessageLog.h"
#include "model/buffer/BinaryDXF.h"
#include "model/buffer/MyDXFClass.h"
#include "model/text/MyStringLib.h"

/// Aborts with the failed condition, where libFuzzer and the replay see it.
#define FUZZ_CHECK(condition) \
  ((condition) ? static_cast<void>(0) : FuzzFailure(#condition, __FILE__, __LINE__))

[[noreturn]] inline void FuzzFailure(const char* what, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, what);
  std::abort();
}

/// Inputs larger than this are skipped: they add run time, not new paths.
constexpr std::size_t kMaxFuzzInput = 256 * 1024;

/// A scratch file of this process for one role, removed when the process ends.
class ScratchFile {
 public:
  explicit ScratchFile(const char* role) {
    const char* tmp = std::getenv("TMPDIR");
    const std::string dir = std::filesystem::is_directory("/dev/shm") ? "/dev/shm"
                            : tmp                                     ? tmp
                                                                      : "/tmp";
    m_path = dir + "/quillet-fuzz-" + std::to_string(::getpid()) + "-" + role + ".dxf";
  }
  ~ScratchFile() { ::unlink(m_path.c_str()); }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  const std::string& Path() const { return m_path; }
  void Write(std::string_view bytes) const {
    std::FILE* file = std::fopen(m_path.c_str(), "wb");
    FUZZ_CHECK(file != nullptr);
    FUZZ_CHECK(std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size());
    FUZZ_CHECK(std::fclose(file) == 0);
  }
  std::string Read() const {
    std::string bytes;
    std::FILE* file = std::fopen(m_path.c_str(), "rb");
    FUZZ_CHECK(file != nullptr);
    char chunk[65536];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
      bytes.append(chunk, got);
    std::fclose(file);
    return bytes;
  }

 private:
  std::string m_path;
};

/// Reads the front of the fuzzer's bytes as a script of small numbers and texts; what is
/// left is the rest.
class ByteReader {
 public:
  ByteReader(const std::uint8_t* data, std::size_t size)
      : m_rest(reinterpret_cast<const char*>(data), size) {}
  unsigned Byte() {
    if (m_rest.empty()) return 0;
    const unsigned b = static_cast<unsigned char>(m_rest.front());
    m_rest.remove_prefix(1);
    return b;
  }
  // Each byte is taken in its own statement: the order in which a compiler evaluates
  // operands is not fixed, and an input must replay the same with g++ and clang.
  unsigned Word() {
    const unsigned low = Byte();
    return low | (Byte() << 8);
  }
  /// A text of up to 255 bytes, its length first.
  std::string Text() {
    const unsigned length = Byte();
    const std::size_t n = std::min<std::size_t>(length, m_rest.size());
    std::string text(m_rest.substr(0, n));
    m_rest.remove_prefix(n);
    return text;
  }
  std::string_view Rest() const { return m_rest; }

 private:
  std::string_view m_rest;
};

/// A log that drops its lines.
class NullLog : public MessageLog {
 public:
  int Add(const std::string&) override { return ++m_lines; }

 private:
  int m_lines = 0;
};

/// One pair as the independent reading sees it.
struct RefPair {
  int code;
  std::string value;
};

/// What loading a text must give, worked out without the buffer's code: the result,
/// the broken line, the pairs and the EOF pair, and what was left out.
struct RefLoad {
  int result = 0;
  bool otherFormat = false;    // a binary DXF or UTF-16 file
  std::size_t brokenLine = 0;  // 0-based, when the result is -3 and not otherFormat
  std::vector<RefPair> pairs;  // every pair read, after the EOF pair too
  int eofIndex = 0;
  long long truncatedAt = 0;
  long long ignoredAfterEof = 0;
};

/// Returns the lines of text: split at CR LF, CR or LF; a last line without a line end
/// counts when it is not empty.
inline std::vector<std::string> RefLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t begin = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.emplace_back(text.substr(begin, i - begin));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    begin = i + 1;
  }
  if (begin < text.size()) lines.emplace_back(text.substr(begin));
  return lines;
}

/// Reads a code line: blanks and controls around an optional sign and digits whose value
/// lies within the signed 32-bit range, with any number of leading zeros.
inline bool RefCode(std::string_view line, int& code) {
  const std::string t = Trim(line);
  if (t.empty()) return false;
  const std::size_t at = t[0] == '+' || t[0] == '-' ? 1 : 0;
  if (at == t.size()) return false;
  long long value = 0;
  for (std::size_t i = at; i < t.size(); ++i) {
    if (t[i] < '0' || t[i] > '9') return false;
    value = value * 10 + (t[i] - '0');
    if (value > (1LL << 32)) value = 1LL << 32;  // saturates; beyond the range anyway
  }
  if (t[0] == '-') value = -value;
  if (value < INT32_MIN || value > INT32_MAX) return false;
  code = static_cast<int>(value);
  return true;
}

inline bool RefIsEof(const RefPair& pair) {
  return pair.code == 0 && Trim(pair.value) == "EOF";
}

/// Tells a binary DXF or a UTF-16 text by its first bytes.
inline bool RefOtherFormat(std::string_view bytes) {
  if (bytes.starts_with(kBinaryMark) || bytes.starts_with("\xFF\xFE") ||
      bytes.starts_with("\xFE\xFF"))
    return true;
  if (bytes.size() < 4) return false;
  const auto z = [&bytes](int k) { return bytes[static_cast<std::size_t>(k)] == 0; };
  return (!z(0) && z(1) && !z(2) && z(3)) || (z(0) && !z(1) && z(2) && !z(3));
}

inline RefLoad ReferenceLoad(std::string_view bytes) {
  RefLoad load;
  if (RefOtherFormat(bytes)) {
    load.result = -3;
    load.otherFormat = true;
    return load;
  }
  const std::size_t nul = bytes.find('\0');
  std::string_view text = bytes.substr(0, nul);
  const std::vector<std::string> fileLines = RefLines(bytes);
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);  // a byte-order mark
  std::vector<std::string> lines = RefLines(text);
  const bool nulAtLineStart = text.empty() || text.back() == '\n' || text.back() == '\r';
  const long long nulLine =
      nul == std::string_view::npos ? 0 : static_cast<long long>(lines.size()) + nulAtLineStart;
  if (nul != std::string_view::npos && lines.size() % 2 == 1) lines.pop_back();
  for (std::size_t k = 0; k < lines.size(); k += 2) {
    int code = 0;
    if (k + 1 < lines.size() && RefCode(lines[k], code)) {
      load.pairs.push_back({code, lines[k + 1]});
      continue;
    }
    bool eofBefore = false;
    for (const RefPair& pair : load.pairs) eofBefore = eofBefore || RefIsEof(pair);
    if (eofBefore) break;
    load.result = -3;
    load.brokenLine = k;
    return load;
  }
  int lastUsed = 0;
  for (std::size_t i = 0; i < load.pairs.size(); ++i) {
    const RefPair& pair = load.pairs[i];
    if (pair.code != 0 || !Trim(pair.value).empty()) lastUsed = static_cast<int>(i);
    if (RefIsEof(pair)) load.eofIndex = static_cast<int>(i);
  }
  if (load.eofIndex == 0) load.eofIndex = lastUsed;
  const bool complete = !load.pairs.empty() && RefIsEof(load.pairs[load.eofIndex]);
  const long long drawingLines = 2LL * load.eofIndex + 2;
  load.ignoredAfterEof = complete ? static_cast<long long>(fileLines.size()) - drawingLines : 0;
  load.truncatedAt = complete && nulLine >= drawingLines ? 0 : nulLine;
  return load;
}

/// The pairs a save writes of a buffer, as the reading of the saved file must give them
/// back: pairs 0..EofIndex without the code-0 pairs whose value is empty.
inline std::vector<RefPair> SavedPairs(const TDXFBuffer& b) {
  std::vector<RefPair> pairs;
  for (int i = 0; i <= b.EofIndex && i < b.PairCount; ++i)
    if (b.GetCode(i) != 0 || !b.ValueView(i).empty())
      pairs.push_back({b.GetCode(i), b.GetValue(i)});
  return pairs;
}

inline bool SamePairs(const std::vector<RefPair>& a, const std::vector<RefPair>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i].code != b[i].code || a[i].value != b[i].value) return false;
  return true;
}

// The bytes a binary file holds for a value, or the text itself when it cannot be
// written: two texts of one binary value (1.5 and 1.50) give the same bytes.
inline std::string BinaryValueOf(int code, std::string_view text) {
  std::string bytes;
  if (AppendBinaryPair(bytes, BinaryCodes::TwoBytes, code, text) != BinaryFault::None)
    return "text:" + std::string(text);
  return bytes;
}

/// Tells whether the pairs of a file b read begin with `expected`, value for binary value,
/// and hold all of them unless an EOF pair ended them early.
inline bool ReadsAsBinaryPairs(const TDXFBuffer& b, const std::vector<RefPair>& expected) {
  if (static_cast<std::size_t>(b.PairCount) > expected.size()) return false;
  for (int i = 0; i < b.PairCount; ++i) {
    const RefPair& pair = expected[static_cast<std::size_t>(i)];
    if (b.GetCode(i) != pair.code ||
        BinaryValueOf(pair.code, b.ValueView(i)) != BinaryValueOf(pair.code, pair.value))
      return false;
  }
  const bool whole = static_cast<std::size_t>(b.PairCount) == expected.size();
  return whole || RefIsEof(expected[static_cast<std::size_t>(b.PairCount - 1)]);
}

/// Saves b, a binary document, into file as it is and converted to text, and checks that
/// each file holds the pairs a save must write (text through the independent reading),
/// that a save is refused exactly when a pair cannot be written, and that saving the
/// binary file read back gives the same bytes.
inline void CheckBinarySaves(TDXFBuffer& b, const ScratchFile& file) {
  const std::vector<RefPair> expected = SavedPairs(b);
  b.SetFileName(file.Path());
  for (const DXFForm form : {DXFForm::Binary, DXFForm::Text}) {
    b.SaveForm = form;
    const bool writable = b.SaveFormProblem().empty();
    FUZZ_CHECK(b.SaveToFile() == (writable ? 0 : -3));
    if (!writable) continue;
    const std::string saved = file.Read();
    if (form == DXFForm::Text) {
      const RefLoad read = ReferenceLoad(saved);
      FUZZ_CHECK(read.result == 0 && SamePairs(read.pairs, expected));
      continue;
    }
    // How the codes are written is told by a first pair of code 0, as in a drawing, when
    // $ACADVER does not say otherwise; a file of mixed bytes may read both ways.
    const BinaryCodes first = CodesOfFirstPair(saved);
    const bool told = !expected.empty() && expected.front().code == 0 &&
                      CodesOfAcadVer(saved).value_or(first) == first;
    if (!told) continue;
    TDXFBuffer again;
    FUZZ_CHECK(again.LoadFromFile(file.Path()) == 0);
    FUZZ_CHECK(ReadsAsBinaryPairs(again, expected));
    if (static_cast<std::size_t>(again.PairCount) != expected.size()) continue;
    FUZZ_CHECK(again.SaveToFile() == 0);
    FUZZ_CHECK(file.Read() == saved);
  }
  b.SaveForm = DXFForm::Binary;
}

/// Saves b into file in both forms (a binary document: CheckBinarySaves) and checks that each file
/// holds exactly the pairs a save must write. When the reloaded drawing ends at its last pair (an
/// edit can move or remove the EOF pair, so it need not), it reads back as those pairs and saving
/// it again gives the same bytes.
inline void CheckSaveAndReload(TDXFBuffer& b, const ScratchFile& file) {
  if (b.Form == DXFForm::Binary) return CheckBinarySaves(b, file);
  const std::vector<RefPair> expected = SavedPairs(b);
  for (const bool normalise : {false, true}) {
    b.NormaliseOnSave = normalise;
    b.SetFileName(file.Path());
    FUZZ_CHECK(b.SaveToFile() == 0);
    const std::string saved = file.Read();
    const RefLoad read = ReferenceLoad(saved);
    FUZZ_CHECK(read.result == 0 && SamePairs(read.pairs, expected));
    TDXFBuffer again;
    FUZZ_CHECK(again.LoadFromFile(file.Path()) == 0);
    if (again.EofIndex != again.PairCount - 1) continue;
    FUZZ_CHECK(SamePairs(SavedPairs(again), expected));
    FUZZ_CHECK(again.TruncatedAtLine == 0 && again.IgnoredLinesAfterEof == 0);
    again.NormaliseOnSave = normalise;
    FUZZ_CHECK(again.SaveToFile() == 0);
    FUZZ_CHECK(file.Read() == saved);
  }
  b.NormaliseOnSave = false;
}
