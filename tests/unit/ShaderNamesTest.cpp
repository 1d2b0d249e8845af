// Hashing, uniform-name encoding and the shader registries, without a GPU.
#include <gtest/gtest.h>

#include <string>

#include "common/Fnv1a.h"
#include "gpu/ShaderRegistry.h"
#include "gpu/UniformName.h"

namespace {

TEST(Fnv1a, MatchesPublishedVectors) {
  EXPECT_EQ(common::fnv1a64(""), 0xcbf29ce484222325ull);
  EXPECT_EQ(common::fnv1a64("a"), 0xaf63dc4c8601ec8cull);
  EXPECT_EQ(common::fnv1a64("foobar"), 0x85944171f73967e8ull);
}

TEST(UniformName, Base52IsMostSignificantDigitFirst) {
  EXPECT_EQ(gpu::toBase52(0), "a");
  EXPECT_EQ(gpu::toBase52(51), "Z");
  EXPECT_EQ(gpu::toBase52(52), "ba");
  EXPECT_EQ(gpu::toBase52(52 * 52 + 3), "bad");
}

TEST(UniformName, MatchesTheBuildStepThatRewritesTheSources) {
  // Known answers of cmake/embed_shaders.py, which renames the uniforms.
  EXPECT_EQ(gpu::encodeUniformName("cam_hi"), "cedaOgTXDBrk");
  EXPECT_EQ(gpu::encodeUniformName("ToolScale"), "lDwtUXEosrZ");
  EXPECT_EQ(gpu::encodeUniformName("NoOfCells"), "bkCwxcXkcuaC");
}

TEST(ShaderRegistry, BareNameDropsEverythingUpToTheLastSeparator) {
  EXPECT_EQ(gpu::bareShaderName("Shaders\\solid.frag"), "solid.frag");
  EXPECT_EQ(gpu::bareShaderName("Shaders/solid.frag"), "solid.frag");
  EXPECT_EQ(gpu::bareShaderName("a/b\\c/solid.frag"), "solid.frag");
  EXPECT_EQ(gpu::bareShaderName("solid.frag"), "solid.frag");
  EXPECT_EQ(gpu::bareShaderName("Shaders\\"), "");
}

TEST(ShaderRegistry, SourcesAreWholeWithEncodedUniformNames) {
  const std::string_view source = gpu::lookupSource(gpu::RenderShaderTable(), "ClearBuffer.comp");
  ASSERT_FALSE(source.empty());
  EXPECT_EQ(source.substr(0, 12), "#version 430");
  for (const char* uniform : {"BufferCount", "ClearVal", "Stride"}) {
    EXPECT_NE(source.find(gpu::encodeUniformName(uniform)), std::string_view::npos) << uniform;
    EXPECT_EQ(source.find(std::string("uniform uint ") + uniform), std::string_view::npos) << uniform;
  }
  for (const auto& [name, text] : gpu::RenderShaderTable())
    EXPECT_EQ(std::string_view(text).substr(0, 9), "#version ") << name;
  for (const auto& [name, text] : gpu::AlgoShaderTable())
    EXPECT_EQ(std::string_view(text).substr(0, 9), "#version ") << name;
}

TEST(ShaderRegistry, UnknownNamesGiveAnEmptySource) {
  EXPECT_TRUE(gpu::lookupSource(gpu::RenderShaderTable(), "FlagVerticesOutsideTolerance.comp").empty());
  EXPECT_TRUE(gpu::lookupSource(gpu::AlgoShaderTable(), "PixelToVertex.frag").empty());
}

}  // namespace
