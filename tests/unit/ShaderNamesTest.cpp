// The shader registries, without a GPU: sources found by their bare names,
// each one whole.
#include <gtest/gtest.h>

#include <string>

#include "gpu/ShaderRegistry.h"

namespace {

TEST(ShaderRegistry, BareNameDropsEverythingUpToTheLastSeparator) {
  EXPECT_EQ(gpu::bareShaderName("Shaders\\solid.frag"), "solid.frag");
  EXPECT_EQ(gpu::bareShaderName("Shaders/solid.frag"), "solid.frag");
  EXPECT_EQ(gpu::bareShaderName("a/b\\c/solid.frag"), "solid.frag");
  EXPECT_EQ(gpu::bareShaderName("solid.frag"), "solid.frag");
  EXPECT_EQ(gpu::bareShaderName("Shaders\\"), "");
}

// Every embedded source starts with its version line. (The encoded uniform
// names in them are looked up by every kernel the GPU tests run, names a
// table lacks by the program cache's tests.)
TEST(ShaderRegistry, EverySourceIsWhole) {
  for (const auto& [name, text] : gpu::RenderShaderTable())
    EXPECT_EQ(std::string_view(text).substr(0, 9), "#version ") << name;
  for (const auto& [name, text] : gpu::AlgoShaderTable())
    EXPECT_EQ(std::string_view(text).substr(0, 9), "#version ") << name;
}

}  // namespace
