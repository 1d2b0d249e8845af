#pragma once
// An offscreen framebuffer with an RGBA colour and a depth buffer, bound
// while it lives; the previous framebuffer and viewport come back with it.
#include <cstdint>
#include <vector>

#include "gpu/GL.h"

namespace gpu {

class OffscreenTarget {
 public:
  OffscreenTarget(int width, int height);
  ~OffscreenTarget();
  OffscreenTarget(const OffscreenTarget&) = delete;
  OffscreenTarget& operator=(const OffscreenTarget&) = delete;

  bool complete() const { return complete_; }
  // RGBA rows from the bottom up.
  std::vector<uint8_t> readPixels() const;

 private:
  int width_, height_;
  GLuint framebuffer_ = 0, renderbuffers_[2] = {0, 0};
  GLint previousFramebuffer_ = 0, previousViewport_[4] = {0, 0, 0, 0};
  bool complete_ = false;
};

}  // namespace gpu
