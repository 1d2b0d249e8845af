#version 430
// Every triangle takes the colour of its first vertex's surface: right for
// every triangle whose vertices share one colour, which is nearly all. The
// first word (not mixed) waits for the face normal.
layout(local_size_x = 256) in;

#include "SourceColours.glsl"

layout(std430, binding = 0) readonly buffer Records { uvec4 records[]; };
layout(std430, binding = 1) readonly buffer Triangles { uint triangles[]; };
layout(std430, binding = 2) buffer Attributes { uvec2 attributes[]; };

uniform uint nTriangles;
uniform uint InvocationOffset;

void main() {
  uint t = InvocationOffset + gl_GlobalInvocationID.x;
  if (t >= nTriangles) return;
  attributes[t] = uvec2(0u, colourRecord(colourIndexOf(int(records[triangles[3u * t]].w))));
}
