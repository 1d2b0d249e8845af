// The triangles of a mesh stock and the lattice rays each one crosses.
// A triangle's rays are those of the three axis directions through the
// grid-clamped bounding box of its vertices (cells from floor(min) to
// ceil(max), grown by Expand cells where a pass asks for it): first the x
// rays by (y, z), then the y rays by (x, z), then the z rays by (x, y).
// The work index holds, per triangle, the inclusive prefix sums of its
// chunk counts (InvocationChunkSize rays per chunk); invocation i works on
// chunk i of the whole list.

struct MeshVertex {
  float x, y, z;
  uint packedNormal;  // three 10-bit fields at bits 0, 10, 20: field / 511.5 - 1
};

#include "ShaderContract.h"

layout(std430, binding = 2) readonly buffer Vertices { MeshVertex vertices[]; };
layout(std430, binding = 3) readonly buffer Triangles { uint triangleCorners[]; };
layout(std430, binding = 4) readonly buffer Neighbours { int triangleNeighbours[]; };
layout(std430, binding = 5) buffer WorkIndex { uint workIndex[]; };

uniform mat4 Transformation;        // mesh frame to grid coordinates
uniform uvec3 Resolution;           // node counts G
uniform uint TrianglesCount;        // entries of the work index
uniform uint InvocationChunkSize;   // rays per chunk
uniform uint InvocationChunkEnd;    // chunks in all
uniform uint InvocationChunkOffset; // first chunk of this dispatch

uint gridNode(uvec3 n) { return (n.x * Resolution.y + n.y) * Resolution.z + n.z; }

vec3 gridVertex(uint index) {
  MeshVertex v = vertices[index];
  return (Transformation * vec4(v.x, v.y, v.z, 1.0)).xyz;
}

vec3 unpackNormal(uint packedNormal) {
  vec3 fields = vec3(packedNormal & 1023u, (packedNormal >> 10) & 1023u, (packedNormal >> 20) & 1023u);
  return fields / 511.5 - 1.0;
}

// A vertex normal turned into grid space (the frame map is a rotation with
// a uniform scale, so the linear part carries normals too).
vec3 gridVertexNormal(uint index) {
  vec3 n = mat3(Transformation) * unpackNormal(vertices[index].packedNormal);
  float len = length(n);
  return len > 0.0 ? n / len : n;
}

void triangleVertices(uint tri, out vec3 a, out vec3 b, out vec3 c) {
  a = gridVertex(triangleCorners[3u * tri]);
  b = gridVertex(triangleCorners[3u * tri + 1u]);
  c = gridVertex(triangleCorners[3u * tri + 2u]);
}

// The node box of a triangle's rays; empty (some low > high) when the
// triangle lies outside the lattice.
void triangleRayBox(uint tri, int expand, out ivec3 low, out ivec3 high) {
  vec3 a, b, c;
  triangleVertices(tri, a, b, c);
  vec3 lo = min(a, min(b, c)), hi = max(a, max(b, c));
  ivec3 last = ivec3(Resolution) - 1;
  // Far outside the lattice: compared before conversion to integers.
  for (int k = 0; k < 3; ++k) {
    if (hi[k] < -1.0 - float(expand) || lo[k] > float(last[k] + 1 + expand) ||
        isnan(lo[k]) || isnan(hi[k])) {
      low = ivec3(1);
      high = ivec3(0);
      return;
    }
  }
  low = max(ivec3(floor(lo)) - expand, ivec3(0));
  high = min(ivec3(ceil(hi)) + expand, last);
}

uint raysAcross(ivec3 low, ivec3 high, uint axis) {
  ivec3 span = max(high - low + 1, ivec3(0));
  return axis == 0u ? uint(span.y * span.z) : axis == 1u ? uint(span.x * span.z) : uint(span.x * span.y);
}

uint triangleRayCount(ivec3 low, ivec3 high) {
  if (any(greaterThan(low, high))) return 0u;
  return raysAcross(low, high, 0u) + raysAcross(low, high, 1u) + raysAcross(low, high, 2u);
}

// Ray r of a triangle's list: its axis and the node where it starts (index
// 0 along the axis).
uvec3 triangleRay(ivec3 low, ivec3 high, uint r, out uint axis) {
  ivec3 span = high - low + 1;
  for (axis = 0u; axis < 2u; ++axis) {
    uint count = raysAcross(low, high, axis);
    if (r < count) break;
    r -= count;
  }
  uint u = axis == 0u ? 1u : 0u;       // first cross axis
  uint v = axis == 2u ? 1u : 2u;       // second cross axis
  uvec3 node = uvec3(0u);
  node[u] = uint(low[u]) + r / uint(span[v]);
  node[v] = uint(low[v]) + r % uint(span[v]);
  return node;
}

// The triangle and the ray range of this invocation's chunk; false past the end.
bool chunkOfInvocation(out uint tri, out uint firstRay, out uint rayCount) {
  uint chunk = gl_GlobalInvocationID.x + InvocationChunkOffset;
  if (chunk >= InvocationChunkEnd || TrianglesCount == 0u) return false;
  // The first triangle whose inclusive prefix exceeds the chunk.
  uint lo = 0u, hi = TrianglesCount - 1u;
  while (lo < hi) {
    uint mid = (lo + hi) / 2u;
    if (workIndex[mid] > chunk) hi = mid; else lo = mid + 1u;
  }
  tri = lo;
  uint before = tri == 0u ? 0u : workIndex[tri - 1u];
  firstRay = (chunk - before) * InvocationChunkSize;
  rayCount = InvocationChunkSize;
  return true;
}

// The ray's number in the list of all rays: x rays by (y, z), then y rays
// by (x, z), then z rays by (x, y).
uint globalRay(uint axis, uvec3 node) {
  uvec3 g = Resolution;
  if (axis == 0u) return node.y * g.z + node.z;
  if (axis == 1u) return g.y * g.z + node.x * g.z + node.z;
  return g.y * g.z + g.x * g.z + node.x * g.y + node.y;
}

// Where a ray along axis through node meets the triangle (a, b, c), in grid
// units from the ray's node 0. The hit test uses edge functions in the plane
// across the ray with a small tolerance, so a ray through a shared edge is
// seen by both triangles rather than by neither.
bool rayHit(vec3 a, vec3 b, vec3 c, uint axis, uvec3 node, out float t) {
  uint u = axis == 0u ? 1u : 0u;
  uint v = axis == 2u ? 1u : 2u;
  vec2 p = vec2(node[u], node[v]);
  vec2 pa = vec2(a[u], a[v]), pb = vec2(b[u], b[v]), pc = vec2(c[u], c[v]);
  float area2 = (pb.x - pa.x) * (pc.y - pa.y) - (pb.y - pa.y) * (pc.x - pa.x);
  vec3 normal = cross(b - a, c - a);
  float normalLength = length(normal);
  if (abs(area2) < 1e-17 || normalLength <= 0.0 || abs(normal[axis]) / normalLength < 1e-7) return false;
  float ea = (pc.x - pb.x) * (p.y - pb.y) - (pc.y - pb.y) * (p.x - pb.x);  // opposite a
  float eb = (pa.x - pc.x) * (p.y - pc.y) - (pa.y - pc.y) * (p.x - pc.x);  // opposite b
  float ec = (pb.x - pa.x) * (p.y - pa.y) - (pb.y - pa.y) * (p.x - pa.x);  // opposite c
  if (area2 < 0.0) {
    ea = -ea; eb = -eb; ec = -ec;
  }
  float tolerance = -1e-7 * abs(area2);
  if (ea < tolerance || eb < tolerance || ec < tolerance) return false;
  t = (ea * a[axis] + eb * b[axis] + ec * c[axis]) / (ea + eb + ec);
  return true;
}

// The next float above x.
float nextUp(float x) {
  if (x == 0.0) return 1.4e-45;
  return uintBitsToFloat(x > 0.0 ? floatBitsToUint(x) + 1u : floatBitsToUint(x) - 1u);
}

// Coordinates on (or within 1e-6 of) a lattice line are pushed 1e-6 off it
// (at least one float step), so that no ray passes exactly through a vertex.
vec3 pushOffLatticeLines(vec3 p) {
  for (int k = 0; k < 3; ++k) {
    float line = floor(p[k] + 0.5);
    if (abs(p[k] - line) < 1e-6) p[k] = max(line + 1e-6, nextUp(line));
  }
  return p;
}

// A hit in crossing steps (1/128 cell, floor), clamped to the edges of the ray.
int hitCode(float t, uint axis) {
  const float steps = float(GPU_CROSSING_STEPS);
  float last = float(Resolution[axis] - 1u) * steps - 1.0;
  return int(clamp(floor(t * steps), 0.0, last));
}
