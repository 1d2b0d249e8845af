#include "ui/Ribbonbar.h"

#include <algorithm>

#include "ui/SplitButtonMainTogglesAll.h"

namespace UI {

namespace {
constexpr float kPadding = 4, kGap = 2, kGroupGap = 9;
}

Ribbonbar::Ribbonbar(UIContext* context, RibbonLink link)
    : UIElement(context), link_(std::move(link)), hintBox_(context), hintTitle_(context), hintDescription_(context) {
  relX = 0.5f, relY = 1;
  anchorX = 0.5f, anchorY = 1;
  offsetY = -5;
  widthMode = heightMode = SizeMode::Pixels;
  roundness = 0.3f;
  hintBox_.parent = this;
  hintBox_.widthMode = hintBox_.heightMode = SizeMode::Pixels;
  hintBox_.roundness = 0.15f;
  hintBox_.visible = false;
  for (Text* text : {&hintTitle_, &hintDescription_}) text->hangFrom(&hintBox_, 0, 1);
  build();
}

Ribbonbar::~Ribbonbar() = default;

void Ribbonbar::build() {
  buttons_.clear();
  separators_.clear();
  float x = kPadding;
  for (const RibbonButtonEntry& entry : ribbonLayout()) {
    std::unique_ptr<SplitButton> button = entry.togglesAll
                                              ? std::make_unique<SplitButtonMainTogglesAll>(context, &link_, entry)
                                              : std::make_unique<SplitButton>(context, &link_, entry);
    button->parent = this;
    button->relX = 0, button->relY = 0;
    button->offsetX = x;
    button->offsetY = kPadding;
    x += button->width + kGap;
    buttons_.push_back(std::move(button));
    if (entry.endsGroup) {
      auto line = std::make_unique<UIElement>(context);
      line->parent = this;
      line->widthMode = line->heightMode = SizeMode::Pixels;
      line->width = 1;
      line->height = SplitButton::kSize - 8;
      line->offsetX = x + (kGroupGap - kGap) / 2 - 1;
      line->offsetY = kPadding + 4;
      separators_.push_back(std::move(line));
      x += kGroupGap - kGap;
    }
  }
  width = x - kGap + kPadding;
  height = SplitButton::kSize + 2 * kPadding;
}

void Ribbonbar::setTexts(const StringTable* texts) {
  link_.texts = texts;
  build();
  shownHint_ = -1;
  hintBox_.visible = false;
}

SplitButton* Ribbonbar::buttonOf(InterfaceToggle toggle) {
  for (auto& button : buttons_)
    if (button->entry().mainToggle == toggle) return button.get();
  return nullptr;
}

SplitButton* Ribbonbar::buttonOf(uint32_t action) {
  for (auto& button : buttons_)
    if (button->entry().mainAction == static_cast<int32_t>(action)) return button.get();
  return nullptr;
}

void Ribbonbar::showHint(int32_t entry, const SplitButton* under) {
  if (entry == shownHint_ && (entry < 0 || hintBox_.visible)) return;
  shownHint_ = entry;
  hintBox_.visible = entry >= 0;
  if (entry < 0) return;
  const std::u16string& text = (*link_.texts)[static_cast<size_t>(entry)];
  const size_t split = text.find(u'\n');
  hintTitle_.setText(text.substr(0, split));
  hintDescription_.setText(split == std::u16string::npos ? std::u16string() : text.substr(split + 1));
  const float line = Text::lineHeight(*context);
  hintTitle_.offsetX = hintDescription_.offsetX = 8;
  hintTitle_.offsetY = -5;
  hintDescription_.offsetY = -5 - line;
  hintBox_.width = std::max(hintTitle_.textWidth(), hintDescription_.textWidth()) + 16;
  hintBox_.height = (hintDescription_.text().empty() ? 1 : 2) * line + 10;
  // Below the bar, starting under the button.
  hintBox_.relX = 0, hintBox_.relY = 0;
  hintBox_.anchorX = 0, hintBox_.anchorY = 1;
  hintBox_.offsetX = under->offsetX;
  hintBox_.offsetY = -6;
}

void Ribbonbar::closeMenus() {
  for (auto& button : buttons_) button->setMenuOpen(false);
}

void Ribbonbar::collect(std::vector<UIInstance>& records, bool snap) {
  if (link_.state->takeRelayout())
    for (auto& button : buttons_)
      if (button->menu()) button->menu()->arrange();
  const Theme& theme = *link_.theme;
  bool menuWasOpen = false, pressOnBarOrMenu = cursorInside();
  for (auto& button : buttons_) {
    menuWasOpen = menuWasOpen || button->menuOpen();
    pressOnBarOrMenu = pressOnBarOrMenu || button->holdsCursor();
  }
  if (context->left == ButtonState::Pressed && menuWasOpen && !pressOnBarOrMenu) swallowingPress_ = true;

  colorBottom = theme.panel;
  colorTop = theme.panelEdge;
  UIElement::collect(records, snap);
  for (auto& line : separators_) {
    line->colorBottom = line->colorTop = theme.separator;
    line->collect(records, true);
  }
  int32_t hint = -1;
  const SplitButton* hovered = nullptr;
  bool holds = cursorInside();
  for (auto& button : buttons_) {
    button->collect(records, true);
    if (button->hoveredHint() >= 0 || button->main().hovered()) {
      hovered = button.get();
      hint = button->hoveredHint() >= 0 ? button->hoveredHint() : -1;
    }
    holds = holds || button->holdsCursor();
  }
  // Menus and the hint go into the overlay, drawn after every panel; the
  // hint hides while a menu is open.
  overlay_.clear();
  bool anyMenuOpen = false;
  for (auto& button : buttons_)
    if (button->menu()) {
      button->menu()->collect(overlay_, true);
      anyMenuOpen = anyMenuOpen || button->menuOpen();
    }
  if (hovered && hint < 0 && hovered->main().hovered()) hint = -2;  // the label stands in for a missing hint
  if (anyMenuOpen || !hovered) hint = -1;
  if (hint == -2) {
    showHint(hovered->entry().label, hovered);
  } else {
    showHint(hint, hovered);
  }
  hintBox_.colorBottom = hintBox_.colorTop = theme.hint;
  hintTitle_.setColor(theme.hintText);
  hintDescription_.setColor(theme.hintText);
  hintBox_.collect(overlay_, true);
  hintTitle_.collect(overlay_, true);
  hintDescription_.collect(overlay_, true);
  if (holds || swallowingPress_) context->takeCursor();
  if (context->left == ButtonState::Released || context->left == ButtonState::Idle) swallowingPress_ = false;
}

void Ribbonbar::appendOverlay(std::vector<UIInstance>& records) const {
  records.insert(records.end(), overlay_.begin(), overlay_.end());
}

}  // namespace UI
