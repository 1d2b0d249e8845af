#pragma once
// The standard milling job every cut benchmark measures, so that later
// changes are timed on the same work: a 100 x 100 x 30 box, a 6 mm flat end
// mill clearing a pocket in zig-zag passes (about 20,000 moves) and a 6 mm
// ball end mill finishing a wavy floor in raster passes (about 20,000 moves).
#include <cmath>
#include <vector>

#include <glm/vec3.hpp>

#include "toolpath/GPUMoveRecord.h"

namespace bench {

struct StandardJob {
  glm::dvec3 boxMin{0.0, 0.0, 0.0}, boxMax{100.0, 100.0, 30.0};
  double toolRadius = 3.0;
  std::vector<glm::dvec3> pocket;  // tool tip positions, flat end mill
  std::vector<glm::dvec3> finish;  // tool tip positions, ball end mill

  StandardJob() {
    // Pocket: 90 x 90 from 5 to 95, 1 mm moves along x, 3 mm step-over,
    // levels 1.5 mm apart down to 10.5 mm below the top.
    for (int level = 1; level <= 7; ++level) {
      const double z = boxMax.z - 1.5 * level;
      bool forwards = true;
      for (double y = 5; y <= 95 + 1e-9; y += 3, forwards = !forwards)
        for (int i = 0; i <= 90; ++i) pocket.push_back({forwards ? 5.0 + i : 95.0 - i, y, z});
    }
    // Finish: passes along x at 1 mm step-over, 0.5 mm moves, over the floor
    // z = 18 + 1.5 sin(x / 9) cos(y / 11).
    for (int pass = 0; pass < 100; ++pass) {
      const double y = 0.5 + pass;
      for (int i = 0; i < 200; ++i) {
        const double x = (pass % 2 == 0) ? 0.25 + 0.5 * i : 99.75 - 0.5 * i;
        finish.push_back({x, y, 18 + 1.5 * std::sin(x / 9) * std::cos(y / 11)});
      }
    }
  }
};

// Cut records of a tool standing upright at the given points.
inline std::vector<toolpath::GPUMoveRecord> recordsOf(const std::vector<glm::dvec3>& points) {
  std::vector<toolpath::GPUMoveRecord> records;
  for (const glm::dvec3& p : points)
    records.push_back({float(p.x), float(p.y), float(p.z), 0.0f, 0.0f, 1.0f, 0.0f, toolpath::kMoveCut});
  return records;
}

}  // namespace bench
