#pragma once
// Move end points are kept in single precision before they start the next
// move, as the drawing and cutting buffers hold them.
#include <glm/vec3.hpp>

namespace toolpath {

inline glm::dvec3 throughSinglePrecision(const double (&v)[3]) {
  // g++ 12.2 at -O2 drops the round trip of the first two coordinates when
  // it packs them into one vector register (the test
  // ToolpathLoad.StartPointsPassThroughSinglePrecision fails without this);
  // going through memory keeps the rounding.
  volatile float rounded[3] = {static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2])};
  return {rounded[0], rounded[1], rounded[2]};
}

}  // namespace toolpath
