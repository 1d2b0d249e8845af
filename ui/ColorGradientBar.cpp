#include "ui/ColorGradientBar.h"

#include <algorithm>
#include <cmath>

#include "ui/NumberText.h"

namespace UI {

namespace {
constexpr uint16_t kTitle = 157, kDistance = 33;  // "Compare", "Dist"
constexpr uint16_t kMm = 23, kInch = 24;
constexpr float kLabelGap = 6;
constexpr float kFaded = 0.25f;  // the opacity of a part of the surface that is hidden
}  // namespace

ColorGradientBar::ColorGradientBar(UIContext* context, const Theme* theme, const StringTable* texts)
    : UIElement(context), theme_(theme), texts_(texts), title_(context), readout_(context), mark_(context) {
  widthMode = heightMode = SizeMode::Pixels;
  roundness = 0.08f;
  title_.hangFrom(this, 0, 1, kPadding, -kPadding + 2);
  const float barTop = kPadding + kTitleHeight;
  const float pieceHeight = kBarHeight / kPieces;
  for (size_t i = 0; i < kPieces; ++i) {
    auto piece = std::make_unique<UIElement>(context);
    piece->parent = this;
    piece->widthMode = piece->heightMode = SizeMode::Pixels;
    piece->width = kBarWidth, piece->height = pieceHeight;
    piece->relX = 0, piece->relY = 1;
    piece->anchorX = 0, piece->anchorY = 0;
    piece->offsetX = kPadding;
    piece->offsetY = -(barTop + kBarHeight) + static_cast<float>(i) * pieceHeight;
    pieces_[i] = std::move(piece);
  }
  // A label at each edge between two pieces, centred on it.
  for (size_t i = 0; i < kLabels; ++i) {
    auto label = std::make_unique<Text>(context);
    const float edge = barTop + kBarHeight - static_cast<float>(i + 1) * pieceHeight;
    label->hangFrom(this, 0, 1, kPadding + kBarWidth + kLabelGap, -edge + Text::lineHeight(*context) / 2);
    labels_[i] = std::move(label);
  }
  mark_.parent = this;
  mark_.widthMode = mark_.heightMode = SizeMode::Pixels;
  mark_.width = kBarWidth + 8, mark_.height = 3;
  mark_.relX = 0, mark_.relY = 1;
  mark_.anchorX = 0, mark_.anchorY = 0.5f;
  mark_.offsetX = kPadding - 4;
  readout_.hangFrom(this, 0, 1, kPadding, -(barTop + kBarHeight + 6));
  height = barTop + kBarHeight + kReadoutHeight + kPadding;
  setTexts(texts);
}

void ColorGradientBar::setTexts(const StringTable* texts) {
  texts_ = texts;
  title_.setText((*texts_)[kTitle]);
  show(values_);
}

float ColorGradientBar::fractionOf(double distance, double lower, double upper) {
  const double halfBand = (upper - lower) / 4;
  // The bar reaches one half band beyond each limit.
  const double from = lower - halfBand, span = 6 * halfBand;
  if (!(span > 0)) return distance < lower ? 0.0f : distance > upper ? 1.0f : 0.5f;
  return static_cast<float>(std::clamp((distance - from) / span, 0.0, 1.0));
}

void ColorGradientBar::colourPieces() {
  const std::array<Colour, 5>& c = values_.colours;
  // Bottom to top: below the range, its four half bands, above it.
  const std::array<std::array<Colour, 2>, kPieces> blended = {{{c[0], c[0]},
                                                              {c[0], c[1]},
                                                              {c[1], c[2]},
                                                              {c[2], c[3]},
                                                              {c[3], c[4]},
                                                              {c[4], c[4]}}};
  const std::array<Colour, kPieces> flat = {c[0], c[1], c[2], c[2], c[3], c[4]};
  for (size_t i = 0; i < kPieces; ++i) {
    UIElement& piece = *pieces_[i];
    piece.colorBottom = values_.stepped ? flat[i] : blended[i][0];
    piece.colorTop = values_.stepped ? flat[i] : blended[i][1];
    const size_t part = i == 0 ? 0 : i == kPieces - 1 ? 2 : 1;  // below, within, above
    piece.opacity = values_.visible[part] ? 1.0f : kFaded;
  }
}

void ColorGradientBar::arrangeWidth() {
  float widest = title_.textWidth();
  for (const auto& label : labels_) widest = std::max(widest, kBarWidth + kLabelGap + label->textWidth());
  widest = std::max(widest, readout_.textWidth());
  width = widest + 2 * kPadding;
}

void ColorGradientBar::show(const CompareValues& values) {
  values_ = values;
  colourPieces();
  const int decimals = values.inch ? 4 : 3;
  const double middle = (values.lower + values.upper) / 2, halfBand = (values.upper - values.lower) / 4;
  for (size_t i = 0; i < kLabels; ++i) {
    const double at = middle + (static_cast<double>(i) - 2) * halfBand;
    // A rounded zero has no sign.
    labels_[i]->setText(formatNumber(std::abs(at) < 0.5 * std::pow(10.0, -decimals) ? 0.0 : at, decimals));
  }
  const std::u16string unit = (*texts_)[values.inch ? kInch : kMm];
  if (values.distance)
    readout_.setText((*texts_)[kDistance] + u" " + formatNumber(*values.distance, decimals) + u" " + unit);
  else
    readout_.setText((*texts_)[kDistance] + u" - " + unit);
  mark_.visible = values.distance.has_value();
  if (values.distance)
    mark_.offsetY = -(kPadding + kTitleHeight + kBarHeight) +
                    kBarHeight * fractionOf(*values.distance, values.lower, values.upper);
  arrangeWidth();
}

void ColorGradientBar::collect(std::vector<UIInstance>& records, bool snap) {
  colorBottom = theme_->panel;
  colorTop = theme_->panelEdge;
  mark_.colorBottom = mark_.colorTop = theme_->text;
  UIElement::collect(records, snap);
  title_.setColor(theme_->text);
  title_.collect(records, true);
  for (auto& piece : pieces_) piece->collect(records, true);
  mark_.collect(records, true);
  for (auto& label : labels_) {
    label->setColor(theme_->text);
    label->collect(records, true);
  }
  readout_.setColor(theme_->text);
  readout_.collect(records, true);
  if (cursorInside()) context->takeCursor();
}

}  // namespace UI
