#pragma once
// The standard job's part as it exactly is, to measure how far a mesh of it
// strays: the box less the sweeps of every pocket and finish move. Each
// sweep is listed in the 2 mm cells of the plane that its tool's footprint,
// grown by a millimetre, reaches; a point then meets only its cell's
// sweeps, and the others lie more than a millimetre away.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include <glm/glm.hpp>

#include "StandardJob.h"
#include "stock/SurfaceExtraction.h"
#include "support/SweepReference.h"

namespace bench {

class ExactStandardPart {
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
    for (const uint32_t s : cells_[cellOf(p.x, p.y)]) d = std::max(d, -sweeps_[s].distance(p));
    return d;
  }

 private:
  static constexpr double kCell = 2.0, kMargin = 1.0;

  size_t index(double v, double low, size_t count) const {
    return static_cast<size_t>(std::clamp(std::floor((v - low) / kCell), 0.0, double(count - 1)));
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
  std::vector<testsupport::LinearSweep> sweeps_;
  std::vector<std::vector<uint32_t>> cells_;
};

// How far a mesh's vertices and points on its triangles lie from the part's
// surface: the largest, the mean and the root mean square, in mm.
struct Stray {
  double max = 0, mean = 0, rms = 0;
};

struct MeshStray {
  Stray vertices, triangles;
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

// Up to samples vertices (every k-th vertex a triangle uses) and as many
// points on triangles (every k-th, at a random place in it).
inline MeshStray strayOf(const stock::SurfaceMesh& mesh, const ExactStandardPart& part, size_t samples = 20'000) {
  std::vector<bool> used(mesh.vertices.size(), false);
  for (const uint32_t v : mesh.triangles) used[v] = true;
  std::vector<double> atVertices, onTriangles;
  const size_t vertexStep = std::max<size_t>(1, mesh.vertices.size() / samples);
  for (size_t v = 0; v < mesh.vertices.size(); v += vertexStep)
    if (used[v]) atVertices.push_back(part.signedDistance(mesh.vertices[v]));
  std::mt19937 rng(1);
  std::uniform_real_distribution<double> unit(0, 1);
  const size_t triangles = mesh.triangles.size() / 3, triangleStep = std::max<size_t>(1, triangles / samples);
  for (size_t t = 0; t < triangles; t += triangleStep) {
    double u = unit(rng), w = unit(rng);
    if (u + w > 1) u = 1 - u, w = 1 - w;
    const glm::dvec3 &a = mesh.vertices[mesh.triangles[3 * t]], &b = mesh.vertices[mesh.triangles[3 * t + 1]],
                     &c = mesh.vertices[mesh.triangles[3 * t + 2]];
    onTriangles.push_back(part.signedDistance(a + u * (b - a) + w * (c - a)));
  }
  return {strayOf(atVertices), strayOf(onTriangles)};
}

}  // namespace bench
