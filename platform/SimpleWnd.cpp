#include "platform/SimpleWnd.h"

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>
#define GLFW_EXPOSE_NATIVE_X11
#include <GLFW/glfw3native.h>
#include <X11/Xutil.h>

#include "platform/GlfwLock.h"
#include "platform/XErrorGuard.h"
#include "platform/XErrorTrap.h"

namespace platform {

std::unique_ptr<SimpleWnd> SimpleWnd::create(SIM_Window parent, int width, int height) {
  std::lock_guard glfw(glfwLock());
  Display* display = glfwGetX11Display();
  if (!display) return nullptr;
  if (parent != 0) {
    const WindowSize client = hostWindowSize(parent);
    if (client.width <= 0 || client.height <= 0) return nullptr;
    width = client.width;
    height = client.height;
  }
  const int screen = DefaultScreen(display);
  XVisualInfo info{};
  if (!XMatchVisualInfo(display, screen, 24, TrueColor, &info)) return nullptr;

  std::unique_ptr<SimpleWnd> wnd(new SimpleWnd());
  XSetWindowAttributes attributes{};
  attributes.colormap = XCreateColormap(display, RootWindow(display, screen), info.visual, AllocNone);
  attributes.background_pixel = 0;
  attributes.border_pixel = 0;
  const Window container = parent != 0 ? static_cast<Window>(parent) : RootWindow(display, screen);
  wnd->window_ = XCreateWindow(display, container, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height),
                               0, info.depth, InputOutput, info.visual,
                               CWColormap | CWBackPixel | CWBorderPixel, &attributes);
  wnd->colormap_ = attributes.colormap;
  if (wnd->window_ == 0) {
    XFreeColormap(display, attributes.colormap);
    wnd->colormap_ = 0;
    return nullptr;
  }
  wnd->parent_ = parent;
  wnd->visual_ = info.visual;
  wnd->depth_ = info.depth;
  wnd->gc_ = XCreateGC(display, wnd->window_, 0, nullptr);
  installXErrorGuard();
  watchWindow(wnd->window_);  // the host may destroy it with its own window
  if (parent == 0) XStoreName(display, wnd->window_, "TARVO Simulation");
  XMapWindow(display, wnd->window_);
  XSync(display, False);
  return wnd;
}

SimpleWnd::~SimpleWnd() {
  std::lock_guard glfw(glfwLock());
  Display* display = glfwGetX11Display();
  if (!display) return;
  XErrorTrap trap(display);  // the host may have destroyed it with its parent
  if (gc_) XFreeGC(display, static_cast<GC>(gc_));
  if (window_) XDestroyWindow(display, static_cast<Window>(window_));
  if (colormap_) XFreeColormap(display, colormap_);
  forgetWindow(window_);
}

WindowSize SimpleWnd::size() const {
  std::lock_guard glfw(glfwLock());
  if (windowLost(window_)) return {};
  return watchedWindowSize(window_);
}

void SimpleWnd::reparent(SIM_Window parent) {
  std::lock_guard glfw(glfwLock());
  Display* display = glfwGetX11Display();
  if (!display || parent == 0) return;
  const WindowSize client = hostWindowSize(parent);
  if (client.width <= 0 || client.height <= 0) return;
  XErrorTrap trap(display);
  XReparentWindow(display, static_cast<Window>(window_), static_cast<Window>(parent), 0, 0);
  XResizeWindow(display, static_cast<Window>(window_), static_cast<unsigned>(client.width),
                static_cast<unsigned>(client.height));
  XMapWindow(display, static_cast<Window>(window_));
  parent_ = parent;
}

void SimpleWnd::present(const uint8_t* pixels, int width, int height) {
  if (width <= 0 || height <= 0) return;
  std::lock_guard glfw(glfwLock());
  Display* display = glfwGetX11Display();
  if (!display || windowLost(window_)) return;
  // The image borrows the pixels; it must not free them.
  XImage* image = XCreateImage(display, static_cast<Visual*>(visual_), static_cast<unsigned>(depth_), ZPixmap, 0,
                               const_cast<char*>(reinterpret_cast<const char*>(pixels)),
                               static_cast<unsigned>(width), static_cast<unsigned>(height), 32, width * 4);
  if (!image) return;
  XPutImage(display, static_cast<Window>(window_), static_cast<GC>(gc_), image, 0, 0, 0, 0,
            static_cast<unsigned>(width), static_cast<unsigned>(height));
  image->data = nullptr;
  XDestroyImage(image);
  XFlush(display);
}

}  // namespace platform
