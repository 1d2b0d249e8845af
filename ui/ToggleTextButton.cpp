#include "ui/ToggleTextButton.h"

#include <algorithm>
#include <utility>

namespace UI {

namespace {
constexpr float kPadding = 8;
}

ToggleTextButton::ToggleTextButton(UIContext* context, const Theme* theme, std::u16string label)
    : ToggleTextButton(context, theme, std::move(label), Look::Plate) {}

ToggleTextButton::ToggleTextButton(UIContext* context, const Theme* theme, std::u16string label, Look look)
    : UIElement(context),
      theme_(theme),
      look_(look),
      box_(context),
      mark_(context, look == Look::Ring ? IconId::Radio : IconId::Check),
      label_(context) {
  widthMode = heightMode = SizeMode::Pixels;
  height = kHeight;
  width = 0;
  roundness = look == Look::Plate ? 0.3f : 0.0f;
  box_.parent = this;
  box_.widthMode = box_.heightMode = SizeMode::Pixels;
  box_.width = box_.height = kMarkBox;
  box_.relX = 0, box_.relY = 0.5f;
  box_.anchorX = 0, box_.anchorY = 0.5f;
  box_.offsetX = 4;
  box_.roundness = look == Look::Ring ? 1.0f : 0.25f;
  box_.visible = look != Look::Plate;
  mark_.parent = &box_;
  mark_.widthMode = mark_.heightMode = SizeMode::Pixels;
  mark_.width = mark_.height = kMarkBox;
  label_.parent = this;
  label_.widthMode = label_.heightMode = SizeMode::Pixels;
  label_.width = label_.height = 0;
  setLabel(std::move(label));
}

void ToggleTextButton::setLabel(std::u16string text) {
  label_.setText(std::move(text));
  arrange();
}

void ToggleTextButton::arrange() {
  label_.offsetY = Text::lineHeight(*context) / 2;
  label_.relY = 0.5f;
  if (look_ == Look::Plate) {
    label_.relX = 0.5f;
    label_.alignment = Text::Centre;
    width = std::max(width, label_.textWidth() + 2 * kPadding);
  } else {
    label_.relX = 0;
    label_.alignment = Text::Left;
    label_.offsetX = box_.offsetX + kMarkBox + 6;
    width = std::max(width, label_.offsetX + label_.textWidth() + kPadding);
  }
}

void ToggleTextButton::collect(std::vector<UIInstance>& records, bool snap) {
  hovered_ = cursorInside();
  if (clicks_.update(*context, hovered_) && enabled) {
    const bool next = stateAfterClick();
    if (next != on) {
      on = next;
      if (onToggle) onToggle(on);
    }
  }
  Colour plate{0, 0, 0, 0};
  if (look_ == Look::Plate && on) plate = theme_->ticked;
  if (enabled && hovered_) plate = clicks_.armed() ? theme_->pressed : theme_->hover;
  colorBottom = colorTop = plate;
  UIElement::collect(records, snap);
  box_.colorBottom = box_.colorTop = theme_->panelEdge;
  box_.collect(records, true);
  mark_.visible = look_ != Look::Plate && on;
  mark_.colorBottom = mark_.colorTop = enabled ? theme_->icon : theme_->iconDisabled;
  mark_.collect(records, true);
  label_.setColor(enabled ? theme_->text : theme_->textDisabled);
  label_.collect(records, true);
}

}  // namespace UI
