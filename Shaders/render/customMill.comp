#version 430
// A tool with any profile whose every level is a disc (a neck or a waist is
// fine): the union of its segments' convex sweeps.

#define SHRINK_FROM_WIDEST_RADIUS
#include "MillKernel.glsl"
#include "ProfileSweep.glsl"
#include "IntervalMerge.glsl"
#include "ProfileUnionSweep.glsl"

void prepareShape() { prepareProfile(-10000.0); }
