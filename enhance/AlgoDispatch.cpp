#include "enhance/AlgoDispatch.h"

#include "gpu/Dispatch.h"
#include "gpu/ProgramCache.h"
#include "gpu/UniformName.h"

namespace enhance {

GLuint useAlgoProgram(const char* name) {
  const GLuint program = gpu::algoProgramCache().compute(name);
  glUseProgram(program);
  return program;
}

void setUint(GLuint program, const char* name, uint32_t value) {
  glUniform1ui(gpu::uniformLocation(program, name), value);
}

void setFloat(GLuint program, const char* name, float value) {
  glUniform1f(gpu::uniformLocation(program, name), value);
}

void runKernel(GLuint program, uint64_t invocations, uint32_t groupSize) {
  gpu::dispatchInBatches(invocations, groupSize, gpu::uniformLocation(program, "InvocationOffset"));
  gpu::storageBarrier();
}

}  // namespace enhance
