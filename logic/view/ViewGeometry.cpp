// ViewGeometry.cpp - boxes of the view's shapes.
#include "logic/view/ViewGeometry.h"

#include <algorithm>  // std::max, std::min
#include <cmath>      // std::atan2, std::cos, std::sin
#include <numbers>    // std::numbers::pi

void ViewBox::Add(ViewPoint p) {
  if (IsRunBreak(p)) return;
  if (Empty()) {
    *this = {p.x, p.y, p.x, p.y};
    return;
  }
  minX = std::min(minX, p.x);
  minY = std::min(minY, p.y);
  maxX = std::max(maxX, p.x);
  maxY = std::max(maxY, p.y);
}

void ViewBox::Add(const ViewBox& other) {
  if (other.Empty()) return;
  Add(ViewPoint{other.minX, other.minY});
  Add(ViewPoint{other.maxX, other.maxY});
}

std::size_t LayoutGeometry::MemoryBytes() const {
  return shapes.capacity() * sizeof(ViewShape) + points.capacity() * sizeof(ViewPoint) +
         texts.capacity() * sizeof(ViewText) + textBytes.capacity();
}

ViewBox EllipseBox(const ViewPoint* p) {
  const ViewPoint c = p[0], u = p[1], v = p[2];
  const double t0 = p[3].x, t1 = p[3].y;
  ViewBox box;
  const auto add = [&](double t) {
    box.Add(ViewPoint{static_cast<float>(c.x + u.x * std::cos(t) + v.x * std::sin(t)),
                      static_cast<float>(c.y + u.y * std::cos(t) + v.y * std::sin(t))});
  };
  add(t0);
  add(t1);
  // x and y are extreme where their derivatives vanish: tan t = v / u, every half turn.
  for (const double base : {std::atan2(v.x, u.x), std::atan2(v.y, u.y)}) {
    for (int k = -4; k <= 4; ++k) {
      const double t = base + k * std::numbers::pi;
      if (t >= t0 && t <= t1) add(t);
    }
  }
  return box;
}

double EstimatedWidth(std::string_view line) {
  double width = 0;
  for (const char c : line) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80)
      width += 0.6;
    else if ((byte & 0xC0) != 0x80)
      width += 1.0;  // a multi-byte character's lead byte
  }
  return width;
}

void TextCorners(const ViewText& text, const std::string& bytes, ViewPoint corners[4]) {
  const std::string_view all(bytes.data() + text.start, text.length);
  double width = text.width;
  for (std::size_t from = 0; text.width == 0 && from <= all.size();) {
    const std::size_t end = std::min(all.find('\n', from), all.size());
    width = std::max(width, EstimatedWidth(all.substr(from, end - from)));
    from = end + 1;
  }
  const double height = 1 + 1.6 * (text.lines - 1);
  const double x0 = -width * text.hAlign / 2;
  const double yTops[] = {1, height, height / 2, 0};  // baseline, bottom, middle, top
  const double top = yTops[std::min<int>(text.vAlign, 3)];
  const double xs[] = {x0, x0 + width, x0 + width, x0};
  const double ys[] = {top - height, top - height, top, top};
  for (int k = 0; k < 4; ++k)
    corners[k] = {static_cast<float>(text.anchor.x + xs[k] * text.xAxis.x + ys[k] * text.yAxis.x),
                  static_cast<float>(text.anchor.y + xs[k] * text.xAxis.y + ys[k] * text.yAxis.y)};
}
