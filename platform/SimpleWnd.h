#pragma once
// The plain X11 window of the offscreen host mode: the view draws into a
// hidden window and each frame is copied into this one, which lives inside
// the host's window (or stands alone as a top-level window). It talks to the
// X server over a connection of its own, so its input events reach the view
// without passing through the window system's event loop.
#include <atomic>
#include <cstdint>
#include <memory>
#include <unordered_map>

#include "korvane/Korvane.h"
#include "platform/X11Embedding.h"

namespace platform {

class SimpleWnd {
 public:
  // What the window's events mean to the view. Keys, actions and modifiers
  // in GLFW's numbering; buttons 0 left, 1 right, 2 middle.
  class EventSink {
   public:
    virtual ~EventSink() = default;
    virtual void resized(int width, int height) = 0;
    virtual void exposed() = 0;
    virtual void key(int key, int action, int mods) = 0;
    virtual void character(uint32_t codepoint) = 0;
    virtual void button(int button, bool pressed) = 0;
    virtual void cursor(double x, double y) = 0;
    virtual void scroll(double dy) = 0;
    virtual void closeRequested() = 0;
  };

  // Creates the window inside parent (covering its client area), or as a
  // top-level window of the given size when parent is 0. Null when the
  // window system is not up or the parent does not exist.
  static std::unique_ptr<SimpleWnd> create(SIM_Window parent, int width, int height);
  ~SimpleWnd();
  SimpleWnd(const SimpleWnd&) = delete;
  SimpleWnd& operator=(const SimpleWnd&) = delete;

  SIM_Window handle() const { return window_; }
  // The size the X server last reported.
  WindowSize size() const { return {width_.load(), height_.load()}; }
  void reparent(SIM_Window parent);

  // Shows a top-down BGRA image of width x height (4 bytes a pixel).
  void present(const uint8_t* pixels, int width, int height);
  // Hands every event that arrived since the last call to sink.
  void pollEvents(EventSink& sink);

 private:
  SimpleWnd() = default;
  void handleKey(EventSink& sink, void* keyEvent, bool pressed);

  void* display_ = nullptr;  // Display*, this window's own connection
  SIM_Window window_ = 0;
  void* gc_ = nullptr;       // GC
  void* visual_ = nullptr;   // Visual*, 24-bit true colour
  int depth_ = 0;
  unsigned long colormap_ = 0;
  unsigned long deleteAtom_ = 0;
  std::atomic<int> width_{0};
  std::atomic<int> height_{0};
  std::unordered_map<unsigned, int> keysDown_;  // render thread: key code -> key, tells repeats from presses
};

}  // namespace platform
