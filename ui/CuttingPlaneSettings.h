#pragma once
// The section-plane panel: six plane buttons, "X-" to "Z+", the plane in
// force lit. Choosing a plane cuts the stock there; choosing the lit one
// again switches the section off.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

#include "ui/CuttingPlaneButton.h"
#include "ui/StringTable.h"
#include "ui/Text.h"
#include "ui/Theme.h"
#include "ui/UIElement.h"

namespace UI {

class CuttingPlaneSettings : public UIElement {
 public:
  // Planes 0 to 5 are "X-" ... "Z+"; 6 is none.
  static constexpr uint32_t kNone = 6;

  CuttingPlaneSettings(UIContext* context, const Theme* theme, const StringTable* texts);
  void setTexts(const StringTable* texts);
  // The plane in force.
  void show(uint32_t plane);
  // The plane chosen: 0 to 5, or kNone.
  std::function<void(uint32_t plane)> onChoose;
  const CuttingPlaneButton& button(uint32_t plane) const { return *buttons_[plane]; }
  void collect(std::vector<UIInstance>& records, bool snap = false) override;

  static constexpr float kPadding = 8;

 private:
  const Theme* theme_;
  const StringTable* texts_;
  Text title_;
  std::array<std::unique_ptr<CuttingPlaneButton>, 6> buttons_;
  uint32_t plane_ = kNone;
};

}  // namespace UI
