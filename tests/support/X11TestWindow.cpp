#include "support/X11TestWindow.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace testsupport {
namespace {

Display* asDisplay(void* display) { return static_cast<Display*>(display); }

}  // namespace

X11TestWindow::X11TestWindow(int width, int height) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return;
  display_ = display;
  window_ = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, static_cast<unsigned>(width),
                                static_cast<unsigned>(height), 0, 0, 0);
  XMapWindow(display, window_);
  XSync(display, False);
}

X11TestWindow::~X11TestWindow() {
  if (!display_) return;
  if (window_) XDestroyWindow(asDisplay(display_), window_);
  XCloseDisplay(asDisplay(display_));
}

SIM_Window X11TestWindow::parentOf(SIM_Window window) const {
  Window root = 0, parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(asDisplay(display_), window, &root, &parent, &children, &count)) return 0;
  if (children) XFree(children);
  return parent;
}

int X11TestWindow::childCount(SIM_Window window) const {
  Display* display = asDisplay(display_);
  Window root = 0, parent = 0;
  Window* children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(display, window ? window : DefaultRootWindow(display), &root, &parent, &children, &count)) return -1;
  if (children) XFree(children);
  return static_cast<int>(count);
}

void X11TestWindow::sizeOf(SIM_Window window, int& width, int& height) const {
  XWindowAttributes attributes{};
  XGetWindowAttributes(asDisplay(display_), window, &attributes);
  width = attributes.width;
  height = attributes.height;
}

bool X11TestWindow::isViewable(SIM_Window window) const {
  XWindowAttributes attributes{};
  XGetWindowAttributes(asDisplay(display_), window, &attributes);
  return attributes.map_state == IsViewable;
}

void X11TestWindow::resize(SIM_Window window, int width, int height) const {
  XResizeWindow(asDisplay(display_), window, static_cast<unsigned>(width), static_cast<unsigned>(height));
  XSync(asDisplay(display_), False);
}

uint32_t X11TestWindow::pixelAt(SIM_Window window, int x, int y) const {
  XImage* image = XGetImage(asDisplay(display_), window, x, y, 1, 1, AllPlanes, ZPixmap);
  if (!image) return 0xFFFFFFFFu;
  const auto pixel = static_cast<uint32_t>(XGetPixel(image, 0, 0) & 0xFFFFFF);
  XDestroyImage(image);
  return pixel;
}

std::vector<uint32_t> X11TestWindow::pixelsOf(SIM_Window window) const {
  int width = 0, height = 0;
  sizeOf(window, width, height);
  std::vector<uint32_t> pixels;
  if (width <= 0 || height <= 0) return pixels;
  XImage* image = XGetImage(asDisplay(display_), window, 0, 0, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), AllPlanes, ZPixmap);
  if (!image) return pixels;
  pixels.reserve(size_t(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) pixels.push_back(static_cast<uint32_t>(XGetPixel(image, x, y) & 0xFFFFFF));
  XDestroyImage(image);
  return pixels;
}

void X11TestWindow::provokeError() const {
  XMapWindow(asDisplay(display_), 0x7FFFFFF1);
  XSync(asDisplay(display_), False);
}

void X11TestWindow::sendCloseRequest(SIM_Window target) const {
  Display* display = asDisplay(display_);
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = target;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, target, False, NoEventMask, &event);
  XSync(display, False);
}

void X11TestWindow::sendKey(SIM_Window target, unsigned long keysym, bool press) const {
  Display* display = asDisplay(display_);
  XEvent event{};
  event.xkey.type = press ? KeyPress : KeyRelease;
  event.xkey.window = target;
  event.xkey.root = DefaultRootWindow(display);
  event.xkey.same_screen = True;
  event.xkey.keycode = XKeysymToKeycode(display, keysym);
  XSendEvent(display, target, True, press ? KeyPressMask : KeyReleaseMask, &event);
  XSync(display, False);
}

void X11TestWindow::sendButton(SIM_Window target, unsigned button, int x, int y, bool press) const {
  Display* display = asDisplay(display_);
  XEvent event{};
  event.xbutton.type = press ? ButtonPress : ButtonRelease;
  event.xbutton.window = target;
  event.xbutton.root = DefaultRootWindow(display);
  event.xbutton.same_screen = True;
  event.xbutton.x = x;
  event.xbutton.y = y;
  event.xbutton.button = button;
  XSendEvent(display, target, True, press ? ButtonPressMask : ButtonReleaseMask, &event);
  XSync(display, False);
}

void X11TestWindow::sendMotion(SIM_Window target, int x, int y) const {
  Display* display = asDisplay(display_);
  XEvent event{};
  event.xmotion.type = MotionNotify;
  event.xmotion.window = target;
  event.xmotion.root = DefaultRootWindow(display);
  event.xmotion.same_screen = True;
  event.xmotion.x = x;
  event.xmotion.y = y;
  XSendEvent(display, target, True, PointerMotionMask, &event);
  XSync(display, False);
}

void X11TestWindow::sendWheel(SIM_Window target, int x, int y, bool away) const {
  sendButton(target, away ? 4 : 5, x, y, true);
  sendButton(target, away ? 4 : 5, x, y, false);
}

}  // namespace testsupport
