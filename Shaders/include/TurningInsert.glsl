// A turning insert swept along one move, in the lathe's working plane of the
// grid: the work turns about the grid's z axis through the grid point of the
// toolpath origin, so a point of the plane is (axial, radial) = (grid z,
// grid x). The insert outline comes in the profile block as (axial, radial)
// points from the insert's reference point (the toolpath's tool tip); a
// segment whose centre height lies above -1,000,000 is an arc.
//
// Invocation 0 places the insert (placeInsert); every invocation may then
// ask where a line of the plane meets the swept insert (spanAtRadial,
// spanAtAxial): the lowest entry and highest exit over all swept pieces.
// A straight segment sweeps a parallelogram; an arc sweeps its circle at
// the start, at the end and the band between them, the stadium. So a line
// gets one interval, the hull of the sweep along it, exact for convex
// inserts on straight moves.
#include "ProfileBlock.glsl"

uniform vec2 ToolOffset;     // corner of the insert's bounding rectangle, from the reference point
uniform vec2 ToolDimension;  // size of that rectangle

const float kArcCentreThreshold = -1000000.0;

MOVE_SHARED vec2 sFrom, sTo;        // reference point at the start and end, (axial, radial) grid units
MOVE_SHARED vec2 sNormal;           // unit normal of the move in the plane
MOVE_SHARED vec2 sAxisPoint;        // the lathe axis, grid (x, y)
MOVE_SHARED vec2 sBoxLow, sBoxHigh; // sweep box in the plane, clipped to the grid
MOVE_SHARED bool sPlaced;           // false: the sweep misses the grid
MOVE_SHARED uint sSegmentCount;
MOVE_SHARED vec2 sOutline[GPU_PROFILE_MAX_SEGMENTS + 1];  // outline points, placed but not moved
MOVE_SHARED vec3 sArc[GPU_PROFILE_MAX_SEGMENTS];          // per segment: placed centre and radius; radius 0 straight

// The outline transform: mirror by flip across the axial direction after
// turning the insert from the radial direction (0, 1) to the tool axis.
mat2 outlineTransform(vec3 axis, float flip) {
  vec2 toward = vec2(flip * axis.z, axis.x);
  // The signed angle from (0, 1) to toward; none for a tool axis across the
  // working plane.
  float theta = length(toward) < 1e-7 ? 0.0 : atan(-toward.x, toward.y);
  float c = cos(theta), s = sin(theta);
  mat2 unturn = mat2(c, -s, s, c);          // rotation by -theta (columns)
  return mat2(ToolScale * flip, 0.0, 0.0, ToolScale) * unturn;
}

// Invocation 0: the insert for move m, in grid units; false when its sweep
// box misses the grid.
bool placeInsert(CutMove m) {
  vec3 start = toGrid(m.start), end = toGrid(m.end);
  vec3 axis = axisToGrid(m.axisFrom + m.axisTo);
  // A rapid that only grazes the stock removes nothing.
  if (isRapid(m)) {
    float length3 = length(end - start);
    float shift = min(0.01 * min(ToolDimension.x, ToolDimension.y) * ToolScale, length3);
    if (shift > 1e-7) start += (end - start) / length3 * shift;
  }
  // The record's parameter is the insert side: -1 (or 0) the outline as the
  // tool gives it, +1 mirrored.
  float flip = m.parameter > 0.0 ? -1.0 : 1.0;
  mat2 q = outlineTransform(axis, flip);
  sFrom = start.zx;
  sTo = end.zx;
  vec2 d = sTo - sFrom;
  vec2 direction = length(d) < 1e-7 ? vec2(1.0, 0.0) : normalize(d);
  sNormal = vec2(-direction.y, direction.x);
  sAxisPoint = toGrid(vec3(0.0)).xy;

  uint n = min(segmentCount, uint(GPU_PROFILE_MAX_SEGMENTS));
  sSegmentCount = n;
  sOutline[0] = q * profileStart;
  for (uint s = 0u; s < n; ++s) {
    vec2 b = segments[s].xy, centre = segments[s].zw;
    sOutline[s + 1u] = q * b;
    bool arc = centre.y > kArcCentreThreshold;
    sArc[s] = arc ? vec3(q * centre, ToolScale * length(b - centre)) : vec3(0.0);
  }

  vec2 lo = vec2(3.0e38), hi = vec2(-3.0e38);
  for (int corner = 0; corner < 4; ++corner) {
    vec2 p = q * (ToolOffset + vec2(corner & 1, corner >> 1) * ToolDimension);
    lo = min(lo, min(p + sFrom, p + sTo));
    hi = max(hi, max(p + sFrom, p + sTo));
  }
  vec2 last = vec2(NoOfCells.z, NoOfCells.x) - 1.0;
  sBoxLow = max(lo, vec2(0.0));
  sBoxHigh = min(hi, last);
  sPlaced = all(lessThanEqual(sBoxLow, sBoxHigh));
  return sPlaced;
}

// Where the segment p-q meets the line whose fixed coordinate (y) is level:
// widens [lo, hi] along the other coordinate (x).
void segmentHits(vec2 p, vec2 q, float level, inout float lo, inout float hi) {
  float dp = p.y - level, dq = q.y - level;
  if ((dp > 0.0 && dq > 0.0) || (dp < 0.0 && dq < 0.0)) return;
  if (dp == dq) {  // on the line
    lo = min(lo, min(p.x, q.x));
    hi = max(hi, max(p.x, q.x));
    return;
  }
  float u = p.x + dp / (dp - dq) * (q.x - p.x);
  lo = min(lo, u);
  hi = max(hi, u);
}

void parallelogramHits(vec2 a, vec2 b, vec2 shift, float level, inout float lo, inout float hi) {
  segmentHits(a, b, level, lo, hi);
  segmentHits(b, b + shift, level, lo, hi);
  segmentHits(b + shift, a + shift, level, lo, hi);
  segmentHits(a + shift, a, level, lo, hi);
}

void circleHits(vec2 c, float r, float level, inout float lo, inout float hi) {
  float dy = level - c.y;
  float h = r * r - dy * dy;
  if (h < 0.0) return;
  h = sqrt(h);
  lo = min(lo, c.x - h);
  hi = max(hi, c.x + h);
}

// The pieces of segment s against the line; swap exchanges the plane's two
// coordinates first (radial lines run along x, the second coordinate).
void segmentSweepHits(uint s, bool swap, float level, inout float lo, inout float hi) {
  vec2 from = swap ? sFrom.yx : sFrom, to = swap ? sTo.yx : sTo;
  vec2 shift = to - from;
  vec3 arc = sArc[s];
  if (arc.z > 0.0) {
    vec2 c = swap ? arc.yx : arc.xy;
    vec2 offset = arc.z * (swap ? sNormal.yx : sNormal);
    circleHits(c + from, arc.z, level, lo, hi);
    circleHits(c + to, arc.z, level, lo, hi);
    parallelogramHits(c + from - offset, c + from + offset, shift, level, lo, hi);
  } else {
    vec2 a = swap ? sOutline[s].yx : sOutline[s], b = swap ? sOutline[s + 1u].yx : sOutline[s + 1u];
    parallelogramHits(a + from, b + from, shift, level, lo, hi);
  }
}

// The axial interval of the sweep on the line at radial position radial
// (grid x); false when the line misses it.
bool spanAtRadial(float radial, out float lo, out float hi) {
  lo = 3.0e38;
  hi = -3.0e38;
  for (uint s = 0u; s < sSegmentCount; ++s) segmentSweepHits(s, false, radial, lo, hi);
  return hi >= lo;
}

// The radial interval (grid x) of segment s's sweep on the line at axial
// position axial (grid z); false when the line misses it.
bool segmentSpanAtAxial(uint s, float axial, out float lo, out float hi) {
  lo = 3.0e38;
  hi = -3.0e38;
  segmentSweepHits(s, true, axial, lo, hi);
  return hi >= lo;
}
