// The GPU weld of the marching-cubes surface: the radix sort against a
// stable sort on the CPU, and the welded mesh of a cut stock against the
// CPU weld of the same corners (same vertices, same triangles, in place).
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>

#include "enhance/MeshWeld.h"
#include "gpu/Dispatch.h"
#include "stock/MillCut.h"
#include "stock/SurfaceExtraction.h"
#include "support/BoxStock.h"
#include "support/GpuTest.h"
#include "support/ToolBuilder.h"

namespace {

class MeshWeldTest : public testsupport::GpuTest {};

TEST_F(MeshWeldTest, RadixSortIsAStableSortOfTheKeys) {
  struct Case {
    uint32_t count;
    uint64_t keyBound;
  };
  std::mt19937 random(11);
  for (const Case c : {Case{1, 2}, Case{1000, 300}, Case{70'001, uint64_t{1} << 32}, Case{4096, 1}}) {
    std::vector<uint32_t> keys(c.count);
    std::uniform_int_distribution<uint64_t> draw(0, c.keyBound - 1);
    for (uint32_t& k : keys) k = static_cast<uint32_t>(draw(random));
    gpu::SSBO keyBuffer(keys.size() * 4), values(keys.size() * 4);
    keyBuffer.upload(keys.data(), keys.size() * 4);
    enhance::radixSort(keyBuffer, values, c.count, c.keyBound, true);

    std::vector<uint32_t> order(c.count);
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return keys[a] < keys[b]; });
    std::vector<uint32_t> sortedKeys(c.count);
    for (uint32_t i = 0; i < c.count; ++i) sortedKeys[i] = keys[order[i]];
    EXPECT_EQ(gpu::readBack<uint32_t>(keyBuffer, 0, c.count), sortedKeys) << c.count;
    EXPECT_EQ(gpu::readBack<uint32_t>(values, 0, c.count), order) << c.count << ": equal keys keep their order";
  }
}

TEST_F(MeshWeldTest, WeldOfACutStockMatchesTheCpuWeld) {
  testsupport::BoxStock stock;
  ASSERT_TRUE(stock.make({0, 0, 0}, {20, 12, 8}, 30'000, limits_));
  stock::StockGrid& grid = stock.grid;
  stock::SurfaceExtraction extraction;
  stock::MillCut mill;
  const tools::CutRecord ball = testsupport::cuttingRecordOf(testsupport::ballProfile(1.5, 20));
  const std::vector<toolpath::GPUMoveRecord> moves{{2, 6, 5, 0, 0, 1, 0, toolpath::kMoveCut},
                                                {18, 3, 7, 0, 0, 1, 0, toolpath::kMoveCut}};
  mill.cut(grid, stock::MoveStream(moves), 1, 2, ball, 5, {});
  extraction.extract(grid);
  const stock::SurfaceMesh cpu = extraction.weldedMesh(grid.frame());
  ASSERT_GT(cpu.triangles.size(), 300u);

  const stock::SurfaceExtraction::IndexedBuffers corners = extraction.runIndexedMesh();
  const enhance::EnhancedMesh gpuMesh = enhance::weldMesh(
      {corners.identifiers, corners.positions, corners.corners, extraction.identifierBound()}, grid.frame().gridToWorld);
  extraction.releaseIndexedBuffers();
  ASSERT_EQ(gpuMesh.triangleCount * 3, cpu.triangles.size());
  EXPECT_EQ(gpuMesh.vertexCount, cpu.vertices.size());
  const std::vector<uint32_t> triangles = gpu::readBack<uint32_t>(gpuMesh.triangles, 0, cpu.triangles.size());
  const std::vector<glm::vec4> positions = gpu::readBack<glm::vec4>(gpuMesh.positions, 0, gpuMesh.vertexCount);
  double worst = 0;
  for (size_t i = 0; i < triangles.size(); ++i) {
    ASSERT_LT(triangles[i], positions.size());
    worst = std::max(worst, glm::length(glm::dvec3(positions[triangles[i]]) - cpu.vertices[cpu.triangles[i]]));
  }
  EXPECT_LT(worst, 1e-4) << "every corner on its vertex, corners in the same turn";
  // One vertex per identifier: no two vertices in one place.
  std::vector<std::array<float, 3>> places;
  for (const glm::vec4& p : positions) places.push_back({p.x, p.y, p.z});
  std::sort(places.begin(), places.end());
  EXPECT_EQ(std::adjacent_find(places.begin(), places.end()), places.end());
}

}  // namespace
