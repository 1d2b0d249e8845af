#pragma once
// One buffer object used as a uniform block, owned like every GL object by
// a wrapper made and destroyed on its context's thread. Contents are sent
// only when they differ from what the buffer already holds.
#include <cstdint>
#include <span>
#include <vector>

#include "gpu/GL.h"

namespace gpu {

class UniformBuffer {
 public:
  UniformBuffer();
  ~UniformBuffer();
  UniformBuffer(const UniformBuffer&) = delete;
  UniformBuffer& operator=(const UniformBuffer&) = delete;

  // Sends bytes unless the buffer holds them already; the bytes sent.
  uint64_t update(std::span<const uint8_t> bytes);
  void bindBase(GLuint binding) const { glBindBufferBase(GL_UNIFORM_BUFFER, binding, id_); }
  GLuint id() const { return id_; }

 private:
  GLuint id_ = 0;
  std::vector<uint8_t> held_;
};

}  // namespace gpu
