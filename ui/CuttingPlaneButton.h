#pragma once
// One plane of the section-plane panel: the axis and side it cuts ("X-" to
// "Z+"), lit while it is the plane in force. A click makes it the plane
// (the view keeps one, so choosing one releases the others).
#include <cstdint>
#include <functional>
#include <string>

#include "ui/ClickTracker.h"
#include "ui/Text.h"
#include "ui/Theme.h"
#include "ui/UIElement.h"

namespace UI {

class CuttingPlaneButton : public UIElement {
 public:
  CuttingPlaneButton(UIContext* context, const Theme* theme, uint32_t plane);

  uint32_t plane() const { return plane_; }
  bool active = false;
  std::function<void(uint32_t plane)> onChoose;
  void setLabel(const std::u16string& text);
  void collect(std::vector<UIInstance>& records, bool snap = false) override;

  static constexpr float kWidth = 40, kHeight = 24;

 private:
  const Theme* theme_;
  uint32_t plane_;
  Text label_;
  ClickTracker clicks_;
};

}  // namespace UI
