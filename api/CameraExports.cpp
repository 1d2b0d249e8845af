// Camera exports: standard views, projection, pan, rotate and the host's
// camera record.
#include <cmath>

#include <glm/geometric.hpp>

#include "korvane/Korvane.h"
#include "camera/DisplayFrame.h"
#include "view/Render.h"

extern "C" {

SIM_EXPORT int32_t SIM_SetView(Render* view, int32_t code) {
  if (!view) return -1;
  view->requestView(code);
  return 0;
}

SIM_EXPORT int32_t SIM_SetProjection(Render* view, int32_t projection) {
  if (!view) return -1;
  view->camera().setProjection(projection == 1);
  view->requestRedraw();
  return 0;
}

SIM_EXPORT int32_t SIM_PanView(Render* view, double a, double b) {
  if (!view) return -1;
  if (view->camera().pan(a, b)) view->requestRedraw();
  return 0;
}

SIM_EXPORT int32_t SIM_RotateView(Render* view, double pitch, double yaw) {
  if (!view) return -1;
  if (view->camera().rotate(pitch, yaw)) view->requestRedraw();
  return 0;
}

SIM_EXPORT int32_t SIM_SetCamera(Render* view, const SIM_CameraRecord* record) {
  if (!view || !record) return -1;
  const double* values = &record->up[0];
  for (int k = 0; k < 10; ++k)
    if (!std::isfinite(values[k])) return -1;
  if (record->size[0] < 0 || record->size[1] < 0 || !(record->size[0] + record->size[1] > 0)) return -1;
  const glm::dvec3 up(record->up[0], record->up[1], record->up[2]);
  const glm::dvec3 normal(record->viewNormal[0], record->viewNormal[1], record->viewNormal[2]);
  if (!(glm::length(glm::cross(up, normal)) > 1e-12 * glm::length(up) * glm::length(normal))) return -1;
  camera::HostCamera host;
  host.up = {record->up[0], record->up[1], record->up[2]};
  host.viewNormal = {record->viewNormal[0], record->viewNormal[1], record->viewNormal[2]};
  host.offset = {record->offset[0], record->offset[1]};
  host.size = {record->size[0], record->size[1]};
  // The workpiece origin joins with the machine setup; until then the origin.
  view->camera().setHostCamera(host, camera::defaultAxisTransformation(), glm::dvec3(0.0));
  view->markPositioned();
  view->requestRedraw();
  return 0;
}

}  // extern "C"
