// ViewGeometry.h - the drawing as the view draws it: compact shapes of one layout.
//
// A layout (model space, paper space or one block) becomes a flat list of shapes in file
// order. Coordinates are floats relative to the layout's base point, so a survey drawing
// far from the origin keeps its precision and a 700,000-entity drawing fits in a few
// tens of megabytes. Point runs are separated by a NaN point; arcs, circles and ellipses
// stay analytic (centre and two conjugate semi-axes) and are tessellated when drawn.
#pragma once

#include <cstdint>      // std::uint32_t, std::uint8_t
#include <limits>       // std::numeric_limits
#include <string>       // std::string
#include <string_view>  // std::string_view
#include <vector>       // std::vector

/// A point of a layout, relative to its base point.
struct ViewPoint {
  float x = 0, y = 0;
};

/// The point that separates two runs of a shape's points.
inline ViewPoint RunBreak() {
  return {std::numeric_limits<float>::quiet_NaN(), 0};
}
inline bool IsRunBreak(ViewPoint p) {
  return p.x != p.x;
}

/// How a shape's points are read.
enum class ShapeKind : std::uint8_t {
  Lines,    // runs of connected points
  Fill,     // closed rings filled even-odd (solid hatch, SOLID, TRACE)
  Ellipse,  // 3 points: centre, semi-axis U, semi-axis V, then (t0, t1): C + U cos t + V sin t
  Text,     // first is an index into texts
  Marker,   // 1 point: an entity drawn only as a marker at its first point
};

/// Colour flags beside the 0xRRGGBB value of a shape.
constexpr std::uint32_t kRgbMask = 0xFFFFFF;
constexpr std::uint32_t kForegroundColor = 0x1000000;  // ACI 7: white on dark, black on light
constexpr std::uint32_t kInheritedColor = 0x2000000;   // ByBlock in a block: the INSERT's colour

/// A box of a layout; empty while minX > maxX.
struct ViewBox {
  float minX = 1, minY = 1, maxX = 0, maxY = 0;

  bool Empty() const { return minX > maxX; }
  void Add(ViewPoint p);
  void Add(const ViewBox& other);
  bool Intersects(const ViewBox& other) const {
    return minX <= other.maxX && other.minX <= maxX && minY <= other.maxY && other.minY <= maxY;
  }
};

/// One drawn shape. An entity makes one or more; those inside a block reference carry the
/// INSERT as record and the block's entity as source.
struct ViewShape {
  int record = 0;  // code-0 pair of the entity the layout holds (an INSERT for block content)
  int source = 0;  // code-0 pair of the entity that made the shape
  std::uint32_t color = 0;
  std::uint32_t first = 0;  // first point, or the text's index for ShapeKind::Text
  std::uint32_t count = 0;  // points
  ShapeKind kind = ShapeKind::Lines;
  ViewBox box;
};

/// A text at its place: the anchor and the two axes of its glyph box, each as long as the
/// text's height, so rotation, mirroring and oblique block scales all come along.
struct ViewText {
  ViewPoint anchor, xAxis, yAxis;
  std::uint32_t start = 0, length = 0;  // UTF-8 bytes in LayoutGeometry::textBytes
  std::uint8_t hAlign = 0;              // 0 left, 1 centre, 2 right of the anchor
  std::uint8_t vAlign = 0;              // 0 baseline, 1 bottom, 2 middle, 3 top
  std::uint8_t lines = 1;               // line count; lines are "\n"-separated, 1.6 heights apart
  float width = 0;                      // an MTEXT's column width in text heights; 0: estimated
};

/// The shapes of one layout.
struct LayoutGeometry {
  double baseX = 0, baseY = 0;  // the point every ViewPoint is relative to
  std::vector<ViewShape> shapes;
  std::vector<ViewPoint> points;
  std::vector<ViewText> texts;
  std::string textBytes;  // every text, UTF-8, formatting codes stripped
  ViewBox extents;        // of every shape
  bool cancelled = false;

  /// Returns the heap bytes held.
  std::size_t MemoryBytes() const;
};

/// Returns the box of an ellipse shape's points (centre, U, V, (t0, t1)).
ViewBox EllipseBox(const ViewPoint* p);
/// Returns the estimated width of a line of UTF-8 text in text heights: 0.6 for an ASCII
/// character, 1 for any other.
double EstimatedWidth(std::string_view line);
/// Returns the corners of a text's box: its column width, or its estimated width of 0.6
/// heights a plain ASCII character and 1 height a wider one, the widest line counting.
void TextCorners(const ViewText& text, const std::string& bytes, ViewPoint corners[4]);
