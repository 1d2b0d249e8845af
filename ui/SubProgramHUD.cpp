#include "ui/SubProgramHUD.h"

#include <algorithm>

namespace UI {

SubProgramHUD::SubProgramHUD(UIContext* context, const Theme* theme)
    : UIElement(context), theme_(theme), marker_(context) {
  widthMode = heightMode = SizeMode::Pixels;
  relX = 0.5f, relY = 0;
  anchorX = 0.5f, anchorY = 0;
  roundness = 0.08f;
  visible = false;
  marker_.parent = this;
  marker_.widthMode = marker_.heightMode = SizeMode::Pixels;
  marker_.relX = 0, marker_.relY = 1;
  marker_.anchorX = 0, marker_.anchorY = 1;
  marker_.roundness = 0.2f;
}

void SubProgramHUD::show(const SubprogramValues& v) {
  if (v == values_) return;
  values_ = v;
  visible = v.inside && !v.lines.empty();
  rows_.clear();
  if (!visible) return;
  auto addRow = [&](const std::u16string& text) {
    rows_.push_back(std::make_unique<Text>(context));
    rows_.back()->hangFrom(this, 0, 1, kPadding, -kPadding - kRowHeight * float(rows_.size() - 1));
    rows_.back()->setTextWithin(text, kMaxWidth - 2 * kPadding);
  };
  addRow(v.title);
  // Numbers right-aligned in a column as wide as the largest one.
  const size_t digits = std::to_string(v.lines.back().first).size();
  for (const auto& [number, code] : v.lines) {
    const std::string n = std::to_string(number);
    std::u16string row(digits - n.size(), u' ');
    row.append(n.begin(), n.end());
    row += u"  " + code;
    if (number == v.current) currentRow_ = rows_.size();
    addRow(row);
  }
  float widest = 0;
  for (const auto& row : rows_) widest = std::max(widest, row->textWidth());
  width = std::min(kMaxWidth, widest + 2 * kPadding);
  height = kRowHeight * float(rows_.size()) + 2 * kPadding - 2;
  marker_.width = width - 4;
  marker_.height = kRowHeight;
  marker_.offsetX = 2;
  marker_.offsetY = -kPadding + 1 - kRowHeight * float(currentRow_);
}

void SubProgramHUD::collect(std::vector<UIInstance>& records, bool snap) {
  colorBottom = theme_->panel;
  colorTop = theme_->panelEdge;
  marker_.colorBottom = marker_.colorTop = theme_->ticked;
  UIElement::collect(records, snap);
  if (!shown()) return;
  marker_.collect(records, snap);
  for (size_t i = 0; i < rows_.size(); ++i) {
    rows_[i]->setColor(i == 0 ? theme_->textDisabled : theme_->text);
    rows_[i]->collect(records, true);
  }
  if (cursorInside()) context->takeCursor();
}

}  // namespace UI
