#pragma once
// A colour swatch that opens the desktop's colour dialog on a click. The
// dialog runs elsewhere (the owner's chooser hands back a future); the
// swatch keeps its colour until the answer comes, takes the new colour and
// reports it, or keeps the old one when the dialog was cancelled. One
// dialog at a time.
#include <functional>
#include <future>
#include <optional>

#include "ui/ClickTracker.h"
#include "ui/Theme.h"
#include "ui/UIElement.h"

namespace UI {

class ColorPicker : public UIElement {
 public:
  using Answer = std::shared_future<std::optional<Colour>>;
  ColorPicker(UIContext* context, const Theme* theme);

  // Opens the dialog at the current colour.
  std::function<Answer(const Colour& current)> chooser;
  std::function<void(const Colour& chosen)> onChange;
  void setColour(const Colour& colour) { colour_ = colour; }
  const Colour& colour() const { return colour_; }
  bool choosing() const { return pending_.valid(); }
  void collect(std::vector<UIInstance>& records, bool snap = false) override;

  static constexpr float kSize = 18;

 private:
  const Theme* theme_;
  UIElement swatch_;
  Colour colour_{0.5f, 0.5f, 0.5f, 1};
  Answer pending_;
  ClickTracker clicks_;
};

}  // namespace UI
