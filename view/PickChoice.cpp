#include "view/PickChoice.h"

#include <array>
#include <cstddef>

#include "view/EntityId.h"

namespace view {

PickHit choosePick(const PickWindow& window, int cursorX, int cursorY) {
  // Per class (points, edges, triangles): the nearest sample so far.
  struct Nearest {
    int distance = kPickRadius * kPickRadius + 1;
    PickHit hit;
  };
  std::array<Nearest, 3> nearest{};
  for (int row = 0; row < window.height; ++row) {
    for (int column = 0; column < window.width; ++column) {
      const uint32_t id = window.ids[static_cast<size_t>(row) * window.width + column];
      const entity::Kind kind = entity::kindOf(id);
      if (kind == entity::Kind::Nothing) continue;
      const int x = window.left + column;
      const int y = window.targetHeight - 1 - (window.bottom + row);
      const int distance = (x - cursorX) * (x - cursorX) + (y - cursorY) * (y - cursorY);
      const size_t rank = kind == entity::Kind::ToolpathMove ? 0 : kind == entity::Kind::MachineEdge ? 1 : 2;
      if (distance < nearest[rank].distance) nearest[rank] = {distance, {id, x, y, true}};
    }
  }
  for (const Nearest& n : nearest)
    if (n.hit.hit) return n.hit;
  return {};
}

}  // namespace view
