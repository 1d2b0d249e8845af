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

Toolpath Toolpath::withOrientationsOf(const ToolOrientationSource& tools) const {
  auto rebuilt = std::make_shared<std::vector<OrientationEntry>>();
  auto append = [&](uint64_t move, const Mat3& rotation) {
    if (rebuilt->empty() || !sameBytes(rebuilt->back().rotation, rotation)) rebuilt->push_back({move, rotation});
  };
  const std::vector<NamedMove>& changes = host_->toolChanges;
  if (changes.empty() || changes.front().move > 0) {
    const bool firstIsAtStart = !orientations_->empty() && orientations_->front().move == 0;
    append(0, firstIsAtStart ? orientations_->front().rotation : kIdentity3);
  }
  for (const NamedMove& change : changes) {
    const std::optional<Mat3> own = tools.orientationOf(change.nameHash);
    append(change.move, own ? *own : orientationAt(change.move));
  }
  Toolpath path(*this);
  path.orientations_ = std::move(rebuilt);
  if (compensationApplied()) path.compensationCurrent_ = false;
  return path;
}

Toolpath Toolpath::withCompensation(const machine::Kinematics& kinematics) const {
  Toolpath path(*this);
  path.compensationCurrent_ = true;
  // Offsets always go onto the host's own moves, so a new compensation
  // replaces an earlier one instead of adding to it.
  path.moves_ = std::shared_ptr<const Moves>(host_, &host_->moves);
  path.appliedOffsets_.reset();
  const std::vector<CompensationChange>& changes = host_->compensations;
  if (std::all_of(changes.begin(), changes.end(), [](const CompensationChange& c) { return isZero(c.offset); }))
    return path;

  const size_t n = host_->moves.size();
  auto moves = std::make_shared<Moves>(host_->moves);
  auto offsets = std::make_shared<std::vector<glm::vec3>>(n, glm::vec3(0.0f));
  for (size_t entry = 0; entry < changes.size(); ++entry) {
    const CompensationChange& change = changes[entry];
    if (isZero(change.offset)) continue;
    const size_t end = entry + 1 < changes.size() ? changes[entry + 1].firstMove : n;
    for (size_t i = change.firstMove; i < std::min(end, n); ++i) {
      ToolpathMove& move = (*moves)[i];
      glm::dmat4 transform = kinematics.toolTransform({move.axes[0], move.axes[1], move.axes[2]});
      if ((host_->flags[i] & SIM_MOVE_FLAG_TURNING) && kinematics.rebasesTurningMoves())
        transform = kinematics.turningRotation(transform);
      const glm::dmat4 orientation = withoutTranslation(orientationAt(static_cast<int64_t>(i)));
      const glm::dvec3 world(transform * orientation * glm::dvec4(glm::dvec3(change.offset), 1.0));
      (*offsets)[i] = glm::vec3(world);
      shift(move, glm::dvec3((*offsets)[i]));
    }
  }
  path.moves_ = std::move(moves);
  path.appliedOffsets_ = std::move(offsets);
  return path;
}

glm::vec3 Toolpath::appliedOffsetOf(int64_t move) const {
  if (!appliedOffsets_ || move < 0) return glm::vec3(0.0f);
  return (*appliedOffsets_)[clampIndex(move)];
}

}  // namespace toolpath
