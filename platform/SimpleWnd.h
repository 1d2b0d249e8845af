#pragma once
// The plain X11 window of the offscreen host mode: the view draws into a
// hidden window and each frame is copied into this one, which lives inside
// the host's window (or stands alone as a top-level window).
#include <cstdint>
#include <memory>
#include <vector>

#include "Korvane.h"
#include "platform/X11Embedding.h"

namespace platform {

class SimpleWnd {
 public:
  // Creates the window inside parent (covering its client area), or as a
  // top-level window of the given size when parent is 0. Null when the
  // window system is not up or the parent does not exist.
  static std::unique_ptr<SimpleWnd> create(SIM_Window parent, int width, int height);
  ~SimpleWnd();
  SimpleWnd(const SimpleWnd&) = delete;
  SimpleWnd& operator=(const SimpleWnd&) = delete;

  SIM_Window handle() const { return window_; }
  SIM_Window parent() const { return parent_; }
  WindowSize size() const;
  void reparent(SIM_Window parent);

  // Shows a top-down BGRA image of width x height (4 bytes a pixel).
  void present(const uint8_t* pixels, int width, int height);

 private:
  SimpleWnd() = default;

  SIM_Window window_ = 0;
  SIM_Window parent_ = 0;
  void* gc_ = nullptr;      // GC
  void* visual_ = nullptr;  // Visual*, 24-bit true colour
  unsigned long colormap_ = 0;
  int depth_ = 0;
};

}  // namespace platform
