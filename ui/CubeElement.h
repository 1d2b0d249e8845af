#pragma once
// The elements of the view cube, a cube from -1 to 1 on each axis: a point
// near the surface belongs to a face, an edge or a corner by how many of
// its coordinates lie within the border of +-1; the signs of those
// coordinates name the element. The shader classifies its fragments the
// same way, so the element the cursor's ray finds is the one it lights.
#include <optional>

#include <glm/vec3.hpp>
#include <glm/ext/vector_int3.hpp>

namespace UI {

struct CubeElement {
  glm::ivec3 sign{0};
  int count = 0;  // 1 face, 2 edge, 3 corner; 0 none
  bool operator==(const CubeElement& other) const { return count == other.count && sign == other.sign; }
  bool operator!=(const CubeElement& other) const { return !(*this == other); }
};

inline constexpr float kCubeBorder = 0.25f;

CubeElement classifyCubePoint(const glm::vec3& p, float border = kCubeBorder);

// Where a ray first meets the cube, if it does.
std::optional<glm::vec3> rayHitsCube(const glm::vec3& origin, const glm::vec3& direction);

// The direction to look along to face an element: towards the cube's
// centre from the side the sign vector points to.
glm::vec3 lookingDirectionOf(const CubeElement& element);

}  // namespace UI
