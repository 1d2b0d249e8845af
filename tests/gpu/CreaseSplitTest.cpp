// A triangle across the corner of a box, one corner on each of the three
// faces there: each edge is split on the crease it crosses, and the corner
// itself becomes the triangle's centre, so that every piece lies on a face
// and none cuts the corner off. A triangle whose corners lie on the box's
// edges there is fanned about the corner. A triangle across a single
// crease gets its split points and no centre, also where its far corner
// stands a little way from where the crease crosses the edge. Each triangle comes with its back, so that
// every edge has both its half-edges, as in a closed mesh.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <vector>

#include <glm/glm.hpp>

#include "enhance/CreaseSplit.h"
#include "enhance/SurfacePlacement.h"
#include "gpu/Dispatch.h"
#include "support/GpuTest.h"

namespace {

class CreaseSplitTest : public testsupport::GpuTest {};

// How far p lies from the surface of the box [0, 10]^3.
double offTheBox(const glm::dvec3& p) {
  const glm::dvec3 q = glm::abs(p - 5.0) - 5.0;
  return std::abs(glm::length(glm::max(q, 0.0)) + std::min(std::max({q.x, q.y, q.z}), 0.0));
}

struct Case {
  const char* what;
  std::vector<glm::vec3> corners, normals;  // counter-clockwise seen from outside
  uint32_t edges, centres, triangles;
};

TEST_F(CreaseSplitTest, ATriangleAcrossABoxCornerIsRemadeOnTheFaces) {
  const std::vector<Case> cases{
      {"one corner on each of three faces",
       {{10, 9.6f, 9.7f}, {9.7f, 10, 9.6f}, {9.6f, 9.7f, 10}},
       {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
       3, 2, 12},
      // A hair off the box's edges, so that each is placed on the face
      // its normal names.
      {"one corner on each of three edges",
       {{10, 9.9998f, 9.7f}, {9.7f, 10, 9.9998f}, {9.9998f, 9.7f, 10}},
       {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
       0, 2, 6},
      {"two corners on one face, one on another",
       {{10, 5, 9.6f}, {10, 5.6f, 9.6f}, {9.7f, 5.3f, 10}},
       {{1, 0, 0}, {1, 0, 0}, {0, 0, 1}},
       2, 0, 6},
      // The crease crosses the first and last corners' edge 0.05 mm from
      // the middle corner, a ninth of the edge: that corner does not stand
      // on the crease there, and the edge must be split.
      {"one corner on a face, its far corner near the crease",
       {{5, 9.72f, 10}, {5, 10, 9.97f}, {4.9f, 10, 9.66f}},
       {{0, 0, 1}, {0, 1, 0}, {0, 1, 0}},
       2, 0, 6},
  };
  stock::BoxShape box;
  box.max = {10, 10, 10};
  const std::optional<stock::StockShape> shape = stock::StockShape(box);
  const enhance::SweepList noSweeps;
  const enhance::PlacementInput input{shape, noSweeps, nullptr, 1.0f, {-1, -1, -1}, {11, 11, 11}, nullptr};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    enhance::EnhancedMesh mesh;
    std::vector<glm::vec4> positions, normals;
    for (size_t k = 0; k < 3; ++k) {
      positions.emplace_back(c.corners[k], 1.0f);
      normals.emplace_back(c.normals[k], 0.0f);
    }
    mesh.vertexCount = 3;
    mesh.triangleCount = 2;
    mesh.positions = gpu::SSBO(48);
    mesh.positions.upload(positions.data(), 48);
    const std::vector<uint32_t> corners{0, 1, 2, 0, 2, 1};
    mesh.triangles = gpu::SSBO(24);
    mesh.triangles.upload(corners.data(), 24);
    gpu::SSBO normalBuffer(48);
    normalBuffer.upload(normals.data(), 48);
    std::optional<enhance::PlacedVertices> placed = enhance::placeOnSurfaces(input, mesh, normalBuffer, {});
    ASSERT_TRUE(placed);

    enhance::CreaseSplitSettings settings;
    settings.maxError = 1.0f;
    settings.minChamfer = 1.0f / 32;
    const enhance::CreaseSplitReport report =
        enhance::splitCreases(mesh, placed->moved, settings, [&](enhance::EnhancedMesh& points, const gpu::SSBO& n) {
          return enhance::placeOnSurfaces(input, points, n, {});
        });
    EXPECT_EQ(report.edges, c.edges);
    EXPECT_EQ(report.centres, c.centres);
    ASSERT_EQ(mesh.triangleCount, c.triangles);
    ASSERT_EQ(mesh.vertexCount, 3 + report.points());

    std::vector<glm::dvec3> at;
    for (const glm::vec4& p : gpu::readBack<glm::vec4>(mesh.positions, 0, mesh.vertexCount)) at.emplace_back(p);
    const std::vector<uint32_t> pieces = gpu::readBack<uint32_t>(mesh.triangles, 0, uint64_t{mesh.triangleCount} * 3);
    const glm::dvec3 outward = glm::normalize(glm::dvec3(glm::cross(c.corners[1] - c.corners[0], c.corners[2] - c.corners[0])));
    for (size_t t = 0; t < pieces.size(); t += 3) {
      const glm::dvec3 &a = at[pieces[t]], &b = at[pieces[t + 1]], &d = at[pieces[t + 2]];
      // The front's pieces come first, then the back's.
      const double facing = t < pieces.size() / 2 ? 1.0 : -1.0;
      EXPECT_GT(glm::dot(glm::cross(b - a, d - a), outward) * facing, 0.0) << "piece " << t / 3 << " turns over";
      for (const glm::dvec3& p : {a, b, d, (a + b + d) / 3.0, (a + b) / 2.0, (b + d) / 2.0, (d + a) / 2.0})
        EXPECT_LT(offTheBox(p), 1e-3) << "piece " << t / 3 << " at " << p.x << " " << p.y << " " << p.z;
    }
  }
}

}  // namespace
