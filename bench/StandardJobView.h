#pragma once
// The standard job (StandardJob.h) handed to a view as a host would: its box
// stock at quality 0.5, the two tools, and the toolpath with a tool change
// before each tool's moves (that move goes nowhere), every point a feed move.
#include <korvane/Korvane.h>

#include "StandardJob.h"
#include "support/ToolBuilder.h"
#include "support/ToolpathBuilder.h"

namespace bench {

inline SIM_StockRecord standardStock(const StandardJob& job) {
  SIM_StockRecord box = SIM_GetStock(nullptr, 0);
  box.identifier = 1;
  box.kind = SIM_STOCK_BOX;
  box.quality = 0.5f;
  for (int k = 0; k < 3; ++k) {
    box.boxMin[k] = job.boxMin[k];
    box.boxMax[k] = job.boxMax[k];
  }
  return box;
}

inline testing_support::ToolpathBuilder standardToolpath(const StandardJob& job) {
  using testing_support::ToolpathBuilder;
  ToolpathBuilder path;
  uint32_t line = 1;
  auto add = [&](uint32_t type, const glm::dvec3& p) { path.add(ToolpathBuilder::line(type, p), line++, 0); };
  path.toolChange("flat6", 0);
  add(SIM_MOVE_NONE, job.pocket.front());
  for (const glm::dvec3& p : job.pocket) add(SIM_MOVE_LINEAR, p);
  path.toolChange("ball6", static_cast<uint32_t>(path.moves.size()));
  add(SIM_MOVE_NONE, job.finish.front());
  for (const glm::dvec3& p : job.finish) add(SIM_MOVE_LINEAR, p);
  return path;
}

// Stock, tools and toolpath into the view; the toolpath as handed over.
inline testing_support::ToolpathBuilder loadStandardJob(Render* view, const StandardJob& job) {
  const SIM_StockRecord box = standardStock(job);
  SIM_CreateStock(view, box);
  testsupport::ToolTableBuilder tools;
  tools.addTool("flat6", {{SIM_PART_CUTTING, testsupport::flatProfile(3, 40)}});
  tools.addTool("ball6", {{SIM_PART_CUTTING, testsupport::ballProfile(3, 40)}});
  const SIM_ToolTableRecord table = tools.record();
  SIM_SetToolTable(view, &table);
  testing_support::ToolpathBuilder path = standardToolpath(job);
  const SIM_ToolpathRecord record = path.record();
  SIM_SetToolpath(view, &record);
  return path;
}

}  // namespace bench
