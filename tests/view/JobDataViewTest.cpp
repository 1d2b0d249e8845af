// Job data on a running view: what the render thread applies at its frames.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "korvane/Korvane.h"
#include "support/HeadlessView.h"

namespace {

using RunningView = testsupport::HeadlessViewTest;

SIM_GeometryRecord named(const char* name) {
  SIM_GeometryRecord g = SIM_GetGeometry(nullptr, "");
  std::strncpy(g.name, name, sizeof g.name - 1);
  return g;
}

}  // namespace

TEST_F(RunningView, RemovedGeometriesLeaveAtTheNextFrame) {
  EXPECT_EQ(SIM_RemoveGeometry(view, "fixture"), 0);  // nothing to remove yet
  SIM_GeometryRecord list[] = {named("fixture"), named("part")};
  ASSERT_EQ(SIM_CreateGeometries(view, {list, 2}, true), 0);
  ASSERT_EQ(SIM_RemoveGeometry(view, "fixture"), 0);
  ASSERT_EQ(SIM_RemoveGeometry(view, "not there"), 0);
  SIM_GeometryList now = SIM_GetGeometries(view);
  for (int i = 0; i < 200 && now.count != 1; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    now = SIM_GetGeometries(view);
  }
  ASSERT_EQ(now.count, 1u);
  EXPECT_STREQ(now.geometries[0].name, "part");
}
