#pragma once
// What a slider's dot asks of the slider that owns it: a second base of
// Slider and DualSlider.
namespace UI {

class SliderInterace {
 public:
  virtual ~SliderInterace() = default;
  // The dot is being dragged: take the value from the cursor.
  virtual void onDotDrag() = 0;
  // The wheel turned over the dot.
  virtual void onDotScroll(double delta) = 0;
};

}  // namespace UI
