// The stock check of a tool's non-cutting part (shoulder, shaft, holder or
// the extra profile): the mill framework sweeps the part along each move
// as it would cut, but a ray's interval only asks whether it holds an
// inside node of the lattice, which it leaves as it is. Moves are the end
// records k of the chunk index; the partial move of playback is not
// checked (its move is, once cut in full).
//
// Passes, per part slot:
//   0: the convex hull of the part's wider profile, every move;
//   1: the wider profile (the proximity clearance), moves pass 0 flagged;
//   2: the part's own profile, moves pass 1 flagged; a hit sets the move's
//      result bit and widens its range of positions along the move.
// A pass that finds material sets its move's bit in the pre-filter byte
// (passes 0, 1) or the result field (pass 2).
//
// An interval is taken to meet material when one of the nodes it covers is
// inside: a part that reaches more than a cell into material covers one,
// and a part that stays more than a cell clear covers none.

// Binding 4 (CutReportBits of the framework) holds the result field here.
layout(std430, binding = GPU_COLLISION_RANGES_BINDING) buffer CollisionRanges { uint collisionRanges[]; };
layout(std430, binding = GPU_COLLISION_FILTER_BITS_BINDING) buffer CollisionFilter { uint filterBits[]; };

uniform uint ProximityMode;      // this pass: 0, 1 or 2
uniform uint PrevProximityMode;  // the pass whose bit a move needs, GPU_COLLISION_NO_MODE for none
uniform uint CollisionSlot;      // the part: 0 ... 3

bool insideProfile(vec2 p);  // ProfilePolygon.glsl

bool fieldBit(uint bit) { return (filterBits[GPU_FIELD_WORD(bit)] & GPU_FIELD_MASK(bit)) != 0u; }

// Whether the pre-filter lets the group's move through.
bool checkedMove() {
  if (sMove == kNoMove) return false;
  if (PrevProximityMode == GPU_COLLISION_NO_MODE) return true;
  return fieldBit(GPU_COLLISION_FILTER_BIT(sMove, CollisionSlot, PrevProximityMode));
}

bool partHolds(vec3 p, float t) {
  vec3 q = p - (sStart + t * (sEnd - sStart));
  float h = dot(q, sAxis);
  return insideProfile(vec2(length(q - h * sAxis), h));
}

// The edge between t0 (held as held0 says) and t1 (the other way).
float heldEdge(vec3 p, float t0, float t1, bool held0) {
  for (int i = 0; i < 12; ++i) {
    float mid = 0.5 * (t0 + t1);
    if (partHolds(p, mid) == held0) t0 = mid; else t1 = mid;
  }
  return 0.5 * (t0 + t1);
}

// Where along the move (0 ... 1) the part holds grid point p: from the
// first to the last of 33 evenly spaced positions at which p lies inside
// the part's profile in the tool's frame, each edge found to 1/131072 of
// the move between its sample and the one outside it; the projection on
// the move when no sample holds p (a sliver thinner than their spacing).
vec2 heldAlongMove(vec3 p) {
  const int kSamples = 32;
  int first = -1, last = -1;
  for (int s = 0; s <= kSamples; ++s)
    if (partHolds(p, float(s) / float(kSamples))) {
      if (first < 0) first = s;
      last = s;
    }
  if (first >= 0) {
    float from = first == 0 ? 0.0 : heldEdge(p, float(first - 1) / float(kSamples), float(first) / float(kSamples), false);
    float to = last == kSamples ? 1.0 : heldEdge(p, float(last) / float(kSamples), float(last + 1) / float(kSamples), true);
    return vec2(from, to);
  }
  vec3 move = sEnd - sStart;
  float along = dot(move, move) > 1e-12 ? clamp(dot(p - sStart, move) / dot(move, move), 0.0, 1.0) : 0.0;
  return vec2(along);
}

void widenRange(vec3 point) {
  vec2 held = heldAlongMove(point);
  atomicMin(collisionRanges[2u * sMove], uint(round(held.x * 65535.0)));
  atomicMax(collisionRanges[2u * sMove + 1u], uint(round(held.y * 65535.0)));
}

// The part covers [lo, hi] of the ray (grid units from node 0).
void meetInterval(uint axis, uvec3 rayNode, float lo, float hi) {
  uint count = NoOfCells[axis];
  lo = max(lo, max(float(sLow[axis]) - 1.0, 0.0));
  hi = min(hi, min(float(count - 1u), float(sHigh[axis]) + 1.0));
  if (!(hi >= lo)) return;
  uint first = uint(ceil(lo)), last = uint(floor(hi));
  if (first > last) return;
  uint rayStart = signCopyStart(NoOfCells, BoolPointsSize, axis) +
                  signRay(NoOfCells, axis, rayNode) * wordsPerRay(BoolPointsSize, axis);
  int firstInside = -1, lastInside = -1;
  for (uint w = first / 32u; w <= last / 32u; ++w) {
    uint bits = signWords[rayStart + w] & rangeMask(w, first, last);
    if (bits == 0u) continue;
    if (firstInside < 0) firstInside = int(w * 32u) + findLSB(bits);
    lastInside = int(w * 32u) + findMSB(bits);
  }
  if (firstInside < 0) return;
  sFlagged = true;
  if (ProximityMode != 2u) return;
  vec3 origin = vec3(rayNode), dir = vec3(0.0);
  origin[axis] = 0.0;
  dir[axis] = 1.0;
  widenRange(origin + dir * float(firstInside));
  if (lastInside != firstInside) widenRange(origin + dir * float(lastInside));
}

// Invocation 0 marks the group's move when one of its rays met material.
void markMove(bool found) {
  if (!found || sMove == kNoMove) return;
  if (ProximityMode == 2u) {
    uint bit = GPU_COLLISION_RESULT_BIT(sMove, CollisionSlot);
    atomicOr(reportBits[GPU_FIELD_WORD(bit)], GPU_FIELD_MASK(bit));
  } else {
    uint bit = GPU_COLLISION_FILTER_BIT(sMove, CollisionSlot, ProximityMode);
    atomicOr(filterBits[GPU_FIELD_WORD(bit)], GPU_FIELD_MASK(bit));
  }
}
