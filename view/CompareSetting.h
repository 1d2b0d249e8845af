#pragma once
// The stock compare as the host set it, limits in millimetres, read by the
// stock drawing on the render thread.
#include <cmath>
#include <mutex>

#include "korvane/Korvane.h"
#include "stock/StockDrawing.h"

namespace view {

class CompareSetting {
 public:
  struct Values {
    uint32_t flags = 0;
    double lower = 1.0, upper = 0.0;  // millimetres; a view without data answers these
  };

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

  // The solid program's compare look: the range's middle and half width.
  stock::CompareLook look() const;

 private:
  mutable std::mutex mutex_;
  Values values_;
};

}  // namespace view
