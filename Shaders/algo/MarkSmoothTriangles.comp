#version 430
// A triangle whose three vertices lie on one surface, with normals within
// SmoothAngle of its face, is shaded with its vertices' normals (bit 31 of
// its normal word): curved faces then show no facets.
layout(local_size_x = 256) in;

#include "PackedNormal.glsl"

layout(std430, binding = 0) readonly buffer PackedNormals { uint packedNormals[]; };
layout(std430, binding = 1) readonly buffer Triangles { uint triangles[]; };
layout(std430, binding = 2) buffer Attributes { uvec2 attributes[]; };
layout(std430, binding = 3) readonly buffer Records { uvec4 records[]; };
layout(std430, binding = 4) readonly buffer Moved { uint moved[]; };

uniform uint nTriangles;
uniform float SmoothCosine;
uniform uint InvocationOffset;

void main() {
  uint t = InvocationOffset + gl_GlobalInvocationID.x;
  if (t >= nTriangles) return;
  uvec3 v = uvec3(triangles[3u * t], triangles[3u * t + 1u], triangles[3u * t + 2u]);
  bool smoothFace = records[v.x].w == records[v.y].w && records[v.y].w == records[v.z].w &&
                    moved[v.x] * moved[v.y] * moved[v.z] != 0u;
  vec3 face = unpackNormal(attributes[t].x);
  for (int k = 0; k < 3 && smoothFace; ++k) smoothFace = dot(unpackNormal(packedNormals[v[k]]), face) >= SmoothCosine;
  if (smoothFace) attributes[t].x |= 0x80000000u;
}
