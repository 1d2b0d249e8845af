#version 430
// For batches of analytic mills only (flat, ball and bull nose).
#include "CrowdedCandidates.glsl"
