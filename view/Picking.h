#pragma once
// Picking: what lies under a window pixel, found by drawing entity ids
// into an integer target (models as triangles and edge lines, toolpath
// vertices as round points) and choosing among the ids around the pixel.
// Render thread only; the GL state it changes comes back as it was.
#include <optional>

#include <glm/mat4x4.hpp>

#include "gpu/IdTarget.h"
#include "view/FramePart.h"
#include "view/PickChoice.h"
#include "view/PickList.h"

namespace view {

class Picking {
 public:
  Picking() = default;
  Picking(const Picking&) = delete;
  Picking& operator=(const Picking&) = delete;

  // The id pass at the view's size, then the choice around the cursor
  // (window pixels, y down). No hit outside the view, or when the target
  // or the programs are not there.
  PickHit pick(const PickList& list, const SceneDraw& scene, int width, int height, int cursorX, int cursorY);
  // The id pass alone; false when it could not run. With a region (GL
  // pixels: left, bottom, width, height) only its pixels are drawn, the
  // only ones a pick reads.
  struct Region {
    int left = 0, bottom = 0, width = 0, height = 0;
  };
  bool drawIds(const PickList& list, const SceneDraw& scene, int width, int height,
               std::optional<Region> region = std::nullopt);
  // Clip space narrowed to a region of a view of width x height pixels:
  // the region's pixels fill the device square, so everything outside it is
  // clipped before it is rasterized, and drawn into a viewport of the
  // region's pixels they land where they would have.
  static glm::mat4 narrowing(const Region& region, int width, int height);
  const gpu::IdTarget& target() const { return target_; }
  void release();

 private:
  gpu::IdTarget target_;
  GLuint meshProgram_ = 0, pointsProgram_ = 0;
};

}  // namespace view
