// Measuring in a real view: two clicks on a machine model's box measure its
// edge exactly (both snapped to corners), a click on a face lands on the
// face within one pixel's world size, one beside an edge lands on the edge,
// the panel shows the points and distances in the view's units, and
// switching measuring off forgets the points.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>

#include <glm/geometric.hpp>
#include <glm/matrix.hpp>

#include "korvane/Korvane.h"
#include "support/EventRecorder.h"
#include "support/HeadlessView.h"
#include "support/MachineFiles.h"
#include "ui/Annotation.h"
#include "view/Render.h"

namespace {

// The table's box in the machine frame: its top face looks at the
// spindle, which the top view looks along.
constexpr glm::vec3 kTableLo{-450, -200, -260}, kTableHi{450, 200, -200};

class MeasuringView : public testsupport::HeadlessViewTest {
 protected:
  void SetUp() override {
    setUpHiddenWindow();
    data_.emplace(view);
    const std::string mill = testsupport::machineText("vertical-mill");
    ASSERT_EQ(SIM_CreateMachine(view, mill.c_str(), 0, 0), 0);
    // A wide base below keeps the table in the middle of the window, clear
    // of the panels.
    const testsupport::BoxModel table("mill-table.stl", kTableLo, kTableHi);
    const testsupport::BoxModel base("mill-base.stl", {-1800, -1200, -700}, {1800, 1200, -400});
    const SIM_MachineModelRecord records[] = {table.record(), base.record()};
    ASSERT_EQ(SIM_LoadMachineModels(view, {records, 2}), 0);
    ASSERT_TRUE(testsupport::waitUntil([&] {
      return onRenderThread([&] { return view->machineStage().drawn().size(); }) == 2;
    }, std::chrono::seconds(10)));
    settleView(SIM_VIEW_TOP);
  }

  // Display frame of a table point.
  glm::dvec3 onTable(glm::vec3 p) {
    return onRenderThread([&] {
      for (const view::MachineStage::DrawnModel& drawn : view->machineStage().drawn())
        if (drawn.mesh->max == kTableHi) return glm::dvec3(drawn.placement * glm::vec4(p, 1.0f));
      ADD_FAILURE() << "no table drawn";
      return glm::dvec3(0.0);
    });
  }
  std::array<double, 2> pixelOf(glm::dvec3 display) {
    return onRenderThread([&] {
      const glm::dvec3 d = view->camera().deviceOf(display);
      const glm::ivec2 size = view->camera().viewport();
      return std::array<double, 2>{(d.x + 1) / 2 * size.x, (1 - d.y) / 2 * size.y};
    });
  }
  double pixelSize() {
    return onRenderThread([&] {
      return glm::distance(view->camera().worldAtPixel(10, 10, 0.5), view->camera().worldAtPixel(11, 10, 0.5));
    });
  }
  void send(uint32_t kind, std::array<double, 2> at) {
    SIM_InputEvent e{kind, 0, std::floor(at[0]), std::floor(at[1]), 0};
    ASSERT_EQ(SIM_SendInput(view, &e), 0);
    onRenderThread([] { return 0; });
  }
  // A click, then the frame that drew the scene and measured.
  void click(std::array<double, 2> at) {
    send(SIM_INPUT_MOVE, at);
    send(SIM_INPUT_BUTTON_DOWN, at);
    send(SIM_INPUT_BUTTON_UP, at);
    onRenderThread([] { return 0; });
    onRenderThread([] { return 0; });
  }
  struct Measured {
    size_t count;
    std::array<glm::dvec3, 2> points;
  };
  Measured measured() {
    return onRenderThread([&] { return Measured{view->measurement().count(), view->measurement().points()}; });
  }
  std::u16string row(size_t i) {
    return onRenderThread([&] { return view->interfaceFrame().annotation()->row(i).value(); });
  }

  std::optional<testsupport::OwnDataFolder> data_;
};

TEST_F(MeasuringView, AKnownBoxMeasuresExactlyAtItsCornersAndWithinAPixelOnItsFaces) {
  ASSERT_EQ(SIM_Command(view, SIM_COMMAND_TOGGLE_MEASURE, 0), 0);
  ASSERT_EQ(SIM_Question(view, SIM_QUESTION_MEASURE_MODE), 1);
  const glm::vec3 cornerA{kTableLo.x, kTableLo.y, kTableHi.z}, cornerB{kTableHi.x, kTableLo.y, kTableHi.z};
  const glm::dvec3 a = onTable(cornerA), b = onTable(cornerB);
  const double pixel = pixelSize();
  ASSERT_LT(pixel * 40, 900.0) << "the table is large enough on screen";

  // Near each corner, within 4 pixels: the corners themselves.
  const std::array<double, 2> nearA = pixelOf(a), nearB = pixelOf(b);
  click({nearA[0] + 2, nearA[1] - 1});
  click({nearB[0] - 1, nearB[1] + 2});
  Measured m = measured();
  ASSERT_EQ(m.count, 2u);
  EXPECT_LT(glm::distance(m.points[0], a), 1e-3);
  EXPECT_LT(glm::distance(m.points[1], b), 1e-3);
  EXPECT_EQ(row(0), u"-450.000") << "From X, the host's frame";
  EXPECT_EQ(row(6), u"900.000") << "Distance";
  EXPECT_EQ(row(7), u"900.000") << "Dist X/Y";
  EXPECT_EQ(row(8), u"0.000") << "Dist Z";
  EXPECT_EQ(onRenderThread([&] { return view->interfaceFrame().annotation()->label().text(); }), u"Dist 900.000 mm");
  EXPECT_EQ(view->interfaceState()->measuredPoints.load(), 2);

  // The face's middle, far from any edge: on the face by its depth. A third
  // click starts a new measurement.
  const glm::dvec3 middle = onTable({0, 0, kTableHi.z});
  click(pixelOf(middle));
  m = measured();
  ASSERT_EQ(m.count, 1u);
  EXPECT_LT(glm::distance(m.points[0], middle), pixel);
  EXPECT_EQ(row(3), u"-") << "no To yet";

  // Two pixels inside the face beside the middle of the edge at +X: on the
  // edge, where the cursor's ray passes it.
  const glm::dvec3 edgeMiddle = onTable({kTableHi.x, 0, kTableHi.z});
  const std::array<double, 2> nearEdge = pixelOf(edgeMiddle);
  const std::array<double, 2> inward = pixelOf(middle);
  const double side = inward[0] > nearEdge[0] ? 2 : -2;
  click({nearEdge[0] + side, nearEdge[1]});
  m = measured();
  ASSERT_EQ(m.count, 2u);
  const glm::dvec3 alongEdge = glm::normalize(onTable({kTableHi.x, kTableHi.y, kTableHi.z}) - edgeMiddle);
  const glm::dvec3 offEdge = m.points[1] - edgeMiddle;
  EXPECT_LT(glm::length(offEdge - glm::dot(offEdge, alongEdge) * alongEdge), 1e-3) << "on the edge's line";
  EXPECT_LT(std::fabs(glm::dot(offEdge, alongEdge)), pixel) << "where the cursor is";

  // Switched off: the points go and the panel hides.
  ASSERT_EQ(SIM_Command(view, SIM_COMMAND_TOGGLE_MEASURE, 0), 0);
  onRenderThread([] { return 0; });
  EXPECT_EQ(measured().count, 0u);
  EXPECT_FALSE(onRenderThread([&] { return view->interfaceFrame().annotation()->visible; }));
  EXPECT_EQ(view->interfaceState()->measuredPoints.load(), 0);
}

}  // namespace
