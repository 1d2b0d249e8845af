#pragma once
// What the cutting part of a tool is, for the cut: one of the analytic mill
// shapes with its dimensions, or a general profile.
#include <cstdint>

#include "tools/Profile.h"

namespace tools {

enum class CutterKind : uint32_t {
  Flat = 0,       // p1 radius, p2 length
  Ball = 1,       // p1 radius, p2 length
  BullNose = 2,   // p1 flat radius, p2 length, p3 corner radius; outer radius p1 + p3
  General = 3,    // the profile points
  Extruded = 10,  // a profile that is not revolved
};

struct CutterShape {
  CutterKind kind = CutterKind::General;
  float p1 = 0, p2 = 0, p3 = 0;
  float outerRadius() const { return kind == CutterKind::BullNose ? p1 + p3 : p1; }
};
static_assert(sizeof(CutterShape) == 16);

// The shape of a cutting part from its profile and profile kind.
//
// Four points from (0, 0): all straight along the bottom, up the side and
// back to the axis make a flat mill; an arc about (0, radius) to the side
// first makes a ball mill. Bull nose: a straight bottom from (0, 0) to
// (f, 0), an arc about (f, r) to (f + r, r), a vertical side up to the
// length and, as a fifth point, optionally back to the axis at that height.
// The flat and ball rules allow 1e-7; the bull-nose rule, whose corner sits
// at a sum of two dimensions, allows a relative 1e-6. Anything else
// revolved is a general profile.
CutterShape classifyCutter(const Profile& profile, uint32_t profileKind);

}  // namespace tools
