// Contact queries against the reference GJK (libccd) and the known truth of
// constructed pairs; warm starts; the step budget.
#include <gtest/gtest.h>

#include <random>

#include "HullPairs.h"
#include "collision/Gjk.h"

namespace {

using hullpairs::Relation;

bool expectedContact(Relation r) { return r == Relation::DeepOverlap || r == Relation::ShallowOverlap; }

TEST(Gjk, AgreesWithTheReferenceAndTheTruthOutsideTheTouchingBand) {
  const std::vector<hullpairs::HullPair> pairs = hullpairs::makePairs(10000, 7);
  int disagreements = 0, capped = 0;
  for (size_t i = 0; i < pairs.size(); ++i) {
    const hullpairs::HullPair& p = pairs[i];
    collision::Simplex cold;
    const collision::GjkResult ours = collision::gjk(p.posedA, p.posedB, cold);
    EXPECT_LE(ours.iterations, collision::kGjkMaxIterations);
    if (ours.iterations == collision::kGjkMaxIterations) ++capped;
    if (p.relation == Relation::Touching) continue;  // within the band either verdict holds
    const bool reference = hullpairs::ccdIntersect(p);
    if (ours.contact != reference) ++disagreements;
    EXPECT_EQ(ours.contact, expectedContact(p.relation)) << "pair " << i << " distance " << ours.distance;
    if (p.relation == Relation::Apart) {
      EXPECT_GE(ours.distance, hullpairs::kGap - 1e-9) << "pair " << i;
    }
    EXPECT_EQ(reference, expectedContact(p.relation)) << "the reference on pair " << i;
  }
  EXPECT_EQ(disagreements, 0);
  EXPECT_LT(capped, 10);
}

// A query that starts from the simplex of a nearby pose, or from any valid
// simplex at all, reaches the cold query's verdict, and the nearby one in
// fewer steps overall.
TEST(Gjk, AWarmStartGivesTheColdVerdictInFewerSteps) {
  std::vector<hullpairs::HullPair> pairs = hullpairs::makePairs(4000, 11);
  std::mt19937 random(3);
  int coldSteps = 0, warmSteps = 0;
  for (hullpairs::HullPair& p : pairs) {
    if (p.relation == Relation::Touching) continue;
    collision::Simplex previous;
    const glm::dvec3 at = p.posedB.translation;
    p.posedB.translation = at + glm::dvec3(0.01, -0.005, 0.0);
    collision::gjk(p.posedA, p.posedB, previous);
    p.posedB.translation = at;

    collision::Simplex cold, arbitrary;
    const collision::GjkResult fresh = collision::gjk(p.posedA, p.posedB, cold);
    const collision::GjkResult warm = collision::gjk(p.posedA, p.posedB, previous);
    arbitrary.size = 3;
    for (auto& v : arbitrary.vertices)
      v = {uint32_t(random() % p.a.size()), uint32_t(random() % p.b.size())};
    const collision::GjkResult fromAnywhere = collision::gjk(p.posedA, p.posedB, arbitrary);
    EXPECT_EQ(warm.contact, fresh.contact);
    EXPECT_EQ(fromAnywhere.contact, fresh.contact);
    coldSteps += fresh.iterations;
    warmSteps += warm.iterations;
  }
  EXPECT_LT(warmSteps, coldSteps * 3 / 4) << warmSteps << " warm against " << coldSteps << " cold";
}

// Round hulls of many vertices converge slowly; the budget holds and the
// verdicts stay right. A stored simplex with indices past a hull's end
// (another hull's table entry) is not used.
TEST(Gjk, RoundHullsStayWithinTheStepBudgetAndBadSimplicesAreDropped) {
  std::vector<glm::vec3> sphere;
  const int rings = 60;
  for (int i = 1; i < rings; ++i)
    for (int j = 0; j < 2 * rings; ++j) {
      const double theta = M_PI * i / rings, phi = M_PI * j / rings;
      sphere.emplace_back(10.0 * std::sin(theta) * std::cos(phi), 10.0 * std::sin(theta) * std::sin(phi),
                          10.0 * std::cos(theta));
    }
  const double tilt = 0.3;
  const glm::dvec3 direction(std::cos(tilt), std::sin(tilt), 0.2);
  for (double gap : {-0.01, 0.01, 1.0}) {
    // The sphere's vertices lie on it, so its hull reaches at least its
    // radius times cos(half the angular spacing) in every direction.
    const double reach = 10.0 * std::cos(M_PI / rings);
    collision::PosedHull a{sphere}, b{sphere};
    b.translation = glm::normalize(direction) * (gap < 0 ? 2.0 * reach + gap : 20.0 + gap);
    collision::Simplex simplex;
    simplex.size = 2;
    simplex.vertices[1] = {uint32_t(sphere.size()), 0};
    const collision::GjkResult r = collision::gjk(a, b, simplex);
    EXPECT_LE(r.iterations, collision::kGjkMaxIterations);
    EXPECT_EQ(r.contact, gap < 0) << gap;
    if (gap > 0) {
      EXPECT_GE(r.distance, gap - 1e-9);
    }
  }
  collision::Simplex simplex;
  const collision::GjkResult empty = collision::gjk(collision::PosedHull{}, collision::PosedHull{sphere}, simplex);
  EXPECT_FALSE(empty.contact);
}

}  // namespace
