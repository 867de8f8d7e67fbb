// bench_compare.cpp - the compare of two large drawings against loading them.
//
// Usage: bench_compare BIG.dxf EDITED.dxf
// EDITED.dxf is BIG.dxf after a small edit that keeps every record in place (bench/
// run_bench.sh makes it with quillet-dump --round). Before anything is timed, the compare
// must find exactly the pairs a plain walk finds: same place, other bytes, another number
// (strtod) or another text, and no record removed or added. Then the compare is timed
// against loading both drawings (bound: under 3 times), and in a fresh process the peak
// memory of loading both and comparing them is set against their size (bound: under 2).
#include <cstdio>   // std::printf, std::fprintf, popen
#include <cstdlib>  // std::strtod
#include <string>   // std::string

#include "bench/BenchCommon.h"
#include "logic/compare/DrawingCompare.h"
#include "model/buffer/GroupCodes.h"
#include "model/buffer/MyDXFClass.h"

namespace {

constexpr int kRuns = 3;

struct Drawings {
  TDXFBuffer here, there;
  void Load(const std::string& herePath, const std::string& therePath) {
    Require(here.LoadFromFile(herePath), "load");
    Require(there.LoadFromFile(therePath), "load");
  }
};

// The reference: pairs at the same place whose values differ, reals by strtod.
long long ReferenceChangedPairs(const TDXFBuffer& a, const TDXFBuffer& b) {
  long long changed = 0;
  for (int i = 0; i < a.PairCount && i < b.PairCount; ++i) {
    const std::string_view x = a.ValueView(i), y = b.ValueView(i);
    if (x == y) continue;
    if (ValueTypeOfCode(a.GetCode(i)) == GroupValueType::Real &&
        std::strtod(std::string(x).c_str(), nullptr) ==
            std::strtod(std::string(y).c_str(), nullptr))
      continue;
    ++changed;
  }
  return changed;
}

// Loads both drawings and compares them once; prints the seconds of the compare and the
// process's peak resident bytes.
int ChildMode(const std::string& herePath, const std::string& therePath) {
  Drawings d;
  d.Load(herePath, therePath);
  const double seconds = TimeOnce([&] { CompareDrawings(d.here, d.there, {}); });
  std::printf("%.6f %lld\n", seconds, PeakResidentBytes());
  return 0;
}

long long ChildPeak(const char* self, const std::string& herePath, const std::string& therePath) {
  const std::string command =
      std::string("'") + self + "' --child '" + herePath + "' '" + therePath + "'";
  double seconds = -1;
  long long peak = -1;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    if (std::fscanf(pipe, "%lf %lld", &seconds, &peak) != 2) peak = -1;
    ::pclose(pipe);
  }
  return peak;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--child") return ChildMode(argv[2], argv[3]);
  if (argc != 3) {
    std::fprintf(stderr, "usage: bench_compare BIG.dxf EDITED.dxf\n");
    return 2;
  }
  const std::string herePath = argv[1], therePath = argv[2];
  Drawings d;
  d.Load(herePath, therePath);
  const DrawingDifference diff = CompareDrawings(d.here, d.there, {});
  long long pairs = 0;
  for (const RecordChange& c : diff.records) {
    if (c.kind != ChangeKind::Changed) {
      std::fprintf(stderr, "bench_compare: a record at pair %d is reported removed or added\n",
                   c.here >= 0 ? c.here : c.there);
      return 1;
    }
    pairs += c.pairCount;
  }
  const long long reference = ReferenceChangedPairs(d.here, d.there);
  if (pairs != reference) {
    std::fprintf(stderr, "bench_compare: the compare finds %lld changed pairs, the walk %lld\n",
                 pairs, reference);
    return 1;
  }
  PrintMachineAndDrawing(herePath, d.here.PairCount);
  std::printf("other: %s, %lld bytes; %zu records and %lld pairs differ\n\n", therePath.c_str(),
              FileSize(therePath), diff.records.size(), pairs);
  PrintHeader();
  const double load = MedianTime(kRuns, [&] {
    Drawings fresh;
    fresh.Load(herePath, therePath);
  });
  PrintRow("load both (the reference)", kRuns, load, load, "-");
  const double compare = MedianTime(kRuns, [&] { CompareDrawings(d.here, d.there, {}); });
  PrintRow("compare vs load both", kRuns, compare, load, "<3");
  const double sizes = static_cast<double>(FileSize(herePath) + FileSize(therePath));
  PrintRatio("peak memory (load both + compare) / sizes",
             ChildPeak(argv[0], herePath, therePath) / sizes, "<2");
  return 0;
}
