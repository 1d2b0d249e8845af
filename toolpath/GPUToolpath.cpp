#include "toolpath/GPUToolpath.h"

#include <algorithm>
#include <cmath>
#include <mutex>

#include <glm/geometric.hpp>
#include <glm/mat3x3.hpp>

#include "toolpath/ToolAxis.h"

namespace toolpath {

namespace {

constexpr uint16_t kHostMarkFlag = 1u << 2;

toolpath::GPUMoveRecord recordAt(const glm::dvec3& p, const glm::dvec3& axis, uint32_t type) {
  return {static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z), static_cast<float>(axis.x),
          static_cast<float>(axis.y), static_cast<float>(axis.z), 0.0f, type};
}

uint32_t kindOf(const Toolpath& toolpath, size_t move, uint32_t type) {
  if (!isCutting(type)) return toolpath::kMoveRapid;
  if (toolpath.spindleOf(static_cast<int64_t>(move)) == 0.0) return toolpath::kMoveStopped;
  if (toolpath.flagsOf(static_cast<int64_t>(move)) & kHostMarkFlag) return toolpath::kMoveMarked;
  return toolpath::kMoveCut;
}

glm::dvec3 vec(const double (&v)[3]) { return {v[0], v[1], v[2]}; }

// How far the tool axis turns while the rotary axes run from one setting to
// another, summed over a few steps so that an axis that swings out and back
// counts both ways.
double axisTurn(const machine::Kinematics& kinematics, const glm::dvec3& from, const glm::dvec3& to,
                const Mat3& orientation) {
  constexpr int kSteps = 8;
  double turn = 0;
  glm::dvec3 previous = toolAxisAt(kinematics, from, orientation);
  for (int s = 1; s <= kSteps; ++s) {
    const glm::dvec3 axis = toolAxisAt(kinematics, from + (to - from) * (double(s) / kSteps), orientation);
    turn += std::acos(std::clamp(glm::dot(previous, axis), -1.0, 1.0));
    previous = axis;
  }
  return turn;
}

// A cut record sweeps the tool with one axis, so a move that turns the axis
// is cut in pieces that each turn it by at most this much. Half a degree
// keeps the ends of a 25 mm reach within about 0.1 mm of the turning tool.
constexpr double kMaxTurnPerRecord = 0.5 * M_PI / 180;
constexpr int kMaxPiecesPerMove = 1024;

int piecesForTurn(const machine::Kinematics& kinematics, const glm::dvec3& from, const glm::dvec3& to,
                  const Mat3& orientation) {
  if (from == to) return 1;
  const double turn = axisTurn(kinematics, from, to, orientation);
  const double pieces = std::ceil(turn / kMaxTurnPerRecord);
  return pieces >= 1 ? static_cast<int>(std::min(pieces, double{kMaxPiecesPerMove})) : 1;
}

}  // namespace

Toolpath::GPUToolpath Toolpath::GPUToolpath::build(const Toolpath& toolpath, const machine::Kinematics& kinematics,
                                                   double chordTolerance) {
  GPUToolpath out;
  const size_t moves = toolpath.moveCount();
  if (moves == 0) return out;
  out.records_.reserve(moves + 1);
  glm::dvec3 previousAxes = vec(toolpath.move(0).axes);
  // The tool appears where the first move ends: nothing is cut on the way
  // from wherever the program assumes it stood before.
  out.records_.push_back(recordAt(vec(toolpath.move(0).end),
                                  toolAxisAt(kinematics, previousAxes, toolpath.orientationAt(0)), toolpath::kMoveRapid));
  out.moveOfRecord_.push_back(0);
  out.endRecord_.resize(moves);
  for (size_t i = 0; i < moves; ++i) {
    const ToolpathMove m = toolpath.move(static_cast<int64_t>(i));
    const Mat3 orientation = toolpath.orientationAt(static_cast<int64_t>(i));
    const ArcGeometry arc = isArc(m.type) ? toolpath.arcOf(static_cast<int64_t>(i)) : ArcGeometry{};
    const int chords =
        arc.valid ? std::max({1, segmentCount(arc.radius, arc.sweep, chordTolerance),
                              piecesForTurn(kinematics, previousAxes, vec(m.axes), orientation)})
                  : 0;
    if (chords > 0) {
      const size_t arcStart = out.records_.size() - 1;
      for (int c = 1; c <= chords; ++c) {
        const double t = double(c) / chords;
        const glm::dvec3 p = c == chords ? vec(m.end) : arc.pointAt(t);
        const glm::dvec3 axes = previousAxes + (vec(m.axes) - previousAxes) * t;
        const uint32_t back = static_cast<uint32_t>(out.records_.size() - arcStart);
        const uint32_t type = toolpath::kMoveMarked | (c == 1 ? toolpath::kContinuation : 0u) | back << GPU_MOVE_BACK_SHIFT;
        out.records_.push_back(recordAt(p, toolAxisAt(kinematics, axes, orientation), type));
        out.moveOfRecord_.push_back(static_cast<uint32_t>(i));
      }
    } else {
      // The tip runs straight while the rotary axes turn evenly.
      const glm::dvec3 from = i == 0 ? vec(m.end) : vec(toolpath.move(static_cast<int64_t>(i) - 1).end);
      const glm::dvec3 turn = vec(m.axes) - previousAxes;
      const int pieces = piecesForTurn(kinematics, previousAxes, vec(m.axes), orientation);
      for (int p = 1; p <= pieces; ++p) {
        const double t = double(p) / pieces;
        const glm::dvec3 at = p == pieces ? vec(m.end) : from + (vec(m.end) - from) * t;
        out.records_.push_back(recordAt(at, toolAxisAt(kinematics, previousAxes + turn * t, orientation),
                                        kindOf(toolpath, i, m.type)));
        out.moveOfRecord_.push_back(static_cast<uint32_t>(i));
      }
    }
    out.endRecord_[i] = static_cast<uint32_t>(out.records_.size() - 1);
    previousAxes = vec(m.axes);
  }
  return out;
}

bool Toolpath::GPUToolpath::setParameter(size_t move, float value, bool turning) {
  const uint32_t first = move == 0 ? 0 : endRecord_[move - 1] + 1;
  bool changed = false;
  for (uint32_t k = first; k <= endRecord_[move]; ++k) {
    GPUMoveRecord& r = records_[k];
    changed = changed || r.parameter != value;
    r.parameter = value;
    if (turning && r.i == 0 && r.j == 0 && r.k == 1) {
      if (turnedAxes_.empty()) turnedAxes_.resize(records_.size(), false);
      turnedAxes_[k] = true;
      r.i = 1, r.k = 0;
      changed = true;
    } else if (!turning && !turnedAxes_.empty() && turnedAxes_[k]) {
      turnedAxes_[k] = false;  // another table's tool: the axis comes back
      r.i = 0, r.k = 1;
      changed = true;
    }
  }
  return changed;
}

}  // namespace toolpath
