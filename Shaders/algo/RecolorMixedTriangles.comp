#version 430
// A mixed triangle takes the colour two of its vertices share; with three
// different colours, that of the latest surface (the highest source: the
// last cut there). The first word, which the face normal takes after the
// simplification, marks the triangle mixed until then: simplification
// keeps its corners.
layout(local_size_x = 256) in;

#include "SourceColours.glsl"

layout(std430, binding = 0) readonly buffer Records { uvec4 records[]; };
layout(std430, binding = 1) readonly buffer Triangles { uint triangles[]; };
layout(std430, binding = 2) buffer Attributes { uvec2 attributes[]; };
layout(std430, binding = 3) readonly buffer MixedTriangles { uint mixedTriangles[]; };

uniform uint nMixed;
uniform uint InvocationOffset;

void main() {
  uint k = InvocationOffset + gl_GlobalInvocationID.x;
  if (k >= nMixed) return;
  uint t = mixedTriangles[k];
  ivec3 s = ivec3(int(records[triangles[3u * t]].w), int(records[triangles[3u * t + 1u]].w),
                  int(records[triangles[3u * t + 2u]].w));
  uvec3 c = uvec3(colourIndexOf(s.x), colourIndexOf(s.y), colourIndexOf(s.z));
  uint chosen;
  if (c.x == c.y || c.x == c.z) chosen = c.x;
  else if (c.y == c.z) chosen = c.y;
  else chosen = colourIndexOf(max(s.x, max(s.y, s.z)));
  attributes[t] = uvec2(1u, colourRecord(chosen));
}
