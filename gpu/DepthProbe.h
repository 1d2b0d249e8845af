#pragma once
// The depth of one window pixel of the last picture, read without waiting:
// after the scene is drawn the read goes into a pixel buffer, and the value
// is fetched only when someone asks, a frame later, by which time the GPU
// has long finished it. Render thread only.
#include <optional>

#include "gpu/GL.h"

namespace gpu {

class DepthProbe {
 public:
  DepthProbe() = default;
  ~DepthProbe() = default;  // release() gives the buffer back while the context is current
  DepthProbe(const DepthProbe&) = delete;
  DepthProbe& operator=(const DepthProbe&) = delete;

  // With the scene drawn into the bound framebuffer of the given height:
  // starts reading the depth at window pixel (x, y), y down. A pixel
  // outside the framebuffer reads nothing.
  void request(int x, int y, int width, int height);
  // The window depth (0 near ... 1 far; 1 where nothing was drawn) at the
  // pixel of the last request, when there was one.
  struct Sample {
    int x = 0, y = 0;
    float depth = 1.0f;
  };
  std::optional<Sample> latest();
  // Gives the buffer back (with the context current).
  void release();

 private:
  GLuint buffer_ = 0;
  bool pending_ = false;
  Sample requested_;
  std::optional<Sample> latest_;
};

}  // namespace gpu
