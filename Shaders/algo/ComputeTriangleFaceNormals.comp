#version 430
// Every triangle's packed face normal, from its vertices where they now
// stand, into the first word of its attribute record.
layout(local_size_x = 256) in;

#include "PackedNormal.glsl"

layout(std430, binding = 0) readonly buffer Positions { vec4 positions[]; };
layout(std430, binding = 1) readonly buffer Triangles { uint triangles[]; };
layout(std430, binding = 2) buffer Attributes { uvec2 attributes[]; };

uniform uint nTriangles;
uniform uint InvocationOffset;

void main() {
  uint t = InvocationOffset + gl_GlobalInvocationID.x;
  if (t >= nTriangles) return;
  vec3 a = positions[triangles[3u * t]].xyz, b = positions[triangles[3u * t + 1u]].xyz,
       c = positions[triangles[3u * t + 2u]].xyz;
  vec3 n = cross(b - a, c - a);
  float len = length(n);
  attributes[t].x = packNormal(len > 0.0 ? n / len : vec3(0.0, 0.0, 1.0));
}
