// Shader sources and program caches: sources found by their bare names,
// each one whole; one program per window and key, recompiled for another
// window, failed programs cached without harm.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gpu/Dispatch.h"
#include "gpu/GL.h"
#include "gpu/ProgramCache.h"
#include "gpu/SSBO.h"
#include "gpu/ShaderCompiler.h"
#include "gpu/ShaderRegistry.h"
#include "gpu/UniformName.h"
#include "support/GpuTest.h"

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
// table lacks by the tests below.)
TEST(ShaderRegistry, EverySourceIsWhole) {
  for (const auto& [name, text] : gpu::RenderShaderTable())
    EXPECT_EQ(std::string_view(text).substr(0, 9), "#version ") << name;
  for (const auto& [name, text] : gpu::AlgoShaderTable())
    EXPECT_EQ(std::string_view(text).substr(0, 9), "#version ") << name;
}

class ProgramCacheTest : public testsupport::GpuTest {
 protected:
  void TearDown() override {
    gpu::setShaderErrorHook({});
    GpuTest::TearDown();
  }
};

GLint linkStatus(GLuint program) {
  GLint ok = GL_FALSE;
  glGetProgramiv(program, GL_LINK_STATUS, &ok);
  return ok;
}

// Every compute kernel of both registries compiles and links, in the
// variant this renderer gets: a kernel that fails would only cut or draw nothing.
TEST_F(ProgramCacheTest, EveryComputeKernelLinks) {
  std::vector<std::string> failures;
  gpu::setShaderErrorHook([&](const std::string& text) { failures.push_back(text.substr(0, 400)); });
  int kernels = 0;
  for (const auto& [name, text] : gpu::RenderShaderTable()) {
    if (!std::string_view(name).ends_with(".comp")) continue;
    ++kernels;
    const size_t before = failures.size();
    EXPECT_EQ(linkStatus(gpu::computeProgram(std::string("Shaders\\") + std::string(name))), GL_TRUE) << name;
    EXPECT_EQ(failures.size(), before) << name << ": " << (failures.empty() ? "" : failures.back());
  }
  EXPECT_GT(kernels, 30);
  for (const auto& [name, text] : gpu::AlgoShaderTable()) {
    const size_t before = failures.size();
    EXPECT_EQ(linkStatus(gpu::algoProgramCache().compute(name)), GL_TRUE) << name;
    EXPECT_EQ(failures.size(), before) << name << ": " << (failures.empty() ? "" : failures.back());
  }
}

TEST_F(ProgramCacheTest, SameWindowReusesTheProgramAndAnotherWindowCompilesAgain) {
  gpu::ProgramCache& cache = gpu::renderProgramCache();
  const uint64_t linksBefore = cache.linkCount();
  const GLuint first = gpu::computeProgram("Shaders\\ClearBuffer.comp");
  const GLuint second = gpu::computeProgram("Shaders\\ClearBuffer.comp");
  EXPECT_EQ(first, second);
  EXPECT_EQ(linkStatus(first), GL_TRUE);
  EXPECT_EQ(cache.linkCount(), linksBefore + 1);

  testsupport::GlContext other;
  ASSERT_TRUE(other.ok());
  other.makeCurrent();
  const GLuint elsewhere = gpu::computeProgram("Shaders\\ClearBuffer.comp");
  EXPECT_EQ(linkStatus(elsewhere), GL_TRUE);
  EXPECT_EQ(cache.linkCount(), linksBefore + 2);
  const size_t withBoth = cache.programCount();
  gpu::deleteWindowPrograms();  // the other window's programs only
  EXPECT_EQ(cache.programCount(), withBoth - 1);
  context_.makeCurrent();
  EXPECT_EQ(gpu::computeProgram("Shaders\\ClearBuffer.comp"), first);
}

TEST_F(ProgramCacheTest, BackslashAndSlashPathsFindOneSourceUnderTwoKeys) {
  const GLuint backslash = gpu::computeProgram("Shaders\\ClearBuffer.comp");
  const GLuint slash = gpu::computeProgram("Shaders/ClearBuffer.comp");
  EXPECT_NE(backslash, slash);
  EXPECT_EQ(linkStatus(backslash), GL_TRUE);
  EXPECT_EQ(linkStatus(slash), GL_TRUE);
  EXPECT_TRUE(gpu::hasUniform(slash, "ClearVal"));
  EXPECT_FALSE(gpu::hasUniform(slash, "NoSuchUniform"));
}

TEST_F(ProgramCacheTest, UnknownNameGivesACachedFailedProgramThatDoesNothing) {
  std::vector<std::string> errors;
  gpu::setShaderErrorHook([&](const std::string& text) { errors.push_back(text); });
  const GLuint program = gpu::computeProgram("Shaders\\NoSuchShader.comp");
  EXPECT_NE(program, 0u);
  EXPECT_EQ(linkStatus(program), GL_FALSE);
  EXPECT_EQ(gpu::computeProgram("Shaders\\NoSuchShader.comp"), program);

  ASSERT_EQ(errors.size(), 2u) << "one compile and one link error, composed once";
  EXPECT_EQ(errors[0].rfind("ERROR::SHADER_COMPILATION_ERROR of type: COMPUTE\n", 0), 0u);
  EXPECT_EQ(errors[1].rfind("ERROR::PROGRAM_LINKING_ERROR of type: PROGRAM\n", 0), 0u);

  gpu::SSBO buffer(64, 7u);
  glUseProgram(program);
  buffer.bindBase(0);
  gpu::dispatch1D(4);
  gpu::storageBarrier();
  EXPECT_EQ(glGetError(), GLenum(GL_INVALID_OPERATION)) << "a program that failed cannot be used";
  for (uint32_t word : gpu::readBackAll<uint32_t>(buffer)) EXPECT_EQ(word, 7u);
}

TEST_F(ProgramCacheTest, AlgorithmProgramsAreCachedPerContextAndAlwaysChecked) {
  std::vector<std::string> errors;
  gpu::setShaderErrorHook([&](const std::string& text) { errors.push_back(text); });
  gpu::ProgramCache& cache = gpu::algoProgramCache();
  const GLuint program = cache.compute("FlagVerticesOutsideTolerance.comp");
  EXPECT_EQ(cache.compute("FlagVerticesOutsideTolerance.comp"), program);
  EXPECT_EQ(errors.size(), 2u);
  const size_t count = cache.programCount();
  gpu::deleteContextPrograms();
  EXPECT_EQ(cache.programCount(), count - 1);
}

TEST(ShaderErrorText, ComposedAsDocumented) {
  EXPECT_EQ(gpu::composeCompileError(gpu::ShaderStage::Geometry, "0:1: bad"),
            "ERROR::SHADER_COMPILATION_ERROR of type: GEOMETRY\n0:1: bad"
            "\n -- --------------------------------------------------- -- ");
  EXPECT_EQ(gpu::composeLinkError("no main"),
            "ERROR::PROGRAM_LINKING_ERROR of type: PROGRAM\nno main"
            "\n -- --------------------------------------------------- -- ");
}

}  // namespace
