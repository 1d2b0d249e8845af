// The drawn stock against an independent CPU rasterisation of its extracted
// mesh: the same silhouette from a standard view, and the cutting plane
// taking away exactly the half it should.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>

#include "camera/Camera.h"
#include "camera/DisplayFrame.h"
#include "gpu/OffscreenTarget.h"
#include "stock/MillCut.h"
#include "stock/SolidMesh.h"
#include "stock/SolidStockCreator.h"
#include "stock/StockDrawing.h"
#include "stock/SurfaceExtraction.h"
#include "support/GpuTest.h"
#include "support/MeshRaster.h"
#include "support/ToolBuilder.h"

namespace {

constexpr int kWidth = 320, kHeight = 180;

class StockDrawingTest : public testsupport::GpuTest {
 protected:
  void SetUp() override {
    GpuTest::SetUp();
    target_.emplace(kWidth, kHeight);
    ASSERT_TRUE(target_->complete());
  }
  void TearDown() override {
    target_.reset();
    GpuTest::TearDown();
  }

  // The picture of one draw, RGBA from the bottom row up.
  std::vector<uint8_t> drawPixels(stock::StockDrawing& drawing, camera::Camera& camera, const stock::StockLook& look) {
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    drawing.drawStockCubes(extraction_, grid_.frame(), camera.drawState(), glm::mat4(camera::defaultAxisTransformation()), look);
    return target_->readPixels();
  }

  // Covered pixels of one draw.
  std::vector<bool> draw(stock::StockDrawing& drawing, camera::Camera& camera, const stock::StockLook& look) {
    const std::vector<uint8_t> pixels = drawPixels(drawing, camera, look);
    std::vector<bool> covered(size_t(kWidth) * kHeight);
    for (size_t i = 0; i < covered.size(); ++i) covered[i] = pixels[4 * i + 3] != 0;
    return covered;
  }

  std::optional<gpu::OffscreenTarget> target_;
  stock::StockGrid grid_;
  stock::SurfaceExtraction extraction_;
};

TEST_F(StockDrawingTest, SilhouetteAndCuttingPlane) {
  stock::BoxShape box;
  box.min = {0, 0, 0};
  box.max = {30, 20, 12};
  ASSERT_TRUE(grid_.setUp(stock::boundsOf(box), 60'000, limits_));
  stock::SolidStockCreator().create(grid_, box);
  stock::MillCut mill;
  const tools::CutRecord flat = testsupport::cuttingRecordOf(testsupport::flatProfile(3, 20));
  const std::vector<toolpath::GPUMoveRecord> pocket{{4, 10, 6, 0, 0, 1, 0, toolpath::kMoveCut},
                                                 {26, 10, 6, 0, 0, 1, 0, toolpath::kMoveCut},
                                                 {26, 16, 9, 0, 0, 1, 0, toolpath::kMoveCut}};
  mill.cut(grid_, stock::MoveStream(pocket), 1, 3, flat, 7, {});
  extraction_.extract(grid_);
  const stock::SurfaceMesh mesh = extraction_.weldedMesh(grid_.frame());
  ASSERT_GT(mesh.triangles.size(), 300u);

  const glm::dmat3 toDisplay = camera::defaultAxisTransformation();
  stock::StockDrawing drawing;
  for (auto view : {camera::StandardView::Isometric, camera::StandardView::Top, camera::StandardView::Front}) {
    camera::Camera camera(kWidth, kHeight);
    camera::showMachineBox(camera, box.min, box.max, view);
    const std::vector<bool> drawn = draw(drawing, camera, {});
    const std::vector<bool> expected = testsupport::coveredPixels(mesh, camera.projView(), toDisplay, kWidth, kHeight);
    size_t agree = 0, inside = 0;
    for (size_t i = 0; i < drawn.size(); ++i) agree += drawn[i] == expected[i], inside += expected[i];
    EXPECT_GT(inside, drawn.size() / 10) << int(view);
    EXPECT_GT(double(agree) / drawn.size(), 0.99) << int(view);
    // Every triangle turns counter-clockwise seen from outside: culling the
    // back faces leaves the picture as it was, but for a pixel or two where a
    // triangle seen edge-on ties with its neighbour along the silhouette.
    stock::StockLook everyFace;
    everyFace.cullBackFaces = false;
    const std::vector<uint8_t> both = drawPixels(drawing, camera, everyFace);
    const std::vector<uint8_t> front = drawPixels(drawing, camera, {});
    size_t differing = 0;
    for (size_t i = 0; i < both.size(); i += 4)
      differing += std::memcmp(&both[i], &front[i], 4) != 0;
    EXPECT_LE(differing, inside / 1000) << int(view);
  }

  // Front view, plane through the middle, its normal to the right.
  camera::Camera camera(kWidth, kHeight);
  camera::showMachineBox(camera, box.min, box.max, camera::StandardView::Front);
  stock::StockLook look;
  look.cuttingPlane = {true, {1, 0, 0}, {15, 0, 0}};
  const std::vector<bool> whole = draw(drawing, camera, {});
  const std::vector<bool> cut = draw(drawing, camera, look);
  const double planeX = (camera.projView() * glm::dvec4(15, 0, 0, 1)).x;  // orthographic: w = 1
  const int planeColumn = int((planeX + 1) / 2 * kWidth);
  size_t leftDrawn = 0, differences = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const size_t i = size_t(y) * kWidth + x;
      if (x > planeColumn + 1) {
        EXPECT_FALSE(cut[i]) << x << ", " << y;
      } else if (x < planeColumn - 1) {
        differences += cut[i] != whole[i], leftDrawn += cut[i];
      }
    }
  EXPECT_GT(leftDrawn, 1000u);
  EXPECT_EQ(differences, 0u) << "the kept half looks as before";

  // Seen at an angle, what is drawn covers what the mesh clipped at the
  // plane covers, rasterised on the CPU.
  stock::SurfaceMesh clipped;
  for (size_t t = 0; t < mesh.triangles.size(); t += 3) {
    std::vector<glm::dvec3> kept;  // the triangle's polygon on the plane's kept side
    for (size_t k = 0; k < 3; ++k) {
      const glm::dvec3 a = mesh.vertices[mesh.triangles[t + k]], b = mesh.vertices[mesh.triangles[t + (k + 1) % 3]];
      if (a.x <= 15) kept.push_back(a);
      if ((a.x <= 15) != (b.x <= 15)) kept.push_back(a + (b - a) * ((15 - a.x) / (b.x - a.x)));
    }
    for (size_t k = 1; k + 1 < kept.size(); ++k) {
      for (const glm::dvec3& corner : {kept[0], kept[k], kept[k + 1]}) {
        clipped.triangles.push_back(static_cast<uint32_t>(clipped.vertices.size()));
        clipped.vertices.push_back(corner);
      }
    }
  }
  camera::showMachineBox(camera, box.min, box.max, camera::StandardView::Isometric);
  const std::vector<bool> drawnCut = draw(drawing, camera, look);
  const std::vector<bool> expectedCut = testsupport::coveredPixels(clipped, camera.projView(), toDisplay, kWidth, kHeight);
  const std::vector<bool> wholeAtAnAngle = draw(drawing, camera, {});
  size_t agree = 0, covered = 0, wholeCovered = 0;
  for (size_t i = 0; i < drawnCut.size(); ++i)
    agree += drawnCut[i] == expectedCut[i], covered += expectedCut[i], wholeCovered += wholeAtAnAngle[i];
  EXPECT_GT(covered, drawnCut.size() / 20);
  EXPECT_LT(covered * 10, wholeCovered * 8) << "the plane took a good part off";
  EXPECT_GT(double(agree) / drawnCut.size(), 0.995);

  // Seen at an angle, the inside the plane opens takes its flat inside
  // colour; uncut, no pixel has it.
  look.cuttingPlane.insideColour = {0.2f, 0.8f, 0.4f, 1.0f};
  const auto insidePixels = [&](const stock::StockLook& l) {
    const std::vector<uint8_t> pixels = drawPixels(drawing, camera, l);
    size_t count = 0;
    for (size_t i = 0; i < pixels.size(); i += 4) count += pixels[i] == 51 && pixels[i + 1] == 204 && pixels[i + 2] == 102;
    return count;
  };
  EXPECT_GT(insidePixels(look), 1000u);
  EXPECT_EQ(insidePixels({}), 0u);
}

TEST_F(StockDrawingTest, SolidMeshLooksLikeTheCubesAndComparesByColour) {
  stock::BoxShape box;
  box.min = {0, 0, 0};
  box.max = {30, 20, 12};
  ASSERT_TRUE(grid_.setUp(stock::boundsOf(box), 30'000, limits_));
  stock::SolidStockCreator().create(grid_, box);
  extraction_.extract(grid_);
  const stock::SurfaceMesh mesh = extraction_.weldedMesh(grid_.frame());
  const glm::dmat3 toDisplay = camera::defaultAxisTransformation();
  camera::Camera camera(kWidth, kHeight);
  camera::showMachineBox(camera, box.min, box.max, camera::StandardView::Isometric);
  stock::StockDrawing drawing;
  const std::vector<bool> cubes = draw(drawing, camera, {});

  // Lit by the default light from above: the top face brightest, then the
  // face towards +z, then the one towards +x (display frame).
  const std::vector<uint8_t> lit = drawPixels(drawing, camera, {});
  auto brightness = [&](glm::dvec3 point) {
    const glm::dvec4 clip = camera.projView() * glm::dvec4(point, 1.0);
    const int x = int((clip.x / clip.w + 1) / 2 * kWidth), y = int((clip.y / clip.w + 1) / 2 * kHeight);
    const size_t i = 4 * (size_t(y) * kWidth + x);
    return int(lit[i]) + lit[i + 1] + lit[i + 2];
  };
  const int top = brightness({15, 12, -10}), front = brightness({15, 6, 0}), side = brightness({30, 6, -10});
  EXPECT_GT(top, front);
  EXPECT_GT(front, side);

  stock::SolidMesh solid;
  auto drawSolid = [&](const stock::StockLook& look, float distance) {
    solid.upload(mesh, stock::packRgba(200, 200, 200), 0.5f, std::vector<float>(mesh.vertices.size(), distance));
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawing.drawStockMesh(solid, glm::mat4(toDisplay), camera.drawState(), look);
    return target_->readPixels();
  };
  std::vector<uint8_t> pixels = drawSolid({}, 0);
  size_t agree = 0;
  for (size_t i = 0; i < cubes.size(); ++i) agree += (pixels[4 * i + 3] != 0) == cubes[i];
  EXPECT_GT(double(agree) / cubes.size(), 0.99);

  // Compare mode: stepped colours red, yellow, green, cyan, blue about the
  // offset; every drawn pixel takes the band its distance falls in.
  stock::StockLook look;
  look.compare.enabled = true;
  look.compare.stepped = true;
  look.compare.tolerance = 1.0f;
  look.compare.colours = {glm::vec3(1, 0, 0), glm::vec3(1, 1, 0), glm::vec3(0, 1, 0), glm::vec3(0, 1, 1),
                          glm::vec3(0, 0, 1)};
  auto dominant = [&](float distance, int channel) {
    const std::vector<uint8_t> p = drawSolid(look, distance);
    size_t drawn = 0, right = 0;
    for (size_t i = 0; i < cubes.size(); ++i) {
      if (p[4 * i + 3] == 0) continue;
      ++drawn;
      const int c[3] = {p[4 * i], p[4 * i + 1], p[4 * i + 2]};
      right += c[channel] > c[(channel + 1) % 3] && c[channel] > c[(channel + 2) % 3];
    }
    return std::pair{drawn, right};
  };
  for (auto [distance, channel] : {std::pair{0.0f, 1}, std::pair{-5.0f, 0}, std::pair{5.0f, 2}}) {
    const auto [drawn, right] = dominant(distance, channel);
    EXPECT_GT(drawn, cubes.size() / 10) << distance;
    EXPECT_EQ(right, drawn) << distance;
  }
  look.compare.visible = {false, false, false};
  EXPECT_EQ(dominant(0.0f, 1).first, 0u) << "nothing shown";
}

}  // namespace

