#include "stock/SceneLighting.h"

#include <glm/gtc/type_ptr.hpp>

#include "gpu/UniformName.h"

namespace stock {

void setSceneLighting(GLuint program, const camera::Camera::DrawState& camera, const glm::vec3& lightDirection,
                      const CuttingPlane& cuttingPlane) {
  auto at = [program](const char* name) { return gpu::uniformLocation(program, name); };
  // Every vertex stage computes cam_hi * p + cam_lo * p.
  glUniformMatrix4fv(at("cam_hi"), 1, GL_FALSE, glm::value_ptr(camera.camHi));
  glUniformMatrix4fv(at("cam_lo"), 1, GL_FALSE, glm::value_ptr(camera.camLo));
  glUniform3fv(at("lightDir"), 1, glm::value_ptr(lightDirection));
  // The viewer: a point in perspective, a direction otherwise.
  const glm::vec3 viewer = camera.perspective ? glm::vec3(camera.eye) : glm::vec3(-camera.direction);
  glUniform3fv(at("camPos"), 1, glm::value_ptr(viewer));
  glUniform1i(at("projectionView"), camera.perspective ? 0 : 1);
  glUniform1i(at("cuttingPlaneEnabled"), cuttingPlane.enabled ? 1 : 0);
  glUniform3fv(at("cuttingPlaneDirection"), 1, glm::value_ptr(cuttingPlane.direction));
  glUniform3fv(at("cuttingPlaneOrigin"), 1, glm::value_ptr(cuttingPlane.origin));
  glUniform4fv(at("sectionColor"), 1, glm::value_ptr(cuttingPlane.insideColour));
}

}  // namespace stock
