// bench_huge.cpp - a drawing of gigabytes: load time per megabyte and peak memory.
//
// Usage: bench_huge REFERENCE.dxf HUGE.dxf
// REFERENCE is the 200 MB drawing and HUGE one of about 2.3 GB; `bench/run_bench.sh
// --huge` makes HUGE in the bench folder and deletes it afterwards. Every load is the
// first of a fresh process, as a user's open meets it. Before anything is timed, a load
// of HUGE is checked pair by pair against a streaming reading of the file, which holds
// no more than one piece of it in memory.
#include <algorithm>  // std::max
#include <charconv>   // std::from_chars
#include <cstdio>     // std::printf, std::fopen, std::fread
#include <cstring>    // std::strcmp
#include <string>     // std::string
#include <vector>     // std::vector

#include "bench/BenchCommon.h"
#include "model/buffer/MyDXFClass.h"

namespace {

constexpr int kRuns = 3;  // a load of 2.3 GB takes seconds; its spread is small

// Compares the buffer's pairs with the file's lines read piece by piece: split at CR LF,
// CR or LF, every odd line a code. Returns the number of pairs, or -1 at a difference.
long long CheckedPairs(const TDXFBuffer& buffer, const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return -1;
  std::vector<char> piece(1 << 20);
  std::string line;
  long long lines = 0;
  bool afterCR = false, same = true;
  const auto endLine = [&] {
    const int pair = static_cast<int>(lines / 2);
    if (lines % 2 == 0) {
      std::size_t b = line.find_first_not_of(' ');
      int code = 0;
      if (b == std::string::npos) b = line.size();
      std::from_chars(line.data() + b, line.data() + line.size(), code);
      same = same && pair < buffer.PairCount && buffer.GetCode(pair) == code;
    } else {
      same = same && buffer.ValueView(pair) == line;
    }
    ++lines;
    line.clear();
  };
  for (std::size_t got; same && (got = std::fread(piece.data(), 1, piece.size(), file)) > 0;) {
    for (std::size_t k = 0; k < got; ++k) {
      const char c = piece[k];
      if (c == '\n' && afterCR) {
        afterCR = false;
        continue;
      }
      afterCR = c == '\r';
      if (c == '\r' || c == '\n') {
        endLine();
      } else {
        line += c;
      }
    }
  }
  std::fclose(file);
  if (!line.empty()) endLine();
  return same && lines / 2 == buffer.PairCount ? lines / 2 : -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--child") == 0) return ChildLoadMode(argv[2]);
  if (argc != 3) {
    std::fprintf(stderr, "usage: bench_huge REFERENCE.dxf HUGE.dxf\n");
    return 2;
  }
  const std::string reference = argv[1], huge = argv[2];
  long long pairs = 0;
  {
    TDXFBuffer buffer;
    Require(buffer.LoadFromFile(huge), "load");
    pairs = CheckedPairs(buffer, huge);
  }
  if (pairs < 0) {
    std::fprintf(stderr, "bench_huge: the buffer and the file disagree on %s\n", huge.c_str());
    return 1;
  }
  const double mbReference = FileSize(reference) / 1e6, mbHuge = FileSize(huge) / 1e6;
  std::printf("machine: %s\nfiles: %s %.0f bytes, %s %.0f bytes, %lld pairs\n\n",
              MachineLine().c_str(), reference.c_str(), mbReference * 1e6, huge.c_str(),
              mbHuge * 1e6, pairs);
  PrintHeader();
  std::vector<double> hugeTimes, referenceTimes;
  long long hugePeak = 0, referencePeak = 0;
  for (int r = 0; r < kRuns; ++r) {
    const ChildLoad big = RunChildLoad(argv[0], huge);
    const ChildLoad small = RunChildLoad(argv[0], reference);
    hugeTimes.push_back(big.seconds);
    referenceTimes.push_back(small.seconds);
    hugePeak = std::max(hugePeak, big.peak);
    referencePeak = std::max(referencePeak, small.peak);
  }
  const double hugeSeconds = Median(hugeTimes), referenceSeconds = Median(referenceTimes);
  PrintRow("LoadFromFile huge (first load)", kRuns, hugeSeconds, referenceSeconds, "info");
  PrintRow("load s/MB huge vs 200 MB", kRuns, hugeSeconds / mbHuge, referenceSeconds / mbReference,
           "0.8..1.3");
  PrintRatio("peak RSS after load / size, huge", hugePeak / (mbHuge * 1e6), "<=1.6");
  PrintRatio("peak RSS after load / size, 200 MB", referencePeak / (mbReference * 1e6), "info");
  return 0;
}
