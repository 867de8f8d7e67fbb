// quillet-dump.cpp - prints the pairs of a DXF file, one line per pair.
//
// Each line is the pair's line number (its group-code line), the group code, the value
// and the remark, separated by tabs, in UTF-8, or one JSON object per pair. Output
// streams through DumpOutput, so a file of hundreds of megabytes starts printing at once
// and is never held twice, and a failed write ends the run with its own status.
#include <algorithm>      // std::min
#include <cstdio>         // std::fputs, stdout, stderr
#include <cstdlib>        // std::strtol
#include <optional>       // std::optional
#include <string>         // std::string
#include <string_view>    // std::string_view
#include <unordered_map>  // std::unordered_map
#include <vector>         // std::vector
#ifdef _WIN32
#include <fcntl.h>  // _O_BINARY
#include <io.h>     // _setmode, _fileno
#endif

#include "logic/document/Document.h"
#include "model/QuilletVersion.h"  // kVersion
#include "model/buffer/FilePath.h"
#include "model/buffer/MyDXFClass.h"
#include "model/buffer/RecordWalk.h"
#include "model/text/Sjis.h"
#include "model/text/TextCodec.h"
#include "tools/DumpConvert.h"
#include "tools/DumpDiff.h"
#include "tools/DumpHandles.h"
#include "tools/DumpInput.h"
#include "tools/DumpOutput.h"
#include "tools/DumpPurge.h"
#include "tools/DumpRound.h"
#include "tools/DumpTables.h"
#include "tools/DumpView.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 2;

constexpr char kUsageHead[] =
    "usage: quillet-dump [options] FILE\n"
    "\n"
    "Prints one line per pair of the DXF file FILE (\"-\": standard input) up to its EOF\n"
    "pair: line number, group code, value and remark, separated by tabs, in UTF-8. A tab,\n"
    "backslash or other control character in a text is written as \\t, \\\\, \\r, \\n or \\xHH.\n"
    "\n"
    "options:\n"
    "  --from LINE   start at the pair that holds file line LINE\n"
    "  --to LINE     stop after the pair that holds file line LINE\n"
    "  --raw         write values as the file's bytes and remarks as CP932, unconverted\n"
    "                and unescaped\n"
    "  --json        write one JSON object per line (JSON Lines) instead of tabs\n"
    "  --encoding NAME  read the values as NAME (cp932, utf-8, cp1252 ...), not as the\n"
    "                file's detected encoding\n"
    "  --no-remarks  leave the remark column empty (faster)\n"
    "  --summary     print the buffer's index fields, header values and counts instead\n"
    "  --help        show this text\n"
    "  --version     print the version\n";

constexpr char kUsageTail[] =
    "\n"
    "exit status: 0 done, 1 --diff found differences, 2 bad usage, 3 the file could not be\n"
    "loaded, 4 a list could not be built (a value that must be a number is not), 5 a rename\n"
    "was refused, 6 OUT could not be written, 7 --check found problems, 8 a value to round\n"
    "is not a number (nothing is written), 9 no record owns the --handle handle, no entity\n"
    "is near the --pick point or --extents finds nothing drawn, 10 OUT is not written\n"
    "because a NUL byte ended FILE's text early, 11 the output could not be written, 12 a\n"
    "pair cannot be written in the form of OUT (nothing is written), 13 the --render picture\n"
    "could not be written, 14 --purge could not take the definitions out (nothing is\n"
    "written), 15 --repair could not make its repairs (nothing is written); --repair ends\n"
    "with 7 when problems are left, OUT written all the same\n";

struct Options {
  std::string file;
  long long fromLine = 1;
  long long toLine = -1;  // -1: to the EOF pair
  bool raw = false;
  bool json = false;
  bool remarks = true;
  bool summary = false;
  bool help = false;
  bool version = false;
  std::optional<TextEncoding> encoding;  // the user's choice; none: as detected
  TableOptions tables;
  RoundOptions round;
  HandleOptions handles;
  ConvertOptions convert;
  DiffOptions diff;
  ViewOptions view;
  PurgeOptions purge;

  DumpFormat Format() const {
    return raw ? DumpFormat::Raw : json ? DumpFormat::Json : DumpFormat::Escaped;
  }
};

std::string UsageText() {
  return std::string(kUsageHead) + kTableUsage + kRoundUsage + kHandleUsage + kConvertUsage +
         kDiffUsage + kViewUsage + kPurgeUsage + kUsageTail;
}

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
        TakeRoundOption(argc, argv, a, options.round, error) ||
        TakeHandleOption(argc, argv, a, options.handles, error) ||
        TakeConvertOption(argc, argv, a, options.convert, error) ||
        TakeDiffOption(argc, argv, a, options.diff, error) ||
        TakeViewOption(argc, argv, a, options.view, error) ||
        TakePurgeOption(argc, argv, a, options.purge, error)) {
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
    } else if (arg == "--version") {
      options.version = true;
    } else if (arg == "--raw") {
      options.raw = true;
    } else if (arg == "--json") {
      options.json = true;
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
    } else if (arg.size() > 1 && arg[0] == '-') {
      error = "unknown option " + std::string(arg);
      return false;
    } else if (options.file.empty()) {
      options.file = arg;
    } else {
      error = "only one FILE may be given";
      return false;
    }
  }
  if (options.tables.Requested() && options.round.requested)
    error = "--round cannot be combined with a list or rename option";
  if (options.handles.Requested() && (options.tables.Requested() || options.round.requested))
    error = "--handle and --check cannot be combined with a list, rename or --round option";
  if (options.convert.requested &&
      (options.tables.Requested() || options.round.requested || options.handles.Requested() ||
       options.diff.requested || options.view.Requested()))
    error = "--to-ascii and --to-binary cannot be combined with another option that acts";
  if (options.diff.requested && (options.tables.Requested() || options.round.requested ||
                                 options.handles.Requested() || options.view.Requested()))
    error = "--diff cannot be combined with a list, rename, --round, --handle or --check option";
  if (options.diff.choiceGiven && !options.diff.requested)
    error = "--exact and --ignore-new-handles need --diff";
  if (options.diff.requested && IsStandardInput(options.file) &&
      IsStandardInput(options.diff.otherFile))
    error = "only one of FILE and OTHER can be standard input";
  const int drawingOptions =
      options.view.extents + options.view.pick + !options.view.renderFile.empty();
  if (drawingOptions > 1) error = "--extents, --render and --pick exclude each other";
  if (options.view.Requested() &&
      (options.tables.Requested() || options.round.requested || options.handles.Requested()))
    error = "--extents, --render and --pick cannot be combined with another option that acts";
  if (options.purge.Requested() &&
      (options.tables.Requested() || options.round.requested || options.handles.Requested() ||
       options.convert.requested || options.diff.requested || options.view.Requested()))
    error = "--purge and --purge-list cannot be combined with another option that acts";
  if (options.raw && options.json) error = "--raw and --json exclude each other (JSON is UTF-8)";
  if (options.file.empty() && !options.help && !options.version) error = "no FILE given";
  return error.empty();
}

// Prints the buffer's index fields, header values and counts: a "name<TAB>value" line
// each, or in JSON one object that holds them all.
void PrintSummary(const TDXFBuffer& b, DumpOutput& out) {
  const bool oneObject = out.Format() == DumpFormat::Json;
  DumpLine object(out);
  const auto field = [&](std::string_view name, const auto& add) {
    if (oneObject) return add(object, name);
    DumpLine line(out);
    line.Text("name", name);
    add(line, "value");
    line.End();
  };
  const auto number = [&field](std::string_view name, long long n) {
    field(name, [n](DumpLine& line, std::string_view key) { line.Number(key, n); });
  };
  const auto real = [&field](std::string_view name, double x) {
    field(name, [x](DumpLine& line, std::string_view key) { line.Real(key, x); });
  };
  const auto value = [&field](std::string_view name, std::string_view bytes) {
    field(name, [bytes](DumpLine& line, std::string_view key) { line.Value(key, bytes); });
  };
  field("FileName", [&b](DumpLine& line, std::string_view key) { line.Text(key, b.FileName); });
  number("PairCount", b.PairCount);
  number("EofIndex", b.EofIndex);
  number("HeaderStart", b.HeaderStart);
  number("HeaderEnd", b.HeaderEnd);
  number("ClassesStart", b.ClassesStart);
  number("ClassesEnd", b.ClassesEnd);
  number("TablesStart", b.TablesStart);
  number("TablesEnd", b.TablesEnd);
  number("BlocksStart", b.BlocksStart);
  number("BlocksEnd", b.BlocksEnd);
  number("EntitiesStart", b.EntitiesStart);
  number("EntitiesEnd", b.EntitiesEnd);
  number("ObjectsStart", b.ObjectsStart);
  number("ObjectsEnd", b.ObjectsEnd);
  number("VportTableIndex", b.VportTableIndex);
  number("LtypeTableIndex", b.LtypeTableIndex);
  number("LayerTableIndex", b.LayerTableIndex);
  number("StyleTableIndex", b.StyleTableIndex);
  number("ViewTableIndex", b.ViewTableIndex);
  number("UcsTableIndex", b.UcsTableIndex);
  number("AppidTableIndex", b.AppidTableIndex);
  number("DimstyleTableIndex", b.DimstyleTableIndex);
  number("BlockRecordTableIndex", b.BlockRecordTableIndex);
  value("AcadVer", b.AcadVer);
  number("AcadVerNo", b.AcadVerNo);
  number("HandSeed", b.HandSeed);
  number("HandSeedIndex", b.HandSeedIndex);
  value("CLayer", b.CLayer);
  number("CLayerIndex", b.CLayerIndex);
  real("LtScale", b.LtScale);
  number("LtScaleIndex", b.LtScaleIndex);
  real("CeltScale", b.CeltScale);
  number("CeltScaleIndex", b.CeltScaleIndex);
  value("CeltType", b.CeltType);
  number("CeltTypeIndex", b.CeltTypeIndex);
  number("BlockCount", b.BlockCount);
  number("LayerCount", b.LayerCount);
  number("LtypeCount", b.LtypeCount);
  value("DwgCodePage", b.DwgCodePage);
  field("Encoding",
        [&b](DumpLine& line, std::string_view key) { line.Text(key, EncodingName(b.Encoding)); });
  if (oneObject) object.End();
}

// Remarks in the output's form by the address of their stored text: the buffer keeps
// each distinct remark once, so a 200 MB drawing converts a few thousand remarks
// instead of millions.
class RemarkCache {
 public:
  explicit RemarkCache(DumpOutput& out) : m_out(out) {}
  std::string_view Of(std::string_view cp932) {
    if (IsPlainAscii(cp932)) return cp932;
    auto [slot, added] = m_converted.try_emplace(cp932.data());
    if (added) slot->second = m_out.Program(cp932);
    return slot->second;
  }

 private:
  DumpOutput& m_out;
  std::unordered_map<const char*, std::string> m_converted;
};

// Prints the pairs; remarks are requested in file order, as the grid does while it is
// scrolled from the top, so every record is worked out once. A failed write ends it.
void PrintPairs(TDXFBuffer& b, const Options& options, DumpOutput& out) {
  RemarkCache remarks(out);
  const long long lastPair = std::min<long long>(b.EofIndex, b.PairCount - 1L);
  const long long first = (options.fromLine - 1) / 2;  // PairOfLine, in 64 bits
  const long long last =
      options.toLine < 0 ? lastPair : std::min<long long>(lastPair, (options.toLine - 1) / 2);
  for (long long i = first; i <= last && !out.Failed(); ++i) {
    const int pair = static_cast<int>(i);
    if (options.remarks && b.NoteView(pair).empty()) b.MakeNote(pair);
    DumpLine line(out);
    line.Number("line", LineOfPair(i));
    line.Number("code", b.GetCode(pair));
    line.Value("value", b.ValueView(pair));
    line.Text("remark", remarks.Of(b.NoteView(pair)));
    line.End();
  }
}

int Run(const Options& options, Document& document, DumpOutput& out) {
  if (options.tables.Requested()) return RunTableOption(options.tables, document, out);
  if (options.round.requested) return RunRoundOption(options.round, document, out);
  if (options.handles.Requested()) return RunHandleOption(options.handles, document, out);
  if (options.convert.requested) return RunConvertOption(options.convert, document.ViewBuffer());
  if (options.diff.requested) return RunDiffOption(options.diff, document.ViewBuffer(), out);
  if (options.view.Requested()) return RunViewOption(options.view, document.ViewBuffer(), out);
  if (options.purge.Requested()) return RunPurgeOption(options.purge, document, out);
  if (options.summary) {
    PrintSummary(document.Buffer(), out);
  } else {
    PrintPairs(document.ViewBuffer(), options, out);
  }
  return kExitOk;
}

}  // namespace

static int Run(int argc, char** argv) {
  Options options;
  std::string error;
  if (!ParseArguments(argc, argv, options, error)) {
    std::fprintf(stderr, "quillet-dump: %s\n\n%s", error.c_str(), UsageText().c_str());
    return kExitUsage;
  }
  DumpOutput out(stdout, options.Format());
  if (options.help || options.version) {
    out.Put(options.help ? UsageText() : std::string("quillet-dump ") + kVersion + "\n");
    return out.Finish(kExitOk);
  }
  Document document;
  document.ViewBuffer().OnMessage = [](const std::string& message) {
    std::fprintf(stderr, "%s\n", Utf8OfProgramText(message).c_str());
  };
  if (const int status = LoadDrawing(options.file, document); status != kExitOk) return status;
  if (options.encoding) (void)document.ChooseEncoding(*options.encoding);  // no panel to log to
  out.SetEncoding(document.Buffer().Encoding);
  return out.Finish(Run(options, document, out));
}

#ifdef _WIN32
// Windows hands main its arguments in the ANSI code page and turns CR LF into "\n" on
// standard input and back on standard output; the program takes its arguments as UTF-8
// and reads and writes its bytes as they are.
int wmain(int argc, wchar_t** wideArgv) {
  std::vector<std::string> arguments;
  for (int a = 0; a < argc; ++a) arguments.push_back(Utf8FromPath(wideArgv[a]));
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  return Run(argc, argv.data());
}
#else
int main(int argc, char** argv) {
  return Run(argc, argv);
}
#endif
