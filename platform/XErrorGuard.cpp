#include "platform/XErrorGuard.h"

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>
#define GLFW_EXPOSE_NATIVE_X11
#include <GLFW/glfw3native.h>

#include <mutex>
#include <unordered_map>
#include <unordered_set>

namespace platform {
namespace {

using Handler = int (*)(Display*, XErrorEvent*);

std::mutex gMutex;
std::unordered_map<SIM_Window, bool> gWatched;  // window -> lost
Handler gPrevious = nullptr;
Display* gDisplay = nullptr;               // the window system's connection
std::unordered_set<void*> gOtherDisplays;  // connections of offscreen host windows

int guard(Display* display, XErrorEvent* error) {
  Handler previous;
  {
    std::lock_guard lock(gMutex);
    if (display == gDisplay || gOtherDisplays.count(display) != 0) {
      auto it = gWatched.find(static_cast<SIM_Window>(error->resourceid));
      if (it != gWatched.end()) {
        it->second = true;
        return 0;
      }
    }
    previous = gPrevious;
  }
  return previous ? previous(display, error) : 0;
}

// Xlib's own handler, which is what a null handler stands for.
Handler defaultHandler() {
  Handler current = XSetErrorHandler(nullptr);
  Handler builtin = XSetErrorHandler(current);
  return builtin;
}

}  // namespace

XErrorHandlerRef currentXErrorHandler() {
  Handler current = XSetErrorHandler(nullptr);
  XSetErrorHandler(current);
  return reinterpret_cast<XErrorHandlerRef>(current);
}

void installXErrorGuard(XErrorHandlerRef before) {
  Display* display = glfwGetX11Display();
  if (!display) return;
  Handler current = XSetErrorHandler(guard);
  auto earlier = reinterpret_cast<Handler>(before);
  std::lock_guard lock(gMutex);
  gDisplay = display;
  if (earlier && earlier != guard)
    gPrevious = earlier;  // what was there before the window system reset it
  else if (current != guard)
    gPrevious = current ? current : defaultHandler();
}

void watchDisplay(void* display) {
  std::lock_guard lock(gMutex);
  gOtherDisplays.insert(display);
}

void forgetDisplay(void* display) {
  std::lock_guard lock(gMutex);
  gOtherDisplays.erase(display);
}

void watchWindow(SIM_Window window) {
  if (window == 0) return;
  std::lock_guard lock(gMutex);
  gWatched[window] = false;
}

void forgetWindow(SIM_Window window) {
  std::lock_guard lock(gMutex);
  gWatched.erase(window);
}

size_t watchedWindowCount() {
  std::lock_guard lock(gMutex);
  return gWatched.size();
}

bool windowLost(SIM_Window window) {
  std::lock_guard lock(gMutex);
  auto it = gWatched.find(window);
  return it != gWatched.end() && it->second;
}

}  // namespace platform
