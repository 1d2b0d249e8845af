#pragma once
// The moves of a pocketing job for benchmarks: a zig-zag of 40 mm feeds
// joined by quarter arcs of the given radius, a step down of 0.5 mm and a
// rapid every 500 moves.
#include <korvane/Korvane.h>

#include <cstddef>
#include <vector>

namespace bench {

inline std::vector<SIM_ToolpathMove> pocketMoves(size_t count, double arcRadius) {
  std::vector<SIM_ToolpathMove> moves(count);
  double x = 0, y = 0, z = 0;
  for (size_t i = 0; i < count; ++i) {
    SIM_ToolpathMove& m = moves[i];
    if (i % 500 == 0) {
      m.type = SIM_MOVE_RAPID;
      z -= 0.5;
    } else if (i % 2 == 1) {
      m.type = SIM_MOVE_LINEAR;
      x += (i % 4 == 1 ? 40.0 : -40.0);
    } else {
      // Quarter arc turning the path around: centre beside the start.
      m.type = (i % 4 == 2) ? SIM_MOVE_ARC_CCW : SIM_MOVE_ARC_CW;
      m.centre[0] = x, m.centre[1] = y + arcRadius, m.centre[2] = z;
      m.normal[2] = -1.0;
      x += (i % 4 == 2 ? arcRadius : -arcRadius);
      y += arcRadius;
    }
    m.end[0] = x, m.end[1] = y, m.end[2] = z;
  }
  return moves;
}

}  // namespace bench
