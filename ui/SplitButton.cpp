#include "ui/SplitButton.h"

namespace UI {

SplitButton::SplitButton(UIContext* context, const RibbonLink* link, const RibbonButtonEntry& entry)
    : UIElement(context), link_(link), entry_(entry), main_(context, link->theme) {
  widthMode = heightMode = SizeMode::Pixels;
  height = kSize;
  main_.parent = this;
  main_.width = main_.height = kSize;
  main_.setIcon(entry.icon, kIconSize);
  main_.onClick = [this] { runMain(); };
  width = kSize;
  if (!entry.menu.empty() || entry.arrowToggle != InterfaceToggle::Nothing) {
    arrow_ = std::make_unique<Button>(context, link->theme);
    arrow_->parent = this;
    arrow_->width = kArrowWidth;
    arrow_->height = kSize;
    arrow_->offsetX = kSize;
    arrow_->setIcon(IconId::Dropdown, kArrowWidth - 2);
    arrow_->onClick = [this] {
      if (menu_)
        setMenuOpen(!menuOpen());
      else if (link_->toggle)
        link_->toggle(entry_.arrowToggle);
    };
    width += kArrowWidth;
  }
  if (!entry.menu.empty()) {
    menu_ = std::make_unique<SplitButtonMenu>(context, link, entry.menu);
    menu_->parent = this;
    menu_->relX = 0, menu_->relY = 0;
    menu_->anchorX = 0, menu_->anchorY = 1;
    menu_->offsetY = -4;
  }
}

SplitButton::~SplitButton() = default;

void SplitButton::setMenuOpen(bool open) {
  if (menu_) menu_->visible = open;
}

void SplitButton::runMain() {
  if (entry_.mainAction >= 0) {
    if (link_->choose) link_->choose(static_cast<uint32_t>(entry_.mainAction));
  } else if (entry_.mainToggle != InterfaceToggle::Nothing) {
    if (link_->toggle) link_->toggle(entry_.mainToggle);
  } else {
    setMenuOpen(!menuOpen());
  }
}

int32_t SplitButton::hoveredHint() const {
  if (main_.hovered()) return entry_.hint >= 0 ? entry_.hint : -1;
  if (arrow_ && arrow_->hovered()) return entry_.menuHint;
  return -1;
}

bool SplitButton::holdsCursor() const { return cursorInside() || (menuOpen() && menu_->cursorInside()); }

void SplitButton::collect(std::vector<UIInstance>& records, bool snap) {
  // A press elsewhere closes the menu before anything reacts to it.
  if (menuOpen() && context->left == ButtonState::Pressed && !holdsCursor()) setMenuOpen(false);
  if (entry_.mainAction >= 0) {
    const uint32_t action = static_cast<uint32_t>(entry_.mainAction);
    main_.ticked = link_->state->ticked(action);
    main_.enabled = link_->state->enabled(action);
  }
  if (entry_.mainToggle != InterfaceToggle::Nothing) main_.ticked = link_->isOn(entry_.mainToggle);
  if (arrow_) arrow_->ticked = menuOpen() || link_->isOn(entry_.arrowToggle);
  colorBottom = colorTop = {0, 0, 0, 0};
  UIElement::collect(records, snap);
  main_.collect(records, true);
  if (arrow_) arrow_->collect(records, true);
}

}  // namespace UI
