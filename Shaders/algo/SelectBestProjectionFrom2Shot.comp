#version 430
// Every vertex was projected twice onto the tool sweeps (the second shot's
// slots follow the first's, nTriangleVertices on): the first shot counts
// the heuristic penalties (a surface facing against the vertex's normal,
// the tool's top), the second takes the bare signed distance. The second
// replaces the first where it lies clearly nearer (|d1| > |d2| + dist / 10,
// dist the distance between the two targets), or where the vertex already
// sits on it (|d2| < maxError / 128) while the first would move it away
// (dist > maxError / 4): a penalty must not pull a vertex off its surface.
// A shot out of reach counts as infinitely far.
layout(local_size_x = 256) in;

#include "ProjectionRecord.glsl"

layout(std430, binding = 2) buffer Records { uvec4 records[]; };
layout(std430, binding = 3) buffer Distances { int distances[]; };
layout(std430, binding = 4) buffer Replaced { uint replaced; };

uniform uint nVertices;
uniform uint nTriangleVertices;  // the slots of one shot
uniform float maxError;
uniform uint InvocationOffset;

bool inReach(uint slot) { return abs(decodeDistance(distances[slot])) <= maxError; }

void main() {
  uint v = InvocationOffset + gl_GlobalInvocationID.x;
  if (v >= nVertices) return;
  uint second = nTriangleVertices + v;
  if (!inReach(second)) return;
  vec3 toSecond = projectionDisplacement(records[second]);
  float d2 = length(toSecond);
  bool replace = true;
  if (inReach(v)) {
    vec3 toFirst = projectionDisplacement(records[v]);
    float d1 = length(toFirst), dist = distance(toFirst, toSecond);
    replace = d1 > d2 + dist / 10.0 || (d2 < maxError / 128.0 && dist > maxError / 4.0);
  }
  if (!replace || records[v] == records[second]) return;
  records[v] = records[second];
  distances[v] = distances[second];
  atomicAdd(replaced, 1u);
}
