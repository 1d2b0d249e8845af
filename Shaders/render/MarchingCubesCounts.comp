#version 430
// Triangle indices per cube of the list: three per triangle of its case.
layout(local_size_x = 256) in;

#include "CubeRecord.glsl"

layout(std430, binding = 2) writeonly buffer IndexCounts { uint indexCounts[]; };

void main() {
  uint cube = InvocationOffset + gl_GlobalInvocationID.x;
  if (cube >= nCubes) return;
  indexCounts[cube] = 3u * triangleCountOf(caseOf(cube));
}
