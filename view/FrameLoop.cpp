// The frame loop of a view's render thread.
#include <glad/gl.h>
#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include <thread>
#include <utility>

#include "platform/GlfwLock.h"
#include "platform/OffscreenTransfer.h"
#include "platform/SimpleWnd.h"
#include "platform/X11Embedding.h"
#include "platform/XErrorGuard.h"
#include "stock/StockModel.h"
#include "view/Render.h"

namespace {

constexpr double kIdleAfterMs = 1000.0;
constexpr double kActiveIdleSleepMs = 35.0;
constexpr double kIdleSleepMs = 75.0;

void sleepMs(double ms) {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(ms));
}

view::ButtonPhase phaseOf(const view::InputState& frame, int button) {
  if (frame.wentDown[button]) return view::ButtonPhase::Pressed;
  if (frame.wentUp[button]) return view::ButtonPhase::Released;
  return frame.buttonDown[button] ? view::ButtonPhase::Held : view::ButtonPhase::Up;
}

view::BindingInput bindingInputOf(const view::InputState& frame) {
  view::BindingInput input;
  if (frame.control) input.modifierMask |= view::MouseBindingTable::kControlBit;
  if (frame.shift) input.modifierMask |= view::MouseBindingTable::kShiftBit;
  if (frame.alt) input.modifierMask |= view::MouseBindingTable::kAltBit;
  for (int button = 0; button < 3; ++button) input.buttons[button] = phaseOf(frame, button);
  input.wheel = frame.wheelSteps;
  return input;
}

// A request that fails leaves the view running; requests that hand results
// to waiting threads pass their failures on themselves.
void runRequest(const std::function<void()>& request) {
  try {
    request();
  } catch (const std::exception&) {
  }
}

}  // namespace

void Render::runFrameLoop() {
  double lastIteration = seconds() * 1000.0;
  double lastDraw = lastIteration;
  lastActivity_ = lastIteration;
  bool workPending = false;
  bool firstIteration = true;
  frameCounter_ = 0;
  redrawRequested_ = 1;

  bool closedByUser = false;
  while (closeRequested_.load() == 0) {
    if (transfer_) transfer_->finishPending(*hostWindow_);
    // Pacing: an idle view sleeps out the frame interval and draws; a busy
    // one never sleeps and draws only when the interval has passed.
    bool drawing;
    double now = seconds() * 1000.0;
    if (!workPending) {
      sleepMs(frameIntervalMs_ - (now - lastIteration));
      now = seconds() * 1000.0;
      drawing = true;
    } else {
      drawing = firstIteration || now - lastDraw >= frameIntervalMs_;
    }
    frameTimeRatio_ = (now - lastIteration) / frameIntervalMs_;
    lastIteration = now;
    firstIteration = false;

    applyQueuedRequests(now);
    // Work that needs the stock cut as the host last set it: only what was
    // asked before this frame took the pending position.
    std::vector<std::function<void()>> afterCut = takeLateRequests();
    updatePlayback(now);
    updateStock(now);
    updateCuts(now);
    for (auto& request : afterCut) runRequest(request);
    updateCamera();

    if (drawing) {
      if (hostWindow_) pollHostWindow();
      view::InputState frame;
      {
        std::lock_guard glfw(platform::glfwLock());
        frame = input_.takeFrame();
      }
      handleInput(frame, now);
      if (hostWindow_) followHostWindowSize();
      const auto drawStart = view::Clock::now();
      draw(now);
      if (profiling_) drawTimeNs_ += static_cast<uint64_t>((view::Clock::now() - drawStart).count());
      lastDraw = now;
    }

    workPending = hasPendingWork();
    if (!workPending && (now - lastActivity_ > kIdleAfterMs || !activeMode_.load()))
      sleepMs(activeMode_.load() ? kActiveIdleSleepMs : kIdleSleepMs);

    if (drawing && !hints_.headless) {
      std::lock_guard glfw(platform::glfwLock());
      glfwPollEvents();
    }

    ++frameCounter_;
    ++iterations_;
    frameDone_ = 1;
    {
      std::lock_guard glfw(platform::glfwLock());
      closedByUser = glfwWindowShouldClose(window_) || hostWindowClosed_;
    }
    if (closedByUser) break;
  }
  shutdown(closedByUser);
}

void Render::applyQueuedRequests(double now) {
  if (removalPending_.load() != 0) {
    std::vector<std::string> names;
    {
      std::lock_guard lock(locks_.requestQueue);
      names.swap(removalQueue_);
      removalPending_ = 0;
    }
    // Without a stock collection there is nothing to drop.
    if (geometryRemover_)
      for (const std::string& name : names) geometryRemover_(name);
    lastActivity_ = now;
  }
  if (requestsPending_.load() == 0) return;
  std::vector<std::function<void()>> requests, stockRequests;
  {
    std::lock_guard lock(locks_.requestQueue);
    requests.swap(requests_);
    requestsPending_ = 0;
  }
  for (auto& request : requests) runRequest(request);
  {
    // The stock model changes only when no host call reads or writes it.
    std::unique_lock view(locks_.view, std::try_to_lock);
    if (view.owns_lock()) {
      {
        std::lock_guard lock(locks_.requestQueue);
        stockRequests.swap(stockRequests_);
      }
      for (auto& request : stockRequests) runRequest(request);
    }
  }
  std::lock_guard lock(locks_.requestQueue);
  if (!stockRequests_.empty()) requestsPending_ = 1;  // try again next frame
  lastActivity_ = now;
  redrawRequested_ = 1;
}

std::vector<std::function<void()>> Render::takeLateRequests() {
  std::lock_guard lock(locks_.requestQueue);
  return std::exchange(lateRequests_, {});
}

bool Render::hasPendingWork() const {
  const stock::StockCollection* stocks = job_.stocks();
  return stocks && stocks->stockRevision() != stockRevisionBuilt_;
}

void Render::updateStock(double now) {
  stock::StockCollection* stocks = job_.stocks();
  if (!stocks) return;
  const uint64_t revision = stocks->stockRevision();
  if (revision == stockRevisionBuilt_) return;
  // The stock model changes only when no host call reads or writes it.
  std::unique_lock view(locks_.view, std::try_to_lock);
  if (!view.owns_lock()) return;
  if (!stockScene_) stockScene_ = std::make_unique<stock::StockScene>();
  stockScene_->sync(stocks->stocks(), deviceLimits_);
  stockRevisionBuilt_ = revision;
  lastActivity_ = now;
  redrawRequested_ = 1;
}

void Render::handleInput(const view::InputState& frame, double now) {
  if (frame.activity || frame.resized || frame.exposed) lastActivity_ = now;
  if (frame.resized) applyResize(frame.width, frame.height);
  if (frame.exposed) redrawRequested_ = 1;
  mouseBindings_.evaluate(bindingInputOf(frame));

  applyStepKeys(frame.stepKeys, now);
  std::function<void(const view::StepKey&)> stepKeys;
  {
    std::lock_guard lock(locks_.requestQueue);
    stepKeys = stepKeyHandler_;
  }
  if (stepKeys)
    for (const view::StepKey& key : frame.stepKeys) stepKeys(key);

  for (int i = 0; i < frame.clicks; ++i)
    callbackWindow_(SIM_MESSAGE_NOTIFY, SIM_EVENT_VIEWPORT_CLICKED, 0, true);
  if (frame.exportGesture) notifier_.handleByDefault(SIM_EVENT_SAVE_PRESENTATION_REQUESTED, 0);
}

void Render::applyResize(int width, int height) {
  if (width <= 0 || height <= 0) return;
  if (!hints_.headless) glViewport(0, 0, width, height);
  camera_.setViewport(width, height);
  readDpi();
  if (width != framebufferWidth_.load() || height != framebufferHeight_.load()) {
    framebufferWidth_ = width;
    framebufferHeight_ = height;
    redrawRequested_ = 1;
  }
}

// Events of the offscreen host window go into the same input record as the
// window callbacks' do.
class Render::HostWindowEvents : public platform::SimpleWnd::EventSink {
 public:
  explicit HostWindowEvents(Render& view) : view_(view), glfw_(platform::glfwLock()) {}

  // The hidden window follows the host window's size in followHostWindowSize.
  void resized(int, int) override { view_.input_.activity = true; }
  void exposed() override { view_.input_.recordExpose(); }
  void key(int key, int action, int mods) override {
    const int64_t value = view_.input_.recordKey(key, action, mods);
    view_.callbackWindow_(SIM_MESSAGE_NOTIFY, SIM_EVENT_KEY, value, true);
  }
  void character(uint32_t codepoint) override { view_.input_.recordCharacter(codepoint); }
  void button(int button, bool pressed) override { view_.input_.recordButton(button, pressed); }
  void cursor(double x, double y) override { view_.input_.recordCursor(x, y); }
  void scroll(double dy) override { view_.input_.recordScroll(dy); }
  void closeRequested() override { view_.hostWindowClosed_ = true; }

 private:
  Render& view_;
  std::lock_guard<std::recursive_mutex> glfw_;  // the input record is guarded by it
};

void Render::pollHostWindow() {
  HostWindowEvents events(*this);
  hostWindow_->pollEvents(events);
}

void Render::followHostWindowSize() {
  const platform::WindowSize client = hostWindow_->size();
  if (client.width <= 0 || client.height <= 0) return;
  if (client.width == framebufferWidth_.load() && client.height == framebufferHeight_.load()) return;
  {
    std::lock_guard glfw(platform::glfwLock());
    glfwSetWindowSize(window_, client.width, client.height);
  }
  applyResize(client.width, client.height);
}

void Render::draw(double now) {
  if (redrawRequested_.exchange(0) != 0) lastActivity_ = now;
  // A view where nothing happened for a second shows the picture it drew
  // last; drawing it again would cost the same GPU work for the same pixels.
  if (now - lastActivity_ > kIdleAfterMs) return;
  // A host that destroyed its window took the embedded view window with it;
  // nothing can be shown any more until the host closes the view. The driver
  // must not even start drawing into a window that is gone (it asks the
  // window's size first, and a failed answer is no size at all), so an
  // embedded window is looked up right before each frame.
  const SIM_Window window = nativeWindow_.load();
  if (platform::windowLost(window)) return;
  if (parentWindow_ != 0 && !hints_.headless && !hostWindow_) {
    std::lock_guard glfw(platform::glfwLock());
    if (!platform::windowExists(window)) {
      platform::markWindowLost(window);
      return;
    }
  }
  platform::XTraffic traffic = platform::xTraffic();
  if (!hints_.headless) {
    glClearColor(0.93f, 0.94f, 0.96f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawStocks();
    if (transfer_) transfer_->capture(framebufferWidth_.load(), framebufferHeight_.load());
  }
  glfwSwapBuffers(window_);
  ++framesDrawn_;
}
