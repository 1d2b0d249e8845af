#pragma once
// What the GPU benchmarks share: an OpenGL 4.3 context with the device
// named, the best time of a few runs of GPU work, and the standard job's
// moves with its two tools.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>

#include "StandardJob.h"
#include "gpu/DeviceLimits.h"
#include "gpu/GL.h"
#include "stock/CellBudget.h"
#include "stock/SolidStockCreator.h"
#include "stock/StockGrid.h"
#include "support/GlContext.h"
#include "support/ToolBuilder.h"

namespace bench {

// Opens the context; false (with a message) when there is none.
inline bool openContext(testsupport::GlContext& context) {
  if (!context.ok()) {
    std::fprintf(stderr, "no OpenGL 4.3 context\n");
    return false;
  }
  context.makeCurrent();
  std::printf("device: %s\n", glGetString(GL_RENDERER));
  return true;
}

// The best wall time of runs of work, in seconds, each waited for on the GPU.
template <typename Work>
double bestOf(int runs, Work work) {
  double best = 1e300;
  for (int i = 0; i < runs; ++i) {
    glFinish();
    const auto start = std::chrono::steady_clock::now();
    work();
    glFinish();
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}

// The standard job as cut records: a 6 mm flat end mill for the pocket and
// a 6 mm ball end mill for the finish.
struct StandardCut {
  StandardJob job;
  tools::CutRecord flat = testsupport::cuttingRecordOf(testsupport::flatProfile(3, 40));
  tools::CutRecord ball = testsupport::cuttingRecordOf(testsupport::ballProfile(3, 40));
  std::vector<toolpath::GPUMoveRecord> pocket = recordsOf(job.pocket), finish = recordsOf(job.finish);

  stock::BoxShape box() const {
    stock::BoxShape b;
    b.min = job.boxMin;
    b.max = job.boxMax;
    return b;
  }
  // The cell budget of a stock quality for the standard box.
  double cellsAt(double quality) const { return stock::qualityBudget(quality, job.boxMax - job.boxMin).cells; }
  // The uncut standard stock in a lattice of about that many cells.
  void freshStock(stock::StockGrid& grid, double cells, const gpu::DeviceLimits& limits) const {
    const stock::BoxShape b = box();
    grid.setUp(stock::boundsOf(b), cells, limits);
    stock::SolidStockCreator().create(grid, b);
  }
};

}  // namespace bench
