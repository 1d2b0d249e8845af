// Figures of loading a tool table: SIM_SetToolTable with 500 tools of four
// revolved parts each (cutting part, shoulder, shaft, holder part), on one
// and on two threads. Best of five loads each.
#include <omp.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "korvane/Korvane.h"
#include "support/ToolBuilder.h"
#include "view/Render.h"

int main() {
  using testsupport::Points;
  using testsupport::straightTo;
  testsupport::ToolTableBuilder b;
  for (int i = 0; i < 500; ++i) {
    const float r = 1 + (i % 50) * 0.4f;
    const Points cutter = i % 3 == 0   ? testsupport::flatProfile(r, 4 * r)
                          : i % 3 == 1 ? testsupport::ballProfile(r, 4 * r)
                                       : testsupport::bullNoseProfile(r * 0.6f, r * 0.4f, 4 * r, true);
    const Points shoulder{straightTo(0, 4 * r), straightTo(r, 4 * r), straightTo(r * 1.5f, 5 * r), straightTo(0, 5 * r)};
    b.addTool("tool-" + std::to_string(i), {{SIM_PART_CUTTING, cutter},
                                            {SIM_PART_SHOULDER, shoulder},
                                            {SIM_PART_SHAFT, testsupport::flatProfile(r * 1.5f, 8 * r)},
                                            {SIM_PART_HOLDER, testsupport::flatProfile(r * 4, 12 * r)}});
  }
  const SIM_ToolTableRecord table = b.record();
  Render view;
  for (int threads : {1, 2}) {
    omp_set_num_threads(threads);
    double best = 1e300;
    for (int run = 0; run < 5; ++run) {
      const auto start = std::chrono::steady_clock::now();
      SIM_SetToolTable(&view, &table);
      best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    size_t triangles = 0;
    for (size_t t = 0; t < view.job().toolTable().toolCount(); ++t)
      for (const auto& part : view.job().toolTable().tool(t).parts) triangles += part.mesh.size() / 3;
    std::printf("SIM_SetToolTable, 500 tools x 4 revolved parts, %d thread%s: best %.1f ms (%zu triangles)\n", threads,
                threads == 1 ? "" : "s", best * 1e3, triangles);
  }
  return 0;
}
