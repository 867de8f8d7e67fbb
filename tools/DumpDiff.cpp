// DumpDiff.cpp - the --diff option of quillet-dump.
//
// Each difference is one line: "CHANGE<TAB>KEY<TAB>TYPE<TAB>LINE<TAB>OTHER_LINE<TAB>TEXT",
// LINE and OTHER_LINE empty on the side that lacks the record, TEXT the differing pairs of
// a changed record as "CODE: VALUE -> OTHER" joined by "; " ("(none)" for a pair one side
// lacks). With --json each line is an object with change, handle / variable / name (none
// for a record matched by its order), type, line, other_line (null on the side that lacks
// it) and, for a changed record, pairs: [{code, value, other_value}]. Values are decoded
// each from its own drawing's encoding.
#include "tools/DumpDiff.h"

#include <string_view>  // std::string_view

#include "model/buffer/HandleIndex.h"  // HandleText, RecordTypeOf
#include "model/buffer/RecordWalk.h"   // LineOfPair
#include "tools/DumpInput.h"
#include "tools/DumpOutput.h"

const char kDiffUsage[] =
    "  --diff OTHER  print the records that differ between FILE and OTHER, matched by handle\n"
    "                (or name, or order): CHANGE (changed, removed: only in FILE, added:\n"
    "                only in OTHER), KEY, TYPE, LINE, OTHER_LINE and the differing pairs;\n"
    "                exit 1 when the drawings differ, 0 when they are the same\n"
    "  --exact       with --diff: compare numbers by their text (0.0 is not 0.000000)\n"
    "  --ignore-new-handles  with --diff: match records whose handle the other drawing\n"
    "                lacks by name or order, and pointers by the records they point at\n";

namespace {

std::string_view ChangeName(ChangeKind kind) {
  switch (kind) {
    case ChangeKind::Changed:
      return "changed";
    case ChangeKind::Removed:
      return "removed";
    case ChangeKind::Added:
      return "added";
  }
  return {};
}

// The two drawings and the output, with the encoding set for each drawing's texts.
class DiffPrinter {
 public:
  DiffPrinter(const TDXFBuffer& here, const TDXFBuffer& there, const DrawingDifference& diff,
              DumpOutput& out)
      : m_here(here), m_there(there), m_diff(diff), m_out(out) {}

  void Print(const RecordChange& change) {
    const TDXFBuffer& holder = change.here >= 0 ? m_here : m_there;
    m_out.SetEncoding(holder.Encoding);
    DumpLine line(m_out);
    line.Text("change", ChangeName(change.kind));
    PrintKey(line, change, holder);
    line.Value("type", RecordTypeOf(holder, change.here >= 0 ? change.here : change.there));
    PrintLine(line, "line", change.here);
    PrintLine(line, "other_line", change.there);
    if (m_out.Format() == DumpFormat::Json) {
      if (change.kind == ChangeKind::Changed) PrintJsonPairs(line, change);
    } else {
      line.Text("text", PairsText(change));
    }
    line.End();
  }

 private:
  void PrintKey(DumpLine& line, const RecordChange& change, const TDXFBuffer& holder) {
    const bool json = m_out.Format() == DumpFormat::Json;
    if (change.key == RecordKey::Handle) return line.Text("handle", HandleText(change.handle));
    if (change.key == RecordKey::Name && change.namePair >= 0) {
      const bool variable = change.section == RecordSection::Header;
      return line.Value(variable ? "variable" : "name", holder.ValueView(change.namePair));
    }
    if (!json) line.Text("key", "");
  }

  static void PrintLine(DumpLine& line, std::string_view key, int pair) {
    if (pair < 0) return line.Missing(key);
    line.Number(key, LineOfPair(pair));
  }

  // A pair's value as the output prints it, decoded from its drawing; the view lasts until
  // the next call.
  std::string_view ValueOf(const TDXFBuffer& b, int pair) {
    m_out.SetEncoding(b.Encoding);
    return m_out.Value(b.ValueView(pair));
  }

  int CodeOf(const PairChange& p) const {
    return p.here >= 0 ? m_here.GetCode(p.here) : m_there.GetCode(p.there);
  }

  std::string PairsText(const RecordChange& change) {
    std::string text;
    for (const PairChange& p : m_diff.PairsOf(change)) {
      if (!text.empty()) text += "; ";
      text += std::to_string(CodeOf(p)) + ": ";
      text += p.here >= 0 ? ValueOf(m_here, p.here) : "(none)";
      text += " -> ";
      text += p.there >= 0 ? ValueOf(m_there, p.there) : "(none)";
    }
    return text;
  }

  void PutJsonValue(const TDXFBuffer& b, int pair) {
    if (pair < 0) return m_out.Put("null");
    m_out.PutJsonString(ValueOf(b, pair));
  }

  void PrintJsonPairs(DumpLine& line, const RecordChange& change) {
    line.Open("pairs");
    m_out.Put('[');
    bool first = true;
    for (const PairChange& p : m_diff.PairsOf(change)) {
      m_out.Put(first ? "{\"code\":" : ",{\"code\":");
      first = false;
      m_out.PutNumber(CodeOf(p));
      m_out.Put(",\"value\":");
      PutJsonValue(m_here, p.here);
      m_out.Put(",\"other_value\":");
      PutJsonValue(m_there, p.there);
      m_out.Put('}');
    }
    m_out.Put(']');
  }

  const TDXFBuffer& m_here;
  const TDXFBuffer& m_there;
  const DrawingDifference& m_diff;
  DumpOutput& m_out;
};

}  // namespace

bool TakeDiffOption(int argc, char** argv, int& a, DiffOptions& options, std::string& error) {
  const std::string_view arg = argv[a];
  if (arg == "--exact" || arg == "--ignore-new-handles") {
    options.choiceGiven = true;
    (arg == "--exact" ? options.compare.exactNumbers : options.compare.ignoreNewHandles) = true;
    return true;
  }
  if (arg != "--diff") return false;
  if (options.requested) {
    error = "--diff may be given only once";
  } else if (a + 1 >= argc) {
    error = "--diff needs the file to compare with";
  } else {
    options.requested = true;
    options.otherFile = argv[++a];
  }
  return true;
}

int RunDiffOption(const DiffOptions& options, const TDXFBuffer& buffer, DumpOutput& out) {
  TDXFBuffer other;
  other.OnMessage = buffer.OnMessage;
  if (const int status = LoadDrawing(options.otherFile, other); status != 0) return status;
  const DrawingDifference diff = CompareDrawings(buffer, other, options.compare);
  DiffPrinter printer(buffer, other, diff, out);
  for (const RecordChange& change : diff.records) {
    if (out.Failed()) break;
    printer.Print(change);
  }
  out.SetEncoding(buffer.Encoding);
  return diff.Same() ? 0 : kExitDrawingsDiffer;
}
