// The framework every mill shader shares. Each group of 128 invocations
// takes 128 rays of one move's sweep box; invocation 0 finds the move and
// builds it in grid space for the group. Every ray subtracts its interval
// of the swept tool from the lattice: codes move only to greater values (so
// cuts in any order leave the same result), the tool's colour goes into the
// owner bytes, and inside bits are cleared. A group that removes material
// with a rapid or spindle-stopped move it reports sets that move's bit.
//
// The including source declares its tool uniforms and defines:
//   void toolDimensions(out float radius, out float bottom, out float top);
//     widest radius, lowest and highest height, in tool units
//   void prepareShape();   // invocation 0, after the move is built
//   void shapeCut(vec3 origin, vec3 dir, uint axis, uvec3 rayNode);
//     calls subtractInterval for the material the sweep takes off the ray
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

#define NODE_WORDS_BINDING GPU_CUT_NODE_WORDS_BINDING
#define SIGN_FIELD_BINDING GPU_CUT_SIGN_FIELD_BINDING
#include "StockLattice.glsl"
#include "SweepPieces.glsl"

layout(std430, binding = GPU_CUT_CHUNK_INDEX_BINDING) readonly buffer ChunkIndex { uint chunkIndex[]; };
layout(std430, binding = GPU_CUT_MOVE_RECORDS_BINDING) readonly buffer MoveRecords { GPUMoveRecord moveRecords[]; };
layout(std430, binding = GPU_CUT_REPORT_BITS_BINDING) buffer CutReportBits { uint reportBits[]; };

uniform uvec3 NoOfCells;       // node counts G
uniform uvec3 BoolPointsSize;  // padded counts P
uniform uint InvocationChunkSize;
uniform uint ElementCount;     // entries of the chunk index
uniform mat4 ToolpathToSolid;
uniform float ToolScale;
uniform uint ApplyRapidMoves;
uniform uint ReportRapidMoves;
uniform uint StoppedSpindleMode;
uniform uint ReportSpindleStoppedMoves;
uniform uint InvocationChunkOffset;
uniform uint InvocationChunkEnd;       // first chunk of the partial move
uniform uint InvocationChunkExtraEnd;  // end of all chunks
uniform uint ExtraElemType;
uniform vec3 ExtraElemStart;
uniform vec3 ExtraElemEnd;
uniform vec3 ExtraElemToolDirFrom;
uniform vec3 ExtraElemToolDirTo;
uniform uint ToolColorIndex;
uniform uint CutEveryRay;  // 1: no ray is skipped for holding no material (for comparisons)

const uint kNoMove = 0xFFFFFFFFu;

MOVE_SHARED uint sMove;          // end record of the move, kNoMove for the partial move
MOVE_SHARED uint sChunkInMove;
MOVE_SHARED vec3 sStart, sEnd;   // tip positions, grid coordinates
MOVE_SHARED vec3 sStartAxis, sEndAxis, sAxis;
MOVE_SHARED vec3 sU, sV, sW;     // move frame
MOVE_SHARED float sRadius, sLength, sFullRadius, sShrink, sBottom;
MOVE_SHARED bool sApply, sReport;
MOVE_SHARED uint sOwner;
MOVE_SHARED ivec3 sLow, sHigh;   // sweep box, inclusive node range
MOVE_SHARED bool sFlagged;

void toolDimensions(out float radius, out float bottom, out float top);
void prepareShape();
void shapeCut(vec3 origin, vec3 dir, uint axis, uvec3 rayNode);

uint lastEntryAtMost(uint chunk) {
  uint lo = 0u, hi = ElementCount;  // the answer lies in [lo, hi)
  while (hi - lo > 1u) {
    uint mid = (lo + hi) / 2u;
    if (chunkIndex[mid] <= chunk) lo = mid; else hi = mid;
  }
  return lo;
}

vec3 toGrid(vec3 p) { return (ToolpathToSolid * vec4(p, 1.0)).xyz; }

vec3 axisToGrid(vec3 a) {
  vec3 g = mat3(ToolpathToSolid) * a;
  float len = length(g);
  return len > 0.0 ? g / len : vec3(0.0, 0.0, 1.0);
}

void buildMove(uint chunk) {
  uint type;
  vec3 start, end, axisFrom, axisTo;
  if (chunk >= InvocationChunkEnd) {
    sMove = kNoMove;
    sChunkInMove = chunk - InvocationChunkEnd;
    type = ExtraElemType;
    start = ExtraElemStart;
    end = ExtraElemEnd;
    axisFrom = ExtraElemToolDirFrom;
    axisTo = ExtraElemToolDirTo;
  } else {
    uint k = max(lastEntryAtMost(chunk), 1u);
    sMove = k;
    sChunkInMove = chunk - chunkIndex[k];
    GPUMoveRecord from = moveRecords[k - 1u], to = moveRecords[k];
    type = to.type;
    start = vec3(from.x, from.y, from.z);
    end = vec3(to.x, to.y, to.z);
    axisTo = vec3(to.i, to.j, to.k);
    // A continuation record starts with the axis of its own move's end.
    axisFrom = (from.type & GPU_MOVE_SHADER_BITS) == GPU_MOVE_ARC_START ? axisTo : vec3(from.i, from.j, from.k);
  }
  uint kind = type & GPU_MOVE_KIND_MASK;
  bool rapid = kind == GPU_MOVE_RAPID, stopped = kind == GPU_MOVE_STOPPED;
  sApply = !(rapid && ApplyRapidMoves == 0u) && !(stopped && StoppedSpindleMode == 0u);
  sReport = (rapid && ReportRapidMoves != 0u) || (stopped && ReportSpindleStoppedMoves != 0u);
  sOwner = (rapid || (stopped && StoppedSpindleMode == 2u)) ? 1u : ToolColorIndex;

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
  sFlagged = false;
  prepareShape();
}

uint raysAcross(uint axis) {
  ivec3 n = max(sHigh - sLow + 1, ivec3(0));
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

bool insideAt(uint rayStart, uint along, uint count) {
  if (along >= count) return false;
  return ((signWords[rayStart + along / 32u] >> (along % 32u)) & 1u) != 0u;
}

// Replaces one axis's code of a node when the new code is greater, with the
// owner; true when it did.
bool raiseCode(uint node, uint axis, uint code, uint owner) {
  uint shift = 8u * axis;
  uint current = nodeWords[node];
  while (((current >> shift) & 0xFFu) < code) {
    uint wanted = (current & ~(0xFFu << shift) & 0x00FFFFFFu) | (code << shift) | (owner << 24);
    uint seen = atomicCompSwap(nodeWords[node], current, wanted);
    if (seen == current) return true;
    current = seen;
  }
  return false;
}

// Stamps the owner; a node whose code for this axis still says "no crossing
// recorded" is left alone unless this cut just wrote next to it.
void stampOwner(uint node, uint axis, uint owner, bool wrote) {
  uint current = nodeWords[node];
  while (true) {
    if (!wrote && ((current >> (8u * axis)) & 0xFFu) == GPU_CROSSING_NONE) return;
    uint wanted = (current & 0x00FFFFFFu) | (owner << 24);
    if (wanted == current) return;
    uint seen = atomicCompSwap(nodeWords[node], current, wanted);
    if (seen == current) return;
    current = seen;
  }
}

// Clears the inside bits of nodes first ... last: whole words by plain
// stores (no other ray of this direction shares them), partial words with
// atomic AND.
void clearBits(uint rayStart, uint first, uint last) {
  if (first > last) return;
  for (uint w = first / 32u; w <= last / 32u; ++w) {
    uint mask = rangeMask(w, first, last);
    if (mask == 0xFFFFFFFFu)
      signWords[rayStart + w] = 0u;
    else
      atomicAnd(signWords[rayStart + w], ~mask);
  }
}

// Takes the interval [lo, hi] (grid units from the ray's node 0) off the ray.
void subtractInterval(uint axis, uvec3 rayNode, float lo, float hi) {
  // Within one node of the sweep box, as the rays across it are: so a cut
  // touches no node outside [sLow - 1, sHigh + 2] along the ray.
  uint count = NoOfCells[axis];
  lo = max(lo, max(float(sLow[axis]) - 1.0, 0.0));
  hi = min(hi, min(float(count), float(sHigh[axis])) + 1.0);
  if (!(hi > lo)) return;
  const uint steps = GPU_CROSSING_STEPS;
  uint entry = uint(floor(lo * float(steps))), exit = uint(floor(hi * float(steps)));
  uint i = entry / steps, k = exit / steps;
  uint rayStart = signCopyStart(NoOfCells, BoolPointsSize, axis) +
                  signRay(NoOfCells, axis, rayNode) * wordsPerRay(BoolPointsSize, axis);
  bool insideI = insideAt(rayStart, i, count), insideNext = insideAt(rayStart, i + 1u, count);
  bool insideK = insideAt(rayStart, k, count), insideAfter = insideAt(rayStart, k + 1u, count);
  uvec3 node = rayNode;
  if (!sApply) {
    if (!sReport) return;
    bool would = false;
    if (insideI && i < count) {
      node[axis] = i;
      would = would || GPU_CROSSING_LEAVING(entry - steps * i) > ((nodeWords[nodeIndex(NoOfCells, node)] >> (8u * axis)) & 0xFFu) + 1u;
    }
    if (insideAfter && k < count && (k > i || !insideI)) {
      node[axis] = k;
      would = would || GPU_CROSSING_ENTERING(exit - steps * k) > ((nodeWords[nodeIndex(NoOfCells, node)] >> (8u * axis)) & 0xFFu) + 1u;
    }
    if (would) sFlagged = true;
    return;
  }
  bool replacedI = false, replacedK = false;
  if (insideI && i < count) {
    node[axis] = i;
    replacedI = raiseCode(nodeIndex(NoOfCells, node), axis, GPU_CROSSING_LEAVING(entry - steps * i), sOwner);
  }
  if ((replacedI || insideNext) && i + 1u < k && i + 1u < count) {
    node[axis] = i + 1u;
    stampOwner(nodeIndex(NoOfCells, node), axis, sOwner, replacedI);
  }
  if (insideAfter && k < count && (k > i || (k == i && !insideI))) {
    node[axis] = k;
    replacedK = raiseCode(nodeIndex(NoOfCells, node), axis, GPU_CROSSING_ENTERING(exit - steps * k), sOwner);
  }
  if ((replacedK || insideK) && k + 1u < count) {
    node[axis] = k + 1u;
    stampOwner(nodeIndex(NoOfCells, node), axis, sOwner, replacedK);
  }
  clearBits(rayStart, i + 1u, min(k, count - 1u));
  if (sReport && (replacedI || replacedK)) sFlagged = true;
}

// Whether the ray has an inside node among those a cut of this move may
// touch (see subtractInterval). A ray without one would change nothing and
// report nothing, so it skips the sweep's intersections: after roughing,
// most rays of a move run through air.
bool materialNear(uint axis, uvec3 rayNode) {
  uint first = uint(max(sLow[axis] - 1, 0));
  uint last = min(uint(sHigh[axis]) + 2u, NoOfCells[axis] - 1u);
  uint rayStart = signCopyStart(NoOfCells, BoolPointsSize, axis) +
                  signRay(NoOfCells, axis, rayNode) * wordsPerRay(BoolPointsSize, axis);
  for (uint w = first / 32u; w <= last / 32u; ++w)
    if ((signWords[rayStart + w] & rangeMask(w, first, last)) != 0u) return true;
  return false;
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
  if (reports && sMove != kNoMove) atomicOr(reportBits[GPU_REPORT_WORD(sMove)], GPU_REPORT_BIT(sMove));
}
