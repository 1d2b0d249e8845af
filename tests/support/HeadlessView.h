#pragma once
// Base of tests that need a running view: a headless view created with
// waiting for its first frame, closed after the test.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <future>
#include <memory>
#include <thread>
#include <vector>

#include "korvane/Korvane.h"
#include "view/Render.h"

namespace testsupport {

class HeadlessViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(SIM_InitOpenGL(), 1) << "no X display";
    SIM_Hint(SIM_HINT_HEADLESS, 1);
    view = SIM_CreateView(0, true);
    SIM_Hint(SIM_HINT_HEADLESS, 0);
    ASSERT_NE(view, nullptr);
  }
  // Instead of SetUp: a view with a window that is not shown (the camera
  // commands and the in-window interface belong to windowed views).
  void setUpHiddenWindow() {
    ASSERT_EQ(SIM_InitOpenGL(), 1) << "no X display";
    SIM_Hint(SIM_HINT_START_HIDDEN, 1);
    view = SIM_CreateView(0, true);
    SIM_Hint(SIM_HINT_START_HIDDEN, 0);
    ASSERT_NE(view, nullptr);
  }
  void TearDown() override {
    SIM_CloseView(view);
    while (SIM_TerminateOpenGL() > 0) {
    }
  }

  // Runs work on the render thread at its next frame and waits for it; a
  // request the view drops fails the wait instead of hanging it.
  template <typename Work>
  auto onRenderThread(Work work) {
    auto task = std::make_shared<std::packaged_task<decltype(work())()>>(std::move(work));
    auto result = task->get_future();
    view->commands().post(view::CommandStage::BeforeFrame, [task] { (*task)(); });
    return result.get();
  }

  // Asks for a standard view and waits until the camera stands in it.
  void settleView(int32_t code) {
    ASSERT_EQ(SIM_SetView(view, code), 0);
    // The view is taken after the frame's update; the next frame has it.
    onRenderThread([] { return 0; });
    onRenderThread([] { return 0; });
    for (int frame = 0; frame < 300 && view->camera().transitionRunning(); ++frame)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }

  // Render thread: a picture of the view and the projection it was drawn with.
  struct Picture {
    std::vector<uint8_t> pixels;
    glm::dmat4 projView{1.0};
  };
  Picture pictureOf(int width, int height) {
    Picture p;
    p.pixels = view->renderImage(width, height);
    view->camera().setViewport(width, height);
    p.projView = view->camera().projView();
    view->camera().setViewport(view->framebufferWidth(), view->framebufferHeight());
    return p;
  }

  Render* view = nullptr;
};

}  // namespace testsupport
