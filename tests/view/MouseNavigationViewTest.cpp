// Mouse navigation of a real view inside a host window, driven by X events:
// the left drag turns the view about the pivot it chose, the wheel zooms
// about the surface or the tool under the cursor, the interface keeps its
// presses, the host's bindings change what the wheel and a Ctrl gesture
// do, a right click opens the context menu and the timeline takes a press
// and a drag as one gesture.
#include <X11/keysym.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <future>
#include <memory>

#include <glm/geometric.hpp>

#include "korvane/Korvane.h"
#include "support/EventRecorder.h"
#include "support/HeadlessView.h"
#include "support/ViewJobs.h"
#include "support/PrivateDisplay.h"
#include "support/X11TestWindow.h"
#include "ui/Navigation.h"
#include "ui/UIContext.h"
#include "ui/UIManager.h"
#include "ui/Ribbonbar.h"
#include "ui/SplitButtonItem.h"
#include "view/Render.h"

namespace {

using Drag = view::MouseNavigation::Drag;
constexpr unsigned kLeft = 1, kMiddle = 2, kRight = 3;

class NavigationByX : public testsupport::HeadlessViewTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ownDisplay.ok()) << "no Xvfb";
    ASSERT_TRUE(hostWindow.ok());
    ASSERT_EQ(SIM_InitOpenGL(), 1) << "no X display";
    view = SIM_CreateView(hostWindow.id(), true);
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(SIM_SetCallbackWindow(view, host.window, true), 0);
    ASSERT_EQ(SIM_GetWindowHandle(view, &window), 0);
    testsupport::loadJob(view, job);
    ASSERT_EQ(SIM_GotoCommand(view, SIM_STEP_END), 0);
    ASSERT_TRUE(testsupport::waitUntil([&] { return SIM_GetProgress(view) == 1.0; }));
    // The camera has the window's size before anything is placed on it.
    ASSERT_TRUE(testsupport::waitUntil([&] {
      return onRenderThread([&] {
        return view->camera().viewport() == glm::ivec2(view->framebufferWidth(), view->framebufferHeight());
      });
    }, kPatience));
    settleView(SIM_VIEW_ISOMETRIC);
    frames(5);
  }
  // A loaded machine (sanitizers, two test jobs on two cores) may take a
  // while to draw the frames that take the events.
  static constexpr std::chrono::seconds kPatience{15};

  void frames(int count) {
    for (int f = 0; f < count; ++f) onRenderThread([] { return 0; });
  }
  void settle() {
    frames(2);
    ASSERT_TRUE(testsupport::waitUntil([&] { return !view->camera().transitionRunning(); }, kPatience));
    frames(2);
  }
  // Window pixels of a host point.
  std::array<int, 2> pixelOf(glm::dvec3 hostPoint) {
    return onRenderThread([&] {
      const glm::dvec3 d = view->camera().deviceOf(view->job().displayFrame() * hostPoint);
      const glm::ivec2 size = view->camera().viewport();
      return std::array<int, 2>{int(std::lround((d.x + 1) / 2 * size.x)), int(std::lround((1 - d.y) / 2 * size.y))};
    });
  }
  glm::dvec3 pivotOnScreen() {
    return onRenderThread([&] { return view->camera().deviceOf(view->navigation().lastPivot()); });
  }
  glm::dvec3 display(glm::dvec3 hostPoint) { return view->job().displayFrame() * hostPoint; }
  Drag drag() {
    return onRenderThread([&] { return view->navigation().drag(); });
  }
  // The drag state once the frames took the events (a loaded machine may
  // take a while).
  Drag dragBecomes(Drag expected) {
    testsupport::waitUntil([&] { return drag() == expected; }, kPatience);
    return drag();
  }
  // Window pixels of a fraction along the timeline's track.
  std::array<int, 2> onTimeline(float fx) {
    return onRenderThread([&] {
      const UI::Rect r = view->interfaceFrame().navigation()->timeline().content().getRect();
      return std::array<int, 2>{int((r.x + r.w * fx) * view->framebufferWidth()),
                                int((1 - (r.y + r.h / 2)) * view->framebufferHeight())};
    });
  }
  // Moves the cursor and waits for a drawn frame to have taken it.
  void moveTo(std::array<int, 2> at) {
    hostWindow.sendMotion(window, at[0], at[1]);
    testsupport::waitUntil([&] {
      const std::array<double, 2> seen = onRenderThread([&] { return view->cursor(); });
      return seen[0] == at[0] && seen[1] == at[1];
    }, kPatience);
    frames(2);
  }
  // Presses or lets go and waits until a drawn frame has taken it.
  void press(unsigned button, std::array<int, 2> at, bool down) {
    hostWindow.sendButton(window, button, at[0], at[1], down);
    testsupport::waitUntil([&] {
      const UI::ButtonState state = onRenderThread([&] {
        const UI::UIContext& c = view->interfaceFrame().manager()->context();
        return button == kLeft ? c.left : button == kMiddle ? c.middle : c.right;
      });
      const bool held = state == UI::ButtonState::Pressed || state == UI::ButtonState::Held;
      return held == down;
    }, kPatience);
    frames(2);
  }
  void wheel(std::array<int, 2> at, bool away) {
    hostWindow.sendWheel(window, at[0], at[1], away);
    frames(2);
  }
  // Left Ctrl down or up, once a drawn frame has taken it (key events may
  // pass through the input method first).
  void controlKey(bool down) {
    hostWindow.sendKey(window, XK_Control_L, down);
    testsupport::waitUntil([&] {
      const UI::ButtonState state =
          onRenderThread([&] { return view->interfaceFrame().manager()->context().modifiers[2]; });
      return (state == UI::ButtonState::Pressed || state == UI::ButtonState::Held) == down;
    }, kPatience);
    frames(2);
  }
  void bind(uint32_t input, uint32_t state, uint8_t control, uint32_t action) {
    SIM_KeyBinding b{};
    b.input = input;
    b.state = state;
    b.modifiers[0] = control;
    b.action = action;
    ASSERT_EQ(SIM_AddKeyBinding(view, b), 0);
  }
  camera::Camera::Pose pose() { return view->camera().pose(); }

  // First made, last gone: the window and the view live on it.
  testsupport::PrivateDisplay ownDisplay;
  testsupport::X11TestWindow hostWindow{900, 500};
  SIM_Window window = 0;
  testsupport::EventRecorder host;
  testsupport::SlotJob job;
};

// The angle about the display's up axis from one view direction to another.
double yawDegrees(glm::dvec3 from, glm::dvec3 to) {
  return glm::degrees(std::atan2(from.z * to.x - from.x * to.z, from.x * to.x + from.z * to.z));
}

TEST_F(NavigationByX, ALeftDragOfAQuarterWidthYawsAHundredDegreesAboutThePivot) {
  const std::array<int, 2> start = pixelOf({20, 25, 20});
  moveTo(start);
  const glm::dvec3 before = pose().direction;
  press(kLeft, start, true);
  EXPECT_EQ(dragBecomes(Drag::Rotating), Drag::Rotating);
  const glm::dvec3 pivotAtPress = pivotOnScreen();
  const int quarter = view->camera().viewport().x / 4;
  for (int step = 1; step <= 5; ++step) moveTo({start[0] + quarter * step / 5, start[1]});
  press(kLeft, {start[0] + quarter, start[1]}, false);
  EXPECT_EQ(dragBecomes(Drag::Idle), Drag::Idle);
  EXPECT_NEAR(std::abs(yawDegrees(before, pose().direction)), 100.0, 0.5);
  EXPECT_NEAR(pose().direction.y, before.y, 1e-9) << "no pitch without vertical motion";
  const glm::dvec3 pivotAfter = pivotOnScreen();
  EXPECT_NEAR(pivotAfter.x, pivotAtPress.x, 1e-6) << "the view turned about the pivot";
  EXPECT_NEAR(pivotAfter.y, pivotAtPress.y, 1e-6);
}

TEST_F(NavigationByX, TheWheelZoomsAboutTheSurfaceOrTheToolUnderTheCursor) {
  // Over the stock's top, the toolpath hidden: the surface point.
  ASSERT_EQ(SIM_Command(view, SIM_COMMAND_TOGGLE_TOOLPATH, 0), 0);
  const glm::dvec3 onTop{5, 25, 20};
  const std::array<int, 2> at = pixelOf(onTop);
  moveTo(at);
  const double size = pose().orthoSize;
  wheel(at, true);
  settle();
  EXPECT_LT(pose().orthoSize, size) << "away zooms in";
  EXPECT_LT(glm::length(view->navigation().lastPivot() - display(onTop)), 0.5);
  const std::array<int, 2> after = pixelOf(onTop);
  EXPECT_NEAR(after[0], at[0], 1) << "the point under the cursor stays there";
  EXPECT_NEAR(after[1], at[1], 1);

  // With the toolpath shown, over the tool: the tool point.
  ASSERT_EQ(SIM_Command(view, SIM_COMMAND_TOGGLE_TOOLPATH, 0), 0);
  const glm::dvec3 tip{30, 15, 15};
  std::array<int, 2> overTool = pixelOf(tip + glm::dvec3(0, 0, 8));
  moveTo(overTool);
  wheel(overTool, false);
  settle();
  EXPECT_LT(glm::length(view->navigation().lastPivot() - display(tip)), 1e-6);
}

TEST_F(NavigationByX, APressOnTheInterfaceStartsNothing) {
  const std::array<double, 2> ribbon = onRenderThread([&] {
    const UI::Rect r = view->interfaceFrame().ribbonbar()->getRect();
    return std::array<double, 2>{(r.x + r.w * 0.98) * view->framebufferWidth(),
                                 (1 - (r.y + r.h / 2)) * view->framebufferHeight()};
  });
  const std::array<int, 2> at{int(ribbon[0]), int(ribbon[1])};
  const glm::dvec3 eye = pose().eye;
  moveTo(at);
  press(kLeft, at, true);
  EXPECT_EQ(drag(), Drag::Idle);
  moveTo({at[0] - 200, at[1] + 200});
  press(kLeft, {at[0] - 200, at[1] + 200}, false);
  EXPECT_EQ(pose().eye, eye);
  moveTo(at);
  wheel(at, true);
  settle();
  EXPECT_EQ(pose().eye, eye);
}

TEST_F(NavigationByX, BindingsChangeWhatTheWheelAndACtrlGestureDo) {
  const std::array<int, 2> at = pixelOf({20, 15, 20});
  moveTo(at);
  bind(4, 0, 0, 9);  // wheel away: zoom out
  bind(4, 2, 0, 9);  // wheel towards: zoom out
  double size = pose().orthoSize;
  for (bool away : {true, false}) {
    wheel(at, away);
    settle();
    EXPECT_GT(pose().orthoSize, size) << (away ? "away" : "towards");
    size = pose().orthoSize;
  }

  ASSERT_EQ(SIM_ReleaseKeyBindings(view), 0);
  bind(1, 0, 1, 1);  // Ctrl + left pressed: begin
  bind(1, 1, 1, 2);  // Ctrl + left held: continue
  bind(1, 2, 1, 3);  // Ctrl + left released: end
  press(kLeft, at, true);
  EXPECT_EQ(drag(), Drag::Idle) << "without Ctrl the left button starts nothing";
  press(kLeft, at, false);
  controlKey(true);
  press(kLeft, at, true);
  EXPECT_EQ(dragBecomes(Drag::Rotating), Drag::Rotating);
  controlKey(false);
  // The right button held: only the release binding can end the turn.
  press(kRight, at, true);
  press(kLeft, at, false);
  EXPECT_EQ(dragBecomes(Drag::Idle), Drag::Idle) << "the gesture ends though Ctrl went first";
  press(kRight, at, false);
}

TEST_F(NavigationByX, RightDragPansRightClickOpensTheMenuMiddleFits) {
  const std::array<int, 2> at = pixelOf({20, 25, 20});
  moveTo(at);
  const glm::dvec3 direction = pose().direction, eye = pose().eye;
  press(kRight, at, true);
  EXPECT_EQ(dragBecomes(Drag::RightPanning), Drag::RightPanning);
  moveTo({at[0] + 60, at[1] + 30});
  press(kRight, {at[0] + 60, at[1] + 30}, false);
  EXPECT_EQ(pose().direction, direction);
  EXPECT_GT(glm::length(pose().eye - eye), 1.0);
  const glm::dvec3 pivot = pivotOnScreen();
  const glm::ivec2 size = view->camera().viewport();
  EXPECT_NEAR((pivot.x + 1) / 2 * size.x, at[0] + 60, 1.0) << "the pivot followed the cursor";
  EXPECT_NEAR((1 - pivot.y) / 2 * size.y, at[1] + 30, 1.0);
  EXPECT_FALSE(onRenderThread([&] { return view->interfaceFrame().contextMenu()->isOpen(); }));

  press(kRight, at, true);
  press(kRight, at, false);
  frames(2);
  EXPECT_TRUE(onRenderThread([&] { return view->interfaceFrame().contextMenu()->isOpen(); }));
  moveTo({5, size.y / 2});
  press(kLeft, {5, size.y / 2}, true);  // closes the menu
  press(kLeft, {5, size.y / 2}, false);
  EXPECT_TRUE(testsupport::waitUntil(
      [&] { return !onRenderThread([&] { return view->interfaceFrame().contextMenu()->isOpen(); }); }));
  moveTo(at);

  // The isometric view was fitted already: fitting again undoes the pan.
  press(kMiddle, at, true);
  press(kMiddle, at, false);
  settle();
  EXPECT_LT(glm::length(pose().eye - eye), 1e-6);
  EXPECT_LT(glm::length(pose().direction - direction), 1e-9) << "fit keeps the direction";
}

TEST_F(NavigationByX, ARightClickOnAToolpathPointJumpsToItsCut) {
  // Over the end of the plunge (move 1): the menu offers "Jump to cut".
  const std::array<int, 2> plungeEnd = pixelOf({10, 15, 15});
  moveTo(plungeEnd);
  press(kRight, plungeEnd, true);
  press(kRight, plungeEnd, false);
  frames(2);
  ASSERT_TRUE(onRenderThread([&] { return view->interfaceFrame().contextMenu()->isOpen(); }));
  EXPECT_EQ(SIM_Question(view, SIM_QUESTION_CAN_JUMP_TO_CUT), 1);
  const std::array<int, 2> entry = onRenderThread([&] {
    for (const auto& item : view->interfaceFrame().contextMenu()->rows().items())
      if (item->action() == 69) {
        const UI::Rect r = item->getRect();
        return std::array<int, 2>{int((r.x + r.w / 2) * view->framebufferWidth()),
                                  int((1 - (r.y + r.h / 2)) * view->framebufferHeight())};
      }
    return std::array<int, 2>{-1, -1};
  });
  ASSERT_GE(entry[0], 0);
  moveTo(entry);
  press(kLeft, entry, true);
  press(kLeft, entry, false);
  const double plungeTime = view->job().toolpath.current()->timeFractionOfMove(1);
  EXPECT_TRUE(testsupport::waitUntil([&] { return std::abs(SIM_GetProgress(view) - plungeTime) < 1e-9; }))
      << SIM_GetProgress(view) << " for " << plungeTime;

  // Over empty space the entry is there but disabled.
  const std::array<int, 2> empty{8, view->camera().viewport().y / 2};
  moveTo(empty);
  press(kRight, empty, true);
  press(kRight, empty, false);
  frames(2);
  EXPECT_TRUE(onRenderThread([&] { return view->interfaceFrame().contextMenu()->isOpen(); }));
  EXPECT_EQ(SIM_Question(view, SIM_QUESTION_CAN_JUMP_TO_CUT), 0);

  // The host's command, which a click's default handling runs too, looks
  // under the cursor as the right click does (the tool gone from the
  // plunge first: it hides the point).
  ASSERT_EQ(SIM_GotoCommand(view, SIM_STEP_END), 0);
  ASSERT_TRUE(testsupport::waitUntil([&] { return SIM_GetProgress(view) == 1.0; }));
  moveTo(plungeEnd);
  ASSERT_EQ(SIM_Command(view, SIM_COMMAND_OPEN_CONTEXT_MENU, 0), 0);
  frames(2);
  EXPECT_EQ(SIM_Question(view, SIM_QUESTION_CAN_JUMP_TO_CUT), 1);
  moveTo(empty);
  ASSERT_EQ(SIM_Command(view, SIM_COMMAND_OPEN_CONTEXT_MENU, 0), 0);
  frames(2);
  EXPECT_EQ(SIM_Question(view, SIM_QUESTION_CAN_JUMP_TO_CUT), 0);
}

TEST_F(NavigationByX, ZoomWindowTakesOneRectangleInsteadOfATurn) {
  const glm::dvec3 onTop{20, 20, 20};
  const std::array<int, 2> centre = pixelOf(onTop);
  ASSERT_EQ(SIM_Command(view, SIM_COMMAND_ZOOM_WINDOW, 0), 0);
  EXPECT_EQ(SIM_Question(view, SIM_QUESTION_ZOOM_WINDOW_ACTIVE), 1);
  const glm::dvec3 direction = pose().direction;
  const double size = pose().orthoSize;
  const std::array<int, 2> from{centre[0] - 60, centre[1] - 40}, to{centre[0] + 60, centre[1] + 40};
  moveTo(from);
  press(kLeft, from, true);
  EXPECT_EQ(drag(), Drag::Idle) << "the press draws a rectangle";
  moveTo({centre[0], centre[1]});
  moveTo(to);
  press(kLeft, to, false);
  settle();
  EXPECT_EQ(SIM_Question(view, SIM_QUESTION_ZOOM_WINDOW_ACTIVE), 0) << "one rectangle ends the mode";
  EXPECT_EQ(pose().direction, direction);
  const glm::ivec2 viewport = view->camera().viewport();
  const double share = std::max(120.0 / viewport.x, 80.0 / viewport.y);
  EXPECT_NEAR(pose().orthoSize, size * share, size * 0.01) << "the rectangle's larger share fills the view";
  // The rectangle's middle is the view's, within the half pixel the
  // corners were rounded by, magnified.
  const std::array<int, 2> after = pixelOf(onTop);
  EXPECT_NEAR(after[0], viewport.x / 2, 0.6 / share + 1);
  EXPECT_NEAR(after[1], viewport.y / 2, 0.6 / share + 1);
}

TEST_F(NavigationByX, TheTimelineTakesAPressAndADragAsOneGesture) {
  const std::array<int, 2> quarter = onTimeline(0.25f), half = onTimeline(0.5f);
  moveTo(quarter);
  press(kLeft, quarter, true);
  EXPECT_TRUE(testsupport::waitUntil([&] { return std::abs(SIM_GetProgress(view) - 0.25) < 0.01; }));
  for (int step = 1; step <= 4; ++step) moveTo({quarter[0] + (half[0] - quarter[0]) * step / 4, half[1]});
  EXPECT_TRUE(testsupport::waitUntil([&] { return std::abs(SIM_GetProgress(view) - 0.5) < 0.01; }))
      << "the held button drags: " << SIM_GetProgress(view);
  press(kLeft, half, false);
  EXPECT_EQ(drag(), Drag::Idle) << "the drag was the slider's";
}

// A slow frame (a seek that cuts the stock again) may take a release and
// the next press at once, or a click and then a press in the frame after:
// either way they stay two gestures, and the slider's drag ends with the
// first.
TEST_F(NavigationByX, TwoGesturesInOneSlowFrameStayTwo) {
  // Holds the render thread before a frame until the returned promise is
  // kept, so that every event sent meanwhile reaches the same frame.
  const auto holdFrames = [&] {
    auto gate = std::make_shared<std::promise<void>>();
    auto entered = std::make_shared<std::promise<void>>();
    std::future<void> inside = entered->get_future();
    view->commands().post(view::CommandStage::BeforeFrame, [opened = gate->get_future().share(), entered] {
      entered->set_value();
      opened.wait();
    });
    inside.wait();
    return gate;
  };
  const auto dotDragging = [&] {
    return onRenderThread([&] { return view->interfaceFrame().navigation()->timeline().dot().dragging(); });
  };
  const std::array<int, 2> quarter = onTimeline(0.25f), threeQuarters = onTimeline(0.75f);
  // Above the bar, in the scene, where a drag of the dot would give 0.5.
  const std::array<int, 2> half = onTimeline(0.5f), scene{half[0], half[1] - 200};

  moveTo(quarter);
  press(kLeft, quarter, true);
  ASSERT_TRUE(testsupport::waitUntil([&] { return std::abs(SIM_GetProgress(view) - 0.25) < 0.01; }));
  auto gate = holdFrames();
  hostWindow.sendButton(window, kLeft, quarter[0], quarter[1], false);
  hostWindow.sendMotion(window, scene[0], scene[1]);
  hostWindow.sendButton(window, kLeft, scene[0], scene[1], true);
  gate->set_value();
  frames(4);
  EXPECT_FALSE(dotDragging()) << "released with the first gesture";
  EXPECT_NEAR(SIM_GetProgress(view), 0.25, 0.01) << "the second press does not drag the dot";
  press(kLeft, scene, false);

  // A click on the track in one frame, a press in the scene in the next.
  moveTo(threeQuarters);
  gate = holdFrames();
  hostWindow.sendButton(window, kLeft, threeQuarters[0], threeQuarters[1], true);
  hostWindow.sendButton(window, kLeft, threeQuarters[0], threeQuarters[1], false);
  gate->set_value();
  gate = holdFrames();
  hostWindow.sendMotion(window, scene[0], scene[1]);
  hostWindow.sendButton(window, kLeft, scene[0], scene[1], true);
  gate->set_value();
  frames(4);
  EXPECT_TRUE(testsupport::waitUntil([&] { return std::abs(SIM_GetProgress(view) - 0.75) < 0.01; }))
      << "the click sets the position: " << SIM_GetProgress(view);
  EXPECT_FALSE(dotDragging());
  press(kLeft, scene, false);
  EXPECT_NEAR(SIM_GetProgress(view), 0.75, 0.01);
}

}  // namespace
