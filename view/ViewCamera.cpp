#include "view/ViewCamera.h"

#include <algorithm>

namespace view {

void ViewCamera::applyView(int32_t code, const camera::SceneBox& box) {
  if (!box.valid() && !positioned_) {
    kept_ = code;
    return;
  }
  kept_ = -1;
  if (camera_.setView(static_cast<camera::StandardView>(code), box, true)) positioned_ = true;
}

void ViewCamera::applyKeptView(const camera::SceneBox& box) {
  if (kept_ >= 0) applyView(kept_, box);
}

bool ViewCamera::update(const camera::SceneBox& box, double frameRatio) {
  if (kept_ >= 0 && box.valid()) applyView(kept_, box);
  camera_.updateForScene(box, std::min(frameRatio, 1.0));
  return camera_.transitionRunning();
}

}  // namespace view
