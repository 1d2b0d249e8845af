#include "platform/X11Embedding.h"

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>
#define GLFW_EXPOSE_NATIVE_X11
#include <GLFW/glfw3native.h>

namespace platform {
namespace {

// Errors from requests on windows that a host destroyed meanwhile must not end
// the process; they are caught for the duration of one call and ignored.
class IgnoreXErrors {
 public:
  explicit IgnoreXErrors(Display* display) : display_(display) {
    XSync(display_, False);
    previous_ = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  }
  ~IgnoreXErrors() {
    XSync(display_, False);
    XSetErrorHandler(previous_);
  }

 private:
  Display* display_;
  int (*previous_)(Display*, XErrorEvent*);
};

}  // namespace

SIM_Window nativeWindow(GLFWwindow* window) {
  return window ? static_cast<SIM_Window>(glfwGetX11Window(window)) : 0;
}

WindowSize hostWindowSize(SIM_Window window) {
  Display* display = glfwGetX11Display();
  if (!display || window == 0) return {};
  IgnoreXErrors guard(display);
  XWindowAttributes attributes{};
  if (!XGetWindowAttributes(display, static_cast<Window>(window), &attributes)) return {};
  return {attributes.width, attributes.height};
}

bool embedIntoParent(GLFWwindow* window, SIM_Window parent) {
  Display* display = glfwGetX11Display();
  if (!display || !window || parent == 0) return false;
  const Window child = glfwGetX11Window(window);
  WindowSize size = hostWindowSize(parent);
  if (size.width <= 0 || size.height <= 0) return false;
  IgnoreXErrors guard(display);
  XReparentWindow(display, child, static_cast<Window>(parent), 0, 0);
  XResizeWindow(display, child, static_cast<unsigned>(size.width), static_cast<unsigned>(size.height));
  XMapWindow(display, child);
  XSync(display, False);
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(display, child, &attributes) && attributes.map_state == IsViewable)
    XSetInputFocus(display, child, RevertToParent, CurrentTime);
  return true;
}

void releaseFromParent(GLFWwindow* window) {
  Display* display = glfwGetX11Display();
  if (!display || !window) return;
  IgnoreXErrors guard(display);
  const Window child = glfwGetX11Window(window);
  XUnmapWindow(display, child);
  XReparentWindow(display, child, DefaultRootWindow(display), 0, 0);
}

}  // namespace platform

