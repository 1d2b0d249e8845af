#pragma once
// GLFW keeps process-wide state (window hints, the window list, the event
// queue of the display) that it does not guard itself. Every render thread
// takes this lock around calls that touch that state: hints and window
// creation, destruction, event polling (whose callbacks may then run for any
// view) and input-state reads.
//
// GLFW documents window creation, destruction and event polling as calls for
// the thread that initialised it. Each view here owns its window on its own
// render thread, which the X11 backend supports once these calls are
// serialised by this lock; a backend that needs the main thread would route
// them there instead. Initialisation and termination stay on the host's
// thread (SIM_InitOpenGL, SIM_TerminateOpenGL and the last SIM_CloseView).
#include <mutex>

namespace platform {

std::recursive_mutex& glfwLock();

}  // namespace platform
