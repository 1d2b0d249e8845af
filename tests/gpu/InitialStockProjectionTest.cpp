// The first candidate surface of every vertex: points put next to a placed
// box, a bored and a solid cylinder, a mesh stock and no stock at all go to
// the closest point of the surface with its outward normal and signed
// distance; and the welded surface of a turned box stock lands on its
// faces with normals that agree with the surface's own.
#include <gtest/gtest.h>

#include <cmath>

#include <glm/gtc/matrix_transform.hpp>

#include "enhance/InitialStockProjection.h"
#include "enhance/MeshWeld.h"
#include "enhance/ProjectionRecord.h"
#include "enhance/VertexNormals.h"
#include "gpu/Dispatch.h"
#include "stock/SurfaceExtraction.h"
#include "support/BoxStock.h"
#include "support/GpuTest.h"
#include "support/TestMeshes.h"

namespace {

class InitialStockProjectionTest : public testsupport::GpuTest {
 protected:
  struct Read {
    std::vector<enhance::Projection> projections;
    std::vector<double> distances;
  };

  Read project(const std::optional<stock::StockShape>& shape, const enhance::EnhancedMesh& mesh,
               const gpu::SSBO& normals) {
    const enhance::VertexProjections out = enhance::projectOntoInitialStock(shape, mesh, normals);
    Read read;
    for (const auto& words : gpu::readBack<enhance::ProjectionWords>(out.records, 0, mesh.vertexCount))
      read.projections.push_back(enhance::decodeProjection(words));
    for (int32_t d : gpu::readBack<int32_t>(out.distances, 0, mesh.vertexCount))
      read.distances.push_back(enhance::decodeDistance(d));
    return read;
  }
};

struct Expected {
  glm::dvec3 point, target, normal;
  double distance;
};

TEST_F(InitialStockProjectionTest, PointsGoToTheClosestPointOfEachKindOfStock) {
  const double s = std::sqrt(0.5);
  stock::BoxShape box;
  box.min = {0, 0, 0};
  box.max = {10, 6, 4};
  // Turned a quarter about z and moved: own (x, y, z) lies at (20 - y, x, z + 1).
  box.placement = glm::translate(glm::dmat4(1.0), glm::dvec3(20, 0, 1)) *
                  glm::rotate(glm::dmat4(1.0), M_PI / 2, glm::dvec3(0, 0, 1));
  const auto placed = [](glm::dvec3 own) { return glm::dvec3(20 - own.y, own.x, own.z + 1); };
  const auto turned = [](glm::dvec3 own) { return glm::dvec3(-own.y, own.x, own.z); };
  stock::CylinderShape ring;
  ring.from = {0, 0, 0};
  ring.to = {0, 0, 8};
  ring.radius = 5;
  ring.boreRadius = 2;
  stock::CylinderShape rod;
  rod.from = {1, 0, 0};
  rod.to = {9, 0, 0};
  rod.radius = 3;
  const testsupport::Soup cube = testsupport::boxMesh({0, 0, 0}, {1, 1, 1});
  stock::MeshShape meshStock;
  meshStock.mesh = std::make_shared<const stock::StockMesh>(stock::StockMesh::fromTriangleSoup(cube));

  struct Case {
    const char* name;
    std::optional<stock::StockShape> shape;
    std::vector<Expected> points;
  };
  const std::vector<Case> cases{
      {"turned box",
       box,
       {{placed({5, 3, 3.9}), placed({5, 3, 4}), turned({0, 0, 1}), -0.1},
        {placed({11, 7, 2}), placed({10, 6, 2}), turned({s, s, 0}), std::sqrt(2.0)},
        {placed({-1, 3, 2}), placed({0, 3, 2}), turned({-1, 0, 0}), 1.0},
        {placed({0.5, 5.8, 1}), placed({0.5, 6, 1}), turned({0, 1, 0}), -0.2}}},
      {"bored cylinder",
       ring,
       {{{4.9, 0, 4}, {5, 0, 4}, {1, 0, 0}, -0.1},
        {{0, 2.1, 4}, {0, 2, 4}, {0, -1, 0}, -0.1},
        {{3, 0, 8.2}, {3, 0, 8}, {0, 0, 1}, 0.2},
        {{0, -1, 4}, {0, -2, 4}, {0, 1, 0}, 1.0}}},
      {"solid cylinder along x, nearly on its axis",
       rod,
       {{{1.5, 0, 0.2}, {1, 0, 0.2}, {-1, 0, 0}, -0.5}, {{5, 0, 3.5}, {5, 0, 3}, {0, 0, 1}, 0.5}}},
      {"mesh",
       meshStock,
       {{{0.5, 0.5, 0.9}, {0.5, 0.5, 1}, {0, 0, 1}, -0.1},
        {{1.2, 1.2, 0.5}, {1, 1, 0.5}, {s, s, 0}, 0.2 * std::sqrt(2.0)},
        {{0.5, -0.3, 0.5}, {0.5, 0, 0.5}, {0, -1, 0}, 0.3}}},
  };
  for (const Case& c : cases) {
    std::vector<glm::vec4> positions;
    for (const Expected& e : c.points) positions.emplace_back(glm::vec3(e.point), 1.0f);
    enhance::EnhancedMesh points;
    points.positions.resize(positions.size() * 16);
    points.positions.upload(positions.data(), positions.size() * 16);
    points.vertexCount = static_cast<uint32_t>(positions.size());
    const gpu::SSBO normals(positions.size() * 16, 0u);
    const Read read = project(c.shape, points, normals);
    for (size_t i = 0; i < c.points.size(); ++i) {
      const Expected& e = c.points[i];
      const enhance::Projection& p = read.projections[i];
      EXPECT_LT(glm::length(e.point + p.displacement - e.target), 3e-5) << c.name << " " << i;
      EXPECT_LT(glm::length(p.normal - e.normal), 2e-3) << c.name << " " << i;
      EXPECT_NEAR(read.distances[i], e.distance, 1e-5) << c.name << " " << i;
      EXPECT_EQ(p.source, enhance::kInitialStockSource);
    }
  }

  // No stock: every vertex stays, and loses to any surface found later.
  std::vector<glm::vec4> one{{3, 4, 5, 1}};
  enhance::EnhancedMesh point;
  point.positions.resize(16);
  point.positions.upload(one.data(), 16);
  point.vertexCount = 1;
  gpu::SSBO normal(16);
  const glm::vec4 up(0, 0, 1, 0);
  normal.upload(&up, 16);
  const Read none = project(std::nullopt, point, normal);
  EXPECT_EQ(none.projections[0].displacement, glm::dvec3(0.0));
  EXPECT_LT(glm::length(none.projections[0].normal - glm::dvec3(0, 0, 1)), 1e-3);
  EXPECT_EQ(none.distances[0], -214.0);
}

TEST_F(InitialStockProjectionTest, TheSurfaceOfATurnedBoxLandsOnItsFaces) {
  testsupport::BoxStock stock;
  ASSERT_TRUE(stock.make({0, 0, 0}, {12, 7, 5}, 40'000, limits_, glm::rotate(glm::dmat4(1.0), 0.5, glm::dvec3(0, 0, 1))));
  stock::StockGrid& grid = stock.grid;
  const stock::BoxShape& box = stock.box;
  stock::SurfaceExtraction extraction;
  extraction.extract(grid);
  const stock::SurfaceExtraction::IndexedBuffers corners = extraction.runIndexedMesh();
  const enhance::EnhancedMesh mesh = enhance::weldMesh(
      {corners.identifiers, corners.positions, corners.corners, extraction.identifierBound()}, grid.frame().gridToWorld);
  extraction.releaseIndexedBuffers();
  ASSERT_GT(mesh.vertexCount, 500u);
  const gpu::SSBO normals = enhance::vertexNormalsOf(mesh);
  const Read read = project(box, mesh, normals);
  const std::vector<glm::vec4> positions = gpu::readBack<glm::vec4>(mesh.positions, 0, mesh.vertexCount);
  const std::vector<glm::vec4> vertexNormals = gpu::readBack<glm::vec4>(normals, 0, mesh.vertexCount);
  const glm::dmat4 toOwn = glm::inverse(box.placement);
  const double h = grid.frame().exactCellSize;
  size_t agreeing = 0;
  double worstOffFace = 0, worstMove = 0;
  for (size_t v = 0; v < positions.size(); ++v) {
    const enhance::Projection& p = read.projections[v];
    const glm::dvec3 own = glm::dvec3(toOwn * glm::dvec4(glm::dvec3(positions[v]) + p.displacement, 1.0));
    double offFace = 1e300;
    for (int k = 0; k < 3; ++k)
      offFace = std::min({offFace, std::abs(own[k] - box.min[k]), std::abs(own[k] - box.max[k])});
    worstOffFace = std::max(worstOffFace, offFace);
    worstMove = std::max(worstMove, glm::length(p.displacement));
    EXPECT_NEAR(std::abs(read.distances[v]), glm::length(p.displacement), 2e-5);
    EXPECT_NEAR(glm::length(glm::dvec3(vertexNormals[v])), 1.0, 1e-5);
    agreeing += glm::dot(p.normal, glm::dvec3(vertexNormals[v])) > 0.5;
  }
  EXPECT_LT(worstOffFace, 2e-5) << "every target on a face";
  // Vertices lie on the faces to 1/128 cell, except round the box's edges,
  // where the cubes cut a chamfer.
  EXPECT_LT(worstMove, h);
  EXPECT_GT(agreeing, positions.size() * 9 / 10) << "the face's normal and the surface's agree";
}

}  // namespace
