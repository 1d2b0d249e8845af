// The picking pass against a CPU projection of the same geometry: every
// pixel's id, the nearer of overlapping triangles, round points only at
// move ends, edge lines over their faces, the cutting plane; and the choice
// around the cursor: points before edges before triangles, clipped at the
// window's edge, nothing outside.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <cmath>
#include <optional>
#include <vector>

#include <glm/gtc/matrix_transform.hpp>

#include "gpu/ProgramCache.h"
#include "support/GpuTest.h"
#include "support/PickArrays.h"
#include "view/EntityId.h"
#include "view/Picking.h"

namespace {

constexpr int kWidth = 160, kHeight = 100;
constexpr float kPointSize = 7.0f;

struct Triangle {
  glm::vec3 a, b, c;
};
struct Point {
  glm::vec3 at;
  float kind;
  int32_t move;
};

// Twice the signed area of (a, b, p).
float edge(glm::vec2 a, glm::vec2 b, glm::vec2 p) { return (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x); }

// Distance from p to the segment a-b.
float distanceToSegment(glm::vec2 a, glm::vec2 b, glm::vec2 p) {
  const glm::vec2 ab = b - a;
  const float t = std::clamp(glm::dot(p - a, ab) / glm::dot(ab, ab), 0.0f, 1.0f);
  return glm::length(p - (a + t * ab));
}

class PickingTest : public testsupport::GpuTest {
 protected:
  void SetUp() override {
    GpuTest::SetUp();
    // World units are window pixels: x right, y up, larger z nearer.
    scene_.camera.camHi = glm::ortho(0.0f, float(kWidth), 0.0f, float(kHeight), -10.0f, 10.0f);
    scene_.camera.camLo = glm::mat4(0.0f);
  }
  void TearDown() override {
    picking_.release();
    for (GLuint b : buffers_) glDeleteBuffers(1, &b);
    for (GLuint a : arrays_) glDeleteVertexArrays(1, &a);
    gpu::deleteWindowPrograms();
    GpuTest::TearDown();
  }

  GLuint upload(const std::vector<float>& data, bool toolpath) {
    const testsupport::PickArray made = testsupport::uploadPickArray(data.data(), data.size() * sizeof(float), toolpath);
    arrays_.push_back(made.array);
    buffers_.push_back(made.buffer);
    return made.array;
  }
  void addTriangles(const std::vector<Triangle>& triangles, uint32_t baseId) {
    std::vector<float> data;
    for (const Triangle& t : triangles)
      for (const glm::vec3& v : {t.a, t.b, t.c}) data.insert(data.end(), {v.x, v.y, v.z});
    list_.meshes.push_back({upload(data, false), GL_TRIANGLES, 0, GLsizei(triangles.size() * 3), glm::mat4(1.0f), baseId});
    triangles_.push_back({triangles, baseId});
  }
  void addLine(glm::vec3 a, glm::vec3 b, uint32_t baseId) {
    list_.meshes.push_back({upload({a.x, a.y, a.z, b.x, b.y, b.z}, false), GL_LINES, 0, 2, glm::mat4(1.0f), baseId});
  }
  void addPoints(const std::vector<Point>& points) {
    std::vector<float> data;
    for (const Point& p : points) {
      float move = 0;
      std::memcpy(&move, &p.move, 4);
      data.insert(data.end(), {p.at.x, p.at.y, p.at.z, p.kind, move});
    }
    list_.points.push_back({upload(data, true), 0, GLsizei(points.size()), glm::mat4(1.0f), kPointSize});
    points_ = points;
  }

  // What the CPU expects at a pixel's centre; nullopt where a rasterizer
  // may decide either way (within a pixel of a boundary).
  std::optional<uint32_t> expectedAt(int x, int y) const {
    const glm::vec2 p(x + 0.5f, y + 0.5f);
    for (const Point& point : points_) {
      const float f = point.kind - std::floor(point.kind);
      if (point.kind > 2.5f || f < 0.01f || f > 0.99f) continue;
      const float d = glm::length(p - glm::vec2(point.at));
      if (std::abs(d - kPointSize / 2) < 1.0f) return std::nullopt;
      if (d < kPointSize / 2) return uint32_t(point.move) & view::entity::kMoveMask;
    }
    uint32_t id = view::entity::kNothing;
    float nearest = -1e9f;
    for (const auto& [triangles, base] : triangles_) {
      for (size_t i = 0; i < triangles.size(); ++i) {
        const Triangle& t = triangles[i];
        const glm::vec2 a(t.a), b(t.b), c(t.c);
        if (std::min({distanceToSegment(a, b, p), distanceToSegment(b, c, p), distanceToSegment(c, a, p)}) < 1.0f)
          return std::nullopt;
        const bool inside = edge(a, b, p) * edge(a, b, c) > 0 && edge(b, c, p) * edge(b, c, a) > 0 &&
                            edge(c, a, p) * edge(c, a, b) > 0;
        if (inside && t.a.z > nearest) {  // the test's triangles are flat
          nearest = t.a.z;
          id = base + uint32_t(i);
        }
      }
    }
    return id;
  }

  std::vector<uint32_t> allIds() {
    EXPECT_TRUE(picking_.drawIds(list_, scene_, kWidth, kHeight));
    return picking_.target().read(0, 0, kWidth, kHeight);
  }

  view::SceneDraw scene_;
  view::PickList list_;
  view::Picking picking_;
  std::vector<std::pair<std::vector<Triangle>, uint32_t>> triangles_;
  std::vector<Point> points_;
  std::vector<GLuint> arrays_, buffers_;
};

TEST_F(PickingTest, EveryPixelHoldsTheIdTheCpuProjectionGives) {
  // A machine model's two triangles, a workpiece triangle partly in front
  // of them, and points: two move ends, an interior arc point and a kind
  // past 2.5 (neither of the last two is ever an id).
  addTriangles({{{10, 10, 0}, {90, 10, 0}, {10, 80, 0}}, {{90, 10, 0}, {90, 80, 0}, {10, 80, 0}}},
               view::entity::machineTriangleBase(3));
  addTriangles({{{60, 30, 1}, {150, 20, 1}, {120, 95, 1}}}, view::entity::workpieceTriangleBase(2));
  addPoints({{{30, 40, 0}, 1.5f, 7}, {{130, 60, 1}, 0.5f, 0x40000009}, {{50, 60, 0}, 2.0f, 11}, {{20, 20, 0}, 3.5f, 12}});
  const std::vector<uint32_t> ids = allIds();
  int compared = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      if (const std::optional<uint32_t> expected = expectedAt(x, y)) {
        ASSERT_EQ(ids[size_t(y) * kWidth + x], *expected) << "pixel " << x << ", " << y;
        ++compared;
      }
  EXPECT_GT(compared, kWidth * kHeight * 3 / 4);
  EXPECT_EQ(ids[size_t(60) * kWidth + 130], 9u) << "move indices are kept to 30 bits";
}

TEST_F(PickingTest, TheCursorFindsPointsBeforeEdgesBeforeTriangles) {
  addTriangles({{{0, 0, 0}, {160, 0, 0}, {0, 100, 0}}}, view::entity::machineTriangleBase(0));
  addLine({10, 70, 0}, {60, 70, 0}, view::entity::machineEdgeBase(0));
  addPoints({{{40, 30, 0}, 1.5f, 5}});
  // Window pixels are y down: world y 30 is between rows 69 and 70.
  const auto pick = [&](int x, int y) { return picking_.pick(list_, scene_, kWidth, kHeight, x, y); };

  view::PickHit hit = pick(35, 69);  // on the triangle, 5 px from the point
  ASSERT_TRUE(hit.hit);
  EXPECT_EQ(hit.id, 5u);
  EXPECT_NEAR(hit.x, 37, 1) << "the nearest sample of the point";
  EXPECT_EQ(hit.y, 69);

  hit = pick(30, 100 - 70 + 4);  // 4 px below the edge line
  ASSERT_TRUE(hit.hit);
  EXPECT_EQ(hit.id, view::entity::machineEdgeBase(0));

  hit = pick(30, 80);
  ASSERT_TRUE(hit.hit);
  EXPECT_EQ(hit.id, view::entity::machineTriangleBase(0));

  hit = pick(0, kHeight - 1);  // the corner: a clipped window still finds it
  EXPECT_TRUE(hit.hit);
  EXPECT_EQ(view::entity::kindOf(hit.id), view::entity::Kind::MachineTriangle);

  EXPECT_FALSE(pick(150, 5).hit) << "the triangle and the point are farther than 6 px";
  EXPECT_FALSE(pick(-1, 10).hit);
  EXPECT_FALSE(pick(kWidth, 10).hit);
}

// A model handed over in runs: the cursor finds the same ids as with the
// model drawn whole, the runs far from it left out, their ids continuing.
TEST_F(PickingTest, AModelInRunsGivesTheIdsOfTheWholeModel) {
  // 80 x 50 quads of 2 x 2 px in rows: 8000 triangles in many runs, every
  // triangle under some cursor.
  std::vector<Triangle> grid;
  for (int j = 0; j < 50; ++j)
    for (int i = 0; i < 80; ++i) {
      const glm::vec3 a(2 * i, 2 * j, 0), b(2 * i + 2, 2 * j, 0), c(2 * i + 2, 2 * j + 2, 0), d(2 * i, 2 * j + 2, 0);
      grid.push_back({a, b, c});
      grid.push_back({a, c, d});
    }
  addTriangles(grid, view::entity::machineTriangleBase(1));
  std::vector<float> positions;
  for (const Triangle& t : grid)
    for (const glm::vec3& v : {t.a, t.b, t.c}) positions.insert(positions.end(), {v.x, v.y, v.z});
  const std::vector<view::PickChunk> runs = view::pickChunks(
      positions.size() / 3, 3, [&](size_t v) { return glm::vec3(positions[3 * v], positions[3 * v + 1], positions[3 * v + 2]); });
  ASSERT_EQ(runs.size(), (grid.size() + view::kPickChunkPrimitives - 1) / view::kPickChunkPrimitives);
  ASSERT_GE(runs.size(), 4u);
  EXPECT_EQ(runs[1].first, GLint(3 * view::kPickChunkPrimitives));
  EXPECT_EQ(runs.back().first + runs.back().count, GLsizei(positions.size() / 3));
  view::PickList inRuns = list_;
  inRuns.meshes.front().chunks = &runs;
  int compared = 0;
  for (int y = 1; y < kHeight; y += 3)
    for (int x = 1; x < kWidth; x += 5) {
      const view::PickHit whole = picking_.pick(list_, scene_, kWidth, kHeight, x, y);
      const view::PickHit runsHit = picking_.pick(inRuns, scene_, kWidth, kHeight, x, y);
      ASSERT_TRUE(whole.hit);
      ASSERT_EQ(runsHit.id, whole.id) << x << ", " << y;
      ++compared;
    }
  EXPECT_GT(compared, 900);
}

TEST_F(PickingTest, TheCuttingPlaneHidesIdsBeyondIt) {
  addTriangles({{{0, 0, 0}, {160, 0, 0}, {0, 100, 0}}, {{160, 0, 0}, {160, 100, 0}, {0, 100, 0}}},
               view::entity::workpieceTriangleBase(0));
  // A one-pixel view still picks (the target follows the size).
  EXPECT_EQ(view::entity::kindOf(picking_.pick(list_, scene_, 1, 1, 0, 0).id), view::entity::Kind::WorkpieceTriangle);
  EXPECT_EQ(picking_.target().width(), 1);
  scene_.cuttingPlane.enabled = true;
  scene_.cuttingPlane.origin = {80, 0, 0};
  scene_.cuttingPlane.direction = {1, 0, 0};
  const std::vector<uint32_t> ids = allIds();
  for (int y = 0; y < kHeight; y += 7) {
    EXPECT_NE(ids[size_t(y) * kWidth + 40], view::entity::kNothing) << y;
    EXPECT_EQ(ids[size_t(y) * kWidth + 120], view::entity::kNothing) << y;
  }
}

}  // namespace
