// The shared tool-kernel uniforms: looked up under their encoded names once,
// optional ones left at -1, every value of ToolShaderParams arriving intact.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "gpu/BaseToolShader.h"
#include "gpu/Dispatch.h"
#include "gpu/GL.h"
#include "gpu/SSBO.h"
#include "gpu/ShaderCompiler.h"
#include "gpu/UniformName.h"
#include "support/GpuTest.h"

namespace {

// A kernel that copies its tool uniforms into a buffer. Its source is written
// with encoded names, as the embedding step would leave it.
std::string echoKernel(bool withOptional) {
  auto u = [](const char* name) { return gpu::encodeUniformName(name); };
  std::string s = "#version 430\nlayout(local_size_x = 1) in;\n"
                  "layout(std430, binding = 0) buffer Out { uint words[]; };\n";
  s += "uniform uint " + u("InvocationChunkSize") + ";\n";
  s += "uniform uvec3 " + u("NoOfCells") + ";\n";
  s += "uniform uvec3 " + u("BoolPointsSize") + ";\n";
  s += "uniform uint " + u("ElementCount") + ";\n";
  s += "uniform mat4 " + u("ToolpathToSolid") + ";\n";
  s += "uniform float " + u("ToolScale") + ";\n";
  if (withOptional) {
    s += "uniform uint " + u("ApplyRapidMoves") + ";\n";
    s += "uniform uint " + u("ReportRapidMoves") + ";\n";
    s += "uniform uint " + u("StoppedSpindleMode") + ";\n";
    s += "uniform uint " + u("ReportSpindleStoppedMoves") + ";\n";
  }
  s += "void main() {\n";
  s += "  words[0] = " + u("InvocationChunkSize") + ";\n";
  s += "  for (int i = 0; i < 3; ++i) { words[1 + i] = " + u("NoOfCells") + "[i]; words[4 + i] = " +
       u("BoolPointsSize") + "[i]; }\n";
  s += "  words[7] = " + u("ElementCount") + ";\n";
  s += "  for (int c = 0; c < 4; ++c) for (int r = 0; r < 4; ++r) words[8 + 4 * c + r] = floatBitsToUint(" +
       u("ToolpathToSolid") + "[c][r]);\n";
  s += "  words[24] = floatBitsToUint(" + u("ToolScale") + ");\n";
  if (withOptional) {
    s += "  words[25] = " + u("ApplyRapidMoves") + "; words[26] = " + u("ReportRapidMoves") + ";\n";
    s += "  words[27] = " + u("StoppedSpindleMode") + "; words[28] = " + u("ReportSpindleStoppedMoves") + ";\n";
  }
  s += "}\n";
  return s;
}

class ToolShaderTest : public testsupport::GpuTest {
 protected:
  GLuint build(bool withOptional) {
    program_ = gpu::linkProgram({{gpu::ShaderStage::Compute, echoKernel(withOptional)}}, true);
    return program_;
  }
  void TearDown() override {
    if (program_) glDeleteProgram(program_);
    GpuTest::TearDown();
  }
  GLuint program_ = 0;
};

gpu::ToolShaderParams sampleParams() {
  gpu::ToolShaderParams p;
  p.invocationsPerChunk = 256;
  p.nodeCounts = {202, 202, 202};
  p.paddedNodeCounts = {224, 202, 203};
  p.elementCount = 77;
  for (int i = 0; i < 16; ++i) p.toolpathToGrid[i] = 0.5f * static_cast<float>(i) - 1.0f;
  p.toolScale = 19.9f;
  p.applyRapidMoves = true;
  p.reportRapidMoves = false;
  p.stoppedSpindleMode = 2;
  p.reportSpindleStoppedMoves = true;
  return p;
}

std::vector<uint32_t> run(const gpu::BaseToolShader& shader, const gpu::ToolShaderParams& params) {
  gpu::SSBO out(32 * 4, 0xDEADu);
  shader.use();
  params.apply(shader);
  out.bindBase(0);
  gpu::dispatch1D(1);
  gpu::storageBarrier();
  return gpu::readBackAll<uint32_t>(out);
}

uint32_t bits(float f) {
  uint32_t u;
  std::memcpy(&u, &f, 4);
  return u;
}

TEST_F(ToolShaderTest, EveryCommonValueReachesTheKernel) {
  gpu::BaseToolShader shader(gpu::Shader::Adopt{build(true)});
  EXPECT_EQ(shader.chunkDivisor(), 1u);
  EXPECT_NE(shader.locations().stoppedSpindleMode, -1);
  const gpu::ToolShaderParams params = sampleParams();
  const std::vector<uint32_t> w = run(shader, params);
  EXPECT_EQ(w[0], 256u);
  EXPECT_EQ((std::vector<uint32_t>(w.begin() + 1, w.begin() + 4)), (std::vector<uint32_t>{202, 202, 202}));
  EXPECT_EQ((std::vector<uint32_t>(w.begin() + 4, w.begin() + 7)), (std::vector<uint32_t>{224, 202, 203}));
  EXPECT_EQ(w[7], 77u);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(w[8 + i], bits(params.toolpathToGrid[i])) << "column-major " << i;
  EXPECT_EQ(w[24], bits(19.9f));
  EXPECT_EQ((std::vector<uint32_t>(w.begin() + 25, w.begin() + 29)), (std::vector<uint32_t>{1, 0, 2, 1}));
}

TEST_F(ToolShaderTest, OptionalUniformsStayUnsetWhenTheKernelHasNone) {
  gpu::BaseToolShader shader(gpu::Shader::Adopt{build(false)});
  const gpu::ToolUniformLocations& l = shader.locations();
  EXPECT_EQ(l.applyRapidMoves, -1);
  EXPECT_EQ(l.reportRapidMoves, -1);
  EXPECT_EQ(l.stoppedSpindleMode, -1);
  EXPECT_EQ(l.reportSpindleStoppedMoves, -1);
  EXPECT_EQ(l.extraElemToolDirFlip, -1);
  EXPECT_NE(l.toolScale, -1);
  const std::vector<uint32_t> w = run(shader, sampleParams());
  EXPECT_EQ(w[7], 77u);
  EXPECT_EQ(w[25], 0xDEADu);  // (and no GL error from the absent ones: the fixture checks)
}

}  // namespace
