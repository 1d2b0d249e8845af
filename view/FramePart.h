#pragma once
// A part of the view that takes its place in every frame: it follows the
// played position, shows something in the scene and draws it. The stock
// stage is one; the toolpath and tool drawing, the machine, the interface,
// collision and comparison arrive as more, each in its own folder with its
// own state and locks, listed by the view in frame order.
#include "camera/Camera.h"
#include "stock/CuttingPlane.h"
#include "view/PickList.h"
#include "view/Playback.h"

namespace view {

// What one frame hands its parts.
struct FrameState {
  const PlayedPosition& played;  // one toolpath snapshot and the position on it
  bool changed = false;          // a part changed what the view shows
  // A part could not do its work this frame (a host call held its lock):
  // work that waits for the frame's cut waits another frame.
  bool deferred = false;
};

// What every part draws with: the camera and the section through the scene.
struct SceneDraw {
  camera::Camera::DrawState camera;
  stock::CuttingPlane cuttingPlane;
};

class FramePart {
 public:
  virtual ~FramePart() = default;
  // Render thread, every frame after playback, in the view's order.
  virtual void update(FrameState& frame) = 0;
  // The box of what the part shows, in the display frame; empty when none.
  virtual camera::SceneBox sceneBox() const { return {}; }
  // Render thread: draws what the part shows.
  virtual void draw(const SceneDraw& scene) = 0;
  // Render thread, after draw: what the picking pass draws of the part.
  virtual void collectPickables(PickList& list) { (void)list; }
  // Work that keeps the frame loop from sleeping.
  virtual bool busy() const { return false; }
  // Render thread: gives every GL object back, before the window goes.
  virtual void release() = 0;
};

}  // namespace view
