#include "gpu/DepthProbe.h"

#include <cstring>

namespace gpu {

void DepthProbe::request(int x, int y, int width, int height) {
  if (x < 0 || y < 0 || x >= width || y >= height) {
    // The cursor is elsewhere: what was read before no longer lies under it.
    pending_ = false;
    latest_.reset();
    return;
  }
  if (buffer_ == 0) {
    glGenBuffers(1, &buffer_);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, buffer_);
    glBufferData(GL_PIXEL_PACK_BUFFER, sizeof(float), nullptr, GL_STREAM_READ);
  } else {
    glBindBuffer(GL_PIXEL_PACK_BUFFER, buffer_);
  }
  glReadPixels(x, height - 1 - y, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, nullptr);
  glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
  requested_ = {x, y, 1.0f};
  pending_ = true;
}

std::optional<DepthProbe::Sample> DepthProbe::latest() {
  if (!pending_) return latest_;
  pending_ = false;
  glBindBuffer(GL_PIXEL_PACK_BUFFER, buffer_);
  if (const void* mapped = glMapBufferRange(GL_PIXEL_PACK_BUFFER, 0, sizeof(float), GL_MAP_READ_BIT)) {
    Sample sample = requested_;
    std::memcpy(&sample.depth, mapped, sizeof(float));
    glUnmapBuffer(GL_PIXEL_PACK_BUFFER);
    latest_ = sample;
  }
  glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
  return latest_;
}

void DepthProbe::release() {
  if (buffer_ != 0) glDeleteBuffers(1, &buffer_);
  buffer_ = 0;
  pending_ = false;
  latest_.reset();
}

}  // namespace gpu
