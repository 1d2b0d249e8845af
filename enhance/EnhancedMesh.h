#pragma once
// The exact stock mesh an enhancement leaves on the GPU, as the solid
// program draws it and solid export reads it: unique vertices in world
// coordinates, three indices per triangle (counter-clockwise seen from
// outside) and two words per triangle (packed face normal, colour).
#include <cstdint>

#include "gpu/SSBO.h"

namespace enhance {

struct EnhancedMesh {
  gpu::SSBO positions;      // vec4 per vertex, world coordinates
  gpu::SSBO triangles;      // uint per corner
  gpu::SSBO attributes;     // two uint per triangle
  gpu::SSBO packedNormals;  // uint per vertex: three 10-bit fields
  gpu::SSBO projections;    // uvec4 per vertex: where it went (ProjectionRecord.h)
  uint32_t vertexCount = 0;
  uint32_t triangleCount = 0;
};

}  // namespace enhance
