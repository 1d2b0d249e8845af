#include "gpu/UniformBuffer.h"

#include <algorithm>

#include "gpu/SSBO.h"

namespace gpu {

UniformBuffer::UniformBuffer() { glGenBuffers(1, &id_); }

UniformBuffer::~UniformBuffer() { glDeleteBuffers(1, &id_); }

uint64_t UniformBuffer::update(std::span<const uint8_t> bytes) {
  if (std::equal(bytes.begin(), bytes.end(), held_.begin(), held_.end())) return 0;
  glBindBuffer(GL_UNIFORM_BUFFER, id_);
  glBufferData(GL_UNIFORM_BUFFER, static_cast<GLsizeiptr>(bytes.size()), bytes.data(), GL_DYNAMIC_DRAW);
  glBindBuffer(GL_UNIFORM_BUFFER, 0);
  held_.assign(bytes.begin(), bytes.end());
  SSBO::countUpload(bytes.size());
  return bytes.size();
}

}  // namespace gpu
