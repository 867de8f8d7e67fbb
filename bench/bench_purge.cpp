// bench_purge.cpp - the cost of the purge's list and of the purge itself, against a load.
//
// Usage: bench_purge BIG.dxf   (a drawing from gen_big_dxf.py; bench/run_bench.sh makes it)
// The reference is LoadFromFile of the same drawing. The cases, each run as the window
// runs it on a loaded document:
//  1. The list of what nothing uses, the handle index ready (the window builds it after a
//     load): under 2 loads. The same with the handle index built first is reported too.
//  2. The purge of every listed definition (plan, replacement, index, step, the sizes
//     before and after): under 3 loads. Each run is undone, untimed, before the next.
//  3. A replacement of many stretches at once (every 50th entity record taken out): reported.
// Before anything is timed, a purge must leave nothing to list and its undo must give
// back the loaded drawing, and so must the replacement's.
#include <cstdio>  // std::printf, std::fprintf
#include <string>  // std::string
#include <vector>  // std::vector

#include "bench/BenchCommon.h"
#include "logic/document/Document.h"
#include "logic/purge/UnusedDefinitions.h"
#include "model/buffer/GroupCodes.h"
#include "model/buffer/RecordWalk.h"

namespace {

constexpr int kRuns = 5;
constexpr int kEveryNthRecord = 50;

bool Fail(const char* what) {
  std::fprintf(stderr, "bench_purge: %s\n", what);
  return false;
}

bool RunList(Document& doc, double load) {
  std::vector<double> lists, withIndex;
  std::size_t found = 0;
  for (int r = 0; r < kRuns; ++r) {
    lists.push_back(TimeOnce(
        [&] { found = FindUnusedDefinitions(doc.Buffer(), doc.ReadyHandles()).Entries().size(); }));
    withIndex.push_back(TimeOnce([&] {
      HandleIndex index;
      index.Build(doc.Buffer());
      found = FindUnusedDefinitions(doc.Buffer(), index).Entries().size();
    }));
  }
  const std::string entries = std::to_string(found) + " unused";
  PrintRow("purge list, " + entries, kRuns, Median(lists), load, "<2");
  PrintRow("purge list with the handle index", kRuns, Median(withIndex), load, "report");
  return true;
}

bool RunPurge(Document& doc, double load, unsigned long long loaded) {
  const PurgeList list = FindUnusedDefinitions(doc.Buffer(), doc.ReadyHandles());
  const std::vector<bool> all(list.Entries().size(), true);
  std::vector<double> purges;
  int pairs = 0;
  for (int r = 0; r < kRuns; ++r) {
    ChangeReport purged;
    purges.push_back(TimeOnce([&] { purged = doc.Purge(list, all); }));
    if (!purged.Ok()) return Fail("the purge failed");
    pairs = purged.count;
    if (!FindUnusedDefinitions(doc.Buffer(), doc.ReadyHandles()).Entries().empty())
      return Fail("the purge left something to list");
    if (!doc.Undo().Ok() || Fingerprint(doc.Buffer()) != loaded)
      return Fail("undoing the purge did not give back the loaded drawing");
  }
  PrintRow("purge, " + std::to_string(pairs) + " pairs out", kRuns, Median(purges), load, "<3");
  return true;
}

// Every kEveryNthRecord-th record of ENTITIES, each a stretch of its own.
std::vector<PairReplacement> EveryNthEntity(const TDXFBuffer& b) {
  std::vector<PairReplacement> stretches;
  int k = 0;
  for (int r = NextRecord(b, b.EntitiesStart); r < b.EntitiesEnd; r = NextRecord(b, r))
    if (++k % kEveryNthRecord == 0) stretches.push_back({r, NextRecord(b, r) - r, {}});
  return stretches;
}

bool RunManyStretches(Document& doc, double load, unsigned long long loaded) {
  std::vector<double> times;
  std::size_t count = 0;
  for (int r = 0; r < kRuns; ++r) {
    std::vector<PairReplacement> stretches = EveryNthEntity(doc.Buffer());
    count = stretches.size();
    ChangeReport replaced;
    times.push_back(
        TimeOnce([&] { replaced = doc.ReplacePairs(std::move(stretches), "bench", {}); }));
    if (!replaced.Ok()) return Fail("the replacement failed");
    if (!doc.Undo().Ok() || Fingerprint(doc.Buffer()) != loaded)
      return Fail("undoing the replacement did not give back the loaded drawing");
  }
  PrintRow(std::to_string(count) + " stretches out at once", kRuns, Median(times), load, "report");
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_purge BIG.dxf\n");
    return 2;
  }
  const std::string path = argv[1];
  const double load = MedianLoadTime(path, kRuns);
  Document doc;
  if (!doc.Load(path).Ok()) return Fail("the drawing does not load"), 1;
  (void)doc.ReadyHandles();
  const unsigned long long loaded = Fingerprint(doc.Buffer());
  PrintMachineAndDrawing(path, doc.Buffer().PairCount);
  PrintHeader();
  return RunList(doc, load) && RunPurge(doc, load, loaded) && RunManyStretches(doc, load, loaded)
             ? 0
             : 1;
}
