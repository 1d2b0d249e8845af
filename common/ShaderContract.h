// What the library and its shaders must agree on: buffer bindings, the bits
// of a move record's type word, crossing-code steps, the report bits and the
// move record itself. Written in the subset of C++ and GLSL that both read
// (#define, #ifdef and a plain struct); C++ code includes this header, and
// the step that embeds the shaders pastes it into every source that says
// #include "ShaderContract.h" (lines that include <...> are C++'s alone).
#ifndef KORVANE_SHADER_CONTRACT_H
#define KORVANE_SHADER_CONTRACT_H

#ifdef __cplusplus
#include <cstddef>
#include <cstdint>
#define GPU_UINT std::uint32_t
#else
#define GPU_UINT uint
#endif

// ---- Cut and collision kernels: one group of this many invocations takes
// as many rays of one move's sweep box.
#define GPU_CUT_GROUP_SIZE 128

// Storage buffers of the cut kernels, and the profile block (uniforms).
#define GPU_CUT_CHUNK_INDEX_BINDING 0
#define GPU_CUT_MOVE_RECORDS_BINDING 1
#define GPU_CUT_NODE_WORDS_BINDING 2
#define GPU_CUT_SIGN_FIELD_BINDING 3
#define GPU_CUT_REPORT_BITS_BINDING 4
#define GPU_PROFILE_BLOCK_BINDING 8
#define GPU_PROFILE_MAX_SEGMENTS 128

// ---- The stock check of the tool's non-cutting parts: it reads the chunk
// index, the move records and the lattice at the cut's bindings, and writes
// per move record k (bits most significant first within each word):
//   the pre-filter byte (binding 6): bit 8 k + 2 slot + mode for passes 0, 1;
//   the result field (binding 4): bit 4 k + slot for pass 2;
//   the range (binding 5): words 2 k, 2 k + 1, the smallest and largest
//   position along the move (0 ... 65535) where a part met material.
// The pre-filter's hull comes at binding 9 (up to 16 segments), the part's
// profile at binding 10 (the cut's profile block layout).
#define GPU_COLLISION_RESULT_BITS_BINDING 4
#define GPU_COLLISION_RANGES_BINDING 5
#define GPU_COLLISION_FILTER_BITS_BINDING 6
#define GPU_COLLISION_HULL_BLOCK_BINDING 9
#define GPU_COLLISION_PROFILE_BLOCK_BINDING 10
#define GPU_COLLISION_HULL_MAX_SEGMENTS 16
#define GPU_COLLISION_SLOTS 4u
#define GPU_COLLISION_NO_MODE 0xFFFFFFFFu  // PrevProximityMode of a pass no pre-filter gates
#define GPU_COLLISION_FILTER_BIT(k, slot, mode) (8u * (k) + 2u * (slot) + (mode))
#define GPU_COLLISION_RESULT_BIT(k, slot) (4u * (k) + (slot))
#define GPU_FIELD_WORD(bit) ((bit) / 32u)
#define GPU_FIELD_MASK(bit) (1u << (31u - (bit) % 32u))
#define GPU_COLLISION_NO_POSITION 65535u

// The stock lattice as the creation and surface passes bind it.
#define GPU_LATTICE_NODE_WORDS_BINDING 0
#define GPU_LATTICE_SIGN_FIELD_BINDING 1

// ---- The type word of a move record: bits 0-4 the move kind of the move
// that ends at the record, bit 5 the continuation flag; on the chord records
// of an arc bits 8-31 count the records back to where the arc began.
#define GPU_MOVE_KIND_MASK 31u
#define GPU_MOVE_RAPID 0u
#define GPU_MOVE_CUT 1u
#define GPU_MOVE_MARKED 2u   // a cut the host marked, and the chords of arcs
#define GPU_MOVE_STOPPED 3u  // a cut with the spindle stopped
#define GPU_MOVE_CONTINUATION 32u
#define GPU_MOVE_SHADER_BITS 63u  // what the shaders read of the type word
#define GPU_MOVE_BACK_SHIFT 8u
// A record that starts an arc's chords: it moves with its end's axis.
#define GPU_MOVE_ARC_START (GPU_MOVE_MARKED | GPU_MOVE_CONTINUATION)

// ---- Report bits: the move ending at record k owns bit 31 - k % 32 of word
// k / 32, the most significant bit first.
#define GPU_REPORT_WORD(k) ((k) / 32u)
#define GPU_REPORT_BIT(k) (1u << (31u - (k) % 32u))

// ---- Crossing codes: where the surface crosses an edge, in steps of a
// cell from the edge's first node; entering material counts up from
// GPU_CROSSING_STEPS, leaving counts down from one below it.
#define GPU_CROSSING_STEPS 128u
#define GPU_CROSSING_NONE 255u  // no crossing recorded yet (mesh stocks)
#define GPU_CROSSING_ENTERING(f) (GPU_CROSSING_STEPS + (f))
#define GPU_CROSSING_LEAVING(f) (GPU_CROSSING_STEPS - 1u - (f))
#define GPU_CROSSING_IS_ENTERING(code) ((code) >= GPU_CROSSING_STEPS)
#define GPU_CROSSING_FRACTION(code) \
  (GPU_CROSSING_IS_ENTERING(code) ? (code) - GPU_CROSSING_STEPS : GPU_CROSSING_STEPS - 1u - (code))

// ---- One point of the toolpath as the cut and collision shaders read it
// (32 bytes, std430): a move runs from record k - 1 to record k.
#ifdef __cplusplus
namespace contract {
#endif
struct GPUMoveRecord {
  float x, y, z;    // tool tip, toolpath coordinates
  float i, j, k;    // tool axis, from the tip into the holder
  float parameter;  // turning and threading shaders; mills ignore it
  GPU_UINT type;    // see GPU_MOVE_*
};
#ifdef __cplusplus
static_assert(sizeof(GPUMoveRecord) == 32);
static_assert(offsetof(GPUMoveRecord, i) == 12);
static_assert(offsetof(GPUMoveRecord, parameter) == 24);
static_assert(offsetof(GPUMoveRecord, type) == 28);
static_assert(GPU_MOVE_ARC_START == 34u);
static_assert(GPU_CROSSING_ENTERING(0u) == 128u && GPU_CROSSING_LEAVING(0u) == 127u);
}  // namespace contract
#endif

#endif
