#include "stock/SolidStockCreator.h"

#include <algorithm>

#include <glm/gtc/type_ptr.hpp>

#include "gpu/Dispatch.h"
#include "gpu/ProgramCache.h"
#include "gpu/UniformName.h"

namespace stock {

namespace {

constexpr uint32_t kGroupSize = 128;
constexpr uint32_t kRaysPerInvocation = 32;
constexpr uint32_t kClearStride = 64;
constexpr uint32_t kClearGroupSize = 256;

void setUvec3(GLuint program, const char* name, const glm::uvec3& v) {
  glUniform3ui(gpu::uniformLocation(program, name), v.x, v.y, v.z);
}

void setVec3(GLuint program, const char* name, const glm::dvec3& v) {
  glUniform3f(gpu::uniformLocation(program, name), static_cast<float>(v.x), static_cast<float>(v.y),
              static_cast<float>(v.z));
}

void dispatchRays(GLuint program, const GridFrame& frame) {
  gpu::dispatchInBatches(gpu::groupsRoundedUp(frame.rayCount(), kRaysPerInvocation), kGroupSize,
                         gpu::uniformLocation(program, "InvocationOffset"));
  gpu::storageBarrier();
}

}  // namespace

void clearWords(gpu::SSBO& buffer, uint32_t value) {
  const uint64_t count = buffer.size() / 4;
  if (count == 0) return;
  // Longer strides keep a huge buffer within one dispatch.
  const uint64_t stride =
      std::max<uint64_t>(kClearStride, gpu::groupsRoundedUp(count, gpu::kMaxChunksPerDispatch * kClearGroupSize));
  const GLuint program = gpu::computeProgram("Shaders\\ClearBuffer.comp");
  glUseProgram(program);
  glUniform1ui(gpu::uniformLocation(program, "BufferCount"), static_cast<GLuint>(count));
  glUniform1ui(gpu::uniformLocation(program, "ClearVal"), value);
  glUniform1ui(gpu::uniformLocation(program, "Stride"), static_cast<GLuint>(stride));
  buffer.bindBase(0);
  gpu::dispatch1D(gpu::groupsRoundedUp(gpu::groupsRoundedUp(count, stride), kClearGroupSize));
  gpu::storageBarrier();
}

void SolidStockCreator::prepare(StockGrid& grid, unsigned program) {
  clearWords(grid.nodeWords(), 0u);
  clearWords(grid.signField(), 0u);
  glUseProgram(program);
  setUvec3(program, "PointsSize", grid.frame().nodes);
  setUvec3(program, "BoolPointsSize", grid.frame().padded);
  grid.bind();
}

void SolidStockCreator::create(StockGrid& grid, const BoxShape& box) {
  const GLuint program = gpu::computeProgram("Shaders\\createBox.comp");
  prepare(grid, program);
  setVec3(program, "BoxMinimumCorner", box.min);
  setVec3(program, "BoxMaximumCorner", box.max);
  const glm::mat4 toGrid(grid.frame().exactWorldToGrid() * box.placement);
  glUniformMatrix4fv(gpu::uniformLocation(program, "Transformation"), 1, GL_FALSE, glm::value_ptr(toGrid));
  dispatchRays(program, grid.frame());
}

void SolidStockCreator::create(StockGrid& grid, const CylinderShape& cylinder) {
  const GLuint program = gpu::computeProgram("Shaders\\createCylinder.comp");
  prepare(grid, program);
  const GridFrame& frame = grid.frame();
  setVec3(program, "CylinderFrom", frame.toGrid(cylinder.from));
  setVec3(program, "CylinderEnd", frame.toGrid(cylinder.to));
  glUniform1f(gpu::uniformLocation(program, "Radius"), static_cast<float>(cylinder.radius / frame.exactCellSize));
  glUniform1f(gpu::uniformLocation(program, "InnerRadius"),
              static_cast<float>(cylinder.boreRadius / frame.exactCellSize));
  dispatchRays(program, frame);
}

}  // namespace stock
