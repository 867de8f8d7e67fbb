// ShapeIndexTest.cpp - finding shapes near a point.
#include "logic/view/ShapeIndex.h"

#include <gtest/gtest.h>

#include <random>  // std::mt19937
#include <vector>  // std::vector

namespace {

// Lines and markers over 1000 x 1000, a few of them across the whole drawing.
LayoutGeometry RandomShapes(std::mt19937& random) {
  LayoutGeometry g;
  std::uniform_real_distribution<float> place(0, 1000), step(-20, 20);
  for (int k = 0; k < 3000; ++k) {
    ViewShape s;
    s.kind = k % 7 == 0 ? ShapeKind::Marker : ShapeKind::Lines;
    s.first = static_cast<std::uint32_t>(g.points.size());
    const ViewPoint a{place(random), place(random)};
    g.points.push_back(a);
    if (s.kind == ShapeKind::Lines) g.points.push_back({a.x + step(random), a.y + step(random)});
    if (k % 500 == 0) g.points.push_back({place(random), place(random)});  // spans the grid
    s.count = static_cast<std::uint32_t>(g.points.size()) - s.first;
    for (std::uint32_t i = s.first; i < s.first + s.count; ++i) s.box.Add(g.points[i]);
    g.extents.Add(s.box);
    g.shapes.push_back(s);
  }
  return g;
}

// The index finds the same nearest shape as a look at every shape.
TEST(ShapeIndex, PicksAsAFullSearchDoes) {
  std::mt19937 random(7);
  const LayoutGeometry g = RandomShapes(random);
  std::uniform_real_distribution<float> place(0, 1000);
  ShapeIndex index;
  index.Build(g);
  for (int probe = 0; probe < 500; ++probe) {
    const double x = place(random), y = place(random), tolerance = 5;
    int nearest = -1;
    double best = tolerance;
    for (std::uint32_t k = 0; k < g.shapes.size(); ++k) {
      const double d = ShapeDistance(g, k, x, y);
      if (d <= best) best = d, nearest = static_cast<int>(k);
    }
    EXPECT_EQ(index.Pick(x, y, tolerance).shape, nearest) << x << ", " << y;
  }
}

// A box query returns what a look at every shape's box finds, in file order: for a small
// box (the cells), a thin strip, a large one (a scan of every shape) and one outside.
TEST(ShapeIndex, QueriesFindEveryShapeInTheBoxInFileOrder) {
  std::mt19937 random(11);
  const LayoutGeometry g = RandomShapes(random);
  ShapeIndex index;
  index.Build(g);
  const ViewBox boxes[] = {
      {480, 480, 520, 520}, {0, 300, 1000, 302}, {-50, -50, 700, 800}, {1100, 0, 1200, 50}};
  for (const ViewBox& box : boxes) {
    std::vector<std::uint32_t> expected, found;
    for (std::uint32_t k = 0; k < g.shapes.size(); ++k)
      if (g.shapes[k].box.Intersects(box)) expected.push_back(k);
    index.Query(box, found);
    EXPECT_EQ(found, expected) << box.minX << " " << box.minY << " " << box.maxX << " " << box.maxY;
  }
}

}  // namespace
