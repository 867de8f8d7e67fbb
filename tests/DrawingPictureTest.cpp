// DrawingPictureTest.cpp - the kept picture: a frame made from it is the frame drawn anew.
#include "render/DrawingPicture.h"

#include <gtest/gtest.h>

#include <cmath>     // std::abs
#include <optional>  // std::optional
#include <random>    // std::mt19937
#include <string>    // std::string

namespace {

constexpr int kWidth = 320, kHeight = 200;

// A dense drawing of every kind of shape: lines, arcs, fills, readable and small texts,
// markers.
class Shapes {
 public:
  Shapes() {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> at(0, 1000), size(1, 120), unit(-1, 1);
    for (int k = 0; k < 600; ++k) {
      const ViewPoint p{at(random), at(random)};
      const float s = size(random);
      const auto kind = static_cast<ShapeKind>(k % 5);
      if (kind == ShapeKind::Lines)
        Add(kind, {p, {p.x + s * unit(random), p.y + s * unit(random)}, {p.x + s, p.y}});
      if (kind == ShapeKind::Fill) Add(kind, {p, {p.x + s, p.y}, {p.x, p.y + s / 2}, p});
      if (kind == ShapeKind::Ellipse) Add(kind, {p, {s, 0}, {0, s / 2}, {0, 5}});
      if (kind == ShapeKind::Text) AddText(p, s / 10, unit(random));
      if (kind == ShapeKind::Marker) Add(kind, {p});
    }
  }
  const LayoutGeometry& Geometry() const { return m_g; }

 private:
  void Add(ShapeKind kind, std::initializer_list<ViewPoint> points) {
    ViewShape shape;
    shape.record = shape.source = static_cast<int>(m_g.shapes.size());
    shape.kind = kind;
    shape.color = 0x203040u * (m_g.shapes.size() % 7) + 0x40A0C0u;
    shape.first = static_cast<std::uint32_t>(m_g.points.size());
    shape.count = static_cast<std::uint32_t>(points.size());
    m_g.points.insert(m_g.points.end(), points);
    shape.box = kind == ShapeKind::Ellipse ? EllipseBox(&m_g.points[shape.first]) : ViewBox();
    for (const ViewPoint p : points) kind == ShapeKind::Ellipse ? void() : shape.box.Add(p);
    m_g.extents.Add(shape.box);
    m_g.shapes.push_back(shape);
  }
  void AddText(ViewPoint anchor, float height, float turn) {
    const std::string text = "扉 No." + std::to_string(m_g.texts.size());
    ViewText t{anchor, {height, turn * height}, {-turn * height, height}};
    t.start = static_cast<std::uint32_t>(m_g.textBytes.size());
    t.length = static_cast<std::uint32_t>(text.size());
    m_g.textBytes += text;
    ViewShape shape;
    shape.record = shape.source = static_cast<int>(m_g.shapes.size());
    shape.kind = ShapeKind::Text;
    shape.color = kForegroundColor;
    shape.first = static_cast<std::uint32_t>(m_g.texts.size());
    m_g.texts.push_back(t);
    ViewPoint corners[4];
    TextCorners(t, m_g.textBytes, corners);
    for (const ViewPoint c : corners) shape.box.Add(c);
    m_g.extents.Add(shape.box);
    m_g.shapes.push_back(shape);
  }

  LayoutGeometry m_g;
};

// The share of pixels of a and b that differ by more than a step of smoothing in a channel:
// a strip drawn alone may round a smoothed edge pixel the other way.
double DifferentShare(const QImage& a, const QImage& b) {
  long different = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      different += std::abs(qRed(p) - qRed(q)) > 8 || std::abs(qGreen(p) - qGreen(q)) > 8 ||
                   std::abs(qBlue(p) - qBlue(q)) > 8;
    }
  }
  return static_cast<double>(different) / (a.width() * a.height());
}

struct Move {
  const char* name;
  double zoom;   // from the full extents
  int dx, dy;    // a drag of whole pixels, 3 times
  double wheel;  // a wheel zoom after the drags (1: none)
  bool dark;     // the background of the frames after the first
};

TEST(DrawingPicture, AFrameFromTheKeptPictureIsTheFrameDrawnAnew) {
  const Shapes shapes;
  const LayoutGeometry& g = shapes.Geometry();
  ShapeIndex index;
  index.Build(g);
  const Move moves[] = {
      {"drag right and down", 3, 7, 4, 1, true},
      {"drag left and up", 3, -13, -9, 1, true},
      {"drag across a smooth frame", 12, 11, -5, 1, true},
      {"drag farther than the picture", 3, kWidth, 0, 1, true},
      {"drag by half a pixel", 3, 0, 0, 1, true},  // dx/dy 0: moved by 0.5 below
      {"wheel zoom, then at rest", 3, 0, 0, 1.25, true},
      {"background changed", 3, 5, 0, 1, false},
  };
  for (const Move& move : moves) {
    SCOPED_TRACE(move.name);
    ViewFrame frame;
    frame.width = kWidth;
    frame.height = kHeight;
    frame.Fit(g.extents);
    frame.ZoomAt(kWidth / 2.0, kHeight / 2.0, move.zoom);
    PaintOptions options;
    options.highlight = 42;
    DrawingPicture picture;
    QImage shown, fresh(kWidth, kHeight, QImage::Format_RGB32);
    EXPECT_TRUE(picture.Paint(shown, g, index, frame, options, /*preview=*/true));
    options.dark = move.dark;
    for (int k = 0; k < 3; ++k) {
      frame.Pan(move.dx == 0 && move.dy == 0 ? 0.5 : move.dx, move.dy);
      EXPECT_TRUE(picture.Paint(shown, g, index, frame, options, /*preview=*/true));
    }
    if (move.wheel != 1) {
      frame.ZoomAt(kWidth * 0.3, kHeight * 0.6, move.wheel);
      EXPECT_FALSE(picture.Paint(shown, g, index, frame, options, /*preview=*/true));
      EXPECT_TRUE(picture.Paint(shown, g, index, frame, options, /*preview=*/false));
    }
    PaintLayout(fresh, g, index, frame, options);
    EXPECT_LT(DifferentShare(shown, fresh), 0.003);
  }
}

struct Threading {
  const char* name;
  double zoom;  // from the full extents
  bool antialias, dark;
  std::optional<bool> busy;
};

TEST(DrawingPainter, APictureRasteredOnThreadsIsThePictureRasteredOnOne) {
  const Shapes shapes;
  const LayoutGeometry& g = shapes.Geometry();
  ShapeIndex index;
  index.Build(g);
  const Threading cases[] = {
      {"full extents, busy", 1, true, true, true},
      {"full extents, smooth", 1, true, true, std::nullopt},
      {"zoomed in, busy, light", 6, true, false, true},
      {"zoomed far in, busy, fills across the view", 40, false, true, true},
  };
  for (const Threading& c : cases) {
    ViewFrame frame;
    frame.width = kWidth;
    frame.height = kHeight;
    frame.Fit(g.extents);
    frame.ZoomAt(kWidth * 0.4, kHeight * 0.55, c.zoom);
    PaintOptions options;
    options.antialias = c.antialias;
    options.dark = c.dark;
    options.threads = 1;
    QImage whole(kWidth, kHeight, QImage::Format_RGB32);
    PaintShapes(whole, g, index, frame, options, c.busy);
    for (const int threads : {2, 3, 7}) {
      SCOPED_TRACE(std::string(c.name) + ", threads: " + std::to_string(threads));
      options.threads = threads;
      QImage shared(kWidth, kHeight, QImage::Format_RGB32);
      PaintShapes(shared, g, index, frame, options, c.busy);
      EXPECT_EQ(shared, whole);
    }
  }
}

}  // namespace
