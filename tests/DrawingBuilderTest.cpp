// DrawingBuilderTest.cpp - the shapes of a layout: geometry, colours, layers and records.
#include "logic/view/DrawingBuilder.h"

#include <gtest/gtest.h>

#include <cmath>  // std::abs, std::hypot

#include "logic/view/ShapeIndex.h"
#include "model/buffer/RecordWalk.h"
#include "model/text/MyStringLib.h"
#include "tests/support/TestDrawings.h"

namespace {

constexpr double kOn = 1e-3;      // a point this near a shape lies on it
constexpr double kBoxEps = 0.02;  // extents tolerance (tessellated arcs fall inside)

struct Point {
  double x, y;
};

std::string EntitiesDrawing(std::string_view blocks, std::string_view entities) {
  return "0|SECTION|2|TABLES|0|TABLE|2|LAYER|70|2|0|LAYER|2|0|70|0|62|7|0|LAYER|2|OFF|70|0|62|-1|"
         "0|ENDTAB|0|ENDSEC|0|SECTION|2|BLOCKS|" +
         std::string(blocks) + "0|ENDSEC|0|SECTION|2|ENTITIES|" + std::string(entities) +
         "0|ENDSEC|0|EOF";
}

LayoutGeometry ModelSpace(TDXFBuffer& b) {
  TDXFLayerTable layers;
  (void)layers.Build(b);  // a drawing without a layer table draws every layer
  return BuildLayout(b, layers, kModelSpace);
}

bool IsOnDrawing(const LayoutGeometry& g, const ShapeIndex& index, Point p) {
  return index.Pick(p.x - g.baseX, p.y - g.baseY, kOn).shape >= 0;
}

TEST(DrawingBuilder, DrawsEachEntityTypeThroughItsKnownPoints) {
  const struct {
    const char* what;
    std::string blocks, entities;
    std::vector<Point> on, off;
    double minX, minY, maxX, maxY;
  } cases[] = {
      {"an arc's end points and middle",
       "",
       "0|ARC|8|0|10|5|20|5|40|10|50|0|51|90|",
       {{15, 5}, {5, 15}, {5 + 10 / std::sqrt(2), 5 + 10 / std::sqrt(2)}},
       {{-5, 5}, {5, -5}},
       5,
       5,
       15,
       15},
      {"an arc over the zero angle",
       "",
       "0|ARC|8|0|10|0|20|0|40|1|50|270|51|90|",
       {{1, 0}, {0, -1}, {0, 1}},
       {{-1, 0}},
       0,
       -1,
       1,
       1},
      {"a positive bulge curves to the right of its way",
       "",
       "0|LWPOLYLINE|8|0|90|2|70|0|10|0|20|0|42|1|10|10|20|0|",
       {{5, -5}, {0, 0}, {10, 0}},
       {{5, 5}},
       0,
       -5,
       10,
       0},
      {"a closed polyline whose closing segment bulges",
       "",
       "0|LWPOLYLINE|8|0|90|2|70|1|10|0|20|0|10|4|20|0|42|1|",
       {{2, 0}, {2, 2}},
       {{2, -2}},
       0,
       0,
       4,
       2},
      {"a rotated and scaled INSERT of a rotated and scaled INSERT",
       "0|BLOCK|2|IN|10|0|20|0|0|LINE|8|0|10|0|20|0|11|1|21|0|0|ENDBLK|"
       "0|BLOCK|2|OUT|10|0|20|0|0|INSERT|8|0|2|IN|10|2|20|0|41|2|42|2|50|90|0|ENDBLK|",
       "0|INSERT|8|0|2|OUT|10|10|20|10|41|3|42|3|50|90|",
       {{10, 16}, {4, 16}, {7, 16}},
       {{10, 10}},
       4,
       16,
       10,
       16},
      {"a block's base point moves its content",
       "0|BLOCK|2|B|10|1|20|1|0|POINT|8|0|10|1|20|1|0|ENDBLK|",
       "0|INSERT|8|0|2|B|10|5|20|6|",
       {{5, 6}},
       {{6, 7}},
       5,
       6,
       5,
       6},
      {"an INSERT array of two columns",
       "0|BLOCK|2|B|10|0|20|0|0|POINT|8|0|10|0|20|0|0|ENDBLK|",
       "0|INSERT|8|0|2|B|10|0|20|0|70|2|44|10|",
       {{0, 0}, {10, 0}},
       {{5, 0}},
       0,
       0,
       10,
       0},
      {"an OCS circle with extrusion (0,0,-1)",
       "",
       "0|CIRCLE|8|0|10|5|20|0|30|0|40|1|210|0|220|0|230|-1|",
       {{-6, 0}, {-4, 0}, {-5, 1}},
       {{4, 0}, {6, 0}},
       -6,
       -1,
       -4,
       1},
      {"an OCS arc with extrusion (0,0,-1) runs clockwise in the world",
       "",
       "0|ARC|8|0|10|0|20|0|40|1|50|0|51|90|210|0|220|0|230|-1|",
       {{-1, 0}, {0, 1}},
       {{1, 0}},
       -1,
       0,
       0,
       1},
      {"an ellipse with its axis ratio",
       "",
       "0|ELLIPSE|8|0|10|0|20|0|11|10|21|0|40|0.5|41|0|42|6.283185307|",
       {{0, 5}, {-10, 0}},
       {{0, 10}},
       -10,
       -5,
       10,
       5},
      {"a spline through known fit points",
       "",
       "0|SPLINE|8|0|70|8|71|3|74|3|11|0|21|0|11|5|21|5|11|10|21|0|",
       {{0, 0}, {5, 5}, {10, 0}},
       {{5, 0}},
       0,
       0,
       10,
       5},
      {"a quadratic spline by its control points and knots",
       "",
       "0|SPLINE|8|0|70|8|71|2|72|6|73|3|40|0|40|0|40|0|40|1|40|1|40|1|10|0|20|0|10|5|20|10|"
       "10|10|20|0|",
       {{0, 0}, {5, 5}, {10, 0}},
       {{5, 10}},
       0,
       0,
       10,
       5},
      {"a 2D POLYLINE with its vertices, closed",
       "",
       "0|POLYLINE|8|0|66|1|70|1|0|VERTEX|8|0|10|0|20|0|0|VERTEX|8|0|10|4|20|0|0|VERTEX|8|0|10|"
       "0|20|3|0|SEQEND|",
       {{2, 0}, {0, 1.5}, {2, 1.5}},
       {{1, 1}},
       0,
       0,
       4,
       3},
      {"a 3D line seen from above",
       "",
       "0|LINE|8|0|10|0|20|0|30|5|11|1|21|1|31|9|",
       {{0.5, 0.5}},
       {{0.5, 0}},
       0,
       0,
       1,
       1},
      {"a solid hatch fills its boundary",
       "",
       "0|HATCH|8|0|10|0|20|0|30|0|2|SOLID|70|1|71|0|91|1|92|2|72|0|73|1|93|4|10|0|20|0|10|4|20|"
       "0|10|4|20|4|10|0|20|4|97|0|75|0|76|1|98|0|",
       {{2, 2}, {0, 0}},
       {{5, 5}},
       0,
       0,
       4,
       4},
      {"a hatch edge path: a line and a half circle",
       "",
       "0|HATCH|8|0|10|0|20|0|30|0|2|ANSI31|70|0|71|0|91|1|92|1|93|2|72|1|10|0|20|0|11|4|21|0|"
       "72|2|10|2|20|0|40|2|50|0|51|180|73|1|97|0|75|0|76|1|98|0|",
       {{2, 2}, {2, 0}},
       {{2, 1}},
       0,
       0,
       4,
       2},
      {"a SOLID's corners run 1, 2, 4, 3",
       "",
       "0|SOLID|8|0|10|0|20|0|11|2|21|0|12|0|22|2|13|2|23|2|",
       {{1, 1}},
       {{3, 3}},
       0,
       0,
       2,
       2},
      {"a leader's vertices",
       "",
       "0|LEADER|8|0|76|3|10|0|20|0|10|1|20|1|10|3|20|1|",
       {{0.5, 0.5}, {2, 1}},
       {{2, 0}},
       0,
       0,
       3,
       1},
      {"an image's outline from its pixel vectors",
       "",
       "0|IMAGE|8|0|10|1|20|1|11|0.5|21|0|12|0|22|0.5|13|4|23|2|",
       {{3, 1}, {1, 2}, {3, 1.5}},
       {{2, 1.5}},
       1,
       1,
       3,
       2},
      {"a DIMENSION draws its block",
       "0|BLOCK|2|*D1|10|0|20|0|0|LINE|8|0|10|1|20|1|11|2|21|1|0|ENDBLK|",
       "0|DIMENSION|8|0|2|*D1|10|0|20|0|",
       {{1.5, 1}},
       {{0, 0}},
       1,
       1,
       2,
       1},
      {"an unknown type is a marker at its first point",
       "",
       "0|MLINE|8|0|10|7|20|8|",
       {{7, 8}},
       {{0, 0}},
       7,
       8,
       7,
       8},
      {"the entities of every ENTITIES section, as some writers split them",
       "",
       "0|POINT|8|0|10|1|20|2|0|ENDSEC|0|SECTION|2|ENTITIES|0|POINT|8|0|10|5|20|6|",
       {{1, 2}, {5, 6}},
       {{0, 0}},
       1,
       2,
       5,
       6},
      {"an entity on a layer that is off is left out",
       "",
       "0|LINE|8|OFF|10|100|20|100|11|200|21|100|0|POINT|8|0|10|1|20|2|",
       {{1, 2}},
       {{150, 100}},
       1,
       2,
       1,
       2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TDXFBuffer b = LoadDrawing(EntitiesDrawing(c.blocks, c.entities));
    const LayoutGeometry g = ModelSpace(b);
    ShapeIndex index;
    index.Build(g);
    for (const Point p : c.on) EXPECT_TRUE(IsOnDrawing(g, index, p)) << p.x << ", " << p.y;
    for (const Point p : c.off) EXPECT_FALSE(IsOnDrawing(g, index, p)) << p.x << ", " << p.y;
    ASSERT_FALSE(g.extents.Empty());
    EXPECT_NEAR(g.baseX + g.extents.minX, c.minX, kBoxEps);
    EXPECT_NEAR(g.baseY + g.extents.minY, c.minY, kBoxEps);
    EXPECT_NEAR(g.baseX + g.extents.maxX, c.maxX, kBoxEps);
    EXPECT_NEAR(g.baseY + g.extents.maxY, c.maxY, kBoxEps);
  }
}

TEST(DrawingBuilder, ColoursFollowTrueColourAciLayerAndBlock) {
  const std::string layers =
      "0|SECTION|2|TABLES|0|TABLE|2|LAYER|70|3|0|LAYER|2|0|70|0|62|7|0|LAYER|2|R|70|0|62|1|"
      "0|LAYER|2|G|70|0|62|3|420|1193046|0|ENDTAB|0|ENDSEC|";
  const struct {
    const char* what;
    std::string blocks, entities;
    std::uint32_t color;
  } cases[] = {
      {"ByLayer takes the layer's ACI", "", "0|POINT|8|R|10|0|20|0|", 0xFF0000},
      {"a layer's true colour wins over its ACI", "", "0|POINT|8|G|10|0|20|0|", 0x123456},
      {"an ACI number", "", "0|POINT|8|R|62|3|10|0|20|0|", 0x00FF00},
      {"a true colour", "", "0|POINT|8|R|62|3|420|65280|10|0|20|0|", 0x00FF00},
      {"ACI 7 follows the background", "", "0|POINT|8|R|62|7|10|0|20|0|", kForegroundColor},
      {"ByBlock takes the INSERT's colour", "0|BLOCK|2|B|0|POINT|8|R|62|0|10|0|20|0|0|ENDBLK|",
       "0|INSERT|8|R|62|5|2|B|10|0|20|0|", 0x0000FF},
      {"layer 0 ByLayer in a block takes the INSERT's layer colour",
       "0|BLOCK|2|B|0|POINT|8|0|10|0|20|0|0|ENDBLK|", "0|INSERT|8|R|2|B|10|0|20|0|", 0xFF0000},
      {"a block's own layer keeps its colour", "0|BLOCK|2|B|0|POINT|8|G|10|0|20|0|0|ENDBLK|",
       "0|INSERT|8|R|2|B|10|0|20|0|", 0x123456},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TDXFBuffer b = LoadDrawing(layers + "0|SECTION|2|BLOCKS|" + c.blocks +
                               "0|ENDSEC|0|SECTION|2|ENTITIES|" + c.entities + "0|ENDSEC|0|EOF");
    const LayoutGeometry g = ModelSpace(b);
    ASSERT_EQ(g.shapes.size(), 1u);
    EXPECT_EQ(g.shapes[0].color, c.color);
  }
}

TEST(DrawingBuilder, ShapesCarryTheirRecordAndTheEntityThatMadeThem) {
  TDXFBuffer b = LoadDrawing(
      "0|SECTION|2|BLOCKS|0|BLOCK|2|B|0|LINE|8|0|11|1|21|0|0|ENDBLK|0|ENDSEC|"
      "0|SECTION|2|ENTITIES|0|INSERT|8|0|66|1|2|B|0|ATTRIB|8|0|10|0|20|0|40|1|1|A|0|SEQEND|"
      "0|POLYLINE|8|0|66|1|0|VERTEX|8|0|10|0|20|0|0|VERTEX|8|0|10|1|20|1|0|SEQEND|0|ENDSEC|0|EOF");
  const LayoutGeometry g = ModelSpace(b);
  const int line = 4, insert = 12, attrib = 16, polyline = 23;  // their code-0 pairs
  ASSERT_EQ(TrimView(b.ValueView(insert)), "INSERT");
  ASSERT_EQ(TrimView(b.ValueView(polyline)), "POLYLINE");
  ASSERT_EQ(g.shapes.size(), 3u);
  EXPECT_EQ(g.shapes[0].record, insert);
  EXPECT_EQ(g.shapes[0].source, line);
  EXPECT_EQ(g.shapes[1].record, insert);
  EXPECT_EQ(g.shapes[1].source, attrib);
  EXPECT_EQ(g.shapes[2].record, polyline);
  // The grid's cursor on a VERTEX or ATTRIB pair stands for its POLYLINE or INSERT.
  EXPECT_EQ(DrawnRecordOf(b, attrib + 2), insert);
  EXPECT_EQ(DrawnRecordOf(b, polyline + 5), polyline);
  EXPECT_EQ(DrawnRecordOf(b, line + 1), line);
}

TEST(DrawingBuilder, OffersModelPaperAndEachBlock) {
  const TDXFBuffer b = LoadDrawing(
      "0|SECTION|2|BLOCKS|0|BLOCK|2|*Model_Space|0|ENDBLK|0|BLOCK|2|*Paper_Space|0|LINE|8|0|11|1|"
      "21|1|0|ENDBLK|0|BLOCK|2|扉|0|POINT|8|0|10|0|20|0|0|ENDBLK|0|ENDSEC|0|SECTION|2|ENTITIES|"
      "0|POINT|8|0|67|1|10|5|20|5|0|POINT|8|0|10|9|20|9|0|ENDSEC|0|EOF");
  EXPECT_EQ(DrawingLayouts(b),
            (std::vector<std::string>{"*Model_Space", "*Paper_Space", Sjis("扉")}));
  TDXFLayerTable layers;
  EXPECT_EQ(BuildLayout(b, layers, kModelSpace).shapes.size(), 1u);
  EXPECT_EQ(BuildLayout(b, layers, kPaperSpace).shapes.size(), 2u);
  EXPECT_EQ(BuildLayout(b, layers, Sjis("扉")).shapes.size(), 1u);
  EXPECT_TRUE(BuildLayout(b, layers, "NONE").shapes.empty());
}

TEST(DrawingBuilder, ABlockThatHoldsItselfIsDrawnOnce) {
  const TDXFBuffer b = LoadDrawing(
      "0|SECTION|2|BLOCKS|0|BLOCK|2|A|0|POINT|8|0|10|0|20|0|0|INSERT|8|0|2|A|10|1|20|0|0|ENDBLK|0|"
      "ENDSEC|"
      "0|SECTION|2|ENTITIES|0|INSERT|8|0|2|A|0|ENDSEC|0|EOF");
  TDXFLayerTable layers;
  EXPECT_EQ(BuildLayout(b, layers, kModelSpace).shapes.size(), 1u);
}

TEST(DrawingBuilder, TextsSitAtTheirAnchorWithTheirHeightAndRotation) {
  const struct {
    const char* what;
    const char* entity;
    std::string text;
    Point inside, outside;
  } cases[] = {
      {"a TEXT's box grows right and up", "0|TEXT|8|0|10|1|20|1|40|2|1|AB|", "AB", {2, 2}, {0, 2}},
      {"a rotated TEXT", "0|TEXT|8|0|10|0|20|0|40|2|50|90|1|AB|", "AB", {-1, 1}, {1, 1}},
      {"a centred TEXT hangs on its second point",
       "0|TEXT|8|0|10|0|20|0|11|10|21|0|40|1|72|1|1|AB|",
       "AB",
       {10, 0.5},
       {11, 0.5}},
      {"an MTEXT attached top left hangs down",
       "0|MTEXT|8|0|10|0|20|0|40|1|71|1|1|{\\fArial;AB}|",
       "AB",
       {0.5, -0.5},
       {0.5, 0.5}},
      {"an MTEXT wraps at its column width; a longer word keeps a line of its own",
       "0|MTEXT|8|0|10|0|20|0|40|1|41|2.5|71|1|1|AB CD  EFGHIJ|",
       "AB\nCD\nEFGHIJ",
       {1, -4},
       {3, -0.5}},
      {"TEXT codes", "0|TEXT|8|0|10|0|20|0|40|1|1|%%c10%%d|", "⌀10°", {1, 0.5}, {-1, 0.5}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TDXFBuffer b = LoadDrawing(EntitiesDrawing("", c.entity));
    const LayoutGeometry g = ModelSpace(b);
    ASSERT_EQ(g.texts.size(), 1u);
    EXPECT_EQ(g.textBytes, c.text);
    ShapeIndex index;
    index.Build(g);
    EXPECT_TRUE(IsOnDrawing(g, index, c.inside));
    EXPECT_FALSE(IsOnDrawing(g, index, c.outside));
  }
}

}  // namespace

namespace {

// A large ENTITIES section is built in parts on several threads and joined in file order.
TEST(DrawingBuilder, ALargeModelSpaceJoinsItsPartsInFileOrder) {
  constexpr int kLines = 40000;  // 10 pairs each: parts of 2^18 pairs on several cores
  std::string drawing = "0|SECTION|2|ENTITIES|";
  for (int k = 0; k < kLines; ++k) {
    const std::string x = std::to_string(100000 + k);
    drawing += "0|LINE|8|0|62|1|10|" + x + "|20|0|30|0|11|" + x + "|21|1|31|0|";
  }
  TDXFBuffer b = LoadDrawing(drawing + "0|CIRCLE|8|0|10|5|20|5|40|1|0|ENDSEC|0|EOF");
  const LayoutGeometry g = ModelSpace(b);
  ASSERT_EQ(g.shapes.size(), static_cast<std::size_t>(kLines + 1));
  for (std::size_t k = 1; k < g.shapes.size(); ++k)
    ASSERT_LT(g.shapes[k - 1].record, g.shapes[k].record) << k;
  EXPECT_NEAR(g.baseX + g.extents.minX, 4, 1e-3);
  EXPECT_NEAR(g.baseX + g.extents.maxX, 100000 + kLines - 1, 1e-2);
  EXPECT_NEAR(g.baseY + g.extents.maxY, 6, 1e-3);
  ShapeIndex index;
  index.Build(g);
  const int line = index.Pick(130000.2 - g.baseX, 0.5 - g.baseY, 0.3).shape;
  ASSERT_GE(line, 0);
  EXPECT_EQ(b.GetValue(FindInRecord(b, g.shapes[line].record, 10)), "130000");
  const int circle = index.Pick(6 - g.baseX, 5 - g.baseY, 0.01).shape;
  ASSERT_GE(circle, 0);
  EXPECT_EQ(g.shapes[circle].kind, ShapeKind::Ellipse);
}

}  // namespace
