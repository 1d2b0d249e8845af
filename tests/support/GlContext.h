#pragma once
// A hidden window with an OpenGL 4.3 core context, current on the calling
// thread, for tests that drive GPU code directly.
#include <string>

struct GLFWwindow;

namespace testsupport {

class GlContext {
 public:
  GlContext();
  ~GlContext();
  GlContext(const GlContext&) = delete;
  GlContext& operator=(const GlContext&) = delete;

  bool ok() const { return window_ != nullptr; }
  static std::string lastError();  // the window system's last complaint
  void makeCurrent() const;
  GLFWwindow* window() const { return window_; }

 private:
  GLFWwindow* window_ = nullptr;
};

}  // namespace testsupport
