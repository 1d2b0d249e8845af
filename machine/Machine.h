#pragma once
// A loaded machine: its definition, the axes of every part flattened into
// nodes with their parents, the letter slots, the kinematic block, forward
// posing and the inverse solve.
//
// Geometry in the definition (centres, mount positions, model origins) is in
// machine coordinates with every axis at 0. Posing an axis moves everything
// it carries: a linear axis by value along its direction, a rotary one by
// value (radians) about its line. The program (work) frame sits at the end
// of the table's chain, its zero at `programZero` (machine coordinates with
// every axis at 0); the tool hangs from the last tool mount of the head's
// chain along the spindle direction, or with a revolver from the turret
// station, which stays with the revolver's carrier while the turret turns
// the active slot's tool to it.
#include <array>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include <glm/mat4x4.hpp>

#include "machine/KinematicBlock.h"
#include "machine/MachineDefinition.h"

namespace machine {

struct AxisNode {
  const Axis* axis = nullptr;
  int32_t parent = -1;  // -1: the fixed base
  int32_t letterSlot = -1;
};

// A model of the definition and the node that carries it (-1: the base).
struct ModelSlot {
  const ModelEntry* entry = nullptr;
  int32_t node = -1;
};

// A tool mount of the definition: the node that carries it (-1: the base)
// and, with every axis at 0, the direction from a mounted tool's tip
// towards its holder (machine frame).
struct MountSlot {
  const ToolMount* mount = nullptr;
  int32_t node = -1;
  glm::dvec3 toolDirection{0.0, 0.0, 1.0};
  bool onRevolver = false;  // a turret station: its tool is the active slot's
};

// Where the tool is, in the program frame.
struct ToolPose {
  glm::dvec3 tip{0.0};
  glm::dvec3 axis{0.0, 0.0, 1.0};  // from the tip towards the spindle
};

class Machine {
 public:
  Machine(MachineDefinition definition, bool directionMode);
  Machine(const Machine&) = delete;
  Machine& operator=(const Machine&) = delete;

  const MachineDefinition& definition() const { return *definition_; }
  const KinematicBlock& kinematics() const { return *block_; }
  // The block for users that outlive a reload of the machine.
  std::shared_ptr<const KinematicBlock> sharedKinematics() const { return block_; }
  const std::vector<AxisNode>& nodes() const { return nodes_; }
  // The node filed under a letter slot (0-31), or -1.
  int32_t nodeInSlot(int32_t slot) const { return slot >= 0 && slot < 32 ? slots_[slot] : -1; }
  int32_t nodeOf(const Axis* axis) const;

  // Every model of the base, the axes, their mounts and the revolver.
  const std::vector<ModelSlot>& models() const { return models_; }
  // Every tool mount: the top-level ones (turret stations when there is a
  // revolver, else mounts on the head's chain), the revolver's, then the axes'.
  const std::vector<MountSlot>& mounts() const { return mounts_; }
  // The revolver's slot numbers: the machine's tool-number map.
  bool hasSlot(int32_t slotNumber) const { return turnForSlot(slotNumber).has_value(); }

  // Model file coordinates to the machine frame with every axis at 0: the
  // entry's unit, its origin and the machine's model offset.
  glm::dmat4 modelFrame(const ModelEntry& entry) const;

  // Every axis at 0, or at the limit nearest 0 when 0 is outside its limits.
  std::vector<double> initialState() const;
  bool withinLimits(int32_t node, double value) const;

  // Placement of each node (machine frame) at the values, one per node.
  std::vector<glm::dmat4> pose(std::span<const double> values) const;
  // Placement of a node's own models: its pose turned by the axis offset,
  // which aligns the models without moving what the axis carries.
  glm::dmat4 modelPlacement(int32_t node, std::span<const glm::dmat4> poses) const;
  // The program frame in the machine frame: the table chain's end shifted to
  // the program zero.
  glm::dmat4 programFrame(std::span<const glm::dmat4> poses, const glm::dvec3& programZero) const;
  ToolPose toolPose(std::span<const glm::dmat4> poses, const glm::dvec3& programZero, double toolLength) const;

  // Axis values that put the tool tip at `tip` in the program frame. The
  // rotary values are the move's A, B, C (radians), or in direction mode a
  // tool direction solved for the rotary slots. Values of axes that the solve
  // does not drive are taken from `state`. None when the position cannot be
  // reached (the linear axes cannot span the needed motion).
  std::optional<std::vector<double>> solve(const glm::dvec3& tip, const glm::dvec3& rotary, double toolLength,
                                           const glm::dvec3& programZero, std::span<const double> state) const;

  // The revolver's node, or -1 without a revolver.
  int32_t revolverNode() const { return revolverNode_; }
  // The revolver turn that brings a slot to the working position (the
  // revolver's "UpDirection", towards the work); none for a slot it lacks.
  std::optional<double> turnForSlot(int32_t slotNumber) const;
  // Where a slot's tool points once posed (machine frame); none for a slot
  // the revolver lacks.
  std::optional<glm::dvec3> slotDirection(int32_t slotNumber, std::span<const glm::dmat4> poses) const;

  // The home (all axes 0) geometry of the tool: mount point and direction.
  int32_t toolNode() const { return toolNode_; }
  const glm::dvec3& mountPoint() const { return mountPoint_; }
  const glm::dvec3& toolDirection() const { return toolDirection_; }

 private:
  void addTree(const Axis& root, int32_t parent);
  void fileLetters();
  void findTool();
  void collectMounts();
  glm::dvec3 mountDirection(const ToolMount& mount, bool onRevolver) const;
  void solveDirection(const glm::dvec3& direction, std::vector<double>& values) const;
  bool solveLinear(const glm::dvec3& tip, double toolLength, const glm::dvec3& programZero,
                   std::vector<double>& values) const;

  std::unique_ptr<const MachineDefinition> definition_;
  std::shared_ptr<const KinematicBlock> block_;
  std::vector<AxisNode> nodes_;
  std::vector<ModelSlot> models_;
  std::vector<MountSlot> mounts_;
  std::array<int32_t, 32> slots_{};
  int32_t tableEnd_ = -1;
  int32_t revolverNode_ = -1;
  int32_t toolNode_ = -1;
  glm::dvec3 mountPoint_{0.0};
  glm::dvec3 toolDirection_{0.0, 0.0, 1.0};
};

}  // namespace machine
