// bench_find.cpp - the cost of a find that matches nothing, over a whole large drawing.
//
// Usage: bench_find BIG.dxf   (a drawing from gen_big_dxf.py; bench/run_bench.sh makes it)
// Each of the four find modes searches from the first pair to the EOF pair for a term
// that no value holds. The reference is the rename benchmark's: one pass that reads every
// pair's code and value and compares the trimmed value with a name. Before anything is
// timed, the find must miss and the reference must count no pair.
#include <cstdio>       // std::printf, std::fprintf
#include <string>       // std::string
#include <string_view>  // std::string_view
#include <vector>       // std::vector

#include "bench/BenchCommon.h"
#include "logic/find/FindMatcher.h"
#include "model/buffer/MyDXFClass.h"
#include "model/text/MyStringLib.h"

namespace {

constexpr int kRuns = 5;
constexpr std::string_view kAbsent = "TERM";  // in no value of a generated drawing

// One pass over every pair's code and value, counting the values equal to name.
int ReferenceCount(const TDXFBuffer& b, std::string_view name) {
  int hits = 0;
  int codes = 0;
  for (int i = 0; i <= b.EofIndex; ++i) {
    codes += b.GetCode(i);
    hits += TrimView(b.ValueView(i)) == name;
  }
  return hits + (codes == -1);  // the sum keeps the code reads from being optimised away
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_find BIG.dxf\n");
    return 2;
  }
  const std::string path = argv[1];
  TDXFBuffer buffer;
  Require(buffer.LoadFromFile(path), "LoadFromFile");
  PrintMachineAndDrawing(path, buffer.PairCount);
  if (ReferenceCount(buffer, kAbsent) != 0) {
    std::fprintf(stderr, "bench_find: the drawing holds %s\n", std::string(kAbsent).c_str());
    return 1;
  }
  PrintHeader();
  const std::string absent(kAbsent);
  for (const std::string& box : {absent, absent + "*", "*" + absent, "*" + absent + "*"}) {
    const FindTerm term = ParseFindTerm(box);
    if (FindNextPair(buffer, term, 0) != -1) {
      std::fprintf(stderr, "bench_find: %s found a pair\n", box.c_str());
      return 1;
    }
    // The runs alternate with the reference's, so both meet the same load of the machine.
    std::vector<double> finds;
    std::vector<double> references;
    for (int r = 0; r < kRuns; ++r) {
      finds.push_back(TimeOnce([&] { FindNextPair(buffer, term, 0); }));
      references.push_back(TimeOnce([&] { ReferenceCount(buffer, kAbsent); }));
    }
    PrintRow("find miss " + box, kRuns, Median(finds), Median(references), "<1.5");
  }
  return 0;
}
