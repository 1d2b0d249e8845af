#pragma once
// The compare legend: a vertical bar of the band colours from far below
// the range (bottom) to far above it (top), flat bands or the blend the
// stock shows, labelled with the range's limits, its middle and the band
// edges between them in the host's units; hidden parts of the surface fade.
// A mark on the bar and a line below it give the distance under the cursor.
#include <array>
#include <memory>

#include "ui/CompareValues.h"
#include "ui/StringTable.h"
#include "ui/Text.h"
#include "ui/Theme.h"
#include "ui/UIElement.h"

namespace UI {

class ColorGradientBar : public UIElement {
 public:
  // The bar runs over six half-tolerance pieces: the range's four with one
  // beyond each end.
  static constexpr size_t kPieces = 6, kLabels = 5;

  ColorGradientBar(UIContext* context, const Theme* theme, const StringTable* texts);
  void setTexts(const StringTable* texts);
  void show(const CompareValues& values);
  // Where a distance sits along the bar, 0 bottom to 1 top, held at the ends.
  static float fractionOf(double distance, double lower, double upper);

  const UIElement& piece(size_t i) const { return *pieces_[i]; }  // bottom to top
  const Text& label(size_t i) const { return *labels_[i]; }       // lower limit to upper
  const UIElement& mark() const { return mark_; }
  const Text& readout() const { return readout_; }
  void collect(std::vector<UIInstance>& records, bool snap = false) override;

  static constexpr float kPadding = 8, kBarWidth = 18, kBarHeight = 180, kTitleHeight = 20, kReadoutHeight = 20;

 private:
  void colourPieces();
  void arrangeWidth();

  const Theme* theme_;
  const StringTable* texts_;
  Text title_, readout_;
  std::array<std::unique_ptr<UIElement>, kPieces> pieces_;
  std::array<std::unique_ptr<Text>, kLabels> labels_;
  UIElement mark_;
  CompareValues values_;
};

}  // namespace UI
