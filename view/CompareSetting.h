#pragma once
// The stock compare as the host or the interface set it, limits in
// millimetres, and the five colours of its bands; read by the stock drawing
// and the legend on the render thread.
#include <array>
#include <cmath>
#include <mutex>

#include <glm/vec3.hpp>

#include "korvane/Korvane.h"
#include "stock/StockDrawing.h"

namespace view {

class CompareSetting {
 public:
  struct Values {
    uint32_t flags = 0;
    double lower = 1.0, upper = 0.0;  // millimetres; a view without data answers these
  };
  // Far below the range (cut into the design), near below, within, near
  // above, far above (material left).
  using Colours = std::array<glm::vec3, 5>;
  static Colours defaultColours();
  // The range the interface's Compare button starts with when none was set.
  static constexpr double kDefaultHalfWidth = 0.1;  // millimetres

  static bool finite(const SIM_StockCompare& r) { return std::isfinite(r.lower) && std::isfinite(r.upper); }

  // Any thread.
  void set(const Values& values) {
    std::lock_guard lock(mutex_);
    values_ = values;
  }
  Values get() const {
    std::lock_guard lock(mutex_);
    return values_;
  }
  bool shown() const { return (get().flags & SIM_COMPARE_SHOWN) != 0; }
  // Shows or hides the comparison; shown without a range, it takes
  // +-kDefaultHalfWidth. The new flags.
  uint32_t setShown(bool shown);
  void setColours(const Colours& colours) {
    std::lock_guard lock(mutex_);
    colours_ = colours;
  }
  Colours colours() const {
    std::lock_guard lock(mutex_);
    return colours_;
  }

  // The solid program's compare look: the range's middle and half width.
  stock::CompareLook look() const;

 private:
  mutable std::mutex mutex_;
  Values values_;
  Colours colours_ = defaultColours();
};

}  // namespace view
