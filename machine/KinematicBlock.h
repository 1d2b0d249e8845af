#pragma once
// The kinematics a loaded machine gives the toolpath: which rotary axes turn
// the tool against the work, found by walking the table's and the head's
// chains, and the tool orientation at a move's A, B, C values.
#include <array>
#include <cstdint>
#include <mutex>

#include "machine/Kinematics.h"
#include "machine/MachineDefinition.h"

namespace machine {

class KinematicBlock final : public Kinematics {
 public:
  struct Slot {
    int32_t valueIndex = -1;  // 0, 1, 2 for A, B, C; -1: no axis
    glm::dvec3 direction{0.0};
    int32_t letter = 0;
    const Axis* axis = nullptr;
    bool used() const { return valueIndex >= 0; }
  };

  // directionMode: the moves' rotary values are tool directions (i, j, k).
  KinematicBlock(const MachineDefinition& definition, bool directionMode);

  glm::dmat4 toolTransform(const glm::dvec3& axes) const override;
  // On a lathe turning moves turn the tool about the spindle only.
  bool rebasesTurningMoves() const override { return turningRebase_; }
  glm::dmat4 turningRotation(const glm::dmat4& transform) const override;

  // Slots 1 and 2 (index 0 is unused).
  const Slot& slot(int number) const { return slots_[number]; }
  const glm::dmat4& offsetMatrix() const { return offset_; }
  // Index (0-2) of the last A, B or C rotary axis on the table, or -1.
  int32_t tableLetterIndex() const { return tableLetterIndex_; }
  bool directionMode() const { return directionMode_; }

 private:
  void walkTable(const Axis& root);
  void walkHead(const Axis& root);
  void takeSpindle(const Axis& axis);
  glm::dmat4 compute(const glm::dvec3& axes) const;

  std::array<Slot, 3> slots_{};
  glm::dmat4 offset_{1.0};
  int32_t tableLetterIndex_ = -1;
  bool directionMode_ = false;
  bool turningRebase_ = false;

  mutable std::mutex cacheMutex_;
  mutable glm::dvec3 cachedAxes_;
  mutable glm::dmat4 cachedTransform_{1.0};
};

// R(axis, angle): the right-handed rotation about a unit axis through the
// origin, acting on column vectors.
glm::dmat4 rotationAbout(const glm::dvec3& axis, double angle);

}  // namespace machine
