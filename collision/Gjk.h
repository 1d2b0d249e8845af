#pragma once
// Contact queries between two posed convex hulls (GJK on their vertex sets).
//
// A hull is given by its vertices alone: the support point in a direction is
// the vertex of largest dot product with it, which is the support of the
// vertices' convex hull. The query walks a simplex of the Minkowski
// difference A - B towards the origin, each step taking the simplex's point
// closest to the origin: contact when the simplex encloses the origin (or
// the distance falls inside kContactDistance), separation as soon as the
// distance stops falling or a separating direction is found.
//
// Simplex vertices are kept as pairs of vertex indices, so a simplex found
// at one pose is a valid starting simplex at the next: consecutive samples
// of a toolpath pose the same hulls only slightly apart, and a warm start
// usually ends the query in one or two steps.
#include <array>
#include <cstdint>
#include <span>

#include <glm/mat3x3.hpp>
#include <glm/vec3.hpp>

namespace collision {

// At most this many support steps per query.
constexpr int kGjkMaxIterations = 40;
// Closer than this (millimetres) counts as contact.
constexpr double kContactDistance = 1e-7;

// A hull's vertices (hull frame) and the rigid pose that puts them in the
// world: world = rotation * vertex + translation.
struct PosedHull {
  std::span<const glm::vec3> vertices;
  glm::dmat3 rotation{1.0};
  glm::dvec3 translation{0.0};
};

struct SimplexVertex {
  uint32_t a = 0, b = 0;  // support vertex indices in the two hulls
  bool operator==(const SimplexVertex&) const = default;
};

struct Simplex {
  std::array<SimplexVertex, 4> vertices{};
  uint8_t size = 0;  // 0: start afresh
};

struct GjkResult {
  bool contact = false;
  double distance = 0.0;  // the last closest distance (0 with contact)
  int iterations = 0;     // support steps taken
};

// The hull's vertex of largest dot product with a world direction.
uint32_t supportIndex(const PosedHull& hull, const glm::dvec3& direction);

// The query. `simplex` is the starting simplex (size 0: from the direction
// (1, 0, 0)) and receives the final one. A starting simplex with an index
// outside either hull is ignored.
GjkResult gjk(const PosedHull& a, const PosedHull& b, Simplex& simplex);

}  // namespace collision
