#pragma once
// The view's camera: the viewing pose in double precision in the Y-up
// display frame, its clip planes, view and projection matrices, the split of
// projection x view into two float matrices (cam_hi + cam_lo) that keeps
// machine-scale coordinates precise on the GPU, and the moves of the pose:
// standard views, transitions, pan, rotate, zoom and zoom window.
//
// Every public operation takes the camera's lock; host calls, the frame
// loop and mouse navigation may call from their own threads.
#include <cfloat>
#include <cstdint>
#include <atomic>
#include <functional>
#include <mutex>

#include <glm/common.hpp>
#include <glm/gtc/quaternion.hpp>
#include <glm/mat3x3.hpp>
#include <glm/mat4x4.hpp>
#include <glm/vec2.hpp>
#include <glm/ext/vector_int2.hpp>
#include <glm/vec3.hpp>

#include "korvane/Korvane.h"

namespace camera {

// SIM_SetView's codes.
enum class StandardView : int32_t {
  Isometric = SIM_VIEW_ISOMETRIC,
  Top = SIM_VIEW_TOP,
  Bottom = SIM_VIEW_BOTTOM,
  Front = SIM_VIEW_FRONT,
  Back = SIM_VIEW_BACK,
  Left = SIM_VIEW_LEFT,
  Right = SIM_VIEW_RIGHT,
  Fit = SIM_VIEW_FIT,
  FromTool = SIM_VIEW_FROM_TOOL,
  ZoomToSelection = SIM_VIEW_ZOOM_TO_SELECTION,
};

// An axis-aligned box; empty until something is included.
struct SceneBox {
  glm::vec3 min{FLT_MAX}, max{-FLT_MAX};
  bool valid() const { return min.x <= max.x && min.y <= max.y && min.z <= max.z; }
  // Grows to take other in too; an empty box adds nothing.
  void include(const SceneBox& other) {
    if (!other.valid()) return;
    min = glm::min(min, other.min);
    max = glm::max(max, other.max);
  }
};

struct CameraSnapshot {
  double projView[16];  // column-major, widened from its float copy
  int32_t width, height;
  double eye[3];
  double viewNormal[3];  // -direction
  uint8_t perspective;
};

// What the host's camera record says, in host coordinates.
struct HostCamera {
  glm::dvec3 up{0.0, 1.0, 0.0};
  glm::dvec3 viewNormal{0.0, 0.0, 1.0};
  glm::dvec2 offset{0.0};
  glm::dvec2 size{0.0};
};

class Camera {
 public:
  Camera(int width, int height, glm::vec3 eye = {100.0f, 200.0f, 400.0f}, double fieldOfView = 45.0);

  // Clip planes and matrices: d is the signed distance from the eye to the
  // scene (0 when unknown), s the scene's diagonal (0 when unknown).
  void update(double distanceToScene, double sceneDiagonal);
  // The frame loop's per-frame update with the scene box (the stored one
  // when this one is empty); also advances a running transition.
  void updateForScene(const SceneBox& box, double frameFactor = 1.0);
  void setViewport(int width, int height);
  glm::ivec2 viewport() const;

  // The direction the isometric view looks along (display frame); a
  // machine's kind chooses it.
  void setIsometricDirection(const glm::vec3& direction);

  // False (nothing happens) for an invalid box or an unknown code.
  bool setView(StandardView code, const SceneBox& box, bool animate);
  // Looks along direction (display frame) at the whole box, like a
  // standard view; false for an invalid box or a zero direction.
  bool viewAlong(const glm::dvec3& direction, const SceneBox& box, bool animate);
  void setProjection(bool perspective);
  // Both return false and change nothing when both numbers are 0. A pan
  // moves the eye by a along the screen's vertical and by b against its
  // horizontal, in device units (2 = the window's height or width) carried
  // through the inverse projection.
  bool pan(double a, double b);
  bool rotate(double pitchDegrees, double yawDegrees);
  // Cursor in window pixels (y down).
  void panToCursor(double x, double y);
  void choosePivot(const glm::dvec3& pivot, glm::dvec2 screen);
  // The world point at window pixel (x, y), y down, and window depth
  // 0 ... 1; and the other way round: a point's device coordinates and
  // window depth.
  glm::dvec3 worldAtPixel(double x, double y, double windowDepth) const;
  glm::dvec3 deviceOf(const glm::dvec3& world) const;
  // Moves the eye, the pivot and a running transition's goal by shift:
  // the scene slides under an unchanged view direction and distance.
  void follow(const glm::dvec3& shift);
  // Positive steps zoom in, about the pivot.
  void zoom(double steps);
  // Corners as fractions of the window, y up; depthAt(px, py) gives the
  // window depth 0 ... 1 at a pixel (1 where nothing was drawn).
  void zoomWindow(glm::dvec2 corner1, glm::dvec2 corner2, const std::function<double(int, int)>& depthAt);
  // True when the pose changed; a record without a size or with up along the
  // normal changes nothing. axisTransformation turns host vectors into the
  // display frame; origin is the turned workpiece origin.
  bool setHostCamera(const HostCamera& host, const glm::dmat3& axisTransformation, const glm::dvec3& origin);
  void setKeepHorizonLevel(bool on);
  bool keepHorizonLevel() const;
  // What a left drag does: 0 rotates (the start), 1 pans, 2 zooms. Any thread.
  void setMouseMode(uint8_t mode) { mouseMode_ = mode; }
  uint8_t mouseMode() const { return mouseMode_.load(); }
  void setToolAxes(const glm::mat3& axes);

  // One frame of a running transition; false when none runs.
  bool advanceTransition(double frameFactor);
  bool transitionRunning() const;
  // Jumps to the end of a running transition.
  void completeTransition();

  // What drawing needs of the camera for one frame, read under one lock.
  struct DrawState {
    glm::mat4 camHi{1.0f}, camLo{0.0f};
    glm::dvec3 eye{0.0}, direction{0.0, 0.0, -1.0};
    bool perspective = false;
  };
  DrawState drawState() const;
  CameraSnapshot snapshot() const;

  // Reading the state (copies, under the lock).
  struct Pose {
    glm::dvec3 eye, direction, up;
    double orthoSize, nearPlane, farPlane, sceneSize, maxOrthoSize;
    bool perspective;
  };
  Pose pose() const;
  glm::dmat4 projView() const;
  glm::dmat4 inverseProjView() const;
  glm::mat4 camHi() const;
  glm::mat4 camLo() const;
  glm::dvec3 pivot() const;
  // Returns the changed flag and clears it.
  bool takeChanged();

  static constexpr double kMinOrthoSize = 0.002;

 private:
  struct Transition {
    bool active = false;
    double t = 0, speed = 0.1;
    glm::dquat from{1, 0, 0, 0}, to{1, 0, 0, 0};
    glm::dvec3 centre{0.0}, offsetFrom{0.0}, offsetTo{0.0};
    double orthoFrom = 0;
  };

  void updateLocked(double distanceToScene, double sceneDiagonal);
  bool fitAlongLocked(const glm::dvec3& direction, const glm::dvec3& up, double factor, const SceneBox& box,
                      bool animate);
  void buildMatrices();
  void applyTarget(const glm::dvec3& eye, const glm::dvec3& direction, const glm::dvec3& up, double orthoSize);
  void startTransition(const glm::dvec3& centre, double speed);
  void finishTransition();
  bool stepTransition(double frameFactor);
  void panToNdc(glm::dvec2 ndc);
  glm::dvec3 unproject(const glm::dvec3& ndc) const;

  mutable std::mutex lock_;
  bool perspective_ = false;
  glm::dvec3 eye_, direction_, up_{0.0, 1.0, -0.001};
  glm::dvec3 targetEye_{0.0}, targetDirection_{0.0}, targetUp_{0.0};
  double targetOrthoSize_ = 0;
  Transition transition_;
  glm::dmat4 view_{1.0}, projection_{1.0}, projView_{1.0}, invProjView_{1.0};
  glm::mat4 viewFloat_{1.0f}, projectionFloat_{1.0f};
  glm::mat4 camHi_{1.0f}, camLo_{0.0f}, invCamHi_{1.0f}, invCamLo_{0.0f};
  int width_, height_;
  double aspect_ = 1.0;
  double pivotDistance_ = 0;
  glm::dvec3 pivot_{0.0};
  glm::dvec2 pivotScreen_{0.0};
  double orbitRadius_ = 0;
  double fieldOfView_;
  double minDistance_ = static_cast<double>(0.01f), maxDistance_ = 15000;
  double sceneSize_ = 0, orthoSize_ = 0, maxOrthoSize_ = 0;
  bool changed_ = true;
  double near_ = 0, far_ = 0;
  bool keepHorizonLevel_ = true;
  std::atomic<uint8_t> mouseMode_{0};
  SceneBox sceneBox_;
  glm::vec3 isoDirection_{-1.0f, -1.0f, -1.0f};
  glm::mat3 toolAxes_{1.0f};
};

}  // namespace camera
