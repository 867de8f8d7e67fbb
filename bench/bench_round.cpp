// bench_round.cpp - the cost of the rounding tool's two passes over a large drawing.
//
// Usage: bench_round BIG.dxf   (a drawing from gen_big_dxf.py; bench/run_bench.sh makes it)
// Both passes are timed against a reference that makes one pass reading every pair's
// code and value. Two cases: the tab's defaults, and step "0" with digit 0 on both
// passes, where nearly every touched value changes (the worst case). A run changes the
// buffer, so every run starts from a freshly loaded drawing (not timed); every run must
// change the same number of values, and none may stop at a value that is not a number.
#include <cstdio>  // std::printf, std::fprintf
#include <string>  // std::string
#include <vector>  // std::vector

#include "bench/BenchCommon.h"
#include "logic/rounding/RoundingTool.h"
#include "model/buffer/MyDXFClass.h"
#include "model/text/MyStringLib.h"

namespace {

constexpr int kRuns = 5;

volatile long long g_sink;  // keeps the reference's reads from being optimised away

struct RoundCase {
  std::string label;
  RoundChoice choice;
};

// One pass over every pair's code and value, reading the value's bytes as the passes
// and bench_rename's reference do (trimmed); the sum keeps the reads from being dropped.
long long ReferenceScan(const TDXFBuffer& b) {
  long long sum = 0;
  for (int i = 0; i < b.PairCount; ++i) sum += b.GetCode(i) + TrimView(b.ValueView(i)).size();
  return sum;
}

bool Load(TDXFBuffer& b, const std::string& path) {
  if (b.LoadFromFile(path) == 0) return true;
  std::fprintf(stderr, "bench_round: cannot load %s\n", path.c_str());
  return false;
}

// Times the passes of c on fresh loads; returns false when the runs disagree.
bool RunCase(const std::string& path, const RoundCase& c, double reference) {
  std::vector<double> times;
  int expected = -1;
  for (int r = 0; r < kRuns; ++r) {
    TDXFBuffer b;
    if (!Load(b, path)) return false;
    RoundOutcome outcome;
    times.push_back(TimeOnce([&] { outcome = RoundEntities(b, c.choice); }));
    if (!outcome.error.empty() || (expected >= 0 && outcome.count != expected)) {
      std::fprintf(stderr, "bench_round: %s changed %d values, an earlier run %d\n",
                   c.label.c_str(), outcome.count, expected);
      return false;
    }
    expected = outcome.count;
  }
  PrintRow(c.label + ", " + std::to_string(expected) + " values", kRuns, Median(times), reference,
           "<3");
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_round BIG.dxf\n");
    return 2;
  }
  const std::string path = argv[1];
  TDXFBuffer buffer;
  if (!Load(buffer, path)) return 1;
  PrintMachineAndDrawing(path, buffer.PairCount);
  const double reference = MedianTime(kRuns, [&] { g_sink = ReferenceScan(buffer); });
  buffer = TDXFBuffer();
  PrintHeader();
  const RoundCase cases[] = {
      {"round, defaults", kDefaultRoundChoice},
      {"round, step 0 digit 0", {0, 0, 0, 0}},
  };
  for (const RoundCase& c : cases)
    if (!RunCase(path, c, reference)) return 1;
  return 0;
}
