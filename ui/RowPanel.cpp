#include "ui/RowPanel.h"

#include <algorithm>
#include <utility>

namespace UI {

RowPanel::RowPanel(UIContext* context, const Theme* theme, const StringTable* texts, uint16_t title,
                   std::vector<uint16_t> labels)
    : UIElement(context), theme_(theme), texts_(texts), title_(context), titleEntry_(title),
      labelEntries_(std::move(labels)) {
  widthMode = heightMode = SizeMode::Pixels;
  roundness = 0.08f;
  title_.hangFrom(this, 0, 1, kPadding, -kPadding + 2);
  for (size_t i = 0; i < labelEntries_.size(); ++i) {
    rows_.push_back(std::make_unique<TextPair>(context, theme));
    rows_.back()->parent = this;
  }
  setTexts(texts);
}

void RowPanel::setTexts(const StringTable* texts) {
  texts_ = texts;
  title_.setText((*texts_)[titleEntry_]);
  for (size_t i = 0; i < rows_.size(); ++i) rows_[i]->setLabel((*texts_)[labelEntries_[i]]);
  arrange();
}

void RowPanel::arrange() {
  float labels = 0, values = 60;
  for (const auto& row : rows_) {
    labels = std::max(labels, row->labelWidth());
    values = std::max(values, row->valueWidth());
  }
  const float rowWidth = std::max(kMinWidth - 2 * kPadding, labels + values + 16);
  float y = kPadding + kRowHeight + 4;  // below the title
  for (const auto& row : rows_) {
    row->width = rowWidth;
    row->height = kRowHeight;
    row->relX = 0, row->relY = 1;
    row->anchorX = 0, row->anchorY = 1;
    row->offsetX = kPadding;
    row->offsetY = -y;
    y += kRowHeight;
  }
  width = rowWidth + 2 * kPadding;
  height = y + kPadding;
}

void RowPanel::fitRows() {
  float widest = 0;
  for (const auto& row : rows_) widest = std::max(widest, row->labelWidth() + row->valueWidth() + 16);
  if (!rows_.empty() && widest > rows_.front()->width) arrange();
}

void RowPanel::collect(std::vector<UIInstance>& records, bool snap) {
  colorBottom = theme_->panel;
  colorTop = theme_->panelEdge;
  title_.setColor(theme_->text);
  UIElement::collect(records, snap);
  title_.collect(records, true);
  for (const auto& row : rows_) row->collect(records, true);
  // The panel is the interface's: the scene below does not take the cursor.
  if (cursorInside()) context->takeCursor();
}

}  // namespace UI
