// The design model's field over the stock's node lattice: per node the
// distance (seed band only; sign * (whole cells * 1,000,000 + six decimals))
// and the index of the nearest design triangle; both unset at 0x7FFFFFFF.
// The design mesh comes as MeshRays.glsl reads it, placed in the grid by
// Transformation.
#include "MeshRays.glsl"
#include "TriangleDistance.glsl"

layout(std430, binding = 0) buffer FieldDistances { int fieldDistance[]; };
layout(std430, binding = 1) buffer FieldTriangles { uint fieldTriangle[]; };

const int kUnsetDistance = 0x7FFFFFFF;
const uint kNoTriangle = 0x7FFFFFFFu;

int encodeDistance(float d) {
  float a = abs(d);
  float whole = floor(a);
  int code = int(whole) * 1000000 + int((a - whole) * 1000000.0);
  return d < 0.0 ? -code : code;
}

uvec3 nodeOfIndex(uint index) {
  uint z = index % Resolution.z, rest = index / Resolution.z;
  return uvec3(rest / Resolution.y, rest % Resolution.y, z);
}

uint nodeCount() { return Resolution.x * Resolution.y * Resolution.z; }
