// The stock check of a tool's non-cutting part (shoulder, shaft or holder,
// slots 0 to 2): the mill framework sweeps the part along each move
// as it would cut, but a ray's interval only asks whether it holds an
// inside node of the lattice, which it leaves as it is. Moves are the end
// records k of the chunk index; the partial move of playback is not
// checked (its move is, once cut in full).
//
// Passes, per part slot:
//   0: the convex hull of the part's wider profile, every move;
//   1: the wider profile (the holder's proximity clearance), moves pass 0
//      flagged; parts without a wider profile skip it;
//   2: the part's own profile, moves the pass before flagged; a hit sets
//      the move's result bit and widens its range of positions along the
//      move.
// A pass that finds material sets its move's bit in the pre-filter byte
// (passes 0, 1) or the result field (pass 2); in passes 0 and 1 the groups
// of a move already flagged skip their rays.
//
// An interval is taken to meet material when one of the nodes it covers is
// inside: a part that reaches into material by more than a cell's diagonal
// (and is at least that thick) covers one, and a part that stays more than
// a cell clear covers none.

// Binding 4 (CutReportBits of the framework) holds the result field here.
layout(std430, binding = GPU_COLLISION_RANGES_BINDING) buffer CollisionRanges { uint collisionRanges[]; };
layout(std430, binding = GPU_COLLISION_FILTER_BITS_BINDING) buffer CollisionFilter { uint filterBits[]; };

uniform uint ProximityMode;      // this pass: 0, 1 or 2
uniform uint PrevProximityMode;  // the pass whose bit a move needs, GPU_COLLISION_NO_MODE for none
uniform uint CollisionSlot;      // the part: 0 ... 2 (3 is kept free)

bool fieldBit(uint bit) { return (filterBits[GPU_FIELD_WORD(bit)] & GPU_FIELD_MASK(bit)) != 0u; }

// Whether the group's move is to be checked: the pre-filter let it through,
// and in a pre-filter pass no other group of the move flagged it already.
bool checkedMove() {
  if (sMove == kNoMove) return false;
  if (ProximityMode < 2u && fieldBit(GPU_COLLISION_FILTER_BIT(sMove, CollisionSlot, ProximityMode))) return false;
  if (PrevProximityMode == GPU_COLLISION_NO_MODE) return true;
  return fieldBit(GPU_COLLISION_FILTER_BIT(sMove, CollisionSlot, PrevProximityMode));
}

// Where along the move (0 ... 1) the part's bounding cylinder (its widest
// radius, its lowest and highest heights) holds grid point p: the heights
// pass p while t runs through one interval, the radius through another, and
// the part holds p only inside both. Exact for a cylindrical part, a bracket
// of the part's own contact otherwise. The projection on the move when the
// intervals miss (rounding at their ends).
vec2 heldAlongMove(vec3 p) {
  vec3 move = sEnd - sStart, q = p - sStart;
  float h0 = dot(q, sAxis), hm = dot(move, sAxis);
  vec3 qr = q - h0 * sAxis, mr = move - hm * sAxis;
  vec2 span = vec2(0.0, 1.0);
  // Height h0 - t hm between the bottom and the top.
  if (abs(hm) > 1e-7) {
    float a = (h0 - sLength) / hm, b = (h0 - sBottom) / hm;
    span = vec2(max(span.x, min(a, b)), min(span.y, max(a, b)));
  } else if (h0 < sBottom || h0 > sLength) {
    span = vec2(1.0, 0.0);
  }
  // Radius |qr - t mr| at most the widest.
  float mm = dot(mr, mr), qm = dot(qr, mr), c = dot(qr, qr) - sFullRadius * sFullRadius;
  if (mm > 1e-12) {
    float d = qm * qm - mm * c;
    if (d >= 0.0) {
      float root = sqrt(d);
      span = vec2(max(span.x, (qm - root) / mm), min(span.y, (qm + root) / mm));
    } else {
      span = vec2(1.0, 0.0);
    }
  } else if (c > 0.0) {
    span = vec2(1.0, 0.0);
  }
  if (span.x <= span.y) return span;
  float along = dot(move, move) > 1e-12 ? clamp(dot(q, move) / dot(move, move), 0.0, 1.0) : 0.0;
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

// Every node of the box lies on one ray of each direction, so the rays of
// one direction test them all: those along the box's longest side, the
// fewest.
uint checkedRayAxis(ivec3 n) {
  if (n.x >= n.y && n.x >= n.z) return 0u;
  return n.y >= n.z ? 1u : 2u;
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
