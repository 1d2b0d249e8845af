#pragma once
// The compare panel: the five band colours as swatches (far below the range
// at the left, far above it at the right), each opening the colour dialog,
// and the range's low and high limits as entries in the host's units. A
// limit that is not a number, or that would put the low limit above the
// high one, is refused and the value in force comes back.
#include <array>
#include <functional>
#include <memory>

#include "ui/ColorPicker.h"
#include "ui/CompareValues.h"
#include "ui/InputPair.h"
#include "ui/StringTable.h"
#include "ui/Text.h"
#include "ui/Theme.h"
#include "ui/UIElement.h"

namespace UI {

class StockCompareColors : public UIElement {
 public:
  StockCompareColors(UIContext* context, const Theme* theme, const StringTable* texts);
  void setTexts(const StringTable* texts);
  void show(const CompareValues& values);
  // Every swatch opens its dialog through the chooser.
  void setChooser(const std::function<ColorPicker::Answer(const Colour&)>& chooser);
  // A band's new colour; a new range in host units (low <= high).
  std::function<void(size_t band, const Colour& colour)> onColour;
  std::function<void(double lower, double upper)> onRange;

  ColorPicker& swatch(size_t band) { return *swatches_[band]; }
  InputPair& limit(size_t i) { return *limits_[i]; }  // 0 low, 1 high
  void collect(std::vector<UIInstance>& records, bool snap = false) override;

  static constexpr float kWidth = 200, kPadding = 8, kTitleHeight = 20, kRowHeight = 24;

 private:
  void commit(size_t which, const std::u16string& text);
  std::u16string shown(double value) const;

  const Theme* theme_;
  const StringTable* texts_;
  Text title_;
  std::array<std::unique_ptr<ColorPicker>, 5> swatches_;
  std::array<std::unique_ptr<InputPair>, 2> limits_;
  CompareValues values_;
};

}  // namespace UI
