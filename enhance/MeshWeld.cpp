#include "enhance/MeshWeld.h"

#include <algorithm>
#include <bit>
#include <utility>

#include "enhance/AlgoDispatch.h"
#include "gpu/Dispatch.h"
#include "gpu/PrefixSum.h"
#include "gpu/UniformName.h"

namespace enhance {
namespace {

constexpr uint32_t kGroupSize = 256;
constexpr uint32_t kBitsPerPass = 8;

void run(GLuint program, uint64_t invocations) { runKernel(program, invocations, kGroupSize); }

// The inclusive prefix sum of count words of values, into a new buffer.
gpu::SSBO prefixSumOf(gpu::SSBO& values, uint32_t count) {
  gpu::SSBO sums(uint64_t{std::max(count, 1u)} * 4);
  gpu::inclusivePrefixSum(values, sums, count);
  return sums;
}

}  // namespace

void radixSort(gpu::SSBO& keys, gpu::SSBO& values, uint32_t count, uint64_t keyBound, bool indexValues) {
  if (count == 0) return;
  const uint32_t blocks = gpu::groupsRoundedUp(count, kGroupSize);
  const uint32_t bits = std::max<uint32_t>(std::bit_width(std::max<uint64_t>(keyBound, 1) - 1), 1);
  const uint32_t passes = std::min<uint32_t>((bits + kBitsPerPass - 1) / kBitsPerPass, 32 / kBitsPerPass);
  gpu::SSBO sortedKeys(uint64_t{count} * 4), sortedValues(uint64_t{count} * 4);
  gpu::SSBO counts(uint64_t{blocks} * 256 * 4);
  for (uint32_t pass = 0; pass < passes; ++pass) {
    // The prefix sum between the stages binds buffers of its own.
    const auto bindPass = [&](const gpu::SSBO& counted) {
      keys.bindBase(0);
      values.bindBase(1);
      sortedKeys.bindBase(2);
      sortedValues.bindBase(3);
      counted.bindBase(4);
    };
    GLuint program = useAlgoProgram("RadixSortUint.comp");
    bindPass(counts);
    setUint(program, "nElements", count);
    setUint(program, "nBlocks", blocks);
    setUint(program, "Shift", pass * kBitsPerPass);
    setUint(program, "FirstPass", indexValues && pass == 0 ? 1 : 0);
    setUint(program, "Stage", 0);
    run(program, uint64_t{blocks} * kGroupSize);
    gpu::SSBO places = prefixSumOf(counts, blocks * 256);
    program = useAlgoProgram("RadixSortUint.comp");
    bindPass(places);
    setUint(program, "Stage", 1);
    run(program, uint64_t{blocks} * kGroupSize);
    std::swap(keys, sortedKeys);
    std::swap(values, sortedValues);
  }
}

EnhancedMesh weldMesh(const IndexedCorners& input, const glm::mat4& gridToWorld) {
  EnhancedMesh mesh;
  const uint32_t n = input.corners - input.corners % 3;
  // Identifiers are 32-bit words: a lattice whose edges they cannot all
  // name would weld the wrong vertices together.
  constexpr uint64_t kIdentifierLimit = 0xFFFFFFFFull;
  if (n == 0 || !input.identifiers || !input.positions || input.identifierBound > kIdentifierLimit) return mesh;

  // 1. Identifiers sorted, with the corner each came from.
  gpu::SSBO keys(uint64_t{n} * 4), corners(uint64_t{n} * 4);
  gpu::copyBufferBytes(input.identifiers->id(), 0, keys.id(), 0, uint64_t{n} * 4);
  radixSort(keys, corners, n, input.identifierBound, true);

  // 2. Where an identifier changes, and 3. the unique vertices' numbers.
  gpu::SSBO flags(uint64_t{n} * 4);
  GLuint program = useAlgoProgram("UniqueMarkChanges.comp");
  keys.bindBase(0);
  flags.bindBase(1);
  setUint(program, "nElements", n);
  run(program, n);
  gpu::SSBO sums = prefixSumOf(flags, n);
  const uint32_t vertices = gpu::readElement<uint32_t>(sums, n - 1);

  // 4. Every corner's vertex, every vertex's position.
  mesh.positions.resize(uint64_t{std::max(vertices, 1u)} * 16);
  mesh.triangles.resize(uint64_t{n} * 4);
  program = useAlgoProgram("UniqueApplyMapping.comp");
  keys.bindBase(0);
  corners.bindBase(1);
  sums.bindBase(2);
  input.positions->bindBase(3);
  mesh.triangles.bindBase(4);
  mesh.positions.bindBase(5);
  setUint(program, "nElements", n);
  run(program, n);

  // 5. Into the world.
  program = useAlgoProgram("TransformPositions.comp");
  mesh.positions.bindBase(0);
  glUniformMatrix4fv(gpu::uniformLocation(program, "GridToWorld"), 1, GL_FALSE, &gridToWorld[0][0]);
  setUint(program, "nVertices", vertices);
  run(program, vertices);

  mesh.vertexCount = vertices;
  mesh.triangleCount = n / 3;
  return mesh;
}

}  // namespace enhance
