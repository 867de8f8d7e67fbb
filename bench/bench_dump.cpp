// bench_dump.cpp - the cost of quillet-dump's JSON Lines against its tab-separated listing.
//
// Usage: bench_dump QUILLET_DUMP BIG.dxf
// Both forms list every pair with its remark into /dev/null. Before anything is timed,
// each output is read once: both must succeed and hold one line per pair.
#include <cstdio>  // std::printf, popen
#include <string>  // std::string

#include "bench/BenchCommon.h"

namespace {

constexpr int kRuns = 3;

// Runs the command and counts the lines it prints; -1 when it fails.
long long CountOutputLines(const std::string& command) {
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return -1;
  long long lines = 0;
  char chunk[1 << 16];
  std::size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0)
    for (std::size_t k = 0; k < got; ++k) lines += chunk[k] == '\n';
  return ::pclose(pipe) == 0 ? lines : -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: bench_dump QUILLET_DUMP BIG.dxf\n");
    return 2;
  }
  const std::string dump = argv[1], big = argv[2];
  const std::string tabs = "'" + dump + "' '" + big + "'";
  const std::string json = "'" + dump + "' --json '" + big + "'";
  const long long tabLines = CountOutputLines(tabs);
  if (tabLines <= 0 || CountOutputLines(json) != tabLines) {
    std::fprintf(stderr, "bench_dump: the JSON and the tab-separated listing differ\n");
    return 1;
  }
  std::printf("machine: %s\nfile: %s %lld bytes, %lld pairs listed\n\n", MachineLine().c_str(),
              big.c_str(), FileSize(big), tabLines);
  PrintHeader();
  const double tabTime = MedianTime(kRuns, [&tabs] { RunCommand(tabs + " > /dev/null"); });
  const double jsonTime = MedianTime(kRuns, [&json] { RunCommand(json + " > /dev/null"); });
  PrintRow("dump --json vs tab listing", kRuns, jsonTime, tabTime, "<1.5");
  return 0;
}
