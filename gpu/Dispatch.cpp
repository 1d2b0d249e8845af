#include "gpu/Dispatch.h"

namespace gpu {

void dispatch1D(uint32_t groups) {
  if (groups != 0) glDispatchCompute(groups, 1, 1);
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
