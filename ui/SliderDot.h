#pragma once
// The round dot a slider is dragged by: 8 x 8 logical pixels at rest, 10 x
// 10 while dragged. A press on it starts the drag, every held frame asks
// the owner for the value under the cursor, the release anywhere ends it;
// the wheel over it goes to the owner.
#include "ui/SliderInterace.h"
#include "ui/UIElement.h"

namespace UI {

class SliderDot : public UIElement {
 public:
  SliderDot(UIContext* context, SliderInterace* owner);
  bool dragging() const { return dragging_; }
  void startDrag();

  void onPressInside() override { startDrag(); }
  void onHold() override;
  void onRelease() override;
  void onScrollInside(double delta) override { owner_->onDotScroll(delta); }

  static constexpr float kRest = 8, kDragged = 10;

 private:
  SliderInterace* owner_;
  bool dragging_ = false;
};

}  // namespace UI
