#include "ui/Annotation.h"

#include <cmath>

#include "ui/NumberText.h"

namespace UI {
namespace {

// Table entries: the title, then the rows' labels top to bottom.
constexpr uint16_t kTitle = 25;  // "Measure"
constexpr uint16_t kLabels[] = {26, 27, 28, 29, 30, 31, 32, 34, 35};
constexpr uint16_t kShortDistance = 33;  // "Dist", the line's label
constexpr size_t kDistanceRows = 6;      // the rows after From and To

}  // namespace

Annotation::Annotation(UIContext* context, const Theme* theme, const StringTable* texts)
    : RowPanel(context, theme, texts, kTitle, {std::begin(kLabels), std::end(kLabels)}),
      labelBox_(context),
      label_(context) {
  visible = false;
  // The markers and the label stand on the scene, placed in the window.
  for (auto& marker : markers_) {
    marker = std::make_unique<UIElement>(context);
    marker->widthMode = marker->heightMode = SizeMode::Pixels;
    marker->width = marker->height = kMarkerSize;
    marker->anchorX = marker->anchorY = 0.5f;
    marker->roundness = 1;
  }
  labelBox_.widthMode = labelBox_.heightMode = SizeMode::Pixels;
  labelBox_.anchorX = 0.5f, labelBox_.anchorY = 0;
  labelBox_.roundness = 0.3f;
  label_.hangFrom(&labelBox_, 0.5f, 1, 0, -2);
  label_.alignment = Text::Centre;
}

void Annotation::show(const MeasureValues& v) {
  values_ = v;
  visible = v.active;
  const double scale = v.inch ? 1.0 / 25.4 : 1.0;
  const auto length = [&](double millimetres) { return formatNumber(millimetres * scale, v.decimals); };
  for (size_t point = 0; point < 2; ++point)
    for (size_t axis = 0; axis < 3; ++axis)
      rows_[point * 3 + axis]->setValue(v.count > point ? length(v.points[point][axis]) : u"-");
  const std::array<double, 3>& from = v.points[0];
  const std::array<double, 3>& to = v.points[1];
  const double dx = to[0] - from[0], dy = to[1] - from[1], dz = to[2] - from[2];
  const double distances[] = {std::sqrt(dx * dx + dy * dy + dz * dz), std::hypot(dx, dy), std::fabs(dz)};
  for (size_t k = 0; k < 3; ++k) rows_[kDistanceRows + k]->setValue(v.count == 2 ? length(distances[k]) : u"-");
  fitRows();
  const std::u16string text =
      v.count == 2 ? (*texts_)[kShortDistance] + u" " + length(distances[0]) + u" " + (*texts_)[v.inch ? 24 : 23] : u"";
  if (text != label_.text()) {
    label_.setText(text);
    labelBox_.width = label_.textWidth() + 12;
    labelBox_.height = Text::lineHeight(*context) + 4;
  }
}

std::optional<std::array<ScreenPoint, 2>> Annotation::line() const {
  if (!values_.active || values_.count < 2 || !values_.onScreen[0] || !values_.onScreen[1]) return std::nullopt;
  return std::array<ScreenPoint, 2>{*values_.onScreen[0], *values_.onScreen[1]};
}

void Annotation::place(UIElement& element, const ScreenPoint& at) {
  element.relX = at[0];
  element.relY = at[1];
}

void Annotation::collect(std::vector<UIInstance>& records, bool snap) {
  if (!visible) return;
  for (size_t point = 0; point < 2; ++point) {
    UIElement& marker = *markers_[point];
    marker.visible = values_.count > point && values_.onScreen[point].has_value();
    if (!marker.visible) continue;
    place(marker, *values_.onScreen[point]);
    marker.colorBottom = marker.colorTop = theme_->measure;
    marker.collect(records, true);
  }
  if (const std::optional<std::array<ScreenPoint, 2>> ends = line()) {
    const ScreenPoint& a = (*ends)[0];
    const ScreenPoint& b = (*ends)[1];
    place(labelBox_, {(a[0] + b[0]) / 2, (a[1] + b[1]) / 2});
    labelBox_.offsetY = 6;  // above the line
    labelBox_.colorBottom = labelBox_.colorTop = theme_->hint;
    label_.setColor(theme_->hintText);
    labelBox_.collect(records, true);
    label_.collect(records, true);
  }
  RowPanel::collect(records, snap);
}

}  // namespace UI
