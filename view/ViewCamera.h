#pragma once
// The view's camera and the standard views asked of it: a standard view is
// worked out at the next frame about the box of what the view shows, and
// one asked for while the view shows nothing and has no pose is kept until
// there is something to see. Camera operations take the camera's own lock,
// so host calls act on it at once.
#include <atomic>
#include <cstdint>

#include "camera/Camera.h"

namespace view {

class ViewCamera {
 public:
  ViewCamera() : camera_(1600, 900) {}

  camera::Camera& camera() { return camera_; }

  // Any thread: the host set a pose; later standard views apply at once.
  void markPositioned() { positioned_ = true; }

  // ---- Render thread
  // A standard view about box, or kept for later.
  void applyView(int32_t code, const camera::SceneBox& box);
  // The host's pose cancels a view kept from before.
  void dropKeptView() { kept_ = -1; }
  // A kept view once there is something to see.
  void applyKeptView(const camera::SceneBox& box);
  // Every frame: a kept view, clip planes to the scene, the running
  // transition; true while the camera moves.
  bool update(const camera::SceneBox& box, double frameRatio);

 private:
  camera::Camera camera_;
  std::atomic<bool> positioned_{false};
  int32_t kept_ = -1;  // render thread
};

}  // namespace view
