#pragma once
// One buffer object used as shader storage. Created, used and destroyed on
// the thread that owns the GL context.
#include <array>
#include <atomic>
#include <cstdint>

#include "gpu/GL.h"

namespace gpu {

class SSBO {
 public:
  static constexpr GLuint kNoBuffer = 0xFFFFFFFFu;

  SSBO();                                 // a buffer name, no storage
  explicit SSBO(uint64_t bytes);          // storage of `bytes`, contents undefined
  SSBO(uint64_t bytes, uint32_t value);   // storage cleared to `value` (32-bit words)
  SSBO(SSBO&& other) noexcept;
  SSBO& operator=(SSBO&& other) noexcept;
  SSBO(const SSBO&) = delete;
  SSBO& operator=(const SSBO&) = delete;
  ~SSBO();

  GLuint id() const { return id_; }
  uint64_t size() const { return size_; }
  uint64_t elementCount = 0;  // kept by the owner: how many elements are valid

  void reset();                        // a fresh buffer name, size 0
  void resize(uint64_t bytes);         // reallocates when the size differs
  // As resize, but a device that cannot allocate the storage leaves the
  // buffer empty (size 0) and no GL error behind; false then.
  bool tryResize(uint64_t bytes);
  void reserve(uint64_t bytes);        // reallocates only to grow
  void growPreserving(uint64_t bytes); // grows keeping the contents; never shrinks

  void fill(int32_t value);
  void fill(uint32_t value);
  void fill(uint32_t value, uint64_t firstElement, uint64_t elementCount);  // clipped to the end
  void fill(const std::array<int32_t, 4>& value);
  void resizeAndFill(uint64_t bytes, int32_t value);
  void resizeAndFill(uint64_t bytes, uint32_t value);

  // Sends bytes from the host into the buffer from byteOffset on; the
  // buffer must be large enough.
  void upload(const void* data, uint64_t bytes, uint64_t byteOffset = 0);

  void bindBase(GLuint binding) const { glBindBufferBase(GL_SHADER_STORAGE_BUFFER, binding, id_); }

  // Buffer objects alive in this process; lets leak checks see GL objects.
  static int64_t liveCount() { return live_.load(); }
  // Bytes sent from the host into buffers by this process (upload and
  // uniform blocks); benchmarks read it.
  static uint64_t uploadedBytes() { return uploaded_.load(); }
  static void countUpload(uint64_t bytes) { uploaded_ += bytes; }

 private:
  void allocate(uint64_t bytes);
  void release();
  void ensureBuffer();  // a moved-from wrapper gets a buffer name again
  void clear(GLenum internalFormat, GLenum format, GLenum type, uint64_t offset, uint64_t bytes,
             const void* value);

  GLuint id_ = kNoBuffer;
  uint64_t size_ = 0;
  int32_t fillSigned_ = 0;
  uint32_t fillUnsigned_ = 0;
  std::array<int32_t, 4> fillVector_{};
  static std::atomic<int64_t> live_;
  static std::atomic<uint64_t> uploaded_;
};

// Copies bytes between two buffers (ids, so that any GL buffer will do)
// after the shader writes before it: copies see those only behind a
// barrier.
void copyBufferBytes(GLuint from, uint64_t fromOffset, GLuint to, uint64_t toOffset, uint64_t bytes);

}  // namespace gpu
