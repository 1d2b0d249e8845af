// Loose points placed against two slots whose surfaces both lie in reach:
// a point whose normal faces against the surface it sits on (the penalty
// a careless normal earns) keeps that surface, because the shot without
// penalties finds it clearly nearer; a point that lies almost as far from
// both keeps the penalised choice; a point with a sound normal keeps its
// own surface either way.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include <glm/glm.hpp>

#include "enhance/ProjectionRecord.h"
#include "enhance/SurfacePlacement.h"
#include "gpu/Dispatch.h"
#include "support/GpuTest.h"
#include "support/ToolBuilder.h"

namespace {

class SweepShotsTest : public testsupport::GpuTest {};

struct LoosePoint {
  const char* what;
  glm::vec3 position, normal;
  int32_t source;      // the sweep it must end on
  glm::vec3 target;    // where it must end
};

TEST_F(SweepShotsTest, APenaltyDoesNotPullAPointOffTheSurfaceItSitsOn) {
  // Slot 0: floor z = 0 for |x| < 2. Slot 1, deeper and to the side: its
  // wall x = 0.3 stands 0.3 mm from the points on slot 0's floor.
  enhance::SweepList sweeps;
  const tools::CutRecord flat = testsupport::cuttingRecordOf(testsupport::flatProfile(2, 20));
  ASSERT_TRUE(enhance::addMillSweep(sweeps, {0, -10, 0}, {0, 10, 0}, {0, 0, 1}, {0, 0, 1}, flat, 7, 1.0f));
  ASSERT_TRUE(enhance::addMillSweep(sweeps, {2.3, -10, -1}, {2.3, 10, -1}, {0, 0, 1}, {0, 0, 1}, flat, 9, 1.0f));

  const glm::vec3 down(0, 0, -1), up(0, 0, 1);
  const std::vector<LoosePoint> points{
      // Penalised on its own floor (0 + a reach) against the wall (0.3):
      // the bare shot has it on the floor, 0.3 mm nearer.
      {"on the floor, normal reversed", {0, 0, 0}, down, 0, {0, 0, 0}},
      // 0.28 above the floor and 0.3 from the wall, targets 0.41 apart:
      // the floor is not nearer by a tenth of that.
      {"above the floor, normal reversed", {0, 5, 0.28f}, down, 1, {0.3f, 5, 0.28f}},
      {"on the floor, sound normal", {0, -5, 0}, up, 0, {0, -5, 0}},
  };
  enhance::EnhancedMesh mesh;
  std::vector<glm::vec4> positions, normals;
  for (const LoosePoint& p : points) {
    positions.emplace_back(p.position, 1.0f);
    normals.emplace_back(p.normal, 0.0f);
  }
  mesh.vertexCount = static_cast<uint32_t>(points.size());
  mesh.positions = gpu::SSBO(positions.size() * 16);
  mesh.positions.upload(positions.data(), positions.size() * 16);
  gpu::SSBO normalBuffer(normals.size() * 16);
  normalBuffer.upload(normals.data(), normals.size() * 16);

  const std::optional<stock::StockShape> noStock;
  const enhance::PlacementInput input{noStock, sweeps, nullptr, 1.0f, {-20, -20, -20}, {20, 20, 20}, nullptr};
  const std::optional<enhance::PlacedVertices> placed = enhance::placeOnSurfaces(input, mesh, normalBuffer, {});
  ASSERT_TRUE(placed);
  EXPECT_EQ(placed->swept.secondShots, 1u);
  const auto moved = gpu::readBack<glm::vec4>(mesh.positions, 0, mesh.vertexCount);
  const auto records = gpu::readBack<enhance::ProjectionWords>(mesh.projections, 0, mesh.vertexCount);
  for (size_t i = 0; i < points.size(); ++i) {
    SCOPED_TRACE(points[i].what);
    EXPECT_EQ(enhance::decodeProjection(records[i]).source, points[i].source);
    EXPECT_LT(glm::distance(glm::vec3(moved[i]), points[i].target), 1e-4f);
  }
}

}  // namespace
