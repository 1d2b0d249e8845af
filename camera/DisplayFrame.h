#pragma once
// The camera works in a Y-up display frame; machine coordinates (Z up) reach
// it through the scene's axis transformation, by default -90 degrees about X:
// machine Z becomes display +Y and machine Y display -Z.
#include <glm/mat3x3.hpp>

#include "camera/Camera.h"

namespace camera {

inline glm::dmat3 defaultAxisTransformation() {
  return glm::dmat3(glm::dvec3(1, 0, 0), glm::dvec3(0, 0, -1), glm::dvec3(0, 1, 0));
}

// The display-frame box around a machine-frame box turned by rotation.
inline SceneBox displayBox(const glm::dvec3& min, const glm::dvec3& max, const glm::dmat3& rotation) {
  SceneBox box;
  for (int corner = 0; corner < 8; ++corner) {
    const glm::dvec3 p(corner & 1 ? max.x : min.x, corner & 2 ? max.y : min.y, corner & 4 ? max.z : min.z);
    const glm::vec3 q(rotation * p);
    box.min = glm::min(box.min, q);
    box.max = glm::max(box.max, q);
  }
  return box;
}

// Shows a machine-frame box from a standard view at once, the clip planes
// fitted to it (the default axis transformation).
inline void showMachineBox(Camera& camera, const glm::dvec3& min, const glm::dvec3& max, StandardView view) {
  const SceneBox scene = displayBox(min, max, defaultAxisTransformation());
  camera.setView(view, scene, false);
  camera.updateForScene(scene);
}

}  // namespace camera
