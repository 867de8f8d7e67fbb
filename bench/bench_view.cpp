// bench_view.cpp - the drawing view on a large drawing: build, frames, picks, memory.
//
// Usage: bench_view BIG.dxf
// Times the build of model space's shapes and their index (the first picture waits for
// both), frames of a wheel zoom (a notch in, a notch out) and of a drag at the full
// extents and zoomed in 4, 20 and 100 times, a pick at random points, and reports the
// shapes' memory against the file's size. Frames are painted as the window paints them
// (offscreen): from the kept picture, a zoom shown scaled, a drag scrolled; the sharp
// picture the window draws when the wheel rests is timed beside them.
// Before anything is timed, picks are checked against a search of every shape.
#include <cstdio>  // std::printf, std::fprintf
#include <random>  // std::mt19937
#include <string>  // std::string
#include <vector>  // std::vector

#include <QGuiApplication>
#include <QImage>

#include "bench/BenchCommon.h"
#include "logic/view/DrawingBuilder.h"
#include "logic/view/ShapeIndex.h"
#include "logic/view/ViewFrame.h"
#include "render/DrawingPainter.h"
#include "render/DrawingPicture.h"

namespace {

constexpr int kRuns = 3;
constexpr int kFrames = 10;
constexpr int kPicks = 1000;
constexpr int kWidth = 1280, kHeight = 800;

// A pick by the index must name the shape a look at every shape finds.
bool PicksAgree(const LayoutGeometry& g, const ShapeIndex& index, double tolerance) {
  std::mt19937 random(3);
  std::uniform_real_distribution<double> x(g.extents.minX, g.extents.maxX),
      y(g.extents.minY, g.extents.maxY);
  for (int probe = 0; probe < 5; ++probe) {
    const double px = x(random), py = y(random);
    double best = tolerance;
    int nearest = -1;
    for (std::uint32_t k = 0; k < g.shapes.size(); ++k) {
      const double d = ShapeDistance(g, k, px, py);
      if (d <= best) best = d, nearest = static_cast<int>(k);
    }
    if (index.Pick(px, py, tolerance).shape != nearest) return false;
  }
  return true;
}

constexpr double kWheelNotch = 1.25;   // the window's zoom a wheel notch
constexpr int kDragX = 7, kDragY = 4;  // the window's pan a mouse move while dragging

PaintOptions Highlighting(const LayoutGeometry& g) {
  PaintOptions options;
  options.highlight = g.shapes.empty() ? -1 : g.shapes[g.shapes.size() / 2].record;
  return options;
}

// Returns the median time of a frame painted as the window paints it, each after step(frame,
// f) moved the frame, starting from the sharp picture of frame on show.
template <class Step>
double FrameSeconds(const LayoutGeometry& g, const ShapeIndex& index, ViewFrame frame, Step step,
                    std::size_t& pictureBytes) {
  QImage image;
  const PaintOptions options = Highlighting(g);
  DrawingPicture picture;
  picture.Paint(image, g, index, frame, options, /*preview=*/false);
  const double seconds = MedianTime(kRuns,
                                    [&] {
                                      for (int f = 0; f < kFrames; ++f) {
                                        step(frame, f);
                                        picture.Paint(image, g, index, frame, options, true);
                                      }
                                    }) /
                         kFrames;
  pictureBytes = picture.MemoryBytes();
  return seconds;
}

// Returns the median time of a sharp picture of frame drawn anew.
double SharpSeconds(const LayoutGeometry& g, const ShapeIndex& index, const ViewFrame& frame) {
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  const PaintOptions options = Highlighting(g);
  return MedianTime(kRuns, [&] { PaintLayout(image, g, index, frame, options); });
}

// Prints the frame times of a wheel zoom at a point off the centre and of a drag, with
// the picture zoomed in `zoom` times from the full extents.
void PrintFrames(const LayoutGeometry& g, const ShapeIndex& index, const ViewFrame& extents,
                 double zoom, std::size_t& pictureBytes) {
  ViewFrame frame = extents;
  frame.ZoomAt(kWidth / 2.0, kHeight / 2.0, zoom);
  const auto wheel = [](ViewFrame& f, int k) {
    f.ZoomAt(kWidth * 0.4, kHeight * 0.6, k % 2 == 0 ? kWheelNotch : 1 / kWheelNotch);
  };
  const auto drag = [](ViewFrame& f, int) { f.Pan(kDragX, kDragY); };
  const std::string scale =
      zoom == 1 ? "at full extents" : "zoomed " + std::to_string(static_cast<int>(zoom)) + "x";
  PrintRatio("zoom frame " + scale + ", ms",
             FrameSeconds(g, index, frame, wheel, pictureBytes) * 1e3, "<33 (30 fps)");
  PrintRatio("pan frame " + scale + ", ms", FrameSeconds(g, index, frame, drag, pictureBytes) * 1e3,
             "<33 (30 fps)");
  PrintRatio("sharp frame " + scale + " (the wheel at rest), ms",
             SharpSeconds(g, index, frame) * 1e3, "report");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_view BIG.dxf\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  const QGuiApplication application(argc, argv);
  const std::string path = argv[1];
  TDXFBuffer b;
  const double load = TimeOnce([&] { Require(b.LoadFromFile(path), "load"); });
  PrintMachineAndDrawing(path, b.PairCount);
  TDXFLayerTable layers;
  Require(layers.Build(b), "layer table");

  LayoutGeometry g;
  ShapeIndex index;
  const double build = MedianTime(kRuns, [&] { g = BuildLayout(b, layers, kModelSpace); });
  const double indexing = MedianTime(kRuns, [&] { index.Build(g); });
  // The window's pick: 5 pixels of a view that shows the whole width.
  const double tolerance = 5.0 * (g.extents.maxX - g.extents.minX) / kWidth;
  if (!PicksAgree(g, index, tolerance)) {
    std::fprintf(stderr, "bench_view: a pick by the index differs from a full search\n");
    return 1;
  }
  std::printf("%zu shapes, %zu points, %zu texts\n", g.shapes.size(), g.points.size(),
              g.texts.size());
  PrintHeader();
  PrintRow("LoadFromFile (the reference)", 1, load, load, "-");
  PrintRow("shapes of model space vs load", kRuns, build, load, "report");
  PrintRow("shape index vs load", kRuns, indexing, load, "report");

  ViewFrame frame;
  frame.width = kWidth;
  frame.height = kHeight;
  frame.Fit(g.extents);
  QImage first(kWidth, kHeight, QImage::Format_RGB32);
  const double firstPaint =
      MedianTime(kRuns, [&] { PaintLayout(first, g, index, frame, PaintOptions{}); });
  PrintRatio("first picture after the load, s (build + index + frame)",
             build + indexing + firstPaint, "<1");
  std::size_t pictureBytes = 0;
  for (const double zoom : {1, 4, 20, 100}) PrintFrames(g, index, frame, zoom, pictureBytes);

  std::mt19937 random(5);
  std::uniform_real_distribution<double> x(g.extents.minX, g.extents.maxX),
      y(g.extents.minY, g.extents.maxY);
  std::vector<std::pair<double, double>> points;
  for (int k = 0; k < kPicks; ++k) points.emplace_back(x(random), y(random));
  long long found = 0;
  const double picks = MedianTime(kRuns, [&] {
    for (const auto& [px, py] : points) found += index.Pick(px, py, tolerance).shape >= 0;
  });
  PrintRatio("pick within 5 pixels of a 1280 pixel view, ms", picks / kPicks * 1e3, "<10");
  const double cache = static_cast<double>(g.MemoryBytes() + index.MemoryBytes() + pictureBytes);
  PrintRatio("shapes + index + kept picture memory / file size", cache / FileSize(path), "<0.5");
  std::printf("(%lld of %d picks found a shape)\n", found / kRuns, kPicks);
  return 0;
}
