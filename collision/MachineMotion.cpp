#include "collision/MachineMotion.h"

#include <algorithm>
#include <cmath>

#include <glm/common.hpp>
#include <glm/geometric.hpp>

namespace collision {
namespace {

constexpr double kDegree = 0.017453292519943295;
constexpr double kTurnStep = 2.0 * kDegree;

glm::dvec3 axesOf(const toolpath::Toolpath& path, int64_t move) {
  const toolpath::ToolpathMove m = path.move(move);
  return {m.axes[0], m.axes[1], m.axes[2]};
}

// The tool turn of a move, radians.
double turnOf(const toolpath::Toolpath& path, int64_t move, bool directionMode) {
  if (move <= 0) return 0.0;
  const glm::dvec3 from = axesOf(path, move - 1), to = axesOf(path, move);
  if (!directionMode) {
    const glm::dvec3 d = glm::abs(to - from);
    return std::max({d.x, d.y, d.z});
  }
  const double lengths = glm::length(from) * glm::length(to);
  if (!(lengths > 0.0)) return 0.0;
  return std::acos(std::clamp(glm::dot(from, to) / lengths, -1.0, 1.0));
}

struct Worst {
  bool any = false;
  MoveViolation v;
};

}  // namespace

glm::dvec3 rotaryAt(const toolpath::Toolpath& path, int64_t move, double fraction, bool directionMode) {
  const glm::dvec3 to = axesOf(path, move);
  if (move <= 0 || fraction >= 1.0) return to;
  const glm::dvec3 from = axesOf(path, move - 1);
  const glm::dvec3 between = from + (to - from) * std::clamp(fraction, 0.0, 1.0);
  if (!directionMode) return between;
  const double length = glm::length(between);
  return length > 0.0 ? between / length : to;
}

std::optional<std::vector<double>> axisValuesAt(const machine::Machine& m, const toolpath::Toolpath& path,
                                                int64_t move, double fraction, double toolLength,
                                                const glm::dvec3& programZero, std::span<const double> state) {
  const bool directionMode = m.kinematics().directionMode();
  const glm::dvec3 tip = path.pointAt(move, fraction);
  return m.solve(tip, rotaryAt(path, move, fraction, directionMode), toolLength, programZero, state);
}

std::vector<MoveViolation> travelViolations(const machine::Machine& m, const toolpath::Toolpath& path,
                                            const ToolLengthAt& toolLength, const glm::dvec3& programZero,
                                            const std::atomic<bool>& stop) {
  std::vector<MoveViolation> list;
  const bool directionMode = m.kinematics().directionMode();
  std::vector<double> state = m.initialState();
  const auto& nodes = m.nodes();
  std::vector<Worst> worst(nodes.size());
  for (int64_t move = 0; move < int64_t(path.moveCount()); ++move) {
    if (stop.load(std::memory_order_relaxed) || list.size() > kViolationListCap) break;
    const double length = toolLength ? toolLength(move) : 0.0;
    const long steps = std::lround(turnOf(path, move, directionMode) / kTurnStep);
    std::vector<double> fractions{0.0};
    for (long i = 1; steps > 1 && i < steps; ++i) fractions.push_back(double(i) / double(steps));
    fractions.push_back(1.0);
    for (Worst& w : worst) w.any = false;
    for (double f : fractions) {
      const auto values = axisValuesAt(m, path, move, f, length, programZero, state);
      if (!values) continue;
      state = *values;
      for (size_t n = 0; n < nodes.size(); ++n) {
        const machine::Axis& axis = *nodes[n].axis;
        if (!axis.limits) continue;
        const double value = machine::isRotary(axis.kind) ? (*values)[n] / kDegree : (*values)[n];
        const double below = axis.limits->first - value, above = value - axis.limits->second;
        const double excess = std::max(below, above);
        if (excess <= kLimitTolerance) continue;
        Worst& w = worst[n];
        if (!w.any) {
          w.any = true;
          w.v = MoveViolation{move, axis.letter, f, f, excess, f, value};
        }
        w.v.lastFraction = f;
        if (excess > w.v.largestExcess) {
          w.v.largestExcess = excess;
          w.v.worstFraction = f;
          w.v.worstValue = value;
        }
      }
    }
    for (const Worst& w : worst)
      if (w.any && list.size() <= kViolationListCap) list.push_back(w.v);
  }
  return list;
}

std::string letterOfCode(int32_t code) {
  static constexpr const char* kLetters[17] = {"A", "B", "C", "X", "Y", "Z", "T", "S", "U",
                                               "V", "W", "A", "B", "C", "J", "J", " "};
  return code >= 0 && code <= 16 ? kLetters[code] : "";
}

}  // namespace collision
