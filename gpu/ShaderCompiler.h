#pragma once
// Compiling stages and linking programs, with the error texts the system
// composes for a failed compile or link. The texts are never shown; an
// installed error hook (a debugging aid) receives them.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "gpu/GL.h"

namespace gpu {

enum class ShaderStage { Vertex = 0, Fragment = 1, Geometry = 2, Compute = 3 };

struct StageSource {
  ShaderStage stage;
  std::string_view source;  // one whole source, handed to the driver as one string
};

const char* stageName(ShaderStage stage);  // "VERTEX", "FRAGMENT", "GEOMETRY", "COMPUTE"
std::string composeCompileError(ShaderStage stage, std::string_view log);
std::string composeLinkError(std::string_view log);

using ShaderErrorHook = std::function<void(const std::string&)>;
// Installs (or, with an empty hook, removes) the receiver of composed errors.
void setShaderErrorHook(ShaderErrorHook hook);
bool hasShaderErrorHook();

// Software renderers run a work group's invocations as coroutines, so that
// a barrier anywhere in a compute program costs every group; compute stages
// compiled on one get GPU_BARRIERS_EMULATED defined, and kernels that can do
// without barriers leave them out. SharedSetUp compiles as for a hardware
// device everywhere (to compare the two; programs already linked keep what
// they were built with).
enum class ComputeVariant { ByRenderer, SharedSetUp };
void setComputeVariant(ComputeVariant variant);
// Whether the current context's renderer emulates barriers.
bool rendererEmulatesBarriers();

// Compiles every stage, links them into a new program and deletes the stage
// objects. With checkStatus the compile and link status are queried and
// failures composed into error texts. A failed program is still returned.
GLuint linkProgram(const std::vector<StageSource>& stages, bool checkStatus);

}  // namespace gpu
