#version 430
// Every vertex whose winning surface lies within maxError moves onto it and
// takes that surface's normal; the others keep their lattice position and
// their averaged normal. Normals are packed for drawing.
layout(local_size_x = 256) in;

#include "ProjectionRecord.glsl"
#include "PackedNormal.glsl"

layout(std430, binding = 0) buffer Positions { vec4 positions[]; };
layout(std430, binding = 1) readonly buffer VertexNormals { vec4 vertexNormals[]; };
layout(std430, binding = 2) readonly buffer Records { uvec4 records[]; };
layout(std430, binding = 3) readonly buffer Distances { int distances[]; };
layout(std430, binding = 4) writeonly buffer PackedNormals { uint packedNormals[]; };
layout(std430, binding = 5) writeonly buffer Moved { uint moved[]; };

uniform uint nVertices;
uniform float maxError;
uniform uint InvocationOffset;

void main() {
  uint v = InvocationOffset + gl_GlobalInvocationID.x;
  if (v >= nVertices) return;
  uvec4 record = records[v];
  vec3 normal = vertexNormals[v].xyz;
  bool reach = abs(decodeDistance(distances[v])) <= maxError;
  if (reach) {
    positions[v].xyz += projectionDisplacement(record);
    vec3 surface = projectionNormal(record);
    if (length(surface) > 0.5) normal = normalize(surface);
  }
  moved[v] = reach ? 1u : 0u;
  packedNormals[v] = packNormal(normal);
}
