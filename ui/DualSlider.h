#pragma once
// A slider around a neutral point, as the playback speed uses it: the value
// runs 0..1, the part between the neutral point and the value is filled
// (to the right above it, to the left below it), and a drag snaps to the
// neutral point, the second mark and, with the end stop, to the end and to
// the point six pixels before it; the wheel moves the value without
// snapping. With the end stop the right side is drawn six pixels shorter
// as the value rises, so the stop stays in sight.
#include "ui/SliderContent.h"
#include "ui/SliderInterace.h"
#include "ui/Theme.h"
#include "ui/UIElement.h"

namespace UI {

class DualSlider : public UIElement, public SliderInterace {
 public:
  DualSlider(UIContext* context, const Theme* theme, double neutral, double secondMark, bool endStop);

  double value() const { return value_; }
  void setValue(double v);
  double neutral() const { return neutral_; }
  double secondMark() const { return second_; }
  // The value the wheel set last (-1 before any).
  double lastWheelValue() const { return lastWheel_; }
  // The value a drag to fraction f of the slider gives (Algorithm of the
  // marks: 0.03 of each snaps).
  double snapped(double f) const;
  // The slider's length in logical pixels.
  float lengthPixels() const;

  SliderContent& content() { return content_; }
  const SliderDot& dot() const { return content_.dot(); }

  void onPressInside() override;
  // The wheel over the dot reaches the slider through the dot as well:
  // one step a frame counts once.
  void onScrollInside(double delta) override { wheel(delta); }
  void onDotDrag() override;
  void onDotScroll(double delta) override { wheel(delta); }
  void collect(std::vector<UIInstance>& records, bool snap = false) override;

  static constexpr double kSnap = 0.03;
  static constexpr float kStopPixels = 6;

 private:
  // A 250th of the range a step, no snapping.
  void wheel(double delta);
  void layout();

  SliderContent content_;
  bool wheeled_ = false;  // this frame's wheel is taken
  double value_;
  double neutral_, second_;
  bool endStop_;
  double lastWheel_ = -1;
};

}  // namespace UI
