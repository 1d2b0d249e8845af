#pragma once
// Which of the five icon atlases (96, 120, 144, 168 and 192 DPI) a window's
// DPI uses: its own when there is one, else the one at half the DPI, else
// the nearest (the lower on a tie).
#include <array>
#include <cstdlib>

namespace UI {

inline constexpr std::array<int, 5> kIconDpis{96, 120, 144, 168, 192};

constexpr int iconVariantDpi(int dpi) {
  for (int v : kIconDpis)
    if (v == dpi) return v;
  for (int v : kIconDpis)
    if (dpi % 2 == 0 && v == dpi / 2) return v;
  int best = kIconDpis[0];
  for (int v : kIconDpis)
    if ((v > dpi ? v - dpi : dpi - v) < (best > dpi ? best - dpi : dpi - best)) best = v;
  return best;
}

}  // namespace UI
