#include "toolpath/GPUToolpath.h"

#include <algorithm>
#include <mutex>

#include <glm/geometric.hpp>
#include <glm/mat3x3.hpp>

namespace toolpath {

namespace {

constexpr uint16_t kHostMarkFlag = 1u << 2;

// The tool frame (+Y from the tip into the holder) seen from the spindle
// (+Z): x stays, y becomes z, z becomes -y.
const glm::dmat3 kToolToSpindle(glm::dvec3(1, 0, 0), glm::dvec3(0, 0, 1), glm::dvec3(0, -1, 0));

glm::dmat3 matrixOf(const Mat3& rows) {
  glm::dmat3 m;
  for (int row = 0; row < 3; ++row)
    for (int column = 0; column < 3; ++column) m[column][row] = rows[3 * row + column];
  return m;
}

glm::dvec3 toolAxis(const machine::Kinematics& kinematics, const glm::dvec3& axes, const Mat3& orientation) {
  const glm::dvec3 inSpindle = kToolToSpindle * (matrixOf(orientation) * glm::dvec3(0, 1, 0));
  const glm::dvec3 axis = glm::dmat3(kinematics.toolTransform(axes)) * inSpindle;
  const double length = glm::length(axis);
  return length > 0 ? axis / length : glm::dvec3(0, 0, 1);
}

stock::GPUMoveRecord recordAt(const glm::dvec3& p, const glm::dvec3& axis, uint32_t type) {
  return {static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z), static_cast<float>(axis.x),
          static_cast<float>(axis.y), static_cast<float>(axis.z), 0.0f, type};
}

uint32_t kindOf(const Toolpath& toolpath, size_t move, uint32_t type) {
  if (!isCutting(type)) return stock::kMoveRapid;
  if (toolpath.spindleOf(static_cast<int64_t>(move)) == 0.0) return stock::kMoveStopped;
  if (toolpath.flagsOf(static_cast<int64_t>(move)) & kHostMarkFlag) return stock::kMoveMarked;
  return stock::kMoveCut;
}

glm::dvec3 vec(const double (&v)[3]) { return {v[0], v[1], v[2]}; }

}  // namespace

Toolpath::GPUToolpath Toolpath::GPUToolpath::build(const Toolpath& toolpath, const machine::Kinematics& kinematics,
                                                   double chordTolerance) {
  std::lock_guard lock(toolpath.mutex());
  GPUToolpath out;
  const size_t moves = toolpath.moveCount();
  if (moves == 0) return out;
  out.records_.reserve(moves + 1);
  glm::dvec3 previousAxes = vec(toolpath.move(0).axes);
  // The tool appears where the first move ends: nothing is cut on the way
  // from wherever the program assumes it stood before.
  out.records_.push_back(recordAt(vec(toolpath.move(0).end),
                                  toolAxis(kinematics, previousAxes, toolpath.orientationAt(0)), stock::kMoveRapid));
  out.moveOfRecord_.push_back(0);
  out.endRecord_.resize(moves);
  for (size_t i = 0; i < moves; ++i) {
    const ToolpathMove m = toolpath.move(static_cast<int64_t>(i));
    const Mat3 orientation = toolpath.orientationAt(static_cast<int64_t>(i));
    const ArcGeometry arc = isArc(m.type) ? toolpath.arcOf(static_cast<int64_t>(i)) : ArcGeometry{};
    const int chords = arc.valid ? std::max(1, segmentCount(arc.radius, arc.sweep, chordTolerance)) : 0;
    if (chords > 0) {
      const size_t arcStart = out.records_.size() - 1;
      for (int c = 1; c <= chords; ++c) {
        const double t = double(c) / chords;
        const glm::dvec3 p = c == chords ? vec(m.end) : arc.pointAt(t);
        const glm::dvec3 axes = previousAxes + (vec(m.axes) - previousAxes) * t;
        const uint32_t back = static_cast<uint32_t>(out.records_.size() - arcStart);
        const uint32_t type = stock::kMoveMarked | (c == 1 ? stock::kContinuation : 0u) | back << 8;
        out.records_.push_back(recordAt(p, toolAxis(kinematics, axes, orientation), type));
        out.moveOfRecord_.push_back(static_cast<uint32_t>(i));
      }
    } else {
      out.records_.push_back(
          recordAt(vec(m.end), toolAxis(kinematics, vec(m.axes), orientation), kindOf(toolpath, i, m.type)));
      out.moveOfRecord_.push_back(static_cast<uint32_t>(i));
    }
    out.endRecord_[i] = static_cast<uint32_t>(out.records_.size() - 1);
    previousAxes = vec(m.axes);
  }
  return out;
}

}  // namespace toolpath
