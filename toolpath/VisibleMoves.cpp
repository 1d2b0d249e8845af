#include "toolpath/VisibleMoves.h"

#include <algorithm>
#include <cmath>

#include <glm/geometric.hpp>

#include "toolpath/ToolAxis.h"

namespace toolpath {

namespace {

constexpr double kEqual = 1e-9;
constexpr int64_t kTail = 1000;

class Levels {
 public:
  Levels(const Toolpath& toolpath, const machine::Kinematics& kinematics)
      : toolpath_(toolpath), kinematics_(kinematics) {}

  double z(int64_t move) const { return toolpath_.move(move).end[2]; }
  double level(int64_t move) const {
    const ToolpathMove m = toolpath_.move(move);
    const glm::dvec3 axis = toolAxisAt(kinematics_, {m.axes[0], m.axes[1], m.axes[2]}, kIdentity3);
    return glm::dot(glm::dvec3(m.end[0], m.end[1], m.end[2]), axis);
  }

  // The latest move before c whose value differs from c's; none when no move does.
  template <typename Value>
  std::optional<int64_t> latestDiffering(int64_t c, Value value) const {
    const double at = value(c);
    for (int64_t i = c - 1; i >= 0; --i)
      if (std::fabs(value(i) - at) > kEqual) return i;
    return std::nullopt;
  }
  template <typename Value>
  std::optional<int64_t> firstDiffering(int64_t c, int64_t last, Value value) const {
    const double at = value(c);
    for (int64_t i = c + 1; i <= last; ++i)
      if (std::fabs(value(i) - at) > kEqual) return i;
    return std::nullopt;
  }

 private:
  const Toolpath& toolpath_;
  const machine::Kinematics& kinematics_;
};

// The first move of the current tool's run: back over the moves that add
// no length to the current one, then the latest tool change before that.
int64_t sinceToolChange(const Toolpath& toolpath, int64_t c) {
  int64_t back = c;
  while (back > 0 && toolpath.cumulativeLength(back - 1) == toolpath.cumulativeLength(c)) --back;
  int64_t first = 0;
  for (const NamedMove& change : toolpath.toolChanges())
    if (static_cast<int64_t>(change.move) <= back && static_cast<int64_t>(change.move) != back)
      first = std::max<int64_t>(first, change.move);
  return first;
}

}  // namespace

MoveWindow visibleMoves(const Toolpath& toolpath, const machine::Kinematics& kinematics, const WindowRequest& request) {
  MoveWindow window;
  const int64_t last = static_cast<int64_t>(toolpath.moveCount()) - 1;
  window.last = last;
  if (last < 0) return window;
  const int64_t c = std::clamp<int64_t>(request.current, 0, last);
  const Levels levels(toolpath, kinematics);
  const auto z = [&](int64_t i) { return levels.z(i); };
  const auto level = [&](int64_t i) { return levels.level(i); };
  switch (request.hasInterface ? request.mode : 0) {
    case 1: window.last = c; break;
    case 3: window.first = c; break;
    case 4:
      window.first = std::min(levels.latestDiffering(c, z).value_or(0), levels.latestDiffering(c, level).value_or(0));
      window.last = std::max(levels.firstDiffering(c, last, z).value_or(last),
                             levels.firstDiffering(c, last, level).value_or(last));
      break;
    case 5: {
      const std::optional<int64_t> lower = levels.latestDiffering(c, z);
      window.first = lower ? std::min(*lower, levels.latestDiffering(c, level).value_or(0)) : 0;
      window.last = c;
      break;
    }
    case 6:
      window.first = c > kTail ? c - kTail : 0;
      window.last = c;
      break;
    case 7:
      window.first = 0;
      for (int64_t i = c; i >= 0; --i)
        if (toolpath.move(i).type == Rapid) {
          window.first = i;
          break;
        }
      window.last = c;
      break;
    case 8:
      window.first = sinceToolChange(toolpath, c);
      window.last = c;
      break;
    case 9:
      window.last = c;
      window.markCurrent = true;
      break;
    case 10: {
      const uint32_t op = toolpath.operationAt(c, request.playbackFraction);
      if (op < toolpath.operationCount()) {
        window.first = toolpath.operation(op).first;
        window.last = op + 1 < toolpath.operationCount() ? toolpath.operation(op + 1).first : last;
      }
      break;
    }
    default: break;  // 0, 2 and unknown modes: everything
  }
  if (request.limits && request.limits->first >= 0 && request.limits->second >= 0) {
    const auto [low, high] = *request.limits;
    window.first = std::clamp(window.first, low, std::max(low, high));
    window.last = std::clamp(window.last, low, std::max(low, high));
  }
  window.first = std::clamp<int64_t>(window.first, 0, last);
  window.last = std::clamp<int64_t>(window.last, 0, last);
  return window;
}

}  // namespace toolpath
