#version 430
// For batches that hold a tool of a general profile: turned, extruded or
// flat-sided, and the search for the surface from inside a sweep.
#define SWEEP_PROFILES
#include "CrowdedCandidates.glsl"
