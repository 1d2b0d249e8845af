#pragma once
// Exact tests between posed triangle meshes: the finest level of a pair test.
#include <array>
#include <span>
#include <vector>

#include <glm/vec3.hpp>

namespace collision {

using Triangle = std::array<glm::dvec3, 3>;

// Whether the segment from p to q passes through the triangle (edges
// included). A segment lying in the triangle's plane does not count: a
// touching pair of coplanar faces is found through their other edges.
bool segmentCrossesTriangle(const glm::dvec3& p, const glm::dvec3& q, const Triangle& t);

// Whether two triangles meet: an edge of either passes through the other.
bool trianglesMeet(const Triangle& a, const Triangle& b);

// Whether a point lies inside a closed triangle mesh, by the parity of the
// crossings of a ray from it.
bool insideClosedMesh(const glm::dvec3& point, std::span<const Triangle> mesh);

// Whether any triangle of one list meets any of the other (boxes first).
bool trianglesMeet(std::span<const Triangle> a, std::span<const Triangle> b);

}  // namespace collision
