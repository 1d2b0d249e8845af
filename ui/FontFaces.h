#pragma once
// The faces interface text is drawn with: the installed face fontconfig
// picks for the interface font, then, per character, the first face in
// fontconfig's order of preference that has it. Faces are opened when first
// needed and sized to 9 points at the given DPI. One object per atlas build
// (a FreeType library is not shared between threads).
#include <cstdint>
#include <memory>
#include <vector>

#include <ft2build.h>
#include FT_FREETYPE_H
#include <fontconfig/fontconfig.h>

namespace UI {

class FontFaces {
 public:
  explicit FontFaces(int dpi);
  ~FontFaces();
  FontFaces(const FontFaces&) = delete;
  FontFaces& operator=(const FontFaces&) = delete;

  // The first face; null when no face could be opened.
  FT_Face primary();
  // The first face that has the character; null when none has it.
  FT_Face faceFor(char32_t character);

 private:
  FT_Face open(size_t index);

  int dpi_;
  FcConfig* config_ = nullptr;
  FT_Library library_ = nullptr;
  struct Candidate;
  std::vector<Candidate> candidates_;
};

}  // namespace UI
