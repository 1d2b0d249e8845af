#pragma once
// One 32-bit word per lattice node: the crossing codes of its +x, +y and +z
// edges in bytes 0, 1 and 2 and the owner code (the colour index of the
// last cut that moved a crossing next to it) in byte 3. Node (x, y, z) is
// word x * G.y * G.z + y * G.z + z.
#include <cstdint>

#include <glm/vec3.hpp>

namespace stock {

// Where the surface crosses an edge, in 1/128 of a cell from the edge's
// first node, and which way: 128 + f enters material (first node outside),
// 127 - f leaves it (first node inside).
namespace CrossingCode {

inline constexpr uint32_t kSteps = 128;
// Stocks built from a mesh start every code as "no crossing recorded".
inline constexpr uint8_t kNone = 255;

constexpr uint8_t entering(uint32_t fraction) { return static_cast<uint8_t>(128 + fraction); }
constexpr uint8_t leaving(uint32_t fraction) { return static_cast<uint8_t>(127 - fraction); }
constexpr bool isEntering(uint8_t code) { return code >= 128; }
// Position of the crossing from the edge's first node, in 1/128 cell.
constexpr uint32_t fraction(uint8_t code) { return isEntering(code) ? code - 128u : 127u - code; }

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
