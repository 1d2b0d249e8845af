#include "view/PlaybackRules.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "korvane/Korvane.h"
#include "toolpath/Toolpath.h"

namespace view {

double playbackRate(double v, float sliderPixels) {
  if (std::abs(v - kSpeedNeutral) <= 1e-7) return 0.0;
  if (v < kSpeedNeutral) return (1.0 - std::pow(81.0, 1.0 - v / kSpeedNeutral)) * 0.125;
  if (v <= kSpeedRealTime) return (std::pow(16.0, (v - kSpeedNeutral) / (kSpeedRealTime - kSpeedNeutral)) - 1.0) / 15.0;
  const double stop = 1.0 - 6.0 / double(sliderPixels);
  if (v > stop) return std::numeric_limits<double>::max();
  return std::pow(1000.0, (v - kSpeedRealTime) / (stop - kSpeedRealTime));
}

double positionAdvance(double rate, double frameRatio, double intervalMs, std::optional<double> totalTime) {
  const double f = std::min(2.0, frameRatio);
  const double cap = intervalMs / 2500.0 * f;
  if (rate == std::numeric_limits<double>::max()) return cap;
  if (!totalTime || *totalTime <= 1e-9) return f * 6e-5;
  return std::min(cap, f * intervalMs * rate * 0.001 / *totalTime);
}

double speedAfterUpdate(double v, double delta) {
  if (v >= 0.5) return std::max(std::min(v + delta, 1.0), 0.5);
  return std::max(std::min(v - delta, 0.5), 0.0);
}

namespace {

// The time fraction at a length fraction: the move there, and its share
// of that move's time.
double timeAtLengthFraction(const toolpath::Toolpath& path, double lengthFraction) {
  const double total = path.totalTime();
  if (total <= 1e-9) return 0.0;
  const toolpath::PositionAtFraction at = path.positionAt(lengthFraction, toolpath::Measure::Length);
  if (at.move < 0) return 0.0;
  const double before = at.move > 0 ? path.cumulativeTime(at.move - 1) : 0.0;
  const double time = before + at.fraction * (path.cumulativeTime(at.move) - before);
  return time / total;
}

}  // namespace

std::optional<double> progressTarget(const toolpath::Toolpath* path, double value, int32_t mode) {
  switch (mode) {
    case SIM_PROGRESS_TIME_FRACTION:
      return value;
    case SIM_PROGRESS_LENGTH_FRACTION:
      return path ? timeAtLengthFraction(*path, value) : 0.0;
    case SIM_PROGRESS_TIME: {
      const double total = path ? path->totalTime() : 0.0;
      return total <= 1e-9 ? 0.0 : value / total;
    }
    case SIM_PROGRESS_LENGTH: {
      const double length = path ? path->totalLength() : 0.0;
      return length <= 1e-9 ? 0.0 : timeAtLengthFraction(*path, value / length);
    }
    default:
      return std::nullopt;
  }
}

}  // namespace view
