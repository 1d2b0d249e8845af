#include "platform/OffscreenTransfer.h"

#include "platform/FrameScaling.h"
#include "platform/SimpleWnd.h"

namespace platform {

std::atomic<int> OffscreenTransfer::live_{0};

OffscreenTransfer::OffscreenTransfer() {
  glGenBuffers(2, buffers_);
  ++live_;
}

OffscreenTransfer::~OffscreenTransfer() {
  glDeleteBuffers(2, buffers_);
  --live_;
}

void OffscreenTransfer::capture(int width, int height, WindowSize shown) {
  if (width <= 0 || height <= 0 || shown.width <= 0 || shown.height <= 0) return;
  const int slot = next_;
  const uint64_t bytes = static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 4;
  glBindBuffer(GL_PIXEL_PACK_BUFFER, buffers_[slot]);
  if (bytes_[slot] != bytes) {
    glBufferData(GL_PIXEL_PACK_BUFFER, static_cast<GLsizeiptr>(bytes), nullptr, GL_STREAM_READ);
    bytes_[slot] = bytes;
  }
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadBuffer(GL_BACK);
  glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
  glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
  width_[slot] = width;
  height_[slot] = height;
  shown_[slot] = shown;
  pending_ = slot;
  next_ = 1 - slot;
}

void OffscreenTransfer::finishPending(SimpleWnd& window) {
  if (pending_ < 0) return;
  const int slot = pending_;
  pending_ = -1;
  const WindowSize shown = shown_[slot];
  glBindBuffer(GL_PIXEL_PACK_BUFFER, buffers_[slot]);
  const auto* pixels = static_cast<const uint8_t*>(
      glMapBufferRange(GL_PIXEL_PACK_BUFFER, 0, static_cast<GLsizeiptr>(bytes_[slot]), GL_MAP_READ_BIT));
  if (pixels) {
    shownPixels_.resize(static_cast<size_t>(shown.width) * static_cast<size_t>(shown.height) * 4);
    flipAndResample({pixels, static_cast<size_t>(bytes_[slot])}, width_[slot], height_[slot], shownPixels_, shown.width,
                    shown.height);
    glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
  }
  glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
  if (pixels) window.present(shownPixels_.data(), shown.width, shown.height);
}

}  // namespace platform
