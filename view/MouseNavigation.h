#pragma once
// Mouse navigation in the 3D area: the wheel zooms about the point under
// the cursor, a left drag rotates, pans or zooms (the camera's mouse mode),
// a right drag pans, the middle button fits the view, and a right click
// that did not move asks for the context menu. What fires each gesture is
// the view's binding table; an action the host left unbound keeps its
// built-in trigger. Render thread only; the camera takes its own lock.
#include <cstdint>
#include <functional>
#include <optional>

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

#include "camera/Camera.h"
#include "view/InputState.h"
#include "view/MouseBindings.h"

namespace view {

struct NavigationInput {
  const InputState* input = nullptr;
  bool pointerOverUI = false;
  // Where the tool stands (display frame), when the view shows a toolpath
  // with a current move.
  std::optional<glm::dvec3> toolPoint;
  // The window depth in the last picture at a window pixel near the one
  // asked for (1 where nothing was drawn; none when no sample lies near);
  // asked at most once per frame, and only when a pivot is chosen.
  std::function<std::optional<float>(glm::dvec2 at)> depthUnderCursor;
};

struct NavigationResult {
  bool navigated = false;    // the camera was asked to move
  bool fitView = false;      // the fit gesture (middle button by default)
  bool contextMenu = false;  // a right click in the 3D area
};

class MouseNavigation {
 public:
  enum class Drag : uint8_t { Idle, Rotating, Panning, Zooming, RightPanning };
  // Degrees a drag across the whole window turns the view.
  static constexpr double kRotateSpeed = 400.0;
  // Pixels a left drag in zoom mode moves per zoom step / 5.
  static constexpr double kZoomDragPixels = 400.0;

  NavigationResult navigate(const NavigationInput& frame, const MouseBindingTable& bindings, camera::Camera& camera,
                            double nowMs);

  Drag drag() const { return drag_; }
  // The pivot the last gesture chose (display frame).
  glm::dvec3 lastPivot() const { return lastPivot_; }

 private:
  struct Actions;
  // The pivot for a gesture that starts at window pixel at.
  void choosePivot(glm::dvec2 at, const NavigationInput& frame, camera::Camera& camera);
  // Where the button went down this frame, else the cursor.
  static glm::dvec2 pressPoint(const InputState& in, int button);
  void wheel(const NavigationInput& frame, const Actions& actions, camera::Camera& camera, NavigationResult& result);
  void leftDrag(const NavigationInput& frame, const Actions& actions, camera::Camera& camera, NavigationResult& result);
  void rightPan(const NavigationInput& frame, const Actions& actions, camera::Camera& camera, NavigationResult& result);

  bool firstFrame_ = true;
  double lastFrameTime_ = 0;
  glm::dvec2 previous_{0.0};
  Drag drag_ = Drag::Idle;
  glm::dvec2 rightPress_{0.0};
  double rightTravel_ = 0;  // the farthest the cursor went from the right press
  float depthThisFrame_ = -1;  // -1: not read yet this frame
  glm::dvec3 lastPivot_{0.0};
};

}  // namespace view
