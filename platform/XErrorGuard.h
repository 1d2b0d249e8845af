#pragma once
// A view embedded in a host window loses its window when the host destroys
// its own window first; the X server then answers the view's drawing with
// errors, which Xlib's default handler turns into an exit of the process.
// The guard is a process-wide error handler that ignores errors about the
// windows it watches, marks those windows lost, and passes every other error
// on to the handler that was there before.
#include <cstddef>
#include <cstdint>

#include "Korvane.h"

namespace platform {

// The error handler installed now (opaque), to be passed on by the guard.
using XErrorHandlerRef = void*;
XErrorHandlerRef currentXErrorHandler();

// (Re)installs the guard. The window system resets the error handler to
// Xlib's default while it creates windows, which would lose a host's own
// handler: take it with currentXErrorHandler before such calls and give it
// here. Call with the GLFW lock held.
void installXErrorGuard(XErrorHandlerRef before = nullptr);

// Connections whose errors about watched windows are ignored; the window
// system's own connection always is one.
void watchDisplay(void* display);
void forgetDisplay(void* display);

void watchWindow(SIM_Window window);
void forgetWindow(SIM_Window window);
bool windowLost(SIM_Window window);
size_t watchedWindowCount();

}  // namespace platform
