#include "view/Playback.h"

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include <algorithm>
#include <cassert>
#include <optional>

#include "view/PlaybackRules.h"
#include "view/PlaybackSteps.h"

namespace view {

void Playback::updateSpeed(double delta) {
  double v = speed_.load();
  while (!speed_.compare_exchange_weak(v, speedAfterUpdate(v, delta))) {
  }
}

ToolPose Playback::toolPose() const {
  std::lock_guard lock(poseMutex_);
  return pose_;
}

void Playback::moveSlider(double position) {
  const double span = rangeHigh_ - rangeLow_;
  slider_ = span > 1e-12 ? std::clamp((position - rangeLow_) / span, 0.0, 1.0) : 0.0;
}

bool Playback::setRange(double lo, double hi) {
  if (!(lo >= 0.0 && hi <= 1.0 && hi - lo > 1e-9)) return false;
  const double position = sliderPosition();
  rangeLow_ = lo;
  rangeHigh_ = hi;
  moveSlider(position);
  return true;
}

void Playback::setRangeEndHere(bool start) {
  const double here = sliderPosition();
  // An end set past the other one takes the other back to the whole
  // toolpath's end.
  if (start)
    setRange(here, here < rangeHigh_ ? rangeHigh_ : 1.0);
  else
    setRange(here > rangeLow_ ? rangeLow_ : 0.0, here);
}

bool Playback::takePending() {
  const double pending = pending_.exchange(-1.0);
  if (pending < 0.0) return false;
  moveSlider(pending);
  return true;
}

void Playback::stopAtFound(std::span<const FoundStop> found) {
  if (!playedThisFrame_ || found.empty()) return;
  const std::optional<double> stop = firstFoundStop(found, stops_.bytes(), playedFrom_, sliderPosition());
  if (!stop) return;
  // The next frame plays there: the stock is cut again up to the move. A
  // position the host asked for since this frame's advance goes first.
  double none = -1.0;
  if (!pending_.compare_exchange_strong(none, *stop)) return;
  playing_ = false;
  moveSlider(*stop);
  position_ = sliderPosition();
}

PlayedPosition Playback::advance(std::shared_ptr<const toolpath::Toolpath> path, double frameRatio,
                                 double intervalMs) {
  const bool moved = takePending();
  const bool hasMoves = path && path->moveCount() > 0;
  const bool playing = playing_.load();
  if (playing && (moved || !wasPlaying_)) playedFrom_ = sliderPosition();
  wasPlaying_ = playing;
  playedThisFrame_ = playing;
  if (playing) {
    const double rate = playbackRate(speed_.load(), speedPixels_.load());
    if (rate != 0.0) {
      std::optional<double> total;
      if (hasMoves) total = path->totalTime();
      double advance = positionAdvance(rate, frameRatio, intervalMs, total);
      if (rate < 0.0 && advance > 0.0) advance = -advance;  // backwards without a toolpath time
      const bool looping = loop_.load();
      // At an end of the range: the slider itself, as the position it
      // stands for may round just short of the range's end.
      if (looping && rate > 0.0 && slider_ >= 1.0) {
        moveSlider(rangeLow_);  // the frame after the end shows the start
      } else if (looping && rate < 0.0 && slider_ <= 0.0) {
        moveSlider(rangeHigh_);
      } else {
        const double from = sliderPosition();
        double p = std::clamp(from + advance, rangeLow_, rangeHigh_);
        std::optional<double> stop;
        if (rate > 0.0 && hasMoves) {
          const std::optional<double> marked = firstMarkedStop(*path, stops_.bytes(), from, p);
          const std::optional<double> checked = firstFoundStop(checkStops_, stops_.bytes(), from, p);
          stop = marked && checked ? std::min(*marked, *checked) : marked ? marked : checked;
        }
        if (stop) {
          p = *stop;
          playing_ = false;
        }
        moveSlider(p);
        // Playing stops at either end of the range, unless it loops.
        if (!looping && ((rate > 0.0 && p >= rangeHigh_) || (rate < 0.0 && p <= rangeLow_))) playing_ = false;
      }
    }
  }
  assert(slider_ >= 0.0 && slider_ <= 1.0);
  PlayedPosition played;
  played.toolpath = std::move(path);
  played.timeFraction = sliderPosition();
  position_ = played.timeFraction;
  if (!hasMoves) return played;

  const toolpath::Toolpath& toolpath = *played.toolpath;
  played.at = toolpath.positionAt(played.timeFraction, toolpath::Measure::Time);
  if (rangeLow_ > 0.0 || rangeHigh_ < 1.0)
    played.moveLimits = {toolpath.positionAt(rangeLow_, toolpath::Measure::Time).move,
                         toolpath.positionAt(rangeHigh_, toolpath::Measure::Time).move};
  const ToolPose pose{played.at.move, played.at.fraction, toolpath.pointAt(played.at.move, played.at.fraction),
                      toolpath.lineOf(played.at.move), toolpath.entityOf(played.at.move)};
  {
    std::lock_guard lock(poseMutex_);
    pose_ = pose;
  }
  report_.observe(static_cast<int32_t>(pose.line), static_cast<int32_t>(pose.entity));
  for (const auto& [event, value] : report_.due(PositionReport::Clock::now()))
    notifier_.notify(SIM_MESSAGE_NOTIFY, event, value, true);
  return played;
}

void Playback::step(const toolpath::Toolpath* path, uint32_t code) {
  takePending();
  if (!path) return;
  if (const std::optional<double> target = stepTarget(*path, code, sliderPosition())) moveSlider(*target);
}

void Playback::applyStepKeys(const std::vector<StepKey>& keys, const toolpath::Toolpath* path) {
  // A key steps from where the host put the position just before.
  if (!keys.empty()) takePending();
  for (const StepKey& key : keys) {
    if (key.repeat || !path) continue;
    if (key.key == GLFW_KEY_LEFT_BRACKET || key.key == GLFW_KEY_RIGHT_BRACKET) {
      setRangeEndHere(key.key == GLFW_KEY_LEFT_BRACKET);
      continue;
    }
    if (key.key == GLFW_KEY_BACKSLASH) {
      setRange(0.0, 1.0);
      continue;
    }
    std::optional<StepCommand> command;
    switch (key.key) {
      case GLFW_KEY_HOME: command = StepCommand::GoToStart; break;
      case GLFW_KEY_SPACE: command = StepCommand::GoToEnd; break;
      case GLFW_KEY_N: command = StepCommand::NextOperation; break;
      case GLFW_KEY_P: command = StepCommand::PreviousOperation; break;
      default: break;
    }
    if (!command) continue;
    const std::optional<double> target = stepTarget(*path, static_cast<uint32_t>(*command), sliderPosition());
    if (!target) continue;
    moveSlider(*target);
  }
}

}  // namespace view
