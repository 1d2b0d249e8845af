// Exports on a running view, applied by the render thread at its frames: a
// standard view asked for before there is anything to see is kept until a
// stock appears; pan, rotate and the host camera record move the pose;
// removed geometries leave.
#include <gtest/gtest.h>

#include "korvane/Korvane.h"
#include "stock/StockModel.h"
#include "support/EventRecorder.h"
#include "support/HeadlessView.h"
#include "support/ViewJobs.h"
#include "view/Render.h"

namespace {

using RunningView = testsupport::HeadlessViewTest;

TEST_F(RunningView, AViewAskedForEarlyWaitsForTheStock) {
  const glm::dvec3 initial = view->camera().pose().direction;
  ASSERT_EQ(SIM_SetView(view, 3), 0);  // front
  onRenderThread([] { return 0; });
  onRenderThread([] { return 0; });
  EXPECT_EQ(view->camera().pose().direction, initial) << "nothing to see yet";

  ASSERT_EQ(SIM_CreateStock(view, testsupport::boxStock(1, {0, 0, 0}, {10, 20, 30})), 0);
  camera::Camera::Pose pose{};
  testsupport::waitUntil(
      [&] {
        onRenderThread([] { return 0; });
        pose = view->camera().pose();
        return !view->camera().transitionRunning() && glm::distance(pose.direction, glm::dvec3(0, 0, -1)) < 1e-9;
      },
      std::chrono::seconds(5));
  EXPECT_NEAR(glm::distance(pose.direction, glm::dvec3(0, 0, -1)), 0, 1e-9);
  // The box 10 x 20 x 30 (machine) is 10 x 30 x 20 in the display frame,
  // machine y running along display -z: the front view centres on it.
  EXPECT_NEAR(pose.eye.x, 5, 1e-6);
  EXPECT_NEAR(pose.eye.y, 15, 1e-6);
  EXPECT_DOUBLE_EQ(pose.orthoSize, 30);

  EXPECT_EQ(SIM_PanView(view, 0.0, 0.0), 0);
  EXPECT_EQ(view->camera().pose().eye, pose.eye) << "a zero pan changes nothing";
  EXPECT_EQ(SIM_PanView(view, 0.5, 0.0), 0);
  EXPECT_GT(glm::distance(view->camera().pose().eye, pose.eye), 1.0);
  EXPECT_EQ(SIM_RotateView(view, 0.0, 30.0), 0);
  EXPECT_GT(glm::distance(view->camera().pose().direction, pose.direction), 0.4);
}

TEST_F(RunningView, HostCameraRecordAndProjection) {
  SIM_CameraRecord record{};
  record.up[2] = 1;
  record.viewNormal[1] = -1;
  record.size[0] = 160;
  record.size[1] = 90;
  ASSERT_EQ(SIM_SetCamera(view, &record), 0);
  const camera::Camera::Pose pose = view->camera().pose();
  const double aspect = double(view->framebufferWidth()) / view->framebufferHeight();
  EXPECT_DOUBLE_EQ(pose.orthoSize, (160 / aspect + 90) / 2);
  EXPECT_NEAR(glm::distance(pose.direction, glm::dvec3(0, 0, -1)), 0, 1e-12);
  EXPECT_EQ(SIM_SetCamera(view, nullptr), -1);
  SIM_CameraRecord empty = record;
  empty.size[0] = empty.size[1] = 0;
  EXPECT_EQ(SIM_SetCamera(view, &empty), -1) << "nothing to show";
  SIM_CameraRecord along = record;
  along.up[2] = 0, along.up[1] = -1;  // up along the normal
  EXPECT_EQ(SIM_SetCamera(view, &along), -1);
  EXPECT_DOUBLE_EQ(view->camera().pose().orthoSize, pose.orthoSize) << "the pose stays";
  EXPECT_EQ(SIM_SetProjection(view, 1), 0);
  EXPECT_TRUE(view->camera().pose().perspective);
  EXPECT_EQ(SIM_SetProjection(view, 0), 0);
  EXPECT_FALSE(view->camera().pose().perspective);
}

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

}  // namespace
