#pragma once
// The glyph atlas every interface text is drawn from: each character of the
// printable ASCII range, of the string table and of any extra text, drawn
// once into a 2048 x 1024 RGBA image in the interface font ("Segoe UI", or
// the face fontconfig puts in its place; characters that face lacks come
// from the next face that has them). Texels hold per-channel (subpixel)
// coverage, alpha the largest of the three. Glyphs are packed in ascending
// character order, so the space is glyph 0; a character without a glyph
// draws as glyph 0, a gap. CPU only: the caller uploads the image.
#include <cstdint>
#include <string_view>
#include <vector>

#include "ui/StringTable.h"

namespace UI {

// Sizes in logical pixels (device pixels / content scale), atlas
// coordinates as fractions of the image.
struct GlyphRecord {
  float width;    // the glyph's box with its margins: its atlas width / scale
  float height;   // line height / scale
  float u0, v0;   // left and top edge in the atlas
  float uSize, vSize;
  float advance;  // pen movement to the next character
  int32_t offsetX;
};
static_assert(sizeof(GlyphRecord) == 32);

struct FontAtlas {
  static constexpr int kWidth = 2048, kHeight = 1024;
  std::vector<uint8_t> rgba;               // kWidth x kHeight, top row first
  std::vector<GlyphRecord> glyphs;         // in glyph order
  std::vector<char16_t> characters;        // the character of each glyph
  std::vector<uint16_t> glyphOfCharacter;  // 65536 entries, 0 without a glyph
  bool bright = false;                     // built for a light text colour
  int dpi = 96;
  float contentScale = 1.0f;
  int lineHeight = 0;  // device pixels
  // Characters that found no face that has them, and those that did not
  // fit in the image: both draw as gaps.
  uint32_t missing = 0, overflow = 0;

  uint16_t glyphOf(char16_t c) const { return glyphOfCharacter[c]; }
  const GlyphRecord& glyph(char16_t c) const { return glyphs[glyphOf(c)]; }
};

// The characters the atlas holds for a table and extra text: the printable
// ASCII range, then every code unit of both, ascending, without controls
// and without surrogates (a character outside the basic plane has no glyph;
// its two halves draw as gaps).
std::vector<char16_t> atlasCharacters(const StringTable& table, std::u16string_view extra);

// 9-point text at the window's DPI; scale is DPI / 96. bright: the theme's
// text colour is light (the coverage is the same; the atlas is built again
// when the class changes).
FontAtlas buildFontAtlas(const StringTable& table, std::u16string_view extra, bool bright, int dpi);

}  // namespace UI
