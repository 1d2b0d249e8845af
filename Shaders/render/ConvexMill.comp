#version 430
// A tool whose profile bounds a convex solid of revolution: each ray meets
// its sweep in one interval.

#define SHRINK_FROM_WIDEST_RADIUS
#include "MillKernel.glsl"
#include "SingleInterval.glsl"
#include "ProfileSweep.glsl"
#include "ConvexProfileSweep.glsl"

void prepareShape() { prepareProfile(-1e-7); }
