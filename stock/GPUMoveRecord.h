#pragma once
// One point of the toolpath as the cut and collision shaders read it; a move
// runs from record k - 1 to record k.
#include <cstdint>

namespace stock {

struct GPUMoveRecord {
  float x, y, z;  // tool tip, toolpath coordinates
  float i, j, k;  // tool axis, from the tip into the holder
  float parameter;
  uint32_t type;  // bits 0-4 move kind, bit 5 continuation, bits 8-31 see below
};
static_assert(sizeof(GPUMoveRecord) == 32);

// Move kinds, from the end record of a move.
enum MoveKind : uint32_t {
  kMoveRapid = 0,
  kMoveCut = 1,
  kMoveMarked = 2,   // a cut the host marked, and the chord records of arcs
  kMoveStopped = 3,  // a cut with the spindle stopped
};
inline constexpr uint32_t kContinuation = 1u << 5;

}  // namespace stock
