#pragma once
// The choice among the ids around the cursor: of the ids within 6 pixels,
// the nearest toolpath point wins, else the nearest edge line, else the
// nearest triangle.
#include <cstdint>
#include <vector>

namespace view {

struct PickHit {
  uint32_t id = 0xFFFFFFFFu;
  int32_t x = 0, y = 0;  // the chosen sample's pixel, window pixels, y down
  bool hit = false;
};

// The ids read around the cursor: a rectangle of the id target (pixels
// left, bottom, width, height in GL's orientation; rows from the bottom
// up), the target's height, and the cursor in window pixels (y down).
struct PickWindow {
  int left = 0, bottom = 0, width = 0, height = 0;
  int targetHeight = 0;
  std::vector<uint32_t> ids;
};

inline constexpr int kPickRadius = 6;  // pixels; the read window is 13 x 13 at most

PickHit choosePick(const PickWindow& window, int cursorX, int cursorY);

}  // namespace view
