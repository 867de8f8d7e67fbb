// bench_lists.cpp - the cost of the main window's list tabs on a large drawing.
//
// Usage: bench_lists BIG.dxf   (a drawing from gen_big_dxf.py; bench/run_bench.sh makes it)
// Runs offscreen, in the editor edition. Each case is timed against a reference that makes
// one pass reading every pair's code and value:
//  1. Showing each of the five list tabs the first time after a load (the fill and the
//     repaint) costs less than 3 passes.
//  2. A layer rename confirmed through the layer grid's in-place editor (the replacement
//     scan, the index rebuild, the refresh of the views) costs less than 3 passes.
//  3. Showing a tab that is already filled costs no pass.
// Before anything is timed, every tab's rows are checked against its row builder, and the
// rename is checked to have replaced every pair that named the layer.
#include <cstdio>       // std::printf, std::fprintf
#include <cstdlib>      // mkdtemp
#include <string>       // std::string
#include <string_view>  // std::string_view
#include <vector>       // std::vector

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTabWidget>

#include "bench/BenchCommon.h"
#include "bench/BenchDialogs.h"
#include "logic/lists/ListRows.h"
#include "model/buffer/GroupCodes.h"
#include "model/text/MyStringLib.h"
#include "ui/MainForm.h"
#include "ui/QtText.h"

namespace {

constexpr int kRuns = 5;
constexpr int kNameColumn = 2;

// One pass over the pairs up to EOF that reads every code and value, as the reference of
// bench_rename does: it counts the trimmed values of a code that equal a name.
int ReferencePass(const TDXFBuffer& b) {
  int hits = 0;
  for (int i = 0; i < b.EofIndex; ++i) {
    const std::string_view value = TrimView(b.ValueView(i));
    hits += b.GetCode(i) == kLayerCode && value == "A-FLOR";
  }
  return hits;
}

// The editor edition's main window with the drawing loaded.
struct Window {
  SilentDialogs dialogs;
  TFMMain form;

  Window(const std::string& path, const std::string& settingsDir)
      : form(ProgramValues{"Editor", kVersion, {}}, dialogs, settingsDir + "/bench-editor", {}) {
    form.resize(900, 700);
    form.show();
    QApplication::processEvents();
    form.LoadDxfFile(path);
  }
  void Show(QWidget* tab) {
    form.PCSGData->setCurrentWidget(tab);
    tab->repaint();
  }
  StringGrid& LayerGrid() { return *form.findChild<StringGrid*>(QStringLiteral("SGLayerList")); }
  // Types a new name into the name cell of a row and confirms it with Enter.
  void Rename(int row, const std::string& name) {
    StringGrid& grid = LayerGrid();
    grid.SelectCell(kNameColumn, row);
    QKeyEvent f2(QEvent::KeyPress, Qt::Key_F2, Qt::NoModifier);
    QApplication::sendEvent(&grid, &f2);
    QLineEdit* editor = grid.findChild<QLineEdit*>();
    editor->selectAll();
    QKeyEvent typed(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier,
                    QString::fromStdString(name));
    QApplication::sendEvent(editor, &typed);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(editor, &enter);
  }
};

// A list tab, its grid and the rows its builder makes.
struct Tab {
  std::string label;
  ListTab* tab;
  StringGrid* grid;
  std::vector<ListRow> expected;
};

// Tells whether a grid shows the rows (one empty row when there are none).
bool ShowsRows(const StringGrid& grid, const std::vector<ListRow>& rows) {
  if (grid.RowCount() != std::max<int>(2, static_cast<int>(rows.size()) + 1)) return false;
  for (std::size_t r = 0; r < rows.size(); ++r)
    for (std::size_t c = 0; c < rows[r].size(); ++c)
      if (ToCp932(grid.Cell(static_cast<int>(c), static_cast<int>(r) + 1)) != rows[r][c])
        return false;
  return true;
}

StringGrid* GridOf(const ListTab* tab, const char* name) {
  return tab->findChild<StringGrid*>(QLatin1String(name));
}

std::vector<Tab> Tabs(TFMMain& f) {
  const TDXFBuffer& b = f.Doc().Buffer();
  TDXFLayerTable layers;
  TDXFGroupTable groups;
  return {
      {"layers", f.TSLayerList, GridOf(f.TSLayerList, "SGLayerList"),
       BuildLayerList(b, layers).value().rows},
      {"linetypes", f.TSLineList, GridOf(f.TSLineList, "SGLtypeList"), BuildLtypeList(b).rows},
      {"colours", f.TSColorList, GridOf(f.TSColorList, "SGColorList"),
       BuildColorList(b).value().rows},
      {"blocks", f.TSBlockList, GridOf(f.TSBlockList, "SGBlockList"), BuildBlockList(b).rows},
      {"groups", f.TSGroupList, GridOf(f.TSGroupList, "SGGroupList"),
       BuildGroupList(b, groups).value().rows},
  };
}

// Times the first showing of a tab after its flag went down, and its showing again.
void RunTab(Window& w, const Tab& tab, double reference) {
  std::vector<double> first, again;
  for (int run = 0; run < kRuns; ++run) {
    tab.tab->MarkStale();
    w.Show(w.form.TSDXFData);
    first.push_back(TimeOnce([&] { w.Show(tab.tab); }));
    w.Show(w.form.TSDXFData);
    again.push_back(TimeOnce([&] { w.Show(tab.tab); }));
  }
  PrintRow("show " + tab.label + " tab, first time", kRuns, Median(first), reference, "<3");
  PrintRow("show " + tab.label + " tab again", kRuns, Median(again), reference, "~0 (no scan)");
}

int CountLayerPairs(const TDXFBuffer& b, const std::string& name) {
  int count = 0;
  for (int i = 0; i < b.EofIndex; ++i)
    count += (b.GetCode(i) == kLayerCode || b.GetCode(i) == kNameCode) &&
             TrimView(b.ValueView(i)) == name;
  return count;
}

// Times a rename of a layer away and back through the grid; false when it did not replace.
bool RunRename(Window& w, double reference) {
  const std::string name = "A-FLOR", other = "A-FLOOR";
  w.Show(w.form.TSLayerList);
  int row = 0;
  for (int r = 1; r < w.LayerGrid().RowCount() && row == 0; ++r)
    if (ToCp932(w.LayerGrid().Cell(kNameColumn, r)) == name) row = r;
  const int uses = CountLayerPairs(w.form.Doc().Buffer(), name);
  w.dialogs.answerYes = true;
  w.Rename(row, other);
  const bool replaced = row > 0 && uses > 0 && CountLayerPairs(w.form.Doc().Buffer(), name) == 0 &&
                        CountLayerPairs(w.form.Doc().Buffer(), other) == uses &&
                        w.form.IsModified();
  w.Rename(row, name);
  if (!replaced) {
    std::fprintf(stderr, "bench_lists: renaming the layer %s did not replace it\n", name.c_str());
    return false;
  }
  std::vector<double> times;
  for (int run = 0; run < kRuns; ++run)
    times.push_back(TimeOnce([&] { w.Rename(row, run % 2 == 0 ? other : name); }));
  if (kRuns % 2 == 1) w.Rename(row, name);
  PrintRow("rename layer via the grid, " + std::to_string(uses) + " pairs", kRuns, Median(times),
           reference, "<3");
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_lists BIG.dxf\n");
    return 2;
  }
  const std::string path = argv[1];
  char settingsDir[] = "/tmp/bench_lists.XXXXXX";
  if (!mkdtemp(settingsDir)) return 1;
  Window w(path, settingsDir);
  if (w.form.Doc().Buffer().FileName != path) {
    std::fprintf(stderr, "bench_lists: cannot load %s\n", path.c_str());
    return 1;
  }
  const std::vector<Tab> tabs = Tabs(w.form);
  for (const Tab& tab : tabs) {
    w.Show(tab.tab);
    if (!ShowsRows(*tab.grid, tab.expected)) {
      std::fprintf(stderr, "bench_lists: the %s tab does not show its builder's rows\n",
                   tab.label.c_str());
      return 1;
    }
  }
  PrintMachineAndDrawing(path, w.form.Doc().Buffer().PairCount);
  PrintHeader();
  const double reference = MedianTime(kRuns, [&] { ReferencePass(w.form.Doc().Buffer()); });
  for (const Tab& tab : tabs) RunTab(w, tab, reference);
  if (!RunRename(w, reference)) return 1;
  const int questions = 2 + kRuns + kRuns % 2;  // one confirmation per rename
  if (w.dialogs.calls != questions) {
    std::fprintf(stderr, "bench_lists: %d dialogs opened, %d expected\n", w.dialogs.calls,
                 questions);
    return 1;
  }
  return 0;
}
