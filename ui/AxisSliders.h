#pragma once
// The "Axis control" panel: a row for each enabled axis, up to three. Rows
// stand 18 logical pixels from the top, each further one 17 more; the panel
// ends 8 pixels below the last row's line. The view hands it the axes each
// frame and hears of the values the user drags a row to.
#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "ui/AxisSlider.h"
#include "ui/Theme.h"
#include "ui/UIElement.h"

namespace UI {

class AxisSliders : public UIElement {
 public:
  AxisSliders(UIContext* context, const Theme* theme);
  // The enabled axes, at most three (more are left out).
  void show(const std::vector<AxisValues>& axes);
  size_t rowCount() const { return shownRows_; }
  AxisSlider& row(size_t i) { return *rows_[i]; }
  // Row index and axis value of each drag, during collect.
  std::function<void(size_t, double)> onMove;
  void collect(std::vector<UIInstance>& records, bool snap = false) override;

  static constexpr size_t kMaxRows = 3;
  static constexpr float kFirstRow = 18, kRowStep = 17, kBelowLast = 8, kWidth = 280, kPadding = 8;

 private:
  const Theme* theme_;
  std::array<std::unique_ptr<AxisSlider>, kMaxRows> rows_;
  size_t shownRows_ = 0;
};

}  // namespace UI
