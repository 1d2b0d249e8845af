#pragma once
// Read-back of drawn frames for the offscreen host mode through two
// alternating pixel-pack buffers: a frame is captured after it is drawn and
// shown at the start of the next iteration, when the copy has long finished.
#include <atomic>
#include <cstdint>
#include <vector>

#include "gpu/GL.h"
#include "platform/X11Embedding.h"

namespace platform {

class SimpleWnd;

class OffscreenTransfer {
 public:
  OffscreenTransfer();
  ~OffscreenTransfer();
  OffscreenTransfer(const OffscreenTransfer&) = delete;
  OffscreenTransfer& operator=(const OffscreenTransfer&) = delete;

  // Starts copying the drawn back buffer (width x height) into the next
  // buffer; the frame is shown at the size given.
  void capture(int width, int height, WindowSize shown);
  // Shows the captured frame in window, if one is pending.
  void finishPending(SimpleWnd& window);

  static int liveCount() { return live_.load(); }  // for leak checks

 private:
  GLuint buffers_[2] = {0, 0};
  uint64_t bytes_[2] = {0, 0};
  int width_[2] = {0, 0};
  int height_[2] = {0, 0};
  WindowSize shown_[2] = {};
  int next_ = 0;
  int pending_ = -1;
  std::vector<uint8_t> shownPixels_;
  static std::atomic<int> live_;
};

}  // namespace platform
