#pragma once
// How the enhancement stages run their kernels: programs of the algorithm
// registry, one-dimensional dispatches in batches, a storage barrier after
// each.
#include <cstdint>

#include "gpu/GL.h"

namespace enhance {

// Render thread: makes the named kernel current and returns it.
GLuint useAlgoProgram(const char* name);
void setUint(GLuint program, const char* name, uint32_t value);
void setFloat(GLuint program, const char* name, float value);
// Runs `invocations` invocations of the current kernel in groups of
// groupSize (the kernel's local size), then the barrier.
void runKernel(GLuint program, uint64_t invocations, uint32_t groupSize = 256);

}  // namespace enhance
