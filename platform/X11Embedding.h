#pragma once
// Embedding a view's window into a host window on X11.
#include <cstdint>

#include "korvane/Korvane.h"

struct GLFWwindow;

namespace platform {

struct WindowSize {
  int width = 0;
  int height = 0;
};

// The X11 window id of a GLFW window (0 when there is none).
SIM_Window nativeWindow(GLFWwindow* window);

// The GLX drawable of a GLFW window's context (0 when there is none).
SIM_Window drawableOf(GLFWwindow* window);

// Size of a host window's client area; zero when the window does not exist.
WindowSize hostWindowSize(SIM_Window window);

// Moves `window` into `parent` at the origin, sizes it to the parent's
// client area, maps it and gives it the input focus once it is viewable.
// These functions use the window system's connection: call them with the
// GLFW lock held.
bool embedIntoParent(GLFWwindow* window, SIM_Window parent);

// Whether window still exists, asked of the X server (a round trip).
bool windowExists(SIM_Window window);

// Destroys a window that may have been embedded: moved back to the root
// window first when it still exists, errors about it already being gone ignored.
void destroyWindow(GLFWwindow* window, bool embedded);

}  // namespace platform
