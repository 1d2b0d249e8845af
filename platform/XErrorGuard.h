#pragma once
// X errors. The library's X connections (the window system's and those of
// the offscreen host windows) carry only the library's requests, and an
// error on them must never end the host process, as Xlib's default handler
// would: a host may destroy its window, and with it a view's embedded
// window, before it closes the view. The guard is a process-wide error
// handler that ignores errors on the library's connections, marks the
// watched windows they name as lost, and passes errors on every other
// connection to the handler that was installed before it.
//
// The window system resets the error handler to Xlib's default while it
// creates windows. Such calls run inside a WindowSystemCall, which holds the
// handler lock exclusively; X traffic on other threads (drawing, swapping,
// offscreen presents) holds it shared, so that no error of theirs can meet
// the default handler.
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <shared_mutex>

#include "korvane/Korvane.h"

namespace platform {

std::shared_mutex& xHandlerLock();

// Around a window-system call that may reset the error handler; take the
// GLFW lock first. Installs the guard before (keeping the handler that was
// there for other connections) and again after the call.
class WindowSystemCall {
 public:
  WindowSystemCall();
  ~WindowSystemCall();
  WindowSystemCall(const WindowSystemCall&) = delete;
  WindowSystemCall& operator=(const WindowSystemCall&) = delete;

 private:
  std::unique_lock<std::shared_mutex> lock_;
};

// X traffic that may meet errors while another thread creates a window.
using XTraffic = std::shared_lock<std::shared_mutex>;
inline XTraffic xTraffic() { return XTraffic(xHandlerLock()); }

// Puts the handler that was there before the guard back (window-system shutdown).
void uninstallXErrorGuard();

void watchDisplay(void* display);
void forgetDisplay(void* display);

void watchWindow(SIM_Window window);
void forgetWindow(SIM_Window window);
bool windowLost(SIM_Window window);
void markWindowLost(SIM_Window window);
size_t watchedWindowCount();

}  // namespace platform
