#include "ui/Navigation.h"

#include "korvane/Korvane.h"
#include "ui/Icons.h"

namespace UI {

namespace {

// The buttons in order, with their icon, hint entry and step code; which
// layout shows each.
enum class Shown { Both, Normal, Alternate };
struct ButtonEntry {
  IconId icon;
  uint16_t hint;
  int32_t step;  // -1: Play/Pause
  Shown in;
};
constexpr ButtonEntry kButtons[] = {
    {IconId::GoStart, 140, SIM_STEP_START, Shown::Both},
    {IconId::PrevTool, 141, SIM_STEP_PREVIOUS_TOOL, Shown::Both},
    {IconId::PrevOperation, 144, SIM_STEP_PREVIOUS_OPERATION, Shown::Alternate},
    {IconId::PrevPass, 142, SIM_STEP_PREVIOUS_CUTTING_PASS, Shown::Both},
    {IconId::PrevZ, 143, SIM_STEP_PREVIOUS_Z_LEVEL, Shown::Normal},
    {IconId::PrevElement, 145, SIM_STEP_PREVIOUS_ELEMENT, Shown::Both},
    {IconId::Play, 146, -1, Shown::Both},
    {IconId::NextElement, 147, SIM_STEP_NEXT_ELEMENT, Shown::Both},
    {IconId::NextZ, 148, SIM_STEP_NEXT_Z_LEVEL, Shown::Normal},
    {IconId::NextPass, 149, SIM_STEP_NEXT_CUTTING_PASS, Shown::Both},
    {IconId::NextOperation, 150, SIM_STEP_NEXT_OPERATION, Shown::Alternate},
    {IconId::NextTool, 151, SIM_STEP_NEXT_TOOL, Shown::Both},
    {IconId::GoEnd, 152, SIM_STEP_END, Shown::Both},
};
constexpr float kButtonsY = 16;   // the row's centre above the bar's bottom
constexpr float kTimelineY = 48;  // the timeline's centre above the bar's bottom
constexpr float kMargin = 16;

}  // namespace

Navigation::Navigation(UIContext* context, const Theme* theme, const StringTable* texts, double speedNeutral,
                       double speedSecondMark)
    : UIElement(context),
      theme_(theme),
      texts_(texts),
      timeline_(context, theme, 4),
      speed_(context, theme, speedNeutral, speedSecondMark, true),
      rate_(context),
      hint_(context) {
  widthMode = heightMode = SizeMode::Pixels;
  width = kWidth;
  height = kHeight;
  relX = 0.5f;
  anchorX = 0.5f;
  roundness = 0.15f;

  timeline_.parent = this;
  timeline_.widthMode = SizeMode::Pixels;
  timeline_.width = kWidth - 2 * kMargin;
  timeline_.relX = 0.5f, timeline_.anchorX = 0.5f;
  timeline_.relY = 0, timeline_.anchorY = 0.5f;
  timeline_.offsetY = kTimelineY;

  for (const ButtonEntry& entry : kButtons) {
    auto button = std::make_unique<ControlButton>(context, theme, entry.icon, entry.hint);
    button->parent = this;
    button->relX = 0.5f, button->relY = 0;
    button->anchorX = button->anchorY = 0.5f;
    button->offsetY = kButtonsY;
    const int32_t step = entry.step;
    button->onClick = [this, step] {
      if (step < 0) {
        if (onPlayPause) onPlayPause();
      } else if (onStep) {
        onStep(uint32_t(step));
      }
    };
    if (step < 0) playPause_ = button.get();
    all_.push_back(std::move(button));
  }
  placeButtons();

  speed_.parent = this;
  speed_.widthMode = SizeMode::Pixels;
  speed_.width = kSpeedWidth;
  speed_.relX = 1, speed_.relY = 0;
  speed_.anchorX = 1, speed_.anchorY = 0.5f;
  speed_.offsetX = -kMargin;
  speed_.offsetY = kButtonsY;
  rate_.hangFrom(this, 1, 0, -kMargin - kSpeedWidth - 6, kButtonsY + Text::lineHeight(*context) / 2);
  rate_.alignment = Text::Right;
  hint_.hangFrom(this, 0.5f, 1, 0, Text::lineHeight(*context) + 4);
  hint_.alignment = Text::Centre;
}

void Navigation::placeButtons() {
  shown_.clear();
  for (size_t i = 0; i < all_.size(); ++i) {
    const Shown in = kButtons[i].in;
    const bool show = in == Shown::Both || (in == Shown::Alternate) == alternate_;
    all_[i]->visible = show;
    if (show) {
      all_[i]->offsetX = kFirstButton + kButtonSpacing * float(shown_.size());
      shown_.push_back(all_[i].get());
    }
  }
}

void Navigation::setAlternateLayout(bool alternate) {
  if (alternate == alternate_) return;
  alternate_ = alternate;
  placeButtons();
}

ControlButton* Navigation::buttonFor(uint16_t hintEntry) {
  for (const auto& button : all_)
    if (button->hintEntry() == hintEntry) return button.get();
  return nullptr;
}

void Navigation::setPlaying(bool playing) {
  const IconId icon = playing ? IconId::Pause : IconId::Play;
  if (playPause_->icon() != icon) playPause_->setIcon(icon);
}

void Navigation::setRateText(const std::u16string& text) {
  if (text != rate_.text()) rate_.setText(text);
}

void Navigation::collect(std::vector<UIInstance>& records, bool snap) {
  colorBottom = theme_->panel;
  colorTop = theme_->panelEdge;
  rate_.setColor(theme_->textDisabled);
  UIElement::collect(records, snap);
  timeline_.collect(records, snap);
  std::u16string hint;
  for (const auto& button : all_) {
    button->collect(records, snap);
    if (button->visible && button->hovered()) hint = (*texts_)[button->hintEntry()];
  }
  speed_.collect(records, snap);
  rate_.collect(records, true);
  // The hovered button's hint above the bar.
  if (hint != hint_.text()) hint_.setText(hint);
  hint_.setColor(theme_->text);
  hint_.collect(records, true);
  if (cursorInside()) context->takeCursor();
}

}  // namespace UI
