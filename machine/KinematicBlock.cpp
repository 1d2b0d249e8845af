#include "machine/KinematicBlock.h"

#include <cmath>
#include <limits>

#include <glm/geometric.hpp>
#include <glm/gtc/matrix_transform.hpp>

#include "machine/AxisLetters.h"
#include "machine/ChainMask.h"

namespace machine {
namespace {

glm::dvec3 singlePrecision(const glm::dvec3& v) { return glm::dvec3(glm::vec3(v)); }

KinematicBlock::Slot slotFor(const Axis& axis, bool onTable) {
  KinematicBlock::Slot slot;
  slot.valueIndex = rotaryValueIndex(axis.letter);
  slot.letter = axis.letter;
  slot.axis = &axis;
  slot.direction = singlePrecision(onTable ? axis.direction : -axis.direction);
  return slot;
}

template <typename Visit>
void walkChain(const Axis& root, Visit&& visit) {
  for (const Axis* axis = &root; axis; axis = nextOnChain(*axis)) visit(*axis);
}

}  // namespace

glm::dmat4 rotationAbout(const glm::dvec3& axis, double angle) { return glm::rotate(glm::dmat4(1.0), angle, axis); }

KinematicBlock::KinematicBlock(const MachineDefinition& definition, bool directionMode)
    : directionMode_(directionMode), turningRebase_(definition.orientation == Orientation::Lathe) {
  const double largest = std::numeric_limits<double>::max();
  cachedAxes_ = glm::dvec3(largest);
  if (definition.table) walkTable(*definition.table);
  if (definition.head) walkHead(*definition.head);
}

void KinematicBlock::walkTable(const Axis& root) {
  int found = 0;
  walkChain(root, [&](const Axis& axis) {
    if (axis.kind == AxisKind::Spindle) takeSpindle(axis);
    if (axis.kind != AxisKind::Rotation) return;
    if (found == 0) slots_[2] = slotFor(axis, true);
    if (found == 1) slots_[1] = slotFor(axis, true);
    ++found;
    if (axis.letter >= 0 && axis.letter <= 2) tableLetterIndex_ = axis.letter;
  });
  // A lone table axis turns the work directly: it is slot 1.
  if (found == 1) std::swap(slots_[1], slots_[2]);
}

void KinematicBlock::walkHead(const Axis& root) {
  walkChain(root, [&](const Axis& axis) {
    if (axis.kind == AxisKind::Spindle) takeSpindle(axis);
    if (axis.kind != AxisKind::Rotation) return;
    if (!slots_[1].used()) {
      slots_[1] = slotFor(axis, false);
    } else if (!slots_[2].used()) {
      slots_[2] = slotFor(axis, false);
    }
  });
}

void KinematicBlock::takeSpindle(const Axis& axis) {
  const glm::dvec3 d = axis.direction;
  if (std::fabs(d.x) <= 1e-9 && std::fabs(d.y) <= 1e-9 && std::fabs(std::fabs(d.z) - 1.0) <= 1e-9) {
    offset_ = glm::dmat4(1.0);
    return;
  }
  const glm::dvec3 u = glm::normalize(glm::dvec3(d.y, -d.x, 0.0));
  const glm::dvec3 v = glm::normalize(glm::cross(d, u));
  offset_ = glm::dmat4(glm::dvec4(u, 0.0), glm::dvec4(v, 0.0), glm::dvec4(d, 0.0), glm::dvec4(0.0, 0.0, 0.0, 1.0));
}

glm::dmat4 KinematicBlock::toolTransform(const glm::dvec3& axes) const {
  std::lock_guard lock(cacheMutex_);
  if (axes != cachedAxes_) {
    cachedTransform_ = compute(axes);
    cachedAxes_ = axes;
  }
  return cachedTransform_;
}

glm::dmat4 KinematicBlock::compute(const glm::dvec3& axes) const {
  if (directionMode_) {
    const glm::vec3 given = glm::vec3(axes);
    const float length = glm::length(given);
    if (!(length > 0.0f) || !std::isfinite(length)) return glm::dmat4(1.0);
    const glm::dvec3 d = glm::dvec3(given / length);
    const glm::dvec3 first = std::fabs(d.z) > 0.9 ? glm::normalize(glm::dvec3(d.z, 0.0, -d.x))
                                                   : glm::normalize(glm::dvec3(d.y, -d.x, 0.0));
    const glm::dvec3 second = glm::cross(first, d);
    return glm::dmat4(glm::dvec4(first, 0.0), glm::dvec4(second, 0.0), glm::dvec4(d, 0.0), glm::dvec4(0, 0, 0, 1));
  }
  glm::dmat4 m(1.0);
  for (int s = 1; s <= 2; ++s)
    if (slots_[s].used()) m = m * rotationAbout(slots_[s].direction, -axes[slots_[s].valueIndex]);
  return m * offset_;
}

// The turn of the tool about the spindle (Z) that the transform gives its
// first axis; a turning tool keeps its plane and only swings round the work.
glm::dmat4 KinematicBlock::turningRotation(const glm::dmat4& transform) const {
  const glm::dvec3 first(transform[0]);
  if (std::hypot(first.x, first.y) < 1e-12) return glm::dmat4(1.0);
  return rotationAbout(glm::dvec3(0.0, 0.0, 1.0), std::atan2(first.y, first.x));
}

}  // namespace machine
