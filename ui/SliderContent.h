#pragma once
// The movable strip of a slider: the track (drawn as a ruler whose ticks
// refine with the scale), a right and a left part that show the value, and
// the dot. Its owner places it and the parts; the content colours them from
// the theme (a disabled content in the disabled colour, the track at alpha
// 0.3). The dot is collected on its own so that the owner can draw it last.
#include "ui/SliderDot.h"
#include "ui/Theme.h"
#include "ui/UIElement.h"

namespace UI {

class SliderContent : public UIElement {
 public:
  SliderContent(UIContext* context, const Theme* theme, SliderInterace* owner);

  UIElement& track() { return track_; }
  UIElement& rightPart() { return right_; }
  UIElement& leftPart() { return left_; }
  SliderDot& dot() { return dot_; }
  const SliderDot& dot() const { return dot_; }
  bool enabled = true;
  // The track's and parts' ruler scale (finer decades from 2, 20, 200, 2000).
  void setRulerScale(float scale);
  float rulerScale() const { return track_.roundness; }

  // The content, its track and parts; not the dot.
  void collect(std::vector<UIInstance>& records, bool snap = false) override;
  void collectDot(std::vector<UIInstance>& records);

 private:
  const Theme* theme_;
  UIElement track_, right_, left_;
  SliderDot dot_;
};

}  // namespace UI
