#version 430
// The signed distance of every stock vertex to the design model: the
// nearest of the triangles the 8 lattice nodes around the vertex hold,
// then across edges to a neighbouring triangle while one is nearer (32
// steps at most); the sign from the pseudo-normal at the closest point
// (negative inside the design). Written, scaled to the stock's units, into
// the vertex's distance slot.
layout(local_size_x = 128) in;

#include "DesignField.glsl"

layout(std430, binding = 8) buffer StockVertices { float vertexData[]; };

uniform uint VertexCount, VertexStride, PositionOffset, DistanceOffset;
uniform mat4 StockToField;    // stock vertex frame to grid coordinates
uniform float DistanceScale;  // grid units to the stock's units
uniform uint InvocationOffset;

void main() {
  uint v = gl_GlobalInvocationID.x + InvocationOffset;
  if (v >= VertexCount) return;
  uint base = v * VertexStride;
  vec3 position = vec3(vertexData[base + PositionOffset], vertexData[base + PositionOffset + 1u],
                       vertexData[base + PositionOffset + 2u]);
  vec3 p = (StockToField * vec4(position, 1.0)).xyz;
  vec3 last = vec3(Resolution) - 1.0;
  uvec3 low = uvec3(clamp(floor(p), vec3(0.0), last));
  uint best = kNoTriangle;
  float nearest = 3.0e38;
  for (uint corner = 0u; corner < 8u; ++corner) {
    uvec3 node = min(low + uvec3(corner & 1u, (corner >> 1) & 1u, corner >> 2), uvec3(last));
    uint tri = fieldTriangle[gridNode(node)];
    if (tri == kNoTriangle || tri == best) continue;
    float d = triangleDistance(p, tri);
    if (d < nearest) {
      nearest = d;
      best = tri;
    }
  }
  if (best == kNoTriangle) return;
  for (int step = 0; step < 32; ++step) {
    uint next = best;
    for (uint e = 0u; e < 3u; ++e) {
      int neighbour = triangleNeighbours[3u * best + e];
      if (neighbour < 0) continue;
      float d = triangleDistance(p, uint(neighbour));
      if (d < nearest) {
        nearest = d;
        next = uint(neighbour);
      }
    }
    if (next == best) break;
    best = next;
  }
  vertexData[base + DistanceOffset] = signedTriangleDistance(p, best) * DistanceScale;
}
