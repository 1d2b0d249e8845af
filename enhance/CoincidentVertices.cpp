#include "enhance/CoincidentVertices.h"

#include <algorithm>
#include <bit>

#include "enhance/AlgoDispatch.h"
#include "gpu/Dispatch.h"
#include "gpu/PrefixSum.h"

namespace enhance {
namespace {

constexpr uint32_t kNone = 0xFFFFFFFFu;
// The position table holds twice the vertices, counted in 32 bits.
constexpr uint32_t kMostVertices = 1u << 30;

// The table's slots, the slot of each vertex and the lowest vertex of each
// slot, at bindings 2, 3 and 6.
struct PositionTable {
  gpu::SSBO slots, vertexSlots, lowest;
};

GLuint useMergePass(const EnhancedMesh& mesh, const PositionTable& table, uint32_t stage) {
  const GLuint program = useAlgoProgram("MergeCoincidentVertices.comp");
  mesh.positions.bindBase(0);
  mesh.triangles.bindBase(1);
  table.slots.bindBase(2);
  table.vertexSlots.bindBase(3);
  table.lowest.bindBase(6);
  setUint(program, "nVertices", mesh.vertexCount);
  setUint(program, "nTriangles", mesh.triangleCount);
  setUint(program, "TableMask", static_cast<uint32_t>(table.slots.size() / 4 - 1));
  setUint(program, "Stage", stage);
  return program;
}

}  // namespace

uint32_t mergeCoincidentVertices(EnhancedMesh& mesh) {
  const uint32_t count = mesh.triangleCount;
  if (count == 0 || mesh.vertexCount == 0 || mesh.vertexCount > kMostVertices) return 0;
  const uint64_t slots = std::bit_ceil(2 * mesh.vertexCount);
  const PositionTable table{gpu::SSBO(slots * 4, kNone), gpu::SSBO(uint64_t{mesh.vertexCount} * 4),
                            gpu::SSBO(slots * 4, kNone)};
  runKernel(useMergePass(mesh, table, 0), mesh.vertexCount);
  runKernel(useMergePass(mesh, table, 1), uint64_t{count} * 3);
  gpu::SSBO kept(uint64_t{count} * 4), sums(uint64_t{count} * 4);
  GLuint program = useMergePass(mesh, table, 2);
  kept.bindBase(4);
  runKernel(program, count);
  gpu::inclusivePrefixSum(kept, sums, count);
  const uint32_t remaining = gpu::readElement<uint32_t>(sums, count - 1);
  if (remaining == count) return 0;
  gpu::SSBO triangles(uint64_t{std::max(remaining, 1u)} * 12);
  program = useMergePass(mesh, table, 3);
  sums.bindBase(4);
  triangles.bindBase(5);
  runKernel(program, count);
  mesh.triangles = std::move(triangles);
  mesh.triangleCount = remaining;
  return count - remaining;
}

}  // namespace enhance
