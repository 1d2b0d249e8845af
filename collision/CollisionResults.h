#pragma once
// What a check run finds, and the report entries the host reads.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "korvane/Korvane.h"

namespace collision {

// Object classes of collision pairs: workpiece 0, fixture 1, machine part
// 2, tool 3, revolver tools 4, unresolved 6.
enum class ObjectClass : int32_t { Workpiece = 0, Fixture = 1, Part = 2, Tool = 3, RevolverTools = 4, Unresolved = 6 };

// One collision interval of a pair: consecutive hit samples.
struct MachineResult {
  ObjectClass kind = ObjectClass::Unresolved;  // the class of the pair's second object
  double startPosition = 0.0, endPosition = 0.0;  // toolpath time
  uint32_t startLine = 0, startEntity = 0, endLine = 0, endEntity = 0;
  std::string firstName, secondName;  // UTF-8
};

// A travel-limit violation as reported: the axis letter and where along
// the toolpath (time) it is worst.
struct LimitResult {
  std::string letter;
  double position = 0.0;
  uint32_t line = 0, entity = 0;
};

// The report kind of a machine result's class: 0-3 stay, 4 gives 5, 5
// gives 6, 6 gives 7 (4 is the travel limits').
uint32_t reportKind(ObjectClass kind);

// The longest start of a UTF-8 text within `bytes` that ends on a whole
// character.
std::string_view cutUtf8(std::string_view text, size_t bytes);

// Machine results first, then the travel limits.
std::vector<SIM_CollisionReportEntry> reportEntries(const std::vector<MachineResult>& machine,
                                                    const std::vector<LimitResult>& limits);

}  // namespace collision
