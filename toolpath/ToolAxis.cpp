#include "toolpath/ToolAxis.h"

#include <glm/geometric.hpp>
#include <glm/mat3x3.hpp>

namespace toolpath {

namespace {

glm::dmat3 matrixOf(const Mat3& rows) {
  glm::dmat3 m;
  for (int row = 0; row < 3; ++row)
    for (int column = 0; column < 3; ++column) m[column][row] = rows[3 * row + column];
  return m;
}

}  // namespace

glm::dvec3 toolAxisAt(const machine::Kinematics& kinematics, const glm::dvec3& axes, const Mat3& orientation) {
  const glm::dvec3 inSpindle = kToolToSpindle * (matrixOf(orientation) * glm::dvec3(0, 1, 0));
  const glm::dvec3 axis = glm::dmat3(kinematics.toolTransform(axes)) * inSpindle;
  const double length = glm::length(axis);
  return length > 0 ? axis / length : glm::dvec3(0, 0, 1);
}

}  // namespace toolpath
