// The turned profile on the CPU: a groove insert's plunge leaves a notch
// whose floor and flanks name the sweep, with the material on the left of
// every edge; an insert on the far side of the axis cuts the same radii;
// sweeps out of reach or not finite leave the rectangle alone.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "enhance/TurnedProfile.h"

namespace {

enhance::TurningSweep plunge(glm::dvec2 from, glm::dvec2 to, double width) {
  return {{{-width / 2, 0}, {width / 2, 0}, {width / 2, 9}, {-width / 2, 9}}, from, to};
}

// Is p in the material, by the profile's own edges (a ray towards larger
// radii crosses them an odd number of times)?
bool inMaterial(const enhance::TurnedProfile& profile, glm::dvec2 p) {
  int crossings = 0;
  for (const auto& e : profile.edges) {
    if ((e.a.x <= p.x) == (e.b.x <= p.x)) continue;
    const double y = e.a.y + (p.x - e.a.x) * (e.b.y - e.a.y) / (e.b.x - e.a.x);
    crossings += y > p.y;
  }
  return crossings % 2 == 1;
}

TEST(TurnedProfile, APlungeLeavesANotchNamedAfterItsSweep) {
  // A 3 mm groove at z = -10 down to radius 6, in a bar of radius 10 from
  // z = -30 to 0; sources count from 7.
  const std::vector<enhance::TurningSweep> sweeps{plunge({-10, 12}, {-10, 6}, 3)};
  const enhance::TurnedProfile profile = enhance::turnedProfileOf(sweeps, 7, {-30, 0}, 10, 1);
  ASSERT_FALSE(profile.empty());
  int floorEdges = 0, flankEdges = 0;
  for (const auto& e : profile.edges) {
    ASSERT_TRUE(e.source == -1 || e.source == 7) << e.source;
    const glm::dvec2 middle = (e.a + e.b) / 2.0, along = glm::normalize(e.b - e.a), left(-along.y, along.x);
    // Material on the left, none on the right, for edges away from the axis.
    if (middle.y > 0.1) {
      EXPECT_TRUE(inMaterial(profile, middle + 1e-3 * left)) << middle.x << ", " << middle.y;
      EXPECT_FALSE(inMaterial(profile, middle - 1e-3 * left)) << middle.x << ", " << middle.y;
    }
    if (e.source != 7) continue;
    floorEdges += std::abs(middle.y - 6) < 1e-4 && std::abs(middle.x + 10) < 1.5;
    flankEdges += std::abs(std::abs(middle.x + 10) - 1.5) < 1e-4 && middle.y > 6;
  }
  EXPECT_EQ(floorEdges, 1);
  EXPECT_EQ(flankEdges, 2);
  EXPECT_FALSE(inMaterial(profile, {-10, 7}));
  EXPECT_TRUE(inMaterial(profile, {-10, 5}));
  EXPECT_TRUE(inMaterial(profile, {-20, 9}));

  // An insert below the axis, as from the far side: the work turns, so it
  // cuts at the same radii above.
  const enhance::TurningSweep below{{{-1, -9}, {1, -9}, {1, 0}, {-1, 0}}, {-25, -5}, {-25, -3}};
  const enhance::TurnedProfile turned = enhance::turnedProfileOf({below}, 0, {-30, 0}, 10, 1);
  EXPECT_FALSE(inMaterial(turned, {-25, 5}));
  EXPECT_TRUE(inMaterial(turned, {-25, 2}));
  EXPECT_TRUE(inMaterial(turned, {-22, 5}));
}

TEST(TurnedProfile, SweepsOutOfReachLeaveTheRectangle) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (const auto& sweep : {plunge({-1e15, 12}, {-1e15, 6}, 3), plunge({nan, 12}, {-10, 6}, 3),
                            plunge({-10, 12}, {-10, 6}, std::numeric_limits<double>::infinity())}) {
    const enhance::TurnedProfile profile = enhance::turnedProfileOf({sweep}, 0, {-30, 0}, 10, 1);
    for (const auto& e : profile.edges) EXPECT_EQ(e.source, -1);
    EXPECT_TRUE(inMaterial(profile, {-10, 5}));
  }
  EXPECT_TRUE(enhance::turnedProfileOf({}, 0, {-30, 0}, 10, 1).empty());
}

}  // namespace
