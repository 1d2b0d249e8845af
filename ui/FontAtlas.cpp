#include "ui/FontAtlas.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "ui/FontFaces.h"

namespace UI {

namespace {

bool drawable(char16_t c) {
  const bool control = c < 0x20 || (c >= 0x7F && c < 0xA0);
  const bool surrogate = c >= 0xD800 && c <= 0xDFFF;
  return !control && !surrogate;
}

// A rendered glyph: per-channel coverage rows, placed relative to the pen
// on the baseline.
struct Rendered {
  int left = 0, top = 0, width = 0, rows = 0;  // device pixels
  double advance = 0;
  std::vector<uint8_t> rgb;  // width x rows x 3
};

bool render(FT_Face face, char16_t c, Rendered& out) {
  if (FT_Load_Char(face, c, FT_LOAD_TARGET_LCD) != 0) return false;
  FT_GlyphSlot slot = face->glyph;
  if (FT_Render_Glyph(slot, FT_RENDER_MODE_LCD) != 0) return false;
  const FT_Bitmap& bitmap = slot->bitmap;
  const bool lcd = bitmap.pixel_mode == FT_PIXEL_MODE_LCD;
  if (!lcd && bitmap.pixel_mode != FT_PIXEL_MODE_GRAY && bitmap.width > 0) return false;
  out.left = slot->bitmap_left;
  out.top = slot->bitmap_top;
  out.width = static_cast<int>(lcd ? bitmap.width / 3 : bitmap.width);
  out.rows = static_cast<int>(bitmap.rows);
  out.advance = slot->advance.x / 64.0;
  out.rgb.assign(size_t(out.width) * out.rows * 3, 0);
  for (int y = 0; y < out.rows; ++y) {
    const uint8_t* row = bitmap.buffer + ptrdiff_t(y) * bitmap.pitch;
    for (int x = 0; x < out.width; ++x)
      for (int k = 0; k < 3; ++k) out.rgb[(size_t(y) * out.width + x) * 3 + k] = lcd ? row[3 * x + k] : row[x];
  }
  return true;
}

}  // namespace

std::vector<char16_t> atlasCharacters(const StringTable& table, std::u16string_view extra) {
  std::set<char16_t> characters;
  for (char16_t c = 0x20; c < 0x7F; ++c) characters.insert(c);
  auto add = [&](std::u16string_view text) {
    for (char16_t c : text)
      if (drawable(c)) characters.insert(c);
  };
  for (const std::u16string& text : table) add(text);
  add(extra);
  return {characters.begin(), characters.end()};
}

FontAtlas buildFontAtlas(const StringTable& table, std::u16string_view extra, bool bright, int dpi) {
  FontAtlas atlas;
  atlas.bright = bright;
  atlas.dpi = std::clamp(dpi, 24, 960);
  atlas.contentScale = atlas.dpi / 96.0f;
  atlas.rgba.assign(size_t(FontAtlas::kWidth) * FontAtlas::kHeight * 4, 0);
  atlas.glyphOfCharacter.assign(0x10000, 0);
  const float scale = atlas.contentScale;
  // Device pixels either side of a glyph's box: the letter quad starts one
  // logical pixel left of the pen, so the margin is that pixel rounded to
  // the device grid (the ink lands within half a device pixel of its pen).
  const int margin = std::max(1, static_cast<int>(std::lround(scale)));

  FontFaces faces(atlas.dpi);
  FT_Face primary = faces.primary();
  // The line holds the face's ascender and descender (an underscore sits on
  // the descender) and at least its line spacing.
  int ascender = static_cast<int>(std::ceil(13 * scale)), descender = static_cast<int>(std::ceil(3 * scale));
  atlas.lineHeight = ascender + descender;
  if (primary) {
    const FT_Size_Metrics& m = primary->size->metrics;
    ascender = static_cast<int>(std::ceil(m.ascender / 64.0));
    descender = static_cast<int>(std::ceil(-m.descender / 64.0)) + 1;
    atlas.lineHeight = std::max(static_cast<int>(std::ceil(m.height / 64.0)), ascender + descender);
  }

  // Left to right from x = margin, rows of one line height; a glyph's box
  // and its margins never reach into the next one's.
  int penX = margin, penY = 0;
  Rendered glyph;
  // Glyph 0 is what a character without a glyph draws: it stays an empty
  // gap even when the space itself cannot be drawn.
  auto addGap = [&](char16_t c) {
    atlas.glyphOfCharacter[c] = static_cast<uint16_t>(atlas.glyphs.size());
    atlas.glyphs.push_back(GlyphRecord{2.0f, atlas.lineHeight / scale, 0, 0, 0, 0, 0, -1});
    atlas.characters.push_back(c);
  };
  for (char16_t c : atlasCharacters(table, extra)) {
    if (atlas.glyphs.empty() && c != u' ') addGap(u' ');
    if (penY + atlas.lineHeight > FontAtlas::kHeight) {
      ++atlas.overflow;
      continue;
    }
    FT_Face face = faces.faceFor(c);
    if (!face || !render(face, c, glyph)) {
      if (c == u' ') addGap(c);
      else ++atlas.missing;
      continue;
    }
    const int boxWidth = std::max(0, glyph.left + glyph.width);  // from the pen to the ink's right edge
    if (boxWidth + 2 * margin > FontAtlas::kWidth) {  // broken metrics: wider than the image
      ++atlas.missing;
      continue;
    }
    const int step = std::max(static_cast<int>(std::ceil(glyph.advance)) + margin, boxWidth + 2 * margin);
    if (penX + boxWidth + margin > FontAtlas::kWidth) {
      penX = margin;
      penY += atlas.lineHeight;
    }
    if (penY + atlas.lineHeight > FontAtlas::kHeight) {
      ++atlas.overflow;
      continue;
    }
    // Ink outside the box (a left overhang beyond the margin, or above or
    // below the line) is cut.
    const int boxLeft = penX - margin, boxRight = penX + boxWidth + margin;
    for (int y = 0; y < glyph.rows; ++y) {
      const int ay = penY + ascender - glyph.top + y;
      if (ay < penY || ay >= penY + atlas.lineHeight) continue;
      for (int x = 0; x < glyph.width; ++x) {
        const int ax = penX + glyph.left + x;
        if (ax < boxLeft || ax >= boxRight || ax < 0 || ax >= FontAtlas::kWidth) continue;
        uint8_t* texel = &atlas.rgba[(size_t(ay) * FontAtlas::kWidth + ax) * 4];
        const uint8_t* coverage = &glyph.rgb[(size_t(y) * glyph.width + x) * 3];
        for (int k = 0; k < 3; ++k) texel[k] = std::max(texel[k], coverage[k]);
        texel[3] = std::max({texel[0], texel[1], texel[2]});
      }
    }
    GlyphRecord record;
    record.width = (boxRight - boxLeft) / scale;  // the box in logical pixels, margins included
    record.height = atlas.lineHeight / scale;
    record.u0 = static_cast<float>(boxLeft) / FontAtlas::kWidth;
    record.v0 = static_cast<float>(penY) / FontAtlas::kHeight;
    record.uSize = static_cast<float>(boxRight - boxLeft) / FontAtlas::kWidth;
    record.vSize = static_cast<float>(atlas.lineHeight) / FontAtlas::kHeight;
    record.advance = static_cast<float>(glyph.advance / scale);
    record.offsetX = -1;
    atlas.glyphOfCharacter[c] = static_cast<uint16_t>(atlas.glyphs.size());
    atlas.glyphs.push_back(record);
    atlas.characters.push_back(c);
    penX += step;
  }
  // Every character draws, if only as a gap.
  if (atlas.glyphs.empty()) addGap(u' ');
  return atlas;
}

}  // namespace UI
