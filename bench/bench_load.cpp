// bench_load.cpp - load, memory, save and dump costs of the line buffer.
//
// Usage: bench_load SMALL.dxf BIG.dxf QUILLET_DUMP [OUT_DIR]
// (the files come from gen_big_dxf.py; bench/run_bench.sh makes them). Every candidate
// is checked against its reference on the same input before anything is timed.
#include <fcntl.h>   // open
#include <unistd.h>  // read, write, fsync, close

#include <charconv>  // std::from_chars
#include <cstdio>    // std::printf
#include <cstring>   // std::strcmp
#include <string>    // std::string
#include <vector>    // std::vector

#include "bench/BenchCommon.h"
#include "model/buffer/MyDXFClass.h"

namespace {

constexpr int kRuns = 5;

// The minimal reference: read the file, split it at CR LF / CR / LF, parse every code
// line as an integer into an array of (code, value position).
struct RefPair {
  int code;
  std::size_t valueStart;
  std::size_t valueLength;
};

struct Reference {
  std::vector<char> text;
  std::vector<RefPair> pairs;
};

Reference ReferenceLoad(const std::string& path) {
  Reference ref;
  const int fd = ::open(path.c_str(), O_RDONLY);
  ref.text.resize(static_cast<std::size_t>(FileSize(path)));
  std::size_t got = 0;
  while (got < ref.text.size()) {
    const ssize_t n = ::read(fd, ref.text.data() + got, ref.text.size() - got);
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  ::close(fd);
  const char* p = ref.text.data();
  const std::size_t size = ref.text.size();
  std::size_t start = 0;
  bool codeLine = true;
  int code = 0;
  while (start < size) {
    std::size_t end = start;
    while (end < size && p[end] != '\r' && p[end] != '\n') ++end;
    if (codeLine) {
      std::size_t b = start;
      while (b < end && p[b] == ' ') ++b;
      std::from_chars(p + b, p + end, code);
    } else {
      ref.pairs.push_back({code, start, end - start});
    }
    codeLine = !codeLine;
    start = end + (end < size && p[end] == '\r' && end + 1 < size && p[end + 1] == '\n' ? 2 : 1);
  }
  return ref;
}

bool SameResult(const std::string& path) {
  TDXFBuffer buffer;
  if (buffer.LoadFromFile(path) != 0) return false;
  const Reference ref = ReferenceLoad(path);
  if (static_cast<std::size_t>(buffer.PairCount) != ref.pairs.size()) return false;
  for (int i = 0; i < buffer.PairCount; ++i) {
    const RefPair& r = ref.pairs[static_cast<std::size_t>(i)];
    if (buffer.GetCode(i) != r.code) return false;
    if (buffer.ValueView(i) != std::string_view(ref.text.data() + r.valueStart, r.valueLength))
      return false;
  }
  return true;
}

// Times SaveToFile against writing the same bytes with one write, each flushed to disk
// as a save does. The runs alternate, and each starts after sync(), so that neither
// meets the other's dirty pages being written back.
void TimeSave(TDXFBuffer& buffer, const std::string& outDir, int runs, double& save, double& raw) {
  buffer.SetFileName(outDir + "/bench_load_save.dxf");
  const std::string rawPath = outDir + "/bench_load_raw.dxf";
  Require(buffer.SaveToFile(), "save");
  const Reference written = ReferenceLoad(buffer.FileName);
  std::vector<double> saves, raws;
  for (int r = 0; r < runs; ++r) {
    ::sync();
    saves.push_back(TimeOnce([&buffer] { Require(buffer.SaveToFile(), "save"); }));
    ::sync();
    raws.push_back(TimeOnce([&] {
      const int fd = ::open(rawPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      const ssize_t done = ::write(fd, written.text.data(), written.text.size());
      (void)done;
      ::fsync(fd);
      ::close(fd);
    }));
  }
  save = Median(saves);
  raw = Median(raws);
  std::remove(buffer.FileName.c_str());
  std::remove(rawPath.c_str());
}

double MedianChildSeconds(const char* self, const std::string& path, int runs) {
  std::vector<double> times;
  for (int r = 0; r < runs; ++r) times.push_back(RunChildLoad(self, path).seconds);
  return Median(times);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--child") == 0) return ChildLoadMode(argv[2]);
  if (argc < 4) {
    std::fprintf(stderr, "usage: bench_load SMALL.dxf BIG.dxf QUILLET_DUMP [OUT_DIR]\n");
    return 2;
  }
  const std::string small = argv[1], big = argv[2], dump = argv[3];
  const std::string outDir = argc > 4 ? argv[4] : "/tmp";
  for (const std::string& file : {small, big}) {
    if (!SameResult(file)) {
      std::fprintf(stderr, "bench_load: the buffer and the reference disagree on %s\n",
                   file.c_str());
      return 1;
    }
  }
  const double mbSmall = FileSize(small) / 1e6, mbBig = FileSize(big) / 1e6;
  std::printf("machine: %s\nfiles: %s %.0f bytes, %s %.0f bytes\n\n", MachineLine().c_str(),
              small.c_str(), mbSmall * 1e6, big.c_str(), mbBig * 1e6);
  PrintHeader();

  const double loadBig = MedianLoadTime(big, kRuns);
  const double refBig = MedianTime(kRuns, [&big] { ReferenceLoad(big); });
  PrintRow("LoadFromFile big", kRuns, loadBig, refBig, "<=1.5");

  const ChildLoad child = RunChildLoad(argv[0], big);
  PrintRatio("peak RSS after load / file size", child.peak / (mbBig * 1e6), "<=1.8");

  TDXFBuffer buffer;
  Require(buffer.LoadFromFile(big), "load");
  double save = 0, rawWrite = 0;
  constexpr int kSaveRuns = 7;  // writes to disk vary more than loads from the cache
  TimeSave(buffer, outDir, kSaveRuns, save, rawWrite);
  PrintRow("SaveToFile big (both fsync)", kSaveRuns, save, rawWrite, "<=2");

  // Per megabyte, each load runs as the first one in a fresh process, as a user's open
  // meets it. Repeated loads in one process are shown too: there a file that fits in the
  // processor's cache gets its freed pages back warm and looks faster per megabyte.
  const double coldSmall = MedianChildSeconds(argv[0], small, kRuns);
  const double coldBig = MedianChildSeconds(argv[0], big, kRuns);
  PrintRow("load s/MB big vs small (first load)", kRuns, coldBig / mbBig, coldSmall / mbSmall,
           "0.77..1.3");
  const double loadSmall = MedianLoadTime(small, kRuns);
  PrintRow("load s/MB big vs small (repeats)", kRuns, loadBig / mbBig, loadSmall / mbSmall, "info");

  const std::string dumpCommand = "'" + dump + "' --raw --no-remarks '" + big + "' > /dev/null";
  const double dumpTime = MedianTime(3, [&dumpCommand] { RunCommand(dumpCommand); });
  PrintRow("dump --raw --no-remarks vs load", 3, dumpTime, loadBig, "<=3");
  return 0;
}
