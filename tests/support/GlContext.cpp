#include "support/GlContext.h"

#include <glad/gl.h>
#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include <string>

#include "gpu/ProgramCache.h"
#include "platform/GlfwLock.h"
#include "view/ProcessState.h"

namespace testsupport {

namespace {

std::string gLastError;

void rememberError(int code, const char* text) { gLastError = std::to_string(code) + " " + text; }

}  // namespace

std::string GlContext::lastError() { return gLastError; }

GlContext::GlContext() {
  glfwSetErrorCallback(rememberError);
  view::initWindowSystem();
  std::lock_guard glfw(platform::glfwLock());
  glfwDefaultWindowHints();
  glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 4);
  glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
  glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
  glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
  window_ = glfwCreateWindow(16, 16, "test", nullptr, nullptr);
  if (!window_) return;
  glfwMakeContextCurrent(window_);
  if (!gladLoadGL(glfwGetProcAddress)) {
    glfwMakeContextCurrent(nullptr);
    glfwDestroyWindow(window_);
    window_ = nullptr;
  }
}

GlContext::~GlContext() {
  if (window_) {
    // As a view does at teardown: the window's programs go with it.
    glfwMakeContextCurrent(window_);
    gpu::deleteWindowPrograms();
    gpu::deleteContextPrograms();
    glfwMakeContextCurrent(nullptr);
    std::lock_guard glfw(platform::glfwLock());
    glfwDestroyWindow(window_);
  }
  view::terminateWindowSystem();
}

void GlContext::makeCurrent() const { glfwMakeContextCurrent(window_); }

}  // namespace testsupport
