#version 430
// 1 for a triangle whose vertices' surfaces have different colours, else
// 0; their prefix sum places the mixed triangles in a list.
layout(local_size_x = 256) in;

#include "SourceColours.glsl"

layout(std430, binding = 0) readonly buffer Records { uvec4 records[]; };
layout(std430, binding = 1) readonly buffer Triangles { uint triangles[]; };
layout(std430, binding = 2) writeonly buffer MixedFlags { uint mixedFlags[]; };

uniform uint nTriangles;
uniform uint InvocationOffset;

void main() {
  uint t = InvocationOffset + gl_GlobalInvocationID.x;
  if (t >= nTriangles) return;
  uint a = colourIndexOf(int(records[triangles[3u * t]].w)), b = colourIndexOf(int(records[triangles[3u * t + 1u]].w)),
       c = colourIndexOf(int(records[triangles[3u * t + 2u]].w));
  mixedFlags[t] = (a != b || b != c) ? 1u : 0u;
}
