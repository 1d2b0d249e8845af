#version 430
// Vetoes a collapse that would spoil one of the removed vertex's other
// triangles: one that would lose its area, turn its face more than
// CollapseThreshold (a cosine) allows, or pass farther than maxError from
// the removed vertex, which lies on the exact surface. The kept end stays
// where it is (the collapse is onto an end, not a midpoint), so every
// remaining vertex stays on its surface.
layout(local_size_x = 256) in;

#include "Simplify.glsl"

uniform float CollapseThreshold;
uniform float maxError;

void main() {
  uint t = InvocationOffset + gl_GlobalInvocationID.x;
  if (t >= nTriangles) return;
  uvec3 v = cornersOf(t);
  if (degenerate(v)) return;
  for (int k = 0; k < 3; ++k) {
    uint removed = v[k];
    if ((vertexFlags[removed] & (kLocked | kBlocked)) != 0u || vertexTargets[removed] == kNone) continue;
    uint kept = vertexTargets[removed];
    if (kept == v[(k + 1) % 3] || kept == v[(k + 2) % 3]) continue;  // this one goes
    vec3 a = positionOf(removed), b = positionOf(v[(k + 1) % 3]), c = positionOf(v[(k + 2) % 3]);
    vec3 moved = positionOf(kept);
    vec3 before = cross(b - a, c - a), after = cross(b - moved, c - moved);
    float lenBefore = length(before), lenAfter = length(after);
    bool spoilt = lenAfter <= 1e-6 * lenBefore || lenAfter == 0.0 ||
                  dot(before, after) < CollapseThreshold * lenBefore * lenAfter ||
                  abs(dot(a - moved, after)) > maxError * lenAfter;
    if (spoilt) atomicOr(vertexFlags[removed], kVetoed);
  }
}
