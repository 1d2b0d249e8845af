#pragma once
// One tool of the table, built from the host's 400-byte record: its parts
// with profiles and meshes, the cutting shape, box, mount point, holder and
// orientation.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <glm/mat3x3.hpp>
#include <glm/vec3.hpp>
#include <glm/vec4.hpp>

#include "korvane/Korvane.h"
#include "tools/CutterShape.h"
#include "tools/Holder.h"
#include "tools/PackedMesh.h"
#include "tools/PartMesh.h"
#include "tools/Profile.h"

namespace tools {

struct ToolPartShape {
  uint32_t kind = SIM_PART_CUTTING;
  uint32_t profileKind = SIM_PROFILE_REVOLVED;
  PartPlacement placement;
  Profile profile;
  PackedMesh mesh;
};

// The part kind the extra profile comes in (turning inserts and the like).
inline constexpr uint32_t kExtraProfilePart = SIM_PART_EXTRA_PROFILE;

struct Tool {
  uint64_t identifierHash = 0;
  std::string identifier;   // UTF-8
  std::string description;  // UTF-8
  uint32_t number = 0;
  uint32_t machineNumber = 0;
  bool machineNumberKnown = false;
  glm::vec4 colour{0.72f, 0.74f, 0.78f, 1.0f};
  bool ownColour = false;
  std::vector<ToolPartShape> parts;
  CutterShape cutter;
  MeshBox box;
  glm::dvec3 mountPoint{0.0};  // millimetres, holder coordinates
  int32_t holderIndex = -1;    // as the record gave it, -1 when it names no holder
  const HolderGeometry* holder = nullptr;
  // Present when the tool stands at an angle to the spindle: its cutting
  // part's axis is not +Y.
  std::optional<glm::dmat3> orientation;
  uint32_t mountingSide = 0, mountingSide2 = 0;
  // Turning tools: the cutting shape (SIM_TURNING_*, 0 for none) and the
  // insert side (-1 mirrored).
  uint32_t turning = SIM_TURNING_NONE;
  int32_t insertSide = 0;

  const ToolPartShape* part(uint32_t kind) const;
};

// Builds a tool; lengths from host units by unitScale.
Tool buildTool(const SIM_ToolRecord& record, const HolderGeometry* holder, int32_t holderIndex, double unitScale);

// The rotation taking +Y onto axis along the shortest arc.
glm::dmat3 rotationFromToolAxis(const glm::dvec3& axis);

}  // namespace tools
