// ShapeIndex.h - finds the shapes of a layout in a box or near a point.
//
// A loose grid in levels: level 0 has about four shapes a cell, and each level above has
// cells twice as wide. A shape is listed once, in the finest level whose cells are at
// least as large as the shape, in the cell that holds its centre; a query widens its box
// by half a cell at each level. So a long line across the drawing costs one entry, like a
// dot does, and the whole index is about one integer a shape. Picking measures the true
// distance to each shape found near the point: to its segments, inside a fill or a text's
// box.
#pragma once

#include <cstdint>  // std::uint32_t
#include <vector>   // std::vector

#include "logic/view/ViewGeometry.h"

/// The shape nearest a point, and how far it is.
struct PickResult {
  int shape = -1;  // index into LayoutGeometry::shapes; -1: none within the tolerance
  double distance = 0;
};

class ShapeIndex {
 public:
  /// Indexes the shapes of g (which must outlive the index and stay unchanged).
  void Build(const LayoutGeometry& g);
  /// Returns the shapes whose boxes meet box, in file order.
  void Query(const ViewBox& box, std::vector<std::uint32_t>& shapes) const;
  /// Returns the shape nearest (x, y) (layout coordinates) within tolerance; of shapes at
  /// the same distance (a point inside two fills) the one drawn last.
  PickResult Pick(double x, double y, double tolerance) const;
  /// Returns the heap bytes held.
  std::size_t MemoryBytes() const;

 private:
  struct Level {
    double cellSize = 1;
    int columns = 1, rows = 1;
    std::uint32_t firstCell = 0;  // offset of its cells in m_cellStart
  };

  int LevelOf(const ViewBox& b) const;
  std::uint32_t CellOf(const Level& level, const ViewBox& b) const;
  void Collect(const Level& level, const ViewBox& box, std::vector<std::uint32_t>& shapes) const;
  void PutInFileOrder(std::vector<std::uint32_t>& shapes) const;

  const LayoutGeometry* m_g = nullptr;
  ViewBox m_box;
  std::vector<Level> m_levels;
  std::vector<std::uint32_t> m_cellStart;      // per cell of every level, then one end offset
  std::vector<std::uint32_t> m_items;          // shape numbers, cell by cell
  mutable std::vector<std::uint8_t> m_marked;  // per shape: found by the running query
};

/// Returns the distance from (x, y) to shape k of g: 0 inside a fill or a text's box.
double ShapeDistance(const LayoutGeometry& g, std::uint32_t k, double x, double y);
