#pragma once
// Conventions of every compute dispatch: one-dimensional groups whose count
// is rounded up on the host, shaders that return early past their element
// count, one storage barrier between dependent dispatches, batches of at most
// 65,535 chunks for cut and collision work, and explicit read-back.
#include <cstdint>
#include <vector>

#include "gpu/GL.h"
#include "gpu/SSBO.h"

namespace gpu {

inline constexpr uint64_t kMaxChunksPerDispatch = 65535;

// ceil(n / groupSize), computed as (n - 1 + groupSize) / groupSize.
constexpr uint32_t groupsRoundedUp(uint64_t n, uint32_t groupSize) {
  return n == 0 ? 0u : static_cast<uint32_t>((n - 1 + groupSize) / groupSize);
}

// floor(n / groupSize) + 1: one spare group when n is a multiple of groupSize.
constexpr uint32_t groupsWithSpare(uint64_t n, uint32_t groupSize) {
  return static_cast<uint32_t>(n / groupSize + 1);
}

// Dispatches `groups` one-dimensional work groups; nothing for zero groups.
void dispatch1D(uint32_t groups);

// Dispatches `invocations` invocations of the bound program in batches of at
// most kMaxChunksPerDispatch groups, the count every device accepts, setting
// the uniform at offsetLocation to each batch's first invocation.
void dispatchInBatches(uint64_t invocations, uint32_t groupSize, GLint offsetLocation);

// The one barrier between a dispatch and the next that reads what it wrote.
void storageBarrier();

// Calls piece(start, end) for consecutive pieces of [first, end) of at most
// kMaxChunksPerDispatch chunks each.
template <typename Piece>
void forEachChunkBatch(uint64_t first, uint64_t end, Piece&& piece) {
  for (uint64_t start = first; start < end; start += kMaxChunksPerDispatch) {
    const uint64_t stop = end - start > kMaxChunksPerDispatch ? start + kMaxChunksPerDispatch : end;
    piece(start, stop);
  }
}

// Read-back of `count` elements from element `first` of a storage buffer.
template <typename T>
std::vector<T> readBack(const SSBO& buffer, uint64_t first, uint64_t count) {
  std::vector<T> values(count);
  if (count == 0) return values;
  // What shaders wrote becomes visible to buffer reads only behind this bit.
  glMemoryBarrier(GL_BUFFER_UPDATE_BARRIER_BIT);
  glBindBuffer(GL_SHADER_STORAGE_BUFFER, buffer.id());
  glGetBufferSubData(GL_SHADER_STORAGE_BUFFER, static_cast<GLintptr>(first * sizeof(T)),
                     static_cast<GLsizeiptr>(count * sizeof(T)), values.data());
  glBindBuffer(GL_SHADER_STORAGE_BUFFER, 0);
  return values;
}

template <typename T>
std::vector<T> readBackAll(const SSBO& buffer) {
  return readBack<T>(buffer, 0, buffer.size() / sizeof(T));
}

template <typename T>
T readElement(const SSBO& buffer, uint64_t index) {
  return readBack<T>(buffer, index, 1).front();
}

// A 4-byte counter that a shader counted with an atomic counter.
uint32_t readAtomicCounter(GLuint buffer, uint64_t byteOffset = 0);

}  // namespace gpu
