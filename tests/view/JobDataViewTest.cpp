// Job data on a running view: what the render thread applies at its frames.
#include <gtest/gtest.h>

#include "korvane/Korvane.h"
#include "support/EventRecorder.h"
#include "support/HeadlessView.h"
#include "support/ViewJobs.h"

namespace {

using RunningView = testsupport::HeadlessViewTest;

}  // namespace

TEST_F(RunningView, RemovedGeometriesLeaveAtTheNextFrame) {
  EXPECT_EQ(SIM_RemoveGeometry(view, "fixture"), 0);  // nothing to remove yet
  SIM_GeometryRecord list[] = {testsupport::namedGeometry("fixture"), testsupport::namedGeometry("part")};
  ASSERT_EQ(SIM_CreateGeometries(view, {list, 2}, true), 0);
  ASSERT_EQ(SIM_RemoveGeometry(view, "fixture"), 0);
  ASSERT_EQ(SIM_RemoveGeometry(view, "not there"), 0);
  ASSERT_TRUE(testsupport::waitUntil([&] { return SIM_GetGeometries(view).count == 1; }));
  const SIM_GeometryList now = SIM_GetGeometries(view);
  EXPECT_STREQ(now.geometries[0].name, "part");
}
