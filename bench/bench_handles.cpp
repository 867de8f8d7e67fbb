// bench_handles.cpp - the handle index, the drawing check and a jump by handle.
//
// Usage: bench_handles BIG.dxf OUT_DIR
// BIG.dxf comes from gen_big_dxf.py (bench/run_bench.sh makes it); OUT_DIR receives a
// generated drawing of 1,000,000 records with planted problems. The index is checked
// against a plain hash map of every record's handle, and the check against the
// problems each drawing is known to have, before anything is timed.
#include <algorithm>      // std::max
#include <cstdio>         // std::printf, std::fprintf, std::FILE
#include <string>         // std::string
#include <unordered_map>  // std::unordered_map
#include <vector>         // std::vector

#include "bench/BenchCommon.h"
#include "logic/check/DrawingCheck.h"
#include "logic/navigation/HandleNavigation.h"
#include "model/buffer/GroupCodes.h"
#include "model/buffer/HandleIndex.h"
#include "model/buffer/MyDXFClass.h"

namespace {

constexpr int kRuns = 5;
constexpr int kJumps = 10000;
constexpr int kManyRecords = 1000000;
constexpr int kPlantEvery = 100000;  // one duplicate handle and one dangling pointer each

// The reference: every record's handle pair, found by RecordHandlePair, in a hash map.
std::unordered_map<std::uint64_t, std::vector<int>> ReferenceOwners(const TDXFBuffer& b) {
  std::unordered_map<std::uint64_t, std::vector<int>> owners;
  for (int i = 0; i <= b.EofIndex; ++i) {
    if (b.GetCode(i) != kRecordStartCode) continue;
    const int pair = RecordHandlePair(b, i);
    std::uint64_t handle = 0;
    if (pair >= 0 && ParseHandle(b.ValueView(pair), handle)) owners[handle].push_back(i);
  }
  return owners;
}

bool SameOwners(const TDXFBuffer& b, const HandleIndex& index) {
  const auto reference = ReferenceOwners(b);
  std::size_t entries = 0;
  for (const auto& [handle, records] : reference) {
    const auto owners = index.Owners(handle);
    if (owners.size() != records.size()) return false;
    for (std::size_t k = 0; k < records.size(); ++k)
      if (owners[k].record != records[k]) return false;
    entries += records.size();
  }
  return entries == index.Entries().size();
}

// Writes a drawing of `records` LINE records owned by the model space's block record;
// every kPlantEvery-th record repeats the handle before it and the one after it points
// at a handle no record owns.
void WriteManyRecords(const std::string& path, int records) {
  std::FILE* out = std::fopen(path.c_str(), "wb");
  std::fputs(
      "  0\r\nSECTION\r\n  2\r\nHEADER\r\n  9\r\n$HANDSEED\r\n  5\r\nFFFFFFF\r\n"
      "  0\r\nENDSEC\r\n  0\r\nSECTION\r\n  2\r\nTABLES\r\n  0\r\nTABLE\r\n  2\r\n"
      "BLOCK_RECORD\r\n  5\r\n1\r\n330\r\n0\r\n  0\r\nBLOCK_RECORD\r\n  5\r\n1F\r\n"
      "330\r\n1\r\n  2\r\n*Model_Space\r\n  0\r\nENDTAB\r\n  0\r\nENDSEC\r\n"
      "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n",
      out);
  for (int r = 0; r < records; ++r) {
    const bool duplicate = r > 0 && r % kPlantEvery == 0;
    const bool dangling = r % kPlantEvery == 1;
    std::fprintf(out,
                 "  0\r\nLINE\r\n  5\r\n%X\r\n330\r\n%s\r\n100\r\nAcDbEntity\r\n  8\r\n0\r\n"
                 "100\r\nAcDbLine\r\n 10\r\n%d.0\r\n 20\r\n0.0\r\n 30\r\n0.0\r\n 11\r\n%d.5\r\n"
                 " 21\r\n1.0\r\n 31\r\n0.0\r\n",
                 0x100 + r - (duplicate ? 1 : 0), dangling ? "ABCDEF012" : "1F", r, r);
  }
  std::fputs("  0\r\nENDSEC\r\n  0\r\nEOF\r\n", out);
  std::fclose(out);
}

// Times the index and the check on one drawing against its load; false when a result
// differs from what the drawing is known to hold.
bool RunDrawing(const std::string& label, const std::string& path, std::size_t problems) {
  TDXFBuffer b;
  const double load = MedianTime(kRuns, [&] { Require(b.LoadFromFile(path), "load"); });
  HandleIndex index;
  index.Build(b);
  if (!SameOwners(b, index)) {
    std::fprintf(stderr, "bench_handles: the index and the reference disagree on %s\n",
                 path.c_str());
    return false;
  }
  const std::size_t found = CheckDrawing(b, index).size();
  if (found != problems) {
    std::fprintf(stderr, "bench_handles: the check found %zu problems in %s, not %zu\n", found,
                 path.c_str(), problems);
    return false;
  }
  std::printf("%s: %s, %lld bytes, %d pairs, %zu handles\n", label.c_str(), path.c_str(),
              FileSize(path), b.PairCount, index.Entries().size());
  PrintHeader();
  PrintRow("LoadFromFile (the reference)", kRuns, load, load, "-");
  const double build = MedianTime(kRuns, [&] { index.Build(b); });
  PrintRow("handle index build vs load", kRuns, build, load, "<1");
  const double check = MedianTime(kRuns, [&] {
    HandleIndex fresh;
    fresh.Build(b);
    CheckDrawing(b, fresh);
  });
  PrintRow("--check (index + check) vs load", kRuns, check, load, "<2");
  PrintRatio("index memory / file size", static_cast<double>(index.MemoryBytes()) / FileSize(path),
             "report, aim <0.3");

  // Jumps from pointers spread over the whole file, each to the record that owns its handle.
  std::vector<int> pointers;
  const int stride = std::max(1, b.PairCount / kJumps);
  for (int i = 0; i < b.PairCount && pointers.size() < kJumps; i += stride) {
    int p = i;
    while (p < b.PairCount && !IsPointerCode(b.GetCode(p))) ++p;
    if (p < b.PairCount) pointers.push_back(p);
  }
  long long landed = 0;
  const double jumps = MedianTime(kRuns, [&] {
    for (const int p : pointers) landed += PointerJumpTarget(b, index, p).pair;
  });
  PrintRatio("jump by handle, us per jump", jumps / pointers.size() * 1e6, "<1000 (1 ms)");
  std::printf("\n");
  return landed != 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: bench_handles BIG.dxf OUT_DIR\n");
    return 2;
  }
  std::printf("machine: %s\n\n", MachineLine().c_str());
  const std::string many = std::string(argv[2]) + "/bench_handles_1m.dxf";
  WriteManyRecords(many, kManyRecords);
  constexpr std::size_t kPlanted = 2 * (kManyRecords / kPlantEvery) - 1;  // record 0 is no copy
  const bool ok = RunDrawing("big", argv[1], 0) && RunDrawing("1,000,000 records", many, kPlanted);
  std::remove(many.c_str());
  return ok ? 0 : 1;
}
