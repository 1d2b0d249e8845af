#pragma once
// What an id of the picking pass names. The top two bits give the class:
// 00 a toolpath move (its point), 01 a triangle of a workpiece-side model,
// 10 a triangle of a machine or tool model, 11 an edge line of a machine or
// tool model; all bits set is nothing. Each model has a block of ids: 2^26
// for a workpiece-side model (16 of them), 2^24 for a machine or tool model
// and as many for its edge lines (63 machine models; the 64th block is the
// tool's, which has no edge lines).
#include <cstdint>

namespace view::entity {

enum class Kind : uint8_t { ToolpathMove, WorkpieceTriangle, MachineTriangle, MachineEdge, Nothing };

inline constexpr uint32_t kNothing = 0xFFFFFFFFu;
inline constexpr uint32_t kMoveMask = 0x3FFFFFFFu;
inline constexpr uint32_t kWorkpieceModels = 16, kWorkpieceBlock = 1u << 26;
inline constexpr uint32_t kMachineModels = 64, kMachineBlock = 1u << 24;
// The tool in use (with its holder) takes the last machine block; the
// machine's models the ones before it.
inline constexpr uint32_t kToolModel = kMachineModels - 1;

constexpr Kind kindOf(uint32_t id) {
  return id == kNothing ? Kind::Nothing : static_cast<Kind>(id >> 30);
}
// The move, triangle or line index within its model.
constexpr uint32_t indexOf(uint32_t id) {
  switch (kindOf(id)) {
    case Kind::ToolpathMove: return id & kMoveMask;
    case Kind::WorkpieceTriangle: return id & (kWorkpieceBlock - 1);
    default: return id & (kMachineBlock - 1);
  }
}
constexpr uint32_t modelOf(uint32_t id) {
  return kindOf(id) == Kind::WorkpieceTriangle ? (id >> 26) & 15u : (id >> 24) & 63u;
}

constexpr uint32_t workpieceTriangleBase(uint32_t model) { return 0x40000000u + model * kWorkpieceBlock; }
constexpr uint32_t machineTriangleBase(uint32_t model) { return 0x80000000u + model * kMachineBlock; }
constexpr uint32_t machineEdgeBase(uint32_t model) { return 0xC0000000u + model * kMachineBlock; }

// A model takes part in picking when its index and element count fit.
constexpr bool workpieceFits(uint32_t model, uint64_t triangles) {
  return model < kWorkpieceModels && triangles <= kWorkpieceBlock;
}
constexpr bool machineFits(uint32_t model, uint64_t triangles) {
  return model < kToolModel && triangles <= kMachineBlock;
}
constexpr bool toolFits(uint64_t triangles) { return triangles <= kMachineBlock; }
// The last model's last edge id would be the nothing id.
constexpr bool machineEdgesFit(uint32_t model, uint64_t lines) {
  return model < kToolModel && lines <= kMachineBlock;
}

}  // namespace view::entity
