// bench_undo.cpp - the cost of undoing a rename and a rounding run, and what a step holds.
//
// Usage: bench_undo BIG.dxf   (a drawing from gen_big_dxf.py; bench/run_bench.sh makes it)
// Each undo is timed against the operation it takes back, run as the window runs it:
// the change with the history listening, then the seal of its step. The rename runs on
// one buffer, renamed and undone in turn; every rounding run starts from a fresh load
// (not timed) and runs step "0" with digit 0 on both passes, where nearly every touched
// value changes. Before anything is timed, an undo must give back the loaded bytes. The
// last rows give the cost of listening (the rounding run with and without a history)
// and the bytes the rounding step holds as a share of the file's size.
#include <cstdio>  // std::printf, std::fprintf
#include <string>  // std::string
#include <vector>  // std::vector

#include "bench/BenchCommon.h"
#include "logic/document/EditHistory.h"
#include "logic/rename/NameReplace.h"
#include "logic/rounding/RoundingTool.h"
#include "model/buffer/MyDXFClass.h"

namespace {

constexpr int kRuns = 5;
constexpr RoundChoice kEveryValue{0, 0, 0, 0};  // step "0", digit "0.X(0)", both passes

class SilentLog : public MessageLog {
 public:
  int Add(const std::string&) override { return 0; }
};

void Load(TDXFBuffer& b, const std::string& path) {
  Require(b.LoadFromFile(path), "LoadFromFile");
}

bool CheckRestored(const TDXFBuffer& b, unsigned long long loaded, const char* what) {
  if (Fingerprint(b) == loaded) return true;
  std::fprintf(stderr, "bench_undo: undoing the %s did not give back the loaded drawing\n", what);
  return false;
}

bool RunRename(const std::string& path) {
  TDXFBuffer b;
  Load(b, path);
  const unsigned long long loaded = Fingerprint(b);
  EditHistory history;
  history.Attach(b);
  SilentLog log;
  std::vector<double> renames, undos;
  int count = 0;
  for (int r = 0; r < kRuns; ++r) {
    renames.push_back(TimeOnce([&] {
      count = ReplaceLayerName(b, "A-FLOR", "A-FLOOR", log);
      history.Seal("rename");
    }));
    undos.push_back(TimeOnce([&] { history.Undo(); }));
    if (count == 0 || !CheckRestored(b, loaded, "rename")) return false;
  }
  PrintRow("undo of a layer rename, " + std::to_string(count) + " pairs", kRuns, Median(undos),
           Median(renames), "<1.5");
  return true;
}

// Rounds a fresh load, with a history listening or without; times the run and its seal,
// then, with a history, the undo. Returns the values changed, or -1 on a fault.
int RoundOnce(const std::string& path, bool listening, double& roundTime, double& undoTime,
              std::size_t& stepBytes) {
  TDXFBuffer b;
  Load(b, path);
  const unsigned long long loaded = listening ? Fingerprint(b) : 0;
  EditHistory history;
  if (listening) history.Attach(b);
  RoundOutcome outcome;
  roundTime = TimeOnce([&] {
    outcome = RoundEntities(b, kEveryValue);
    if (listening) history.Seal("round");
  });
  if (!outcome.error.empty()) return -1;
  if (!listening) return outcome.count;
  stepBytes = history.StoredBytes();
  undoTime = TimeOnce([&] { history.Undo(); });
  return CheckRestored(b, loaded, "rounding run") ? outcome.count : -1;
}

bool RunRound(const std::string& path) {
  std::vector<double> rounds, undos, bare;
  std::size_t stepBytes = 0;
  int count = 0;
  for (int r = 0; r < kRuns; ++r) {
    double roundTime = 0, undoTime = 0;
    count = RoundOnce(path, /*listening=*/true, roundTime, undoTime, stepBytes);
    if (count < 0) return false;
    rounds.push_back(roundTime);
    undos.push_back(undoTime);
    double noUndo = 0;
    std::size_t noStep = 0;
    if (RoundOnce(path, /*listening=*/false, roundTime, noUndo, noStep) < 0) return false;
    bare.push_back(roundTime);
  }
  const std::string values = std::to_string(count) + " values";
  PrintRow("undo of a rounding run, " + values, kRuns, Median(undos), Median(rounds), "<1.5");
  PrintRow("rounding run listened to, " + values, kRuns, Median(rounds), Median(bare), "-");
  PrintRatio("rounding step's bytes / file size",
             static_cast<double>(stepBytes) / static_cast<double>(FileSize(path)), "report");
  std::printf("rounding step holds %zu bytes\n", stepBytes);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_undo BIG.dxf\n");
    return 2;
  }
  const std::string path = argv[1];
  std::printf("machine: %s\nfile: %s, %lld bytes\n\n", MachineLine().c_str(), path.c_str(),
              FileSize(path));
  PrintHeader();
  return RunRename(path) && RunRound(path) ? 0 : 1;
}
