#pragma once
// Collects the notifications a host would receive for one made-up window.
#include <algorithm>
#include <chrono>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "korvane/Korvane.h"
#include "platform/MessageBus.h"

namespace testsupport {

struct EventRecorder {
  SIM_Window window = 0x5EED;
  std::mutex mutex;
  std::vector<std::pair<uint64_t, int64_t>> events;
  EventRecorder() { SIM_SetMessageHandler(window, &EventRecorder::handle, this); }
  ~EventRecorder() { SIM_SetMessageHandler(window, nullptr, nullptr); }
  static void handle(void* self, SIM_Window, uint32_t message, uint64_t w, int64_t l) {
    auto* r = static_cast<EventRecorder*>(self);
    std::lock_guard lock(r->mutex);
    if (message == SIM_MESSAGE_NOTIFY) r->events.emplace_back(w, l);
  }
  // The values of one event received so far.
  std::vector<int64_t> valuesOf(uint64_t event) {
    std::lock_guard lock(mutex);
    std::vector<int64_t> values;
    for (const auto& [e, value] : events)
      if (e == event) values.push_back(value);
    return values;
  }
  // How many of one event arrived, waiting up to a second for the first.
  size_t countOf(uint64_t event) {
    for (int i = 0; i < 500; ++i) {
      const size_t n = valuesOf(event).size();
      if (n > 0) return n;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return 0;
  }
};

}  // namespace testsupport
