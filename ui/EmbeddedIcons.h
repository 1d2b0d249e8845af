#pragma once
// The icon atlas images compiled into the library, one per DPI variant
// (96, 120, 144, 168, 192): the PNG file and its rectangle table.
#include <cstddef>

namespace UI {

struct EmbeddedIconVariant {
  int dpi;
  int cell;                   // pixels per square cell, margin included
  const unsigned char* png;
  size_t pngSize;
  const float* table;         // kIconCount x (u0, v0, u1, v1), top-left origin
};

// Null for a DPI that is not one of the five.
const EmbeddedIconVariant* embeddedIconVariant(int dpi);

}  // namespace UI
