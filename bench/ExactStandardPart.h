#pragma once
// The standard job's part as it exactly is, to measure how far a mesh of it
// strays: the box less the sweeps of every pocket and finish move. Each
// sweep is listed in the 2 mm cells of the plane that its tool's footprint,
// grown by a millimetre, reaches; a point then meets only its cell's
// sweeps, and the others lie more than a millimetre away. Of those, a
// sweep that lies farther than the distance found so far cannot change it
// and is passed by: the upright tool stays within its radius of the path
// across and above its lower tip.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <thread>
#include <vector>

#include <glm/glm.hpp>

#include "StandardJob.h"
#include "stock/SurfaceExtraction.h"
#include "support/SweepReference.h"

namespace bench {

class ExactStandardPart {
  using LinearSweep = testsupport::LinearSweep;

 public:
  explicit ExactStandardPart(const StandardJob& job) : low_(job.boxMin), high_(job.boxMax) {
    cellsX_ = static_cast<size_t>(std::ceil((high_.x - low_.x) / kCell)) + 1;
    cellsY_ = static_cast<size_t>(std::ceil((high_.y - low_.y) / kCell)) + 1;
    cells_.resize(cellsX_ * cellsY_);
    addMoves(job.pocket, testsupport::flatMillSolid(job.toolRadius, 40), job.toolRadius);
    addMoves(job.finish, testsupport::ballMillSolid(job.toolRadius, 40), job.toolRadius);
  }

  // Signed distance of p from the part's surface (negative inside), exact
  // within a millimetre of it.
  double signedDistance(const glm::dvec3& p) const {
    const glm::dvec3 centre = (low_ + high_) / 2.0, half = (high_ - low_) / 2.0;
    const glm::dvec3 q = glm::abs(p - centre) - half;
    double d = glm::length(glm::max(q, 0.0)) + std::min(std::max({q.x, q.y, q.z}), 0.0);
    for (const uint32_t s : cells_[cellOf(p.x, p.y)]) {
      // A sweep raises d only where p lies within -d of it (inside it when
      // d >= 0).
      const double bound = lowerBound(s, p);
      if (d >= 0 ? bound > 0 : bound >= -d) continue;
      d = std::max(d, -sweeps_[s].distance(p));
    }
    return d;
  }

 private:
  static constexpr double kCell = 2.0, kMargin = 1.0;

  size_t index(double v, double low, size_t count) const {
    return static_cast<size_t>(std::clamp(std::floor((v - low) / kCell), 0.0, double(count - 1)));
  }
  // No point of sweep s lies nearer p than this.
  double lowerBound(uint32_t s, const glm::dvec3& p) const {
    const LinearSweep& sweep = sweeps_[s];
    const glm::dvec2 a(sweep.from), e = glm::dvec2(sweep.to) - a, q = glm::dvec2(p) - a;
    const double along = glm::dot(e, e) > 0 ? std::clamp(glm::dot(q, e) / glm::dot(e, e), 0.0, 1.0) : 0.0;
    const double across = glm::length(q - along * e) - sweep.tool.radius;
    const double below = std::min(sweep.from.z, sweep.to.z) - p.z;
    return std::max(across, below);
  }
  size_t cellOf(double x, double y) const { return index(y, low_.y, cellsY_) * cellsX_ + index(x, low_.x, cellsX_); }

  void addMoves(const std::vector<glm::dvec3>& points, const testsupport::ToolSolid& tool, double radius) {
    for (size_t i = 1; i < points.size(); ++i) {
      const auto s = static_cast<uint32_t>(sweeps_.size());
      sweeps_.push_back({points[i - 1], points[i], {0, 0, 1}, tool});
      const glm::dvec3 lo = glm::min(points[i - 1], points[i]) - (radius + kMargin);
      const glm::dvec3 hi = glm::max(points[i - 1], points[i]) + (radius + kMargin);
      for (size_t y = index(lo.y, low_.y, cellsY_); y <= index(hi.y, low_.y, cellsY_); ++y)
        for (size_t x = index(lo.x, low_.x, cellsX_); x <= index(hi.x, low_.x, cellsX_); ++x)
          cells_[y * cellsX_ + x].push_back(s);
    }
  }

  glm::dvec3 low_, high_;
  size_t cellsX_ = 0, cellsY_ = 0;
  std::vector<LinearSweep> sweeps_;
  std::vector<std::vector<uint32_t>> cells_;
};

// How far a mesh's vertices and points on its triangles lie from the part's
// surface: the largest, the mean and the root mean square, in mm.
struct Stray {
  double max = 0, mean = 0, rms = 0;
};

struct MeshStray {
  Stray vertices, triangles;
  glm::dvec3 worstTrianglePoint{0.0};
};

inline Stray strayOf(const std::vector<double>& distances) {
  Stray s;
  for (const double d : distances) {
    s.max = std::max(s.max, std::abs(d));
    s.mean += std::abs(d);
    s.rms += d * d;
  }
  const double n = std::max<double>(1, double(distances.size()));
  s.mean /= n;
  s.rms = std::sqrt(s.rms / n);
  return s;
}

// Runs f(i) for every i below count on every core.
template <typename F>
void forEachIndex(size_t count, F f) {
  const size_t threads = std::max(1u, std::thread::hardware_concurrency());
  std::vector<std::thread> pool;
  for (size_t k = 0; k < threads; ++k)
    pool.emplace_back([&, k] {
      for (size_t i = k; i < count; i += threads) f(i);
    });
  for (std::thread& t : pool) t.join();
}

// Every vertex a triangle uses, and every triangle at its centre and the
// middles of its edges, where a triangle that cuts a crease or a corner
// strays most.
inline MeshStray strayOf(const stock::SurfaceMesh& mesh, const ExactStandardPart& part) {
  std::vector<bool> used(mesh.vertices.size(), false);
  for (const uint32_t v : mesh.triangles) used[v] = true;
  std::vector<glm::dvec3> vertices, points;
  for (size_t v = 0; v < mesh.vertices.size(); ++v)
    if (used[v]) vertices.push_back(mesh.vertices[v]);
  for (size_t t = 0; t + 2 < mesh.triangles.size(); t += 3) {
    const glm::dvec3 &a = mesh.vertices[mesh.triangles[t]], &b = mesh.vertices[mesh.triangles[t + 1]],
                     &c = mesh.vertices[mesh.triangles[t + 2]];
    for (const glm::dvec3& p : {(a + b + c) / 3.0, (a + b) / 2.0, (b + c) / 2.0, (c + a) / 2.0}) points.push_back(p);
  }
  std::vector<double> atVertices(vertices.size()), onTriangles(points.size());
  forEachIndex(vertices.size(), [&](size_t i) { atVertices[i] = part.signedDistance(vertices[i]); });
  forEachIndex(points.size(), [&](size_t i) { onTriangles[i] = part.signedDistance(points[i]); });
  size_t worst = 0;
  for (size_t i = 0; i < onTriangles.size(); ++i)
    if (std::abs(onTriangles[i]) > std::abs(onTriangles[worst])) worst = i;
  return {strayOf(atVertices), strayOf(onTriangles), points.empty() ? glm::dvec3(0.0) : points[worst]};
}

}  // namespace bench
