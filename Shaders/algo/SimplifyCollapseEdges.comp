#version 430
// Vetoes the collapses that would spoil the mesh. Stage 0 finds, for every
// vertex about to collapse, the far corners of the two triangles on its
// edge (a third such triangle means the edge is not a plain fold: veto).
// Stage 1 looks at the removed vertex's other triangles: a collapse is
// vetoed when one of them would lose its area, turn its face more than
// CollapseThreshold (a cosine) allows, or pass farther than maxError from
// the removed vertex, which lies on the exact surface, counting what
// earlier collapses already left at it; and when it would join the kept
// end to a vertex it already meets by an edge other than across those two
// triangles, which would pinch the surface (two sheets along one edge).
// Stages 2 to 4 keep two collapses of a round from making one new edge
// twice, which would give it four triangles: stage 2 has every collapse
// claim its target, and stage 3 blocks those that lost the claim, so one
// collapse goes onto a vertex. Stage 4 looks for a collapse r onto k and
// another r' onto x where x is a neighbour of r and k one of r' (both would
// join k and x): the one with the higher claim key waits.
// The kept end stays where it is (the collapse is onto an end, not a
// midpoint), so every remaining vertex stays on its surface.
layout(local_size_x = 256) in;

#include "Simplify.glsl"

uniform float CollapseThreshold;
uniform float maxError;
uniform uint Stage;

bool mayCollapse(uint v) { return (vertexFlags[v] & (kLocked | kBlocked)) == 0u && vertexTargets[v] != kNone; }

void noteOpposite(uint removed, uint far) {
  uint first = atomicCompSwap(opposites[2u * removed], kNone, far);
  if (first == kNone || first == far) return;
  uint second = atomicCompSwap(opposites[2u * removed + 1u], kNone, far);
  if (second != kNone && second != far) veto(removed);
}

bool pinches(uint removed, uint kept, uint other) {
  return other != opposites[2u * removed] && other != opposites[2u * removed + 1u] && edgeExists(kept, other);
}

void main() {
  uint t = InvocationOffset + gl_GlobalInvocationID.x;
  if (t >= nTriangles) return;
  uvec3 v = cornersOf(t);
  if (degenerate(v)) return;
  for (int k = 0; k < 3; ++k) {
    uint removed = v[k];
    if (Stage >= 2u) {
      if (!collapses(removed)) continue;
      uint key = claimKey(removed), target = vertexTargets[removed];
      if (Stage == 2u) atomicMin(claims[target], key);
      if (Stage == 3u && claims[target] != key) atomicOr(vertexFlags[removed], kBlocked);
      if (Stage == 4u) {
        for (int j = 1; j < 3; ++j) {
          uint x = v[(k + j) % 3], other = claims[x];
          if (x != target && other != kNone && other < key && edgeExists(target, claimant(other)))
            atomicOr(vertexFlags[removed], kBlocked);
        }
      }
      continue;
    }
    if (!mayCollapse(removed)) continue;
    uint kept = vertexTargets[removed];
    uint next = v[(k + 1) % 3], last = v[(k + 2) % 3];
    if (Stage == 0u) {
      if (kept == next) noteOpposite(removed, last);
      if (kept == last) noteOpposite(removed, next);
      continue;
    }
    if (kept == next || kept == last) continue;  // this one goes
    vec3 a = positionOf(removed), b = positionOf(next), c = positionOf(last);
    vec3 moved = positionOf(kept);
    vec3 before = cross(b - a, c - a), after = cross(b - moved, c - moved);
    float lenBefore = length(before), lenAfter = length(after);
    if (lenAfter <= 1e-6 * lenBefore || lenAfter == 0.0 || dot(before, after) < CollapseThreshold * lenBefore * lenAfter ||
        pinches(removed, kept, next) || pinches(removed, kept, last)) {
      veto(removed);
      continue;
    }
    // What earlier collapses left at this vertex adds to what this one does.
    float error = uintBitsToFloat(vertexErrors[removed]) + abs(dot(a - moved, after)) / lenAfter;
    if (!(error <= maxError)) veto(removed);
    else atomicMax(removalErrors[removed], floatBitsToUint(error));
  }
}
