// Where a surface vertex belongs: 16 bytes per vertex. The displacement to
// its target point in 1/100,000 mm about 524,288 (20 bits per axis), the
// surface normal there as (n + 1) * 2047.5 (12 bits per axis), and the
// surface it came from (-1 the initial stock, else a tool sweep's index).
//   word 0: x in bits 12-31, the high 12 bits of y in bits 0-11
//   word 1: the low 8 bits of y in bits 24-31, z in bits 4-23, the high
//           4 bits of the normal's x in bits 0-3
//   word 2: the normal's low 8 bits of x in bits 24-31, y in 12-23, z in 0-11
//   word 3: the source
// The competing distance of a candidate is -d * 10,000,000 with d, the
// signed distance (negative on the material side of its surface), clamped
// to +-214: the smallest value wins.

const float kDisplacementScale = 100000.0;
const float kDisplacementBias = 524288.0;
const float kNormalScale = 2047.5;
const float kDistanceLimit = 214.0;
const float kDistanceScale = 10000000.0;

// Fields round half up, as the library's reading of them does.
uint displacementField(float d) { return uint(clamp(floor(d * kDisplacementScale + kDisplacementBias + 0.5), 0.0, 1048575.0)); }
uint normalField(float n) { return uint(clamp(floor((n + 1.0) * kNormalScale + 0.5), 0.0, 4095.0)); }

uvec4 encodeProjection(vec3 displacement, vec3 normal, int source) {
  uvec3 d = uvec3(displacementField(displacement.x), displacementField(displacement.y), displacementField(displacement.z));
  uvec3 n = uvec3(normalField(normal.x), normalField(normal.y), normalField(normal.z));
  return uvec4((d.x << 12) | (d.y >> 8), ((d.y & 0xFFu) << 24) | (d.z << 4) | (n.x >> 8),
               ((n.x & 0xFFu) << 24) | (n.y << 12) | n.z, uint(source));
}

vec3 projectionDisplacement(uvec4 record) {
  uvec3 d = uvec3(record.x >> 12, ((record.x & 0xFFFu) << 8) | (record.y >> 24), (record.y >> 4) & 0xFFFFFu);
  return (vec3(d) - kDisplacementBias) / kDisplacementScale;
}

vec3 projectionNormal(uvec4 record) {
  uvec3 n = uvec3(((record.y & 0xFu) << 8) | (record.z >> 24), (record.z >> 12) & 0xFFFu, record.z & 0xFFFu);
  return vec3(n) / kNormalScale - 1.0;
}

int projectionSource(uvec4 record) { return int(record.w); }

int encodeDistance(float d) { return int(round(-clamp(d, -kDistanceLimit, kDistanceLimit) * kDistanceScale)); }
float decodeDistance(int encoded) { return -float(encoded) / kDistanceScale; }
