#include "view/Render.h"

#include <shared_mutex>
#include <system_error>

#include "platform/OffscreenTransfer.h"
#include "platform/SimpleWnd.h"
#include "stock/StockModel.h"

namespace {

void joinThread(std::thread& thread) {
  if (!thread.joinable()) return;
  if (thread.get_id() == std::this_thread::get_id())
    throw std::system_error(std::make_error_code(std::errc::resource_deadlock_would_occur));
  thread.join();
}

}  // namespace

Render::Render() : clockStart_(view::Clock::now()) {
  callbackWindow_ = notifier_.callback();
  view::DefaultHandling handling;
  handling.redraw = [this] { requestRedraw(); };
  notifier_.setDefaultHandling(std::move(handling));
  geometryRemover_ = [this](const std::string& name) {
    if (stock::StockCollection* stocks = job_.stocks()) {
      std::lock_guard scene(locks_.scene);
      stocks->removeGeometry(name);
    }
  };
}

void Render::toolpathChanged() {
  toolpath::Toolpath* toolpath = job_.toolpath();
  if (toolpath) {
    std::shared_lock toolTable(locks_.toolTable);
    const toolpath::ToolOrientationSource* tools = job_.toolOrientations();
    if (tools && tools->anyToolHasOrientation()) toolpath->rebuildOrientations(*tools);
    toolpath->applyCompensation(job_.kinematics());
  }
  job_.toolpathChanged = 1;
  job_.stockChanged = 1;
  requestRedraw();
  notifier_.notify(SIM_MESSAGE_NOTIFY, SIM_EVENT_TOOLPATH_LOADED, 0, true);
}

Render::~Render() {
  closeRequested_ = 1;
  // A destructor must not throw; the owner joins from another thread first.
  for (std::thread* thread : {&renderThread_, &collisionThread_, &toolpathWorker_})
    if (thread->joinable() && thread->get_id() != std::this_thread::get_id()) thread->join();
  closeRequestQueue();
  solidExports_.joinAll();
}

void Render::startRenderThread(SIM_Window parent, const view::CreationHints& hints) {
  joinThread(renderThread_);
  hints_ = hints;
  windowStatus_ = static_cast<uint32_t>(view::WindowStatus::Pending);
  if (hints.offscreenHost && !hints.headless && !hostWindow_)
    hostWindow_ = platform::SimpleWnd::create(parent, framebufferWidth_.load(), framebufferHeight_.load());
  frameDone_ = 0;
  closeRequested_ = 0;
  {
    std::lock_guard lock(locks_.requestQueue);
    requestsClosed_ = false;
  }
  renderThread_ = std::thread([this, parent, startHidden = hints.startHidden] {
    renderThreadMain(parent, startHidden);
  });
}

void Render::releaseFromOwnThread() {
  releaseItself_ = true;
  closeRequested_ = 1;
}

void Render::finishOwnRelease() {
  // Runs last on the render thread, which may not join itself.
  renderThread_.detach();
  closeRequested_ = 1;
  joinThread(collisionThread_);
  joinThread(toolpathWorker_);
  destroyHostWindow();
  delete this;
  view::viewClosed();
}

void Render::stopThreads() {
  closeRequested_ = 1;
  joinThread(collisionThread_);
  joinThread(toolpathWorker_);
  joinThread(renderThread_);
  closeRequestQueue();
  solidExports_.joinAll();
}

bool Render::isOwnThread() const {
  const auto self = std::this_thread::get_id();
  return self == renderThread_.get_id() || self == collisionThread_.get_id() ||
         self == toolpathWorker_.get_id();
}

SIM_Window Render::windowHandle() const {
  if (hostWindow_) return hostWindow_->handle();
  return nativeWindow_.load();
}

void Render::setCallbackWindow(SIM_Window window, bool hostHandles) {
  if (window == 0) return;
  notifier_.setCallbackWindow(window, hostHandles);
  if (hostHandles && hostWindow_) hostWindow_->reparent(window);
}

void Render::destroyHostWindow() { hostWindow_.reset(); }

view::WindowStatus Render::waitForFirstFrame(bool pollEvery10ms) const {
  while (windowStatus() == view::WindowStatus::Pending) {
    if (pollEvery10ms)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    else
      std::this_thread::yield();
  }
  if (windowStatus() == view::WindowStatus::Created)
    while (!frameDone() && closeRequested_.load() == 0) std::this_thread::yield();
  return windowStatus();
}

void Render::closeRequestQueue() {
  std::vector<std::function<void()>> dropped, droppedStock;
  {
    std::lock_guard lock(locks_.requestQueue);
    requestsClosed_ = true;
    dropped.swap(requests_);
    droppedStock.swap(stockRequests_);
    dropped.insert(dropped.end(), std::make_move_iterator(lateRequests_.begin()),
                   std::make_move_iterator(lateRequests_.end()));
    lateRequests_.clear();
  }
}

void Render::queueRequest(std::function<void()> request) {
  std::lock_guard lock(locks_.requestQueue);
  if (requestsClosed_) return;
  requests_.push_back(std::move(request));
  requestsPending_ = 1;
}

void Render::queueRequestAfterCut(std::function<void()> request) {
  std::lock_guard lock(locks_.requestQueue);
  if (requestsClosed_) return;
  lateRequests_.push_back(std::move(request));
  requestsPending_ = 1;
}

void Render::queueStockRequest(std::function<void()> request) {
  std::lock_guard lock(locks_.requestQueue);
  if (requestsClosed_) return;
  stockRequests_.push_back(std::move(request));
  requestsPending_ = 1;
}

void Render::queueGeometryRemoval(std::string name) {
  std::lock_guard lock(locks_.requestQueue);
  removalQueue_.push_back(std::move(name));
  removalPending_ = 1;
}

void Render::setStepKeyHandler(std::function<void(const view::StepKey&)> handler) {
  std::lock_guard lock(locks_.requestQueue);
  stepKeyHandler_ = std::move(handler);
}

double Render::seconds() const {
  return std::chrono::duration<double>(view::Clock::now() - clockStart_).count();
}
