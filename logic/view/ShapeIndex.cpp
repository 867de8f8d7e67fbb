// ShapeIndex.cpp - finds the shapes of a layout in a box or near a point.
#include "logic/view/ShapeIndex.h"

#include <algorithm>  // std::clamp, std::min, std::sort
#include <cmath>      // std::sqrt, std::cos, std::sin, std::ceil, std::hypot

namespace {

constexpr int kMaxCellsPerSide = 2048;
constexpr int kLargeShapeCells = 64;  // a shape over more cells goes into the short list
constexpr int kEllipseProbes = 128;   // segments of an ellipse measured by Pick

double SegmentDistance(double px, double py, ViewPoint a, ViewPoint b) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double length2 = dx * dx + dy * dy;
  double t = length2 > 0 ? ((px - a.x) * dx + (py - a.y) * dy) / length2 : 0;
  t = std::clamp(t, 0.0, 1.0);
  const double ex = a.x + t * dx - px, ey = a.y + t * dy - py;
  return std::sqrt(ex * ex + ey * ey);
}

// The distance to a run of points (a lone point counts), and whether (x, y) lies inside
// the rings they make (even-odd), for fills.
struct Measure {
  double distance = 1e300;
  bool inside = false;

  void Run(const ViewPoint* p, std::size_t n, double x, double y) {
    for (std::size_t k = 0; k < n; ++k) {
      const ViewPoint a = p[k], b = p[k + 1 < n ? k + 1 : k];
      distance = std::min(distance, SegmentDistance(x, y, a, b));
      if (k + 1 < n && (a.y > y) != (b.y > y) && x < a.x + (y - a.y) * (b.x - a.x) / (b.y - a.y))
        inside = !inside;
    }
  }
  void Runs(const ViewPoint* p, std::size_t n, double x, double y) {
    std::size_t start = 0;
    for (std::size_t k = 0; k <= n; ++k) {
      if (k < n && !IsRunBreak(p[k])) continue;
      if (k > start) Run(p + start, k - start, x, y);
      start = k + 1;
    }
  }
};

}  // namespace

double ShapeDistance(const LayoutGeometry& g, std::uint32_t k, double x, double y) {
  const ViewShape& s = g.shapes[k];
  Measure m;
  switch (s.kind) {
    case ShapeKind::Lines:
    case ShapeKind::Marker:
      m.Runs(&g.points[s.first], s.count, x, y);
      return m.distance;
    case ShapeKind::Fill:
      m.Runs(&g.points[s.first], s.count, x, y);
      return m.inside ? 0 : m.distance;
    case ShapeKind::Ellipse: {
      const ViewPoint* p = &g.points[s.first];
      ViewPoint probe[kEllipseProbes + 1];
      for (int i = 0; i <= kEllipseProbes; ++i) {
        const double t = p[3].x + (p[3].y - p[3].x) * i / kEllipseProbes;
        probe[i] = {static_cast<float>(p[0].x + p[1].x * std::cos(t) + p[2].x * std::sin(t)),
                    static_cast<float>(p[0].y + p[1].y * std::cos(t) + p[2].y * std::sin(t))};
      }
      m.Run(probe, kEllipseProbes + 1, x, y);
      return m.distance;
    }
    case ShapeKind::Text: {
      ViewPoint corners[5];
      TextCorners(g.texts[s.first], g.textBytes, corners);
      corners[4] = corners[0];
      m.Run(corners, 5, x, y);
      return m.inside ? 0 : m.distance;
    }
  }
  return m.distance;
}

int ShapeIndex::CellX(float x) const {
  return std::clamp(static_cast<int>((x - m_box.minX) / m_cellWidth), 0, m_columns - 1);
}

int ShapeIndex::CellY(float y) const {
  return std::clamp(static_cast<int>((y - m_box.minY) / m_cellHeight), 0, m_rows - 1);
}

void ShapeIndex::Build(const LayoutGeometry& g) {
  m_g = &g;
  m_box = g.extents;
  m_items.clear();
  m_large.clear();
  m_marked.assign(g.shapes.size(), 0);
  if (m_box.Empty()) {
    m_columns = m_rows = 0;
    m_cellStart.assign(1, 0);
    return;
  }
  const double width = std::max(1e-9, static_cast<double>(m_box.maxX - m_box.minX));
  const double height = std::max(1e-9, static_cast<double>(m_box.maxY - m_box.minY));
  const double cells = std::max(1.0, g.shapes.size() / 2.0);
  const double side = std::sqrt(cells * width / height);
  m_columns = std::clamp(static_cast<int>(std::ceil(side)), 1, kMaxCellsPerSide);
  m_rows = std::clamp(static_cast<int>(std::ceil(cells / m_columns)), 1, kMaxCellsPerSide);
  m_cellWidth = static_cast<float>(width / m_columns);
  m_cellHeight = static_cast<float>(height / m_rows);
  m_cellStart.assign(static_cast<std::size_t>(m_columns) * m_rows + 1, 0);
  // Two passes over the shapes: count per cell, then fill the cells' slices.
  for (int pass = 0; pass < 2; ++pass) {
    std::vector<std::uint32_t> fill;
    if (pass == 1) {
      for (std::size_t c = 1; c < m_cellStart.size(); ++c) m_cellStart[c] += m_cellStart[c - 1];
      m_items.resize(m_cellStart.back());
      fill.assign(m_cellStart.begin(), m_cellStart.end() - 1);
    }
    for (std::uint32_t k = 0; k < g.shapes.size(); ++k) {
      const ViewBox& b = g.shapes[k].box;
      const int x0 = CellX(b.minX), x1 = CellX(b.maxX), y0 = CellY(b.minY), y1 = CellY(b.maxY);
      if ((x1 - x0 + 1) * (y1 - y0 + 1) > kLargeShapeCells) {
        if (pass == 1) m_large.push_back(k);
        continue;
      }
      for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
          const std::size_t cell = static_cast<std::size_t>(y) * m_columns + x;
          if (pass == 0)
            ++m_cellStart[cell + 1];
          else
            m_items[fill[cell]++] = k;
        }
      }
    }
  }
}

void ShapeIndex::Query(const ViewBox& box, std::vector<std::uint32_t>& shapes) const {
  shapes.clear();
  if (!m_g || m_columns == 0 || !box.Intersects(m_box)) return;
  const auto take = [&](std::uint32_t k) {
    if (m_marked[k] || !m_g->shapes[k].box.Intersects(box)) return;
    m_marked[k] = 1;
    shapes.push_back(k);
  };
  for (const std::uint32_t k : m_large) take(k);
  const int x0 = CellX(box.minX), x1 = CellX(box.maxX), y0 = CellY(box.minY), y1 = CellY(box.maxY);
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
      const std::size_t cell = static_cast<std::size_t>(y) * m_columns + x;
      for (std::uint32_t i = m_cellStart[cell]; i < m_cellStart[cell + 1]; ++i) take(m_items[i]);
    }
  }
  // A large share of the shapes is put in order by one sweep over the marks.
  if (shapes.size() > m_marked.size() / 16) {
    shapes.clear();
    for (std::uint32_t k = 0; k < m_marked.size(); ++k)
      if (m_marked[k]) shapes.push_back(k);
  } else {
    std::sort(shapes.begin(), shapes.end());
  }
  for (const std::uint32_t k : shapes) m_marked[k] = 0;
}

PickResult ShapeIndex::Pick(double x, double y, double tolerance) const {
  PickResult best;
  if (!m_g) return best;
  const auto t = static_cast<float>(tolerance);
  const ViewBox around{static_cast<float>(x) - t, static_cast<float>(y) - t,
                       static_cast<float>(x) + t, static_cast<float>(y) + t};
  std::vector<std::uint32_t> found;
  Query(around, found);
  best.distance = tolerance;
  for (const std::uint32_t k : found) {
    const ViewBox& b = m_g->shapes[k].box;
    const double outside = std::hypot(std::max({b.minX - x, x - b.maxX, 0.0}),
                                      std::max({b.minY - y, y - b.maxY, 0.0}));
    if (outside > best.distance) continue;  // no point of the shape can be nearer
    const double d = ShapeDistance(*m_g, k, x, y);
    if (d <= best.distance) best = {static_cast<int>(k), d};
  }
  return best;
}

std::size_t ShapeIndex::MemoryBytes() const {
  return (m_cellStart.capacity() + m_items.capacity() + m_large.capacity()) *
             sizeof(std::uint32_t) +
         m_marked.capacity();
}
