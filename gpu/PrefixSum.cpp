#include "gpu/PrefixSum.h"

#include <algorithm>
#include <bit>

#include "gpu/Dispatch.h"
#include "gpu/ProgramCache.h"
#include "gpu/UniformName.h"

namespace gpu {

void inclusivePrefixSum(SSBO& values, SSBO& sums, uint32_t count) {
  constexpr uint32_t kGroupSize = 256;
  const GLuint program = computeProgram("Shaders\\prefixSum.comp");
  glUseProgram(program);
  values.bindBase(0);
  sums.bindBase(1);
  glUniform1ui(uniformLocation(program, "SizesCount"), count);
  // Step k adds the element 2^k back, until that reaches past the start.
  const uint32_t steps = std::min<uint32_t>(std::bit_width(std::max<uint32_t>(count, 1) - 1) + 1, 32);
  const GLint offset = uniformLocation(program, "InvocationOffset");
  for (uint32_t step = 0; step < steps; ++step) {
    glUniform1ui(uniformLocation(program, "Iteration"), step);
    dispatchInBatches(count, kGroupSize, offset);
    storageBarrier();
  }
  if ((steps - 1) % 2 == 1) {  // the last step wrote the first buffer
    copyBufferBytes(values.id(), 0, sums.id(), 0, uint64_t{count} * 4);
  }
}

}  // namespace gpu
