#pragma once
// A machine head that tilts the tool about Y by the B axis (radians), for
// tests of moves that turn the tool axis.
#include <glm/gtc/matrix_transform.hpp>

#include "machine/Kinematics.h"

namespace testsupport {

class TiltingHead final : public machine::Kinematics {
 public:
  glm::dmat4 toolTransform(const glm::dvec3& axes) const override {
    return glm::rotate(glm::dmat4(1.0), axes.y, glm::dvec3(0, 1, 0));
  }
};

}  // namespace testsupport
