#include "ui/CuttingPlaneSettings.h"

#include <algorithm>

namespace UI {

namespace {
constexpr uint16_t kTitle = 36;       // "Cross Section Plane"
constexpr uint16_t kFirstPlane = 37;  // "X-", "X+", "Y-", "Y+", "Z-", "Z+"
constexpr float kTitleHeight = 20, kGap = 4;
}  // namespace

CuttingPlaneSettings::CuttingPlaneSettings(UIContext* context, const Theme* theme, const StringTable* texts)
    : UIElement(context), theme_(theme), texts_(texts), title_(context) {
  widthMode = heightMode = SizeMode::Pixels;
  roundness = 0.08f;
  title_.hangFrom(this, 0, 1, kPadding, -kPadding + 2);
  // Three columns, one per axis; the negative side above the positive one.
  for (uint32_t plane = 0; plane < buttons_.size(); ++plane) {
    auto button = std::make_unique<CuttingPlaneButton>(context, theme, plane);
    button->parent = this;
    button->relX = 0, button->relY = 1;
    button->anchorX = 0, button->anchorY = 1;
    button->offsetX = kPadding + static_cast<float>(plane / 2) * (CuttingPlaneButton::kWidth + kGap);
    button->offsetY = -(kPadding + kTitleHeight + static_cast<float>(plane % 2) * (CuttingPlaneButton::kHeight + kGap));
    button->onChoose = [this](uint32_t chosen) {
      if (onChoose) onChoose(chosen == plane_ ? kNone : chosen);
    };
    buttons_[plane] = std::move(button);
  }
  height = 2 * kPadding + kTitleHeight + 2 * CuttingPlaneButton::kHeight + kGap;
  setTexts(texts);
}

void CuttingPlaneSettings::setTexts(const StringTable* texts) {
  texts_ = texts;
  title_.setText((*texts_)[kTitle]);
  for (uint32_t plane = 0; plane < buttons_.size(); ++plane)
    buttons_[plane]->setLabel((*texts_)[static_cast<uint16_t>(kFirstPlane + plane)]);
  const float columns = 3 * CuttingPlaneButton::kWidth + 2 * kGap;
  width = std::max(columns, title_.textWidth()) + 2 * kPadding;
}

void CuttingPlaneSettings::show(uint32_t plane) {
  plane_ = plane;
  for (auto& button : buttons_) button->active = button->plane() == plane;
}

void CuttingPlaneSettings::collect(std::vector<UIInstance>& records, bool snap) {
  colorBottom = theme_->panel;
  colorTop = theme_->panelEdge;
  UIElement::collect(records, snap);
  title_.setColor(theme_->text);
  title_.collect(records, true);
  for (auto& button : buttons_) button->collect(records, true);
}

}  // namespace UI
