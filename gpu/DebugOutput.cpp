#include "gpu/DebugOutput.h"

#include <cstdio>

#include "gpu/GL.h"

namespace gpu {

#ifdef KORVANE_GL_DEBUG

namespace {

const char* severityName(GLenum severity) {
  switch (severity) {
    case GL_DEBUG_SEVERITY_HIGH: return "high";
    case GL_DEBUG_SEVERITY_MEDIUM: return "medium";
    case GL_DEBUG_SEVERITY_LOW: return "low";
    default: return "note";
  }
}

void GLAPIENTRY printMessage(GLenum /*source*/, GLenum type, GLuint id, GLenum severity, GLsizei length,
                             const GLchar* message, const void* /*context*/) {
  if (severity == GL_DEBUG_SEVERITY_NOTIFICATION) return;  // driver chatter
  std::fprintf(stderr, "korvane GL [%s, type 0x%x, id %u]: %.*s\n", severityName(severity), type, id,
               static_cast<int>(length), message);
}

}  // namespace

void routeDebugOutputToStandardError() {
  glEnable(GL_DEBUG_OUTPUT);
  // Messages arrive on the call that caused them, so a debugger stops there.
  glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
  glDebugMessageCallback(printMessage, nullptr);
}

#else

void routeDebugOutputToStandardError() {}

#endif

}  // namespace gpu
