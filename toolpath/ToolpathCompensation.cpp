// Tool orientations along the toolpath and the cutter compensation offsets
// that move end points and arc centres.
#include <algorithm>
#include <cmath>
#include <cstring>

#include <glm/mat4x4.hpp>
#include <glm/vec4.hpp>

#include "machine/Kinematics.h"
#include "toolpath/Toolpath.h"

namespace toolpath {

using Lock = std::lock_guard<std::recursive_mutex>;

namespace {

glm::dmat4 withoutTranslation(const Mat3& rowByRow) {
  glm::dmat4 m(1.0);
  for (int row = 0; row < 3; ++row)
    for (int col = 0; col < 3; ++col) m[col][row] = rowByRow[row * 3 + col];
  return m;
}

bool sameBytes(const Mat3& a, const Mat3& b) { return std::memcmp(a.data(), b.data(), sizeof(Mat3)) == 0; }

bool isZero(const glm::vec3& offset) {
  return std::abs(offset.x) <= 1e-7f && std::abs(offset.y) <= 1e-7f && std::abs(offset.z) <= 1e-7f;
}

void shift(ToolpathMove& move, const glm::dvec3& by) {
  for (int k = 0; k < 3; ++k) {
    move.end[k] += by[k];
    move.centre[k] += by[k];
  }
}

}  // namespace

void Toolpath::rebuildOrientations(const ToolOrientationSource& tools) {
  Lock lock(mutex_);
  std::vector<OrientationEntry> rebuilt;
  auto append = [&](uint64_t move, const Mat3& rotation) {
    if (rebuilt.empty() || !sameBytes(rebuilt.back().rotation, rotation)) rebuilt.push_back({move, rotation});
  };
  if (d_.toolChanges.empty() || d_.toolChanges.front().move > 0) {
    const bool firstIsAtStart = !d_.orientations.empty() && d_.orientations.front().move == 0;
    append(0, firstIsAtStart ? d_.orientations.front().rotation : kIdentity3);
  }
  for (const NamedMove& change : d_.toolChanges) {
    const std::optional<Mat3> own = tools.orientationOf(change.nameHash);
    append(change.move, own ? *own : orientationAt(change.move));
  }
  d_.orientations = std::move(rebuilt);
  if (!d_.appliedOffsets.empty()) d_.compensationCurrent = false;
}

void Toolpath::undoCompensation() {
  if (d_.appliedOffsets.size() == d_.moves.size())
    for (size_t i = 0; i < d_.moves.size(); ++i) shift(d_.moves[i], -glm::dvec3(d_.appliedOffsets[i]));
  d_.appliedOffsets.clear();
}

void Toolpath::applyCompensation(const machine::Kinematics& kinematics) {
  Lock lock(mutex_);
  if (d_.compensationCurrent) return;
  undoCompensation();
  d_.compensationCurrent = true;
  if (std::all_of(d_.compensations.begin(), d_.compensations.end(),
                  [](const CompensationChange& c) { return isZero(c.offset); }))
    return;

  const size_t n = d_.moves.size();
  d_.appliedOffsets.assign(n, glm::vec3(0.0f));
  for (size_t entry = 0; entry < d_.compensations.size(); ++entry) {
    const CompensationChange& change = d_.compensations[entry];
    if (isZero(change.offset)) continue;
    const size_t end = entry + 1 < d_.compensations.size() ? d_.compensations[entry + 1].firstMove : n;
    for (size_t i = change.firstMove; i < std::min(end, n); ++i) {
      ToolpathMove& move = d_.moves[i];
      glm::dmat4 transform = kinematics.toolTransform({move.axes[0], move.axes[1], move.axes[2]});
      if ((d_.flags[i] & SIM_MOVE_FLAG_TURNING) && kinematics.rebasesTurningMoves())
        transform = kinematics.turningRotation(transform);
      const glm::dmat4 orientation = withoutTranslation(orientationAt(static_cast<int64_t>(i)));
      const glm::dvec3 world(transform * orientation * glm::dvec4(glm::dvec3(change.offset), 1.0));
      // The stored offset is what is added, so removing it restores the move.
      d_.appliedOffsets[i] = glm::vec3(world);
      shift(move, glm::dvec3(d_.appliedOffsets[i]));
    }
  }
}

bool Toolpath::compensationApplied() const {
  Lock lock(mutex_);
  return !d_.appliedOffsets.empty();
}

bool Toolpath::compensationCurrent() const {
  Lock lock(mutex_);
  return d_.compensationCurrent;
}

glm::vec3 Toolpath::appliedOffsetOf(int64_t move) const {
  Lock lock(mutex_);
  if (d_.appliedOffsets.empty() || move < 0) return glm::vec3(0.0f);
  return d_.appliedOffsets[clampIndex(move)];
}

}  // namespace toolpath
