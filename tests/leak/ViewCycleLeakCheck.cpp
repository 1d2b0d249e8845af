// Views created and closed in a loop, two at a time. Built with
// LeakSanitizer: any heap block the library loses fails the run at exit.
#include <gtest/gtest.h>

#include <dirent.h>

#include <thread>

#include "Korvane.h"
#include "gpu/ProgramCache.h"
#include "gpu/SSBO.h"

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

TEST(ViewCycles, TwentyRoundsOfTwoViewsLeaveNothingBehind) {
  ASSERT_EQ(SIM_InitOpenGL(), 1);
  // One round first, so threads the driver keeps for the process exist.
  Render* warm = SIM_CreateView(0, true);
  ASSERT_NE(warm, nullptr);
  SIM_CloseView(warm);
  const int threadsBefore = threadCount();
  const int64_t buffersBefore = gpu::SSBO::liveCount();

  for (int round = 0; round < 20; ++round) {
    Render* a = SIM_CreateView(0, true);
    Render* b = SIM_CreateView(0, round % 2 == 0);  // every other one without waiting
    ASSERT_NE(a, nullptr) << round;
    ASSERT_NE(b, nullptr) << round;
    SIM_Window window = 0;
    EXPECT_EQ(SIM_GetWindowHandle(b, &window), 0);
    EXPECT_EQ(SIM_CloseView(a), 0);
    EXPECT_EQ(SIM_CloseView(b), 0);
  }

  EXPECT_EQ(threadCount(), threadsBefore);
  EXPECT_EQ(gpu::SSBO::liveCount(), buffersBefore);
  EXPECT_EQ(gpu::renderProgramCache().programCount(), 0u);
  EXPECT_EQ(gpu::algoProgramCache().programCount(), 0u);
  EXPECT_EQ(SIM_TerminateOpenGL(), 0);
}

}  // namespace
