// bench_grid.cpp - the DXF grid's cost per step and the main window's cost of an open.
//
// Usage: bench_grid SMALL.dxf BIG.dxf (bench/run_bench.sh makes them with
// gen_big_dxf.py). Runs offscreen. Two claims:
//  1. A step of the grid (a Page Down, or a jump to a random pair, each with the repaint)
//     costs the same whatever the file's size: the mean step on the big file is within
//     2 times the mean step on the small one.
//  2. Opening a file in the main window (load, grid fill, section list) costs at most
//     1.3 times LoadFromFile alone.
// Before anything is timed, the rows the grid shows are checked against the buffer.
// Each run starts on pages not visited before, so remarks are worked out as on a
// first visit.
#include <cstdio>  // std::printf, std::fprintf
#include <memory>  // std::make_unique
#include <random>  // std::mt19937
#include <string>  // std::string
#include <vector>  // std::vector

#include <QApplication>
#include <QKeyEvent>
#include <QListWidget>

#include "bench/BenchCommon.h"
#include "bench/BenchDialogs.h"
#include "logic/document/MyFileLib.h"
#include "model/buffer/MyDXFClass.h"
#include "model/buffer/RecordWalk.h"
#include "ui/MainForm.h"
#include "ui/QtText.h"
#include "ui/VuFrameDXFGrid.h"

namespace {

constexpr int kRuns = 5;
constexpr int kSteps = 1000;
constexpr int kStartStride = 40000;  // pairs between the starts of two runs' Page Downs

class NullLog : public MessageLog {
 public:
  int Add(const std::string&) override { return 0; }
};

// A grid frame on show over a loaded buffer.
struct GridBench {
  SilentDialogs dialogs;
  NullLog log;
  TDXFBuffer buffer;
  TFrameDXFGrid frame{dialogs, log};

  explicit GridBench(const std::string& path) {
    Require(buffer.LoadFromFile(path), "load");
    frame.resize(700, 451);
    frame.show();
    QApplication::processEvents();
    frame.SetBuffer(&buffer);
  }
  void PageDown() {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
    QApplication::sendEvent(frame.DXFGrid, &press);
    frame.DXFGrid->repaint();
  }
  void Jump(int pair) {
    frame.ShowPair(pair);
    frame.DXFGrid->repaint();
  }
  // Tells whether every filled row shows its pair's line number, code and value.
  bool RowsMatchBuffer() {
    for (int row = 1; row <= frame.RowsOnPage; ++row) {
      const int pair = frame.TopIndex() + row - 1;
      if (pair >= buffer.PairCount) break;
      const StringGrid& grid = *frame.DXFGrid;
      if (grid.Cell(0, row).trimmed().toInt() != LineOfPair(pair) ||
          grid.Cell(1, row).trimmed().toInt() != buffer.GetCode(pair) ||
          ToCp932(grid.Cell(2, row)) != buffer.ValueView(pair))
        return false;
    }
    return true;
  }
};

// Checks the rows after a few Page Downs and jumps; false names the file on stderr.
bool CheckGrid(GridBench& bench, const std::string& path) {
  std::mt19937 random(7);
  bool same = bench.RowsMatchBuffer() && bench.frame.TopIndex() == 0;
  for (int i = 0; i < 3 && same; ++i) {
    const int top = bench.frame.TopIndex();
    bench.PageDown();
    same = bench.RowsMatchBuffer() && bench.frame.TopIndex() == top + bench.frame.RowsOnPage;
    const int target = static_cast<int>(random() % 1000);
    bench.Jump(target);
    same = same && bench.RowsMatchBuffer() && bench.frame.CurrentIndex() == target;
  }
  if (!same)
    std::fprintf(stderr, "bench_grid: the grid does not show the pairs of %s\n", path.c_str());
  return same && bench.dialogs.calls == 0;
}

// Median over the runs of the mean seconds per Page Down.
double PageDownStep(GridBench& bench) {
  std::vector<double> means;
  for (int run = 0; run < kRuns; ++run) {
    bench.frame.ShowPair((run + 1) * kStartStride % (bench.buffer.EofIndex + 1));
    means.push_back(TimeOnce([&bench] {
                      for (int step = 0; step < kSteps; ++step) bench.PageDown();
                    }) /
                    kSteps);
  }
  return Median(means);
}

// Median over the runs of the mean seconds per jump to a random pair.
double JumpStep(GridBench& bench) {
  std::vector<double> means;
  for (int run = 0; run < kRuns; ++run) {
    std::mt19937 random(100 + run);
    std::vector<int> targets;
    for (int step = 0; step < kSteps; ++step)
      targets.push_back(
          static_cast<int>(random() % static_cast<unsigned>(bench.buffer.EofIndex + 1)));
    means.push_back(TimeOnce([&] {
                      for (int target : targets) bench.Jump(target);
                    }) /
                    kSteps);
  }
  return Median(means);
}

// Median of an open in a fresh main window (load, grid fill, section list), after a
// check that the window shows the file; -1 when it does not.
double OpenTime(const std::string& path, const std::string& settingsDir) {
  std::vector<double> times;
  for (int run = 0; run < kRuns; ++run) {
    SilentDialogs dialogs;
    auto form =
        std::make_unique<TFMMain>(ProgramValues{"Viewer", kVersion, {}}, dialogs,
                                  settingsDir + "/bench-viewer", std::vector<std::string>{});
    form->show();
    QApplication::processEvents();
    times.push_back(TimeOnce([&] { form->LoadDxfFile(path); }));
    const bool shown = form->Buffer.FileName == path && form->ListBox_line->count() > 0 &&
                       ToCp932(form->FRDXFGrid->DXFGrid->Cell(2, 1)) == form->Buffer.ValueView(0);
    if (!shown || dialogs.calls != 0) return -1;
  }
  return Median(times);
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: bench_grid SMALL.dxf BIG.dxf\n");
    return 2;
  }
  const std::string small = argv[1], big = argv[2];
  GridBench smallGrid(small);
  GridBench bigGrid(big);
  if (!CheckGrid(smallGrid, small) || !CheckGrid(bigGrid, big)) return 1;
  std::printf("machine: %s\nfiles: %s %lld bytes (%d pairs), %s %lld bytes (%d pairs)\n",
              MachineLine().c_str(), small.c_str(), FileSize(small), smallGrid.buffer.PairCount,
              big.c_str(), FileSize(big), bigGrid.buffer.PairCount);
  std::printf("grid: %d rows on the page; a step is the key or jump and the repaint\n\n",
              bigGrid.frame.RowsOnPage);
  PrintHeader();
  constexpr double kMs = 1000;  // step times are printed in milliseconds
  const double pageBig = PageDownStep(bigGrid), pageSmall = PageDownStep(smallGrid);
  PrintRow("Page Down step (ms) big vs small", kRuns, pageBig * kMs, pageSmall * kMs, "<=2");
  const double jumpBig = JumpStep(bigGrid), jumpSmall = JumpStep(smallGrid);
  PrintRow("random jump step (ms) big vs small", kRuns, jumpBig * kMs, jumpSmall * kMs, "<=2");
  const double open = OpenTime(big, FolderPart(big));
  if (open < 0) {
    std::fprintf(stderr, "bench_grid: the main window did not show %s\n", big.c_str());
    return 1;
  }
  PrintRow("open in main window vs LoadFromFile", kRuns, open, MedianLoadTime(big, kRuns), "<=1.3");
  return 0;
}
