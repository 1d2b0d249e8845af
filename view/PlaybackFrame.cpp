// Playback on the render thread: the position slider follows the host's
// pending position and the play state, the position is published for the
// cut, and the host hears the current NC line and entity.
#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include <algorithm>
#include <limits>

#include "view/PlaybackRules.h"
#include "view/PlaybackSteps.h"
#include "view/Render.h"

double Render::playbackPosition() const { return rangeLow_ + (rangeHigh_ - rangeLow_) * sliderValue_; }

void Render::moveSlider(double position) {
  const double span = rangeHigh_ - rangeLow_;
  sliderValue_ = span > 1e-12 ? std::clamp((position - rangeLow_) / span, 0.0, 1.0) : 0.0;
}

void Render::updatePlayback(double now) {
  const double pending = job_.playback.pending.exchange(-1.0);
  if (pending >= 0.0) moveSlider(pending);
  toolpath::Toolpath* path = job_.toolpath();
  const bool hasMoves = path && path->moveCount() > 0;
  if (hasMoves && dataReady_.exchange(1) == 0 && keptView_ >= 0) applyView(keptView_);

  if (job_.playback.playing.load()) {
    const double rate = view::playbackRate(job_.playback.speed.load());
    if (rate != 0.0) {
      std::optional<double> total;
      if (hasMoves) total = path->totalTime();
      double advance = view::positionAdvance(rate, frameTimeRatio_.load(), frameIntervalMs_, total);
      if (rate < 0.0 && advance > 0.0) advance = -advance;  // backwards without a toolpath time
      const double p = std::clamp(playbackPosition() + advance, rangeLow_, rangeHigh_);
      moveSlider(p);
      // Playing stops at either end of the range.
      if ((rate > 0.0 && p >= rangeHigh_) || (rate < 0.0 && p <= rangeLow_)) job_.playback.playing = false;
    }
    lastActivity_ = now;
  }
  job_.playback.position = playbackPosition();

  if (!hasMoves) return;
  const toolpath::PositionAtFraction at = path->positionAt(playbackPosition(), toolpath::Measure::Time);
  {
    std::lock_guard lock(toolPoseMutex_);
    toolPose_ = {at.move, at.fraction, path->pointAt(at.move, at.fraction)};
  }
  const int64_t move = at.move;
  positionReport_.observe(static_cast<int32_t>(path->lineOf(move)), static_cast<int32_t>(path->entityOf(move)));
  for (const auto& [event, value] : positionReport_.due(view::PositionReport::Clock::now()))
    notifier_.notify(SIM_MESSAGE_NOTIFY, event, value, true);
}

Render::ToolPose Render::toolPose() const {
  std::lock_guard lock(toolPoseMutex_);
  return toolPose_;
}

void Render::queueStep(uint32_t code) {
  // Worked out from a position the host set just before, and one step
  // after another, at the frame that takes them.
  queueRequest([this, code] {
    const double pending = job_.playback.pending.exchange(-1.0);
    if (pending >= 0.0) moveSlider(pending);
    toolpath::Toolpath* path = job_.toolpath();
    if (!path) return;
    if (const std::optional<double> target = view::stepTarget(*path, code, playbackPosition())) moveSlider(*target);
  });
}

void Render::applyStep(uint32_t code, double now) {
  toolpath::Toolpath* path = job_.toolpath();
  if (!path) return;
  const std::optional<double> target = view::stepTarget(*path, code, playbackPosition());
  if (!target) return;
  job_.playback.pending = -1.0;
  moveSlider(*target);
  job_.playback.position = playbackPosition();
  updateCuts(now);
}

void Render::applyStepKeys(const std::vector<view::StepKey>& keys, double now) {
  for (const view::StepKey& key : keys) {
    if (key.repeat) continue;
    switch (key.key) {
      case GLFW_KEY_HOME:
        applyStep(static_cast<uint32_t>(view::StepCommand::GoToStart), now);
        break;
      case GLFW_KEY_SPACE:
        applyStep(static_cast<uint32_t>(view::StepCommand::GoToEnd), now);
        break;
      case GLFW_KEY_N:
        applyStep(static_cast<uint32_t>(view::StepCommand::NextOperation), now);
        break;
      case GLFW_KEY_P:
        applyStep(static_cast<uint32_t>(view::StepCommand::PreviousOperation), now);
        break;
      default:
        break;
    }
  }
}
