#include "ui/Slider.h"

#include <algorithm>
#include <cmath>

namespace UI {

namespace {
constexpr float kMarkWidth = 2;  // logical pixels
}  // namespace

Slider::Slider(UIContext* context, const Theme* theme, float baseHeight)
    : UIElement(context),
      theme_(theme),
      content_(context, theme, this),
      baseHeight_(baseHeight),
      trackHeight_(baseHeight),
      highlight_(context),
      rangeMarks_{UIElement(context), UIElement(context)} {
  heightMode = SizeMode::Pixels;
  height = 4 * baseHeight;  // room for the played segments and the dot
  content_.parent = this;
  for (UIElement& mark : rangeMarks_) {
    mark.parent = this;
    mark.widthMode = mark.heightMode = SizeMode::Pixels;
    mark.width = kMarkWidth;
    mark.relY = mark.anchorY = 0.5f;
    mark.anchorX = 0.5f;
    mark.visible = false;
  }
  content_.widthMode = SizeMode::ParentWidth;
  content_.heightMode = SizeMode::Pixels;
  content_.relY = 0.5f;
  content_.anchorY = 0.5f;
  content_.leftPart().widthMode = SizeMode::ParentWidth;
  content_.leftPart().heightMode = SizeMode::ParentHeight;
  content_.leftPart().height = 1;
  content_.rightPart().visible = false;  // the timeline fills from its start
  content_.dot().visible = false;        // until a value is set
  highlight_.parent = this;
  highlight_.heightMode = SizeMode::Pixels;
  highlight_.widthMode = SizeMode::ParentWidth;
  highlight_.relY = highlight_.anchorY = 0.5f;
  highlight_.visible = false;
  placeContent();
  layout();
}

void Slider::setValue(double v) {
  if (steps > 0) v = std::round(steps * v) / steps;
  if (v == value_) return;
  value_ = v;
  layout();
}

void Slider::placeContent() {
  content_.width = zoom_;
  content_.height = trackHeight_;
  content_.relX = left_;
  content_.setRulerScale(zoom_);
}

void Slider::setSegments(const std::vector<double>& ends, std::vector<Colour> palette, std::vector<uint8_t> colours) {
  boundaries_.clear();
  segments_.clear();
  const double total = ends.empty() ? 0.0 : ends.back();
  float previous = 0;
  double before = 0;
  for (double end : ends) {
    // Each boundary is the previous one plus its normalised step, in single
    // precision.
    const float step = total > 0 ? static_cast<float>((end - before) / total) : 0.0f;
    previous += step;
    before = end;
    boundaries_.push_back(previous);
  }
  palette_ = std::move(palette);
  colours_ = std::move(colours);
  coloured_ = colours_.size() == boundaries_.size() && boundaries_.size() > 1 && !palette_.empty();
  for (size_t i = 0; i < boundaries_.size(); ++i) {
    auto segment = std::make_unique<UIElement>(this->context);
    segment->parent = this;
    segment->heightMode = SizeMode::Pixels;
    segment->relY = segment->anchorY = 0.5f;
    segment->widthMode = coloured_ ? SizeMode::ParentWidth : SizeMode::Pixels;
    if (!coloured_) {
      segment->width = kMarkWidth;
      segment->anchorX = 0.5f;
      segment->colorBottom = segment->colorTop = theme_->sliderDot;
    }
    segments_.push_back(std::move(segment));
  }
  layout();
}

void Slider::setRange(double lo, double hi) {
  if (lo == rangeLo_ && hi == rangeHi_) return;
  rangeLo_ = lo;
  rangeHi_ = hi;
  layout();
}

void Slider::layout() {
  const float v = static_cast<float>(std::clamp(value_, 0.0, 1.0));
  // The visible window of the strip, in its own fractions: only that much
  // of the track and the filled part is drawn, their ruler ticks where the
  // whole strip has them.
  const float from = -left_ / zoom_, to = (1 - left_) / zoom_;
  const float a = std::max(from, 0.0f), b = std::min(to, 1.0f);
  UIElement& track = content_.track();
  track.relX = a;
  track.width = b - a;
  track.texRect = {a, 0, b, 1};
  UIElement& fill = content_.leftPart();
  const float filled = value_ >= 0 ? std::min(v, b) : a;
  fill.visible = filled > a;
  fill.relX = a;
  fill.width = std::max(0.0f, filled - a);
  fill.texRect = {a, 0, filled, 1};
  content_.dot().relX = v;
  content_.dot().visible = value_ >= 0 && v >= from && v <= to;
  auto toSlider = [&](float at) { return left_ + at * zoom_; };
  const float k = trackHeight_ / baseHeight_ * 0.5f + 0.5f;
  const bool ranged = rangeLo_ > 0 || rangeHi_ < 1;
  for (size_t k = 0; k < 2; ++k) {
    UIElement& mark = rangeMarks_[k];
    const float at = static_cast<float>(k == 0 ? rangeLo_ : rangeHi_);
    mark.visible = ranged && at >= from && at <= to;
    mark.relX = toSlider(at);
    mark.height = 4 * trackHeight_;
    mark.colorBottom = mark.colorTop = theme_->range;
  }
  highlight_.visible = false;
  for (size_t i = 0; i < segments_.size(); ++i) {
    UIElement& s = *segments_[i];
    const float start = i == 0 ? 0.0f : boundaries_[i - 1], end = boundaries_[i];
    if (!coloured_) {
      s.relX = toSlider(end);
      s.height = 2 * trackHeight_;
      s.visible = i + 1 < segments_.size() && end > from && end < to;
      continue;
    }
    const float x0 = std::clamp(toSlider(start), 0.0f, 1.0f), x1 = std::clamp(toSlider(end), 0.0f, 1.0f);
    s.visible = end > from && start < to;
    s.relX = x0;
    s.width = x1 - x0;
    Colour colour = palette_[colours_[i] % palette_.size()];
    const bool played = value_ >= 0 && end <= v;
    colour[3] *= played ? 1.0f : 0.6f;
    s.colorBottom = s.colorTop = colour;
    s.height = (played ? 3 : 2) * trackHeight_ * k;
    if (value_ >= 0 && start <= v && v < end) {
      highlight_.relX = x0;
      highlight_.width = x1 - x0;
      highlight_.colorBottom = highlight_.colorTop = palette_[colours_[i] % palette_.size()];
      highlight_.height = 3 * baseHeight_ * k;
      highlight_.visible = start >= from && start < to;
    }
  }
}

void Slider::onPressInside() {
  if (!content_.enabled) return;
  onDotDrag();
  content_.dot().startDrag();
}

void Slider::onDotDrag() {
  const Rect r = content_.getRect();
  if (r.w <= 0) return;
  setValue(std::clamp((context->cursorX / context->windowWidth - r.x) / r.w, 0.0f, 1.0f));
}

void Slider::wheel(double delta) {
  if (!content_.enabled || delta == 0 || wheeled_) return;
  wheeled_ = true;
  if (!zoomable) {
    setValue(std::clamp(std::max(value_, 0.0) + delta / 100, 0.0, 1.0));
    return;
  }
  const double f = std::pow(delta < 0 ? 1 / 1.1 : 1.1, std::abs(delta));
  const float before = zoom_;
  zoom_ = static_cast<float>(std::clamp(zoom_ * f, double(kMinZoom), double(kMaxZoom)));
  trackHeight_ = std::pow(zoom_, 0.15f) * baseHeight_;
  if (f < 1 && zoom_ < 1.5f) {
    // Back towards the whole strip in step with the zoom left: at 1 it
    // fills the slider exactly.
    left_ = before > 1 ? left_ * (zoom_ - 1) / (before - 1) : 0.0f;
  } else {
    // The point of the value stays where it is.
    const float v = static_cast<float>(std::clamp(value_, 0.0, 1.0));
    left_ = left_ + v * before - v * zoom_;
  }
  // No gap at either end.
  left_ = std::clamp(left_, 1 - zoom_, 0.0f);
  placeContent();
  layout();
}

void Slider::collect(std::vector<UIInstance>& records, bool snap) {
  wheeled_ = false;
  colorBottom = colorTop = {0, 0, 0, 0};
  UIElement::collect(records, snap);
  content_.collect(records, snap);
  for (const auto& s : segments_) s->collect(records, snap);
  highlight_.collect(records, snap);
  for (UIElement& mark : rangeMarks_) mark.collect(records, snap);
  content_.collectDot(records);
}

}  // namespace UI
