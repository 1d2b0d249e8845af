// Exports of collision detection: its settings (the step in host units
// outside, millimetres inside), the run, its abort and the report.
#include <cmath>

#include "api/OnView.h"
#include "api/SettingChecks.h"
#include "korvane/Korvane.h"
#include "view/Render.h"

extern "C" {

SIM_EXPORT int32_t SIM_SetCollisionDetectionSettings(Render* view, const SIM_CollisionDetectionSettings* settings) {
  return api::onView(view, [&](Render& v) {
    if (!settings) return -1;
    if (int32_t refused = api::checkCollisionDetection(*settings)) return refused;
    collision::CheckSettings s;
    s.stepMm = settings->stepSize * v.job().units.scale.load();
    s.options = settings->options;
    s.mode = settings->mode;
    s.machineSwitch = settings->machineSwitch;
    v.collisions().run().setSettings(s);
    return 0;
  });
}

SIM_EXPORT SIM_CollisionDetectionSettings SIM_GetCollisionDetectionSettings(Render* view) {
  const SIM_CollisionDetectionSettings none{0.2f, 0, 2, 0};
  return api::onView(view, none, none, [](Render& v) {
    const collision::CheckSettings s = v.collisions().run().settings();
    return SIM_CollisionDetectionSettings{static_cast<float>(s.stepMm / v.job().units.scale.load()), s.options, s.mode,
                                          s.machineSwitch};
  });
}

SIM_EXPORT int32_t SIM_SetCollisionHighlightSettings(Render* view, SIM_CollisionHighlightSettings settings) {
  return api::onView(view, [&](Render& v) {
    v.collisions().run().setHighlight({settings.tint[0], settings.tint[1], settings.tint[2]});
    v.requestRedraw();
    return 0;
  });
}

SIM_EXPORT SIM_CollisionHighlightSettings SIM_GetCollisionHighlightSettings(Render* view) {
  const SIM_CollisionHighlightSettings none{{1, 1, 1}};
  return api::onView(view, none, none, [](Render& v) {
    const std::array<uint8_t, 3> tint = v.collisions().run().highlight();
    return SIM_CollisionHighlightSettings{{tint[0], tint[1], tint[2]}};
  });
}

SIM_EXPORT int32_t SIM_RunCollisionDetection(Render* view) {
  return api::onView<int32_t>(view, 1, 1, [](Render& v) { return v.collisions().run().startFull(); });
}

SIM_EXPORT int32_t SIM_AbortCollisionDetection(Render* view) {
  return api::onView<int32_t>(view, 1, 1, [](Render& v) { return v.collisions().run().abort(); });
}

SIM_EXPORT SIM_CollisionReport SIM_GetCollisionReport(Render* view) {
  const SIM_CollisionReport none{nullptr, 0};
  return api::onView(view, none, none, [](Render& v) { return v.collisions().run().report(); });
}

}  // extern "C"
