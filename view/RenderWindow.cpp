// Creation and teardown of a view's window, on its render thread.
#include <glad/gl.h>
#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include <algorithm>
#include <mutex>

#include "gpu/ProgramCache.h"
#include "platform/GlfwLock.h"
#include "platform/OffscreenTransfer.h"
#include "platform/SimpleWnd.h"
#include "platform/X11Embedding.h"
#include "platform/XErrorGuard.h"
#include "stock/StockModel.h"
#include "view/Render.h"

namespace {

constexpr const char* kWindowTitle = "TARVO Simulation";

// The loader's entry points are process-wide and the same for every context
// of the display. They are loaded by the first window of each window-system
// initialisation: the GL library is unloaded when the window system ends.
bool loadGlEntryPoints() {
  static std::mutex mutex;
  static uint64_t loadedGeneration = 0;
  std::lock_guard lock(mutex);
  const uint64_t generation = view::windowSystemGeneration();
  if (loadedGeneration != generation && gladLoadGL(glfwGetProcAddress) != 0) loadedGeneration = generation;
  return loadedGeneration == generation;
}

Render* viewOf(GLFWwindow* window) { return static_cast<Render*>(glfwGetWindowUserPointer(window)); }

// The callbacks run inside glfwPollEvents, under the GLFW lock, on whichever
// render thread polled: they only record what happened. Nothing they do may
// throw into the window system's C code.
view::InputState& inputOf(GLFWwindow* window) { return viewOf(window)->inputUnderGlfwLock(); }

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
    viewOf(window)->callbackWindow()(SIM_MESSAGE_NOTIFY, SIM_EVENT_KEY, value, true);
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

void onScroll(GLFWwindow* window, double /*dx*/, double dy) {
  record([&] { inputOf(window).recordScroll(dy); });
}

}  // namespace

void Render::renderThreadMain(SIM_Window parent, bool startHidden) {
  try {
    if (createRenderWindow(parent, startHidden) == 0) runFrameLoop();
  } catch (...) {
    // Nothing may leave the thread: the host process would end. A view
    // whose thread failed stays a view without window until it is closed.
    if (windowStatus() == view::WindowStatus::Pending)
      windowStatus_ = static_cast<uint32_t>(view::WindowStatus::Failed);
    try {
      if (window_) shutdown(false);
    } catch (...) {
    }
  }
  closeRequestQueue();
  // Nobody may wait for a first frame that will never come.
  frameDone_ = 1;
  if (releaseItself_.load()) finishOwnRelease();
}

int Render::createRenderWindow(SIM_Window parent, bool startHidden) {
  const bool headless = hints_.headless;
  // After the host's last SIM_TerminateOpenGL no new window is made, even
  // while open views keep the window system up.
  if (view::windowSystemReferences() == 0) {
    windowStatus_ = static_cast<uint32_t>(view::WindowStatus::Failed);
    return -1;
  }
  // Offscreen host mode draws into a hidden window sized to the host window.
  const bool offscreen = hostWindow_ != nullptr;
  if (offscreen) {
    const platform::WindowSize client = hostWindow_->size();
    framebufferWidth_ = std::max(1, client.width);
    framebufferHeight_ = std::max(1, client.height);
  }
  {
    std::lock_guard glfw(platform::glfwLock());
    glfwDefaultWindowHints();
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 4);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_SAMPLES, 4);
    glfwWindowHint(GLFW_CONTEXT_NO_ERROR, GLFW_TRUE);
    if (headless) {
      glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    } else {
      glfwWindowHint(GLFW_DECORATED, parent == 0 ? GLFW_TRUE : GLFW_FALSE);
      glfwWindowHint(GLFW_VISIBLE, parent == 0 && !startHidden && !offscreen ? GLFW_TRUE : GLFW_FALSE);
      glfwWindowHint(GLFW_FOCUS_ON_SHOW, GLFW_TRUE);
      glfwWindowHint(GLFW_FOCUSED, GLFW_TRUE);
    }
    const int width = headless ? 1 : framebufferWidth_.load();
    const int height = headless ? 1 : framebufferHeight_.load();
    {
      platform::WindowSystemCall guarded;  // window creation resets the X error handler
      window_ = glfwCreateWindow(width, height, kWindowTitle, nullptr, nullptr);
    }
    if (window_) glfwSetWindowUserPointer(window_, this);
  }
  if (!window_) {
    windowStatus_ = static_cast<uint32_t>(view::WindowStatus::Failed);
    return -1;
  }

  glfwGetWindowContentScale(window_, &scale_[0], &scale_[1]);
  glfwMakeContextCurrent(window_);
  glfwSwapInterval(0);
  if (!loadGlEntryPoints()) {
    glfwMakeContextCurrent(nullptr);
    std::lock_guard glfw(platform::glfwLock());
    platform::WindowSystemCall guarded;
    glfwDestroyWindow(window_);
    window_ = nullptr;
    windowStatus_ = static_cast<uint32_t>(view::WindowStatus::Failed);
    return -1;
  }
  deviceLimits_ = gpu::queryDeviceLimits();
  nativeWindow_ = platform::nativeWindow(window_);
  parentWindow_ = parent;

  {
    std::lock_guard glfw(platform::glfwLock());
    glfwSetWindowSizeCallback(window_, onSize);
    glfwSetWindowRefreshCallback(window_, onRefresh);
    if (parent == 0) {
      int width = 0, height = 0;
      glfwGetWindowSize(window_, &width, &height);
      onSize(window_, width, height);
    }
    if (parent != 0 && !headless && !offscreen) {
      // The host may destroy this window with its own; watch it from now on.
      platform::watchWindow(nativeWindow_.load());
      platform::watchWindow(platform::drawableOf(window_));
      platform::embedIntoParent(window_, parent);
    }
  }
  if (offscreen) transfer_ = std::make_unique<platform::OffscreenTransfer>();

  if (!headless) {
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

  // The parent hears the notifications, unless the host chose another window meanwhile.
  if (parent != 0) notifier_.setCallbackWindowIfUnset(parent, true);

  clockStart_ = view::Clock::now();
  framesDrawn_ = 0;
  iterations_ = 0;
  drawTimeNs_ = 0;
  windowStatus_ = static_cast<uint32_t>(view::WindowStatus::Created);
  return 0;
}

void Render::registerCallbacks() {
  std::lock_guard glfw(platform::glfwLock());
  glfwSetKeyCallback(window_, onKey);
  glfwSetCharCallback(window_, onCharacter);
  glfwSetMouseButtonCallback(window_, onMouseButton);
  glfwSetCursorPosCallback(window_, onCursor);
  glfwSetScrollCallback(window_, onScroll);
  glfwSetInputMode(window_, GLFW_STICKY_MOUSE_BUTTONS, GLFW_TRUE);
  const int shapes[5] = {GLFW_ARROW_CURSOR, GLFW_HAND_CURSOR, GLFW_CROSSHAIR_CURSOR, GLFW_IBEAM_CURSOR,
                         GLFW_HRESIZE_CURSOR};
  for (int i = 0; i < 5; ++i) cursors_[i] = glfwCreateStandardCursor(shapes[i]);
}

void Render::readDpi() {
  float sx = 1.0f, sy = 1.0f;
  glfwGetWindowContentScale(window_, &sx, &sy);
  scale_ = {sx, sy};
  dpi_[0] = static_cast<int>(sx * 96.0f + 0.5f);
  dpi_[1] = static_cast<int>(sy * 96.0f + 0.5f);
}

void Render::shutdown(bool closedByUser) {
  if (closedByUser) callbackWindow_(SIM_MESSAGE_NOTIFY, SIM_EVENT_VIEW_CLOSING, 0, false);
  {
    std::lock_guard scene(locks_.scene);
    // Scene objects go in reverse order of creation; then the programs that
    // were linked for this window and its context.
    transfer_.reset();
    stockDrawing_.reset();
    if (stockScene_) stockScene_->release();
    stockScene_.reset();
    gpu::deleteContextPrograms();
    gpu::deleteWindowPrograms();
  }
  glfwMakeContextCurrent(nullptr);
  {
    std::lock_guard glfw(platform::glfwLock());
    for (GLFWcursor*& cursor : cursors_) {
      if (cursor) glfwDestroyCursor(cursor);
      cursor = nullptr;
    }
    const SIM_Window drawable = platform::drawableOf(window_);
    {
      platform::WindowSystemCall guarded;
      platform::destroyWindow(window_, parentWindow_ != 0 && !hints_.headless && !hostWindow_);
    }
    window_ = nullptr;
    platform::forgetWindow(nativeWindow_.load());
    platform::forgetWindow(drawable);
  }
  nativeWindow_ = 0;
  if (closedByUser) callbackWindow_(SIM_MESSAGE_VIEW_CLOSED, 0, 0, true);
}
