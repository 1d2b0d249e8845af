#pragma once
// Inclusive prefix sums of 32-bit counts on the GPU, the step every
// compaction of a variable-length list takes.
#include <cstdint>

#include "gpu/SSBO.h"

namespace gpu {

// Render thread: sums[i] = values[0] + ... + values[i] for i < count. Both
// buffers hold at least count words; values is overwritten on the way.
void inclusivePrefixSum(SSBO& values, SSBO& sums, uint32_t count);

}  // namespace gpu
