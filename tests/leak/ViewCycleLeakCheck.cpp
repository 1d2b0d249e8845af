// Views created and closed in a loop, two at a time: plain, embedded in a
// host window and in offscreen host mode. Built with LeakSanitizer: any heap
// block the library loses fails the run at exit.
#include <gtest/gtest.h>

#include <dirent.h>
#include <dlfcn.h>

#include <chrono>
#include <thread>
#include <utility>

#include "korvane/Korvane.h"
#include "gpu/ProgramCache.h"
#include "gpu/SSBO.h"
#include "platform/OffscreenTransfer.h"
#include "platform/XErrorGuard.h"
#include "support/ViewJobs.h"
#include "support/PrivateDisplay.h"
#include "support/X11TestWindow.h"
#include "view/ProcessState.h"

namespace {

// The window system unloads the OpenGL driver when it ends; the driver's own
// process-lifetime allocations would then be reported from an unknown module
// that no suppression can name. Kept loaded, they are reported by name.
void keepDriverLoaded() {
  for (const char* library : {"libGLX_mesa.so.0", "libgallium_dri.so", "swrast_dri.so"})
    dlopen(library, RTLD_NOW | RTLD_NODELETE);
  dlopen("/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", RTLD_NOW | RTLD_NODELETE);
}

int threadCount();

// Threads of views that closed themselves end on their own, a little later:
// on a loaded machine (a sanitizer build beside other tests) a quarter of a
// second may pass between two of their last steps, so the count must hold
// for longer than that.
int settledThreadCount() {
  int count = threadCount();
  for (int stable = 0, i = 0; stable < 40 && i < 1500; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const int now = threadCount();
    stable = now == count ? stable + 1 : 0;
    count = now;
  }
  return count;
}

int threadCount() {
  int count = 0;
  if (DIR* dir = opendir("/proc/self/task")) {
    while (dirent* entry = readdir(dir))
      if (entry->d_name[0] != '.') ++count;
    closedir(dir);
  }
  return count;
}

void openAndCloseTwo(SIM_Window host, int round) {
  Render* a = SIM_CreateView(host, true);
  Render* b = SIM_CreateView(host, round % 2 == 0);  // every other one without waiting
  ASSERT_NE(a, nullptr) << round;
  ASSERT_NE(b, nullptr) << round;
  // Stock lattices go with their views, built or not.
  EXPECT_EQ(SIM_CreateStock(a, testsupport::boxStock(0, 10)), 0);
  EXPECT_EQ(SIM_CreateStock(b, testsupport::boxStock(0, 10)), 0);
  if (round % 3 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(150));
  SIM_Window window = 0;
  EXPECT_EQ(SIM_GetWindowHandle(b, &window), 0);
  EXPECT_EQ(SIM_CloseView(a), 0);
  EXPECT_EQ(SIM_CloseView(b), 0);
}

// The user closes an embedded view's window and the host closes the view
// from its handler of the closing event, on the view's own render thread.
void closeFromItsOwnThread(testsupport::X11TestWindow& host) {
  struct Context {
    Render* view = nullptr;
  } context;
  SIM_SetMessageHandler(
      host.id(),
      [](void* c, SIM_Window, uint32_t message, uint64_t wparam, int64_t) {
        auto* ctx = static_cast<Context*>(c);
        if (message == SIM_MESSAGE_NOTIFY && wparam == SIM_EVENT_VIEW_CLOSING && ctx->view)
          SIM_CloseView(std::exchange(ctx->view, nullptr));
      },
      &context);
  context.view = SIM_CreateView(host.id(), true);
  ASSERT_NE(context.view, nullptr);
  SIM_Window window = 0;
  SIM_GetWindowHandle(context.view, &window);
  host.sendCloseRequest(window);
  for (int i = 0; i < 2000 && view::openViewCount() != 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(view::openViewCount(), 0u);
  SIM_SetMessageHandler(host.id(), nullptr, nullptr);
}

TEST(ViewCycles, TwentyRoundsOfTwoViewsLeaveNothingBehind) {
  // Its windows counted on a server no other test shares.
  const testsupport::PrivateDisplay display;
  ASSERT_TRUE(display.ok()) << "no Xvfb";
  keepDriverLoaded();
  ASSERT_EQ(SIM_InitOpenGL(), 1);
  testsupport::X11TestWindow host(320, 240);
  ASSERT_TRUE(host.ok());
  // One round of each first, so threads the driver keeps for the process and
  // the message dispatcher exist.
  openAndCloseTwo(0, 0);
  closeFromItsOwnThread(host);
  const int threadsBefore = settledThreadCount();
  const int64_t buffersBefore = gpu::SSBO::liveCount();
  const int topLevelWindowsBefore = host.childCount(0);

  for (int round = 0; round < 21; ++round) {
    const int kind = round % 3;  // plain, embedded, offscreen host mode
    SIM_Hint(SIM_HINT_OFFSCREEN_HOST, kind == 2 ? 1 : 0);
    openAndCloseTwo(kind == 0 ? 0 : host.id(), round);
  }
  SIM_Hint(SIM_HINT_OFFSCREEN_HOST, 0);
  for (int round = 0; round < 3; ++round) closeFromItsOwnThread(host);

  EXPECT_EQ(settledThreadCount(), threadsBefore);
  EXPECT_EQ(host.childCount(0), topLevelWindowsBefore) << "windows left on the X server";
  EXPECT_EQ(host.childCount(host.id()), 0) << "windows left inside the host";
  EXPECT_EQ(view::openViewCount(), 0u);
  EXPECT_EQ(gpu::SSBO::liveCount(), buffersBefore);
  EXPECT_EQ(platform::OffscreenTransfer::liveCount(), 0);
  EXPECT_EQ(platform::watchedWindowCount(), 0u);
  EXPECT_EQ(gpu::renderProgramCache().programCount(), 0u);
  EXPECT_EQ(gpu::algoProgramCache().programCount(), 0u);
  EXPECT_EQ(SIM_TerminateOpenGL(), 0);
}

}  // namespace
