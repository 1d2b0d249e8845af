#include "collision/Gjk.h"

#include <algorithm>
#include <limits>

#include <glm/geometric.hpp>
#include <glm/mat3x3.hpp>

namespace collision {

using glm::dvec3;

uint32_t supportIndex(const PosedHull& hull, const dvec3& direction) {
  const glm::vec3 local(glm::transpose(hull.rotation) * direction);
  uint32_t best = 0;
  float bestDot = -std::numeric_limits<float>::infinity();
  for (uint32_t i = 0; i < hull.vertices.size(); ++i) {
    const float d = glm::dot(hull.vertices[i], local);
    if (d > bestDot) {
      bestDot = d;
      best = i;
    }
  }
  return best;
}

namespace {

dvec3 worldPoint(const PosedHull& hull, uint32_t index) {
  return hull.rotation * dvec3(hull.vertices[index]) + hull.translation;
}

struct Difference {
  const PosedHull& a;
  const PosedHull& b;

  SimplexVertex support(const dvec3& direction) const {
    return {supportIndex(a, direction), supportIndex(b, -direction)};
  }
  dvec3 point(const SimplexVertex& v) const { return worldPoint(a, v.a) - worldPoint(b, v.b); }
  bool holds(const SimplexVertex& v) const { return v.a < a.vertices.size() && v.b < b.vertices.size(); }
};

// The point of a simplex closest to the origin as weights of its vertices;
// a vertex of weight 0 is not needed for it.
struct Closest {
  dvec3 point{0.0};
  std::array<double, 4> weights{};
  bool enclosed = false;  // the origin lies inside a tetrahedron
};

Closest onSegment(const dvec3& a, const dvec3& b) {
  Closest c;
  const dvec3 ab = b - a;
  const double length2 = glm::dot(ab, ab);
  const double t = length2 > 0.0 ? std::clamp(-glm::dot(a, ab) / length2, 0.0, 1.0) : 0.0;
  c.point = a + t * ab;
  c.weights = {1.0 - t, t, 0.0, 0.0};
  return c;
}

Closest atVertex(const dvec3& p, int slot) {
  Closest c;
  c.point = p;
  c.weights[slot] = 1.0;
  return c;
}

Closest nearest(const Closest& x, const Closest& y) {
  return glm::dot(x.point, x.point) <= glm::dot(y.point, y.point) ? x : y;
}

// Lifts a closest point of the vertices (i, j) of a triangle to its slots.
Closest onEdge(const dvec3* p, int i, int j) {
  const Closest edge = onSegment(p[i], p[j]);
  Closest c;
  c.point = edge.point;
  c.weights[i] = edge.weights[0];
  c.weights[j] = edge.weights[1];
  return c;
}

// By the Voronoi regions of the triangle's vertices, edges and face.
Closest onTriangle(const dvec3* p) {
  const dvec3 &a = p[0], &b = p[1], &c = p[2];
  const dvec3 ab = b - a, ac = c - a;
  const double d1 = glm::dot(ab, -a), d2 = glm::dot(ac, -a);
  if (d1 <= 0.0 && d2 <= 0.0) return atVertex(a, 0);
  const double d3 = glm::dot(ab, -b), d4 = glm::dot(ac, -b);
  if (d3 >= 0.0 && d4 <= d3) return atVertex(b, 1);
  const double vc = d1 * d4 - d3 * d2;
  if (vc <= 0.0 && d1 >= 0.0 && d3 <= 0.0) return onEdge(p, 0, 1);
  const double d5 = glm::dot(ab, -c), d6 = glm::dot(ac, -c);
  if (d6 >= 0.0 && d5 <= d6) return atVertex(c, 2);
  const double vb = d5 * d2 - d1 * d6;
  if (vb <= 0.0 && d2 >= 0.0 && d6 <= 0.0) return onEdge(p, 0, 2);
  const double va = d3 * d6 - d5 * d4;
  if (va <= 0.0 && d4 - d3 >= 0.0 && d5 - d6 >= 0.0) return onEdge(p, 1, 2);
  const double sum = va + vb + vc;
  // A triangle with no area: its closest point lies on an edge.
  if (!(sum > 0.0)) return nearest(nearest(onEdge(p, 0, 1), onEdge(p, 0, 2)), onEdge(p, 1, 2));
  Closest inside;
  const double v = vb / sum, w = vc / sum;
  inside.weights = {1.0 - v - w, v, w, 0.0};
  inside.point = a + v * ab + w * ac;
  return inside;
}

// The origin is inside unless some face has it on the side away from the
// opposite vertex; then the closest point is on such a face. A flat
// tetrahedron has every face open.
Closest onTetrahedron(const dvec3* p) {
  constexpr int kFaces[4][4] = {{0, 1, 2, 3}, {0, 1, 3, 2}, {0, 2, 3, 1}, {1, 2, 3, 0}};
  Closest best;
  double bestDistance = std::numeric_limits<double>::infinity();
  bool anyOpen = false;
  for (const auto& f : kFaces) {
    const dvec3 n = glm::cross(p[f[1]] - p[f[0]], p[f[2]] - p[f[0]]);
    const double originSide = glm::dot(n, -p[f[0]]);
    const double oppositeSide = glm::dot(n, p[f[3]] - p[f[0]]);
    if (originSide * oppositeSide > 0.0) continue;
    anyOpen = true;
    const dvec3 face[3] = {p[f[0]], p[f[1]], p[f[2]]};
    const Closest onFace = onTriangle(face);
    const double distance = glm::dot(onFace.point, onFace.point);
    if (distance < bestDistance) {
      bestDistance = distance;
      best = Closest{};
      best.point = onFace.point;
      for (int k = 0; k < 3; ++k) best.weights[f[k]] = onFace.weights[k];
    }
  }
  if (!anyOpen) {
    Closest inside;
    inside.enclosed = true;
    inside.weights = {1.0, 1.0, 1.0, 1.0};
    return inside;
  }
  return best;
}

Closest closestOf(const dvec3* p, int size) {
  switch (size) {
    case 1: return atVertex(p[0], 0);
    case 2: return onSegment(p[0], p[1]);
    case 3: return onTriangle(p);
    default: return onTetrahedron(p);
  }
}

// Keeps the vertices the closest point needs, in order.
void reduce(Simplex& simplex, dvec3* points, const Closest& closest) {
  uint8_t kept = 0;
  for (uint8_t i = 0; i < simplex.size; ++i) {
    if (closest.weights[i] <= 0.0) continue;
    simplex.vertices[kept] = simplex.vertices[i];
    points[kept] = points[i];
    ++kept;
  }
  simplex.size = kept;
}

}  // namespace

GjkResult gjk(const PosedHull& a, const PosedHull& b, Simplex& simplex) {
  GjkResult result;
  if (a.vertices.empty() || b.vertices.empty()) {
    simplex.size = 0;
    result.distance = std::numeric_limits<double>::infinity();
    return result;
  }
  const Difference difference{a, b};
  if (simplex.size > 4 ||
      !std::all_of(simplex.vertices.begin(), simplex.vertices.begin() + std::min<int>(simplex.size, 4),
                   [&](const SimplexVertex& v) { return difference.holds(v); }))
    simplex.size = 0;
  if (simplex.size == 0) {
    simplex.vertices[0] = difference.support(dvec3(1.0, 0.0, 0.0));
    simplex.size = 1;
    result.iterations = 1;
  }
  dvec3 points[4];
  for (int i = 0; i < simplex.size; ++i) points[i] = difference.point(simplex.vertices[i]);

  double previous = std::numeric_limits<double>::infinity();
  for (;;) {
    const Closest closest = closestOf(points, simplex.size);
    reduce(simplex, points, closest);
    const dvec3 v = closest.point;
    const double distance2 = glm::dot(v, v);
    if (closest.enclosed || distance2 <= kContactDistance * kContactDistance) {
      result.contact = true;
      result.distance = 0.0;
      return result;
    }
    result.distance = std::sqrt(distance2);
    // The distance no longer falls, or the budget is spent: separated.
    if (distance2 >= previous || result.iterations >= kGjkMaxIterations) return result;
    previous = distance2;

    const SimplexVertex w = difference.support(-v);
    ++result.iterations;
    const dvec3 wPoint = difference.point(w);
    const double reach = glm::dot(v, wPoint);
    // Every point of the difference lies beyond the plane through w normal
    // to v: a separating plane. Or w brings the simplex no closer.
    if (reach > 0.0 || distance2 - reach <= 1e-12 * distance2) return result;
    if (std::find(simplex.vertices.begin(), simplex.vertices.begin() + simplex.size, w) !=
        simplex.vertices.begin() + simplex.size)
      return result;
    simplex.vertices[simplex.size] = w;
    points[simplex.size] = wPoint;
    ++simplex.size;
  }
}

}  // namespace collision
