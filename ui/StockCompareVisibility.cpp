#include "ui/StockCompareVisibility.h"

#include <algorithm>

namespace UI {

namespace {
constexpr uint16_t kTitle = 63;                       // "Compare Visibility"
constexpr uint16_t kLabels[] = {64, 65, 66, 67};      // "Less", "Range", "Greater", "Gradient"
}  // namespace

StockCompareVisibility::StockCompareVisibility(UIContext* context, const Theme* theme, const StringTable* texts)
    : UIElement(context), theme_(theme), texts_(texts), title_(context) {
  widthMode = heightMode = SizeMode::Pixels;
  roundness = 0.08f;
  title_.hangFrom(this, 0, 1, kPadding, -kPadding + 2);
  for (size_t i = 0; i < boxes_.size(); ++i) {
    auto box = std::make_unique<CheckBox>(context, theme);
    box->parent = this;
    box->relX = 0, box->relY = 1;
    box->anchorX = 0, box->anchorY = 1;
    box->offsetX = kPadding;
    box->offsetY = -(kPadding + kTitleHeight + static_cast<float>(i) * kRowHeight);
    box->onToggle = [this, i](bool on) {
      if (onToggle) onToggle(static_cast<Switch>(i), on);
    };
    boxes_[i] = std::move(box);
  }
  height = 2 * kPadding + kTitleHeight + static_cast<float>(boxes_.size()) * kRowHeight;
  setTexts(texts);
}

void StockCompareVisibility::setTexts(const StringTable* texts) {
  texts_ = texts;
  title_.setText((*texts_)[kTitle]);
  float widest = title_.textWidth();
  for (size_t i = 0; i < boxes_.size(); ++i) {
    boxes_[i]->setLabel((*texts_)[kLabels[i]]);
    widest = std::max(widest, boxes_[i]->width);
  }
  width = widest + 2 * kPadding;
}

void StockCompareVisibility::show(const CompareValues& values) {
  for (size_t i = 0; i < 3; ++i) boxes_[i]->on = values.visible[i];
  boxes_[Gradient]->on = !values.stepped;
}

void StockCompareVisibility::collect(std::vector<UIInstance>& records, bool snap) {
  colorBottom = theme_->panel;
  colorTop = theme_->panelEdge;
  UIElement::collect(records, snap);
  title_.setColor(theme_->text);
  title_.collect(records, true);
  for (auto& box : boxes_) box->collect(records, true);
  if (cursorInside()) context->takeCursor();
}

}  // namespace UI
