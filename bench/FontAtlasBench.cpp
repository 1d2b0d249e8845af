// Figures of the glyph atlas: how long building it takes for English and
// Japanese at 96 and 192 DPI (best of five), how many glyphs it holds and
// the texture memory it needs once uploaded.
//
//   font_atlas_bench
#include <algorithm>
#include <chrono>
#include <cstdio>

#include "ui/FontAtlas.h"
#include "ui/StringTable.h"

int main() {
  using Clock = std::chrono::steady_clock;
  struct Case {
    const char* name;
    int32_t language;
    int dpi;
  };
  for (const Case c : {Case{"English", 2, 96}, {"English", 2, 192}, {"Japanese", 7, 96}, {"Japanese", 7, 192}}) {
    double best = 1e30;
    UI::FontAtlas atlas;
    for (int run = 0; run < 5; ++run) {
      const auto start = Clock::now();
      atlas = UI::buildFontAtlas(UI::builtInStrings(c.language), u"", false, c.dpi);
      best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::printf("%-8s at %3d DPI: %6.1f ms, %zu glyphs, line %d px, %u missing, %u not fitting\n", c.name, c.dpi, best,
                atlas.glyphs.size(), atlas.lineHeight, atlas.missing, atlas.overflow);
  }
  std::printf("texture memory: %.1f MiB (2048 x 1024 RGBA8)\n", UI::FontAtlas::kWidth * UI::FontAtlas::kHeight * 4 / 1048576.0);
  return 0;
}
