#include "platform/X11Embedding.h"

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>
#define GLFW_EXPOSE_NATIVE_X11
#define GLFW_EXPOSE_NATIVE_GLX
#include <GLFW/glfw3native.h>


namespace platform {

SIM_Window nativeWindow(GLFWwindow* window) {
  return window ? static_cast<SIM_Window>(glfwGetX11Window(window)) : 0;
}

SIM_Window drawableOf(GLFWwindow* window) {
  return window ? static_cast<SIM_Window>(glfwGetGLXWindow(window)) : 0;
}

WindowSize hostWindowSize(SIM_Window window) {
  Display* display = glfwGetX11Display();
  if (!display || window == 0) return {};
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
  XReparentWindow(display, child, static_cast<Window>(parent), 0, 0);
  XResizeWindow(display, child, static_cast<unsigned>(size.width), static_cast<unsigned>(size.height));
  XMapWindow(display, child);
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(display, child, &attributes) && attributes.map_state == IsViewable)
    XSetInputFocus(display, child, RevertToParent, CurrentTime);
  return true;
}

bool windowExists(SIM_Window window) {
  Display* display = glfwGetX11Display();
  if (!display || window == 0) return false;
  Window root = 0;
  int x = 0, y = 0;
  unsigned width = 0, height = 0, border = 0, depth = 0;
  return XGetGeometry(display, static_cast<Window>(window), &root, &x, &y, &width, &height, &border, &depth) != 0;
}

void destroyWindow(GLFWwindow* window, bool embedded) {
  Display* display = glfwGetX11Display();
  if (!display || !window) return;
  const Window child = glfwGetX11Window(window);
  XWindowAttributes attributes{};
  if (embedded && XGetWindowAttributes(display, child, &attributes)) {
    XUnmapWindow(display, child);
    XReparentWindow(display, child, DefaultRootWindow(display), 0, 0);
  }
  glfwDestroyWindow(window);
  XSync(display, False);  // errors about a window already gone arrive now, not later
}

}  // namespace platform

