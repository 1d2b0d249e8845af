#include "view/MouseNavigation.h"

#include <algorithm>
#include <cmath>

#include <glm/geometric.hpp>

namespace view {

// Which navigation actions this frame fires: the host's bindings where it
// bound the action, else the built-in trigger.
struct MouseNavigation::Actions {
  bool fired[MouseBindingTable::kActions] = {};
  bool wheelBound = false;

  Actions(const InputState& in, const MouseBindingTable& table) {
    enum { kLeft = 0, kRight = 1, kMiddle = 2 };
    auto pressed = [&](int b) { return in.wentDown[b]; };
    auto held = [&](int b) { return !in.wentDown[b] && !in.wentUp[b] && in.buttonDown[b]; };
    auto released = [&](int b) { return in.wentUp[b] && !in.wentDown[b]; };
    const bool defaults[MouseBindingTable::kActions] = {
        false,           pressed(kLeft),    held(kLeft),  released(kLeft), pressed(kMiddle),
        pressed(kRight), held(kRight), released(kRight), in.wheelSteps != 0, in.wheelSteps != 0};
    for (int a = 1; a < MouseBindingTable::kActions; ++a) fired[a] = table.isBound(a) ? table.fired(a) : defaults[a];
    wheelBound = table.isBound(8) || table.isBound(9);
  }
};

NavigationResult MouseNavigation::navigate(const NavigationInput& frame, const MouseBindingTable& bindings,
                                           camera::Camera& camera, double nowMs) {
  NavigationResult result;
  const InputState& in = *frame.input;
  const glm::dvec2 cursor(in.cursorX, in.cursorY);
  if (firstFrame_) {
    firstFrame_ = false;
    lastFrameTime_ = nowMs;
    previous_ = cursor;
    return result;
  }
  lastFrameTime_ = nowMs;
  depthThisFrame_ = -1;
  const Actions actions(in, bindings);
  wheel(frame, actions, camera, result);
  leftDrag(frame, actions, camera, result);
  rightPan(frame, actions, camera, result);
  if (actions.fired[4] && drag_ == Drag::Idle && !frame.pointerOverUI && in.cursorInWindow) result.fitView = true;
  // A release the window never reported (a press and release between two
  // frames, a button let go outside) still ends the drag.
  const bool anyDown = in.buttonDown[0] || in.buttonDown[1] || in.buttonDown[2];
  if (drag_ != Drag::Idle && !anyDown && !in.wentDown[0] && !in.wentDown[1] && !in.wentDown[2]) {
    if (drag_ == Drag::RightPanning && rightTravel_ <= 2.0) result.contextMenu = true;
    drag_ = Drag::Idle;
  }
  previous_ = cursor;
  return result;
}

void MouseNavigation::wheel(const NavigationInput& frame, const Actions& actions, camera::Camera& camera,
                            NavigationResult& result) {
  const int steps = frame.input->wheelSteps;
  if (steps == 0 || drag_ == Drag::Rotating || frame.pointerOverUI || !frame.input->cursorInWindow) return;
  double amount = steps;
  if (actions.wheelBound) {
    if (actions.fired[9])
      amount = -std::abs(steps);
    else if (actions.fired[8])
      amount = std::abs(steps);
  }
  choosePivot({frame.input->cursorX, frame.input->cursorY}, frame, camera);
  camera.zoom(amount);
  result.navigated = true;
}

void MouseNavigation::leftDrag(const NavigationInput& frame, const Actions& actions, camera::Camera& camera,
                               NavigationResult& result) {
  const InputState& in = *frame.input;
  bool started = false;
  if (actions.fired[1] && drag_ == Drag::Idle && !frame.pointerOverUI && in.cursorInWindow) {
    // Where the button went down, though the cursor may have moved on
    // before this frame looked.
    previous_ = pressPoint(in, 0);
    choosePivot(previous_, frame, camera);
    const uint8_t mode = camera.mouseMode();
    drag_ = mode == 1 ? Drag::Panning : mode == 2 ? Drag::Zooming : Drag::Rotating;
    result.navigated = true;
    started = true;
  }
  // The frame the button goes up may still carry the last motion.
  const bool ending = actions.fired[3] && drag_ != Drag::RightPanning;
  if ((actions.fired[2] || started || ending) && !camera.transitionRunning()) {
    const double dx = in.cursorX - previous_.x, dy = in.cursorY - previous_.y;
    switch (drag_) {
      case Drag::Rotating: {
        const glm::ivec2 size = camera.viewport();
        const double pitch = -(dy * kRotateSpeed / std::max(size.y, 1));
        const double yaw = -(dx * kRotateSpeed / std::max(size.x, 1));
        if (camera.rotate(pitch, yaw)) result.navigated = true;
        break;
      }
      case Drag::Panning:
        if (dx != 0 || dy != 0) {
          camera.panToCursor(in.cursorX, in.cursorY);
          result.navigated = true;
        }
        break;
      case Drag::Zooming:
        if (dy != 0) {
          camera.zoom(-dy / kZoomDragPixels * 5);
          result.navigated = true;
        }
        break;
      default: break;
    }
  }
  if (actions.fired[3] && drag_ != Drag::RightPanning) drag_ = Drag::Idle;
}

void MouseNavigation::rightPan(const NavigationInput& frame, const Actions& actions, camera::Camera& camera,
                               NavigationResult& result) {
  const InputState& in = *frame.input;
  const glm::dvec2 cursor(in.cursorX, in.cursorY);
  bool started = false;
  if (actions.fired[5] && drag_ == Drag::Idle && !frame.pointerOverUI && in.cursorInWindow) {
    rightPress_ = previous_ = pressPoint(in, 1);
    choosePivot(rightPress_, frame, camera);
    drag_ = Drag::RightPanning;
    rightTravel_ = 0;
    started = true;
  }
  if (drag_ != Drag::RightPanning) return;
  rightTravel_ = std::max(rightTravel_, glm::length(cursor - rightPress_));
  if ((actions.fired[6] || actions.fired[7] || started) && !camera.transitionRunning() && cursor != previous_) {
    camera.panToCursor(in.cursorX, in.cursorY);
    result.navigated = true;
  }
  if (actions.fired[7]) {
    drag_ = Drag::Idle;
    // A press and release that stayed within the click distance is a click.
    if (rightTravel_ <= 2.0) result.contextMenu = true;
  }
}

glm::dvec2 MouseNavigation::pressPoint(const InputState& in, int button) {
  return in.wentDown[button] ? glm::dvec2(in.downX[button], in.downY[button]) : glm::dvec2(in.cursorX, in.cursorY);
}

void MouseNavigation::choosePivot(glm::dvec2 at, const NavigationInput& frame, camera::Camera& camera) {
  if (depthThisFrame_ < 0) {
    const std::optional<float> depth = frame.depthUnderCursor ? frame.depthUnderCursor(at) : std::nullopt;
    depthThisFrame_ = depth ? *depth : 1.0f;
  }
  const glm::dvec3 eye = camera.pose().eye;
  std::optional<glm::dvec3> surface;
  if (depthThisFrame_ < 1.0f) surface = camera.worldAtPixel(at.x, at.y, depthThisFrame_);
  glm::dvec3 pivot;
  if (frame.toolPoint && (!surface || glm::length(eye - *surface) * 1.02 > glm::length(eye - *frame.toolPoint))) {
    // The tool point, where nothing was hit or where it is more than 2 %
    // nearer than the surface.
    pivot = *frame.toolPoint;
  } else if (surface) {
    pivot = *surface;
  } else {
    // Empty space: the point under the cursor at the depth of the pivot
    // used last (the middle of the depth range when that one is behind).
    const glm::dvec3 device = camera.deviceOf(camera.pivot());
    const double depth = std::isfinite(device.z) && std::abs(device.z) <= 1 ? device.z * 0.5 + 0.5 : 0.5;
    pivot = camera.worldAtPixel(at.x, at.y, depth);
  }
  const glm::dvec3 device = camera.deviceOf(pivot);
  camera.choosePivot(pivot, glm::dvec2(device));
  lastPivot_ = pivot;
}

}  // namespace view
