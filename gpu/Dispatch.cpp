#include "gpu/Dispatch.h"

#include <algorithm>

namespace gpu {

void dispatch1D(uint32_t groups) {
  if (groups != 0) glDispatchCompute(groups, 1, 1);
}

void dispatchInBatches(uint64_t invocations, uint32_t groupSize, GLint offsetLocation) {
  const uint64_t perBatch = kMaxChunksPerDispatch * groupSize;
  for (uint64_t offset = 0; offset < invocations; offset += perBatch) {
    glUniform1ui(offsetLocation, static_cast<GLuint>(offset));
    dispatch1D(groupsRoundedUp(std::min(perBatch, invocations - offset), groupSize));
  }
}

void storageBarrier() { glMemoryBarrier(GL_SHADER_STORAGE_BARRIER_BIT); }

uint32_t readAtomicCounter(GLuint buffer, uint64_t byteOffset) {
  uint32_t value = 0;
  glBindBuffer(GL_ATOMIC_COUNTER_BUFFER, buffer);
  glGetBufferSubData(GL_ATOMIC_COUNTER_BUFFER, static_cast<GLintptr>(byteOffset), 4, &value);
  glBindBuffer(GL_ATOMIC_COUNTER_BUFFER, 0);
  return value;
}

}  // namespace gpu
