#pragma once
// The picking pass's offscreen framebuffer: a 32-bit unsigned integer
// colour renderbuffer for entity ids and a 24-bit depth renderbuffer, made
// again when the view's size changes. Render thread only.
#include <cstdint>
#include <vector>

#include "gpu/GL.h"

namespace gpu {

class IdTarget {
 public:
  IdTarget() = default;
  ~IdTarget() = default;  // release() gives the objects back while the context is current
  IdTarget(const IdTarget&) = delete;
  IdTarget& operator=(const IdTarget&) = delete;

  // Makes the buffers for this size unless they have it; false when the
  // framebuffer is not complete (picking is skipped then).
  bool ensure(int width, int height);
  GLuint framebuffer() const { return framebuffer_; }
  int width() const { return width_; }
  int height() const { return height_; }
  // The ids of a rectangle, rows from the bottom up (GL's order); the
  // rectangle must lie inside the target.
  std::vector<uint32_t> read(int x, int y, int width, int height) const;
  void release();

 private:
  GLuint framebuffer_ = 0, colour_ = 0, depth_ = 0;
  int width_ = 0, height_ = 0;
  bool complete_ = false;
};

}  // namespace gpu
