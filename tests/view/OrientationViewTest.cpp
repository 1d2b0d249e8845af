// The view cube and the gnomon of a real view: the cube lights the element
// the CPU's ray test finds under the cursor, a click on a face gives its
// standard view and one on a corner looks along the corner's diagonal, and
// SIM_UpdateGnomon hides what the host does not want.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <utility>
#include <cmath>
#include <vector>

#include <glm/geometric.hpp>

#include "korvane/Korvane.h"
#include "support/EventRecorder.h"
#include "support/HeadlessView.h"
#include "support/ViewJobs.h"
#include "ui/CubeElement.h"
#include "ui/Gnomon.h"
#include "view/Render.h"

namespace {

class Orientation : public testsupport::HeadlessViewTest {
 protected:
  void SetUp() override {
    setUpHiddenWindow();
    testsupport::loadJob(view, job);
    settleView(SIM_VIEW_ISOMETRIC);
  }
  void send(uint32_t kind, std::array<double, 2> at) {
    SIM_InputEvent e{kind, 0, at[0], at[1], 0};
    ASSERT_EQ(SIM_SendInput(view, &e), 0);
    onRenderThread([] { return 0; });
    onRenderThread([] { return 0; });
  }
  // Window pixels of a point of the cube's square (fractions from its
  // bottom left).
  std::array<double, 2> inCube(double fx, double fy) {
    return onRenderThread([&] {
      const UI::Rect r = view->interfaceFrame().gnomon()->getRect();
      return std::array<double, 2>{(r.x + r.w * fx) * view->framebufferWidth(),
                                   (1 - (r.y + r.h * fy)) * view->framebufferHeight()};
    });
  }
  UI::CubeElement elementAt(std::array<double, 2> at) {
    return onRenderThread([&] {
      return view->interfaceFrame().gnomon()->elementAt(float(at[0] / view->framebufferWidth()),
                                                        float(1 - at[1] / view->framebufferHeight()));
    });
  }
  std::vector<uint8_t> picture(int32_t& width) {
    int32_t height = 0;
    EXPECT_EQ(SIM_RenderWindowImage(view, &width, &height, nullptr, 0), 0);
    std::vector<uint8_t> rgba(size_t(width) * height * 4);
    EXPECT_EQ(SIM_RenderWindowImage(view, &width, &height, rgba.data(), int64_t(rgba.size())), 0);
    return rgba;
  }
  void click(std::array<double, 2> at) {
    send(SIM_INPUT_MOVE, at);
    send(SIM_INPUT_BUTTON_DOWN, at);
    send(SIM_INPUT_BUTTON_UP, at);
  }

  testsupport::SlotJob job;
};

TEST_F(Orientation, TheCubeLightsTheElementTheRayTestFinds) {
  // The highlight is a light blue; the cube's grey and the background are
  // nearly neutral.
  const auto lit = [](const uint8_t* p) { return int(p[2]) - int(p[0]) > 25; };
  int hoveredSamples = 0;
  for (double fy : {0.35, 0.7})
    for (double fx : {0.25, 0.5, 0.97}) {
      const std::array<double, 2> at = inCube(fx, fy);
      send(SIM_INPUT_MOVE, at);
      const UI::CubeElement hovered = onRenderThread([&] { return view->interfaceFrame().gnomon()->hovered(); });
      EXPECT_EQ(hovered, elementAt(at));
      int32_t width = 0;
      const std::vector<uint8_t> rgba = picture(width);
      auto pixel = [&](std::array<double, 2> p) { return &rgba[(size_t(p[1]) * width + size_t(p[0])) * 4]; };
      // Around the cursor (a label's letters may cover the pixel itself).
      bool anyLit = false;
      for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx) anyLit = anyLit || lit(pixel({at[0] + dx, at[1] + dy}));
      EXPECT_EQ(anyLit, hovered.count > 0) << fx << ", " << fy;
      hoveredSamples += hovered.count > 0;
      // Points of other elements stay in the base colour.
      for (double gx : {0.3, 0.7})
        for (double gy : {0.3, 0.7}) {
          const std::array<double, 2> other = inCube(gx, gy);
          if (elementAt(other) != hovered) {
            EXPECT_FALSE(lit(pixel(other))) << gx << ", " << gy;
          }
        }
    }
  EXPECT_GE(hoveredSamples, 3) << "the cube covers the middle of its square";
}

TEST_F(Orientation, AClickOnAFaceOrACornerTurnsTheView) {
  // The first point of the cube's square on an element of the count.
  const auto find = [&](int count, int ySign) {
    return onRenderThread([&]() -> std::pair<std::array<double, 2>, UI::CubeElement> {
      const UI::Gnomon& gnomon = *view->interfaceFrame().gnomon();
      const UI::Rect r = gnomon.getRect();
      for (float fy = 0.05f; fy < 1; fy += 0.05f)
        for (float fx = 0.05f; fx < 1; fx += 0.05f) {
          const UI::CubeElement e = gnomon.elementAt(r.x + r.w * fx, r.y + r.h * fy);
          if (e.count == count && (ySign == 0 || e.sign.y == ySign))
            return {{(r.x + r.w * fx) * view->framebufferWidth(), (1 - (r.y + r.h * fy)) * view->framebufferHeight()}, e};
        }
      return {{-1, -1}, {}};
    });
  };
  const auto top = find(1, 1);
  ASSERT_GE(top.first[0], 0);
  click(top.first);
  const auto turnsTo = [&](glm::dvec3 direction) {
    return testsupport::waitUntil(
        [&] {
          return !view->camera().transitionRunning() &&
                 glm::length(view->camera().pose().direction - direction) < 1e-6;
        },
        std::chrono::seconds(15));
  };
  EXPECT_TRUE(turnsTo({0, -1, 0})) << "the top view";
  // The cube turned with the camera; a corner shows from the top too.
  const auto corner = find(3, 0);
  ASSERT_GE(corner.first[0], 0);
  click(corner.first);
  EXPECT_TRUE(turnsTo(-glm::normalize(glm::dvec3(corner.second.sign)))) << "along the corner's diagonal";
}

TEST_F(Orientation, TheHostHidesTheAxesAndTheCube) {
  SIM_GnomonRecord record{{1, 0, 1}, 1, 0, {}};
  EXPECT_EQ(SIM_UpdateGnomon(nullptr, &record), 1);
  EXPECT_EQ(SIM_UpdateGnomon(view, nullptr), -1);
  ASSERT_EQ(SIM_UpdateGnomon(view, &record), 0);
  onRenderThread([] { return 0; });
  onRenderThread([] { return 0; });
  const UI::Gnomon::Settings settings = onRenderThread([&] { return view->interfaceFrame().gnomon()->settings(); });
  EXPECT_EQ(settings.axes, (std::array<bool, 3>{true, false, true}));
  EXPECT_TRUE(settings.gnomon);
  EXPECT_FALSE(settings.cube);
  // Without the cube its square is the scene's: nothing there is hovered.
  const std::array<double, 2> middle = inCube(0.5, 0.5);
  send(SIM_INPUT_MOVE, middle);
  EXPECT_EQ(onRenderThread([&] { return view->interfaceFrame().gnomon()->hovered().count; }), 0);
  EXPECT_FALSE(onRenderThread([&] { return view->interfaceFrame().pointerOverUI(); }));
}

}  // namespace
