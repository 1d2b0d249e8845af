#pragma once
// A framebuffer drawn into textures that a later pass samples: RGBA colour
// and a float depth, kept between frames and sized to the viewport of the
// moment. Render thread only.
#include "gpu/GL.h"

namespace gpu {

class TextureTarget {
 public:
  TextureTarget() = default;
  ~TextureTarget() { release(); }
  TextureTarget(const TextureTarget&) = delete;
  TextureTarget& operator=(const TextureTarget&) = delete;

  // Binds the target at this size (made or remade as needed) and sets the
  // viewport to it; false when the driver cannot make it. The framebuffer
  // and viewport bound before come back with unbind().
  bool bind(int width, int height);
  void unbind();

  GLuint colour() const { return textures_[0]; }
  GLuint depth() const { return textures_[1]; }
  void release();

 private:
  int width_ = 0, height_ = 0;
  GLuint framebuffer_ = 0, textures_[2] = {0, 0};
  bool complete_ = false;
  GLint previousFramebuffer_ = 0, previousViewport_[4] = {0, 0, 0, 0};
};

}  // namespace gpu
