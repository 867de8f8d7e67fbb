// quillet-dump.cpp - prints the pairs of a DXF file, one line per pair.
//
// Each line is the pair's line number (its group-code line), the group code, the value
// and the remark, separated by tabs, in UTF-8. Output streams through one large buffer,
// so a file of hundreds of megabytes starts printing at once and is never held twice.
#include <algorithm>      // std::min
#include <cstdio>         // std::fwrite, std::fputs, stdout, stderr
#include <cstdlib>        // std::strtol
#include <optional>       // std::optional
#include <string>         // std::string
#include <string_view>    // std::string_view
#include <unordered_map>  // std::unordered_map

#include "model/MyDXFClass.h"
#include "model/RecordWalk.h"
#include "model/TextCodec.h"
#include "tools/DumpRound.h"
#include "tools/DumpTables.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 2;
constexpr int kExitLoadError = 3;

constexpr char kUsageHead[] =
    "usage: quillet-dump [options] FILE\n"
    "\n"
    "Prints one line per pair of the DXF file FILE up to its EOF pair:\n"
    "line number, group code, value and remark, separated by tabs, in UTF-8.\n"
    "\n"
    "options:\n"
    "  --from LINE   start at the pair that holds file line LINE\n"
    "  --to LINE     stop after the pair that holds file line LINE\n"
    "  --raw         write values as the file's bytes and remarks as CP932, unconverted\n"
    "  --encoding NAME  read the values as NAME (cp932, utf-8, cp1252 ...), not as the\n"
    "                file's detected encoding\n"
    "  --no-remarks  leave the remark column empty (faster)\n"
    "  --summary     print the buffer's index fields, header values and counts instead\n"
    "  --help        show this text\n";

constexpr char kUsageTail[] =
    "\n"
    "exit status: 0 done, 2 bad usage, 3 the file could not be loaded, 4 a list could not\n"
    "be built (a value that must be a number is not), 5 a rename was refused, 6 OUT could\n"
    "not be written, 8 a value to round is not a number (nothing is written)\n";

struct Options {
  std::string file;
  long long fromLine = 1;
  long long toLine = -1;  // -1: to the EOF pair
  bool raw = false;
  bool remarks = true;
  bool summary = false;
  bool help = false;
  std::optional<TextEncoding> encoding;  // the user's choice; none: as detected
  TableOptions tables;
  RoundOptions round;
};

void PrintUsage(std::FILE* out) {
  std::fputs(kUsageHead, out);
  std::fputs(kTableUsage, out);
  std::fputs(kRoundUsage, out);
  std::fputs(kUsageTail, out);
}

// Output through a large buffer; fwrite only when it is full.
class Output {
 public:
  Output() { m_buffer.reserve(kCapacity); }
  ~Output() { Flush(); }
  void Put(std::string_view text) {
    if (m_buffer.size() + text.size() > kCapacity) Flush();
    m_buffer.append(text);
  }
  void Put(char c) {
    if (m_buffer.size() + 1 > kCapacity) Flush();
    m_buffer.push_back(c);
  }
  void PutNumber(long long n) {
    char digits[24];
    char* end = digits + sizeof digits;
    char* at = end;
    unsigned long long magnitude = n < 0 ? 0ull - static_cast<unsigned long long>(n) : n;
    do {
      *--at = static_cast<char>('0' + magnitude % 10);
      magnitude /= 10;
    } while (magnitude != 0);
    if (n < 0) *--at = '-';
    Put(std::string_view(at, static_cast<std::size_t>(end - at)));
  }
  void Flush() {
    if (!m_buffer.empty()) std::fwrite(m_buffer.data(), 1, m_buffer.size(), stdout);
    m_buffer.clear();
  }

 private:
  static constexpr std::size_t kCapacity = 1 << 20;
  std::string m_buffer;
};

bool ParseLine(const char* text, long long& line) {
  char* end = nullptr;
  line = std::strtoll(text, &end, 10);
  return end != text && *end == '\0' && line >= 1;
}

// Takes the name after --encoding; an unknown or missing one is bad usage.
bool TakeEncoding(const char* name, Options& options, std::string& error) {
  if (name) options.encoding = EncodingNamed(name);
  if (options.encoding) return true;
  error = "--encoding needs one of";
  for (const TextEncoding encoding : AllEncodings())
    error += " " + std::string(EncodingName(encoding));
  return false;
}

// Fills options from the arguments; returns false on bad usage, with the reason in error.
bool ParseArguments(int argc, char** argv, Options& options, std::string& error) {
  for (int a = 1; a < argc; ++a) {
    if (TakeTableOption(argc, argv, a, options.tables, error) ||
        TakeRoundOption(argc, argv, a, options.round, error)) {
      if (!error.empty()) return false;
      continue;
    }
    const std::string_view arg = argv[a];
    const bool needsValue = arg == "--from" || arg == "--to";
    if (needsValue && a + 1 >= argc) {
      error = std::string(arg) + " needs a line number";
      return false;
    }
    if (arg == "--encoding") {
      if (!TakeEncoding(a + 1 < argc ? argv[++a] : nullptr, options, error)) return false;
      continue;
    }
    if (arg == "--help") {
      options.help = true;
    } else if (arg == "--raw") {
      options.raw = true;
    } else if (arg == "--no-remarks") {
      options.remarks = false;
    } else if (arg == "--summary") {
      options.summary = true;
    } else if (needsValue) {
      long long& target = arg == "--from" ? options.fromLine : options.toLine;
      if (!ParseLine(argv[++a], target)) {
        error = std::string(arg) + " needs a line number of 1 or more, not '" + argv[a] + "'";
        return false;
      }
    } else if (!arg.empty() && arg[0] == '-') {
      error = "unknown option " + std::string(arg);
      return false;
    } else if (options.file.empty()) {
      options.file = arg;
    } else {
      error = "only one FILE may be given";
      return false;
    }
  }
  if (options.tables.Requested() && options.round.requested) {
    error = "--round cannot be combined with a list or rename option";
    return false;
  }
  if (options.file.empty() && !options.help) {
    error = "no FILE given";
    return false;
  }
  return true;
}

// A value as the listing prints it: decoded from the document's encoding into UTF-8 with
// its escapes, or the file's own bytes with --raw. scratch holds a converted value.
std::string_view ShownValue(const TDXFBuffer& b, std::string_view value, bool raw,
                            std::string& scratch) {
  return raw ? value : DecodeText(b.Encoding, value, scratch);
}

void PrintSummary(const TDXFBuffer& b, Output& out) {
  const auto field = [&out](std::string_view name, long long value) {
    out.Put(name);
    out.Put('\t');
    out.PutNumber(value);
    out.Put('\n');
  };
  const auto text = [&out](std::string_view name, std::string_view utf8) {
    out.Put(name);
    out.Put('\t');
    out.Put(utf8);
    out.Put('\n');
  };
  std::string scratch;
  const auto value = [&](std::string_view name, const std::string& bytes) {
    text(name, ShownValue(b, bytes, /*raw=*/false, scratch));
  };
  text("FileName", b.FileName);
  field("PairCount", b.PairCount);
  field("EofIndex", b.EofIndex);
  field("HeaderStart", b.HeaderStart);
  field("HeaderEnd", b.HeaderEnd);
  field("ClassesStart", b.ClassesStart);
  field("ClassesEnd", b.ClassesEnd);
  field("TablesStart", b.TablesStart);
  field("TablesEnd", b.TablesEnd);
  field("BlocksStart", b.BlocksStart);
  field("BlocksEnd", b.BlocksEnd);
  field("EntitiesStart", b.EntitiesStart);
  field("EntitiesEnd", b.EntitiesEnd);
  field("ObjectsStart", b.ObjectsStart);
  field("ObjectsEnd", b.ObjectsEnd);
  field("VportTableIndex", b.VportTableIndex);
  field("LtypeTableIndex", b.LtypeTableIndex);
  field("LayerTableIndex", b.LayerTableIndex);
  field("StyleTableIndex", b.StyleTableIndex);
  field("ViewTableIndex", b.ViewTableIndex);
  field("UcsTableIndex", b.UcsTableIndex);
  field("AppidTableIndex", b.AppidTableIndex);
  field("DimstyleTableIndex", b.DimstyleTableIndex);
  field("BlockRecordTableIndex", b.BlockRecordTableIndex);
  value("AcadVer", b.AcadVer);
  field("AcadVerNo", b.AcadVerNo);
  field("HandSeed", b.HandSeed);
  field("HandSeedIndex", b.HandSeedIndex);
  value("CLayer", b.CLayer);
  field("CLayerIndex", b.CLayerIndex);
  char scale[64];
  std::snprintf(scale, sizeof scale, "%g", b.LtScale);
  text("LtScale", scale);
  field("LtScaleIndex", b.LtScaleIndex);
  std::snprintf(scale, sizeof scale, "%g", b.CeltScale);
  text("CeltScale", scale);
  field("CeltScaleIndex", b.CeltScaleIndex);
  value("CeltType", b.CeltType);
  field("CeltTypeIndex", b.CeltTypeIndex);
  field("BlockCount", b.BlockCount);
  field("LayerCount", b.LayerCount);
  field("LtypeCount", b.LtypeCount);
  value("DwgCodePage", b.DwgCodePage);
  text("Encoding", EncodingName(b.Encoding));
}

// Prints the pairs; remarks are requested in file order, as the grid does while it is
// scrolled from the top, so every record is worked out once.
// Remarks in UTF-8 by the address of their stored text: the buffer keeps each distinct
// remark once, so a 200 MB drawing converts a few thousand remarks instead of millions.
class RemarkCache {
 public:
  std::string_view Utf8Of(std::string_view cp932) {
    if (IsPlainAscii(cp932)) return cp932;
    auto [slot, added] = m_converted.try_emplace(cp932.data());
    if (added) slot->second = Utf8OfProgramText(cp932);
    return slot->second;
  }

 private:
  std::unordered_map<const char*, std::string> m_converted;
};

void PrintPairs(TDXFBuffer& b, const Options& options, Output& out) {
  RemarkCache remarks;
  std::string scratch;
  const long long lastPair = std::min<long long>(b.EofIndex, b.PairCount - 1L);
  const long long first = (options.fromLine - 1) / 2;  // PairOfLine, in 64 bits
  const long long last =
      options.toLine < 0 ? lastPair : std::min<long long>(lastPair, (options.toLine - 1) / 2);
  for (long long i = first; i <= last; ++i) {
    const int pair = static_cast<int>(i);
    out.PutNumber(LineOfPair(i));
    out.Put('\t');
    out.PutNumber(b.GetCode(pair));
    out.Put('\t');
    out.Put(ShownValue(b, b.ValueView(pair), options.raw, scratch));
    out.Put('\t');
    if (options.remarks && b.NoteView(pair).empty()) b.MakeNote(pair);
    const std::string_view note = b.NoteView(pair);
    out.Put(options.raw ? note : remarks.Utf8Of(note));
    out.Put('\n');
  }
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  std::string error;
  if (!ParseArguments(argc, argv, options, error)) {
    std::fprintf(stderr, "quillet-dump: %s\n\n", error.c_str());
    PrintUsage(stderr);
    return kExitUsage;
  }
  if (options.help) {
    PrintUsage(stdout);
    return kExitOk;
  }
  TDXFBuffer buffer;
  buffer.OnMessage = [](const std::string& message) {
    std::fprintf(stderr, "%s\n", Utf8OfProgramText(message).c_str());
  };
  if (buffer.LoadFromFile(options.file) != 0) {
    std::fprintf(stderr, "%s\n", Utf8OfProgramText(buffer.ErrorMessage).c_str());
    return kExitLoadError;
  }
  if (options.encoding) buffer.SetEncoding(*options.encoding);
  if (options.tables.Requested()) return RunTableOption(options.tables, buffer);
  if (options.round.requested) return RunRoundOption(options.round, buffer);
  Output out;
  if (options.summary) {
    PrintSummary(buffer, out);
  } else {
    PrintPairs(buffer, options, out);
  }
  return kExitOk;
}
