#pragma once
// One point of the toolpath as the cut and collision shaders read it; a move
// runs from record k - 1 to record k. The layout and the type bits are the
// shaders' own (common/ShaderContract.h).
#include <cstdint>

#include "common/ShaderContract.h"

namespace toolpath {

using GPUMoveRecord = contract::GPUMoveRecord;

// Move kinds, from the end record of a move.
enum MoveKind : uint32_t {
  kMoveRapid = GPU_MOVE_RAPID,
  kMoveCut = GPU_MOVE_CUT,
  kMoveMarked = GPU_MOVE_MARKED,    // a cut the host marked, and the chord records of arcs
  kMoveStopped = GPU_MOVE_STOPPED,  // a cut with the spindle stopped
};
inline constexpr uint32_t kContinuation = GPU_MOVE_CONTINUATION;
inline constexpr uint32_t kMoveKindMask = GPU_MOVE_KIND_MASK;
inline constexpr uint32_t kShaderTypeBits = GPU_MOVE_SHADER_BITS;

}  // namespace toolpath
