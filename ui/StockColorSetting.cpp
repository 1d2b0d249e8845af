#include "ui/StockColorSetting.h"

#include <algorithm>

namespace UI {

namespace {
constexpr uint16_t kTitle = 159;                      // "Colors"
constexpr uint16_t kModeLabels[] = {158, 154, 155};   // "Color", "Color by operation", "Color by tool"
constexpr uint16_t kLoopLabel = 92;                   // "Color loop"
constexpr uint32_t kByOperation = 56, kByTool = 57, kLoop = 58;
constexpr float kTitleHeight = 20;
}  // namespace

StockColorSetting::StockColorSetting(UIContext* context, const RibbonLink* link)
    : UIElement(context), link_(link), title_(context), loop_(context, link->theme), picker_(context, link->theme) {
  widthMode = heightMode = SizeMode::Pixels;
  roundness = 0.08f;
  title_.hangFrom(this, 0, 1, kPadding, -kPadding + 2);
  auto place = [this](UIElement& e, size_t row) {
    e.parent = this;
    e.relX = 0, e.relY = 1;
    e.anchorX = 0, e.anchorY = 1;
    e.offsetX = kPadding;
    e.offsetY = -(kPadding + kTitleHeight + static_cast<float>(row) * kRowHeight);
  };
  for (size_t i = 0; i < modes_.size(); ++i) {
    modes_[i] = std::make_unique<RadioButton>(context, link->theme);
    place(*modes_[i], i);
    modes_[i]->onToggle = [this, i](bool) { choose(i); };
  }
  place(loop_, modes_.size());
  loop_.onToggle = [this](bool) {
    if (link_->choose) link_->choose(kLoop);
  };
  picker_.parent = this;
  picker_.relX = 0, picker_.relY = 1;
  picker_.anchorX = 0, picker_.anchorY = 0.5f;
  picker_.offsetY = -(kPadding + kTitleHeight + ToggleTextButton::kHeight / 2);
  height = 2 * kPadding + kTitleHeight + static_cast<float>(modes_.size() + 1) * kRowHeight;
  setTexts(link->texts);
}

void StockColorSetting::setTexts(const StringTable* texts) {
  title_.setText((*texts)[kTitle]);
  float widest = title_.textWidth();
  for (size_t i = 0; i < modes_.size(); ++i) {
    modes_[i]->setLabel((*texts)[kModeLabels[i]]);
    widest = std::max(widest, modes_[i]->width);
  }
  loop_.setLabel((*texts)[kLoopLabel]);
  widest = std::max(widest, loop_.width);
  // The swatch sits after the first row's label.
  picker_.offsetX = kPadding + modes_[0]->width + 4;
  width = std::max(widest, modes_[0]->width + 4 + ColorPicker::kSize) + 2 * kPadding;
}

size_t StockColorSetting::modeInForce() const {
  if (link_->state->ticked(kByOperation)) return 1;
  if (link_->state->ticked(kByTool)) return 2;
  return 0;
}

void StockColorSetting::choose(size_t mode) {
  if (!link_->choose || mode == modeInForce()) return;
  // Each entry switches its own colouring on or off; one colour is neither.
  const uint32_t inForce = modeInForce() == 1 ? kByOperation : kByTool;
  link_->choose(mode == 0 ? inForce : mode == 1 ? kByOperation : kByTool);
}

void StockColorSetting::collect(std::vector<UIInstance>& records, bool snap) {
  const Theme& theme = *link_->theme;
  const size_t inForce = modeInForce();
  for (size_t i = 0; i < modes_.size(); ++i) modes_[i]->on = i == inForce;
  loop_.on = link_->state->ticked(kLoop);
  colorBottom = theme.panel;
  colorTop = theme.panelEdge;
  UIElement::collect(records, snap);
  title_.setColor(theme.text);
  title_.collect(records, true);
  for (auto& m : modes_) m->collect(records, true);
  loop_.collect(records, true);
  picker_.collect(records, true);
}

}  // namespace UI
