#include "ui/SubProgramHUD.h"

#include <algorithm>
#include <optional>

namespace UI {

SubProgramHUD::SubProgramHUD(UIContext* context, const Theme* theme)
    : UIElement(context), theme_(theme), marker_(context), selection_(context) {
  widthMode = heightMode = SizeMode::Pixels;
  relX = 0.5f, relY = 0;
  anchorX = 0.5f, anchorY = 0;
  roundness = 0.08f;
  visible = false;
  for (UIElement* marker : {&marker_, &selection_}) {
    marker->parent = this;
    marker->widthMode = marker->heightMode = SizeMode::Pixels;
    marker->relX = 0, marker->relY = 1;
    marker->anchorX = 0, marker->anchorY = 1;
    marker->roundness = 0.2f;
  }
}

namespace {

// Lays a marker behind rows first ... last.
void coverRows(UIElement& marker, float width, size_t first, size_t last) {
  marker.width = width - 4;
  marker.height = SubProgramHUD::kRowHeight * float(last - first + 1);
  marker.offsetX = 2;
  marker.offsetY = -SubProgramHUD::kPadding + 1 - SubProgramHUD::kRowHeight * float(first);
}

}  // namespace

void SubProgramHUD::show(const SubprogramValues& v) {
  if (v == values_) return;
  values_ = v;
  visible = (v.inside || v.listing) && !v.lines.empty();
  rows_.clear();
  if (!visible) return;
  auto addRow = [&](const std::u16string& text) {
    rows_.push_back(std::make_unique<Text>(context));
    rows_.back()->hangFrom(this, 0, 1, kPadding, -kPadding - kRowHeight * float(rows_.size() - 1));
    rows_.back()->setTextWithin(text, kMaxWidth - 2 * kPadding);
  };
  if (!v.title.empty()) addRow(v.title);
  // Numbers right-aligned in a column as wide as the largest one.
  const size_t digits = std::to_string(v.lines.back().first).size();
  std::optional<size_t> current, firstSelected, lastSelected;
  for (const auto& [number, code] : v.lines) {
    const std::string n = std::to_string(number);
    std::u16string row(digits - n.size(), u' ');
    row.append(n.begin(), n.end());
    row += u"  " + code;
    if (number == v.current) current = rows_.size();
    if (v.selectedFirst != 0 && number >= v.selectedFirst && number <= v.selectedLast) {
      if (!firstSelected) firstSelected = rows_.size();
      lastSelected = rows_.size();
    }
    addRow(row);
  }
  float widest = 0;
  for (const auto& row : rows_) widest = std::max(widest, row->textWidth());
  width = std::min(kMaxWidth, widest + 2 * kPadding);
  height = kRowHeight * float(rows_.size()) + 2 * kPadding - 2;
  currentRow_ = current.value_or(0);
  marker_.visible = current.has_value();
  if (current) coverRows(marker_, width, *current, *current);
  selection_.visible = firstSelected.has_value();
  if (firstSelected) coverRows(selection_, width, *firstSelected, *lastSelected);
}

void SubProgramHUD::collect(std::vector<UIInstance>& records, bool snap) {
  colorBottom = theme_->panel;
  colorTop = theme_->panelEdge;
  marker_.colorBottom = marker_.colorTop = theme_->ticked;
  selection_.colorBottom = selection_.colorTop = theme_->hover;
  UIElement::collect(records, snap);
  if (!shown()) return;
  selection_.collect(records, snap);
  marker_.collect(records, snap);
  const bool titled = !values_.title.empty();
  for (size_t i = 0; i < rows_.size(); ++i) {
    rows_[i]->setColor(titled && i == 0 ? theme_->textDisabled : theme_->text);
    rows_[i]->collect(records, true);
  }
  if (cursorInside()) context->takeCursor();
}

}  // namespace UI
