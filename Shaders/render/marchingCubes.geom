#version 430
// The triangles of one mixed cube: the case from its corner mask, the
// vertices on its edges from their crossing codes, one face normal and one
// owner colour per triangle (the smallest owner among its three edges, an
// edge's owner being that of its outside corner).
#include "ShaderContract.h"

layout(points) in;
layout(triangle_strip, max_vertices = 15) out;

flat in uvec4 vCodesAndOwners[];
flat in uint vCell[];

uniform uvec3 aCellCount;  // G - 1
uniform sampler2D triTable;
uniform mat4 model;        // grid to world
uniform mat4 cam_hi;
uniform mat4 cam_lo;
uniform uint Colors[256];  // RGBA bytes per owner

out vec3 gWorld;
out vec3 gNormal;
flat out vec4 gColor;
flat out float gSpecular;

const uvec2 kEdgeCode[12] = uvec2[12](uvec2(0, 0), uvec2(0, 3), uvec2(1, 2), uvec2(0, 1), uvec2(2, 0), uvec2(2, 2),
                                      uvec2(2, 3), uvec2(2, 1), uvec2(0, 2), uvec2(1, 0), uvec2(1, 1), uvec2(1, 3));
const uvec2 kEdgeCorners[12] = uvec2[12](uvec2(0, 1), uvec2(1, 2), uvec2(3, 2), uvec2(0, 3), uvec2(4, 5), uvec2(5, 6),
                                         uvec2(7, 6), uvec2(4, 7), uvec2(0, 4), uvec2(1, 5), uvec2(2, 6), uvec2(3, 7));
const vec3 kCornerAt[8] = vec3[8](vec3(0, 0, 0), vec3(1, 0, 0), vec3(1, 1, 0), vec3(0, 1, 0), vec3(0, 0, 1),
                                  vec3(1, 0, 1), vec3(1, 1, 1), vec3(0, 1, 1));

int tableEdge(uint caseIndex, int k) {
  return int(round(texelFetch(triTable, ivec2(k, int(caseIndex)), 0).r * 255.0));
}

vec3 edgePoint(vec3 cell, uint edge) {
  uvec2 at = kEdgeCode[edge];
  uint code = (vCodesAndOwners[0][at.x] >> (8u * at.y)) & 0xFFu;
  float along = float(GPU_CROSSING_FRACTION(code));
  vec3 a = kCornerAt[kEdgeCorners[edge].x], b = kCornerAt[kEdgeCorners[edge].y];
  return cell + a + (b - a) * (along + 0.5) / float(GPU_CROSSING_STEPS);
}

uint edgeOwner(uint edge) {
  uint owners = vCodesAndOwners[0].w;
  uint mask = owners >> 24;
  uint corner = ((mask >> kEdgeCorners[edge].x) & 1u) != 0u ? kEdgeCorners[edge].y : kEdgeCorners[edge].x;
  return ((owners >> corner) & 1u) != 0u ? (owners >> 16) & 0xFFu : (owners >> 8) & 0xFFu;
}

void emit(vec3 grid) {
  vec4 world = model * vec4(grid, 1.0);
  gWorld = world.xyz;
  gl_Position = cam_hi * world + cam_lo * world;
  EmitVertex();
}

void main() {
  uint caseIndex = vCodesAndOwners[0].w >> 24;
  uint index = vCell[0];
  vec3 cell = vec3(index / (aCellCount.y * aCellCount.z), (index / aCellCount.z) % aCellCount.y,
                   index % aCellCount.z);
  for (int t = 0; t < 5; ++t) {
    int e0 = tableEdge(caseIndex, 3 * t);
    if (e0 == 255) break;
    int e1 = tableEdge(caseIndex, 3 * t + 1), e2 = tableEdge(caseIndex, 3 * t + 2);
    // The table's order turns counter-clockwise seen from outside, as the
    // triangles are emitted: back faces may be culled.
    vec3 v0 = edgePoint(cell, uint(e0)), v1 = edgePoint(cell, uint(e1)), v2 = edgePoint(cell, uint(e2));
    gNormal = normalize(mat3(model) * cross(v1 - v0, v2 - v0));
    uint owner = min(edgeOwner(uint(e0)), min(edgeOwner(uint(e1)), edgeOwner(uint(e2))));
    uint rgba = Colors[owner];
    gColor = vec4(rgba & 0xFFu, (rgba >> 8) & 0xFFu, (rgba >> 16) & 0xFFu, rgba >> 24) / 255.0;
    gSpecular = owner == 0u ? 0.0 : 0.5;
    emit(v0);
    emit(v1);
    emit(v2);
    EndPrimitive();
  }
}
