#version 430
// Stock check, pass 0, of any non-cutting part: the convex hull of its
// wider profile (the points of positive radius with their feet on the
// axis, at most 16 segments), a convex solid of revolution that holds the
// part and each ray meets in one interval. Moves it keeps clear of the
// stock need no finer pass.

#define COLLISION_CHECK
#define SHRINK_FROM_WIDEST_RADIUS
#define PROFILE_BLOCK_BINDING GPU_COLLISION_HULL_BLOCK_BINDING
#define PROFILE_BLOCK_SEGMENTS GPU_COLLISION_HULL_MAX_SEGMENTS
#include "MillKernel.glsl"
#include "SingleInterval.glsl"
#include "ProfileSweep.glsl"
#include "ConvexProfileSweep.glsl"

void prepareShape() { prepareProfile(3.0e38); }
