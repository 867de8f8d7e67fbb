// bench_handles.cpp - the handle index, the drawing check and a jump by handle.
//
// The check's bound: the index and the check together under two loads of the drawing,
// on the 200 MB drawing (tables, blocks, Shift-JIS names and texts, nothing to report)
// and on a generated one of 1,000,000 records with problems of six kinds planted.
//
// Usage: bench_handles BIG.dxf OUT_DIR
// BIG.dxf comes from gen_big_dxf.py (bench/run_bench.sh makes it); OUT_DIR receives a
// generated drawing of 1,000,000 records with planted problems. The index is checked
// against a plain hash map of every record's handle, and the check against the
// problems each drawing is known to have, before anything is timed.
#include <algorithm>      // std::max
#include <cstdio>         // std::printf, std::fprintf, std::FILE
#include <map>            // std::map
#include <string>         // std::string, std::to_string
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
constexpr int kPlantEvery = 100000;  // six problems each: see WriteManyRecords

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

// The layers of the generated drawing: ASCII names and Shift-JIS ones, two of them with a
// trail byte of 0x5C ("表", "ソ").
const char* const kLayers[] = {"0",
                               "A-WALL",
                               "A-DOOR",
                               "S-COLS",
                               "E-LITE",
                               "\x95\xC7" /* 壁 */,
                               "\x95\x5C\x8E\xA6" /* 表示 */,
                               "\x83\x5C\x83\x74\x83\x40" /* ソファ */,
                               "M-HVAC",
                               "P-PIPE"};
constexpr int kLayerCount = sizeof(kLayers) / sizeof(kLayers[0]);

// Writes a drawing of `records` LINE and TEXT records owned by the model space's block
// record, on layers, linetypes and a text style of its tables, every 20th with extended
// data of a registered application. Every kPlantEvery-th record repeats the handle before
// it and the one after it points at a handle no record owns; the next ones stand on a
// layer of their own that the table lacks, hold a text that is no Shift-JIS, are a
// POLYLINE whose VERTEX no SEQEND follows, and carry extended data of an application the
// APPID table lacks: each a problem of its own.
void WriteManyRecords(const std::string& path, int records) {
  std::FILE* out = std::fopen(path.c_str(), "wb");
  std::fputs(
      "  0\r\nSECTION\r\n  2\r\nHEADER\r\n  9\r\n$ACADVER\r\n  1\r\nAC1015\r\n"
      "  9\r\n$DWGCODEPAGE\r\n  3\r\nANSI_932\r\n  9\r\n$HANDSEED\r\n  5\r\nFFFFFFF\r\n"
      "  0\r\nENDSEC\r\n  0\r\nSECTION\r\n  2\r\nTABLES\r\n"
      "  0\r\nTABLE\r\n  2\r\nLTYPE\r\n  5\r\n2\r\n330\r\n0\r\n 70\r\n1\r\n"
      "  0\r\nLTYPE\r\n  5\r\n3\r\n330\r\n2\r\n  2\r\nDASHED\r\n 70\r\n0\r\n"
      "  0\r\nENDTAB\r\n  0\r\nTABLE\r\n  2\r\nLAYER\r\n  5\r\n4\r\n330\r\n0\r\n",
      out);
  std::fprintf(out, " 70\r\n%d\r\n", kLayerCount);
  for (int k = 0; k < kLayerCount; ++k)
    std::fprintf(out,
                 "  0\r\nLAYER\r\n  5\r\n%X\r\n330\r\n4\r\n  2\r\n%s\r\n 70\r\n0\r\n"
                 " 62\r\n7\r\n  6\r\n%s\r\n",
                 0x20 + k, kLayers[k], k % 3 == 0 ? "DASHED" : "Continuous");
  std::fputs(
      "  0\r\nENDTAB\r\n  0\r\nTABLE\r\n  2\r\nSTYLE\r\n  5\r\n5\r\n330\r\n0\r\n 70\r\n1\r\n"
      "  0\r\nSTYLE\r\n  5\r\n6\r\n330\r\n5\r\n  2\r\n\x96\xBE\x92\xA9\r\n 70\r\n0\r\n"
      "  0\r\nENDTAB\r\n  0\r\nTABLE\r\n  2\r\nAPPID\r\n  5\r\n7\r\n330\r\n0\r\n 70\r\n1\r\n"
      "  0\r\nAPPID\r\n  5\r\n8\r\n330\r\n7\r\n  2\r\nQUILLET\r\n 70\r\n0\r\n"
      "  0\r\nENDTAB\r\n  0\r\nTABLE\r\n  2\r\nBLOCK_RECORD\r\n  5\r\n1\r\n330\r\n0\r\n"
      "  0\r\nBLOCK_RECORD\r\n  5\r\n1F\r\n330\r\n1\r\n  2\r\n*Model_Space\r\n"
      "  0\r\nENDTAB\r\n  0\r\nENDSEC\r\n"
      "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n",
      out);
  for (int r = 0; r < records; ++r) {
    const int plant = r % kPlantEvery;
    const bool duplicate = r > 0 && plant == 0;
    const bool dangling = plant == 1;
    const int handle = 0x100 + r - (duplicate ? 1 : 0);
    const char* owner = dangling ? "ABCDEF012" : "1F";
    const std::string layer =
        plant == 2 ? "NO-SUCH-LAYER-" + std::to_string(r) : kLayers[r % kLayerCount];
    if (plant == 4) {  // the POLYLINE's handle is the record's, its VERTEX's is past them all
      std::fprintf(out,
                   "  0\r\nPOLYLINE\r\n  5\r\n%X\r\n330\r\n1F\r\n100\r\nAcDbEntity\r\n"
                   "  8\r\n0\r\n100\r\nAcDb2dPolyline\r\n 66\r\n1\r\n 10\r\n0.0\r\n"
                   " 20\r\n0.0\r\n 30\r\n0.0\r\n  0\r\nVERTEX\r\n  5\r\n%X\r\n330\r\n%X\r\n"
                   "100\r\nAcDbEntity\r\n  8\r\n0\r\n100\r\nAcDbVertex\r\n100\r\nAcDb2dVertex\r\n"
                   " 10\r\n%d.0\r\n 20\r\n1.0\r\n 30\r\n0.0\r\n",
                   handle, 0x8000000 + r, handle, r);
    } else if (r % 2 == 1 || plant == 3) {
      std::fprintf(out,
                   "  0\r\nTEXT\r\n  5\r\n%X\r\n330\r\n%s\r\n100\r\nAcDbEntity\r\n  8\r\n%s\r\n"
                   "100\r\nAcDbText\r\n 10\r\n%d.0\r\n 20\r\n0.0\r\n 30\r\n0.0\r\n"
                   " 40\r\n2.5\r\n  1\r\n%s %d\r\n  7\r\n\x96\xBE\x92\xA9\r\n100\r\nAcDbText\r\n",
                   handle, owner, layer.c_str(), r,
                   plant == 3 ? "\x80\xFF" : "\x95\x5C\x8E\xA6\x83\x5C\x83\x74\x83\x40", r);
    } else {
      std::fprintf(out,
                   "  0\r\nLINE\r\n  5\r\n%X\r\n330\r\n%s\r\n100\r\nAcDbEntity\r\n  8\r\n%s\r\n"
                   "  6\r\n%s\r\n100\r\nAcDbLine\r\n 10\r\n%d.0\r\n 20\r\n0.0\r\n 30\r\n0.0\r\n"
                   " 11\r\n%d.5\r\n 21\r\n1.0\r\n 31\r\n0.0\r\n",
                   handle, owner, layer.c_str(), r % 4 == 0 ? "ByLayer" : "DASHED", r, r);
    }
    if (plant == 5)
      std::fprintf(out, "1001\r\nNO-SUCH-APP-%d\r\n1000\r\nx\r\n", r);
    else if (r % 20 == 0)
      std::fputs("1001\r\nQUILLET\r\n1000\r\n\x95\x5C\r\n1070\r\n1\r\n", out);
  }
  std::fputs("  0\r\nENDSEC\r\n  0\r\nEOF\r\n", out);
  std::fclose(out);
}

// The problems of a drawing by kind: how many of each.
using KindCounts = std::map<std::string, std::size_t>;

std::string Describe(const KindCounts& counts) {
  std::string text;
  for (const auto& [kind, n] : counts) text += " " + kind + "=" + std::to_string(n);
  return text.empty() ? " none" : text;
}

// Times the index and the check on one drawing against its load; false when a result
// differs from what the drawing is known to hold.
bool RunDrawing(const std::string& label, const std::string& path, const KindCounts& problems) {
  TDXFBuffer b;
  const double load = MedianTime(kRuns, [&] { Require(b.LoadFromFile(path), "load"); });
  HandleIndex index;
  index.Build(b);
  if (!SameOwners(b, index)) {
    std::fprintf(stderr, "bench_handles: the index and the reference disagree on %s\n",
                 path.c_str());
    return false;
  }
  KindCounts found;
  for (const CheckProblem& p : CheckDrawing(b, index)) ++found[std::string(CheckKindName(p.kind))];
  if (found != problems) {
    std::fprintf(stderr, "bench_handles: the check found%s in %s, not%s\n", Describe(found).c_str(),
                 path.c_str(), Describe(problems).c_str());
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
  constexpr std::size_t kPlants = kManyRecords / kPlantEvery;
  const KindCounts planted = {
      {"duplicate-handle", kPlants - 1},  // record 0 is no copy
      {"dangling-pointer", kPlants},     {"undefined-layer", kPlants},   {"bad-text", kPlants},
      {"missing-seqend", kPlants},       {"unregistered-appid", kPlants}};
  const bool ok = RunDrawing("big", argv[1], {}) && RunDrawing("1,000,000 records", many, planted);
  std::remove(many.c_str());
  return ok ? 0 : 1;
}
