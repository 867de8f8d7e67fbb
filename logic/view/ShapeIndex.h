// ShapeIndex.h - finds the shapes of a layout in a box or near a point.
//
// A uniform grid over the layout's extents, about two shapes a cell: each cell lists the
// shapes whose boxes meet it, in one array (a count pass, then a fill pass). A shape that
// spans many cells (a long line across the drawing) is kept in a short list that every
// query looks at instead of in hundreds of cells. Picking measures the true distance to
// each shape found near the point: to its segments, inside a fill or a text's box.
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
  int CellX(float x) const;
  int CellY(float y) const;

  const LayoutGeometry* m_g = nullptr;
  ViewBox m_box;
  int m_columns = 0, m_rows = 0;
  float m_cellWidth = 1, m_cellHeight = 1;
  std::vector<std::uint32_t> m_cellStart;  // m_columns * m_rows + 1 offsets into m_items
  std::vector<std::uint32_t> m_items;
  std::vector<std::uint32_t> m_large;          // shapes over many cells
  mutable std::vector<std::uint8_t> m_marked;  // per shape: found by the running query
};

/// Returns the distance from (x, y) to shape k of g: 0 inside a fill or a text's box.
double ShapeDistance(const LayoutGeometry& g, std::uint32_t k, double x, double y);
