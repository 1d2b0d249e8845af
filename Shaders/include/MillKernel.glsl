// The framework every mill shader shares. Each group of 128 invocations
// takes 128 rays of one move's sweep box; invocation 0 finds the move and
// builds it in grid space for the group. Every ray subtracts its interval
// of the swept tool from the lattice with the write rule of
// CutFramework.glsl.
//
// The including source declares its tool uniforms and defines:
//   void toolDimensions(out float radius, out float bottom, out float top);
//     widest radius, lowest and highest height, in tool units
//   void prepareShape();   // invocation 0, after the move is built
//   void shapeCut(vec3 origin, vec3 dir, uint axis, uvec3 rayNode);
//     calls applyInterval for each interval of the sweep on the ray
// (SingleInterval.glsl defines shapeCut for shapes with convex sweeps).
//
// A software renderer runs a group's invocations as coroutines, and any
// barrier in a program makes every group pay for them: there, shapes whose
// set-up is a few values (they define SMALL_MOVE_SET_UP) let each
// invocation build the move for itself, without shared variables or
// barriers. Those groups are 32 invocations, a chunk of 32 rays each: a
// short move then leaves fewer invocations idle past its last ray, and the
// host reads the chunk size from the program's work-group size. The move
// and the cut are the same either way.
#if defined(GPU_BARRIERS_EMULATED) && defined(SMALL_MOVE_SET_UP)
#define MOVE_SET_UP_PER_INVOCATION
#define MOVE_SHARED
#define CUT_GROUP_SIZE 32
#else
#define MOVE_SHARED shared
#define CUT_GROUP_SIZE GPU_CUT_GROUP_SIZE
#endif
#include "ShaderContract.h"
#include "SweepBox.h"

layout(local_size_x = CUT_GROUP_SIZE) in;

#include "CutFramework.glsl"
#include "SweepPieces.glsl"

MOVE_SHARED vec3 sStart, sEnd;   // tip positions, grid coordinates
MOVE_SHARED vec3 sStartAxis, sEndAxis, sAxis;
MOVE_SHARED vec3 sU, sV, sW;     // move frame
MOVE_SHARED float sRadius, sLength, sFullRadius, sShrink, sBottom;

void toolDimensions(out float radius, out float bottom, out float top);
void prepareShape();
void shapeCut(vec3 origin, vec3 dir, uint axis, uvec3 rayNode);

// What a ray does with an interval of the sweep: a cut takes it off the
// ray; the stock check of a non-cutting part (COLLISION_CHECK) only asks
// whether it meets material.
#ifdef COLLISION_CHECK
#include "CollisionFramework.glsl"
void applyInterval(uint axis, uvec3 rayNode, float lo, float hi) { meetInterval(axis, rayNode, lo, hi); }
#else
void applyInterval(uint axis, uvec3 rayNode, float lo, float hi) { subtractInterval(axis, rayNode, lo, hi); }
#endif

void buildMove(uint chunk) {
  CutMove m = loadMove(chunk);
  bool rapid = isRapid(m);
  vec3 start = m.start, end = m.end, axisFrom = m.axisFrom, axisTo = m.axisTo;
  sStart = toGrid(start);
  sEnd = toGrid(end);
  sStartAxis = axisToGrid(axisFrom);
  sEndAxis = axisToGrid(axisTo);
  sAxis = axisToGrid(axisFrom + axisTo);
  float radius, bottom, len;
  toolDimensions(radius, bottom, len);
  sFullRadius = radius * ToolScale;
  sLength = len * ToolScale;
  sBottom = bottom * ToolScale;
  // A rapid that only grazes the stock removes nothing.
#ifdef SHRINK_FROM_WIDEST_RADIUS
  float shrinkBasis = radius;  // profile tools
#else
  float shrinkBasis = min(radius, len);
#endif
  sShrink = rapid ? clamp(0.01 * shrinkBasis * ToolScale, 2.0 / 128.0, 16.0 / 128.0) : 0.0;
#ifdef COLLISION_CHECK
  sShrink = 0.0;  // a part that grazes the stock touches it, rapid or not
#endif
  sRadius = max(sFullRadius - sShrink, 0.0);

  vec3 move = sEnd - sStart;
  sU = length(move) < 1e-7 ? vec3(0.0, 0.0, 1.0) : normalize(move);
  if (abs(dot(sU, sAxis)) > 0.9999) {
    vec3 helper = abs(sU.x) < 0.9 ? vec3(1.0, 0.0, 0.0) : vec3(0.0, 1.0, 0.0);
    sV = normalize(cross(sU, helper));
    sW = cross(sU, sV);
  } else {
    sV = normalize(cross(sU, sAxis));
    sW = cross(sV, sAxis);
  }

  SweepBox box = sweepBoxOf(sStart, sEnd, sAxis, sFullRadius, sBottom, sLength, GPU_SWEEP_PLUNGE_LIMIT);
  vec3 lo = box.lo, hi = box.hi;
  ivec3 last = ivec3(NoOfCells) - 1;
  sLow = clamp(ivec3(floor(lo)), ivec3(0), last);
  sHigh = clamp(ivec3(ceil(hi)), ivec3(0), last);
  if (any(lessThan(hi, vec3(0.0))) || any(greaterThan(lo, vec3(last)))) sHigh = sLow - 1;
#ifdef COLLISION_CHECK
  if (!checkedMove()) sHigh = sLow - 1;  // no rays
#endif
  prepareShape();
}

uint raysAcross(uint axis) {
  ivec3 n = max(sHigh - sLow + 1, ivec3(0));
#ifdef COLLISION_CHECK
  if (axis != checkedRayAxis(n)) return 0u;
#endif
  return axis == 0u ? uint(n.y * n.z) : axis == 1u ? uint(n.x * n.z) : uint(n.x * n.y);
}

// Ray r of the move's list: x rays by (y, z), then y rays by (x, z), then z
// rays by (x, y); false past the list.
bool rayOfMove(uint r, out uint axis, out uvec3 node) {
  for (axis = 0u; axis < 3u; ++axis) {
    uint count = raysAcross(axis);
    if (r < count) break;
    r -= count;
  }
  if (axis == 3u) return false;
  uint u = axis == 0u ? 1u : 0u;
  uint v = axis == 2u ? 1u : 2u;
  uint spanV = uint(sHigh[v] - sLow[v] + 1);
  node = uvec3(0u);
  node[u] = uint(sLow[u]) + r / spanV;
  node[v] = uint(sLow[v]) + r % spanV;
  return true;
}

void cutRay(uint axis, uvec3 rayNode) {
  vec3 dir = vec3(0.0);
  dir[axis] = 1.0;
  vec3 origin = vec3(rayNode);
  origin[axis] = 0.0;
  shapeCut(origin, dir, axis, rayNode);
}

void main() {
  uint groupsPerChunk = InvocationChunkSize / CUT_GROUP_SIZE;
  uint chunk = InvocationChunkOffset + gl_WorkGroupID.x / groupsPerChunk;
  if (chunk >= InvocationChunkExtraEnd) return;
#ifdef MOVE_SET_UP_PER_INVOCATION
  buildMove(chunk);
#else
  if (gl_LocalInvocationID.x == 0u) buildMove(chunk);
  barrier();
#endif
  uint r = sChunkInMove * InvocationChunkSize + (gl_WorkGroupID.x % groupsPerChunk) * CUT_GROUP_SIZE +
           gl_LocalInvocationID.x;
  uint axis;
  uvec3 rayNode;
  if (rayOfMove(r, axis, rayNode) && (CutEveryRay != 0u || materialNear(axis, rayNode))) cutRay(axis, rayNode);
#ifdef MOVE_SET_UP_PER_INVOCATION
  bool reports = sFlagged;
#else
  barrier();
  bool reports = gl_LocalInvocationID.x == 0u && sFlagged;
#endif
#ifdef COLLISION_CHECK
  markMove(reports);
#else
  reportMove(reports);
#endif
}
