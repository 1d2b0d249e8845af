#version 430
// Stock check, passes 1 and 2, of a non-cutting part whose profile has
// straight segments only and is not convex (kind 7): the union of the
// segments' sweeps.

#define COLLISION_CHECK
#define SHRINK_FROM_WIDEST_RADIUS
#define PROFILE_BLOCK_BINDING GPU_COLLISION_PROFILE_BLOCK_BINDING
#define PROFILE_BLOCK_SEGMENTS GPU_PROFILE_MAX_SEGMENTS
#include "MillKernel.glsl"
#include "ProfileSweep.glsl"
#include "IntervalMerge.glsl"
#include "ProfileUnionSweep.glsl"

void prepareShape() { prepareProfile(3.0e38); }  // every segment straight
