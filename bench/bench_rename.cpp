// bench_rename.cpp - the cost of the layer, linetype and block replacement scans.
//
// Usage: bench_rename BIG.dxf   (a drawing from gen_big_dxf.py; bench/run_bench.sh makes it)
// Each scan is timed against a reference that makes one pass reading every pair's code
// and value and counts the pairs the scan must replace. Before anything is timed, the
// scan's count of replaced pairs must equal the reference's count. The runs rename the
// name away and back, so every run meets the same number of matching pairs.
#include <climits>      // INT_MIN
#include <cstdio>       // std::printf, std::fprintf
#include <string>       // std::string
#include <string_view>  // std::string_view
#include <vector>       // std::vector

#include "bench/BenchCommon.h"
#include "logic/rename/NameReplace.h"
#include "model/buffer/GroupCodes.h"
#include "model/buffer/MyDXFClass.h"
#include "model/text/MyStringLib.h"

namespace {

constexpr int kRuns = 5;
constexpr int kNoReferenceCode = INT_MIN;  // block names are referenced by record type only

// Counts log lines and drops them: the scans format every line as they would for the panel.
class CountingLog : public MessageLog {
 public:
  int Add(const std::string&) override { return ++m_lines; }

 private:
  int m_lines = 0;
};

// A rename to measure: the name, a name it takes for the time of a run, and how the
// reference recognises a pair to replace.
struct RenameCase {
  std::string label;
  NameKind kind;
  std::string name;
  std::string other;
  int referenceCode;             // the code that names the entry anywhere
  std::string_view ownRecord;    // record types whose code-2 pair holds the entry's name
  std::string_view otherRecord;  // a second such record type (empty: none)
  bool trimmed;                  // values compared trimmed (layers, linetypes)
};

// One pass over every pair's code and value, counting the pairs a rename would replace.
int ReferenceCount(const TDXFBuffer& b, const RenameCase& c) {
  int hits = 0;
  std::string_view recordType;
  for (int i = 0; i < b.EofIndex; ++i) {
    const int code = b.GetCode(i);
    const std::string_view value = b.ValueView(i);
    if (code == kRecordStartCode) recordType = TrimView(value);
    const std::string_view compared = c.trimmed ? TrimView(value) : value;
    const bool ownName =
        code == kNameCode &&
        (recordType == c.ownRecord || (!c.otherRecord.empty() && recordType == c.otherRecord));
    hits += (code == c.referenceCode || ownName) && compared == c.name;
  }
  return hits;
}

int Rename(TDXFBuffer& b, const RenameCase& c, const std::string& from, const std::string& to) {
  CountingLog log;
  return ReplaceName(c.kind, b, from, to, log);
}

// Times the rename against the reference; returns false when their counts differ.
bool RunCase(TDXFBuffer& b, const RenameCase& c) {
  const int expected = ReferenceCount(b, c);
  const int replaced = Rename(b, c, c.name, c.other);
  Rename(b, c, c.other, c.name);
  if (expected == 0 || replaced != expected) {
    std::fprintf(stderr, "bench_rename: %s replaced %d pairs, the reference counts %d\n",
                 c.label.c_str(), replaced, expected);
    return false;
  }
  std::vector<double> times;
  for (int r = 0; r < kRuns; ++r) {
    const bool back = r % 2 == 1;
    times.push_back(
        TimeOnce([&] { Rename(b, c, back ? c.other : c.name, back ? c.name : c.other); }));
  }
  if (kRuns % 2 == 1) Rename(b, c, c.other, c.name);
  const double reference = MedianTime(kRuns, [&] { ReferenceCount(b, c); });
  PrintRow(c.label + ", " + std::to_string(expected) + " pairs", kRuns, Median(times), reference,
           "<3");
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_rename BIG.dxf\n");
    return 2;
  }
  const std::string path = argv[1];
  TDXFBuffer buffer;
  if (buffer.LoadFromFile(path) != 0) {
    std::fprintf(stderr, "bench_rename: cannot load %s\n", path.c_str());
    return 1;
  }
  PrintMachineAndDrawing(path, buffer.PairCount);
  PrintHeader();
  const RenameCase cases[] = {
      {"rename layer", NameKind::Layer, "A-FLOR", "A-FLOOR", kLayerCode, "LAYER", "", true},
      {"rename linetype", NameKind::Ltype, "DASHED", "DASH", kLinetypeCode, "LTYPE", "", true},
      {"rename block", NameKind::Block, "DOOR900", "DOOR", kNoReferenceCode, "BLOCK", "INSERT",
       false},
  };
  for (const RenameCase& c : cases)
    if (!RunCase(buffer, c)) return 1;
  return 0;
}
