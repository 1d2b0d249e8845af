#include "collision/CollisionResults.h"

#include <cstring>

namespace collision {
namespace {

void copyName(char (&to)[256], std::string_view name) {
  const std::string_view cut = cutUtf8(name, sizeof(to) - 1);
  std::memcpy(to, cut.data(), cut.size());
  to[cut.size()] = '\0';
}

}  // namespace

uint32_t reportKind(ObjectClass kind) {
  const auto k = static_cast<uint32_t>(kind);
  return k <= 3 ? k : k + 1;
}

std::string_view cutUtf8(std::string_view text, size_t bytes) {
  if (text.size() <= bytes) return text;
  size_t end = bytes;
  // Back over continuation bytes (10xxxxxx) to the start of the character
  // that would be cut.
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end);
}

std::vector<SIM_CollisionReportEntry> reportEntries(const std::vector<MachineResult>& machine,
                                                    const std::vector<LimitResult>& limits) {
  std::vector<SIM_CollisionReportEntry> entries;
  entries.reserve(machine.size() + limits.size());
  for (const MachineResult& r : machine) {
    SIM_CollisionReportEntry& e = entries.emplace_back();
    e = {};
    e.kind = reportKind(r.kind);
    e.startPosition = r.startPosition;
    e.startLine = r.startLine;
    e.startEntity = r.startEntity;
    e.endPosition = r.endPosition;
    e.endLine = r.endLine;
    e.endEntity = r.endEntity;
    copyName(e.firstName, r.firstName);
    copyName(e.secondName, r.secondName);
  }
  for (const LimitResult& r : limits) {
    SIM_CollisionReportEntry& e = entries.emplace_back();
    e = {};
    e.kind = SIM_COLLISION_TRAVEL_LIMIT;
    e.startPosition = e.endPosition = r.position;
    e.startLine = e.endLine = r.line;
    e.startEntity = e.endEntity = r.entity;
    copyName(e.firstName, r.letter);
  }
  return entries;
}

}  // namespace collision
