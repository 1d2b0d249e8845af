#pragma once
// What the toolpath asks of the machine: where the tool stands for a set of
// rotary axis values. Until a machine is loaded the transform is the identity.
#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

namespace machine {

class Kinematics {
 public:
  virtual ~Kinematics() = default;
  // Tool transform at rotary axis values A, B, C (radians), or at a tool
  // direction in direction mode.
  virtual glm::dmat4 toolTransform(const glm::dvec3& axes) const = 0;
  // Turning moves (move flag bit 0) may use a rotation derived from the
  // transform instead of the transform itself.
  virtual bool rebasesTurningMoves() const { return false; }
  virtual glm::dmat4 turningRotation(const glm::dmat4& transform) const { return transform; }
};

class IdentityKinematics final : public Kinematics {
 public:
  glm::dmat4 toolTransform(const glm::dvec3&) const override { return glm::dmat4(1.0); }
};

}  // namespace machine
