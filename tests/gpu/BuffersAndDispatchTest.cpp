// Storage buffers, dispatch conventions and read-back on a real context.
#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "gpu/Dispatch.h"
#include "gpu/GL.h"
#include "gpu/ProgramCache.h"
#include "gpu/SSBO.h"
#include "gpu/Shader.h"
#include "gpu/ShaderCompiler.h"
#include "support/GpuTest.h"

namespace {

class BuffersTest : public testsupport::GpuTest {
 protected:
  static void upload(gpu::SSBO& buffer, const std::vector<uint32_t>& words) {
    glBindBuffer(GL_SHADER_STORAGE_BUFFER, buffer.id());
    glBufferSubData(GL_SHADER_STORAGE_BUFFER, 0, static_cast<GLsizeiptr>(words.size() * 4), words.data());
    glBindBuffer(GL_SHADER_STORAGE_BUFFER, 0);
  }
};

std::vector<uint32_t> iota(size_t n, uint32_t first = 0) {
  std::vector<uint32_t> v(n);
  std::iota(v.begin(), v.end(), first);
  return v;
}

TEST_F(BuffersTest, FillsWholeAndRangedWithClippingAtTheEnd) {
  gpu::SSBO buffer(10 * 4, 1u);
  EXPECT_EQ(gpu::readBackAll<uint32_t>(buffer), std::vector<uint32_t>(10, 1u));

  buffer.fill(9u, 2, 3);
  EXPECT_EQ(gpu::readBackAll<uint32_t>(buffer), (std::vector<uint32_t>{1, 1, 9, 9, 9, 1, 1, 1, 1, 1}));
  buffer.fill(5u, 8, 100);  // runs past the end: only elements 8 and 9
  EXPECT_EQ(gpu::readBackAll<uint32_t>(buffer), (std::vector<uint32_t>{1, 1, 9, 9, 9, 1, 1, 1, 5, 5}));
  buffer.fill(4u, 10, 5);  // starts at the end: nothing
  EXPECT_EQ(gpu::readElement<uint32_t>(buffer, 9), 5u);

  buffer.fill(int32_t{-3});
  EXPECT_EQ(gpu::readBackAll<int32_t>(buffer), std::vector<int32_t>(10, -3));
  buffer.resize(8 * 4);
  buffer.fill(std::array<int32_t, 4>{1, -2, 3, -4});
  EXPECT_EQ(gpu::readBackAll<int32_t>(buffer), (std::vector<int32_t>{1, -2, 3, -4, 1, -2, 3, -4}));
  GLint bound = -1;
  glGetIntegerv(GL_SHADER_STORAGE_BUFFER_BINDING, &bound);
  EXPECT_EQ(bound, 0) << "clears leave no storage buffer bound";
}

TEST_F(BuffersTest, GrowPreservingKeepsContentsAndNeverShrinks) {
  gpu::SSBO buffer(4 * 4);
  upload(buffer, {10, 11, 12, 13});
  const GLuint before = buffer.id();
  buffer.growPreserving(2 * 4);
  EXPECT_EQ(buffer.size(), 16u);
  EXPECT_EQ(buffer.id(), before);
  buffer.growPreserving(8 * 4);
  EXPECT_EQ(buffer.size(), 32u);
  const auto words = gpu::readBackAll<uint32_t>(buffer);
  EXPECT_EQ(std::vector<uint32_t>(words.begin(), words.begin() + 4), (std::vector<uint32_t>{10, 11, 12, 13}));

  buffer.reserve(16);
  EXPECT_EQ(buffer.size(), 32u) << "reserve never shrinks";
  buffer.resize(16);
  EXPECT_EQ(buffer.size(), 16u);
  buffer.resizeAndFill(12, 3u);
  EXPECT_EQ(gpu::readBackAll<uint32_t>(buffer), (std::vector<uint32_t>{3, 3, 3}));
}

TEST_F(BuffersTest, MovesTransferOwnershipAndEveryBufferIsFreed) {
  const int64_t live = gpu::SSBO::liveCount();
  {
    gpu::SSBO a(16, 2u);
    gpu::SSBO b(std::move(a));
    EXPECT_EQ(a.id(), gpu::SSBO::kNoBuffer);
    EXPECT_EQ(b.size(), 16u);
    gpu::SSBO c(8, 1u);
    c = std::move(b);
    EXPECT_EQ(gpu::readBackAll<uint32_t>(c), std::vector<uint32_t>(4, 2u));
    EXPECT_EQ(gpu::SSBO::liveCount(), live + 1);
    c.reset();
    EXPECT_EQ(c.size(), 0u);
    EXPECT_EQ(gpu::SSBO::liveCount(), live + 1);
    // A moved-from wrapper can be given storage again.
    a.growPreserving(8);
    a.resize(12);
    EXPECT_EQ(gpu::SSBO::liveCount(), live + 2);
  }
  EXPECT_EQ(gpu::SSBO::liveCount(), live);
}

TEST(DispatchConventions, GroupCountsAndChunkBatches) {
  EXPECT_EQ(gpu::groupsRoundedUp(0, 128), 0u);
  EXPECT_EQ(gpu::groupsRoundedUp(1, 128), 1u);
  EXPECT_EQ(gpu::groupsRoundedUp(128, 128), 1u);
  EXPECT_EQ(gpu::groupsRoundedUp(129, 128), 2u);
  EXPECT_EQ(gpu::groupsWithSpare(128, 128), 2u);
  EXPECT_EQ(gpu::groupsWithSpare(127, 128), 1u);

  std::vector<std::pair<uint64_t, uint64_t>> pieces;
  auto collect = [&](uint64_t a, uint64_t b) { pieces.emplace_back(a, b); };
  gpu::forEachChunkBatch(5, 5, collect);
  EXPECT_TRUE(pieces.empty());
  gpu::forEachChunkBatch(0, 65535, collect);
  ASSERT_EQ(pieces.size(), 1u);
  pieces.clear();
  gpu::forEachChunkBatch(10, 10 + 2 * 65535 + 1, collect);
  ASSERT_EQ(pieces.size(), 3u);
  EXPECT_EQ(pieces[0], std::make_pair(uint64_t{10}, uint64_t{10 + 65535}));
  EXPECT_EQ(pieces[1], std::make_pair(uint64_t{10 + 65535}, uint64_t{10 + 2 * 65535}));
  EXPECT_EQ(pieces[2], std::make_pair(uint64_t{10 + 2 * 65535}, uint64_t{10 + 2 * 65535 + 1}));
}

TEST_F(BuffersTest, ClearBufferKernelWritesExactlyItsRange) {
  // 1000 words cleared by invocations of 64 words each; the words past
  // BufferCount belong to someone else and must survive the spare invocations.
  constexpr uint32_t kCount = 1000, kStride = 64, kSpare = 37;
  gpu::SSBO buffer((kCount + kSpare) * 4);
  upload(buffer, iota(kCount + kSpare, 100));
  gpu::Shader clear("Shaders\\ClearBuffer.comp");
  clear.use();
  glUniform1ui(clear.location("BufferCount"), kCount);
  glUniform1ui(clear.location("ClearVal"), 0x00FFFFFFu);
  glUniform1ui(clear.location("Stride"), kStride);
  buffer.bindBase(0);
  const uint64_t invocations = gpu::groupsRoundedUp(kCount, kStride);
  gpu::dispatch1D(gpu::groupsWithSpare(invocations, 256));
  gpu::storageBarrier();
  const auto words = gpu::readBackAll<uint32_t>(buffer);
  for (uint32_t i = 0; i < kCount; ++i) ASSERT_EQ(words[i], 0x00FFFFFFu) << i;
  for (uint32_t i = kCount; i < kCount + kSpare; ++i) ASSERT_EQ(words[i], 100 + i) << i;
}

TEST_F(BuffersTest, BatchedDispatchesReachEveryInvocationOnce) {
  // More invocations than one dispatch of 65,535 groups holds: each one
  // counts itself in the word of its index.
  const std::string source =
      "#version 430\n"
      "layout(local_size_x = 32) in;\n"
      "layout(std430, binding = 0) buffer Counts { uint counts[]; };\n"
      "uniform uint InvocationOffset;\n"
      "uniform uint Total;\n"
      "void main() {\n"
      "  uint i = gl_GlobalInvocationID.x + InvocationOffset;\n"
      "  if (i >= Total) return;\n"
      "  atomicAdd(counts[i], 1u);\n"
      "}\n";
  const GLuint program = gpu::linkProgram({{gpu::ShaderStage::Compute, source}}, true);
  const uint32_t total = 65535u * 32u * 2u + 77u;
  gpu::SSBO counts(uint64_t{total + 64} * 4, 0u);
  glUseProgram(program);
  glUniform1ui(glGetUniformLocation(program, "Total"), total);
  counts.bindBase(0);
  gpu::dispatchInBatches(total, 32, glGetUniformLocation(program, "InvocationOffset"));
  gpu::storageBarrier();
  const auto words = gpu::readBackAll<uint32_t>(counts);
  for (uint32_t i = 0; i < total; ++i) ASSERT_EQ(words[i], 1u) << i;
  for (uint32_t i = total; i < total + 64; ++i) ASSERT_EQ(words[i], 0u) << i;
  glDeleteProgram(program);
}

}  // namespace
