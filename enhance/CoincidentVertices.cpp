#include "enhance/CoincidentVertices.h"

#include <algorithm>

#include "enhance/AlgoDispatch.h"
#include "gpu/Dispatch.h"
#include "gpu/PrefixSum.h"

namespace enhance {
namespace {

// Label rounds before the merge gives up. Roots hook onto lower roots and
// labels jump to their labels' labels, so a group joins in rounds of about
// the logarithm of its size; a merge that has not settled by then merges
// nothing (its labels could join vertices no edge of no length joins).
constexpr int kMostRounds = 256;

GLuint useMergePass(const EnhancedMesh& mesh, const gpu::SSBO& labels, const gpu::SSBO& changed, uint32_t stage) {
  const GLuint program = useAlgoProgram("MergeCoincidentVertices.comp");
  mesh.positions.bindBase(0);
  mesh.triangles.bindBase(1);
  labels.bindBase(2);
  changed.bindBase(3);
  setUint(program, "nVertices", mesh.vertexCount);
  setUint(program, "nTriangles", mesh.triangleCount);
  setUint(program, "Stage", stage);
  return program;
}

// Lowers every vertex's label to the lowest index joined to it by edges of
// no length; false when the labels did not settle.
bool labelJoinedVertices(const EnhancedMesh& mesh, const gpu::SSBO& labels, gpu::SSBO& changed) {
  runKernel(useMergePass(mesh, labels, changed, 0), mesh.vertexCount);
  for (int round = 0; round < kMostRounds; ++round) {
    changed.fill(0u);
    runKernel(useMergePass(mesh, labels, changed, 1), uint64_t{mesh.triangleCount} * 3);
    runKernel(useMergePass(mesh, labels, changed, 2), mesh.vertexCount);
    if (gpu::readElement<uint32_t>(changed, 0) == 0) return true;
  }
  return false;
}

}  // namespace

uint32_t mergeCoincidentVertices(EnhancedMesh& mesh) {
  const uint32_t count = mesh.triangleCount;
  // Invocation indices count in 32 bits, the last batch's padding included.
  if (count == 0 || mesh.vertexCount == 0 || uint64_t{count} * 3 > UINT32_MAX - 256) return 0;
  const gpu::SSBO labels(uint64_t{mesh.vertexCount} * 4);
  gpu::SSBO changed(4, 0u);
  if (!labelJoinedVertices(mesh, labels, changed)) return 0;
  runKernel(useMergePass(mesh, labels, changed, 3), uint64_t{count} * 3);
  gpu::SSBO kept(uint64_t{count} * 4), sums(uint64_t{count} * 4);
  GLuint program = useMergePass(mesh, labels, changed, 4);
  kept.bindBase(4);
  runKernel(program, count);
  gpu::inclusivePrefixSum(kept, sums, count);
  const uint32_t remaining = gpu::readElement<uint32_t>(sums, count - 1);
  if (remaining == count) return 0;
  gpu::SSBO triangles(uint64_t{std::max(remaining, 1u)} * 12);
  program = useMergePass(mesh, labels, changed, 5);
  sums.bindBase(4);
  triangles.bindBase(5);
  runKernel(program, count);
  mesh.triangles = std::move(triangles);
  mesh.triangleCount = remaining;
  return count - remaining;
}

}  // namespace enhance
