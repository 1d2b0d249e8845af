#pragma once
// Signals for developers, built in by the debug build type only
// (KORVANE_GL_DEBUG): the driver's debug messages of the current context go
// to standard error. What a host sees does not change.
namespace gpu {

// Render thread, with a debug context current; does nothing in other builds.
void routeDebugOutputToStandardError();

}  // namespace gpu
