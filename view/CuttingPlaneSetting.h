#pragma once
// The section plane as the host sets it, and where it lies in a frame: the
// plane through the centre of the stocks' box (the scene's box without
// stocks), square to the chosen program axis, cutting away the chosen side.
#include <mutex>

#include <glm/mat3x3.hpp>

#include "camera/Camera.h"
#include "korvane/KorvaneRecords.h"
#include "stock/CuttingPlane.h"

namespace view {

class CuttingPlaneSetting {
 public:
  static SIM_CuttingPlane defaults() {
    SIM_CuttingPlane record{};
    record.plane = SIM_CUTTING_PLANE_NONE;
    record.optionA = 1;
    return record;
  }
  static bool valid(const SIM_CuttingPlane& record) {
    return record.plane <= SIM_CUTTING_PLANE_NONE && record.mode <= 2;
  }

  // Any thread.
  void set(const SIM_CuttingPlane& record) {
    std::lock_guard lock(mutex_);
    record_ = record;
  }
  SIM_CuttingPlane get() const {
    std::lock_guard lock(mutex_);
    return record_;
  }

  // The plane in the display frame; off for plane 6 or an empty box.
  stock::CuttingPlane resolve(const camera::SceneBox& stocks, const camera::SceneBox& scene,
                              const glm::dmat3& toDisplay) const;

 private:
  mutable std::mutex mutex_;
  SIM_CuttingPlane record_ = defaults();
};

}  // namespace view
