#include "gpu/SSBO.h"

#include <algorithm>
#include <utility>

namespace gpu {

std::atomic<int64_t> SSBO::live_{0};
std::atomic<uint64_t> SSBO::uploaded_{0};

namespace {

GLuint generateBuffer() {
  GLuint id = 0;
  glGenBuffers(1, &id);
  return id;
}

}  // namespace

SSBO::SSBO() : id_(generateBuffer()) { ++live_; }

SSBO::SSBO(uint64_t bytes) : SSBO() { allocate(bytes); }

SSBO::SSBO(uint64_t bytes, uint32_t value) : SSBO(bytes) { fill(value); }

SSBO::SSBO(SSBO&& other) noexcept
    : elementCount(other.elementCount),
      id_(std::exchange(other.id_, kNoBuffer)),
      size_(std::exchange(other.size_, 0)),
      fillSigned_(other.fillSigned_),
      fillUnsigned_(other.fillUnsigned_),
      fillVector_(other.fillVector_) {}

SSBO& SSBO::operator=(SSBO&& other) noexcept {
  if (this != &other) {
    release();
    id_ = std::exchange(other.id_, kNoBuffer);
    size_ = std::exchange(other.size_, 0);
    elementCount = other.elementCount;
    fillSigned_ = other.fillSigned_;
    fillUnsigned_ = other.fillUnsigned_;
    fillVector_ = other.fillVector_;
  }
  return *this;
}

SSBO::~SSBO() { release(); }

void SSBO::release() {
  if (id_ == kNoBuffer) return;
  glDeleteBuffers(1, &id_);
  id_ = kNoBuffer;
  size_ = 0;
  --live_;
}

void SSBO::ensureBuffer() {
  if (id_ != kNoBuffer) return;
  id_ = generateBuffer();
  ++live_;
}

void SSBO::allocate(uint64_t bytes) {
  ensureBuffer();
  glBindBuffer(GL_SHADER_STORAGE_BUFFER, id_);
  glBufferData(GL_SHADER_STORAGE_BUFFER, static_cast<GLsizeiptr>(bytes), nullptr, GL_DYNAMIC_DRAW);
  size_ = bytes;
}

void SSBO::reset() {
  release();
  id_ = generateBuffer();
  ++live_;
}

void SSBO::resize(uint64_t bytes) {
  if (bytes != size_) allocate(bytes);
}

bool SSBO::tryResize(uint64_t bytes) {
  if (bytes == size_) return true;
  while (glGetError() != GL_NO_ERROR) {
  }
  allocate(bytes);
  bool failed = false;
  for (GLenum error = glGetError(); error != GL_NO_ERROR; error = glGetError()) failed = true;
  if (!failed) return true;
  // Whatever the driver kept of the failed request is given back.
  glBufferData(GL_SHADER_STORAGE_BUFFER, 0, nullptr, GL_DYNAMIC_DRAW);
  while (glGetError() != GL_NO_ERROR) {
  }
  size_ = 0;
  return false;
}

void SSBO::reserve(uint64_t bytes) {
  if (bytes > size_) allocate(bytes);
}

void SSBO::growPreserving(uint64_t bytes) {
  if (bytes <= size_) return;
  SSBO grown(bytes);
  copyBufferBytes(id_, 0, grown.id_, 0, size_);
  // Only the storage changes hands: counts and fill values stay this buffer's.
  release();
  id_ = std::exchange(grown.id_, kNoBuffer);
  size_ = std::exchange(grown.size_, 0);
  glBindBuffer(GL_SHADER_STORAGE_BUFFER, id_);
}

void SSBO::upload(const void* data, uint64_t bytes, uint64_t byteOffset) {
  if (bytes == 0) return;
  glBindBuffer(GL_SHADER_STORAGE_BUFFER, id_);
  glBufferSubData(GL_SHADER_STORAGE_BUFFER, static_cast<GLintptr>(byteOffset), static_cast<GLsizeiptr>(bytes), data);
  glBindBuffer(GL_SHADER_STORAGE_BUFFER, 0);
  countUpload(bytes);
}

void SSBO::clear(GLenum internalFormat, GLenum format, GLenum type, uint64_t offset, uint64_t bytes,
                 const void* value) {
  if (bytes == 0) return;
  glBindBuffer(GL_SHADER_STORAGE_BUFFER, id_);
  glClearBufferSubData(GL_SHADER_STORAGE_BUFFER, internalFormat, static_cast<GLintptr>(offset),
                       static_cast<GLsizeiptr>(bytes), format, type, value);
  glBindBuffer(GL_SHADER_STORAGE_BUFFER, 0);
}

void SSBO::fill(int32_t value) {
  fillSigned_ = value;
  clear(GL_R32I, GL_RED_INTEGER, GL_INT, 0, size_ & ~3ull, &value);
}

void SSBO::fill(uint32_t value) {
  fillUnsigned_ = value;
  clear(GL_R32UI, GL_RED_INTEGER, GL_UNSIGNED_INT, 0, size_ & ~3ull, &value);
}

void SSBO::fill(uint32_t value, uint64_t firstElement, uint64_t count) {
  fillUnsigned_ = value;
  const uint64_t offset = firstElement * 4;
  if (offset >= size_) return;
  const uint64_t bytes = std::min<uint64_t>(count, (size_ - offset) / 4) * 4;
  clear(GL_R32UI, GL_RED_INTEGER, GL_UNSIGNED_INT, offset, bytes, &value);
}

void SSBO::fill(const std::array<int32_t, 4>& value) {
  fillVector_ = value;
  clear(GL_RGBA32I, GL_RGBA_INTEGER, GL_INT, 0, size_ & ~15ull, value.data());
}

void SSBO::resizeAndFill(uint64_t bytes, int32_t value) {
  resize(bytes);
  fill(value);
}

void SSBO::resizeAndFill(uint64_t bytes, uint32_t value) {
  resize(bytes);
  fill(value);
}

void copyBufferBytes(GLuint from, uint64_t fromOffset, GLuint to, uint64_t toOffset, uint64_t bytes) {
  if (bytes == 0) return;
  glMemoryBarrier(GL_BUFFER_UPDATE_BARRIER_BIT);
  glBindBuffer(GL_COPY_READ_BUFFER, from);
  glBindBuffer(GL_COPY_WRITE_BUFFER, to);
  glCopyBufferSubData(GL_COPY_READ_BUFFER, GL_COPY_WRITE_BUFFER, static_cast<GLintptr>(fromOffset),
                      static_cast<GLintptr>(toOffset), static_cast<GLsizeiptr>(bytes));
  glBindBuffer(GL_COPY_READ_BUFFER, 0);
  glBindBuffer(GL_COPY_WRITE_BUFFER, 0);
}

}  // namespace gpu
