#include "ui/StatusBar.h"

#include <algorithm>

#include "ui/NumberText.h"

namespace UI {

namespace {
constexpr uint16_t kTotalLength = 208, kTotalTime = 209, kMm = 23, kInch = 24;
constexpr float kGap = 24;  // between the line and the totals
}  // namespace

StatusBar::StatusBar(UIContext* context, const Theme* theme, const StringTable* texts)
    : UIElement(context), theme_(theme), texts_(texts), line_(context), totals_(context) {
  relX = relY = 0;
  anchorX = anchorY = 0;
  widthMode = SizeMode::ParentWidth;
  width = 1;
  heightMode = SizeMode::Pixels;
  height = kHeight;
  const float top = -(kHeight - Text::lineHeight(*context)) / 2;
  line_.hangFrom(this, 0, 1, kPadding, top);
  totals_.hangFrom(this, 1, 1, -kPadding, top);
  totals_.alignment = Text::Right;
}

void StatusBar::show(const StatusValues& v) {
  if (shown_ && v == values_) return;
  shown_ = true;
  values_ = v;
  std::u16string line;
  if (v.hasToolpath && v.line > 0) {
    const std::string number = std::to_string(v.line);
    line.assign(number.begin(), number.end());
    if (!v.code.empty()) line += u": " + v.code;
  }
  if (line != fullLine_) {
    fullLine_ = std::move(line);
    fittedTo_ = -1;
  }
  std::u16string totals;
  if (v.hasToolpath) {
    const double length = v.inch ? v.totalLength / 25.4 : v.totalLength;
    totals = (*texts_)[kTotalLength] + u" " + formatNumber(length, v.decimals) + u" " + (*texts_)[v.inch ? kInch : kMm] +
             u"    " + (*texts_)[kTotalTime] + u" " + formatDuration(v.totalMinutes * 60.0);
  }
  if (totals != totals_.text()) {
    totals_.setText(std::move(totals));
    fittedTo_ = -1;
  }
}

void StatusBar::fitLine() {
  // The room between the bar's left edge and the totals, in logical pixels.
  const float barWidth = context->windowWidth / std::max(context->contentScaleX, 0.01f);
  const float room = std::max(0.0f, barWidth - 2 * kPadding - totals_.textWidth() - kGap);
  if (room == fittedTo_) return;
  fittedTo_ = room;
  line_.setTextWithin(fullLine_, room);
}

void StatusBar::collect(std::vector<UIInstance>& records, bool snap) {
  colorBottom = theme_->panel;
  colorTop = theme_->panelEdge;
  line_.setColor(theme_->text);
  totals_.setColor(theme_->textDisabled);
  fitLine();
  UIElement::collect(records, snap);
  line_.collect(records, true);
  totals_.collect(records, true);
  if (cursorInside()) context->takeCursor();
}

}  // namespace UI
