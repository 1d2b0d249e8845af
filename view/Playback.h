#pragma once
// Playback: the position slider and its range, the pending position host
// calls ask for, playing and its speed, steps, the tool's pose at the
// position and the report of the current NC line and entity. The render
// thread owns the slider; host calls write the pending position and the
// play state and read the position the last frame played.
#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include <glm/vec3.hpp>

#include "toolpath/Toolpath.h"
#include "view/InputState.h"
#include "view/Notifier.h"
#include "view/PlaybackRules.h"
#include "view/PositionReport.h"
#include "view/StopConditions.h"

namespace view {

// Where one frame plays: a toolpath snapshot and the position on it, for
// everything the frame does with the toolpath.
struct PlayedPosition {
  std::shared_ptr<const toolpath::Toolpath> toolpath;  // none before the first toolpath
  double timeFraction = 0;
  toolpath::PositionAtFraction at;  // move -1 without moves
  // The moves at the ends of the playback range, while it is narrower than
  // the whole toolpath: the toolpath display keeps inside them.
  std::optional<std::pair<int64_t, int64_t>> moveLimits;
};

// Where the tool stands at the played position, as of the last frame; all
// of it from one toolpath snapshot.
struct ToolPose {
  int64_t move = -1;
  double fraction = 0;
  glm::dvec3 tip{0.0};
  uint32_t line = 0, entity = 0;
};

class Playback {
 public:
  explicit Playback(Notifier& notifier) : notifier_(notifier) {}

  // ---- Any thread
  // The position (a time fraction) the next frame moves to.
  void requestPosition(double timeFraction) { pending_ = timeFraction; }
  // -1 when no position waits.
  double pendingPosition() const { return pending_.load(); }
  // The position the last frame played.
  double position() const { return position_.load(); }
  void play() { playing_ = true; }
  void pause() { playing_ = false; }
  bool playing() const { return playing_.load(); }
  // Looping, playing wraps from one end of the range to the other.
  void setLoop(bool on) { loop_ = on; }
  // The speed slider (0.35 stands still, 0.58 real time).
  double speed() const { return speed_.load(); }
  // SIM_UpdateSpeed: each half of the slider keeps its values.
  void updateSpeed(double delta);
  // The speed slider moved by the user (0..1).
  void setSpeed(double v) { speed_ = std::clamp(v, 0.0, 1.0); }
  // The speed slider's length on screen: its last six pixels play without
  // limit (the stand-in length while no slider is drawn).
  void setSpeedSliderPixels(float pixels) { speedPixels_ = pixels; }
  float speedSliderPixels() const { return speedPixels_.load(); }
  ToolPose toolPose() const;
  StopConditions& stopConditions() { return stops_; }
  const StopConditions& stopConditions() const { return stops_; }

  // ---- Render thread
  // The frame's position: the pending one taken, the advance while
  // playing, published with the tool's pose and reported to the host.
  PlayedPosition advance(std::shared_ptr<const toolpath::Toolpath> path, double frameRatio, double intervalMs);
  // A step (SIM_GotoCommand's codes) from the position now, a pending
  // position taken first; nothing without moves.
  void step(const toolpath::Toolpath* path, uint32_t code);
  // Home, Space, N and P step at once, from a pending host position if any;
  // [ and ] set the playback range's start and end at the position, the
  // backslash key gives the whole toolpath back.
  void applyStepKeys(const std::vector<StepKey>& keys, const toolpath::Toolpath* path);
  // The range playing stays in and wraps around, [lo, hi] of the whole
  // toolpath's time; the position stays where it is, moved into the range
  // when it lies outside. An empty or reversed range is refused.
  bool setRange(double lo, double hi);
  // After the cut of a frame that played: the first stop the cut found
  // (see cutStops) since playing began whose condition is on pauses
  // playback there, also before a marked stop the frame already met.
  void stopAtFound(std::span<const FoundStop> found);
  bool playedThisFrame() const { return playedThisFrame_; }
  // The stops the machine check found (see checkStops): playing stops there
  // as it does at the toolpath's marked stops.
  void setCheckStops(std::vector<FoundStop> found) { checkStops_ = std::move(found); }
  std::array<double, 2> range() const { return {rangeLow_, rangeHigh_}; }

 private:
  double sliderPosition() const { return rangeLow_ + (rangeHigh_ - rangeLow_) * slider_; }
  void moveSlider(double position);
  // True when a pending position was taken.
  bool takePending();
  // [ (start) or ] (end) at the position now.
  void setRangeEndHere(bool start);

  Notifier& notifier_;
  std::atomic<double> pending_{-1.0};
  std::atomic<double> position_{0.0};
  std::atomic<double> speed_{0.58};  // real time
  std::atomic<float> speedPixels_{kSpeedSliderPixels};
  std::atomic<bool> playing_{false};
  std::atomic<bool> loop_{false};
  // Render thread: the position slider and its range.
  double slider_ = 0.0, rangeLow_ = 0.0, rangeHigh_ = 1.0;
  // Where playing last began or was moved to: reported stops before it are
  // behind the user.
  double playedFrom_ = 0.0;
  bool wasPlaying_ = false;
  // Whether this frame's advance played: a Play that lands later in the
  // frame must not meet the stops behind the last run's start.
  bool playedThisFrame_ = false;
  StopConditions stops_;
  std::vector<FoundStop> checkStops_;
  PositionReport report_;
  mutable std::mutex poseMutex_;
  ToolPose pose_;  // under poseMutex_
};

}  // namespace view
