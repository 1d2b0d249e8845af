#pragma once
// A one-pixel framebuffer for reading a value that a program writes to a
// second colour output: a 32-bit float colour renderbuffer fed by fragment
// output 1 (output 0 goes nowhere) and a 24-bit depth renderbuffer, so the
// nearest surface's value is the one kept. Render thread only.
#include <optional>

#include "gpu/GL.h"

namespace gpu {

class ValueTarget {
 public:
  ValueTarget() = default;
  ~ValueTarget() = default;  // release() gives the objects back while the context is current
  ValueTarget(const ValueTarget&) = delete;
  ValueTarget& operator=(const ValueTarget&) = delete;

  // Binds the target for drawing, cleared to "nothing drawn", with a
  // one-pixel viewport; false when it cannot be made. The caller puts the
  // framebuffer and viewport back.
  bool begin();
  // The value drawn last; none where nothing was drawn.
  std::optional<float> read() const;
  void release();

 private:
  GLuint framebuffer_ = 0, colour_ = 0, depth_ = 0;
  bool complete_ = false;
};

}  // namespace gpu
