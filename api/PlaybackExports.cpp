// Exports that move the playback: positions, steps, speed, play and pause,
// and the view's progress bar.
#include <algorithm>
#include <cmath>

#include "korvane/Korvane.h"
#include "common/Utf16.h"
#include "view/PlaybackRules.h"
#include "view/Render.h"

extern "C" {

SIM_EXPORT int32_t SIM_SetProgress(Render* view, double value, int32_t mode) {
  if (!view) return -1;
  if (!std::isfinite(value)) return 0;
  toolpath::Toolpath* path = view->job().toolpath();
  std::optional<double> target = view::progressTarget(path, value, mode);
  if (target) view->job().playback.pending = std::clamp(*target, 0.0, 1.0);
  return 0;
}

SIM_EXPORT int32_t SIM_GotoCommand(Render* view, uint32_t code) {
  if (!view) return 1;
  view->queueStep(code);
  return 0;
}

SIM_EXPORT int32_t SIM_UpdateSpeed(Render* view, double delta) {
  if (!view) return -1;
  if (delta == 0.0 || !std::isfinite(delta)) return 0;
  std::atomic<double>& speed = view->job().playback.speed;
  double v = speed.load();
  while (!speed.compare_exchange_weak(v, view::speedAfterUpdate(v, delta))) {
  }
  view->requestRedraw();
  return 0;
}

SIM_EXPORT int32_t SIM_SetProgressBar(Render* view, uint32_t task, uint32_t percent, const char* text) {
  if (!view) return -1;
  view->progressTasks().setProgress(task, percent, common::utf16FromUtf8(text ? text : ""));
  view->requestRedraw();
  return 0;
}

SIM_EXPORT int32_t SIM_Play(Render* view) {
  if (!view) return -1;
  view->job().playback.playing = true;
  view->requestRedraw();
  return 0;
}

SIM_EXPORT int32_t SIM_Pause(Render* view) {
  if (!view) return -1;
  view->job().playback.playing = false;
  return 0;
}

SIM_EXPORT int32_t SIM_IsPlaying(Render* view) {
  if (!view) return -1;
  return view->job().playback.playing.load() ? 1 : 0;
}

SIM_EXPORT double SIM_GetProgress(Render* view) {
  if (!view) return -1.0;
  return view->job().playback.position.load();
}

SIM_EXPORT double SIM_GetSpeed(Render* view) {
  if (!view) return -1.0;
  return view->job().playback.speed.load();
}

}  // extern "C"
