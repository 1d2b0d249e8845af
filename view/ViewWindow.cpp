#include "view/ViewWindow.h"

#include <glad/gl.h>
#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <mutex>

#include "gpu/DebugOutput.h"
#include "platform/FrameScaling.h"
#include "platform/GlfwLock.h"
#include "platform/OffscreenTransfer.h"
#include "platform/SimpleWnd.h"
#include "platform/X11Embedding.h"
#include "platform/XErrorGuard.h"

namespace view {

namespace {

constexpr const char* kWindowTitle = "TARVO Simulation";

// The loader's entry points are process-wide and the same for every context
// of the display. They are loaded by the first window of each window-system
// initialisation: the GL library is unloaded when the window system ends.
bool loadGlEntryPoints() {
  static std::mutex mutex;
  static uint64_t loadedGeneration = 0;
  std::lock_guard lock(mutex);
  const uint64_t generation = windowSystemGeneration();
  if (loadedGeneration != generation && gladLoadGL(glfwGetProcAddress) != 0) loadedGeneration = generation;
  return loadedGeneration == generation;
}

ViewWindow* windowOf(GLFWwindow* window) { return static_cast<ViewWindow*>(glfwGetWindowUserPointer(window)); }

// The callbacks run inside glfwPollEvents, under the GLFW lock, on whichever
// render thread polled: they only record what happened. Nothing they do may
// throw into the window system's C code.
InputState& inputOf(GLFWwindow* window) { return windowOf(window)->inputUnderGlfwLock(); }

template <typename Record>
void record(Record&& body) noexcept {
  try {
    body();
  } catch (...) {
    // Out of memory while recording: the event is dropped.
  }
}

void onSize(GLFWwindow* window, int width, int height) {
  record([&] { inputOf(window).recordResize(width, height); });
}

void onRefresh(GLFWwindow* window) {
  record([&] { inputOf(window).recordExpose(); });
}

void onKey(GLFWwindow* window, int key, int /*scancode*/, int action, int mods) {
  record([&] {
    const int64_t value = inputOf(window).recordKey(key, action, mods);
    windowOf(window)->reportKey(value);
  });
}

void onCharacter(GLFWwindow* window, unsigned int codepoint) {
  record([&] { inputOf(window).recordCharacter(codepoint); });
}

// GLFW numbers the buttons left, right, middle as 0, 1, 2, as the input record does.
void onMouseButton(GLFWwindow* window, int button, int action, int /*mods*/) {
  record([&] { inputOf(window).recordButton(button, action == GLFW_PRESS); });
}

void onCursor(GLFWwindow* window, double x, double y) {
  record([&] { inputOf(window).recordCursor(x, y); });
}

void onCursorEnter(GLFWwindow* window, int entered) {
  if (!entered) record([&] { inputOf(window).recordCursorLeft(); });
}

void onScroll(GLFWwindow* window, double /*dx*/, double dy) {
  record([&] { inputOf(window).recordScroll(dy); });
}

}  // namespace

// Events of the offscreen host window go into the same input record as the
// window callbacks' do.
class ViewWindow::HostWindowEvents : public platform::SimpleWnd::EventSink {
 public:
  explicit HostWindowEvents(ViewWindow& window) : window_(window), glfw_(platform::glfwLock()) {}

  // The hidden window follows the host window's size in followHostWindowSize.
  void resized(int, int) override { window_.input_.activity = true; }
  void exposed() override { window_.input_.recordExpose(); }
  void key(int key, int action, int mods) override {
    const int64_t value = window_.input_.recordKey(key, action, mods);
    window_.reportKey(value);
  }
  void character(uint32_t codepoint) override { window_.input_.recordCharacter(codepoint); }
  void button(int button, bool pressed) override { window_.input_.recordButton(button, pressed); }
  void cursor(double x, double y) override {
    window_.input_.recordCursor(x * window_.inputScale(), y * window_.inputScale());
  }
  void scroll(double dy) override { window_.input_.recordScroll(dy); }
  void closeRequested() override { window_.hostWindowClosed_ = true; }

 private:
  ViewWindow& window_;
  std::lock_guard<std::recursive_mutex> glfw_;  // the input record is guarded by it
};

ViewWindow::ViewWindow(CallbackWindow keyEvents) : keyEvents_(std::move(keyEvents)) {}

void ViewWindow::reportKey(int64_t value) {
  if (!keysCaptured_) keyEvents_(SIM_MESSAGE_NOTIFY, SIM_EVENT_KEY, value, true);
}

ViewWindow::~ViewWindow() = default;

void ViewWindow::prepareHostWindow(SIM_Window parent, const CreationHints& hints) {
  if (hints.offscreenHost && !hints.headless && !hostWindow_)
    hostWindow_ = platform::SimpleWnd::create(parent, framebufferWidth_.load(), framebufferHeight_.load());
}

void ViewWindow::destroyHostWindow() { hostWindow_.reset(); }

void ViewWindow::reparentHostWindow(SIM_Window parent) {
  if (hostWindow_) hostWindow_->reparent(parent);
}

SIM_Window ViewWindow::handle() const {
  if (hostWindow_) return hostWindow_->handle();
  return nativeWindow_.load();
}

bool ViewWindow::create(SIM_Window parent, const CreationHints& hints) {
  headless_ = hints.headless;
  hostWindowClosed_ = false;
  // Offscreen host mode draws into a hidden window sized to the host window.
  const bool offscreen = hostWindow_ != nullptr;
  if (offscreen) {
    const platform::WindowSize client = hostWindow_->size();
    shownSize_ = {std::max(1, client.width), std::max(1, client.height)};
    framebufferWidth_ = platform::scaledEdge(shownSize_.width, renderScale_);
    framebufferHeight_ = platform::scaledEdge(shownSize_.height, renderScale_);
  }
  {
    std::lock_guard glfw(platform::glfwLock());
    glfwDefaultWindowHints();
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 4);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_SAMPLES, 4);
#ifdef KORVANE_GL_DEBUG
    glfwWindowHint(GLFW_OPENGL_DEBUG_CONTEXT, GLFW_TRUE);
#else
    glfwWindowHint(GLFW_CONTEXT_NO_ERROR, GLFW_TRUE);
#endif
    if (headless_) {
      glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    } else {
      glfwWindowHint(GLFW_DECORATED, parent == 0 ? GLFW_TRUE : GLFW_FALSE);
      glfwWindowHint(GLFW_VISIBLE, parent == 0 && !hints.startHidden && !offscreen ? GLFW_TRUE : GLFW_FALSE);
      glfwWindowHint(GLFW_FOCUS_ON_SHOW, GLFW_TRUE);
      glfwWindowHint(GLFW_FOCUSED, GLFW_TRUE);
    }
    const int width = headless_ ? 1 : framebufferWidth_.load();
    const int height = headless_ ? 1 : framebufferHeight_.load();
    {
      platform::WindowSystemCall guarded;  // window creation resets the X error handler
      window_ = glfwCreateWindow(width, height, kWindowTitle, nullptr, nullptr);
    }
    if (window_) glfwSetWindowUserPointer(window_, this);
  }
  if (!window_) return false;

  glfwMakeContextCurrent(window_);
  glfwSwapInterval(0);
  if (!loadGlEntryPoints()) {
    glfwMakeContextCurrent(nullptr);
    std::lock_guard glfw(platform::glfwLock());
    platform::WindowSystemCall guarded;
    glfwDestroyWindow(window_);
    window_ = nullptr;
    return false;
  }
  gpu::routeDebugOutputToStandardError();
  limits_ = gpu::queryDeviceLimits();
  nativeWindow_ = platform::nativeWindow(window_);
  parent_ = parent;

  {
    std::lock_guard glfw(platform::glfwLock());
    glfwSetWindowSizeCallback(window_, onSize);
    glfwSetWindowRefreshCallback(window_, onRefresh);
    if (parent == 0) {
      int width = 0, height = 0;
      glfwGetWindowSize(window_, &width, &height);
      onSize(window_, width, height);
    }
    if (parent != 0 && !headless_ && !offscreen) {
      // The host may destroy this window with its own; watch it from now on.
      platform::watchWindow(nativeWindow_.load());
      platform::watchWindow(platform::drawableOf(window_));
      platform::embedIntoParent(window_, parent);
    }
  }
  if (offscreen) transfer_ = std::make_unique<platform::OffscreenTransfer>();

  if (!headless_) {
    int width = 0, height = 0;
    {
      std::lock_guard glfw(platform::glfwLock());
      glfwGetFramebufferSize(window_, &width, &height);
    }
    glViewport(0, 0, width, height);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    registerCallbacks();
  }
  readDpi();
  return true;
}

void ViewWindow::registerCallbacks() {
  std::lock_guard glfw(platform::glfwLock());
  glfwSetKeyCallback(window_, onKey);
  glfwSetCharCallback(window_, onCharacter);
  glfwSetMouseButtonCallback(window_, onMouseButton);
  glfwSetCursorPosCallback(window_, onCursor);
  glfwSetCursorEnterCallback(window_, onCursorEnter);
  glfwSetScrollCallback(window_, onScroll);
  glfwSetInputMode(window_, GLFW_STICKY_MOUSE_BUTTONS, GLFW_TRUE);
  const int shapes[5] = {GLFW_ARROW_CURSOR, GLFW_HAND_CURSOR, GLFW_CROSSHAIR_CURSOR, GLFW_IBEAM_CURSOR,
                         GLFW_HRESIZE_CURSOR};
  for (int i = 0; i < 5; ++i) cursors_[i] = glfwCreateStandardCursor(shapes[i]);
}

// Drawn at a render scale, everything sized in points grows with it, so
// that the frame brought back to the host window's size shows it as large
// as a frame drawn at 1 would.
void ViewWindow::readDpi() {
  float sx = 1.0f, sy = 1.0f;
  glfwGetWindowContentScale(window_, &sx, &sy);
  const double scale = inputScale();
  dpi_[0] = std::max(1, static_cast<int>(std::lround(sx * 96.0 * scale)));
  dpi_[1] = std::max(1, static_cast<int>(std::lround(sy * 96.0 * scale)));
}

InputState ViewWindow::takeInput() {
  if (hostWindow_) {
    {
      HostWindowEvents events(*this);
      hostWindow_->pollEvents(events);
    }
    followHostWindowSize();
  }
  std::lock_guard glfw(platform::glfwLock());
  applyHostInput();
  return input_.takeFrame();
}

void ViewWindow::inject(const SIM_InputEvent& event) {
  std::lock_guard glfw(platform::glfwLock());
  hostInput_.push_back(event);
  input_.activity = true;
}

void ViewWindow::applyHostInput() {
  while (!hostInput_.empty()) {
    const SIM_InputEvent event = hostInput_.front();
    hostInput_.pop_front();
    switch (event.kind) {
      case SIM_INPUT_MOVE: input_.recordCursor(event.x * inputScale(), event.y * inputScale()); break;
      case SIM_INPUT_BUTTON_DOWN:
      case SIM_INPUT_BUTTON_UP:
        input_.recordButton(event.button, event.kind == SIM_INPUT_BUTTON_DOWN);
        return;  // the next change waits for the next frame
      case SIM_INPUT_CHARACTER: input_.recordCharacter(static_cast<uint32_t>(event.button)); break;
      case SIM_INPUT_KEY_DOWN:
      case SIM_INPUT_KEY_UP: {
        const int action = event.kind == SIM_INPUT_KEY_DOWN ? GLFW_PRESS : GLFW_RELEASE;
        const int64_t value = input_.recordKey(event.button, action, input_.heldModifiers());
        reportKey(value);
        break;
      }
      case SIM_INPUT_WHEEL: {
        // One recorded step per whole step, at most a hundred at once.
        const long steps = std::lround(std::clamp(event.wheel, -100.0, 100.0));
        for (long k = 0; k < std::labs(steps); ++k) input_.recordScroll(static_cast<double>(steps));
        break;
      }
      default: break;
    }
  }
}

bool ViewWindow::resize(int width, int height) {
  if (width <= 0 || height <= 0) return false;
  if (!headless_) glViewport(0, 0, width, height);
  readDpi();
  if (width == framebufferWidth_.load() && height == framebufferHeight_.load()) return false;
  framebufferWidth_ = width;
  framebufferHeight_ = height;
  return true;
}

// The hidden window takes the host window's size; the frame loop then sees
// it as a resize.
void ViewWindow::followHostWindowSize() {
  const platform::WindowSize client = hostWindow_->size();
  if (client.width <= 0 || client.height <= 0) return;
  if (client.width == shownSize_.width && client.height == shownSize_.height) return;
  shownSize_ = client;
  const int width = platform::scaledEdge(client.width, renderScale_);
  const int height = platform::scaledEdge(client.height, renderScale_);
  std::lock_guard glfw(platform::glfwLock());
  glfwSetWindowSize(window_, width, height);
  input_.recordResize(width, height);
}

void ViewWindow::finishTransfer() {
  if (transfer_) transfer_->finishPending(*hostWindow_);
}

bool ViewWindow::drawFrame(const std::function<void()>& drawScene) {
  // A host that destroyed its window took the embedded view window with it;
  // nothing can be shown any more until the host closes the view. The driver
  // must not even start drawing into a window that is gone (it asks the
  // window's size first, and a failed answer is no size at all), so an
  // embedded window is looked up right before each frame.
  const SIM_Window window = nativeWindow_.load();
  if (platform::windowLost(window)) return false;
  if (parent_ != 0 && !headless_ && !hostWindow_) {
    std::lock_guard glfw(platform::glfwLock());
    if (!platform::windowExists(window)) {
      platform::markWindowLost(window);
      return false;
    }
  }
  platform::XTraffic traffic = platform::xTraffic();
  if (!headless_) {
    glClearColor(background_[0], background_[1], background_[2], 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawScene();
    if (transfer_) transfer_->capture(framebufferWidth_.load(), framebufferHeight_.load(), shownSize_);
  }
  glfwSwapBuffers(window_);
  return true;
}

void ViewWindow::pollEvents() {
  if (headless_) return;
  std::lock_guard glfw(platform::glfwLock());
  glfwPollEvents();
}

bool ViewWindow::closedByUser() const {
  std::lock_guard glfw(platform::glfwLock());
  return glfwWindowShouldClose(window_) || hostWindowClosed_;
}

void ViewWindow::destroy() {
  if (!window_) return;
  transfer_.reset();
  glfwMakeContextCurrent(nullptr);
  std::lock_guard glfw(platform::glfwLock());
  for (GLFWcursor*& cursor : cursors_) {
    if (cursor) glfwDestroyCursor(cursor);
    cursor = nullptr;
  }
  const SIM_Window drawable = platform::drawableOf(window_);
  {
    platform::WindowSystemCall guarded;
    platform::destroyWindow(window_, parent_ != 0 && !headless_ && !hostWindow_);
  }
  window_ = nullptr;
  platform::forgetWindow(nativeWindow_.load());
  platform::forgetWindow(drawable);
  nativeWindow_ = 0;
}

}  // namespace view
