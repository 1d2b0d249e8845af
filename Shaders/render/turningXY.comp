#version 430
// Turning, the X and Y rays: a group takes up to 128 consecutive axial
// layers of one move's sweep box. First, per layer, the radii the sweep
// reaches on the radial line at that layer (on both sides of the axis):
// invocations take (layer, outline segment) pairs and combine the smallest
// and largest radius in shared memory. Then each invocation takes rays of
// the layers (a layer's Y rays, one per x, then its X rays, one per y):
// the ring between the two radii comes off each ray as the chord of the
// outer circle less that of the inner one.
#define MOVE_SHARED shared
#include "ShaderContract.h"
layout(local_size_x = GPU_CUT_GROUP_SIZE) in;

#include "CutFramework.glsl"
#include "TurningInsert.glsl"

const uint kLayersPerGroup = 128u;

shared uint sFirstLayer, sLayerCount;
// The layers' radii as float bits, which order as the radii do: a ray that
// grazes the circle would turn a rounded radius into a large error of its
// crossing.
shared uint sInner[kLayersPerGroup], sOuter[kLayersPerGroup];

// The radii of segment s's sweep at layer z, into the layer's extremes.
void layerRadii(uint layer, uint s) {
  float lo, hi;
  if (!segmentSpanAtAxial(s, float(sFirstLayer + layer), lo, hi)) return;
  float a = lo - sAxisPoint.x, b = hi - sAxisPoint.x;
  float inner = (a <= 0.0 && b >= 0.0) ? 0.0 : min(abs(a), abs(b));
  float outer = max(abs(a), abs(b));
  atomicMin(sInner[layer], floatBitsToUint(inner));
  atomicMax(sOuter[layer], floatBitsToUint(outer));
}

// Ray i of a layer: its Y rays by x first, then its X rays by y.
void cutRing(uint layer, uint i) {
  if (sOuter[layer] == 0u || sInner[layer] >= sOuter[layer]) return;
  float outer = uintBitsToFloat(sOuter[layer]), inner = uintBitsToFloat(sInner[layer]);
  uint z = sFirstLayer + layer;
  bool yRay = i < NoOfCells.x;
  uint axis = yRay ? 1u : 0u;
  uvec3 node = yRay ? uvec3(i, 0u, z) : uvec3(0u, i - NoOfCells.x, z);
  float across = yRay ? float(node.x) - sAxisPoint.x : float(node.y) - sAxisPoint.y;
  float centre = yRay ? sAxisPoint.y : sAxisPoint.x;
  if (abs(across) > outer) return;
  if (CutEveryRay == 0u && !materialNear(axis, node)) return;
  float half0 = sqrt(outer * outer - across * across);
  float half1 = abs(across) < inner ? sqrt(inner * inner - across * across) : 0.0;
  if (half1 > 0.0 && half1 < half0) {
    subtractInterval(axis, node, centre - half0, centre - half1);
    subtractInterval(axis, node, centre + half1, centre + half0);
  } else {
    subtractInterval(axis, node, centre - half0, centre + half0);
  }
}

void main() {
  uint chunk = InvocationChunkOffset + gl_WorkGroupID.x;
  if (chunk >= InvocationChunkExtraEnd) return;
  uint local = gl_LocalInvocationID.x;
  if (local == 0u) {
    CutMove m = loadMove(chunk);
    sLayerCount = 0u;
    if (placeInsert(m)) {
      uint first = uint(floor(sBoxLow.x)) + sChunkInMove * kLayersPerGroup;
      uint last = uint(ceil(sBoxHigh.x));
      sFirstLayer = first;
      sLayerCount = first <= last ? min(last - first + 1u, kLayersPerGroup) : 0u;
    }
    sLow = ivec3(0);
    sHigh = ivec3(NoOfCells) - 1;
  }
  for (uint l = local; l < kLayersPerGroup; l += GPU_CUT_GROUP_SIZE) {
    sInner[l] = 0xFFFFFFFFu;
    sOuter[l] = 0u;
  }
  barrier();
  uint pairs = sLayerCount * sSegmentCount;
  for (uint p = local; p < pairs; p += GPU_CUT_GROUP_SIZE) layerRadii(p / sSegmentCount, p % sSegmentCount);
  barrier();
  uint raysPerLayer = NoOfCells.x + NoOfCells.y;
  uint rays = sLayerCount * raysPerLayer;
  for (uint r = local; r < rays; r += GPU_CUT_GROUP_SIZE) cutRing(r / raysPerLayer, r % raysPerLayer);
  barrier();
  reportMove(local == 0u && sFlagged);
}
