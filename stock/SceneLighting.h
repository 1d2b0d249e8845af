#pragma once
// The uniforms of the shared lighting code that every lit scene program
// (the stock, the machine and the host's models) takes each frame: the
// split camera, the light's direction, the viewer and the cutting plane.
#include <glm/vec3.hpp>

#include "camera/Camera.h"
#include "gpu/GL.h"
#include "stock/CuttingPlane.h"

namespace stock {

// With program in use.
void setSceneLighting(GLuint program, const camera::Camera::DrawState& camera, const glm::vec3& lightDirection,
                      const CuttingPlane& cuttingPlane);

}  // namespace stock
