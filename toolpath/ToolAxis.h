#pragma once
// The tool axis at a point of the toolpath: the kinematics' tool direction
// at the rotary axes there, turned by the tool orientation in force (which
// works in the tool's frame, where +Y runs from the tip into the holder).
#include <glm/mat3x3.hpp>
#include <glm/vec3.hpp>

#include "machine/Kinematics.h"
#include "toolpath/Toolpath.h"

namespace toolpath {

// The tool frame (+Y from the tip into the holder) seen from the spindle
// (+Z), as the kinematics' transform expects it: x stays, y becomes z, z
// becomes -y.
inline const glm::dmat3 kToolToSpindle(glm::dvec3(1, 0, 0), glm::dvec3(0, 0, 1), glm::dvec3(0, -1, 0));

// A unit vector from the tip towards the spindle; +Z when the transform
// leaves nothing.
glm::dvec3 toolAxisAt(const machine::Kinematics& kinematics, const glm::dvec3& axes, const Mat3& orientation);

}  // namespace toolpath
