#pragma once
// GLFW keeps process-wide state (window hints, the window list, the event
// queue of the display) that it does not guard itself. Every render thread
// takes this lock around calls that touch that state: hints and window
// creation, destruction, event polling (whose callbacks may then run for any
// view) and input-state reads.
#include <mutex>

namespace platform {

std::recursive_mutex& glfwLock();

}  // namespace platform
