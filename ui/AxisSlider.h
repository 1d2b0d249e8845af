#pragma once
// One row of the axis control: the axis's name at the left, its value at
// the right and a slider between them over the axis's travel. The row
// reports a value the user dragged to once; values handed to it while the
// user holds the dot wait until the dot is let go.
#include <optional>
#include <string>

#include "ui/Slider.h"
#include "ui/Text.h"
#include "ui/Theme.h"
#include "ui/UIElement.h"

namespace UI {

struct AxisValues {
  std::u16string label;  // "A Axis"
  double min = 0, max = 1, value = 0;  // the travel and where the axis stands
  int decimals = 3;
  std::u16string unit;   // "mm", "inch" or a degree sign
};

class AxisSlider : public UIElement {
 public:
  AxisSlider(UIContext* context, const Theme* theme);
  void show(const AxisValues& values);
  const AxisValues& values() const { return values_; }
  // The axis value the user dragged the slider to since the last call.
  std::optional<double> takeMoved();
  Slider& slider() { return slider_; }
  const Text& label() const { return label_; }
  const Text& value() const { return value_; }
  void collect(std::vector<UIInstance>& records, bool snap = false) override;

  static constexpr float kHeight = 16, kLabelWidth = 56, kValueWidth = 76;

 private:
  AxisValues values_;
  Text label_, value_;
  Slider slider_;
  double shownFraction_ = -1;  // what the slider was given last
};

}  // namespace UI
