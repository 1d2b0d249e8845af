// A whole enhancement of a cut stock: vertices land on the surface that
// made them (a face of the box, or the sweep of the cut that left it, both
// checked against the exact sweeps of the test support, not the shaders),
// no vertex ends inside a cut, triangles take their surface's colour, and
// the solid program's buffers receive the mesh.
#include <gtest/gtest.h>

#include <algorithm>

#include "enhance/ProjectionRecord.h"
#include "enhance/StockEnhancement.h"
#include "gpu/Dispatch.h"
#include "stock/MillCut.h"
#include "stock/StockDrawing.h"
#include "support/BoxStock.h"
#include "support/GpuTest.h"
#include "support/SweepReference.h"
#include "support/ToolBuilder.h"

namespace {

class StockEnhancementTest : public testsupport::GpuTest {};

struct Cut {
  glm::dvec3 from, to;
  testsupport::ToolSolid solid;
  float radius, corner, length;
  tools::CutRecord record;
  uint8_t owner;
};

enhance::ToolSweep sweepOf(const Cut& c) {
  enhance::ToolSweep s{};
  s.start = glm::vec4(glm::vec3(c.from), c.length);
  s.end = glm::vec4(glm::vec3(c.to), 0.0f);
  s.startAxis = glm::vec4(0, 0, 1, c.radius);
  s.endAxis = glm::vec4(0, 0, 1, c.corner);
  const glm::vec3 lo = glm::min(glm::vec3(c.from), glm::vec3(c.to)), hi = glm::max(glm::vec3(c.from), glm::vec3(c.to));
  s.boxMin = glm::vec4(lo - glm::vec3(c.radius + 1), 0.0f);
  s.boxMax = glm::vec4(hi + glm::vec3(c.radius + 1, c.radius + 1, c.length + 1), 0.0f);
  return s;
}

TEST_F(StockEnhancementTest, VerticesLandOnTheSurfacesThatMadeThem) {
  testsupport::BoxStock stock;
  ASSERT_TRUE(stock.make({0, 0, 0}, {20, 12, 8}, 30'000, limits_));
  stock::StockGrid& grid = stock.grid;
  const stock::BoxShape& box = stock.box;
  stock::SurfaceExtraction extraction;
  const std::vector<Cut> cuts{
      {{2, 6, 5.5}, {18, 3, 6.5}, testsupport::ballMillSolid(1.5, 20), 1.5f, 1.5f, 20.0f,
       testsupport::cuttingRecordOf(testsupport::ballProfile(1.5, 20)), 7},
      {{10, -1, 4}, {10, 13, 4}, testsupport::flatMillSolid(2, 20), 2.0f, 0.0f, 20.0f,
       testsupport::cuttingRecordOf(testsupport::flatProfile(2, 20)), 9},
      {{3, 10, 6}, {16, 9, 6}, testsupport::bullNoseSolid(1, 1, 20), 2.0f, 1.0f, 20.0f,
       testsupport::cuttingRecordOf(testsupport::bullNoseProfile(1, 1, 20, true)), 11},
  };
  stock::MillCut mill;
  enhance::EnhancementInput input;
  for (const Cut& c : cuts) {
    const std::vector<toolpath::GPUMoveRecord> moves{
        {float(c.from.x), float(c.from.y), float(c.from.z), 0, 0, 1, 0, toolpath::kMoveCut},
        {float(c.to.x), float(c.to.y), float(c.to.z), 0, 0, 1, 0, toolpath::kMoveCut}};
    mill.cut(grid, stock::MoveStream(moves), 1, 2, c.record, c.owner, {});
    input.sweeps.sweeps.push_back(sweepOf(c));
    input.sweeps.colours.push_back(c.owner);
  }
  extraction.extract(grid);
  input.surface = &extraction;
  input.frame = grid.frame();
  input.initialShape = box;
  input.colours = stock::defaultOwnerColours();
  input.colours[2] = stock::packRgba(40, 40, 40);
  std::vector<int> percents;
  enhance::EnhancementReport report;
  const std::unique_ptr<enhance::EnhancedMesh> mesh =
      enhance::enhanceStock(input, [&](int p) { percents.push_back(p); }, &report);
  ASSERT_TRUE(mesh);
  EXPECT_FALSE(percents.empty());
  EXPECT_TRUE(std::is_sorted(percents.begin(), percents.end()));
  ASSERT_EQ(report.movedVertices, report.vertices) << "every vertex has its surface in reach";
  EXPECT_GT(report.sweepVertices, report.vertices / 10);
  EXPECT_GT(report.mixedTriangles, 0u);

  std::vector<testsupport::LinearSweep> exact;
  for (const Cut& c : cuts) exact.push_back({c.from, c.to, {0, 0, 1}, c.solid});
  const std::vector<glm::vec4> positions = gpu::readBack<glm::vec4>(mesh->positions, 0, mesh->vertexCount);
  const auto records = gpu::readBack<enhance::ProjectionWords>(mesh->projections, 0, mesh->vertexCount);
  std::array<uint32_t, 4> bySource{};  // initial stock, then each cut
  double worstOnSurface = 0, deepestInsideACut = 0;
  for (size_t v = 0; v < positions.size(); ++v) {
    const glm::dvec3 p(positions[v]);
    const int32_t source = enhance::decodeProjection(records[v]).source;
    ASSERT_GE(source, -1);
    ASSERT_LT(source, 3);
    ++bySource[size_t(source + 1)];
    double onSurface = 1e300;
    if (source >= 0) {
      onSurface = std::abs(exact[size_t(source)].distance(p));
    } else {
      for (int k = 0; k < 3; ++k) onSurface = std::min({onSurface, std::abs(p[k] - box.min[k]), std::abs(p[k] - box.max[k])});
    }
    worstOnSurface = std::max(worstOnSurface, onSurface);
    for (const testsupport::LinearSweep& s : exact) deepestInsideACut = std::max(deepestInsideACut, -s.distance(p));
  }
  EXPECT_LT(worstOnSurface, 2e-4) << "moved vertices lie on their surfaces";
  EXPECT_LT(deepestInsideACut, 2e-4) << "no vertex inside material a cut removed";
  for (size_t s = 0; s < bySource.size(); ++s) EXPECT_GT(bySource[s], 30u) << "source " << int(s) - 1;

  // Triangles whose corners all lie on one surface take its colour.
  const std::vector<uint32_t> triangles = gpu::readBack<uint32_t>(mesh->triangles, 0, uint64_t{mesh->triangleCount} * 3);
  const std::vector<glm::uvec2> attributes = gpu::readBack<glm::uvec2>(mesh->attributes, 0, mesh->triangleCount);
  size_t checked = 0;
  for (uint32_t t = 0; t < mesh->triangleCount; ++t) {
    const int32_t a = static_cast<int32_t>(records[triangles[3 * t]][3]);
    if (a != static_cast<int32_t>(records[triangles[3 * t + 1]][3]) || a != static_cast<int32_t>(records[triangles[3 * t + 2]][3]))
      continue;
    const uint32_t owner = a < 0 ? 2u : cuts[size_t(a)].owner;
    EXPECT_EQ(attributes[t].y & 0xFFFFFFu, input.colours[owner] & 0xFFFFFFu) << t;
    EXPECT_EQ(attributes[t].y >> 24, 128u) << "owner codes other than 0 shine";
    ++checked;
  }
  EXPECT_GT(checked, mesh->triangleCount / 2);

  stock::SolidMesh solid;
  enhance::copyIntoSolidMesh(*mesh, solid);
  EXPECT_EQ(solid.indexCount(), mesh->triangleCount * 3);
  std::vector<float> vertexData(size_t{mesh->vertexCount} * stock::SolidMesh::kFloatsPerVertex);
  glBindBuffer(GL_ARRAY_BUFFER, solid.vertexBuffer());
  glGetBufferSubData(GL_ARRAY_BUFFER, 0, GLsizeiptr(vertexData.size() * 4), vertexData.data());
  glBindBuffer(GL_ARRAY_BUFFER, 0);
  for (size_t v = 0; v < positions.size(); v += 97)
    EXPECT_EQ(glm::vec3(vertexData[5 * v], vertexData[5 * v + 1], vertexData[5 * v + 2]), glm::vec3(positions[v]));
  EXPECT_EQ(enhance::readBackSurface(*mesh).triangles, triangles);
}

}  // namespace
