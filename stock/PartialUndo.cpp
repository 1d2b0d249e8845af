#include "stock/PartialUndo.h"

#include "gpu/Dispatch.h"
#include "gpu/ProgramCache.h"
#include "gpu/UniformName.h"

namespace stock {

namespace {

constexpr uint32_t kGroupSize = 256;

uint64_t wordsAcross(uint32_t low, uint32_t high) { return high / 32 - low / 32 + 1; }

}  // namespace

uint64_t regionWords(const NodeBox& box) {
  const glm::u64vec3 n = glm::u64vec3(box.high - box.low) + uint64_t{1};
  return n.x * n.y * n.z + n.y * n.z * wordsAcross(box.low.x, box.high.x) +
         n.z * n.x * wordsAcross(box.low.y, box.high.y) + n.x * n.y * wordsAcross(box.low.z, box.high.z);
}

void PartialUndo::copy(StockGrid& grid, const NodeBox& box, bool restore) {
  const GridFrame& frame = grid.frame();
  const uint64_t words = regionWords(box);
  if (!scratch_) scratch_.emplace();
  if (scratch_->size() < words * 4) scratch_->resize(words * 4);
  const GLuint program = gpu::computeProgram("Shaders\\latticeRegion.comp");
  glUseProgram(program);
  glUniform3ui(gpu::uniformLocation(program, "NoOfCells"), frame.nodes.x, frame.nodes.y, frame.nodes.z);
  glUniform3ui(gpu::uniformLocation(program, "BoolPointsSize"), frame.padded.x, frame.padded.y, frame.padded.z);
  glUniform3ui(gpu::uniformLocation(program, "RegionLow"), box.low.x, box.low.y, box.low.z);
  glUniform3ui(gpu::uniformLocation(program, "RegionHigh"), box.high.x, box.high.y, box.high.z);
  glUniform1ui(gpu::uniformLocation(program, "Restore"), restore ? 1u : 0u);
  grid.bind();
  scratch_->bindBase(2);
  gpu::dispatchInBatches(words, kGroupSize, gpu::uniformLocation(program, "InvocationOffset"));
  gpu::storageBarrier();
}

void PartialUndo::save(StockGrid& grid, const NodeBox& box) {
  copy(grid, box, false);
  saved_ = box;
}

void PartialUndo::restore(StockGrid& grid) {
  if (!saved_) return;
  copy(grid, *saved_, true);
  saved_.reset();
}

}  // namespace stock
