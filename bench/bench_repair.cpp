// bench_repair.cpp - the cost of repairing a large drawing, against a load.
//
// Usage: bench_repair BIG.dxf DAMAGED.dxf   (BIG from gen_big_dxf.py; DAMAGED is written)
// DAMAGED is BIG with 1,000 entity records spread over ENTITIES given the handle of the
// record before them. The reference is LoadFromFile of DAMAGED. The cases, each run as
// the window runs it on a loaded document with its handle index ready:
//  1. The check: under 2 loads.
//  2. The repair (the check, the plan, the new handles and $HANDSEED as one step): under
//     3 loads. Each run is undone, untimed, before the next.
// Before anything is timed, the repair must leave no duplicate handle, and its undo must
// give back the loaded drawing.
#include <cstdio>  // std::printf, std::fprintf
#include <string>  // std::string
#include <vector>  // std::vector

#include "bench/BenchCommon.h"
#include "logic/check/DrawingCheck.h"
#include "logic/document/Document.h"
#include "logic/repair/DrawingRepair.h"
#include "model/buffer/GroupCodes.h"
#include "model/buffer/RecordWalk.h"

namespace {

constexpr int kRuns = 5;
constexpr int kDuplicates = 1000;

bool Fail(const char* what) {
  std::fprintf(stderr, "bench_repair: %s\n", what);
  return false;
}

// Writes big with kDuplicates entity records, evenly spread, sharing the handle of the
// entity record before them.
bool WriteDamaged(const std::string& big, const std::string& damaged) {
  TDXFBuffer b;
  b.OnMessage = [](const std::string&) {};
  if (b.LoadFromFile(big) != 0) return Fail("the drawing does not load");
  std::vector<int> handles;  // the handle pairs of ENTITIES
  for (int r = NextRecord(b, b.EntitiesStart); r < b.EntitiesEnd; r = NextRecord(b, r))
    if (const int h = FindInRecord(b, r, kHandleCode); h >= 0) handles.push_back(h);
  if (handles.size() < 2 * kDuplicates) return Fail("too few entities");
  const std::size_t step = handles.size() / kDuplicates;
  for (std::size_t k = 1; k <= kDuplicates; ++k)
    b.SetValue(handles[k * step - 1], b.GetValue(handles[k * step - 2]));
  b.SetFileName(damaged);
  return b.SaveToFile() == 0 || Fail("DAMAGED cannot be written");
}

int DuplicateHandles(Document& doc) {
  int found = 0;
  for (const CheckProblem& p : CheckDrawing(doc.Buffer(), doc.ReadyHandles()))
    found += p.kind == CheckKind::DuplicateHandle;
  return found;
}

bool RunCheck(Document& doc, double load) {
  std::vector<double> times;
  std::size_t found = 0;
  for (int r = 0; r < kRuns; ++r)
    times.push_back(
        TimeOnce([&] { found = CheckDrawing(doc.Buffer(), doc.ReadyHandles()).size(); }));
  PrintRow("check, " + std::to_string(found) + " problems", kRuns, Median(times), load, "<2");
  return true;
}

bool RunRepair(Document& doc, double load, unsigned long long loaded) {
  std::vector<double> times;
  int repaired = 0;
  for (int r = 0; r < kRuns; ++r) {
    ChangeReport report;
    times.push_back(TimeOnce([&] {
      const HandleIndex& handles = doc.ReadyHandles();
      report = doc.Repair(PlanRepair(doc.Buffer(), handles, CheckDrawing(doc.Buffer(), handles)));
      (void)doc.ReadyHandles();  // the window's next check finds it ready
    }));
    if (!report.Ok()) return Fail("the repair failed");
    repaired = report.count;
    if (DuplicateHandles(doc) != 0) return Fail("the repair left a duplicate handle");
    if (!doc.Undo().Ok() || Fingerprint(doc.Buffer()) != loaded)
      return Fail("undoing the repair did not give back the loaded drawing");
  }
  PrintRow("repair, " + std::to_string(repaired) + " problems", kRuns, Median(times), load, "<3");
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: bench_repair BIG.dxf DAMAGED.dxf\n");
    return 2;
  }
  if (!WriteDamaged(argv[1], argv[2])) return 1;
  const std::string path = argv[2];
  const double load = MedianLoadTime(path, kRuns);
  Document doc;
  if (!doc.Load(path).Ok()) return Fail("DAMAGED does not load"), 1;
  if (DuplicateHandles(doc) != kDuplicates) return Fail("DAMAGED lacks its duplicates"), 1;
  const unsigned long long loaded = Fingerprint(doc.Buffer());
  PrintMachineAndDrawing(path, doc.Buffer().PairCount);
  PrintHeader();
  return RunCheck(doc, load) && RunRepair(doc, load, loaded) ? 0 : 1;
}
