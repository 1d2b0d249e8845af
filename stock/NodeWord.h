#pragma once
// One 32-bit word per lattice node: the crossing codes of its +x, +y and +z
// edges in bytes 0, 1 and 2 and the owner code (the colour index of the
// last cut that moved a crossing next to it) in byte 3. Node (x, y, z) is
// word x * G.y * G.z + y * G.z + z.
#include <cstdint>

#include <glm/vec3.hpp>

#include "common/ShaderContract.h"

namespace stock {

// Where the surface crosses an edge, in 1/128 of a cell from the edge's
// first node, and which way: 128 + f enters material (first node outside),
// 127 - f leaves it (first node inside).
namespace CrossingCode {

inline constexpr uint32_t kSteps = GPU_CROSSING_STEPS;
// Stocks built from a mesh start every code as "no crossing recorded".
inline constexpr uint8_t kNone = GPU_CROSSING_NONE;

constexpr uint8_t entering(uint32_t fraction) { return static_cast<uint8_t>(GPU_CROSSING_ENTERING(fraction)); }
constexpr uint8_t leaving(uint32_t fraction) { return static_cast<uint8_t>(GPU_CROSSING_LEAVING(fraction)); }
constexpr bool isEntering(uint8_t code) { return GPU_CROSSING_IS_ENTERING(uint32_t{code}); }
// Position of the crossing from the edge's first node, in 1/128 cell.
constexpr uint32_t fraction(uint8_t code) { return GPU_CROSSING_FRACTION(uint32_t{code}); }

}  // namespace CrossingCode

namespace NodeWord {

inline constexpr uint32_t kMeshInitial = 0x00FFFFFFu;

constexpr uint8_t crossing(uint32_t word, int axis) { return static_cast<uint8_t>(word >> (8 * axis)); }
constexpr uint8_t owner(uint32_t word) { return static_cast<uint8_t>(word >> 24); }
constexpr uint32_t withCrossing(uint32_t word, int axis, uint8_t code) {
  return (word & ~(0xFFu << (8 * axis))) | (uint32_t{code} << (8 * axis));
}

constexpr uint64_t index(const glm::uvec3& nodes, uint32_t x, uint32_t y, uint32_t z) {
  return (uint64_t{x} * nodes.y + y) * nodes.z + z;
}

}  // namespace NodeWord

}  // namespace stock
