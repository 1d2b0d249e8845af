#include "ui/StockCompareColors.h"

#include "ui/NumberText.h"

namespace UI {

namespace {
constexpr uint16_t kTitle = 96;                // "Compare Colors"
constexpr uint16_t kLimitLabels[] = {87, 88};  // "Low", "High"
constexpr uint16_t kMm = 23, kInch = 24;
}  // namespace

StockCompareColors::StockCompareColors(UIContext* context, const Theme* theme, const StringTable* texts)
    : UIElement(context), theme_(theme), texts_(texts), title_(context) {
  widthMode = heightMode = SizeMode::Pixels;
  width = kWidth;
  roundness = 0.08f;
  title_.hangFrom(this, 0, 1, kPadding, -kPadding + 2);
  // The swatches spread over the row, low to high.
  const float step = (kWidth - 2 * kPadding - ColorPicker::kSize) / static_cast<float>(swatches_.size() - 1);
  for (size_t band = 0; band < swatches_.size(); ++band) {
    auto swatch = std::make_unique<ColorPicker>(context, theme);
    swatch->parent = this;
    swatch->relX = 0, swatch->relY = 1;
    swatch->anchorX = 0, swatch->anchorY = 0.5f;
    swatch->offsetX = kPadding + static_cast<float>(band) * step;
    swatch->offsetY = -(kPadding + kTitleHeight + kRowHeight / 2);
    swatch->onChange = [this, band](const Colour& colour) {
      if (onColour) onColour(band, colour);
    };
    swatches_[band] = std::move(swatch);
  }
  for (size_t i = 0; i < limits_.size(); ++i) {
    auto entry = std::make_unique<InputPair>(context, theme);
    entry->parent = this;
    entry->relX = 0, entry->relY = 1;
    entry->anchorX = 0, entry->anchorY = 1;
    entry->offsetX = kPadding;
    entry->offsetY = -(kPadding + kTitleHeight + static_cast<float>(i + 1) * kRowHeight);
    entry->width = kWidth - 2 * kPadding;
    entry->field().accepts = InputField::numberCharacter;
    entry->field().maxLength = 16;
    entry->field().onCommit = [this, i](const std::u16string& text) { commit(i, text); };
    limits_[i] = std::move(entry);
  }
  height = 2 * kPadding + kTitleHeight + 3 * kRowHeight;
  setTexts(texts);
}

void StockCompareColors::setTexts(const StringTable* texts) {
  texts_ = texts;
  title_.setText((*texts_)[kTitle]);
  for (size_t i = 0; i < limits_.size(); ++i) limits_[i]->setLabel((*texts_)[kLimitLabels[i]]);
  show(values_);
}

void StockCompareColors::setChooser(const std::function<ColorPicker::Answer(const Colour&)>& chooser) {
  for (auto& swatch : swatches_) swatch->chooser = chooser;
}

std::u16string StockCompareColors::shown(double value) const {
  return formatNumber(value, values_.inch ? 4 : 3);
}

void StockCompareColors::show(const CompareValues& values) {
  values_ = values;
  for (size_t band = 0; band < swatches_.size(); ++band)
    if (!swatches_[band]->choosing()) swatches_[band]->setColour(values.colours[band]);
  for (auto& entry : limits_) entry->setUnit((*texts_)[values.inch ? kInch : kMm]);
  limits_[0]->setValue(shown(values.lower));
  limits_[1]->setValue(shown(values.upper));
}

void StockCompareColors::commit(size_t which, const std::u16string& text) {
  const std::optional<double> number = parseNumber(text);
  const double lower = which == 0 && number ? *number : values_.lower;
  const double upper = which == 1 && number ? *number : values_.upper;
  if (!number || lower > upper) {
    limits_[which]->field().setText(shown(which == 0 ? values_.lower : values_.upper));
    return;
  }
  values_.lower = lower, values_.upper = upper;
  limits_[which]->field().setText(shown(which == 0 ? lower : upper));
  if (onRange) onRange(lower, upper);
}

void StockCompareColors::collect(std::vector<UIInstance>& records, bool snap) {
  colorBottom = theme_->panel;
  colorTop = theme_->panelEdge;
  UIElement::collect(records, snap);
  title_.setColor(theme_->text);
  title_.collect(records, true);
  for (auto& swatch : swatches_) swatch->collect(records, true);
  for (auto& entry : limits_) entry->collect(records, true);
  if (cursorInside()) context->takeCursor();
}

}  // namespace UI
