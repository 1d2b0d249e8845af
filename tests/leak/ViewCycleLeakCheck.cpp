// Views created and closed in a loop, two at a time: plain, embedded in a
// host window and in offscreen host mode. Built with LeakSanitizer: any heap
// block the library loses fails the run at exit.
#include <gtest/gtest.h>

#include <dirent.h>

#include "Korvane.h"
#include "gpu/ProgramCache.h"
#include "gpu/SSBO.h"
#include "platform/OffscreenTransfer.h"
#include "platform/XErrorGuard.h"
#include "support/X11TestWindow.h"
#include "view/ProcessState.h"

namespace {

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
  SIM_Window window = 0;
  EXPECT_EQ(SIM_GetWindowHandle(b, &window), 0);
  EXPECT_EQ(SIM_CloseView(a), 0);
  EXPECT_EQ(SIM_CloseView(b), 0);
}

TEST(ViewCycles, TwentyRoundsOfTwoViewsLeaveNothingBehind) {
  ASSERT_EQ(SIM_InitOpenGL(), 1);
  testsupport::X11TestWindow host(320, 240);
  ASSERT_TRUE(host.ok());
  // One round first, so threads the driver keeps for the process exist.
  openAndCloseTwo(0, 0);
  const int threadsBefore = threadCount();
  const int64_t buffersBefore = gpu::SSBO::liveCount();

  for (int round = 0; round < 21; ++round) {
    const int kind = round % 3;  // plain, embedded, offscreen host mode
    SIM_Hint(SIM_HINT_OFFSCREEN_HOST, kind == 2 ? 1 : 0);
    openAndCloseTwo(kind == 0 ? 0 : host.id(), round);
  }
  SIM_Hint(SIM_HINT_OFFSCREEN_HOST, 0);

  EXPECT_EQ(threadCount(), threadsBefore);
  EXPECT_EQ(view::openViewCount(), 0u);
  EXPECT_EQ(gpu::SSBO::liveCount(), buffersBefore);
  EXPECT_EQ(platform::OffscreenTransfer::liveCount(), 0);
  EXPECT_EQ(platform::watchedWindowCount(), 0u);
  EXPECT_EQ(gpu::renderProgramCache().programCount(), 0u);
  EXPECT_EQ(gpu::algoProgramCache().programCount(), 0u);
  EXPECT_EQ(SIM_TerminateOpenGL(), 0);
}

}  // namespace
