#include "ui/FontFaces.h"

#include FT_LCD_FILTER_H

#include <string>

namespace UI {

namespace {

// The interface font; fontconfig's aliases map it to what is installed.
constexpr const char* kFamily = "Segoe UI";
constexpr int kPoints = 9;

}  // namespace

struct FontFaces::Candidate {
  std::string file;
  int index = 0;
  FcCharSet* characters = nullptr;  // owned
  FT_Face face = nullptr;           // opened on first use
  bool failed = false;
};

FontFaces::FontFaces(int dpi) : dpi_(dpi) {
  if (FT_Init_FreeType(&library_) != 0) library_ = nullptr;
  // Subpixel rendering spreads each glyph's coverage over the three colour
  // channels; the filter keeps colour fringes down. A FreeType without it
  // renders subpixels anyway.
  if (library_) FT_Library_SetLcdFilter(library_, FT_LCD_FILTER_DEFAULT);
  // A configuration of its own, destroyed with this object: the process's
  // default one, once loaded, never frees part of what it holds.
  config_ = FcInitLoadConfigAndFonts();
  FcPattern* pattern = FcPatternCreate();
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(kFamily));
  FcPatternAddInteger(pattern, FC_WEIGHT, FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
  FcConfigSubstitute(config_, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  // Trimmed: faces that add no character to those before them are left out.
  FcFontSet* sorted = config_ ? FcFontSort(config_, pattern, FcTrue, nullptr, &result) : nullptr;
  for (int i = 0; sorted && i < sorted->nfont; ++i) {
    FcChar8* file = nullptr;
    FcCharSet* characters = nullptr;
    int index = 0;
    if (FcPatternGetString(sorted->fonts[i], FC_FILE, 0, &file) != FcResultMatch) continue;
    if (FcPatternGetCharSet(sorted->fonts[i], FC_CHARSET, 0, &characters) != FcResultMatch) continue;
    FcPatternGetInteger(sorted->fonts[i], FC_INDEX, 0, &index);
    Candidate candidate;
    candidate.file = reinterpret_cast<const char*>(file);
    candidate.index = index;
    candidate.characters = FcCharSetCopy(characters);
    candidates_.push_back(std::move(candidate));
  }
  if (sorted) FcFontSetDestroy(sorted);
  FcPatternDestroy(pattern);
}

FontFaces::~FontFaces() {
  for (Candidate& c : candidates_) {
    if (c.face) FT_Done_Face(c.face);
    FcCharSetDestroy(c.characters);
  }
  if (library_) FT_Done_FreeType(library_);
  if (config_) FcConfigDestroy(config_);
}

FT_Face FontFaces::open(size_t index) {
  Candidate& c = candidates_[index];
  if (c.face || c.failed || !library_) return c.face;
  if (FT_New_Face(library_, c.file.c_str(), c.index, &c.face) != 0 ||
      FT_Set_Char_Size(c.face, 0, kPoints * 64, dpi_, dpi_) != 0) {
    if (c.face) FT_Done_Face(c.face);
    c.face = nullptr;
    c.failed = true;
  }
  return c.face;
}

FT_Face FontFaces::primary() {
  for (size_t i = 0; i < candidates_.size(); ++i)
    if (FT_Face face = open(i)) return face;
  return nullptr;
}

FT_Face FontFaces::faceFor(char32_t character) {
  for (size_t i = 0; i < candidates_.size(); ++i)
    if (FcCharSetHasChar(candidates_[i].characters, character))
      if (FT_Face face = open(i)) return face;
  return nullptr;
}

}  // namespace UI
