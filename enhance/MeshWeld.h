#pragma once
// The indexed marching-cubes surface made into a mesh of unique vertices on
// the GPU: the corners' vertex identifiers are radix-sorted, the changes
// between neighbours marked and summed, and every corner mapped to the
// number of its identifier among the unique ones. Vertices come out in
// increasing identifier order, each placed where its first corner was.
#include <cstdint>

#include <glm/mat4x4.hpp>

#include "enhance/EnhancedMesh.h"
#include "gpu/SSBO.h"

namespace enhance {

struct IndexedCorners {
  const gpu::SSBO* identifiers = nullptr;  // uint per corner
  const gpu::SSBO* positions = nullptr;    // vec4 per corner, grid coordinates
  uint32_t corners = 0;                    // three per triangle
  uint64_t identifierBound = 0;            // every identifier is below it
};

// Render thread: the welded mesh in world coordinates. Its attributes are
// left empty for the later stages. No mesh (no vertices) when the
// identifiers could reach past 32 bits.
EnhancedMesh weldMesh(const IndexedCorners& input, const glm::mat4& gridToWorld);

// Render thread: sorts keys with their values (radix sort, stable). keys and
// values are swapped with their sorted copies; scratch buffers of the same
// size are made. With indexValues the values start as 0, 1, 2, ... and
// values need only be large enough to take them.
void radixSort(gpu::SSBO& keys, gpu::SSBO& values, uint32_t count, uint64_t keyBound, bool indexValues);

}  // namespace enhance
