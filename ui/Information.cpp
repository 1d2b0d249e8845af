#include "ui/Information.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace UI {

namespace {

// Table entries of the row labels, top to bottom.
constexpr uint16_t kLabels[] = {0, 1, 2, 13, 14, 12, 10, 22};
constexpr uint16_t kTitle = 8;  // "Tool position"
constexpr size_t kCoordinateRows = 3;  // X, Y and Z come first

}  // namespace

Information::Information(UIContext* context, const Theme* theme, const StringTable* texts)
    : UIElement(context), theme_(theme), texts_(texts), title_(context) {
  widthMode = heightMode = SizeMode::Pixels;
  relX = relY = 0;
  offsetX = offsetY = 8;
  roundness = 0.08f;
  title_.hangFrom(this, 0, 1, kPadding, -kPadding + 2);
  for (size_t i = 0; i < std::size(kLabels); ++i) {
    rows_.push_back(std::make_unique<TextPair>(context, theme));
    rows_.back()->parent = this;
  }
  setTexts(texts);
}

void Information::setTexts(const StringTable* texts) {
  texts_ = texts;
  title_.setText((*texts_)[kTitle]);
  for (size_t i = 0; i < rows_.size(); ++i) rows_[i]->setLabel((*texts_)[kLabels[i]]);
  arrange();
}

void Information::arrange() {
  // As wide as the widest label and value need, never narrower than 180.
  float labels = 0, values = 60;
  for (const auto& row : rows_) {
    labels = std::max(labels, row->labelWidth());
    values = std::max(values, row->valueWidth());
  }
  const float rowWidth = std::max(180.0f - 2 * kPadding, labels + values + 16);
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

void Information::setValues(const InformationValues& v) {
  const double scale = v.inch ? 1.0 / 25.4 : 1.0;
  const std::u16string unit = (*texts_)[v.inch ? 24 : 23];
  for (size_t k = 0; k < kCoordinateRows; ++k)
    rows_[k]->setValue(v.hasToolpath ? formatNumber(v.tip[k] * scale, v.decimals) : u"-");
  rows_[3]->setValue(v.hasToolpath ? formatNumber(v.feed * scale, v.inch ? 2 : 0) + u" " + unit + u"/min" : u"-");
  rows_[4]->setValue(v.hasToolpath ? formatNumber(v.spindle, 0) : u"-");
  rows_[5]->setValue(v.tool.empty() ? u"-" : v.tool);
  rows_[6]->setValue(v.operation.empty() ? u"-" : v.operation);
  rows_[7]->setValue(formatDuration(v.seconds));
  float widest = 0;
  for (const auto& row : rows_) widest = std::max(widest, row->labelWidth() + row->valueWidth() + 16);
  if (widest > rows_.front()->width) arrange();
}

void Information::collect(std::vector<UIInstance>& records, bool snap) {
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
