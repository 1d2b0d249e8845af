#pragma once
// The stock-quality panel: how fine the current stock's lattice is, as its
// precision mode states it, and an entry to change it. In the fraction mode
// the value is the quality from 0 to 1, in the tolerance mode the wanted
// cell length in the view's units; in the level mode the level shows
// read-only. A committed value that is not a number, or lies outside its
// range, is refused and the shown value comes back.
#include <functional>
#include <string>

#include "ui/InputPair.h"
#include "ui/StringTable.h"
#include "ui/Text.h"
#include "ui/Theme.h"
#include "ui/UIElement.h"

namespace UI {

struct StockQualityValues {
  enum class Mode { NoStock, Fraction, Level, Tolerance };
  Mode mode = Mode::NoStock;
  double quality = 0.5;    // a fraction, or a cell length in millimetres
  uint32_t level = 2;
  bool inch = false;
};

class StockQuality : public UIElement {
 public:
  StockQuality(UIContext* context, const Theme* theme, const StringTable* texts);
  void setTexts(const StringTable* texts);
  void show(const StockQualityValues& values);
  // A new quality (a fraction, or a cell length in millimetres).
  std::function<void(double quality)> onChange;
  const InputPair& entry() const { return entry_; }
  InputPair& entry() { return entry_; }
  void collect(std::vector<UIInstance>& records, bool snap = false) override;

  static constexpr float kWidth = 200, kPadding = 8;

 private:
  void commit(const std::u16string& text);
  std::u16string shownValue() const;

  const Theme* theme_;
  const StringTable* texts_;
  Text title_;
  InputPair entry_;
  StockQualityValues values_;
};

}  // namespace UI
