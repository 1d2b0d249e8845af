#pragma once
// Keys of X11 key events in the GLFW numbering the rest of the view uses.
#include <cstdint>

namespace platform {

// The GLFW key code of an unshifted keysym; -1 (unknown) for keys GLFW has no code for.
int glfwKeyFromKeysym(unsigned long keysym);
// GLFW modifier bits of an X11 event state.
int glfwModsFromState(unsigned int state);
// The character a keysym types, or 0 for keys that type none.
uint32_t codepointFromKeysym(unsigned long keysym);

}  // namespace platform
