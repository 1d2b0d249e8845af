// The camera's pose arithmetic: standard views and transitions, clip
// planes, the split matrix, pan, rotate, pan to cursor, zoom limits and the
// host camera record.
#include <gtest/gtest.h>

#include <cmath>

#include <glm/geometric.hpp>

#include "camera/Camera.h"

namespace {

using camera::Camera;
using camera::SceneBox;
using camera::StandardView;

SceneBox box(glm::vec3 min, glm::vec3 max) { return {min, max}; }

bool finite(const glm::dmat4& m) {
  for (int c = 0; c < 4; ++c)
    for (int r = 0; r < 4; ++r)
      if (!std::isfinite(m[c][r])) return false;
  return true;
}

glm::dvec3 toNdc(const glm::dmat4& projView, const glm::dvec3& p) {
  const glm::dvec4 clip = projView * glm::dvec4(p, 1.0);
  return glm::dvec3(clip) / clip.w;
}

glm::dvec3 fromNdc(const glm::dmat4& inverse, const glm::dvec3& ndc) {
  const glm::dvec4 p = inverse * glm::dvec4(ndc, 1.0);
  return glm::dvec3(p) / p.w;
}

TEST(CameraTest, StandardViewsFitTheBoxAndTransitionsArrive) {
  Camera camera(800, 600);
  const SceneBox part = box({0, 0, 0}, {40, 20, 10});
  const Camera::Pose before = camera.pose();
  EXPECT_FALSE(camera.setView(StandardView::Front, SceneBox{}, false)) << "an empty box";
  EXPECT_FALSE(camera.setView(StandardView::Front, box({1, 0, 0}, {0, 1, 1}), false)) << "an inverted box";
  EXPECT_FALSE(camera.setView(static_cast<StandardView>(12), part, false)) << "an unknown code";
  EXPECT_EQ(camera.pose().eye, before.eye);

  ASSERT_TRUE(camera.setView(StandardView::Front, part, false));
  const double distance = static_cast<float>(20 / std::tan(glm::radians(22.5)));
  Camera::Pose pose = camera.pose();
  EXPECT_NEAR(glm::distance(pose.eye, glm::dvec3(20, 10, 5 + distance)), 0, 1e-9);
  EXPECT_NEAR(glm::distance(pose.direction, glm::dvec3(0, 0, -1)), 0, 1e-12);
  EXPECT_DOUBLE_EQ(pose.orthoSize, 40);

  // Animated to the top view: on the way the pose stays a rotation about the
  // centre; at the end it is the target exactly.
  ASSERT_TRUE(camera.setView(StandardView::Top, part, true));
  EXPECT_TRUE(camera.advanceTransition(1.0));
  pose = camera.pose();
  EXPECT_NEAR(glm::length(pose.direction), 1, 1e-12);
  EXPECT_NEAR(glm::distance(pose.eye, glm::dvec3(20, 10, 5)), distance, 1e-6) << "orbits the centre";
  int frames = 1;
  while (camera.advanceTransition(1.0)) ++frames;
  EXPECT_EQ(frames, 10);
  pose = camera.pose();
  EXPECT_NEAR(glm::distance(pose.direction, glm::dvec3(0, -1, 0)), 0, 1e-12);
  EXPECT_EQ(pose.up, glm::dvec3(0, 1, -0.001)) << "the top view's up keeps the look-at defined";
  EXPECT_TRUE(finite(camera.projView()));
}

TEST(CameraTest, LookingAlongUpNeverDegenerates) {
  Camera camera(800, 600);
  camera.setKeepHorizonLevel(false);
  camera::HostCamera host;
  host.up = {0, 1, 1e-5};
  host.viewNormal = {0, 1, 0};  // looking all but straight down the up vector
  host.size = {10, 10};
  ASSERT_TRUE(camera.setHostCamera(host, glm::dmat3(1.0), glm::dvec3(0.0)));
  EXPECT_TRUE(finite(camera.projView()));
  EXPECT_TRUE(finite(camera.inverseProjView()));
  EXPECT_NE(camera.pose().direction.z, 0.0) << "the direction is nudged off the up vector";
}

TEST(CameraTest, FittingAndZoomingKeepTheRoll) {
  // A lathe's view: Z across, the horizon free.
  Camera camera(800, 600);
  camera.setKeepHorizonLevel(false);
  camera::HostCamera host;
  host.up = {-1, 0, 0};
  host.viewNormal = {0, 0, 1};
  host.size = {10, 10};
  ASSERT_TRUE(camera.setHostCamera(host, glm::dmat3(1.0), glm::dvec3(0.0)));
  const SceneBox part = box({-20, -20, -100}, {20, 20, 0});
  for (StandardView code : {StandardView::Fit, StandardView::ZoomToSelection}) {
    ASSERT_TRUE(camera.setView(code, part, false));
    EXPECT_NEAR(glm::distance(camera.pose().up, glm::dvec3(-1, 0, 0)), 0, 1e-9) << int(code);
    EXPECT_NEAR(glm::distance(camera.pose().direction, glm::dvec3(0, 0, -1)), 0, 1e-9) << int(code);
  }
}

TEST(CameraTest, ClipPlanesFollowTheScene) {
  Camera camera(800, 600);
  camera.update(0, 0);
  Camera::Pose pose = camera.pose();
  EXPECT_DOUBLE_EQ(pose.sceneSize, 100);
  EXPECT_DOUBLE_EQ(pose.nearPlane, 0.1);
  EXPECT_DOUBLE_EQ(pose.farPlane, 100);
  camera.update(250, 80);
  pose = camera.pose();
  EXPECT_DOUBLE_EQ(pose.sceneSize, 80) << "a real scene replaces the default size";
  EXPECT_DOUBLE_EQ(pose.maxOrthoSize, 40000);
  EXPECT_DOUBLE_EQ(pose.farPlane, 1.1 * 250 + 80);
  EXPECT_DOUBLE_EQ(pose.nearPlane, 200);

  // A 150-unit part seen from 180 away: a pan or a resize between frames
  // must not fall back to a 100-unit scene and clip it.
  Camera near(800, 600);
  near.setProjection(true);
  const SceneBox part = box({-75, -75, -75}, {75, 75, 75});
  near.setView(StandardView::Front, part, false);
  near.updateForScene(part);
  const double farPlane = near.pose().farPlane;
  EXPECT_GT(farPlane, glm::distance(near.pose().eye, glm::dvec3(0.0)) + 75);
  near.setViewport(640, 480);
  near.pan(0.01, 0.0);
  EXPECT_NEAR(near.pose().farPlane, farPlane, 1.0);
  EXPECT_FALSE(near.setView(StandardView::Front, box({1, 1, 1}, {1, 1, 1}), false)) << "a point has no size";
}

TEST(CameraTest, SplitMatrixKeepsPrecisionFarFromTheOrigin) {
  Camera camera(1600, 900);
  camera.setProjection(true);
  const glm::vec3 corner(10000.0f, 0.0f, 0.0f);  // 10 m out, in millimetres
  camera.setView(StandardView::Isometric, box(corner, corner + glm::vec3(50.0f)), false);
  const glm::dmat4 exact = camera.projView();
  const glm::dmat4 split = glm::dmat4(camera.camHi()) + glm::dmat4(camera.camLo());
  const glm::dmat4 plain = glm::dmat4(glm::mat4(exact));
  double splitError = 0, plainError = 0;
  for (int c = 0; c < 4; ++c)
    for (int r = 0; r < 4; ++r) {
      splitError = std::max(splitError, std::abs(split[c][r] - exact[c][r]));
      plainError = std::max(plainError, std::abs(plain[c][r] - exact[c][r]));
    }
  EXPECT_GT(plainError, 0.0);
  EXPECT_LT(splitError, plainError * 1e-6) << splitError << " against " << plainError;
  // The inverse travels the same way.
  EXPECT_TRUE(std::isfinite(camera.inverseProjView()[3][3]));
}

TEST(CameraTest, PanRotateAndPanToCursor) {
  for (bool perspective : {false, true}) {
    Camera camera(1000, 500);
    camera.setProjection(perspective);
    camera.setView(StandardView::Isometric, box({0, 0, 0}, {100, 50, 30}), false);
    const Camera::Pose start = camera.pose();
    EXPECT_FALSE(camera.pan(0.0, 0.0));
    EXPECT_FALSE(camera.rotate(0.0, 0.0));
    EXPECT_EQ(camera.pose().eye, start.eye);
    EXPECT_TRUE(camera.pan(0.1, -0.2));
    EXPECT_GT(glm::distance(camera.pose().eye, start.eye), 0.0);
    EXPECT_EQ(camera.pose().direction, start.direction) << "a pan only moves the eye";

    // The pivot stays exactly under the cursor.
    const glm::dvec3 pivot(30, 20, 10);
    camera.choosePivot(pivot, {0.2, -0.4});
    camera.panToCursor(700, 400);
    const glm::dvec3 ndc = toNdc(camera.projView(), pivot);
    EXPECT_NEAR(ndc.x, 2 * 700.0 / 1000 - 1, 1e-9);
    EXPECT_NEAR(ndc.y, 1 - 2 * 400.0 / 500, 1e-9);

    // Rotating orbits the pivot: its distance from the eye and its place on
    // the screen stay.
    camera.choosePivot(pivot, {ndc.x, ndc.y});
    const double radius = glm::distance(camera.pose().eye, pivot);
    ASSERT_TRUE(camera.rotate(10, 25));
    if (perspective) {
      EXPECT_NEAR(glm::distance(camera.pose().eye, pivot), radius, 1e-6 * radius);
    }
    EXPECT_GT(glm::distance(camera.pose().direction, start.direction), 0.1);
    const glm::dvec3 after = toNdc(camera.projView(), pivot);
    EXPECT_NEAR(after.x, ndc.x, 1e-9);
    EXPECT_NEAR(after.y, ndc.y, 1e-9);
  }
}

TEST(CameraTest, RotatingOverThePoleTurnsUpAround) {
  Camera camera(800, 600);
  camera.setView(StandardView::Front, box({-10, -10, -10}, {10, 10, 10}), false);
  const glm::dvec3 up = camera.pose().up;
  camera.rotate(-60, 0);
  EXPECT_EQ(camera.pose().up, up) << "still on this side of the pole";
  camera.rotate(-60, 0);  // 120 degrees down from level: past the pole
  EXPECT_EQ(camera.pose().up, -up);
}

TEST(CameraTest, ZoomStopsAtItsLimits) {
  Camera camera(800, 600);
  const SceneBox scene = box({0, 0, 0}, {10, 10, 10});
  camera.setView(StandardView::Front, scene, false);
  camera.updateForScene(scene);
  const double sceneSize = camera.pose().sceneSize;
  camera.choosePivot({5, 5, 5}, {0, 0});
  for (int i = 0; i < 200; ++i) camera.zoom(3);
  camera.advanceTransition(1.0);
  EXPECT_DOUBLE_EQ(camera.pose().orthoSize, Camera::kMinOrthoSize);
  for (int i = 0; i < 300; ++i) camera.zoom(-3);
  camera.zoom(1);  // completes the last transition
  camera.zoom(-1);
  while (camera.advanceTransition(1.0)) {
  }
  EXPECT_NEAR(camera.pose().orthoSize, 500 * sceneSize, 1e-6 * sceneSize);

  camera.setProjection(true);
  for (int steps : {1, -1}) {
    double nearest = 1e300, farthest = 0;
    for (int i = 0; i < 400; ++i) {
      camera.zoom(steps * 2);
      while (camera.advanceTransition(1.0)) {
      }
      const double d = glm::distance(camera.pose().eye, camera.pivot());
      nearest = std::min(nearest, d), farthest = std::max(farthest, d);
    }
    if (steps > 0) {
      EXPECT_NEAR(nearest, 0.01, 1e-6);
    } else {
      EXPECT_NEAR(farthest, 15000, 1e-6);
    }
    EXPECT_GE(nearest, 0.01 - 1e-9);
    EXPECT_LE(farthest, 15000 + 1e-9);
  }
}

TEST(CameraTest, OrthoSizeSpansTheShorterSide) {
  for (auto [width, height] : {std::pair{400, 900}, std::pair{900, 400}}) {
    Camera camera(width, height);
    camera.setView(StandardView::Front, box({0, 0, 0}, {30, 30, 30}), false);
    const glm::dmat4 inverse = camera.inverseProjView();
    const double across = glm::distance(fromNdc(inverse, {-1, 0, 0}), fromNdc(inverse, {1, 0, 0}));
    const double upright = glm::distance(fromNdc(inverse, {0, -1, 0}), fromNdc(inverse, {0, 1, 0}));
    EXPECT_NEAR(std::min(across, upright), 30, 1e-9) << width << " x " << height;
    EXPECT_NEAR(std::max(across, upright) / std::min(across, upright), 900.0 / 400, 1e-9);
  }
}

TEST(CameraTest, HostCameraRecord) {
  Camera camera(800, 400);
  camera::HostCamera host;
  host.up = {0, 0, 1};          // host Z up
  host.viewNormal = {0, -1, 0};  // looking along host +Y
  host.offset = {3, 4};
  host.size = {40, 10};
  // The default axis transformation: -90 degrees about X.
  const glm::dmat3 axes(glm::dvec3(1, 0, 0), glm::dvec3(0, 0, -1), glm::dvec3(0, 1, 0));
  EXPECT_TRUE(camera.setHostCamera(host, axes, glm::dvec3(0.0)));
  const Camera::Pose pose = camera.pose();
  EXPECT_NEAR(glm::distance(pose.direction, glm::dvec3(0, 0, -1)), 0, 1e-12);
  EXPECT_EQ(pose.up, glm::dvec3(0, 1, -0.001)) << "held level";
  EXPECT_DOUBLE_EQ(pose.orthoSize, (40.0 / 2 + 10) / 2);
  // The offset runs along the screen's own axes; the eye stands orthoSize back.
  const glm::dvec3 right = glm::normalize(glm::cross(pose.direction, pose.up));
  EXPECT_NEAR(glm::dot(pose.eye, right), 3, 1e-12);
  EXPECT_NEAR(glm::dot(pose.eye, glm::cross(right, pose.direction)), 4, 1e-12);
  EXPECT_NEAR(glm::dot(pose.eye, pose.direction), -pose.orthoSize, 1e-12);
  EXPECT_FALSE(camera.setHostCamera(host, axes, glm::dvec3(0.0))) << "the same record changes nothing";
  camera::HostCamera nothing = host;
  nothing.size = {0, 0};
  EXPECT_FALSE(camera.setHostCamera(nothing, axes, glm::dvec3(0.0)));
  EXPECT_EQ(camera.pose().eye, pose.eye);
  EXPECT_TRUE(finite(camera.projView()));
}

}  // namespace
