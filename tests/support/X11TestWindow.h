#pragma once
// A plain X11 top-level window made on the test's own display connection: a
// host window to parent views into, and a way to send window-system events
// to a view's window as the X server would.
#include <cstdint>
#include <vector>

#include "korvane/Korvane.h"

namespace testsupport {

class X11TestWindow {
 public:
  X11TestWindow(int width, int height);
  ~X11TestWindow();
  X11TestWindow(const X11TestWindow&) = delete;
  X11TestWindow& operator=(const X11TestWindow&) = delete;

  bool ok() const { return window_ != 0; }
  SIM_Window id() const { return window_; }

  // The parent of `window` as the X server sees it.
  SIM_Window parentOf(SIM_Window window) const;
  // Windows directly inside window (0: the root window).
  int childCount(SIM_Window window) const;
  void sizeOf(SIM_Window window, int& width, int& height) const;
  bool isViewable(SIM_Window window) const;
  void resize(SIM_Window window, int width, int height) const;
  // The colour of one pixel of window as 0xRRGGBB.
  uint32_t pixelAt(SIM_Window window, int x, int y) const;
  // All of window's pixels as 0xRRGGBB, row by row from the top; empty
  // when it cannot be read.
  std::vector<uint32_t> pixelsOf(SIM_Window window) const;

  // Makes a request that fails (on this connection) and waits for the answer.
  void provokeError() const;

  // Events delivered to `target` as if the user acted on it.
  void sendCloseRequest(SIM_Window target) const;
  void sendKey(SIM_Window target, unsigned long keysym, bool press) const;
  void sendButton(SIM_Window target, unsigned button, int x, int y, bool press) const;
  void sendMotion(SIM_Window target, int x, int y) const;
  // One wheel step at (x, y): button 4 away from the user, 5 towards.
  void sendWheel(SIM_Window target, int x, int y, bool away) const;

 private:
  void* display_ = nullptr;
  SIM_Window window_ = 0;
};

}  // namespace testsupport
