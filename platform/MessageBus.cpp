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

class MessageBus {
 public:
  ~MessageBus() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    queued_.notify_all();
    if (dispatcher_.joinable()) dispatcher_.join();
  }

  void setHandler(SIM_Window window, SIM_MessageHandler function, void* context) {
    std::lock_guard lock(mutex_);
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
    Handler handler;
    {
      std::unique_lock lock(mutex_);
      // A handler that sends from the dispatcher thread must not wait for itself.
      if (std::this_thread::get_id() != dispatcher_.get_id()) {
        const uint64_t posted = lastPosted_[window];
        delivered_.wait(lock, [&] { return stopping_ || lastDelivered_[window] >= posted; });
      }
      handler = find(window);
    }
    if (handler.function) handler.function(handler.context, window, message, wparam, lparam);
  }

 private:
  Handler find(SIM_Window window) const {
    auto it = handlers_.find(window);
    return it == handlers_.end() ? Handler{} : it->second;
  }

  void dispatch() {
    std::unique_lock lock(mutex_);
    for (;;) {
      queued_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
      if (queue_.empty()) return;  // stopping with nothing left
      Message m = queue_.front();
      queue_.pop_front();
      Handler handler = find(m.window);
      lock.unlock();
      if (handler.function) handler.function(handler.context, m.window, m.message, m.wparam, m.lparam);
      lock.lock();
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
  std::thread dispatcher_;
  bool stopping_ = false;
};

MessageBus& bus() {
  static MessageBus instance;
  return instance;
}

}  // namespace

void setMessageHandler(SIM_Window window, SIM_MessageHandler handler, void* context) {
  bus().setHandler(window, handler, context);
}

void postMessage(SIM_Window window, uint32_t message, uint64_t wparam, int64_t lparam) {
  bus().post(window, message, wparam, lparam);
}

void sendMessage(SIM_Window window, uint32_t message, uint64_t wparam, int64_t lparam) {
  bus().send(window, message, wparam, lparam);
}

}  // namespace platform
