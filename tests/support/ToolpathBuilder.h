#pragma once
// Builds toolpath records for tests: moves and the optional per-move arrays,
// owned here, pointed to by the record.
#include <cstring>
#include <string>
#include <vector>

#include <glm/vec3.hpp>

#include "korvane/Korvane.h"

namespace testing_support {

struct ToolpathBuilder {
  std::vector<SIM_ToolpathMove> moves;
  std::vector<uint32_t> lines, entities;
  std::vector<double> feeds, spindles;
  std::vector<uint16_t> flags;
  std::vector<SIM_NamedMove> toolChanges;
  std::vector<SIM_OperationRange> operations;
  std::vector<SIM_ValueChange> valueChanges;
  std::vector<SIM_CompensationChange> compensations;
  std::vector<SIM_OrientationEntry> orientations;
  std::vector<SIM_MoveEvent> events;

  static SIM_ToolpathMove line(uint32_t type, glm::dvec3 end) {
    SIM_ToolpathMove m{};
    m.type = type;
    for (int k = 0; k < 3; ++k) m.end[k] = end[k];
    return m;
  }
  static SIM_ToolpathMove arc(uint32_t type, glm::dvec3 end, glm::dvec3 centre, glm::dvec3 normal) {
    SIM_ToolpathMove m = line(type, end);
    for (int k = 0; k < 3; ++k) {
      m.centre[k] = centre[k];
      m.normal[k] = normal[k];
    }
    return m;
  }

  ToolpathBuilder& add(const SIM_ToolpathMove& m, uint32_t line = 0, uint32_t entity = 0) {
    moves.push_back(m);
    lines.push_back(line);
    entities.push_back(entity);
    return *this;
  }
  ToolpathBuilder& toolChange(const std::string& name, uint32_t move) {
    SIM_NamedMove change{};
    std::strncpy(change.name, name.c_str(), sizeof change.name - 1);
    change.move = move;
    toolChanges.push_back(change);
    return *this;
  }

  // The record; per-move arrays only when filled for every move.
  SIM_ToolpathRecord record() const {
    SIM_ToolpathRecord r{};
    r.moveCount = moves.size();
    r.moves = moves.empty() ? nullptr : moves.data();
    auto perMove = [&](const auto& v) { return v.size() == moves.size() && !v.empty() ? v.data() : nullptr; };
    r.lineNumbers = perMove(lines);
    r.entityIds = perMove(entities);
    r.feeds = perMove(feeds);
    r.spindleSpeeds = perMove(spindles);
    r.moveFlags = perMove(flags);
    r.toolChangeCount = toolChanges.size();
    r.toolChanges = toolChanges.empty() ? nullptr : toolChanges.data();
    r.operationCount = operations.size();
    r.operations = operations.empty() ? nullptr : operations.data();
    r.valueChangeCount = valueChanges.size();
    r.valueChanges = valueChanges.empty() ? nullptr : valueChanges.data();
    r.compensationCount = compensations.size();
    r.compensations = compensations.empty() ? nullptr : compensations.data();
    r.orientationCount = orientations.size();
    r.orientations = orientations.empty() ? nullptr : orientations.data();
    r.eventCount = static_cast<int32_t>(events.size());
    r.events = events.empty() ? nullptr : events.data();
    return r;
  }
};

}  // namespace testing_support
