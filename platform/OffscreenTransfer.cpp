#include "platform/OffscreenTransfer.h"

#include <cstring>

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

void OffscreenTransfer::capture(int width, int height) {
  if (width <= 0 || height <= 0) return;
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
  pending_ = slot;
  next_ = 1 - slot;
}

void OffscreenTransfer::finishPending(SimpleWnd& window) {
  if (pending_ < 0) return;
  const int slot = pending_;
  pending_ = -1;
  const size_t row = static_cast<size_t>(width_[slot]) * 4;
  glBindBuffer(GL_PIXEL_PACK_BUFFER, buffers_[slot]);
  const auto* pixels = static_cast<const uint8_t*>(
      glMapBufferRange(GL_PIXEL_PACK_BUFFER, 0, static_cast<GLsizeiptr>(bytes_[slot]), GL_MAP_READ_BIT));
  if (pixels) {
    // OpenGL rows run bottom-up, X11 images top-down.
    flipped_.resize(bytes_[slot]);
    for (int y = 0; y < height_[slot]; ++y)
      std::memcpy(flipped_.data() + static_cast<size_t>(y) * row,
                  pixels + static_cast<size_t>(height_[slot] - 1 - y) * row, row);
    glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
  }
  glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
  if (pixels) window.present(flipped_.data(), width_[slot], height_[slot]);
}

}  // namespace platform
