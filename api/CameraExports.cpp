// Camera exports: standard views, projection, pan, rotate and the host's
// camera record.
#include <cmath>

#include <glm/geometric.hpp>

#include "api/OnView.h"
#include "camera/DisplayFrame.h"
#include "korvane/Korvane.h"
#include "view/Render.h"

namespace {

// A record that shows something: finite values, a size, up not along the
// normal.
bool showsSomething(const SIM_CameraRecord& record) {
  const double* values = &record.up[0];
  for (int k = 0; k < 10; ++k)
    if (!std::isfinite(values[k])) return false;
  if (record.size[0] < 0 || record.size[1] < 0 || !(record.size[0] + record.size[1] > 0)) return false;
  const glm::dvec3 up(record.up[0], record.up[1], record.up[2]);
  const glm::dvec3 normal(record.viewNormal[0], record.viewNormal[1], record.viewNormal[2]);
  return glm::length(glm::cross(up, normal)) > 1e-12 * glm::length(up) * glm::length(normal);
}

}  // namespace

extern "C" {

SIM_EXPORT int32_t SIM_SetView(Render* view, int32_t code) {
  return api::onView(view, [&](Render& v) {
    v.requestView(code);
    return 0;
  });
}

SIM_EXPORT int32_t SIM_SetProjection(Render* view, int32_t projection) {
  return api::onView(view, [&](Render& v) {
    v.camera().setProjection(projection == SIM_PROJECTION_PERSPECTIVE);
    v.requestRedraw();
    return 0;
  });
}

SIM_EXPORT int32_t SIM_PanView(Render* view, double a, double b) {
  return api::onView(view, [&](Render& v) {
    if (!std::isfinite(a) || !std::isfinite(b)) return int32_t{SIM_STATUS_NOT_FINITE};
    if (v.camera().pan(a, b)) v.requestRedraw();
    return 0;
  });
}

SIM_EXPORT int32_t SIM_RotateView(Render* view, double pitch, double yaw) {
  return api::onView(view, [&](Render& v) {
    if (!std::isfinite(pitch) || !std::isfinite(yaw)) return int32_t{SIM_STATUS_NOT_FINITE};
    if (v.camera().rotate(pitch, yaw)) v.requestRedraw();
    return 0;
  });
}

SIM_EXPORT int32_t SIM_SetCamera(Render* view, const SIM_CameraRecord* record) {
  if (!record || !showsSomething(*record)) return -1;
  return api::onView(view, [&](Render& v) {
    camera::HostCamera host;
    host.up = {record->up[0], record->up[1], record->up[2]};
    host.viewNormal = {record->viewNormal[0], record->viewNormal[1], record->viewNormal[2]};
    host.offset = {record->offset[0], record->offset[1]};
    host.size = {record->size[0], record->size[1]};
    // The workpiece origin joins with the machine setup; until then the origin.
    v.camera().setHostCamera(host, v.job().displayFrame(), glm::dvec3(0.0));
    v.markPositioned();
    v.requestRedraw();
    return 0;
  });
}


SIM_EXPORT int32_t SIM_UpdateGnomon(Render* view, const SIM_GnomonRecord* record) {
  return api::onView<int32_t>(view, 1, 0, [&](Render& v) {
    if (!record) return int32_t{-1};
    UI::InterfaceState* state = v.interfaceState();
    if (!state) return int32_t{0};  // headless: nothing to show
    for (size_t a = 0; a < 3; ++a) state->gnomonAxes[a] = record->axisShown[a] != 0;
    state->gnomonShown = record->gnomon != 0;
    state->viewCubeShown = record->viewCube != 0;
    v.requestRedraw();
    return int32_t{0};
  });
}

}  // extern "C"
