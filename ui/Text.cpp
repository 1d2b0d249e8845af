#include "ui/Text.h"

#include <cmath>
#include <utility>

namespace UI {

void Text::setText(std::u16string text) {
  text_ = std::move(text);
  letters_.clear();
  for (char16_t c : text_) {
    auto letter = std::make_unique<Letter>(context, c);
    letter->parent = this;
    letter->drawMode = 2;
    letter->widthMode = letter->heightMode = SizeMode::Pixels;
    letter->anchorX = 0;
    letter->anchorY = 1;
    letter->colorBottom = letter->colorTop = color_;
    letters_.push_back(std::move(letter));
  }
  layout();
}

void Text::setTextWithin(const std::u16string& text, float width) {
  setText(text);
  if (textWidth() <= width) return;
  const float dots = 3 * (context->glyphs ? context->glyphs->glyph(u'.').advance : 4.0f);
  size_t keep = 0;
  while (keep + 1 < pen_.size() && pen_[keep + 1] - pen_[0] + dots <= width) ++keep;
  if (keep > 0 && text[keep - 1] >= 0xD800 && text[keep - 1] < 0xDC00) --keep;
  setText(text.substr(0, keep) + u"...");
}

void Text::hangFrom(UIElement* owner, float atX, float atY, float byX, float byY) {
  parent = owner;
  widthMode = heightMode = SizeMode::Pixels;
  width = height = 0;
  relX = atX, relY = atY;
  offsetX = byX, offsetY = byY;
}

float Text::lineHeight(const UIContext& context) {
  return context.glyphs ? context.glyphs->lineHeight / context.glyphs->contentScale : 16.0f;
}

void Text::setColor(const std::array<float, 4>& rgba) {
  color_ = rgba;
  for (auto& letter : letters_) letter->colorBottom = letter->colorTop = rgba;
}

void Text::layout() {
  laidOutFor_ = context->glyphGeneration;
  const FontAtlas* atlas = context->glyphs;
  auto glyphOf = [&](char16_t c) -> GlyphRecord {
    return atlas ? atlas->glyph(c) : GlyphRecord{0, 0, 0, 0, 0, 0, 0, 0};
  };
  float total = 0;
  for (const auto& letter : letters_) total += glyphOf(letter->character).advance;
  const float a = alignment == Centre ? 0.5f : alignment == Right ? 1.0f : 0.0f;
  const float start = std::round(-total * a);

  pen_.clear();
  firstVisible_ = endVisible_ = 0;
  float advanced = 0;
  for (auto& letter : letters_) {
    const GlyphRecord g = glyphOf(letter->character);
    letter->relX = a;
    letter->relY = 1;
    letter->offsetX = start + advanced + static_cast<float>(g.offsetX) - scrollX;
    letter->offsetY = 0;
    letter->width = g.width;
    letter->height = g.height;
    letter->texRect = {g.u0, g.v0, g.u0 + g.uSize, g.v0 + g.vSize};
    pen_.push_back(start + advanced - scrollX);
    // Pens only grow: the letters wholly inside form one run.
    const bool inside = advanced >= scrollX && (maxWidth <= 0 || advanced + g.advance <= scrollX + maxWidth);
    if (inside) {
      if (endVisible_ == 0) firstVisible_ = pen_.size() - 1;
      endVisible_ = pen_.size();
    }
    advanced += g.advance;
  }
  pen_.push_back(start + (letters_.empty() ? 0 : total) - scrollX);
}

void Text::collect(std::vector<UIInstance>& records, bool /*snap*/) {
  if (laidOutFor_ != context->glyphGeneration) layout();  // another DPI: other glyph rectangles
  for (size_t i = firstVisible_; i < endVisible_; ++i) letters_[i]->collect(records, true);
  dispatch();
}

}  // namespace UI
