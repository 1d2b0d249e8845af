#include "ui/StockQuality.h"

#include "ui/NumberText.h"

namespace UI {

namespace {
constexpr uint16_t kTitle = 153, kQuality = 91;  // "Stock", "Quality"
constexpr uint16_t kMm = 23, kInch = 24;
constexpr double kMmPerInch = 25.4;
// The finest and the coarsest cell the tolerance mode takes, millimetres.
constexpr double kFinestCell = 1e-3, kCoarsestCell = 1e3;
}  // namespace

StockQuality::StockQuality(UIContext* context, const Theme* theme, const StringTable* texts)
    : UIElement(context), theme_(theme), texts_(texts), title_(context), entry_(context, theme) {
  widthMode = heightMode = SizeMode::Pixels;
  width = kWidth;
  height = 2 * kPadding + 20 + 24;
  roundness = 0.08f;
  title_.hangFrom(this, 0, 1, kPadding, -kPadding + 2);
  entry_.parent = this;
  entry_.relX = 0, entry_.relY = 1;
  entry_.anchorX = 0, entry_.anchorY = 1;
  entry_.offsetX = kPadding, entry_.offsetY = -(kPadding + 20);
  entry_.width = kWidth - 2 * kPadding;
  entry_.field().accepts = InputField::numberCharacter;
  entry_.field().maxLength = 16;
  entry_.field().onCommit = [this](const std::u16string& text) { commit(text); };
  setTexts(texts);
}

void StockQuality::setTexts(const StringTable* texts) {
  texts_ = texts;
  title_.setText((*texts_)[kTitle]);
  entry_.setLabel((*texts_)[kQuality]);
  show(values_);
}

std::u16string StockQuality::shownValue() const {
  switch (values_.mode) {
    case StockQualityValues::Mode::NoStock: return u"-";
    case StockQualityValues::Mode::Fraction: return formatNumber(values_.quality, 2);
    case StockQualityValues::Mode::Level: return formatNumber(values_.level, 0);
    case StockQualityValues::Mode::Tolerance:
      return values_.inch ? formatNumber(values_.quality / kMmPerInch, 4) : formatNumber(values_.quality, 3);
  }
  return {};
}

void StockQuality::show(const StockQualityValues& values) {
  values_ = values;
  const bool tolerance = values.mode == StockQualityValues::Mode::Tolerance;
  entry_.setUnit(tolerance ? (*texts_)[values.inch ? kInch : kMm] : std::u16string());
  entry_.field().editable = values.mode == StockQualityValues::Mode::Fraction || tolerance;
  entry_.setValue(shownValue());
}

void StockQuality::commit(const std::u16string& text) {
  const std::optional<double> number = parseNumber(text);
  std::optional<double> quality;
  if (number && values_.mode == StockQualityValues::Mode::Fraction && *number >= 0 && *number <= 1) quality = *number;
  if (number && values_.mode == StockQualityValues::Mode::Tolerance) {
    const double mm = values_.inch ? *number * kMmPerInch : *number;
    if (mm >= kFinestCell && mm <= kCoarsestCell) quality = mm;
  }
  if (!quality) {
    entry_.field().setText(shownValue());  // refused: the value in force comes back
    return;
  }
  values_.quality = *quality;
  entry_.field().setText(shownValue());
  if (onChange) onChange(*quality);
}

void StockQuality::collect(std::vector<UIInstance>& records, bool snap) {
  colorBottom = theme_->panel;
  colorTop = theme_->panelEdge;
  UIElement::collect(records, snap);
  title_.setColor(theme_->text);
  title_.collect(records, true);
  entry_.collect(records, true);
}

}  // namespace UI
