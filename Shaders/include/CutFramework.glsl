// What every cut shader shares: the bindings and uniforms of a cut, the
// lookup of a chunk's move in the chunk index, the move's kind (whether it
// cuts, reports, and whose colour it leaves) and the rule that writes an
// interval onto a ray. Codes move only to greater values (so cuts in any
// order leave the same result), the tool's colour goes into the owner
// bytes, and inside bits are cleared. A group that removes material with a
// rapid or spindle-stopped move it reports sets that move's bit.
//
// The including source defines MOVE_SHARED (shared, or nothing when every
// invocation sets up the move for itself) and sets sLow and sHigh, the
// nodes a move may touch, before it writes.
#ifndef MOVE_SHARED
#define MOVE_SHARED shared
#endif
#include "ShaderContract.h"

#define NODE_WORDS_BINDING GPU_CUT_NODE_WORDS_BINDING
#define SIGN_FIELD_BINDING GPU_CUT_SIGN_FIELD_BINDING
#include "StockLattice.glsl"

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
uniform float ExtraElemToolDirFlip;  // the partial move's record parameter
uniform uint ToolColorIndex;
uniform uint CutEveryRay;  // 1: no ray is skipped for holding no material (for comparisons)

const uint kNoMove = 0xFFFFFFFFu;

MOVE_SHARED uint sMove;          // end record of the move, kNoMove for the partial move
MOVE_SHARED uint sChunkInMove;
MOVE_SHARED bool sApply, sReport;
MOVE_SHARED uint sOwner;
MOVE_SHARED ivec3 sLow, sHigh;   // nodes the move may touch, inclusive
MOVE_SHARED bool sFlagged;

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

// The move of chunk, from the chunk index or the partial move: its kind
// decides sApply, sReport and sOwner.
struct CutMove {
  uint type;
  vec3 start, end, axisFrom, axisTo;
  float parameter;
};

CutMove loadMove(uint chunk) {
  CutMove m;
  if (chunk >= InvocationChunkEnd) {
    sMove = kNoMove;
    sChunkInMove = chunk - InvocationChunkEnd;
    m.type = ExtraElemType;
    m.start = ExtraElemStart;
    m.end = ExtraElemEnd;
    m.axisFrom = ExtraElemToolDirFrom;
    m.axisTo = ExtraElemToolDirTo;
    m.parameter = ExtraElemToolDirFlip;
  } else {
    uint k = max(lastEntryAtMost(chunk), 1u);
    sMove = k;
    sChunkInMove = chunk - chunkIndex[k];
    GPUMoveRecord from = moveRecords[k - 1u], to = moveRecords[k];
    m.type = to.type;
    m.start = vec3(from.x, from.y, from.z);
    m.end = vec3(to.x, to.y, to.z);
    m.axisTo = vec3(to.i, to.j, to.k);
    // A continuation record starts with the axis of its own move's end.
    m.axisFrom = (from.type & GPU_MOVE_SHADER_BITS) == GPU_MOVE_ARC_START ? m.axisTo : vec3(from.i, from.j, from.k);
    m.parameter = to.parameter;
  }
  uint kind = m.type & GPU_MOVE_KIND_MASK;
  bool rapid = kind == GPU_MOVE_RAPID, stopped = kind == GPU_MOVE_STOPPED;
  sApply = !(rapid && ApplyRapidMoves == 0u) && !(stopped && StoppedSpindleMode == 0u);
  sReport = (rapid && ReportRapidMoves != 0u) || (stopped && ReportSpindleStoppedMoves != 0u);
  sOwner = (rapid || (stopped && StoppedSpindleMode == 2u)) ? 1u : ToolColorIndex;
  sFlagged = false;
  return m;
}

bool isRapid(CutMove m) { return (m.type & GPU_MOVE_KIND_MASK) == GPU_MOVE_RAPID; }

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

// Invocation 0 (or every invocation, when each set the move up) reports
// the group's move when it removed material it should not have.
void reportMove(bool reports) {
  if (reports && sMove != kNoMove) atomicOr(reportBits[GPU_REPORT_WORD(sMove)], GPU_REPORT_BIT(sMove));
}
