#pragma once
// One simulation view: its window, its render thread with the frame loop,
// its worker threads, its locks and its notification channel.
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "korvane/Korvane.h"
#include "camera/Camera.h"
#include "stock/StockDrawing.h"
#include "gpu/DeviceLimits.h"
#include "view/InputState.h"
#include "view/JobData.h"
#include "view/MouseBindings.h"
#include "view/Notifier.h"
#include "view/PositionReport.h"
#include "view/ProgressTasks.h"
#include "view/SolidExports.h"
#include "view/ProcessState.h"
#include "view/ViewLocks.h"

struct GLFWwindow;
struct GLFWcursor;

namespace stock {
class StockScene;
struct ToolAssignment;
}  // namespace stock

namespace platform {
class SimpleWnd;
class OffscreenTransfer;
}  // namespace platform

namespace view {

enum class WindowStatus : uint32_t { Pending = 0, Created = 1, Failed = 2 };

using Clock = std::chrono::steady_clock;

}  // namespace view

class Render {
 public:
  Render();
  ~Render();
  Render(const Render&) = delete;
  Render& operator=(const Render&) = delete;

  // Host thread: starts the render thread, which creates the window and runs
  // the frame loop.
  void startRenderThread(SIM_Window parent, const view::CreationHints& hints);
  // Host thread: asks every thread to stop and joins them. Throws
  // std::system_error when called from one of the view's own threads.
  void stopThreads();
  bool isOwnThread() const;
  // From one of the view's own threads: asks the view to close and to free
  // itself when its render thread ends.
  void releaseFromOwnThread();

  view::WindowStatus windowStatus() const { return static_cast<view::WindowStatus>(windowStatus_.load()); }
  bool frameDone() const { return frameDone_.load() != 0; }
  // Waits until creation is decided (polling every 10 ms, or yielding) and,
  // when it succeeded, yields until the first frame is done.
  view::WindowStatus waitForFirstFrame(bool pollEvery10ms) const;
  // The offscreen host window in offscreen host mode, else the view's own window.
  SIM_Window windowHandle() const;
  // Sets the callback window; with hostHandles an offscreen host window moves into it.
  void setCallbackWindow(SIM_Window window, bool hostHandles);
  // Host thread, after the threads stopped: destroys the offscreen host window.
  void destroyHostWindow();

  view::Notifier& notifier() { return notifier_; }
  const view::CallbackWindow& callbackWindow() const { return callbackWindow_; }
  view::MouseBindingTable& mouseBindings() { return mouseBindings_; }
  view::ViewLocks& locks() { return locks_; }

  view::JobData& job() { return job_; }
  // Host thread, after a new toolpath was loaded: orientations and
  // compensation follow it, the display and the stock refresh, and the host
  // hears event 0.
  void toolpathChanged();

  // Render thread only: the stock models with their lattices; null until
  // the first stock was built.
  stock::StockScene* stockScene() { return stockScene_.get(); }
  // Render thread only: the stocks drawn from the camera into an offscreen
  // image of the given size, RGBA rows from the bottom up (snapshots, and
  // the sample host's pictures).
  std::vector<uint8_t> renderImage(int width, int height);
  // Render thread only: cuts the toolpath moves [first, end) out of every
  // stock, in full, at once.
  void cutStockMoves(uint32_t first, uint32_t end);

  void requestRedraw() { redrawRequested_ = 1; }
  void setActiveMode(bool on) { activeMode_ = on; }

  // The view's camera; its operations take its own lock, from any thread.
  camera::Camera& camera() { return camera_; }
  // Host thread: a standard view for the next frame (view/ViewCamera.cpp).
  void requestView(int32_t code);
  // Host thread: the host set a pose; later standard views apply at once,
  // and one kept from before gives way.
  void markPositioned();

  // Host thread: work for the render thread, run at the start of its next frame.
  void queueRequest(std::function<void()> request);
  // Host thread: work for the render thread once its next frame has taken
  // the pending position, built the stocks and cut them up to it (exports
  // and pictures of the stock as the host last set it).
  void queueRequestAfterCut(std::function<void()> request);
  // Host thread: work on the stock model, run on the render thread at the
  // first frame that can take the view lock exclusively without waiting.
  void queueStockRequest(std::function<void()> request);
  // Host thread: a geometry to drop from the stock collection at the next frame.
  void queueGeometryRemoval(std::string name);
  // Called on the render thread at the first frame that sees a queued Up/Down
  // repeat or a Space, N, P, R or Home press; playback installs it.
  void setStepKeyHandler(std::function<void(const view::StepKey&)> handler);

  // Host thread: a playback step (SIM_GotoCommand), worked out at the next
  // frame from the position then and handed over as the pending position.
  void queueStep(uint32_t code);
  // Host thread: starts writing a stock solid's surface as binary STL in
  // host units on the solid's export thread (view/SolidExport.cpp); false
  // while that solid's last export still runs.
  bool exportSolid(uint32_t solid, std::string path);
  // The tasks of the view's progress bar.
  view::ProgressTasks& progressTasks() { return progressTasks_; }
  bool dataReady() const { return dataReady_.load() != 0; }
  // Where the tool stands at the playback position, as of the last frame.
  struct ToolPose {
    int64_t move = -1;
    double fraction = 0;
    glm::dvec3 tip{0.0};
  };
  ToolPose toolPose() const;

  // Statistics
  uint64_t frameCounter() const { return frameCounter_.load(); }
  uint64_t framesDrawn() const { return framesDrawn_.load(); }
  uint64_t iterations() const { return iterations_.load(); }
  double frameTimeRatio() const { return frameTimeRatio_.load(); }
  int framebufferWidth() const { return framebufferWidth_.load(); }
  int framebufferHeight() const { return framebufferHeight_.load(); }
  int dpiX() const { return dpi_[0].load(); }

  // Window callbacks record input here; see InputState.
  view::InputState& inputUnderGlfwLock() { return input_; }

 private:
  // Render thread
  void renderThreadMain(SIM_Window parent, bool startHidden);
  void finishOwnRelease();
  int createRenderWindow(SIM_Window parent, bool startHidden);
  void registerCallbacks();
  void runFrameLoop();
  void applyQueuedRequests(double now);
  std::vector<std::function<void()>> takeLateRequests();
  // Work that keeps the loop from sleeping: stocks to build (cuts and
  // extraction join later).
  bool hasPendingWork() const;
  // Builds the stocks whose description changed, when the view lock is free.
  void updateStock(double now);
  // Cuts every stock up to the playback position (view/StockCuts.cpp).
  void updateCuts(double now);
  // Refreshes the cut records and tools after a toolpath or tool change.
  void refreshCutPath();
  // Playback (view/PlaybackFrame.cpp): the pending position, the advance
  // while playing, the position published for the cut, the line report.
  void updatePlayback(double now);
  double playbackPosition() const;
  void moveSlider(double position);
  // Render thread: a step applied at once (keys), the stock cut for it.
  void applyStep(uint32_t code, double now);
  void applyStepKeys(const std::vector<view::StepKey>& keys, double now);
  void handleInput(const view::InputState& frame, double now);
  void applyResize(int width, int height);
  // Render thread: a standard view about the scene's box, or kept for later
  // while the view shows nothing and has no pose yet.
  void applyView(int32_t code);
  // Render thread, every frame: clip planes to the scene, a kept view, the
  // running transition.
  void updateCamera();
  camera::SceneBox sceneBox();
  // Render thread: every built stock's surface, extracted again after
  // changes.
  void drawStocks();
  void readDpi();
  void draw(double now);
  void followHostWindowSize();
  class HostWindowEvents;  // input of the offscreen host window
  void pollHostWindow();
  void shutdown(bool closedByUser);
  // Once the render thread has ended nobody serves requests: the queued
  // ones are dropped and later ones too, so no thread waits for them.
  void closeRequestQueue();
  // Render thread: a stock solid's welded surface in world millimetres.
  stock::SurfaceMesh solidMesh(uint32_t solid, const std::function<void(uint32_t)>& progress);

  double seconds() const;

  // Window and host
  GLFWwindow* window_ = nullptr;
  std::unique_ptr<platform::SimpleWnd> hostWindow_;          // offscreen host mode only
  std::unique_ptr<platform::OffscreenTransfer> transfer_;    // offscreen host mode only
  bool hostWindowClosed_ = false;                            // the user closed the offscreen host window
  std::atomic<SIM_Window> nativeWindow_{0};
  SIM_Window parentWindow_ = 0;
  view::CreationHints hints_;
  std::array<GLFWcursor*, 5> cursors_{};  // arrow, hand, crosshair, I-beam, horizontal resize

  // Notification channel
  view::Notifier notifier_;
  view::CallbackWindow callbackWindow_;

  // Cross-thread flags
  std::atomic<uint8_t> closeRequested_{0};
  std::atomic<bool> releaseItself_{false};
  std::atomic<uint8_t> frameDone_{0};
  std::atomic<uint8_t> dataReady_{0};
  std::atomic<uint32_t> windowStatus_{0};
  std::atomic<uint8_t> redrawRequested_{0};
  std::atomic<bool> activeMode_{true};

  // Frame timing and statistics
  double frameIntervalMs_ = 15.0;
  std::atomic<uint64_t> frameCounter_{0};
  std::atomic<double> frameTimeRatio_{0.0};
  std::atomic<uint64_t> framesDrawn_{0};
  std::atomic<uint64_t> iterations_{0};
  std::atomic<uint64_t> drawTimeNs_{0};
  bool profiling_ = false;
  view::Clock::time_point clockStart_;
  double lastActivity_ = 0;

  // Size and pixel density
  std::atomic<int> framebufferWidth_{1600};
  std::atomic<int> framebufferHeight_{900};
  std::array<std::atomic<int>, 2> dpi_{96, 96};
  std::array<float, 2> scale_{1.0f, 1.0f};

  // Host requests for the next frame, under the request-queue lock
  std::vector<std::string> removalQueue_;
  std::atomic<uint8_t> removalPending_{0};
  std::vector<std::function<void()>> requests_;
  std::vector<std::function<void()>> stockRequests_;
  std::vector<std::function<void()>> lateRequests_;
  std::atomic<uint8_t> requestsPending_{0};
  bool requestsClosed_ = false;
  std::function<void(const std::string&)> geometryRemover_;  // drops from the stock collection
  std::function<void(const view::StepKey&)> stepKeyHandler_;

  view::JobData job_;
  camera::Camera camera_{1600, 900};
  std::unique_ptr<stock::StockDrawing> stockDrawing_;  // render thread
  stock::StockLook stockLook_;
  std::atomic<bool> positioned_{false};
  int32_t keptView_ = -1;  // render thread
  std::unique_ptr<stock::StockScene> stockScene_;  // render thread
  // Playback on the render thread: the position slider and its range.
  double sliderValue_ = 0.0, rangeLow_ = 0.0, rangeHigh_ = 1.0;
  view::PositionReport positionReport_;
  mutable std::mutex toolPoseMutex_;
  ToolPose toolPose_;  // under toolPoseMutex_
  view::ProgressTasks progressTasks_;
  view::SolidExports solidExports_;  // joined before the view is freed
  std::shared_ptr<const toolpath::Toolpath::GPUToolpath> cutPath_;  // render thread
  std::unique_ptr<stock::ToolAssignment> cutTools_;                 // render thread
  uint64_t stockRevisionBuilt_ = 0;
  gpu::DeviceLimits deviceLimits_;
  view::InputState input_;  // guarded by the GLFW lock
  view::MouseBindingTable mouseBindings_;
  view::ViewLocks locks_;

  // Thread slots
  std::thread renderThread_;
  std::thread collisionThread_;
  std::thread toolpathWorker_;
};
