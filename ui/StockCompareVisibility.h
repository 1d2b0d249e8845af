#pragma once
// The compare visibility panel: which parts of the compared surface show
// ("Less" than the range, within its "Range", "Greater" than it) and
// whether the colours blend ("Gradient") or stand in flat bands.
#include <array>
#include <functional>
#include <memory>

#include "ui/CheckBox.h"
#include "ui/CompareValues.h"
#include "ui/StringTable.h"
#include "ui/Text.h"
#include "ui/Theme.h"
#include "ui/UIElement.h"

namespace UI {

class StockCompareVisibility : public UIElement {
 public:
  enum Switch : size_t { Less, Range, Greater, Gradient };

  StockCompareVisibility(UIContext* context, const Theme* theme, const StringTable* texts);
  void setTexts(const StringTable* texts);
  void show(const CompareValues& values);
  // A switch the user flipped and its new state.
  std::function<void(Switch which, bool on)> onToggle;
  const CheckBox& box(Switch which) const { return *boxes_[which]; }
  void collect(std::vector<UIInstance>& records, bool snap = false) override;

  static constexpr float kPadding = 8, kTitleHeight = 20, kRowHeight = 24;

 private:
  const Theme* theme_;
  const StringTable* texts_;
  Text title_;
  std::array<std::unique_ptr<CheckBox>, 4> boxes_;
};

}  // namespace UI
