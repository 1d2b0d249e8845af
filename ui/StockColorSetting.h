#pragma once
// The stock-colour panel: how the cut stock is coloured (one colour, by
// operation, by tool; the ribbon entries 56 and 57), whether the colours
// repeat ("Color loop", entry 58), and the stock's own colour with a swatch
// that opens the colour dialog. It reads the ribbon model every frame and
// changes it through the entries' actions, so it always agrees with the
// Stock menu.
#include <array>
#include <functional>
#include <memory>

#include "ui/CheckBox.h"
#include "ui/ColorPicker.h"
#include "ui/RadioButton.h"
#include "ui/RibbonLink.h"
#include "ui/Text.h"
#include "ui/UIElement.h"

namespace UI {

class StockColorSetting : public UIElement {
 public:
  StockColorSetting(UIContext* context, const RibbonLink* link);
  void setTexts(const StringTable* texts);
  ColorPicker& picker() { return picker_; }
  const RadioButton& mode(size_t i) const { return *modes_[i]; }
  const CheckBox& loop() const { return loop_; }
  void collect(std::vector<UIInstance>& records, bool snap = false) override;

  static constexpr float kPadding = 8, kRowHeight = 24;

 private:
  // Which of the three is in force: 0 one colour, 1 by operation, 2 by tool.
  size_t modeInForce() const;
  void choose(size_t mode);

  const RibbonLink* link_;
  Text title_;
  std::array<std::unique_ptr<RadioButton>, 3> modes_;
  CheckBox loop_;
  ColorPicker picker_;
};

}  // namespace UI
