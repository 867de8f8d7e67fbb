// MyDXFClassSave.cpp - writing the pairs: as read, or in the normalised form.
//
// As read, every line that was not changed is written with the bytes it had in the file,
// line end included, so that a saved drawing differs from the file it came from only
// where the user changed it; a run of unchanged pairs is copied in one piece. A changed
// code line is written as "%3d" and a changed value as it is, each with the line end the
// line had. The normalised form writes every code as "%3d" and every line end as CR LF.
// Both leave out code-0 pairs with an empty value. The binary form is written the same
// two ways: a binary file's unchanged pairs with their bytes as read, or every pair
// encoded from its text.
#include <string>       // std::string
#include <string_view>  // std::string_view

#include "model/buffer/BinaryDXF.h"
#include "model/buffer/DXFFile.h"
#include "model/buffer/LineSplitter.h"
#include "model/buffer/MyDXFClass_p.h"

namespace {

constexpr std::string_view kCrLf = "\r\n";

// The line end at the end of a line's bytes: CR LF, LF, CR or none.
std::string_view LineEndOf(std::string_view line) {
  if (line.ends_with(kCrLf)) return kCrLf;
  if (line.ends_with('\n')) return "\n";
  if (line.ends_with('\r')) return "\r";
  return {};
}

// Tells whether a code line (with its line end) reads as code.
bool CodeLineReads(std::string_view line, int code) {
  int read = 0;
  return ParseCodeLine(line.data(), line.data() + line.size(), read) && read == code;
}

// Passes writes on to a writer and remembers whether the bytes so far end inside a line:
// a file's last line may have no line end, and a pair written after it must start a line.
template <typename Out>
class LineTracking {
 public:
  explicit LineTracking(Out& out) : m_out(out) {}
  bool ok() const { return m_out.ok(); }
  void Append(std::string_view bytes) {
    m_out.Append(bytes);
    if (!bytes.empty()) m_open = bytes.back() != '\n' && bytes.back() != '\r';
  }
  void AppendCode(int code, std::string_view lineEnd) {
    m_out.AppendCode(code, lineEnd);
    m_open = lineEnd.empty();
  }
  bool LineOpen() const { return m_open; }

 private:
  Out& m_out;
  bool m_open = false;
};

}  // namespace

// The line end of the file's first line, or CR LF for a file without one: what a line
// that was not in the file gets.
std::string_view TDXFBuffer::Storage::LineEndStyle() const noexcept {
  const std::string_view all(text.get() + textStart, textSize - textStart);
  const std::size_t end = all.find_first_of(kCrLf);
  if (end == std::string_view::npos) return kCrLf;
  return all.substr(end).starts_with(kCrLf) ? kCrLf : all.substr(end, 1);
}

// The value line is preceded by the code line's end (CR LF, or a lone CR or LF: a CR
// before an LF always ends a line with it), and the code line holds neither.
std::size_t TDXFBuffer::Storage::CodeLineStart(std::size_t valueStart) const noexcept {
  const char* bytes = text.get();
  std::size_t at = valueStart - 1;
  if (at > textStart && bytes[at] == '\n' && bytes[at - 1] == '\r') --at;
  while (at > textStart && bytes[at - 1] != '\n' && bytes[at - 1] != '\r') --at;
  return at;
}

// Performance: the loop only looks at a pair's offset, length, mark and code, and the
// unchanged bytes go out in runs, so saving an unchanged drawing costs little more than
// writing its bytes once.
template <typename Out>
void TDXFBuffer::Storage::WriteAsRead(Out& writer, int last) const {
  const char* bytes = text.get();
  writer.Append({bytes, textStart});  // a byte-order mark, which starts no line
  LineTracking<Out> out(writer);
  std::size_t runStart = textStart;  // the unchanged bytes not yet written
  std::size_t pos = textStart;       // where pair i's code line starts
  for (int i = 0; i <= last && out.ok(); ++i) {
    const std::size_t at = ValueOffset(i);
    const bool skipped = IsLeftOut(i);
    if (at != kNoOffset && (marks[static_cast<std::size_t>(i)] & kSeamBit)) [[unlikely]] {
      // The lines between pos and the pair's code line were taken out.
      const std::size_t codeStart = CodeLineStart(at);
      if (codeStart != pos) {
        out.Append({bytes + runStart, pos - runStart});
        runStart = pos = codeStart;
      }
    }
    if (at == kNoOffset) {  // a pair the file did not have
      out.Append({bytes + runStart, pos - runStart});
      runStart = pos;
      if (!skipped) {
        if (out.LineOpen()) out.Append(LineEndStyle());
        out.AppendCode(Code(i), LineEndStyle());
        out.Append(Value(i));
        out.Append(LineEndStyle());
      }
      continue;
    }
    const std::size_t valueEnd = at + ValueLength(i);
    const std::size_t lineEnd = NextLineStart(bytes, textSize, valueEnd);
    if (IsChanged(i) || skipped) {
      out.Append({bytes + runStart, pos - runStart});
      if (!skipped) WriteChangedPair(out, i, pos, valueEnd, lineEnd);
      runStart = lineEnd;
    }
    pos = lineEnd;
  }
  out.Append({bytes + runStart, pos - runStart});
}

// Writes pair i, whose code line starts at codeStart and whose value line ends at valueEnd
// before its line end, which ends at lineEnd.
template <typename Out>
void TDXFBuffer::Storage::WriteChangedPair(Out& out, int i, std::size_t codeStart,
                                           std::size_t valueEnd, std::size_t lineEnd) const {
  const char* bytes = text.get();
  const std::size_t valueStart = ValueOffset(i);
  const std::string_view codeLine(bytes + codeStart, valueStart - codeStart);
  const bool codeChanged = (marks[static_cast<std::size_t>(i)] & kCodeEditedBit) != 0;
  if (!codeChanged || CodeLineReads(codeLine, Code(i))) {
    out.Append(codeLine);
  } else {
    out.AppendCode(Code(i), LineEndOf(codeLine));
  }
  out.Append(Value(i));
  out.Append(ValueLineEnd(i, LineEndOf(codeLine), {bytes + valueEnd, lineEnd - valueEnd}));
}

// The line end to write after pair i's value, given the code line's end and the value
// line's own. An emptied value puts the two line ends side by side, so they must not read
// as one: a lone CR then LF is one CR LF, and the file's last line without a line end
// would leave the code line without its value line. Either way the value line takes the
// code line's end instead.
std::string_view TDXFBuffer::Storage::ValueLineEnd(int i, std::string_view codeLineEnd,
                                                   std::string_view valueLineEnd) const {
  if (!Value(i).empty()) return valueLineEnd;
  const bool joinsCodeLineEnd = codeLineEnd == "\r" && valueLineEnd.starts_with('\n');
  return valueLineEnd.empty() || joinsCodeLineEnd ? codeLineEnd : valueLineEnd;
}

template <typename Out>
void TDXFBuffer::Storage::WriteNormalised(Out& out, int last) const {
  for (int i = 0; i <= last && out.ok(); ++i)
    if (!IsLeftOut(i)) out.AppendPair(Code(i), Value(i));
}

// Performance: as for text, unchanged pairs go out in runs of the file's own bytes; the
// file's pairs are walked again beside the buffer's, so no pair keeps its binary offset.
// The file's pairs that were taken out are passed over.
template <typename Out>
void TDXFBuffer::Storage::WriteBinaryAsRead(Out& out, int last) const {
  const std::string_view bytes(binary.get(), binarySize);
  BinaryPairReader file(bytes, binaryCodes);
  std::size_t runStart = 0;  // the unchanged bytes not yet written, the sentinel first
  std::size_t pos = kBinarySentinel.size();
  int nextFilePair = 0;  // the file's pair the reader reads next
  std::string encoded;
  const auto writeRun = [&] { out.Append(bytes.substr(runStart, pos - runStart)); };
  for (int i = 0; i <= last && out.ok(); ++i) {
    BinaryPair pair;
    const int filePair = FilePairOf(i);
    if (filePair > nextFilePair) {  // pairs taken out
      writeRun();
      for (; nextFilePair < filePair; ++nextFilePair) {
        (void)file.Next(pair);  // the file was read whole at the load
        pos = pair.end;
      }
      runStart = pos;
    }
    const bool inFile = filePair >= 0 && file.Next(pair) == BinaryPairReader::Step::Pair;
    if (inFile) ++nextFilePair;
    if (inFile && !IsChanged(i) && !IsLeftOut(i)) {
      pos = pair.end;
      continue;
    }
    writeRun();
    if (!IsLeftOut(i)) {
      encoded.clear();
      (void)AppendBinaryPair(encoded, binaryCodes, Code(i), Value(i));  // checked before
      out.Append(encoded);
    }
    if (inFile) pos = pair.end;
    runStart = pos;
  }
  writeRun();
}

template <typename Out>
void TDXFBuffer::Storage::WriteBinary(Out& out, int last, BinaryCodes codes) const {
  out.Append(kBinarySentinel);
  std::string encoded;
  for (int i = 0; i <= last && out.ok(); ++i) {
    if (IsLeftOut(i)) continue;
    encoded.clear();
    (void)AppendBinaryPair(encoded, codes, Code(i), Value(i));  // checked before
    out.Append(encoded);
  }
}

template void TDXFBuffer::Storage::WriteAsRead(FileWriter&, int) const;
template void TDXFBuffer::Storage::WriteAsRead(ByteCounter&, int) const;
template void TDXFBuffer::Storage::WriteNormalised(FileWriter&, int) const;
template void TDXFBuffer::Storage::WriteNormalised(ByteCounter&, int) const;
template void TDXFBuffer::Storage::WriteBinaryAsRead(FileWriter&, int) const;
template void TDXFBuffer::Storage::WriteBinaryAsRead(ByteCounter&, int) const;
template void TDXFBuffer::Storage::WriteBinary(FileWriter&, int, BinaryCodes) const;
template void TDXFBuffer::Storage::WriteBinary(ByteCounter&, int, BinaryCodes) const;
