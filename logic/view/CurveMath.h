// CurveMath.h - the plane geometry behind the drawing view.
//
// The arbitrary-axis algorithm that turns an entity's object coordinate system (its 210
// extrusion) into world axes, the affine maps of block references, the arc a polyline
// bulge stands for and the evaluation of B-splines (de Boor, with weights for NURBS).
#pragma once

#include <vector>  // std::vector

/// A point or vector of the world or of an entity's coordinate system.
struct Vec3 {
  double x = 0, y = 0, z = 0;
};

/// A plane point.
struct Vec2 {
  double x = 0, y = 0;
};

/// An affine map of the plane: (x, y) -> (a x + c y + e, b x + d y + f).
struct Affine {
  double a = 1, b = 0, c = 0, d = 1, e = 0, f = 0;

  Vec2 Map(Vec2 p) const { return {a * p.x + c * p.y + e, b * p.x + d * p.y + f}; }
  /// Maps a vector: the linear part only.
  Vec2 MapVector(Vec2 v) const { return {a * v.x + c * v.y, b * v.x + d * v.y}; }
  /// Returns this map after `inner`: first inner, then this.
  Affine After(const Affine& inner) const;
};

/// Returns the map from an entity's object coordinates at height `elevation` to the world
/// XY plane (the arbitrary-axis algorithm, then Z dropped). A zero extrusion counts as
/// (0, 0, 1).
Affine OcsToWorld(Vec3 extrusion, double elevation);

/// Returns the world axis that the OCS X axis of `extrusion` maps to, normalised.
Vec3 OcsXAxis(Vec3 extrusion);

/// Returns the map of a block reference: the block's base point to the origin, scaled,
/// moved by `offset` (the column and row of an array), rotated by `rotation` radians and
/// put at `insert`.
Affine InsertMap(Vec2 base, Vec2 scale, Vec2 offset, double rotation, Vec2 insert);

/// Appends the points of the arc that bulge `bulge` (tan of a quarter of the included
/// angle, positive counter-clockwise) makes from `from` to `to`, without `from` and with
/// `to`; a zero bulge appends `to` alone.
void AppendBulgeArc(Vec2 from, Vec2 to, double bulge, std::vector<Vec2>& out);

/// Appends points of the arc around `centre` of `radius` from `start` to `end` radians
/// counter-clockwise (end > start), both ends included.
void AppendArc(Vec2 centre, double radius, double start, double end, std::vector<Vec2>& out);

/// Appends points of a B-spline of `degree` with its control points, knots and weights
/// (empty: all 1), evaluated at `perSpan` points per control point. Returns false, appending
/// nothing, when the counts do not fit together (knots = controls + degree + 1).
bool AppendBSpline(int degree, const std::vector<Vec3>& controls, const std::vector<double>& knots,
                   const std::vector<double>& weights, int perSpan, std::vector<Vec2>& out);

/// Appends a smooth curve through `fitPoints` (a uniform Catmull-Rom spline): every
/// fit point lies on it.
void AppendThroughPoints(const std::vector<Vec3>& fitPoints, int perSpan, std::vector<Vec2>& out);
