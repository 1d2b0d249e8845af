#version 430
// Locks the vertices a collapse must keep: those vetoed before, those whose
// triangles differ in colour (the border between two tools' surfaces),
// the corners of mixed triangles (those whose vertices lie on surfaces of
// different colours: a triangle across the crease where two surfaces meet,
// which collapses about it would widen into a chamfer that cuts the
// corner) and those where a face turns more than CollapseThreshold (a
// cosine) from the vertex's normal on its exact surface (edges and corners
// of the part).
// Enters the mesh's edges in the round's table.
layout(local_size_x = 256) in;

#include "PackedNormal.glsl"
#include "Simplify.glsl"

layout(std430, binding = 7) readonly buffer PackedNormals { uint packedNormals[]; };

uniform float CollapseThreshold;

void main() {
  uint t = InvocationOffset + gl_GlobalInvocationID.x;
  if (t >= nTriangles) return;
  uvec3 v = cornersOf(t);
  if (degenerate(v)) return;
  vec3 n = cross(positionOf(v.y) - positionOf(v.x), positionOf(v.z) - positionOf(v.x));
  float len = length(n);
  for (uint k = 0u; k < 3u; ++k) enterEdge(3u * t + k);
  uint colour = attributes[t].y;
  bool mixed = attributes[t].x != 0u;  // set by the colouring, until the face normals
  for (int k = 0; k < 3; ++k) {
    uint seen = atomicCompSwap(vertexColours[v[k]], kNone, colour);
    bool lock = vetoed[v[k]] != 0u || (seen != kNone && seen != colour) || mixed || len == 0.0 ||
                dot(n / max(len, 1e-30), unpackNormal(packedNormals[v[k]])) < CollapseThreshold;
    if (lock) atomicOr(vertexFlags[v[k]], kLocked);
  }
}
