// The host's geometries in a real view: drawn in their roles' colours where
// the camera puts them, picked as workpiece-side models, tinted when the
// host selects one, gone when hidden, unreadable or removed, and a mesh
// stock's source geometry left to the stock.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include <glm/geometric.hpp>

#include "korvane/Korvane.h"
#include "support/HeadlessView.h"
#include "support/MachineFiles.h"
#include "support/ViewJobs.h"
#include "view/EntityId.h"
#include "view/GeometryStage.h"
#include "view/Render.h"

namespace {

std::vector<float> boxSoup(glm::vec3 lo, glm::vec3 hi) { return testsupport::BoxModel("", lo, hi).soup(); }

class GeometryView : public testsupport::HeadlessViewTest {
 protected:
  void SetUp() override {
    setUpHiddenWindow();
    fixture = testsupport::namedGeometry("fixture", SIM_GEOMETRY_FIXTURE);
    fixture.vertices = fixtureSoup.data();
    fixture.vertexCount = fixtureSoup.size() / 3;
    design = testsupport::namedGeometry("design", SIM_GEOMETRY_WORKPIECE);
    design.vertices = designSoup.data();
    design.vertexCount = designSoup.size() / 3;
    design.origin[2] = 5;  // placed 5 mm up
  }
  std::vector<view::GeometryStage::Shown> shown() {
    onRenderThread([] { return 0; });
    return onRenderThread([&] { return view->geometryStage().shown(); });
  }
  // The window pixel (y down) of a display-frame point.
  std::array<int, 2> pixelOf(glm::dvec3 p) {
    return onRenderThread([&] {
      const glm::dvec3 d = view->camera().deviceOf(p);
      const glm::ivec2 size = view->camera().viewport();
      return std::array<int, 2>{int((d.x + 1) / 2 * size.x), int((1 - d.y) / 2 * size.y)};
    });
  }
  uint32_t idAt(std::array<int, 2> at) {
    return onRenderThread([&] { return view->pickAt(at[0], at[1]).id; });
  }
  std::array<int, 3> colourAt(std::array<int, 2> at) {
    int32_t width = 0, height = 0;
    EXPECT_EQ(SIM_RenderWindowImage(view, &width, &height, nullptr, 0), 0);
    std::vector<uint8_t> rgba(size_t(width) * height * 4);
    EXPECT_EQ(SIM_RenderWindowImage(view, &width, &height, rgba.data(), int64_t(rgba.size())), 0);
    const uint8_t* p = &rgba[(size_t(at[1]) * width + at[0]) * 4];
    return {p[0], p[1], p[2]};
  }

  const std::vector<float> fixtureSoup = boxSoup({-40, -20, -10}, {-10, 20, 0});
  const std::vector<float> designSoup = boxSoup({10, -20, -10}, {40, 20, 0});
  SIM_GeometryRecord fixture{}, design{};
};

TEST_F(GeometryView, DrawnPickedSelectedAndRemovedAsTheHostSays) {
  SIM_GeometryRecord hidden = design, unreadable = testsupport::namedGeometry("unreadable");
  std::strncpy(hidden.name, "hidden", sizeof hidden.name - 1);
  hidden.hidden = 1;
  unreadable.modelPath = "/nonexistent/part.stl";
  const SIM_GeometryRecord list[] = {fixture, design, hidden, unreadable};
  ASSERT_EQ(SIM_CreateGeometries(view, {list, 4}, true), 0);
  std::vector<view::GeometryStage::Shown> models = shown();
  ASSERT_EQ(models.size(), 2u) << "hidden and unreadable geometries are not drawn";
  EXPECT_EQ(models[0].name, "fixture");
  EXPECT_EQ(models[1].name, "design");
  EXPECT_EQ(models[1].triangles, 12u);
  settleView(SIM_VIEW_TOP);

  // The middle of each box's top face, placed as the host said.
  const glm::dvec3 fixtureTop(glm::dmat4(models[0].placement) * glm::dvec4(-25, 0, 0, 1));
  const glm::dvec3 designTop(glm::dmat4(models[1].placement) * glm::dvec4(25, 0, 0, 1));
  const glm::dvec3 up = view->job().displayFrame() * glm::dvec3(0, 0, 1);
  EXPECT_NEAR(glm::dot(designTop - fixtureTop, up), 5.0, 1e-4) << "the origin moves the model";
  const std::array<int, 2> onFixture = pixelOf(fixtureTop), onDesign = pixelOf(designTop);
  for (const auto& [at, model] : {std::pair{onFixture, 0u}, std::pair{onDesign, 1u}}) {
    const uint32_t id = idAt(at);
    EXPECT_EQ(view::entity::kindOf(id), view::entity::Kind::WorkpieceTriangle);
    EXPECT_EQ(view::entity::modelOf(id), model);
  }
  const std::array<int, 3> designColour = colourAt(onDesign), fixtureColour = colourAt(onFixture);
  EXPECT_GT(designColour[1], designColour[0] + 20) << "the design part is green";
  EXPECT_GT(fixtureColour[2], fixtureColour[0] + 15) << "the fixture is steel blue";

  // Selected, the fixture turns bluer; the design keeps its colour.
  ASSERT_EQ(SIM_SelectGeometry(view, "fixture"), 0);
  models = shown();
  ASSERT_EQ(models.size(), 2u);
  EXPECT_TRUE(models[0].selected);
  const std::array<int, 3> tinted = colourAt(onFixture);
  EXPECT_GT(tinted[2] - tinted[0], fixtureColour[2] - fixtureColour[0] + 10);
  EXPECT_EQ(colourAt(onDesign), designColour);

  // Removed at the next frame: nothing to pick where it was.
  ASSERT_EQ(SIM_RemoveGeometry(view, "design"), 0);
  onRenderThread([] { return 0; });
  models = shown();
  ASSERT_EQ(models.size(), 1u);
  EXPECT_EQ(view::entity::kindOf(idAt(onDesign)), view::entity::Kind::Nothing);
}

TEST_F(GeometryView, AMeshStocksSourceIsLeftToTheStock) {
  const SIM_GeometryRecord list[] = {fixture, design};
  ASSERT_EQ(SIM_CreateGeometries(view, {list, 2}, true), 0);
  ASSERT_EQ(shown().size(), 2u);
  SIM_StockRecord stock = testsupport::boxStock(1, 0);
  stock.kind = SIM_STOCK_MESH;
  stock.meshGeometry = "design";
  ASSERT_EQ(SIM_CreateStock(view, stock), 0);
  const std::vector<view::GeometryStage::Shown> models = shown();
  ASSERT_EQ(models.size(), 1u);
  EXPECT_EQ(models[0].name, "fixture");
}

}  // namespace
