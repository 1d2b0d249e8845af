#include "platform/XErrorGuard.h"

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>
#define GLFW_EXPOSE_NATIVE_X11
#include <GLFW/glfw3native.h>

#include <unordered_map>
#include <unordered_set>

namespace platform {
namespace {

using Handler = int (*)(Display*, XErrorEvent*);

std::mutex gMutex;
std::unordered_map<SIM_Window, bool> gWatched;  // window -> lost
std::unordered_set<void*> gDisplays;            // the library's connections
Display* gWindowSystemDisplay = nullptr;
Handler gPrevious = nullptr;                    // for every other connection
thread_local bool tInGuard = false;

int guard(Display* display, XErrorEvent* error) {
  // A host handler that hands errors back to the one it replaced (this
  // guard) must not start a loop.
  if (tInGuard) return 0;
  Handler previous;
  {
    std::lock_guard lock(gMutex);
    if (display == gWindowSystemDisplay || gDisplays.count(display) != 0) {
      auto it = gWatched.find(static_cast<SIM_Window>(error->resourceid));
      if (it != gWatched.end()) it->second = true;
      return 0;
    }
    previous = gPrevious;
  }
  if (!previous) return 0;
  tInGuard = true;
  const int result = previous(display, error);
  tInGuard = false;
  return result;
}

// Xlib's own handler, which a null handler stands for.
Handler defaultHandler() {
  Handler current = XSetErrorHandler(nullptr);
  return XSetErrorHandler(current);
}

void install(bool keepCurrentForOthers) {
  Display* display = glfwGetX11Display();
  Handler current = XSetErrorHandler(guard);
  if (keepCurrentForOthers && current != guard && !current) current = defaultHandler();
  std::lock_guard lock(gMutex);
  if (display) gWindowSystemDisplay = display;
  if (keepCurrentForOthers && current != guard) gPrevious = current;
}

}  // namespace

std::shared_mutex& xHandlerLock() {
  static std::shared_mutex lock;
  return lock;
}

WindowSystemCall::WindowSystemCall() : lock_(xHandlerLock()) { install(true); }

// Whatever the call left installed (the default handler, or the window
// system's own) is not the host's: it is not kept.
WindowSystemCall::~WindowSystemCall() { install(false); }

void uninstallXErrorGuard() {
  std::unique_lock exclusive(xHandlerLock());
  Handler current = XSetErrorHandler(nullptr);
  std::lock_guard lock(gMutex);
  XSetErrorHandler(current == guard ? gPrevious : current);
}

void watchDisplay(void* display) {
  std::lock_guard lock(gMutex);
  gDisplays.insert(display);
}

void forgetDisplay(void* display) {
  std::lock_guard lock(gMutex);
  gDisplays.erase(display);
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

void markWindowLost(SIM_Window window) {
  std::lock_guard lock(gMutex);
  if (auto it = gWatched.find(window); it != gWatched.end()) it->second = true;
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
