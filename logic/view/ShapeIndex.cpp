// ShapeIndex.cpp - finds the shapes of a layout in a box or near a point.
#include "logic/view/ShapeIndex.h"

#include <algorithm>  // std::clamp, std::max, std::min, std::sort
#include <cmath>      // std::sqrt, std::cos, std::sin, std::ceil, std::floor, std::hypot

namespace {

constexpr double kShapesPerCell = 4;  // in the finest level, over the whole extents
constexpr double kMaxCellsPerSide = 2048;
// A query box that shows more than this share of the extents looks at every shape's box
// in turn: cheaper than the cells, and already in file order.
constexpr double kScanShare = 0.25;
constexpr int kEllipseProbes = 128;  // segments of an ellipse measured by Pick

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

int ShapeIndex::LevelOf(const ViewBox& b) const {
  const double size = std::max(b.maxX - b.minX, b.maxY - b.minY);
  int level = 0;
  while (level + 1 < static_cast<int>(m_levels.size()) && m_levels[level].cellSize < size) ++level;
  return level;
}

std::uint32_t ShapeIndex::CellOf(const Level& level, const ViewBox& b) const {
  const double cx = (static_cast<double>(b.minX) + b.maxX) / 2 - m_box.minX;
  const double cy = (static_cast<double>(b.minY) + b.maxY) / 2 - m_box.minY;
  const int column = std::clamp(static_cast<int>(cx / level.cellSize), 0, level.columns - 1);
  const int row = std::clamp(static_cast<int>(cy / level.cellSize), 0, level.rows - 1);
  return level.firstCell + static_cast<std::uint32_t>(row * level.columns + column);
}

void ShapeIndex::Build(const LayoutGeometry& g) {
  m_g = &g;
  m_box = g.extents;
  m_levels.clear();
  m_cellStart.assign(1, 0);
  m_items.clear();
  m_marked.assign(g.shapes.size(), 0);
  if (m_box.Empty()) return;
  const double width = std::max(1e-9, static_cast<double>(m_box.maxX - m_box.minX));
  const double height = std::max(1e-9, static_cast<double>(m_box.maxY - m_box.minY));
  const double shapes = std::max<double>(1, static_cast<double>(g.shapes.size()));
  double cell = std::max(std::sqrt(width * height * kShapesPerCell / shapes),
                         std::max(width, height) / kMaxCellsPerSide);
  // Levels up to one cell over everything, so every shape fits one of them.
  std::uint32_t cells = 0;
  for (;; cell *= 2) {
    Level level;
    level.cellSize = cell;
    level.columns = std::max(1, static_cast<int>(std::ceil(width / cell)));
    level.rows = std::max(1, static_cast<int>(std::ceil(height / cell)));
    level.firstCell = cells;
    cells += static_cast<std::uint32_t>(level.columns * level.rows);
    m_levels.push_back(level);
    if (level.columns == 1 && level.rows == 1) break;
  }
  // Each shape's cell, counted, then the shapes put into their cells' slices.
  std::vector<std::uint32_t> cellOf(g.shapes.size());
  m_cellStart.assign(cells + 1, 0);
  for (std::size_t k = 0; k < g.shapes.size(); ++k) {
    const ViewBox& b = g.shapes[k].box;
    cellOf[k] = CellOf(m_levels[LevelOf(b)], b);
    ++m_cellStart[cellOf[k] + 1];
  }
  for (std::size_t c = 1; c < m_cellStart.size(); ++c) m_cellStart[c] += m_cellStart[c - 1];
  m_items.resize(g.shapes.size());
  std::vector<std::uint32_t> fill(m_cellStart.begin(), m_cellStart.end() - 1);
  for (std::uint32_t k = 0; k < g.shapes.size(); ++k) m_items[fill[cellOf[k]]++] = k;
}

// Appends the shapes of level's cells that may meet box: their centres lie within half a
// cell of it.
void ShapeIndex::Collect(const Level& level, const ViewBox& box,
                         std::vector<std::uint32_t>& shapes) const {
  const double half = level.cellSize / 2;
  const auto cell = [&](double at, int count) {
    return static_cast<int>(
        std::clamp(std::floor(at / level.cellSize), -1.0, static_cast<double>(count)));
  };
  const int x0 = std::max(0, cell(box.minX - half - m_box.minX, level.columns));
  const int x1 = std::min(level.columns - 1, cell(box.maxX + half - m_box.minX, level.columns));
  const int y0 = std::max(0, cell(box.minY - half - m_box.minY, level.rows));
  const int y1 = std::min(level.rows - 1, cell(box.maxY + half - m_box.minY, level.rows));
  for (int y = y0; y <= y1; ++y) {
    const std::uint32_t row = level.firstCell + static_cast<std::uint32_t>(y * level.columns);
    for (std::uint32_t i = m_cellStart[row + x0]; i < m_cellStart[row + x1 + 1]; ++i)
      if (m_g->shapes[m_items[i]].box.Intersects(box)) shapes.push_back(m_items[i]);
  }
}

// A large share of the shapes is put in order by one sweep over the marks.
void ShapeIndex::PutInFileOrder(std::vector<std::uint32_t>& shapes) const {
  if (shapes.size() <= m_marked.size() / 16) return std::sort(shapes.begin(), shapes.end());
  for (const std::uint32_t k : shapes) m_marked[k] = 1;
  shapes.clear();
  for (std::uint32_t k = 0; k < m_marked.size(); ++k) {
    if (!m_marked[k]) continue;
    m_marked[k] = 0;
    shapes.push_back(k);
  }
}

void ShapeIndex::Query(const ViewBox& box, std::vector<std::uint32_t>& shapes) const {
  shapes.clear();
  if (!m_g || m_levels.empty() || !box.Intersects(m_box)) return;
  const double shownWidth = std::min(box.maxX, m_box.maxX) - std::max(box.minX, m_box.minX);
  const double shownHeight = std::min(box.maxY, m_box.maxY) - std::max(box.minY, m_box.minY);
  const double area = (static_cast<double>(m_box.maxX) - m_box.minX) * (m_box.maxY - m_box.minY);
  if (shownWidth * shownHeight > kScanShare * area) {
    for (std::uint32_t k = 0; k < m_g->shapes.size(); ++k)
      if (m_g->shapes[k].box.Intersects(box)) shapes.push_back(k);
    return;
  }
  for (const Level& level : m_levels) Collect(level, box, shapes);
  PutInFileOrder(shapes);
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
  return (m_cellStart.capacity() + m_items.capacity()) * sizeof(std::uint32_t) +
         m_levels.capacity() * sizeof(Level) + m_marked.capacity();
}
