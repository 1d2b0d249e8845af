#pragma once
// Host tool records for tests: profiles, parts and tools with the arrays
// they point to kept alive together.
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "korvane/Korvane.h"
#include "tools/ToolTable.h"

namespace testsupport {

using Points = std::vector<SIM_ProfilePoint>;

inline SIM_ProfilePoint straightTo(float x, float y) { return {SIM_SEGMENT_STRAIGHT, x, y, 0, 0}; }
inline SIM_ProfilePoint arcTo(uint32_t direction, float x, float y, float cx, float cy) { return {direction, x, y, cx, cy}; }

inline Points flatProfile(float radius, float length) {
  return {straightTo(0, 0), straightTo(radius, 0), straightTo(radius, length), straightTo(0, length)};
}
inline Points ballProfile(float radius, float length) {
  return {straightTo(0, 0), arcTo(SIM_SEGMENT_ARC_CCW, radius, radius, 0, radius), straightTo(radius, length),
          straightTo(0, length)};
}
inline Points bullNoseProfile(float flat, float corner, float length, bool closeToAxis) {
  Points p{straightTo(0, 0), straightTo(flat, 0), arcTo(SIM_SEGMENT_ARC_CCW, flat + corner, corner, flat, corner),
           straightTo(flat + corner, length)};
  if (closeToAxis) p.push_back(straightTo(0, length));
  return p;
}

// Owns everything a table record points to.
struct ToolTableBuilder {
  std::deque<Points> profiles;
  std::deque<std::vector<SIM_ToolPart>> parts;
  std::vector<SIM_ToolRecord> tools;
  std::vector<SIM_HolderRecord> holders;

  static SIM_ToolPart part(uint32_t kind, const Points& points, uint32_t profileKind = SIM_PROFILE_REVOLVED) {
    SIM_ToolPart p{};
    p.kind = kind;
    p.profileKind = profileKind;
    p.points = points.data();
    p.pointCount = points.size();
    return p;
  }

  // A tool with the given parts (kind, profile); the profiles are copied.
  SIM_ToolRecord& addTool(const std::string& name, std::vector<std::pair<uint32_t, Points>> partProfiles,
                          int32_t holder = -1) {
    std::vector<SIM_ToolPart> toolParts;
    for (auto& [kind, points] : partProfiles) {
      profiles.push_back(points);
      toolParts.push_back(part(kind, profiles.back()));
    }
    parts.push_back(std::move(toolParts));
    SIM_ToolRecord r{};
    std::strncpy(r.name, name.c_str(), sizeof r.name - 1);
    r.parts = parts.back().empty() ? nullptr : parts.back().data();
    r.partCount = static_cast<uint32_t>(parts.back().size());
    r.holder = holder;
    r.deriveMountPoint = 1;
    tools.push_back(r);
    return tools.back();
  }

  SIM_HolderRecord& addHolder(const std::string& path) {
    SIM_HolderRecord h{};
    std::strncpy(h.modelPath, path.c_str(), sizeof h.modelPath - 1);
    h.scale = 1;
    holders.push_back(h);
    return holders.back();
  }

  SIM_ToolTableRecord record() {
    SIM_ToolTableRecord r{};
    r.tools = tools.empty() ? nullptr : tools.data();
    r.toolCount = tools.size();
    r.holders = holders.empty() ? nullptr : holders.data();
    r.holderCount = static_cast<int32_t>(holders.size());
    return r;
  }
};

// The table of the builder's tools, without machine holders.
inline tools::ToolTable tableOf(ToolTableBuilder& b) {
  tools::ToolTable table;
  table.rebuild(b.record(), 1.0, tools::NoMachineHolders());
  return table;
}

// The cutting record of a tool whose one part is the given cutting profile
// (extruded profiles: over depth; the part's axis when not zero; flat
// sides when polygonSides is 3 or more).
inline tools::CutRecord cuttingRecordOf(const Points& profile, uint32_t profileKind = SIM_PROFILE_REVOLVED,
                                        double depth = 0, glm::dvec3 partAxis = glm::dvec3(0.0),
                                        uint32_t polygonSides = 0) {
  ToolTableBuilder b;
  b.addTool("T", {{SIM_PART_CUTTING, profile}});
  SIM_ToolPart& part = b.parts.back()[0];
  part.profileKind = profileKind;
  part.depth = depth;
  for (int k = 0; k < 3; ++k) part.axis[k] = partAxis[k];
  part.polygonSides = polygonSides;
  return tableOf(b).cutRecords(0)[0];
}

// The cutting record of a turning tool whose insert is the given outline:
// its turning kind and insert side.
inline tools::CutRecord turningRecordOf(const Points& outline, uint32_t turning = SIM_TURNING_TURN, int32_t side = 1) {
  ToolTableBuilder b;
  SIM_ToolRecord& tool = b.addTool("T", {{SIM_PART_CUTTING, outline}});
  tool.turning = turning;
  tool.insertSide = side;
  b.parts.back()[0].profileKind = SIM_PROFILE_EXTRUDED;
  return tableOf(b).cutRecords(0)[0];
}

}  // namespace testsupport
