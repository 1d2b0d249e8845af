#pragma once
// Small jobs handed to a view the way a host would: a box stock, a tool
// table and a toolpath.
#include <cmath>
#include <cstring>

#include "korvane/Korvane.h"
#include "support/ToolBuilder.h"
#include "support/ToolpathBuilder.h"

namespace testsupport {

// A box stock centred on the origin with the given edge length.
inline SIM_StockRecord boxStock(uint32_t identifier, double size) {
  SIM_StockRecord r = SIM_GetStock(nullptr, 0);
  r.identifier = identifier;
  r.kind = SIM_STOCK_BOX;
  r.quality = 0.0f;
  for (int k = 0; k < 3; ++k) {
    r.boxMin[k] = -size / 2;
    r.boxMax[k] = size / 2;
  }
  return r;
}
// A box stock from min to max.
inline SIM_StockRecord boxStock(uint32_t identifier, const glm::dvec3& min, const glm::dvec3& max) {
  SIM_StockRecord r = boxStock(identifier, 0);
  for (int k = 0; k < 3; ++k) r.boxMin[k] = min[k], r.boxMax[k] = max[k];
  return r;
}

// A geometry record of the given name, otherwise the defaults.
inline SIM_GeometryRecord namedGeometry(const char* name, uint64_t role = SIM_GEOMETRY_OTHER) {
  SIM_GeometryRecord g = SIM_GetGeometry(nullptr, "");
  std::strncpy(g.name, name, sizeof g.name - 1);
  g.role = role;
  return g;
}

// A flat end mill of radius 3 and a 20 mm slot through a 40 x 30 x 20 box,
// 5 mm deep: 20 x 6 x 5 plus the half discs at its ends.
struct SlotJob {
  ToolTableBuilder tools;
  testing_support::ToolpathBuilder path;
  SlotJob() {
    tools.addTool("flat6", {{SIM_PART_CUTTING, flatProfile(3, 30)}});
    path.add(testing_support::ToolpathBuilder::line(SIM_MOVE_RAPID, {10, 15, 30}))
        .add(testing_support::ToolpathBuilder::line(SIM_MOVE_LINEAR, {10, 15, 15}))
        .add(testing_support::ToolpathBuilder::line(SIM_MOVE_LINEAR, {30, 15, 15}))
        .toolChange("flat6", 0);
  }
  static double slotVolume() { return 20.0 * 6 * 5 + M_PI * 9 * 5; }
};

// Stock 1, a 40 x 30 x 20 box from the origin, with a job's tools and toolpath.
template <typename Job>
void loadJob(Render* view, Job& job) {
  ASSERT_EQ(SIM_CreateStock(view, boxStock(1, {0, 0, 0}, {40, 30, 20})), 0);
  const SIM_ToolTableRecord table = job.tools.record();
  ASSERT_EQ(SIM_SetToolTable(view, &table), 0);
  const SIM_ToolpathRecord path = job.path.record();
  ASSERT_EQ(SIM_SetToolpath(view, &path), 0);
}

inline void loadSlotJob(Render* view, SlotJob& job) { loadJob(view, job); }

}  // namespace testsupport
