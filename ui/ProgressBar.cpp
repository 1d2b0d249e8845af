#include "ui/ProgressBar.h"

#include <algorithm>

namespace UI {

ProgressBar::ProgressBar(UIContext* context, const Theme* theme)
    : UIElement(context), theme_(theme), fill_(context), caption_(context) {
  widthMode = heightMode = SizeMode::Pixels;
  width = kWidth;
  height = kHeight;
  roundness = 0.4f;
  visible = false;
  fill_.parent = this;
  fill_.widthMode = SizeMode::ParentWidth;
  fill_.heightMode = SizeMode::ParentHeight;
  fill_.width = 0;
  fill_.roundness = 0.4f;
  caption_.hangFrom(this, 0.5f, 1, 0, -(kHeight - Text::lineHeight(*context)) / 2);
  caption_.alignment = Text::Centre;
  caption_.maxWidth = kWidth - 8;
}

void ProgressBar::show(uint32_t percent, const std::u16string& caption) {
  visible = true;
  percent_ = std::min(percent, 100u);
  fill_.width = static_cast<float>(percent_) / 100.0f;
  if (caption == fullCaption_) return;
  fullCaption_ = caption;
  caption_.setTextWithin(caption, kWidth - 8);
}

void ProgressBar::hide() {
  visible = false;
  if (fullCaption_.empty()) return;
  fullCaption_.clear();
  caption_.setText(u"");
}

void ProgressBar::collect(std::vector<UIInstance>& records, bool snap) {
  colorBottom = colorTop = theme_->sliderTrack;
  fill_.colorBottom = fill_.colorTop = theme_->sliderFill;
  caption_.setColor(theme_->text);
  UIElement::collect(records, snap);
  fill_.collect(records, snap);
  caption_.collect(records, true);
}

}  // namespace UI
