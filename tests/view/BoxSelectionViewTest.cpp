// Box selection in a real view: the ribbon's "Zoom selection" entry waits
// for one box, the toolpath's move ends inside it become the selection, the
// camera frames them, they are drawn in the selection colour, zoom to
// selection frames them again later, and a box over nothing clears them.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <thread>
#include <utility>
#include <cmath>
#include <cstdint>
#include <vector>

#include <glm/geometric.hpp>

#include "korvane/Korvane.h"
#include "support/EventRecorder.h"
#include "support/HeadlessView.h"
#include "support/ViewJobs.h"
#include "ui/MouseSelection.h"
#include "ui/Ribbonbar.h"
#include "ui/SplitButton.h"
#include "ui/RibbonState.h"
#include "view/RemoteControl.h"
#include "view/Render.h"

namespace {

using Builder = testing_support::ToolpathBuilder;

// Six feed moves along a row 5 mm above the stock; move 0 is the tool
// change (hidden), so move i ends at x = 5 i.
struct RowJob {
  testsupport::ToolTableBuilder tools;
  Builder path;
  RowJob() {
    tools.addTool("flat6", {{SIM_PART_CUTTING, testsupport::flatProfile(3, 30)}});
    path.add(Builder::line(SIM_MOVE_RAPID, {0, 15, 25})).toolChange("flat6", 0);
    for (int i = 1; i <= 6; ++i) path.add(Builder::line(SIM_MOVE_LINEAR, {5.0 * i, 15, 25}));
  }
};

class BoxSelectionView : public testsupport::HeadlessViewTest {
 protected:
  void SetUp() override {
    setUpHiddenWindow();
    testsupport::loadJob(view, job);
    ASSERT_EQ(SIM_GotoCommand(view, SIM_STEP_END), 0);
    ASSERT_TRUE(testsupport::waitUntil([&] { return SIM_GetProgress(view) == 1.0; }));
    settleView(SIM_VIEW_TOP);
  }
  std::array<double, 2> pixelOfMove(int move) {
    return onRenderThread([&] {
      const glm::dvec3 d = view->camera().deviceOf(view->job().displayFrame() * glm::dvec3(5.0 * move, 15, 25));
      const glm::ivec2 size = view->camera().viewport();
      return std::array<double, 2>{(d.x + 1) / 2 * size.x, (1 - d.y) / 2 * size.y};
    });
  }
  void send(uint32_t kind, std::array<double, 2> at) {
    SIM_InputEvent e{kind, 0, at[0], at[1], 0};
    ASSERT_EQ(SIM_SendInput(view, &e), 0);
    onRenderThread([] { return 0; });
  }
  void drawBox(std::array<double, 2> from, std::array<double, 2> to) {
    send(SIM_INPUT_MOVE, from);
    send(SIM_INPUT_BUTTON_DOWN, from);
    send(SIM_INPUT_MOVE, to);
    send(SIM_INPUT_BUTTON_UP, to);
    for (int frame = 0; frame < 3; ++frame) onRenderThread([] { return 0; });
    for (int frame = 0; frame < 300 && view->camera().transitionRunning(); ++frame)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    onRenderThread([] { return 0; });
  }
  std::vector<int32_t> selected() {
    return onRenderThread([&] { return view->toolpathStage().selection().moves(); });
  }
  bool waiting() {
    return onRenderThread([&] { return view->interfaceFrame().mouseSelection()->active(); });
  }
  // The ribbon follows the box modes during a frame: read after the next.
  bool ticked(int action) {
    onRenderThread([] { return 0; });
    return onRenderThread([&] { return view->ribbon()->ticked(action); });
  }
  // Selection-coloured pixels (the light theme's magenta) within 3 px.
  bool drawnSelected(std::array<double, 2> at) {
    int32_t width = 0, height = 0;
    EXPECT_EQ(SIM_RenderWindowImage(view, &width, &height, nullptr, 0), 0);
    std::vector<uint8_t> rgba(size_t(width) * height * 4);
    EXPECT_EQ(SIM_RenderWindowImage(view, &width, &height, rgba.data(), int64_t(rgba.size())), 0);
    for (int dy = -3; dy <= 3; ++dy)
      for (int dx = -3; dx <= 3; ++dx) {
        const int x = int(at[0]) + dx, y = int(at[1]) + dy;
        if (x < 0 || y < 0 || x >= width || y >= height) continue;
        const uint8_t* p = &rgba[(size_t(y) * width + x) * 4];
        if (p[0] > 180 && p[1] < 60 && p[2] > 110) return true;
      }
    return false;
  }
  // Where the centre of the moves' ends lies on the window, as fractions.
  glm::dvec2 centreOfMoves(int first, int last) {
    const std::array<double, 2> a = pixelOfMove(first), b = pixelOfMove(last);
    const glm::ivec2 size = onRenderThread([&] { return view->camera().viewport(); });
    return {(a[0] + b[0]) / 2 / size.x, (a[1] + b[1]) / 2 / size.y};
  }

  RowJob job;
};

TEST_F(BoxSelectionView, ABoxSelectsTheMoveEndsInsideFramesThemAndAnEmptyBoxClears) {
  EXPECT_TRUE(selected().empty());
  onRenderThread([&] { view::chooseRibbonAction(*view, UI::kZoomSelectionAction); return 0; });
  onRenderThread([] { return 0; });
  EXPECT_TRUE(waiting());
  EXPECT_TRUE(ticked(UI::kZoomSelectionAction)) << "the entry shows the mode that waits";
  EXPECT_EQ(SIM_Question(view, SIM_QUESTION_ZOOM_WINDOW_ACTIVE), 0) << "not the zoom window";

  // A box around the ends of moves 2 and 3, half way to their neighbours.
  const std::array<double, 2> m1 = pixelOfMove(1), m2 = pixelOfMove(2), m3 = pixelOfMove(3), m4 = pixelOfMove(4);
  const double spacing = m3[0] - m2[0];
  ASSERT_GT(spacing, 8.0) << "the row spans the window";
  EXPECT_FALSE(drawnSelected(m2));
  drawBox({(m1[0] + m2[0]) / 2, m2[1] - spacing / 2}, {(m3[0] + m4[0]) / 2, m3[1] + spacing / 2});
  EXPECT_EQ(selected(), (std::vector<int32_t>{2, 3}));
  EXPECT_FALSE(waiting()) << "one box ends the mode";
  EXPECT_FALSE(ticked(UI::kZoomSelectionAction));

  // Framed: closer than before, about the two ends.
  const std::array<double, 2> n2 = pixelOfMove(2), n3 = pixelOfMove(3);
  EXPECT_GT(n3[0] - n2[0], 1.5 * spacing);
  const glm::dvec2 centre = centreOfMoves(2, 3);
  EXPECT_NEAR(centre.x, 0.5, 0.02);
  EXPECT_NEAR(centre.y, 0.5, 0.02);
  EXPECT_TRUE(drawnSelected(n2));
  EXPECT_TRUE(drawnSelected(n3));
  EXPECT_FALSE(drawnSelected(pixelOfMove(1))) << "an end left out keeps its colour";

  // Later, zoom to selection frames them again; the fit frames the scene.
  settleView(SIM_VIEW_FIT);
  EXPECT_GT(glm::distance(centreOfMoves(2, 3), glm::dvec2(0.5)), 0.02);
  settleView(SIM_VIEW_ZOOM_TO_SELECTION);
  EXPECT_LT(glm::distance(centreOfMoves(2, 3), glm::dvec2(0.5)), 0.02);

  // A box over nothing clears the selection, and zoom to selection then
  // frames the whole scene, as the fit does.
  settleView(SIM_VIEW_FIT);
  const std::array<double, 2> fitted = pixelOfMove(2);
  onRenderThread([&] { view::chooseRibbonAction(*view, UI::kZoomSelectionAction); return 0; });
  onRenderThread([] { return 0; });
  drawBox({fitted[0], fitted[1] + 40}, {fitted[0] + 10, fitted[1] + 50});  // below the row
  EXPECT_TRUE(selected().empty());
  EXPECT_FALSE(drawnSelected(fitted));
  const glm::dvec2 before = centreOfMoves(2, 3);
  settleView(SIM_VIEW_ZOOM_TO_SELECTION);
  EXPECT_NEAR(glm::distance(centreOfMoves(2, 3), before), 0.0, 0.02);
}

TEST_F(BoxSelectionView, ChosenAgainTheModeEndsAndTheZoomWindowTakesItsPlace) {
  // Chosen from its menu, the menu closes: the next press starts the box.
  UI::SplitButton* zoom = onRenderThread([&] { return view->interfaceFrame().ribbonbar()->buttonOf(UI::kZoomWindowAction); });
  ASSERT_NE(zoom, nullptr);
  onRenderThread([&] { zoom->setMenuOpen(true); return 0; });
  onRenderThread([&] { view::chooseRibbonAction(*view, UI::kZoomSelectionAction); return 0; });
  onRenderThread([] { return 0; });
  EXPECT_FALSE(onRenderThread([&] { return zoom->menuOpen(); }));
  EXPECT_TRUE(waiting());
  onRenderThread([&] { view::chooseRibbonAction(*view, UI::kZoomSelectionAction); return 0; });
  onRenderThread([] { return 0; });
  EXPECT_FALSE(waiting()) << "chosen again, the mode ends";
  onRenderThread([&] { view::chooseRibbonAction(*view, UI::kZoomSelectionAction); return 0; });
  ASSERT_EQ(SIM_Command(view, SIM_COMMAND_ZOOM_WINDOW, 0), 0);
  onRenderThread([] { return 0; });
  EXPECT_TRUE(ticked(UI::kZoomWindowAction));
  EXPECT_FALSE(ticked(UI::kZoomSelectionAction));
  // The box zooms and selects nothing.
  const std::array<double, 2> m2 = pixelOfMove(2), m3 = pixelOfMove(3);
  drawBox({m2[0] - 4, m2[1] - 4}, {m3[0] + 4, m3[1] + 4});
  EXPECT_TRUE(selected().empty());
  EXPECT_GT(pixelOfMove(3)[0] - pixelOfMove(2)[0], 1.5 * (m3[0] - m2[0]));
}

// Without a toolpath a box selects nothing and the view goes on.
class BoxSelectionWithoutToolpath : public testsupport::HeadlessViewTest {
 protected:
  void SetUp() override { setUpHiddenWindow(); }
};

TEST_F(BoxSelectionWithoutToolpath, SelectsNothing) {
  onRenderThread([&] { view::chooseRibbonAction(*view, UI::kZoomSelectionAction); return 0; });
  onRenderThread([] { return 0; });
  const double x = view->framebufferWidth() / 2.0, y = view->framebufferHeight() / 2.0;
  const std::array<std::pair<uint32_t, double>, 4> gesture = {
      {{SIM_INPUT_MOVE, 0}, {SIM_INPUT_BUTTON_DOWN, 0}, {SIM_INPUT_MOVE, 50}, {SIM_INPUT_BUTTON_UP, 50}}};
  for (const auto& [kind, offset] : gesture) {
    SIM_InputEvent e{kind, 0, x + offset, y + offset, 0};
    EXPECT_EQ(SIM_SendInput(view, &e), 0);
    onRenderThread([] { return 0; });
  }
  EXPECT_TRUE(onRenderThread([&] { return view->toolpathStage().selection().moves().empty(); }));
  EXPECT_FALSE(onRenderThread([&] { return view->interfaceFrame().mouseSelection()->active(); }));
  EXPECT_EQ(SIM_SetView(view, SIM_VIEW_ZOOM_TO_SELECTION), 0);
  onRenderThread([] { return 0; });
}

}  // namespace
