#pragma once
// Base of tests that drive GPU code directly: a current OpenGL 4.3 context,
// the device's limits, and no GL error left behind by any test.
#include <gtest/gtest.h>

#include "gpu/DeviceLimits.h"
#include "gpu/GL.h"
#include "support/GlContext.h"

namespace testsupport {

class GpuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(context_.ok()) << "no OpenGL 4.3 context: " << GlContext::lastError();
    context_.makeCurrent();
    limits_ = gpu::queryDeviceLimits();
  }
  void TearDown() override { EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)); }

  GlContext context_;
  gpu::DeviceLimits limits_;
};

}  // namespace testsupport
