#include "stock/MeshStockCreator.h"

#include <limits>
#include <numeric>
#include <vector>

#include <glm/gtc/type_ptr.hpp>

#include "gpu/Dispatch.h"
#include "gpu/ProgramCache.h"
#include "gpu/UniformName.h"
#include "stock/NodeWord.h"
#include "stock/SignField.h"
#include "stock/SolidStockCreator.h"

namespace stock {

namespace {

constexpr uint32_t kGroupSize = 128;
constexpr uint32_t kNodesPerVote = 16;
// The signed distances reach 1.42 cells; rays two cells around a triangle
// see every node that close to it.
constexpr int kDistanceGrowth = 2;
void setUvec3(GLuint program, const char* name, const glm::uvec3& v) {
  glUniform3ui(gpu::uniformLocation(program, name), v.x, v.y, v.z);
}

void setUint(GLuint program, const char* name, uint64_t value) {
  glUniform1ui(gpu::uniformLocation(program, name), static_cast<GLuint>(value));
}

GLuint useProgram(const char* name) {
  const GLuint program = gpu::computeProgram(name);
  glUseProgram(program);
  return program;
}

// One invocation per element, in as many dispatches as the device needs.
void dispatchEach(GLuint program, uint64_t invocations) {
  gpu::dispatchInBatches(invocations, kGroupSize, gpu::uniformLocation(program, "InvocationOffset"));
  gpu::storageBarrier();
}

}  // namespace

bool MeshStockCreator::create(StockGrid& grid, const MeshShape& shape) {
  const GridFrame& frame = grid.frame();
  const uint64_t nodeCount = frame.nodeCount();
  const uint64_t columns = uint64_t{frame.nodes.x} * frame.nodes.y;

  // 1. Every node undecided, no inside flags.
  clearWords(grid.signField(), 0u);
  clearWords(grid.nodeWords(), NodeWord::kMeshInitial);
  if (!shape.mesh || shape.mesh->empty()) return false;
  mesh_.upload(shape.mesh);
  const glm::mat4 toGrid(frame.exactWorldToGrid() * shape.placement);

  // 2, 3. Signed distances near the surface.
  std::optional<uint64_t> chunks = mesh_.splitWork(frame, toGrid, kDistanceGrowth);
  if (!chunks) return false;
  GLuint program = useProgram("Shaders\\TriangleSigns.comp");
  mesh_.setUniforms(program, frame, toGrid);
  glUniform1i(gpu::uniformLocation(program, "Expand"), kDistanceGrowth);
  grid.nodeWords().bindBase(0);
  mesh_.bind();
  mesh_.dispatchChunks(program, *chunks);

  // 4. First, second, last and second-to-last hit of every ray.
  chunks = mesh_.splitWork(frame, toGrid, 0);
  if (!chunks) return false;
  if (!raySpans_) raySpans_.emplace();
  raySpans_->resize(frame.rayCount() * 16);
  raySpans_->fill(std::array<int32_t, 4>{std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max(),
                                         std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::min()});
  program = useProgram("Shaders\\TriangleRaySpans.comp");
  mesh_.setUniforms(program, frame, toGrid);
  mesh_.bind();
  raySpans_->bindBase(6);
  for (uint32_t layer = 0; layer < 2; ++layer) {
    setUint(program, "Layer", layer);
    mesh_.dispatchChunks(program, *chunks);
  }

  // 5. The vote of each node's three rays.
  program = useProgram("Shaders\\ApplyTriangleRaySpans.comp");
  setUvec3(program, "Resolution", frame.nodes);
  setUint(program, "ChunkSize", kNodesPerVote);
  grid.nodeWords().bindBase(0);
  raySpans_->bindBase(6);
  dispatchEach(program, gpu::groupsRoundedUp(nodeCount, kNodesPerVote));

  // 6. A stock limited to its box takes its top layer's signs from below.
  if (shape.limitToBox) {
    program = useProgram("Shaders\\BoundarySignPoll.comp");
    setUvec3(program, "Resolution", frame.nodes);
    for (uint32_t phase = 0; phase < 3; ++phase) {
      setUint(program, "Phase", phase);
      const uint64_t walkers = phase == 0 ? columns : phase == 1 ? frame.nodes.x : 1;
      dispatchEach(program, walkers);
    }
  }

  // 7. Signs spread from the top into every undecided node.
  if (!insideBits_) insideBits_.emplace();
  insideBits_->resize(columns * (frame.padded.z / 32) * 4);
  program = useProgram("Shaders\\SpreadSigns.comp");
  setUvec3(program, "Resolution", frame.nodes);
  setUvec3(program, "BoolPointsSize", frame.padded);
  insideBits_->bindBase(7);
  for (uint32_t phase = 0; phase < 3; ++phase) {
    setUint(program, "Phase", phase);
    const uint64_t walkers = phase == 0 ? 1 : phase == 1 ? frame.nodes.x : columns;
    dispatchEach(program, walkers);
  }

  // 8. The z copy of the sign field and the node words.
  program = useProgram("Shaders\\ApplyInitialSigns.comp");
  setUvec3(program, "Resolution", frame.nodes);
  setUvec3(program, "BoolPointsSize", frame.padded);
  grid.bind();
  insideBits_->bindBase(7);
  dispatchEach(program, columns);

  // 9. The x and y copies from the z copy.
  const SignField layout(frame);
  program = useProgram("Shaders\\XYSignsFromZ.comp");
  setUvec3(program, "Resolution", frame.nodes);
  setUvec3(program, "BoolPointsSize", frame.padded);
  grid.bind();
  dispatchEach(program, layout.copyStart(2));

  // 10. The exact crossing of every triangle hit.
  program = useProgram("Shaders\\triangleDists.comp");
  mesh_.setUniforms(program, frame, toGrid);
  grid.bind();
  mesh_.bind();
  mesh_.dispatchChunks(program, *chunks);
  return true;
}

}  // namespace stock
