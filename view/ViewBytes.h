#pragma once
// The view's own display and mode bytes that commands set and questions
// read: they exist with every view, headless or not. Each is its own
// atomic (host threads write, the render thread reads, no lock).
#include <atomic>
#include <cstdint>

namespace view {

struct ViewBytes {
  // Stock display (commands 3, 4): the cut stock is drawn while set.
  std::atomic<uint8_t> stockDisplay{1};
  std::atomic<uint8_t> measuring{0};
  std::atomic<uint8_t> toolpathOrigin{0};
  std::atomic<uint8_t> activeOffset{0};
  std::atomic<uint8_t> grid{0}, gridChanged{0};
  // Display bytes of commands 26, 38 (with its companion value), 51, 55
  // (with a changed mark) and the request byte of 68.
  std::atomic<uint8_t> option26{0};
  std::atomic<uint8_t> option38{0};
  std::atomic<double> option38Companion{0.0};
  std::atomic<uint8_t> option51{0};
  std::atomic<uint8_t> option55{0}, option55Changed{0};
  std::atomic<uint8_t> request68{0};
  // Navigation mode 0 to 3; the view starts with 3.
  std::atomic<uint8_t> navigationMode{3};
  std::atomic<uint8_t> darkTheme{0};
  std::atomic<uint8_t> placementActive{0};
};

}  // namespace view
