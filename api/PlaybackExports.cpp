// Exports that move the playback: positions, steps, speed, play and pause,
// and the view's progress bar.
#include <algorithm>
#include <cmath>

#include "api/OnView.h"
#include "common/Utf16.h"
#include "korvane/Korvane.h"
#include "view/PlaybackRules.h"
#include "view/RemoteControl.h"
#include "view/Render.h"

extern "C" {

SIM_EXPORT int32_t SIM_SetProgress(Render* view, double value, int32_t mode) {
  return api::onView(view, [&](Render& v) {
    if (!std::isfinite(value)) return int32_t{SIM_STATUS_NOT_FINITE};
    const std::shared_ptr<const toolpath::Toolpath> path = v.job().toolpath.current();
    if (const std::optional<double> target = view::progressTarget(path.get(), value, mode))
      v.playback().requestPosition(std::clamp(*target, 0.0, 1.0));
    return 0;
  });
}

SIM_EXPORT int32_t SIM_GotoCommand(Render* view, uint32_t code) {
  return api::onView<int32_t>(view, 1, 0, [&](Render& v) {
    v.queueStep(code);
    return 0;
  });
}

SIM_EXPORT int32_t SIM_UpdateSpeed(Render* view, double delta) {
  return api::onView(view, [&](Render& v) {
    if (!std::isfinite(delta)) return int32_t{SIM_STATUS_NOT_FINITE};
    if (delta == 0.0) return 0;
    v.playback().updateSpeed(delta);
    v.requestRedraw();
    return 0;
  });
}

SIM_EXPORT int32_t SIM_SetProgressBar(Render* view, uint32_t task, uint32_t percent, const char* text) {
  return api::onView(view, [&](Render& v) {
    v.progressTasks().setProgress(task, percent, common::utf16FromUtf8(text ? text : ""));
    v.requestRedraw();
    return 0;
  });
}

SIM_EXPORT int32_t SIM_Play(Render* view) {
  return api::onView(view, [](Render& v) {
    v.playback().play();
    v.requestRedraw();
    return 0;
  });
}

SIM_EXPORT int32_t SIM_Pause(Render* view) {
  return api::onView(view, [](Render& v) {
    v.playback().pause();
    return 0;
  });
}

SIM_EXPORT int32_t SIM_IsPlaying(Render* view) {
  return api::onView(view, [](Render& v) { return v.playback().playing() ? 1 : 0; });
}

SIM_EXPORT int32_t SIM_SetStopConditions(Render* view, uint64_t conditions) {
  return api::onView(view, [&](Render& v) {
    v.playback().stopConditions().set(conditions);
    view::syncStopConditions(v);
    return 0;
  });
}

SIM_EXPORT uint64_t SIM_GetStopConditions(Render* view) {
  return api::onView<uint64_t>(view, 0, 0, [](Render& v) { return v.playback().stopConditions().bytes(); });
}

SIM_EXPORT double SIM_GetProgress(Render* view) {
  return api::onView(view, -1.0, -1.0, [](Render& v) { return v.playback().position(); });
}

SIM_EXPORT double SIM_GetSpeed(Render* view) {
  return api::onView(view, -1.0, -1.0, [](Render& v) { return v.playback().speed(); });
}

}  // extern "C"
