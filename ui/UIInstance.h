#pragma once
// One drawn rectangle of the interface: the per-instance vertex attributes
// of the interface program, 72 bytes each, all records of a frame drawn in
// one instanced call.
#include <array>
#include <cstddef>

namespace UI {

struct UIInstance {
  float x, y;                        // window fractions, y up
  float w, h;
  std::array<float, 4> colorBottom;  // RGBA, alpha times opacity
  std::array<float, 4> colorTop;
  float roundness;                   // the ruler's scale in mode 1
  float mode;                        // 0 flat, 1 ruler, 2 glyph, -2 grey glyph, 3 + n icon
  std::array<float, 4> texRect;      // u0, v0, u1, v1
};
static_assert(sizeof(UIInstance) == 72);
static_assert(offsetof(UIInstance, w) == 8 && offsetof(UIInstance, colorBottom) == 16 &&
              offsetof(UIInstance, colorTop) == 32 && offsetof(UIInstance, roundness) == 48 &&
              offsetof(UIInstance, mode) == 52 && offsetof(UIInstance, texRect) == 56);

}  // namespace UI
