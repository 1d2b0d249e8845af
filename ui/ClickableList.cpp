#include "ui/ClickableList.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace UI {

namespace {
constexpr float kTitleHeight = 22, kTickWidth = 20;
}

ClickableList::Item::Item(UIContext* context, const Theme* theme, ClickableList* list)
    : Button(context, theme), list_(list) {
  height = kRowHeight;
  roundness = 0;
  setIcon(IconId::Check, 14);
  setLabel(u"");
}

void ClickableList::Item::collect(std::vector<UIInstance>& records, bool snap) {
  visible = row.has_value();
  if (row) {
    const Row& content = list_->rows_[*row];
    if (content.text != label()->text()) setLabel(content.text);
    icon_.visible = content.ticked;
    ticked = list_->selected_ == row;
    // Where the click lands decides what it does: the tick box or the row.
    const Rect r = getRect();
    const bool onTick = (context->cursorX + 0.5f) / context->windowWidth < r.x + kTickWidth * context->contentScaleX / context->windowWidth;
    const size_t index = *row;
    onClick = [list = list_, index, onTick] {
      if (onTick) {
        if (list->onTick) list->onTick(index, !list->rows_[index].ticked);
      } else {
        list->setSelected(index);
        if (list->onSelect) list->onSelect(index);
      }
    };
  }
  Button::collect(records, snap);
}

ClickableList::ScrollBar::ScrollBar(UIContext* context, const Theme* theme, ClickableList* list)
    : UIElement(context), theme_(theme), list_(list), thumb_(context) {
  widthMode = heightMode = SizeMode::Pixels;
  roundness = 1;
  thumb_.parent = this;
  thumb_.widthMode = SizeMode::ParentWidth;
  thumb_.heightMode = SizeMode::ParentHeight;
  thumb_.roundness = 1;
}

void ClickableList::ScrollBar::collect(std::vector<UIInstance>& records, bool snap) {
  const size_t total = list_->rows_.size();
  visible = total > kShownRows;
  const size_t hidden = total > kShownRows ? total - kShownRows : 0;
  // The thumb's share of the bar, never under 16 pixels so it can be held.
  const float minimum = 16.0f / (kShownRows * kRowHeight);
  const float share = visible ? std::max(minimum, float(kShownRows) / float(total)) : 1.0f;
  // The thumb's top follows the first shown row (relY measured from the
  // bottom: 1 - share at the top of the list).
  thumb_.height = share;
  thumb_.relY = hidden ? (1.0f - share) * (1.0f - float(list_->first_) / float(hidden)) : 0.0f;
  if (visible) {
    const Rect r = getRect();
    const float cursorY = 1.0f - (context->cursorY + 0.5f) / context->windowHeight;
    const bool inside = cursorInside();
    if (context->left == ButtonState::Pressed && inside) {
      const Rect t = thumb_.getRect();
      if (cursorY >= t.y && cursorY < t.y + t.h) {
        grip_ = cursorY - t.y;
      } else {  // a page towards the press
        const long step = cursorY > t.y ? -long(kShownRows) : long(kShownRows);
        list_->scrollTo(size_t(std::max(0L, long(list_->first_) + step)));
      }
    }
    if (context->left == ButtonState::Held && grip_ && r.h > 0 && context->cursorY >= 0) {
      // The thumb's bottom at the cursor less the grip, as a row.
      const float bottom = (cursorY - *grip_ - r.y) / r.h;
      const float topFraction = 1.0f - share - bottom;
      const float rows = std::clamp(topFraction / std::max(1e-6f, 1.0f - share), 0.0f, 1.0f) * float(hidden);
      list_->scrollTo(size_t(std::lround(rows)));
    }
    if (context->left == ButtonState::Released || context->left == ButtonState::Idle) grip_.reset();
  }
  colorBottom = colorTop = theme_->separator;
  colorBottom[3] = colorTop[3] = 0.35f;
  thumb_.colorBottom = thumb_.colorTop = theme_->icon;
  thumb_.colorBottom[3] = thumb_.colorTop[3] = 0.6f;
  UIElement::collect(records, snap);
  thumb_.collect(records, true);
}

ClickableList::ClickableList(UIContext* context, const Theme* theme)
    : UIElement(context), theme_(theme), title_(context), scrollBar_(context, theme, this) {
  widthMode = heightMode = SizeMode::Pixels;
  width = kWidth;
  height = kTitleHeight + kShownRows * kRowHeight + 2 * kPadding;
  roundness = 0.06f;
  title_.hangFrom(this, 0, 1, kPadding + 2, -kPadding);
  for (size_t i = 0; i < kShownRows; ++i) {
    auto item = std::make_unique<Item>(context, theme, this);
    item->parent = this;
    item->width = kWidth - 2 * kPadding - kBarWidth - 4;
    item->relX = 0, item->relY = 1;
    item->anchorX = 0, item->anchorY = 1;
    item->offsetX = kPadding;
    item->offsetY = -(kPadding + kTitleHeight + float(i) * kRowHeight);
    items_.push_back(std::move(item));
  }
  scrollBar_.parent = this;
  scrollBar_.width = kBarWidth;
  scrollBar_.height = kShownRows * kRowHeight;
  scrollBar_.relX = 1, scrollBar_.relY = 0;
  scrollBar_.anchorX = 1, scrollBar_.anchorY = 0;
  scrollBar_.offsetX = -kPadding, scrollBar_.offsetY = kPadding;
  showRows();
}

ClickableList::~ClickableList() = default;

void ClickableList::setTitle(const std::u16string& title) {
  if (title != title_.text()) title_.setText(title);
}

void ClickableList::setRows(std::vector<Row> rows) {
  if (rows == rows_) return;
  rows_ = std::move(rows);
  if (selected_ && *selected_ >= rows_.size()) selected_.reset();
  scrollTo(first_);
}

void ClickableList::setSelected(std::optional<size_t> row) {
  if (row && *row >= rows_.size()) row.reset();
  if (row == selected_) return;  // the user may have scrolled away from it
  selected_ = row;
  // The selection scrolls into sight.
  if (selected_ && *selected_ < first_) scrollTo(*selected_);
  if (selected_ && *selected_ >= first_ + kShownRows) scrollTo(*selected_ + 1 - kShownRows);
}

void ClickableList::scrollTo(size_t first) {
  const size_t last = rows_.size() > kShownRows ? rows_.size() - kShownRows : 0;
  first_ = std::min(first, last);
  showRows();
}

void ClickableList::showRows() {
  for (size_t i = 0; i < items_.size(); ++i)
    items_[i]->row = first_ + i < rows_.size() ? std::optional<size_t>(first_ + i) : std::nullopt;
}

void ClickableList::collect(std::vector<UIInstance>& records, bool snap) {
  if (shown() && cursorInside() && context->scrollDelta != 0) {
    // A wheel step away from the user moves up the list.
    const long steps = std::lround(-context->scrollDelta);
    scrollTo(size_t(std::max(0L, long(first_) + steps)));
  }
  colorBottom = theme_->panel;
  colorTop = theme_->panelEdge;
  title_.setColor(theme_->text);
  const bool holds = shown() && cursorInside();
  UIElement::collect(records, snap);
  title_.collect(records, true);
  for (auto& item : items_) item->collect(records, true);
  scrollBar_.collect(records, true);
  if (holds) context->takeCursor();
}

}  // namespace UI
