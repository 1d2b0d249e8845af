#pragma once
// One decoded icon atlas: the RGBA image of the variant a DPI uses and its
// table of icon rectangles (u0, v0, u1, v1 with v from the image's top row;
// zero for index 0 and unused indices). CPU only: the caller uploads it.
#include <array>
#include <cstdint>
#include <vector>

#include "ui/Icons.h"

namespace UI {

using IconRect = std::array<float, 4>;

struct IconAtlas {
  int dpi = 0;  // the variant's DPI; 0 when nothing is loaded
  int cell = 0;
  int width = 0, height = 0;
  std::vector<uint8_t> rgba;  // straight alpha, top row first
  std::array<IconRect, kIconCount> rects{};

  // Zero for an index past the table.
  IconRect rect(uint32_t index) const { return index < kIconCount ? rects[index] : IconRect{}; }
};

// Decodes the embedded variant for a window DPI (see iconVariantDpi). An
// atlas with dpi 0 when the image cannot be decoded; icons then draw
// nothing.
IconAtlas decodeIconAtlas(int windowDpi);

}  // namespace UI
