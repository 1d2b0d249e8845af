#version 430
// Parting off: material that an empty layer across the lathe axis separates
// from the rest, on the free end's side, falls away. PartingAxis picks the
// axis (value mod 3) and the free end: the positive one for 0 ... 2, the
// negative one for 3 ... 5. One group: it finds which layers hold any
// inside node (reading the sign copy of the axis two steps on, where a
// layer's rays lie together), then the first empty layer after the material
// that starts at the other end, and clears every inside bit beyond it in
// all three copies. The first two and the last two layers count as held.
#include "ShaderContract.h"
layout(local_size_x = 512) in;

#include "StockLattice.glsl"

uniform uvec3 Resolution;  // node counts G
uniform uint PartingAxis;

const uint kGroup = 512u;
const uint kMostLayers = 32768u;
shared uint sHeld[kMostLayers / 32u];
shared int sCutFrom;  // first layer (in the free end's order) to clear; -1 none

uvec3 paddedCounts() { return (Resolution + 31u) / 32u * 32u; }

bool held(uint layer) { return (sHeld[layer / 32u] & (1u << (layer % 32u))) != 0u; }

// The layer a ray of copy c lies in across axis a: the ray's a coordinate.
uint rayCoordinate(uint c, uint ray, uint a) {
  uvec3 n = Resolution;
  uvec3 node;
  if (c == 0u) node = uvec3(0u, ray / n.z, ray % n.z);
  else if (c == 1u) node = uvec3(ray % n.x, 0u, ray / n.x);
  else node = uvec3(ray / n.y, ray % n.y, 0u);
  return node[a];
}

void findHeldLayers(uint a, uint layers) {
  uvec3 padded = paddedCounts();
  uint c = (a + 2u) % 3u;
  uint layerWords = Resolution[(a + 1u) % 3u] * wordsPerRay(padded, c);
  uint start = signCopyStart(Resolution, padded, c);
  uint total = layers * layerWords;
  for (uint w = gl_LocalInvocationID.x; w < total; w += kGroup) {
    uint layer = w / layerWords;
    if (!held(layer) && signWords[start + w] != 0u) atomicOr(sHeld[layer / 32u], 1u << (layer % 32u));
  }
}

// Invocation 0: walks from the fixed end to the material, through it, to
// the first empty layer; what lies beyond that layer is free.
void findFreePart(uint layers, bool towardsPositive) {
  sCutFrom = -1;
  if (layers < 6u) return;
  int material = -1;
  for (uint k = 2u; k + 2u < layers; ++k) {
    uint layer = towardsPositive ? k : layers - 1u - k;
    if (held(layer)) {
      material = int(k);
    } else if (material >= 0) {
      sCutFrom = int(k) + 1;
      return;
    }
  }
}

void clearBeyond(uint a, uint layers, bool towardsPositive) {
  uvec3 padded = paddedCounts();
  uint from = uint(sCutFrom);  // in the free end's order
  uint low = towardsPositive ? from : 0u, high = towardsPositive ? layers - 1u : layers - 1u - from;
  for (uint c = 0u; c < 3u; ++c) {
    uint words = wordsPerRay(padded, c);
    uint start = signCopyStart(Resolution, padded, c);
    uint rays = c == 0u ? Resolution.y * Resolution.z : c == 1u ? Resolution.z * Resolution.x : Resolution.x * Resolution.y;
    for (uint ray = gl_LocalInvocationID.x; ray < rays; ray += kGroup) {
      uint rayStart = start + ray * words;
      if (c == a) {
        for (uint w = low / 32u; w <= high / 32u; ++w) signWords[rayStart + w] &= ~rangeMask(w, low, high);
      } else {
        uint layer = rayCoordinate(c, ray, a);
        if (layer >= low && layer <= high)
          for (uint w = 0u; w < words; ++w) signWords[rayStart + w] = 0u;
      }
    }
  }
}

void main() {
  uint a = PartingAxis % 3u;
  bool towardsPositive = PartingAxis < 3u;
  uint layers = min(Resolution[a], kMostLayers);
  for (uint w = gl_LocalInvocationID.x; w < kMostLayers / 32u; w += kGroup) sHeld[w] = 0u;
  barrier();
  findHeldLayers(a, layers);
  barrier();
  if (gl_LocalInvocationID.x == 0u) findFreePart(layers, towardsPositive);
  barrier();
  if (sCutFrom >= 0) clearBeyond(a, layers, towardsPositive);
}
