// CurveMath.cpp - the plane geometry behind the drawing view.
#include "logic/view/CurveMath.h"

#include <algorithm>  // std::max, std::min
#include <cmath>      // std::sqrt, std::atan, std::cos, std::sin, std::ceil, std::abs
#include <numbers>    // std::numbers::pi

namespace {

// Below this an extrusion's X and Y count as zero: the arbitrary-axis algorithm's 1/64.
constexpr double kArbitraryAxisLimit = 1.0 / 64.0;
// Arcs are cut into pieces of at most this angle: under 0.8% of the radius off the arc.
constexpr double kArcStep = std::numbers::pi / 16;

Vec3 Cross(Vec3 u, Vec3 v) {
  return {u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
}

Vec3 Normalised(Vec3 v) {
  const double length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
  if (length == 0) return {0, 0, 1};
  return {v.x / length, v.y / length, v.z / length};
}

}  // namespace

Affine Affine::After(const Affine& inner) const {
  return {a * inner.a + c * inner.b, b * inner.a + d * inner.b,     a * inner.c + c * inner.d,
          b * inner.c + d * inner.d, a * inner.e + c * inner.f + e, b * inner.e + d * inner.f + f};
}

Vec3 OcsXAxis(Vec3 extrusion) {
  const Vec3 n = Normalised(extrusion);
  const bool nearZ = std::abs(n.x) < kArbitraryAxisLimit && std::abs(n.y) < kArbitraryAxisLimit;
  return Normalised(Cross(nearZ ? Vec3{0, 1, 0} : Vec3{0, 0, 1}, n));
}

Affine OcsToWorld(Vec3 extrusion, double elevation) {
  const Vec3 n = Normalised(extrusion);
  const Vec3 ax = OcsXAxis(n);
  const Vec3 ay = Normalised(Cross(n, ax));
  return {ax.x, ax.y, ay.x, ay.y, elevation * n.x, elevation * n.y};
}

Affine InsertMap(Vec2 base, Vec2 scale, Vec2 offset, double rotation, Vec2 insert) {
  const double cs = std::cos(rotation), sn = std::sin(rotation);
  const Affine toOrigin{1, 0, 0, 1, -base.x, -base.y};
  const Affine scaled{scale.x, 0, 0, scale.y, offset.x, offset.y};
  const Affine turned{cs, sn, -sn, cs, insert.x, insert.y};
  return turned.After(scaled.After(toOrigin));
}

void AppendArc(Vec2 centre, double radius, double start, double end, std::vector<Vec2>& out) {
  const int pieces = std::max(1, static_cast<int>(std::ceil((end - start) / kArcStep)));
  for (int k = 0; k <= pieces; ++k) {
    const double t = start + (end - start) * k / pieces;
    out.push_back({centre.x + radius * std::cos(t), centre.y + radius * std::sin(t)});
  }
}

void AppendBulgeArc(Vec2 from, Vec2 to, double bulge, std::vector<Vec2>& out) {
  const double dx = to.x - from.x, dy = to.y - from.y;
  const double chord = std::sqrt(dx * dx + dy * dy);
  if (bulge == 0 || chord == 0) {
    out.push_back(to);
    return;
  }
  // The centre lies on the chord's left normal for a counter-clockwise (positive) bulge.
  const double h = (1 - bulge * bulge) / (4 * bulge);
  const Vec2 centre{(from.x + to.x) / 2 - h * dy, (from.y + to.y) / 2 + h * dx};
  const double radius = chord * (1 + bulge * bulge) / (4 * std::abs(bulge));
  const double start = std::atan2(from.y - centre.y, from.x - centre.x);
  const double sweep = 4 * std::atan(bulge);
  const int pieces = std::max(1, static_cast<int>(std::ceil(std::abs(sweep) / kArcStep)));
  for (int k = 1; k < pieces; ++k) {
    const double t = start + sweep * k / pieces;
    out.push_back({centre.x + radius * std::cos(t), centre.y + radius * std::sin(t)});
  }
  out.push_back(to);
}

// de Boor's algorithm on homogeneous points: the curve at u in knot span s.
static Vec2 DeBoor(int degree, int s, double u, const std::vector<Vec3>& controls,
                   const std::vector<double>& knots, const std::vector<double>& weights) {
  double x[16], y[16], w[16];
  for (int j = 0; j <= degree; ++j) {
    const int i = s - degree + j;
    w[j] = weights.empty() ? 1.0 : weights[i];
    x[j] = controls[i].x * w[j];
    y[j] = controls[i].y * w[j];
  }
  for (int r = 1; r <= degree; ++r) {
    for (int j = degree; j >= r; --j) {
      const int i = s - degree + j;
      const double span = knots[i + degree - r + 1] - knots[i];
      const double alpha = span == 0 ? 0 : (u - knots[i]) / span;
      x[j] = (1 - alpha) * x[j - 1] + alpha * x[j];
      y[j] = (1 - alpha) * y[j - 1] + alpha * y[j];
      w[j] = (1 - alpha) * w[j - 1] + alpha * w[j];
    }
  }
  const double wd = w[degree] == 0 ? 1 : w[degree];
  return {x[degree] / wd, y[degree] / wd};
}

bool AppendBSpline(int degree, const std::vector<Vec3>& controls, const std::vector<double>& knots,
                   const std::vector<double>& weights, int perSpan, std::vector<Vec2>& out) {
  const int n = static_cast<int>(controls.size());
  if (degree < 1 || degree > 15 || n <= degree ||
      knots.size() != static_cast<std::size_t>(n + degree + 1) ||
      (!weights.empty() && weights.size() != controls.size()))
    return false;
  const double u0 = knots[degree], u1 = knots[n];
  if (!(u1 > u0)) return false;
  const int samples = std::max(2, perSpan * n);
  int span = degree;
  for (int k = 0; k <= samples; ++k) {
    const double u = k == samples ? u1 : u0 + (u1 - u0) * k / samples;
    while (span < n - 1 && u >= knots[span + 1]) ++span;
    out.push_back(DeBoor(degree, span, u, controls, knots, weights));
  }
  return true;
}

void AppendThroughPoints(const std::vector<Vec3>& fitPoints, int perSpan, std::vector<Vec2>& out) {
  const int n = static_cast<int>(fitPoints.size());
  if (n == 0) return;
  out.push_back({fitPoints[0].x, fitPoints[0].y});
  const auto at = [&](int i) {
    const Vec3 p = fitPoints[std::clamp(i, 0, n - 1)];
    return Vec2{p.x, p.y};
  };
  for (int i = 0; i + 1 < n; ++i) {
    const Vec2 p0 = at(i - 1), p1 = at(i), p2 = at(i + 1), p3 = at(i + 2);
    for (int k = 1; k <= perSpan; ++k) {
      const double t = static_cast<double>(k) / perSpan, t2 = t * t, t3 = t2 * t;
      // Uniform Catmull-Rom: passes through p1 at t = 0 and p2 at t = 1.
      const auto blend = [&](double a, double b, double c, double d) {
        return 0.5 * (2 * b + (c - a) * t + (2 * a - 5 * b + 4 * c - d) * t2 +
                      (3 * b - a - 3 * c + d) * t3);
      };
      out.push_back({blend(p0.x, p1.x, p2.x, p3.x), blend(p0.y, p1.y, p2.y, p3.y)});
    }
  }
}
