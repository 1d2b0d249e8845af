#include "platform/MessageBus.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <unordered_map>

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

// Handler calls running on this thread; a thread inside a handler never
// waits for handler calls to finish, or it would wait for itself.
thread_local int tHandlerDepth = 0;

class MessageBus {
 public:
  ~MessageBus() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    queued_.notify_all();
    delivered_.notify_all();
    if (dispatcher_.joinable()) dispatcher_.join();
  }

  void setHandler(SIM_Window window, SIM_MessageHandler function, void* context) {
    std::unique_lock lock(mutex_);
    // Once this returns, the old handler is not running and will not run
    // again, so the host may free what its context points to.
    if (tHandlerDepth == 0)
      delivered_.wait(lock, [&] { return stopping_ || activeCalls_[window] == 0; });
    if (function)
      handlers_[window] = {function, context};
    else
      handlers_.erase(window);
  }

  void post(SIM_Window window, uint32_t message, uint64_t wparam, int64_t lparam) {
    std::lock_guard lock(mutex_);
    if (stopping_) return;
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
      delivered_.wait(lock, [&] { return stopping_ || dispatcherBlocked_ || lastDelivered_[window] >= posted; });
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
    ++tHandlerDepth;
    lock.unlock();
    handler.function(handler.context, window, message, wparam, lparam);
    lock.lock();
    --tHandlerDepth;
    --activeCalls_[window];
    delivered_.notify_all();
  }

  void dispatch() {
    std::unique_lock lock(mutex_);
    for (;;) {
      queued_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
      if (queue_.empty()) return;  // stopping with nothing left
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
  bool stopping_ = false;
  bool dispatcherBlocked_ = false;
};

MessageBus& bus() {
  static MessageBus instance;
  return instance;
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
