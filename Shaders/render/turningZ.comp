#version 430
// Turning, the Z rays: each invocation takes one column (x, y) of the
// lattice for one move. The column lies at radius rho from the lathe axis,
// so the work's ring at that radius passes the insert's plane on the lines
// radial = axis +- rho; the sweep's axial interval on each line comes off
// the column's Z ray (its z code bytes and Z sign copy only). With
// SymmetryOpt = 1 (the axis at the grid's centre) a quarter of the columns
// is computed and every interval is also written to the three mirrored
// columns. Moves of kind 2 that are not arc chords cut nothing here.
#define MOVE_SHARED shared
#include "ShaderContract.h"
layout(local_size_x = GPU_CUT_GROUP_SIZE) in;

#include "CutFramework.glsl"
#include "TurningInsert.glsl"

uniform uint SymmetryOpt;

uvec2 columnsComputed() { return SymmetryOpt != 0u ? (NoOfCells.xy + 1u) / 2u : NoOfCells.xy; }

// Host-marked moves are not turned along the axis; the chords of arcs,
// which come marked as well, are.
bool turnsAlongAxis(CutMove m) {
  return (m.type & GPU_MOVE_KIND_MASK) != GPU_MOVE_MARKED || (m.type >> GPU_MOVE_BACK_SHIFT) != 0u;
}

void writeColumn(uvec2 column, float lo, float hi) {
  uvec3 node = uvec3(column, 0u);
  if (CutEveryRay == 0u && !materialNear(2u, node)) return;
  subtractInterval(2u, node, lo, hi);
}

void cutColumn(uvec2 column) {
  float rho = length(vec2(column) - sAxisPoint);
  for (int side = 0; side < 2; ++side) {
    float radial = sAxisPoint.x + (side == 0 ? rho : -rho);
    if (radial < sBoxLow.y || radial > sBoxHigh.y) continue;
    float lo, hi;
    if (!spanAtRadial(radial, lo, hi)) continue;
    writeColumn(column, lo, hi);
    if (SymmetryOpt != 0u) {
      uvec2 last = NoOfCells.xy - 1u;
      writeColumn(uvec2(last.x - column.x, column.y), lo, hi);
      writeColumn(uvec2(column.x, last.y - column.y), lo, hi);
      writeColumn(last - column, lo, hi);
    }
  }
}

void main() {
  uint chunk = InvocationChunkOffset + gl_WorkGroupID.x;
  if (chunk >= InvocationChunkExtraEnd) return;
  if (gl_LocalInvocationID.x == 0u) {
    CutMove m = loadMove(chunk);
    bool cuts = turnsAlongAxis(m) && placeInsert(m);
    sPlaced = cuts;
    sLow = ivec3(0, 0, int(floor(sBoxLow.x)));
    sHigh = ivec3(ivec2(NoOfCells.xy) - 1, int(ceil(sBoxHigh.x)));
  }
  barrier();
  uvec2 across = columnsComputed();
  uint column = sChunkInMove * GPU_CUT_GROUP_SIZE + gl_LocalInvocationID.x;
  if (sPlaced && column < across.x * across.y) cutColumn(uvec2(column / across.y, column % across.y));
  barrier();
  reportMove(gl_LocalInvocationID.x == 0u && sFlagged);
}
