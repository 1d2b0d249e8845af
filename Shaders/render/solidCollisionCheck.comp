#version 430
// Stock check, passes 1 and 2, of a non-cutting part with arcs in its
// profile (kind 8): arcs as chords, the union of the segments' sweeps.

#define COLLISION_CHECK
#define SHRINK_FROM_WIDEST_RADIUS
#define PROFILE_BLOCK_BINDING GPU_COLLISION_PROFILE_BLOCK_BINDING
#define PROFILE_BLOCK_SEGMENTS GPU_PROFILE_MAX_SEGMENTS
#include "MillKernel.glsl"
#include "ProfileSweep.glsl"
#include "IntervalMerge.glsl"
#include "ProfileUnionSweep.glsl"

void prepareShape() { prepareProfile(-10000.0); }
