#pragma once
// Profiles grown or shrunk all round by a distance, for collision checks
// that keep a small clearance (or allowance) around a tool's parts.
#include "tools/Profile.h"

namespace tools {

// A revolved profile's solid offset by distance (negative shrinks): its full
// cross-section (the profile and its mirror image across the axis) is offset
// as one polygon, with round corners within tolerance, and the half at
// radius >= 0 is walked from the axis at the bottom to the axis at the top.
// A profile that does not reach the axis on both ends, or any profile when
// revolved is false, is offset as the closed polygon of its own points.
// The result has straight segments only; the profile itself when the offset
// leaves nothing.
// Rounded corners are coarsened until the result has at most maxPoints
// points.
Profile offsetProfile(const Profile& profile, double distance, double tolerance, bool revolved,
                      size_t maxPoints = 129);

}  // namespace tools
