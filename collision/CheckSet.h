#pragma once
// The objects and pairs of a machine check, numbered densely in the order
// the machine's pairs name them (first come, first numbered).
//
// Machine parts are named by an axis's identifier (all the models it
// carries) or the base's; the workpiece and fixtures are the host's
// geometries of those roles; the tool is the tool in use at each sample,
// with its holder; the revolver's tools are every tool mounted in one of
// its slots, each where its slot has turned to. Revolver tools on a machine
// without a revolver and names that match nothing are unresolved, and pairs
// with an unresolved object are not tested.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <glm/mat4x4.hpp>

#include "collision/CollisionResults.h"
#include "collision/ConvexTree.h"
#include "machine/Machine.h"
#include "machine/ViewMachine.h"

namespace collision {

enum class Carrier : uint8_t { ProgramFrame, MachineNode, Tool, Revolver, None };

struct CheckObject {
  ObjectClass kind = ObjectClass::Unresolved;
  std::string name;
  Carrier carrier = Carrier::None;
  int32_t node = -1;  // MachineNode: the node that carries it, -1 the base
  ConvexTree tree;    // ProgramFrame, MachineNode
};

// A tool as the check sees it: its solid (cutting parts and holder) in
// tool coordinates, the tip at the origin and the axis along +Y.
struct ToolSolid {
  uint64_t hash = 0;
  std::string name;
  double gaugeLength = 0.0;
  int32_t slot = -1;  // the revolver slot it is mounted in, -1 none
  ConvexTree tree;
};

// A tool of the revolver: its index into the set's tools and the turret
// turn that brings its slot to the working position.
struct TurretTool {
  uint32_t tool = 0;
  double turn = 0.0;
};

struct CheckPair {
  uint32_t first = 0, second = 0;
};

struct CheckSet {
  std::vector<CheckObject> objects;
  std::vector<CheckPair> pairs;
  std::vector<ToolSolid> tools;
  std::vector<TurretTool> turretTools;

  bool tested(const CheckPair& pair) const;
};

// What the view hands over, copied or under its locks.
struct CheckSources {
  const machine::Machine* machine = nullptr;
  std::vector<std::shared_ptr<const machine::ModelMesh>> meshes;  // per model of the machine
  machine::IndexedMesh workpiece, fixture;  // program frame, millimetres, every geometry of the role
  std::vector<ToolSolid> tools;             // trees not yet built: meshes in `toolMeshes`
  std::vector<machine::IndexedMesh> toolMeshes;
};

// The English name of a machine part: "Base Model", "Turret", "Spindle",
// "<letter> Axis", else "Machine".
std::string partName(const machine::Machine& m, int32_t node);

// Builds every object's tree (a model's convex pieces, else its surface
// tree) and numbers the hulls. `progress` hears the percent of objects
// built.
CheckSet buildCheckSet(CheckSources sources, const std::function<void(int)>& progress = {});

}  // namespace collision
