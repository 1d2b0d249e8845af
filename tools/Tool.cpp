#include "tools/Tool.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <glm/geometric.hpp>
#include <glm/gtx/rotate_vector.hpp>

#include "common/Fnv1a.h"

namespace tools {

namespace {

constexpr double kAxisSnap = 0.0002;

std::string textOf(const char* text, size_t capacity) { return std::string(text, strnlen(text, capacity)); }

bool isToolAxis(const glm::dvec3& axis) {
  return std::abs(axis.x) <= kAxisSnap && std::abs(axis.y - 1) <= kAxisSnap && std::abs(axis.z) <= kAxisSnap;
}

}  // namespace

const ToolPartShape* Tool::part(uint32_t kind) const {
  for (const ToolPartShape& p : parts)
    if (p.kind == kind && !p.profile.empty()) return &p;
  return nullptr;
}

glm::dmat3 rotationFromToolAxis(const glm::dvec3& axis) {
  const glm::dvec3 from(0, 1, 0);
  const glm::dvec3 to = glm::normalize(axis);
  const glm::dvec3 turn = glm::cross(from, to);
  const double s = glm::length(turn), c = glm::dot(from, to);
  if (s < 1e-12) return c > 0 ? glm::dmat3(1.0) : glm::dmat3(glm::dvec3(-1, 0, 0), glm::dvec3(0, -1, 0), glm::dvec3(0, 0, 1));
  return glm::dmat3(glm::rotate(glm::dmat4(1.0), std::atan2(s, c), turn / s));
}

Tool buildTool(const SIM_ToolRecord& record, const HolderGeometry* holder, int32_t holderIndex, double unitScale) {
  Tool tool;
  tool.identifier = textOf(record.name, 37);
  tool.identifierHash = common::fnv1a64(tool.identifier);
  tool.description = textOf(record.description, sizeof record.description);
  tool.number = record.number;
  tool.machineNumber = record.machineNumber;
  tool.ownColour = record.ownColour != 0;
  if (tool.ownColour) tool.colour = glm::vec4(record.colour[0], record.colour[1], record.colour[2], 1.0f);
  tool.holder = holder;
  tool.holderIndex = holderIndex;
  tool.mountingSide = record.mountingSide;
  tool.mountingSide2 = record.mountingSide2;
  // An unknown turning code makes no turning tool.
  if (record.turning >= SIM_TURNING_TURN && record.turning <= SIM_TURNING_THREAD) tool.turning = record.turning;
  tool.insertSide = record.insertSide < 0 ? -1 : 1;
  const uint32_t colour = packColour(glm::vec3(tool.colour));

  const uint32_t partCount = record.parts ? record.partCount : 0;
  for (uint32_t i = 0; i < partCount; ++i) {
    const SIM_ToolPart& host = record.parts[i];
    if (!host.points || host.pointCount < 2) continue;
    const std::span<const SIM_ProfilePoint> points(host.points, static_cast<size_t>(host.pointCount));
    // A profile with a coordinate that is not a number describes nothing.
    if (!std::all_of(points.begin(), points.end(), [](const SIM_ProfilePoint& p) {
          return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.centreX) && std::isfinite(p.centreY);
        }))
      continue;
    ToolPartShape part;
    part.kind = host.kind;
    part.profileKind = host.profileKind;
    part.placement = placementOf(host, unitScale);
    part.profile = profileFrom(points, unitScale);
    // Flat sides make a polygon of an open profile's levels; a closed loop
    // stays round.
    if (isClosed(part.profile)) part.placement.sides = 0;
    part.mesh = part.profileKind == SIM_PROFILE_REVOLVED
                    ? revolvedMesh(part.profile, part.placement, colour)
                    : extrudedMesh(part.profile, part.placement, part.profileKind == SIM_PROFILE_EXTRUDED_SYMMETRIC, colour);
    tool.box.include(boxOf(part.mesh));
    tool.parts.push_back(std::move(part));
  }
  if (const ToolPartShape* cutting = tool.part(SIM_PART_CUTTING)) {
    // A polygon-sided tool does not turn: not a solid of revolution.
    tool.cutter = cutting->placement.sides >= 3 ? CutterShape{CutterKind::Extruded}
                                                : classifyCutter(cutting->profile, cutting->profileKind);
    if (!isToolAxis(cutting->placement.axis)) tool.orientation = rotationFromToolAxis(cutting->placement.axis);
  }
  if (record.deriveMountPoint)
    tool.mountPoint = tool.box.empty() ? glm::dvec3(0.0) : glm::dvec3(0.0, tool.box.max.y, 0.0);
  else
    tool.mountPoint = glm::dvec3(record.mountPoint[0], record.mountPoint[1], record.mountPoint[2]) * unitScale;
  return tool;
}

}  // namespace tools
