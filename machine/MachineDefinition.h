#pragma once
// A machine as its definition describes it: a fixed base, a head and a
// table, each a tree of axes carrying models and tool mounts, an optional
// revolver, the parts to check against each other and the tool change
// positions. Lengths are millimetres, directions unit vectors, rotary
// offsets and speeds radians; rotary limits stay in degrees.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <glm/vec3.hpp>

namespace machine {

enum class AxisKind : uint8_t { Linear = 0, Rotation = 1, Turret = 2, Spindle = 3, Collinear = 4 };

constexpr bool isRotary(AxisKind kind) { return kind != AxisKind::Linear && kind != AxisKind::Collinear; }

// Which part of the machine a node, model or mount belongs to.
enum class PartGroup : uint8_t { Base = 0, Head = 1, Table = 2, Revolver = 3 };

enum class Orientation : uint8_t { Vertical = 0, Horizontal = 1, Lathe = 2 };

enum class Mounting : uint8_t { Fixed = 0, Adjustable = 1, Tailstock = 2 };

struct ModelEntry {
  std::string path;
  std::string id;
  double unitScale = 1.0;  // millimetres per unit of the model file
  std::optional<glm::dvec3> color;  // none: the theme's machine colour
  Mounting mounting = Mounting::Fixed;
  glm::dvec3 origin{0.0};
  PartGroup part = PartGroup::Base;

  bool operator==(const ModelEntry&) const = default;
};

enum class MountType : uint8_t { Mill = 0, TurnShank = 1, Custom = 2 };
enum class MountOrientation : uint8_t { Face = 0, Cross = 1, Other = 2, Direction = 3 };
enum class ToolSide : uint8_t { Either = 0, Left = 1, Right = 2, Both = 3 };
enum class InsertSide : uint8_t { Either = 0, Front = 1, Back = 2 };
enum class SlotSet : uint8_t { All = 0, Odd = 1, Even = 2, Custom = 3, Listed = 4 };

struct ToolMount {
  std::string id;
  MountType type = MountType::Mill;
  MountOrientation orientation = MountOrientation::Face;
  glm::dvec3 direction{0.0, 0.0, 1.0};  // read for Direction mounts only
  ToolSide toolSide = ToolSide::Either;
  InsertSide insertSide = InsertSide::Either;
  glm::dvec3 position{0.0};
  std::optional<glm::dvec3> secondPosition;
  SlotSet slots = SlotSet::All;
  std::vector<int32_t> slotNumbers;  // for Listed
  std::vector<ModelEntry> models;    // holder models

  bool operator==(const ToolMount&) const = default;
};

// A chuck's jaws as read; the jaw axes themselves are children of the
// clamping axis.
struct Clamp {
  int32_t jaws = 3;
  double startAngle = 0.0;  // radians
  std::string letter = "J";

  bool operator==(const Clamp&) const = default;
};

struct Axis {
  std::string id;
  glm::dvec3 direction{0.0, 0.0, 1.0};
  glm::dvec3 center{0.0};
  AxisKind kind = AxisKind::Linear;
  int32_t letter = 17;  // see AxisLetters.h
  // Linear and collinear limits in millimetres, rotary ones in degrees.
  std::optional<std::pair<double, double>> limits;
  double maxSpeed = 0.0;  // per second; 0 when not given
  double offset = 0.0;    // radians for rotary and spindle axes
  bool stockCollisions = false;
  std::optional<Clamp> clamp;
  // Bit 0: the axis carries the part's kinematic chain onward (see
  // ChainMask.h).
  uint32_t chainMask = 0;
  PartGroup part = PartGroup::Base;
  std::vector<Axis> children;
  std::vector<ToolMount> mounts;
  std::vector<ModelEntry> models;

  bool operator==(const Axis&) const = default;
};

struct RevolverSlot {
  int32_t number = 0;
  double angle = 0.0;  // radians

  bool operator==(const RevolverSlot&) const = default;
};

struct Revolver {
  Axis axis;  // kind Turret
  std::string mountAxisLetter;
  glm::dvec3 upDirection{0.0, 0.0, 1.0};
  std::vector<RevolverSlot> slots;

  bool operator==(const Revolver&) const = default;
};

// Collision pair members: the workpiece, fixtures, a machine part by its
// identifier, the tool, the revolver's tools; Unresolved never matches.
enum class PairMember : uint8_t { Workpiece = 0, Fixture = 1, Part = 2, Tool = 3, RevolverTools = 4, Unresolved = 6 };

struct PairEnd {
  PairMember member = PairMember::Unresolved;
  std::string name;

  bool operator==(const PairEnd&) const = default;
};

struct CollisionPair {
  PairEnd first, second;

  bool operator==(const CollisionPair&) const = default;
};

// Where the machine goes to change tools: linear axes in millimetres,
// rotary axes in radians.
struct ToolchangePosition {
  double x = 0.0, y = 0.0, z = 0.0;
  double a = 0.0, b = 0.0, c = 0.0;

  bool operator==(const ToolchangePosition&) const = default;
};
static_assert(sizeof(ToolchangePosition) == 48, "a tool change position is 48 bytes");

struct NamedToolchangePosition {
  std::string name;
  ToolchangePosition position;

  bool operator==(const NamedToolchangePosition&) const = default;
};

struct MachineDefinition {
  double lengthScale = 1.0;  // millimetres per unit of the file
  Orientation orientation = Orientation::Vertical;
  glm::dvec3 defaultViewDirection{-1.0, -1.0, -1.0};  // display frame
  glm::dvec3 tableCenter{0.0};
  glm::dvec3 modelOffset{0.0};
  std::string baseId;
  std::vector<ModelEntry> base;
  std::optional<Axis> head;
  std::optional<Axis> table;
  std::optional<Revolver> revolver;
  std::vector<ToolMount> mounts;  // top-level mounts
  std::vector<CollisionPair> collisionPairs;
  std::vector<NamedToolchangePosition> toolchangePositions;

  bool operator==(const MachineDefinition&) const = default;
};

}  // namespace machine
