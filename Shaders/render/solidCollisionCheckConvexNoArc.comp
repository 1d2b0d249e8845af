#version 430
// Stock check, passes 1 and 2, of a non-cutting part whose straight-sided
// profile bounds a convex solid of revolution (kind 6): one interval per
// ray.

#define COLLISION_CHECK
#define SHRINK_FROM_WIDEST_RADIUS
#define PROFILE_BLOCK_BINDING GPU_COLLISION_PROFILE_BLOCK_BINDING
#define PROFILE_BLOCK_SEGMENTS GPU_PROFILE_MAX_SEGMENTS
#include "MillKernel.glsl"
#include "SingleInterval.glsl"
#include "ProfileSweep.glsl"
#include "ConvexProfileSweep.glsl"

void prepareShape() { prepareProfile(3.0e38); }  // every segment straight
