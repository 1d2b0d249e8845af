#pragma once
// The window side of a view: the GLFW window with its OpenGL context, its
// embedding into the host's window, the offscreen host mode's plain window
// and frame transfer, cursors, size and pixel density, and the input the
// window callbacks record. Made, polled, drawn into and destroyed on the
// view's render thread; the host's thread only prepares and destroys the
// offscreen host window, before and after the render thread runs.
#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>

#include "gpu/DeviceLimits.h"
#include "korvane/Korvane.h"
#include "platform/X11Embedding.h"
#include "view/InputState.h"
#include "view/Notifier.h"
#include "view/ProcessState.h"

struct GLFWwindow;
struct GLFWcursor;

namespace platform {
class SimpleWnd;
class OffscreenTransfer;
}  // namespace platform

namespace view {

class ViewWindow {
 public:
  // What the window shows behind the scene.
  // Render thread: the colour the window clears to (opaque whatever the
  // alpha).
  void setBackground(const std::array<float, 4>& colour) { background_ = colour; }
  const std::array<float, 4>& background() const { return background_; }
  // keyEvents hears every key the window sees (event 19).
  explicit ViewWindow(CallbackWindow keyEvents);
  ~ViewWindow();
  ViewWindow(const ViewWindow&) = delete;
  ViewWindow& operator=(const ViewWindow&) = delete;

  // ---- Host thread, while no render thread runs
  // In offscreen host mode: the plain window inside parent that shows the frames.
  void prepareHostWindow(SIM_Window parent, const CreationHints& hints);
  void destroyHostWindow();
  // The offscreen host window moves into parent.
  void reparentHostWindow(SIM_Window parent);

  // ---- Any thread
  // The offscreen host window in that mode, else the view's own window.
  SIM_Window handle() const;
  int framebufferWidth() const { return framebufferWidth_.load(); }
  int framebufferHeight() const { return framebufferHeight_.load(); }
  int dpiX() const { return dpi_[0].load(); }

  // ---- Render thread
  // The offscreen host mode draws at this multiple of the host window's
  // size (see platform::offscreenRenderScale) and shows each frame brought
  // back to it; set before create.
  void setOffscreenRenderScale(float scale) { renderScale_ = scale; }
  // Creates the window (hidden and 1 x 1 when headless), makes its context
  // current and loads the GL entry points; false when there is no window.
  bool create(SIM_Window parent, const CreationHints& hints);
  bool created() const { return window_ != nullptr; }
  gpu::DeviceLimits deviceLimits() const { return limits_; }
  // What the input did since the last call, the offscreen host window's
  // events included; a size the host window changed to is taken over.
  InputState takeInput();
  // Pointer input from the host, recorded like the window's own (any
  // thread; the event is valid). Events queue up and each frame takes them
  // up to and including one button change, so a press, a release and a
  // move sent together still reach the interface where each happened.
  void inject(const SIM_InputEvent& event);
  // Takes a new framebuffer size (and the pixel density with it); true when
  // the size changed.
  bool resize(int width, int height);
  // Shows a frame captured earlier in the offscreen host window.
  void finishTransfer();
  // Clears the window, lets drawScene draw and swaps, unless the window is
  // gone with its host; false when nothing was drawn.
  bool drawFrame(const std::function<void()>& drawScene);
  void pollEvents();
  // The user closed the window (or the offscreen host window).
  bool closedByUser() const;
  // Destroys the window after the context's objects were given back.
  void destroy();

  // Window callbacks record input here; see InputState.
  InputState& inputUnderGlfwLock() { return input_; }
  // Tells the host of a key (event 19), unless an interface text field is
  // being edited: its keys are the field's.
  void reportKey(int64_t value);
  void setKeysCaptured(bool captured) { keysCaptured_ = captured; }

 private:
  std::array<float, 4> background_{0.93f, 0.94f, 0.96f, 1.0f};
  class HostWindowEvents;
  void registerCallbacks();
  void readDpi();
  void followHostWindowSize();
  // What a host window pixel is in the framebuffer's.
  double inputScale() const { return hostWindow_ ? renderScale_ : 1.0; }

  CallbackWindow keyEvents_;
  std::atomic<bool> keysCaptured_{false};
  GLFWwindow* window_ = nullptr;
  std::unique_ptr<platform::SimpleWnd> hostWindow_;        // offscreen host mode only
  std::unique_ptr<platform::OffscreenTransfer> transfer_;  // offscreen host mode only
  bool hostWindowClosed_ = false;                          // the user closed the offscreen host window
  float renderScale_ = 1.0f;                               // offscreen host mode only
  platform::WindowSize shownSize_{1, 1};                   // the host window's size the frames are drawn for
  std::atomic<SIM_Window> nativeWindow_{0};
  SIM_Window parent_ = 0;
  bool headless_ = false;
  std::array<GLFWcursor*, 5> cursors_{};  // arrow, hand, crosshair, I-beam, horizontal resize
  gpu::DeviceLimits limits_;
  std::atomic<int> framebufferWidth_{1600};
  std::atomic<int> framebufferHeight_{900};
  std::array<std::atomic<int>, 2> dpi_{96, 96};
  InputState input_;                      // guarded by the GLFW lock
  std::deque<SIM_InputEvent> hostInput_;  // guarded by the GLFW lock

  // Records queued host events into input_ (GLFW lock held).
  void applyHostInput();
};

}  // namespace view
