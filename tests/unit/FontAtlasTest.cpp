// The glyph atlas: every character of every language drawn, each glyph's
// ink inside its own rectangle, no two rectangles overlapping, and what
// cannot be drawn mapped to the space.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "ui/FontAtlas.h"
#include "ui/StringTable.h"

namespace {

struct Rect {
  int x0, y0, x1, y1;  // texels, half-open
};

Rect rectOf(const UI::GlyphRecord& g) {
  const auto texel = [](float f, int size) { return static_cast<int>(std::lround(f * size)); };
  return {texel(g.u0, UI::FontAtlas::kWidth), texel(g.v0, UI::FontAtlas::kHeight),
          texel(g.u0 + g.uSize, UI::FontAtlas::kWidth), texel(g.v0 + g.vSize, UI::FontAtlas::kHeight)};
}

uint8_t alphaAt(const UI::FontAtlas& atlas, int x, int y) {
  return atlas.rgba[(size_t(y) * UI::FontAtlas::kWidth + x) * 4 + 3];
}

// Characters that are blank by nature.
bool blank(char16_t c) { return c == u' ' || c == 0x00A0 || c == 0x3000; }

struct Build {
  int32_t language;
  int dpi;
};

class AtlasOfLanguage : public ::testing::TestWithParam<Build> {};

TEST_P(AtlasOfLanguage, EveryCharacterInkedInsideItsOwnRectangle) {
  const UI::StringTable& table = UI::builtInStrings(GetParam().language);
  const UI::FontAtlas atlas = UI::buildFontAtlas(table, u"", false, GetParam().dpi);
  ASSERT_EQ(atlas.rgba.size(), size_t(UI::FontAtlas::kWidth) * UI::FontAtlas::kHeight * 4);
  EXPECT_EQ(atlas.missing, 0u) << "a face for every character (install fonts-wqy-microhei)";
  EXPECT_EQ(atlas.overflow, 0u);
  ASSERT_FALSE(atlas.characters.empty());
  EXPECT_EQ(atlas.characters[0], u' ');
  EXPECT_TRUE(std::is_sorted(atlas.characters.begin(), atlas.characters.end()));

  // Every character of the table has a glyph of its own.
  for (const std::u16string& text : table)
    for (char16_t c : text)
      if (c != u'\n') {
        EXPECT_EQ(atlas.characters[atlas.glyphOf(c)], c) << std::hex << int(c);
      }

  // Rectangles inside the image, disjoint; ink only inside them, and in
  // every rectangle of a visible character.
  std::vector<int> owner(size_t(UI::FontAtlas::kWidth) * UI::FontAtlas::kHeight, -1);
  for (size_t i = 0; i < atlas.glyphs.size(); ++i) {
    const Rect r = rectOf(atlas.glyphs[i]);
    ASSERT_TRUE(r.x0 >= 0 && r.y0 >= 0 && r.x1 <= UI::FontAtlas::kWidth && r.y1 <= UI::FontAtlas::kHeight)
        << i << ": " << r.x0 << "," << r.y0 << " " << r.x1 << "," << r.y1;
    bool inked = false;
    for (int y = r.y0; y < r.y1; ++y)
      for (int x = r.x0; x < r.x1; ++x) {
        int& cell = owner[size_t(y) * UI::FontAtlas::kWidth + x];
        ASSERT_EQ(cell, -1) << "glyphs " << cell << " and " << i << " overlap";
        cell = static_cast<int>(i);
        inked |= alphaAt(atlas, x, y) != 0;
      }
    if (!blank(atlas.characters[i])) {
      EXPECT_TRUE(inked) << "character " << std::hex << int(atlas.characters[i]);
    }
    // The letter quad covers its rectangle texel for device pixel, at
    // fractional scales too.
    const UI::GlyphRecord& g = atlas.glyphs[i];
    EXPECT_NEAR(g.width * atlas.contentScale, g.uSize * UI::FontAtlas::kWidth, 1e-3) << i;
    EXPECT_NEAR(g.height * atlas.contentScale, g.vSize * UI::FontAtlas::kHeight, 1e-3) << i;
  }
  // Glyph 0, what characters without a glyph draw, is empty.
  const Rect gap = rectOf(atlas.glyphs[0]);
  for (int y = gap.y0; y < gap.y1; ++y)
    for (int x = gap.x0; x < gap.x1; ++x) ASSERT_EQ(alphaAt(atlas, x, y), 0);
  size_t strayInk = 0;
  for (int y = 0; y < UI::FontAtlas::kHeight; ++y)
    for (int x = 0; x < UI::FontAtlas::kWidth; ++x)
      strayInk += alphaAt(atlas, x, y) != 0 && owner[size_t(y) * UI::FontAtlas::kWidth + x] < 0;
  EXPECT_EQ(strayInk, 0u);
}

INSTANTIATE_TEST_SUITE_P(Languages, AtlasOfLanguage,
                         ::testing::Values(Build{2, 96}, Build{1, 96}, Build{7, 96}, Build{8, 120}, Build{9, 144},
                                           Build{10, 96}, Build{2, 192}, Build{7, 192}),
                         [](const ::testing::TestParamInfo<Build>& info) {
                           return "Language" + std::to_string(info.param.language) + "At" +
                                  std::to_string(info.param.dpi);
                         });

TEST(FontAtlas, SizesFollowTheDpiAndCoverageIsPerChannel) {
  const UI::StringTable& english = UI::englishStrings();
  const UI::FontAtlas normal = UI::buildFontAtlas(english, u"", false, 96);
  const UI::FontAtlas sharp = UI::buildFontAtlas(english, u"", false, 192);
  // Logical sizes stay; device pixels double.
  EXPECT_NEAR(sharp.lineHeight, 2 * normal.lineHeight, 2);
  EXPECT_NEAR(sharp.glyph(u'M').advance, normal.glyph(u'M').advance, 1.0);
  EXPECT_GT(normal.glyph(u'M').advance, 5.0f);
  EXPECT_LT(normal.glyph(u'i').advance, normal.glyph(u'M').advance);
  // Subpixel coverage: some texels differ between channels, and alpha is
  // the largest channel everywhere.
  size_t coloured = 0;
  for (size_t i = 0; i < normal.rgba.size(); i += 4) {
    const uint8_t* t = &normal.rgba[i];
    ASSERT_EQ(t[3], std::max({t[0], t[1], t[2]}));
    coloured += t[0] != t[2];
  }
  EXPECT_GT(coloured, 100u);
  EXPECT_EQ(UI::buildFontAtlas(english, u"", true, 96).rgba, normal.rgba) << "bright and dark builds agree";
}

TEST(FontAtlas, WhatCannotBeDrawnIsAGap) {
  // Controls, line breaks and surrogate halves get no glyph; extra text
  // adds its characters.
  const char16_t extra[] = {u'\n', 0x0001, 0xD83D, 0xDE00, 0xDC00, 0x00E9, 0};
  const std::vector<char16_t> characters = UI::atlasCharacters(UI::englishStrings(), extra);
  for (char16_t c : {char16_t(u'\n'), char16_t(0x0001), char16_t(0xD83D), char16_t(0xDC00)})
    EXPECT_FALSE(std::binary_search(characters.begin(), characters.end(), c)) << std::hex << int(c);
  EXPECT_TRUE(std::binary_search(characters.begin(), characters.end(), char16_t(0x00E9)));

  // A full atlas: what does not fit draws as the space, the rest stays
  // whole.
  std::u16string many;
  for (char16_t c = 0x4E00; c < 0x4E00 + 6000; ++c) many += c;
  const UI::FontAtlas full = UI::buildFontAtlas(UI::englishStrings(), many, false, 192);
  EXPECT_GT(full.overflow, 0u);
  EXPECT_EQ(full.glyphs.size() + full.overflow + full.missing, UI::atlasCharacters(UI::englishStrings(), many).size());
  EXPECT_EQ(full.glyphOf(0x4E00 + 5999), 0);
  EXPECT_EQ(full.glyphOf(0xD83D), 0);
  EXPECT_NE(full.glyphOf(0x4E00), 0);
}

}  // namespace
