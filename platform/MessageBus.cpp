#include "platform/MessageBus.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

namespace platform {
namespace {

struct Message {
  SIM_Window window;
  uint32_t message;
  uint64_t wparam;
  int64_t lparam;
  uint64_t sequence;
};

struct Handler {
  SIM_MessageHandler function = nullptr;
  void* context = nullptr;
};

// Windows whose handler runs on this thread: removing such a handler from
// inside it must not wait for the call to finish, or it would wait for itself.
thread_local std::vector<SIM_Window> tCallsInProgress;

class MessageBus {
 public:
  void setHandler(SIM_Window window, SIM_MessageHandler function, void* context) {
    std::unique_lock lock(mutex_);
    // Once this returns, the old handler is not running and will not run
    // again, so the host may free what its context points to.
    const int own = static_cast<int>(std::count(tCallsInProgress.begin(), tCallsInProgress.end(), window));
    delivered_.wait(lock, [&] { return activeCalls_[window] <= own; });
    if (function)
      handlers_[window] = {function, context};
    else
      handlers_.erase(window);
  }

  void post(SIM_Window window, uint32_t message, uint64_t wparam, int64_t lparam) {
    std::lock_guard lock(mutex_);
    if (!dispatcher_.joinable()) dispatcher_ = std::thread([this] { dispatch(); });
    queue_.push_back({window, message, wparam, lparam, ++lastPosted_[window]});
    queued_.notify_one();
  }

  void send(SIM_Window window, uint32_t message, uint64_t wparam, int64_t lparam) {
    std::unique_lock lock(mutex_);
    // Earlier posts to the window go first, unless the dispatcher cannot
    // deliver them: it is this thread, or it waits for something this
    // thread may be holding up (a view being closed from a handler).
    if (std::this_thread::get_id() != dispatcher_.get_id()) {
      const uint64_t posted = lastPosted_[window];
      delivered_.wait(lock, [&] { return dispatcherBlocked_ || lastDelivered_[window] >= posted; });
    }
    call(lock, window, message, wparam, lparam);
  }

  bool isDispatcherThread() {
    std::lock_guard lock(mutex_);
    return std::this_thread::get_id() == dispatcher_.get_id();
  }

  void setDispatcherBlocked(bool blocked) {
    {
      std::lock_guard lock(mutex_);
      dispatcherBlocked_ = blocked;
    }
    delivered_.notify_all();
  }

 private:
  // Runs the window's handler with the lock released; `lock` is held again on return.
  void call(std::unique_lock<std::mutex>& lock, SIM_Window window, uint32_t message, uint64_t wparam,
            int64_t lparam) {
    auto it = handlers_.find(window);
    if (it == handlers_.end()) return;
    const Handler handler = it->second;
    ++activeCalls_[window];
    tCallsInProgress.push_back(window);
    lock.unlock();
    try {
      handler.function(handler.context, window, message, wparam, lparam);
    } catch (...) {
      // A host handler's exception ends at the channel: nothing is thrown
      // into the view's threads or the dispatcher.
    }
    lock.lock();
    tCallsInProgress.pop_back();
    --activeCalls_[window];
    delivered_.notify_all();
  }

  void dispatch() {
    std::unique_lock lock(mutex_);
    for (;;) {
      queued_.wait(lock, [this] { return !queue_.empty(); });
      const Message m = queue_.front();
      queue_.pop_front();
      call(lock, m.window, m.message, m.wparam, m.lparam);
      lastDelivered_[m.window] = m.sequence;
      delivered_.notify_all();
    }
  }

  std::mutex mutex_;
  std::condition_variable queued_;
  std::condition_variable delivered_;
  std::deque<Message> queue_;
  std::unordered_map<SIM_Window, Handler> handlers_;
  std::unordered_map<SIM_Window, uint64_t> lastPosted_;
  std::unordered_map<SIM_Window, uint64_t> lastDelivered_;
  std::unordered_map<SIM_Window, int> activeCalls_;
  std::thread dispatcher_;
  bool dispatcherBlocked_ = false;
};

// Never destroyed: the dispatcher and the views' threads may still post
// while the process exits.
MessageBus& bus() {
  static MessageBus* instance = new MessageBus();
  return *instance;
}

}  // namespace

// Posting happens inside window-system callbacks and render threads: a
// message that cannot be queued (no memory, no dispatcher thread) is dropped
// rather than thrown through them.
bool setMessageHandler(SIM_Window window, SIM_MessageHandler handler, void* context) {
  try {
    bus().setHandler(window, handler, context);
    return true;
  } catch (...) {
    return false;
  }
}

void postMessage(SIM_Window window, uint32_t message, uint64_t wparam, int64_t lparam) {
  try {
    bus().post(window, message, wparam, lparam);
  } catch (...) {
  }
}

void sendMessage(SIM_Window window, uint32_t message, uint64_t wparam, int64_t lparam) {
  try {
    bus().send(window, message, wparam, lparam);
  } catch (...) {
  }
}

DispatcherWait::DispatcherWait() : active_(bus().isDispatcherThread()) {
  if (active_) bus().setDispatcherBlocked(true);
}

DispatcherWait::~DispatcherWait() {
  if (active_) bus().setDispatcherBlocked(false);
}

}  // namespace platform
