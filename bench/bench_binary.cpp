// bench_binary.cpp - loading a binary DXF file against loading the same drawing as text.
//
// Usage: bench_binary [BIG.dxf [OUT.dxf]] (defaults /tmp/quillet-bench/big200.dxf and
// /tmp/quillet-bench/big200-binary.dxf). The text drawing is converted to the binary form
// once per run; before anything is timed the binary load must give the text load's codes
// and, number for number, its values. Memory is each load's peak in a fresh process.
#include <cstdio>       // std::printf, std::fprintf
#include <cstring>      // std::strcmp
#include <string>       // std::string
#include <string_view>  // std::string_view
#include <vector>       // std::vector

#include "bench/BenchCommon.h"
#include "model/buffer/MyDXFClass.h"
#include "model/text/MyStringLib.h"

namespace {

constexpr int kRuns = 7;

// Tells whether the binary load shows the text load's pairs: the same codes, and values
// that read as the same number (the text may have blanks around it) or are the same text.
bool SamePairs(const TDXFBuffer& text, const TDXFBuffer& binary) {
  if (text.EofIndex != binary.EofIndex) return false;
  for (int i = 0; i <= text.EofIndex; ++i) {
    if (text.GetCode(i) != binary.GetCode(i)) return false;
    const std::string_view a = TrimView(text.ValueView(i)), b = binary.ValueView(i);
    double x = 0, y = 0;
    const bool sameNumber = ParseDouble(a, x) && ParseDouble(b, y) && x == y;
    if (a != b && !sameNumber) return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--child") == 0) return ChildLoadMode(argv[2]);
  const std::string textPath = argc > 1 ? argv[1] : "/tmp/quillet-bench/big200.dxf";
  const std::string binaryPath = argc > 2 ? argv[2] : "/tmp/quillet-bench/big200-binary.dxf";
  TDXFBuffer text;
  Require(text.LoadFromFile(textPath), "text load");
  text.SaveForm = DXFForm::Binary;
  text.SetFileName(binaryPath);
  const double convert = TimeOnce([&text] { Require(text.SaveToFile(), "conversion"); });
  TDXFBuffer binary;
  Require(binary.LoadFromFile(binaryPath), "binary load");
  if (!SamePairs(text, binary)) {
    std::fprintf(stderr, "bench_binary: the binary load and the text load disagree\n");
    return 1;
  }
  const int pairs = text.PairCount;
  PrintMachineAndDrawing(textPath, pairs);
  std::printf("binary form: %s %lld bytes (converted in %.2f s)\n\n", binaryPath.c_str(),
              FileSize(binaryPath), convert);
  PrintHeader();
  // The loads alternate, so that a shared machine's drift weighs on both alike.
  std::vector<double> textLoads, binaryLoads;
  for (int run = 0; run < kRuns; ++run) {
    textLoads.push_back(MedianLoadTime(textPath, 1));
    binaryLoads.push_back(MedianLoadTime(binaryPath, 1));
  }
  PrintRow("LoadFromFile binary vs text", kRuns, Median(binaryLoads), Median(textLoads), "<=1.5");
  const ChildLoad textChild = RunChildLoad(argv[0], textPath);
  const ChildLoad binaryChild = RunChildLoad(argv[0], binaryPath);
  PrintRatio("peak RSS bytes per pair, text", static_cast<double>(textChild.peak) / pairs, "info");
  PrintRatio("peak RSS bytes per pair, binary", static_cast<double>(binaryChild.peak) / pairs,
             "info");
  PrintRatio("peak RSS binary / text", static_cast<double>(binaryChild.peak) / textChild.peak,
             "info");
  return 0;
}
