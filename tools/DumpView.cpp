// DumpView.cpp - the drawing options of quillet-dump: --extents, --render and --pick.
#include "tools/DumpView.h"

#include <cmath>        // std::hypot, std::isfinite
#include <cstdio>       // std::fprintf, std::snprintf, stderr
#include <cstdlib>      // std::strtod, std::strtol
#include <string_view>  // std::string_view

#include "logic/view/DrawingBuilder.h"
#include "logic/view/ShapeIndex.h"
#include "model/buffer/HandleIndex.h"
#include "model/buffer/RecordWalk.h"
#include "model/text/MyStringLib.h"
#include "model/text/TextCodec.h"
#include "tools/DumpOutput.h"
#include "tools/DumpRender.h"

const char kViewUsage[] =
    "  --extents     print MINX MINY MAXX MAXY of model space as the drawing view draws it\n"
    "  --render OUT.png  draw model space into the PNG file OUT.png (offscreen)\n"
    "  --size WxH    the --render picture's size in pixels (default 1024x768)\n"
    "  --pick X Y    print HANDLE, LINE and TYPE of the entity nearest to the model point\n"
    "                (X, Y), within 1% of the extents' diagonal\n";

namespace {

constexpr double kPickShare = 0.01;  // the pick tolerance: this share of the diagonal
constexpr int kMaxPictureSide = 16384;

bool ParseReal(const char* text, double& value) {
  char* end = nullptr;
  value = std::strtod(text, &end);
  return end != text && *end == '\0' && std::isfinite(value);
}

bool ParseSize(std::string_view text, int& width, int& height) {
  const std::size_t x = text.find_first_of("xX");
  if (x == std::string_view::npos) return false;
  const std::string w(text.substr(0, x)), h(text.substr(x + 1));
  char* end = nullptr;
  width = static_cast<int>(std::strtol(w.c_str(), &end, 10));
  if (end == w.c_str() || *end != '\0') return false;
  height = static_cast<int>(std::strtol(h.c_str(), &end, 10));
  if (end == h.c_str() || *end != '\0') return false;
  return width >= 1 && height >= 1 && width <= kMaxPictureSide && height <= kMaxPictureSide;
}

LayoutGeometry BuildModelSpace(TDXFBuffer& buffer) {
  TDXFLayerTable layers;
  // The layers read before a bad value keep their colours; the rest draw as layer 0.
  if (layers.Build(buffer) == kTableBadValue)
    std::fprintf(stderr, "quillet-dump: the layer table is incomplete: %s\n",
                 Utf8OfProgramText(layers.Failure).c_str());
  return BuildLayout(buffer, layers, kModelSpace);
}

int PrintExtents(const LayoutGeometry& g, DumpOutput& out) {
  if (g.extents.Empty()) {
    std::fprintf(stderr, "quillet-dump: model space draws nothing\n");
    return kExitNothingPicked;
  }
  char text[128];
  std::snprintf(text, sizeof text, "%.10g %.10g %.10g %.10g", g.baseX + g.extents.minX,
                g.baseY + g.extents.minY, g.baseX + g.extents.maxX, g.baseY + g.extents.maxY);
  DumpLine line(out);
  line.Text("extents", text);
  line.End();
  return 0;
}

int PrintPick(const TDXFBuffer& buffer, const LayoutGeometry& g, double x, double y,
              DumpOutput& out) {
  ShapeIndex index;
  index.Build(g);
  const double diagonal = std::hypot(static_cast<double>(g.extents.maxX) - g.extents.minX,
                                     static_cast<double>(g.extents.maxY) - g.extents.minY);
  const PickResult picked = index.Pick(x - g.baseX, y - g.baseY, diagonal * kPickShare);
  if (picked.shape < 0) {
    std::fprintf(stderr, "quillet-dump: no entity within %g of (%g, %g)\n", diagonal * kPickShare,
                 x, y);
    return kExitNothingPicked;
  }
  const int record = g.shapes[static_cast<std::size_t>(picked.shape)].record;
  const int handlePair = RecordHandlePair(buffer, record);
  DumpLine line(out);
  line.Value("handle", handlePair >= 0 ? TrimView(buffer.ValueView(handlePair)) : "");
  line.Number("line", LineOfPair(record));
  line.Value("type", RecordTypeOf(buffer, record));
  line.End();
  return 0;
}

}  // namespace

bool TakeViewOption(int argc, char** argv, int& a, ViewOptions& options, std::string& error) {
  const std::string_view arg = argv[a];
  if (arg == "--extents") {
    options.extents = true;
  } else if (arg == "--render") {
    if (a + 1 >= argc)
      error = "--render needs an OUT.png file";
    else
      options.renderFile = argv[++a];
  } else if (arg == "--size") {
    if (a + 1 >= argc || !ParseSize(argv[++a], options.width, options.height))
      error = "--size needs WIDTHxHEIGHT in pixels, each 1 to 16384, such as 1024x768";
  } else if (arg == "--pick") {
    options.pick = true;
    if (a + 2 >= argc || !ParseReal(argv[a + 1], options.x) || !ParseReal(argv[a + 2], options.y))
      error = "--pick needs two numbers X Y";
    a += 2;
  } else {
    return false;
  }
  return true;
}

int RunViewOption(const ViewOptions& options, TDXFBuffer& buffer, DumpOutput& out) {
  const LayoutGeometry g = BuildModelSpace(buffer);
  if (options.extents) return PrintExtents(g, out);
  if (options.pick) return PrintPick(buffer, g, options.x, options.y, out);
  return RenderPicture(g, options.renderFile, options.width, options.height);
}
