#include "view/CuttingPlaneSetting.h"

namespace view {

stock::CuttingPlane CuttingPlaneSetting::resolve(const camera::SceneBox& stocks, const camera::SceneBox& scene,
                                                 const glm::dmat3& toDisplay) const {
  const uint32_t plane = get().plane;
  stock::CuttingPlane resolved;
  const camera::SceneBox& box = stocks.valid() ? stocks : scene;
  if (plane >= SIM_CUTTING_PLANE_NONE || !box.valid()) return resolved;
  glm::dvec3 axis(0.0);
  axis[plane / 2] = plane % 2 ? 1.0 : -1.0;  // "X-", "X+", "Y-", ...
  resolved.enabled = true;
  resolved.direction = glm::vec3(toDisplay * axis);
  resolved.origin = (box.min + box.max) * 0.5f;
  return resolved;
}

}  // namespace view
