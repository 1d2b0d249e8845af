#pragma once
// Random convex hull pairs in known relations, and the reference GJK
// (libccd) on the same pairs: shared by the collision tests and benchmark.
//
// Each hull is a cloud of points on a random ellipsoid, posed by a random
// rotation. The second hull is then placed against the first along a
// random direction n through their extreme vertices: touching there, a
// gap apart, overlapping by a little (that vertex moved inside the first
// hull) or overlapping deeply (the clouds' centres made to meet).
#include <ccd/ccd.h>

#include <cmath>
#include <random>
#include <vector>

#include <glm/geometric.hpp>
#include <glm/gtc/quaternion.hpp>
#include <glm/mat3x3.hpp>

#include "collision/Gjk.h"

namespace hullpairs {

enum class Relation { DeepOverlap, ShallowOverlap, Touching, Apart };
constexpr double kGap = 1e-3;

struct HullPair {
  std::vector<glm::vec3> a, b;
  collision::PosedHull posedA, posedB;  // spans into a and b
  Relation relation = Relation::Touching;
};

inline std::vector<glm::vec3> cloud(std::mt19937& random, int count) {
  std::uniform_real_distribution<float> radius(0.5f, 20.0f);
  std::normal_distribution<float> normal;
  const glm::vec3 axes(radius(random), radius(random), radius(random));
  std::vector<glm::vec3> points;
  for (int i = 0; i < count; ++i) {
    const glm::vec3 d = glm::normalize(glm::vec3(normal(random), normal(random), normal(random)) + 1e-6f);
    points.push_back(d * axes);
  }
  return points;
}

inline glm::dmat3 rotation(std::mt19937& random) {
  std::normal_distribution<double> normal;
  return glm::mat3_cast(glm::normalize(glm::dquat(normal(random), normal(random), normal(random), normal(random))));
}

inline glm::dvec3 world(const collision::PosedHull& h, const glm::vec3& v) {
  return h.rotation * glm::dvec3(v) + h.translation;
}

// The index of the vertex of largest world dot product with n.
inline size_t extreme(const collision::PosedHull& h, const glm::dvec3& n) {
  size_t best = 0;
  for (size_t i = 1; i < h.vertices.size(); ++i)
    if (glm::dot(world(h, h.vertices[i]), n) > glm::dot(world(h, h.vertices[best]), n)) best = i;
  return best;
}

inline glm::dvec3 centre(const collision::PosedHull& h) {
  glm::dvec3 sum(0.0);
  for (const glm::vec3& v : h.vertices) sum += world(h, v);
  return sum / double(h.vertices.size());
}

// Pairs cycle through the four relations. Stable addresses: the posed
// hulls point into the pair's own vectors.
inline std::vector<HullPair> makePairs(int count, uint32_t seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> vertexCount(4, 48);
  std::uniform_real_distribution<double> coordinate(-50.0, 50.0);
  std::vector<HullPair> pairs(count);
  for (int i = 0; i < count; ++i) {
    HullPair& p = pairs[i];
    p.relation = Relation(i % 4);
    p.a = cloud(random, vertexCount(random));
    p.b = cloud(random, vertexCount(random));
    p.posedA = {p.a, rotation(random), {coordinate(random), coordinate(random), coordinate(random)}};
    p.posedB = {p.b, rotation(random), {0.0, 0.0, 0.0}};
    const glm::dvec3 n = glm::normalize(glm::dvec3(coordinate(random), coordinate(random), coordinate(random)));
    const glm::dvec3 onA = world(p.posedA, p.a[extreme(p.posedA, n)]);
    const glm::dvec3 onB = world(p.posedB, p.b[extreme(p.posedB, -n)]);
    switch (p.relation) {
      case Relation::DeepOverlap: p.posedB.translation = centre(p.posedA) - centre(p.posedB); break;
      case Relation::ShallowOverlap:
        p.posedB.translation = onA + kGap * glm::normalize(centre(p.posedA) - onA) - onB;
        break;
      case Relation::Touching: p.posedB.translation = onA - onB; break;
      case Relation::Apart: p.posedB.translation = onA + kGap * n - onB; break;
    }
  }
  return pairs;
}

// libccd's view of a posed hull.
inline void ccdSupport(const void* object, const ccd_vec3_t* direction, ccd_vec3_t* out) {
  const auto& hull = *static_cast<const collision::PosedHull*>(object);
  const glm::dvec3 d(direction->v[0], direction->v[1], direction->v[2]);
  const glm::dvec3 p = world(hull, hull.vertices[collision::supportIndex(hull, d)]);
  ccdVec3Set(out, p.x, p.y, p.z);
}

inline bool ccdIntersect(const HullPair& pair) {
  ccd_t ccd;
  CCD_INIT(&ccd);
  ccd.support1 = ccdSupport;
  ccd.support2 = ccdSupport;
  ccd.max_iterations = 1000;
  return ccdGJKIntersect(&pair.posedA, &pair.posedB, &ccd) != 0;
}

}  // namespace hullpairs
