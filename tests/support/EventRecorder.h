#pragma once
// Collects the messages a host window receives, with the thread each arrived
// on; and polling until a condition holds.
#include <atomic>
#include <chrono>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "korvane/Korvane.h"

namespace testsupport {

// Polls every 5 ms until done holds or the limit passed; whether it holds.
template <typename Done>
bool waitUntil(Done done, std::chrono::milliseconds limit = std::chrono::seconds(2)) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

struct EventRecorder {
  struct Message {
    std::thread::id thread;
    uint32_t message;
    uint64_t wparam;
    int64_t lparam;
  };

  explicit EventRecorder(SIM_Window handled = 0x5EED) : window(handled) {
    SIM_SetMessageHandler(window, &EventRecorder::handle, this);
  }
  ~EventRecorder() { SIM_SetMessageHandler(window, nullptr, nullptr); }

  std::vector<Message> messages() {
    std::lock_guard lock(mutex);
    return received;
  }
  // The values of one notification received so far.
  std::vector<int64_t> valuesOf(uint64_t event) {
    std::vector<int64_t> values;
    for (const Message& m : messages())
      if (m.message == SIM_MESSAGE_NOTIFY && m.wparam == event) values.push_back(m.lparam);
    return values;
  }
  // How many of one notification arrived, waiting up to a second for the first.
  size_t countOf(uint64_t event) {
    waitUntil([&] { return !valuesOf(event).empty(); }, std::chrono::seconds(1));
    return valuesOf(event).size();
  }
  // The first message (message, wparam), waiting up to ten seconds for it.
  std::optional<Message> waitFor(uint32_t message, uint64_t wparam) {
    std::optional<Message> found;
    waitUntil(
        [&] {
          for (const Message& m : messages())
            if (m.message == message && m.wparam == wparam) return found = m, true;
          return false;
        },
        std::chrono::seconds(10));
    return found;
  }

  const SIM_Window window;
  std::atomic<int> slowFirstMs{0};  // how long handling the first message takes

 private:
  static void handle(void* self, SIM_Window, uint32_t message, uint64_t w, int64_t l) {
    auto* r = static_cast<EventRecorder*>(self);
    if (r->slowFirstMs > 0 && r->messages().empty())
      std::this_thread::sleep_for(std::chrono::milliseconds(r->slowFirstMs));
    std::lock_guard lock(r->mutex);
    r->received.push_back({std::this_thread::get_id(), message, w, l});
  }

  std::mutex mutex;
  std::vector<Message> received;
};

}  // namespace testsupport
