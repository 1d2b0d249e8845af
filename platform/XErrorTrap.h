#pragma once
// Errors from requests on windows that a host destroyed meanwhile must not end
// the process: Xlib's default handler exits. A trap catches and ignores them
// for its lifetime. Take the GLFW lock first: the handler is process-wide.
#include <X11/Xlib.h>

namespace platform {

class XErrorTrap {
 public:
  explicit XErrorTrap(Display* display) : display_(display) {
    XSync(display_, False);
    previous_ = XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
  }
  ~XErrorTrap() {
    XSync(display_, False);
    XSetErrorHandler(previous_);
  }
  XErrorTrap(const XErrorTrap&) = delete;
  XErrorTrap& operator=(const XErrorTrap&) = delete;

 private:
  Display* display_;
  int (*previous_)(Display*, XErrorEvent*);
};

}  // namespace platform
