#include "view/ProcessState.h"

#include <GLFW/glfw3.h>

#include <atomic>
#include <mutex>

#include "platform/GlfwLock.h"
#include "platform/XErrorGuard.h"

namespace view {
namespace {

// Ends the window system; the X error handler the library put in place goes
// with it. glfwTerminate must run on the thread that called glfwInit.
void shutDownWindowSystem() {
  std::lock_guard glfw(platform::glfwLock());
  glfwTerminate();
  platform::uninstallXErrorGuard();
}

std::mutex gInitMutex;
uint32_t gReferences = 0;
uint32_t gOpenViews = 0;
bool gTerminatePending = false;  // the last reference went while views were open
std::atomic<uint64_t> gGeneration{0};
constexpr uint32_t kHintCount = 5;
std::atomic<uint8_t> gHints[kHintCount] = {0, 0, 0, 0, 0};

}  // namespace

int32_t initWindowSystem() {
  std::lock_guard lock(gInitMutex);
  if (gReferences != 0) return static_cast<int32_t>(++gReferences);
  if (gTerminatePending) {  // still up: the open views kept it
    gTerminatePending = false;
    ++gReferences;
    return 1;
  }
  const int result = glfwInit();
  ++gGeneration;
  ++gReferences;  // counted whatever glfwInit answered, so terminate stays paired
  return result;
}

int32_t terminateWindowSystem() {
  std::lock_guard lock(gInitMutex);
  if (gReferences == 0 || --gReferences == 0) {
    if (gOpenViews == 0)
      shutDownWindowSystem();
    else
      gTerminatePending = true;
  }
  return static_cast<int32_t>(gReferences);
}

void viewOpened() {
  std::lock_guard lock(gInitMutex);
  ++gOpenViews;
}

uint32_t openViewCount() {
  std::lock_guard lock(gInitMutex);
  return gOpenViews;
}

void viewClosed() {
  std::lock_guard lock(gInitMutex);
  if (gOpenViews > 0 && --gOpenViews == 0 && gTerminatePending) {
    gTerminatePending = false;
    shutDownWindowSystem();
  }
}

uint32_t windowSystemReferences() {
  std::lock_guard lock(gInitMutex);
  return gReferences;
}

uint64_t windowSystemGeneration() { return gGeneration.load(); }

void setHint(uint32_t hint, int32_t value) {
  if (hint < kHintCount) gHints[hint] = value >= 1 ? 1 : 0;
}

CreationHints currentHints() {
  return {gHints[0] != 0, gHints[1] != 0, gHints[2] != 0, gHints[3] != 0, gHints[4] != 0};
}

}  // namespace view
