#pragma once
// Measuring between two points of the scene. A measuring click lands where
// the depth under the cursor puts it; on a picked edge line of a machine or
// tool model it snaps to the edge's nearer end when that end lies within
// 4 pixels of the cursor, else to the edge point nearest the cursor's ray.
// Render thread only.
#include <array>
#include <cstddef>
#include <optional>

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

#include "camera/Camera.h"

namespace view {

// What the frame found under a measuring click.
struct MeasureProbe {
  glm::dvec2 cursor{0.0};                        // window pixels, y down
  std::optional<double> depth;                   // window depth there, when the scene covers the pixel
  std::optional<std::array<glm::dvec3, 2>> edge;  // a picked edge line's ends, display frame
};

inline constexpr double kEdgeEndSnapPixels = 4.0;

// The measured point, display frame, or nothing where the click met no
// geometry.
std::optional<glm::dvec3> measuredPoint(const MeasureProbe& probe, const camera::Camera& camera);

// The point of the segment a-b nearest to the line through origin along
// direction.
glm::dvec3 segmentPointNearestLine(const glm::dvec3& a, const glm::dvec3& b, const glm::dvec3& origin,
                                   const glm::dvec3& direction);

// The two points: a click sets From, the next To, the one after starts a
// new measurement.
class Measurement {
 public:
  void add(const glm::dvec3& point);
  void clear() { count_ = 0; }
  size_t count() const { return count_; }
  const std::array<glm::dvec3, 2>& points() const { return points_; }

 private:
  std::array<glm::dvec3, 2> points_{};
  size_t count_ = 0;
};

}  // namespace view
