#version 430
// Every vertex onto the turned profile where an edge of it lies within
// reach. In the lathe's plane a vertex is (axial, radial) = (z, distance
// from the z axis); the profile's edges keep the material on their left.
// The edges a line across the axis through the vertex's slab meets are
// all listed in that slab, so counting those the ray towards larger radii
// crosses tells whether the vertex lies in the material; the edges of the
// slabs within reach give the nearest point. The winner goes back to the
// vertex's angle about the axis and competes with the record the vertex
// holds by the encoded distance.
layout(local_size_x = 128) in;

#include "ProjectionRecord.glsl"

layout(std430, binding = 0) readonly buffer Positions { vec4 positions[]; };
layout(std430, binding = 2) buffer Records { uvec4 records[]; };
layout(std430, binding = 3) buffer Distances { int distances[]; };
layout(std430, binding = 4) readonly buffer Edges { vec4 edges[]; };  // a.xy, b.xy
layout(std430, binding = 5) readonly buffer EdgeSources { int edgeSources[]; };
layout(std430, binding = 6) readonly buffer SlabEnds { uint slabEnds[]; };  // inclusive sums
layout(std430, binding = 7) readonly buffer SlabEntries { uint slabEntries[]; };

uniform uint nVertices;
uniform uint InvocationOffset;
uniform uint nSlabs;
uniform float SlabLow;
uniform float SlabWidth;
uniform float maxError;

uint slabOf(float axial) { return uint(clamp(floor((axial - SlabLow) / SlabWidth), 0.0, float(nSlabs - 1u))); }
uint slabBegin(uint slab) { return slab == 0u ? 0u : slabEnds[slab - 1u]; }

void main() {
  uint v = InvocationOffset + gl_GlobalInvocationID.x;
  if (v >= nVertices) return;
  vec3 world = positions[v].xyz;
  float rho = length(world.xy);
  vec2 p = vec2(world.z, rho);

  uint crossings = 0u;
  uint slab = slabOf(p.x);
  for (uint k = slabBegin(slab); k < slabEnds[slab]; ++k) {
    vec4 e = edges[slabEntries[k]];
    if ((e.x <= p.x) == (e.z <= p.x)) continue;
    float y = e.y + (p.x - e.x) * (e.w - e.y) / (e.z - e.x);
    if (y > p.y) ++crossings;
  }
  bool inside = (crossings & 1u) == 1u;

  float best = 3.0e38;
  vec2 nearest = p, normal = vec2(0.0);
  int source = -1;
  for (uint s = slabOf(p.x - maxError); s <= slabOf(p.x + maxError); ++s) {
    for (uint k = slabBegin(s); k < slabEnds[s]; ++k) {
      uint i = slabEntries[k];
      vec4 e = edges[i];
      vec2 a = e.xy, ab = e.zw - e.xy;
      float len2 = dot(ab, ab);
      float t = len2 > 0.0 ? clamp(dot(p - a, ab) / len2, 0.0, 1.0) : 0.0;
      vec2 q = a + t * ab;
      float d = length(p - q);
      if (d >= best) continue;
      best = d;
      nearest = q;
      source = edgeSources[i];
      // Outward: to the right of the edge, or from a corner towards the point.
      vec2 side = len2 > 0.0 ? vec2(ab.y, -ab.x) / sqrt(len2) : vec2(0.0);
      bool corner = t <= 0.0 || t >= 1.0;
      normal = corner && d > 1e-6 ? (inside ? q - p : p - q) / d : side;
    }
  }
  if (best > maxError) return;
  float signedDistance = inside ? -best : best;
  int encoded = encodeDistance(signedDistance);
  if (encoded >= distances[v]) return;
  vec2 radial = rho > 0.0 ? world.xy / rho : vec2(1.0, 0.0);
  vec3 target = vec3(radial * nearest.y, nearest.x);
  vec3 outward = vec3(radial * normal.y, normal.x);
  distances[v] = encoded;
  records[v] = encodeProjection(target - world, outward, source);
}
