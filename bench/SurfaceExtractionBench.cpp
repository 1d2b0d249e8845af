// Figures of the surface extraction on this machine's GPU: the cube list and
// the welded mesh of the standard job's stock after its pocket and finish
// (see StandardJob.h), at quality 0.5 and 0.75; and how the cube list's time
// grows when the lattice doubles per axis (eight times the nodes, about four
// times the surface).
#include <chrono>
#include <cstdio>

#include "StandardJob.h"
#include "gpu/DeviceLimits.h"
#include "gpu/GL.h"
#include "stock/CellBudget.h"
#include "stock/MillCut.h"
#include "stock/SolidStockCreator.h"
#include "stock/SurfaceExtraction.h"
#include "support/GlContext.h"
#include "support/ToolBuilder.h"

namespace {

using Clock = std::chrono::steady_clock;

std::vector<stock::GPUMoveRecord> recordsOf(const std::vector<glm::dvec3>& points) {
  std::vector<stock::GPUMoveRecord> records;
  for (const glm::dvec3& p : points)
    records.push_back({float(p.x), float(p.y), float(p.z), 0.0f, 0.0f, 1.0f, 0.0f, stock::kMoveCut});
  return records;
}

template <typename Work>
double bestOf(int runs, Work work) {
  double best = 1e300;
  for (int i = 0; i < runs; ++i) {
    glFinish();
    const auto start = Clock::now();
    work();
    glFinish();
    best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
  }
  return best;
}

}  // namespace

int main() {
  testsupport::GlContext context;
  if (!context.ok()) {
    std::fprintf(stderr, "no OpenGL 4.3 context\n");
    return 1;
  }
  context.makeCurrent();
  std::printf("device: %s\n", glGetString(GL_RENDERER));
  const bench::StandardJob job;
  const tools::CutRecord flat = testsupport::cuttingRecordOf(testsupport::flatProfile(3, 40));
  const tools::CutRecord ball = testsupport::cuttingRecordOf(testsupport::ballProfile(3, 40));
  const auto pocket = recordsOf(job.pocket), finish = recordsOf(job.finish);
  const gpu::DeviceLimits limits = gpu::queryDeviceLimits();
  stock::BoxShape box;
  box.min = job.boxMin;
  box.max = job.boxMax;
  double previousList = 0;
  uint64_t previousCells = 0;
  for (double quality : {0.5, 0.75}) {
    stock::StockGrid grid;
    grid.setUp(stock::boundsOf(box), stock::qualityBudget(quality, box.max - box.min).cells, limits);
    stock::SolidStockCreator().create(grid, box);
    stock::MillCut mill;
    mill.cut(grid, pocket, 1, static_cast<uint32_t>(pocket.size()), flat, 5, {});
    mill.cut(grid, finish, 1, static_cast<uint32_t>(finish.size()), ball, 6, {});
    stock::SurfaceExtraction extraction;
    extraction.extract(grid);  // compiles the programs
    const double list = bestOf(3, [&] { extraction.extract(grid); });
    size_t triangles = 0;
    const double mesh = bestOf(3, [&] { triangles = extraction.weldedMesh(grid.frame()).triangles.size() / 3; });
    const glm::uvec3 g = grid.frame().nodes;
    std::printf("quality %.2f (%u x %u x %u nodes): cube list %.1f ms (%llu cubes), welded mesh %.1f ms (%zu triangles)\n",
                quality, g.x, g.y, g.z, list * 1e3, static_cast<unsigned long long>(extraction.cubeCount()),
                mesh * 1e3, triangles);
  }
  // Doubling the lattice per axis on the cut stock.
  for (double cells : {2'000'000.0, 16'000'000.0}) {
    stock::StockGrid grid;
    grid.setUp(stock::boundsOf(box), cells, limits);
    stock::SolidStockCreator().create(grid, box);
    stock::MillCut mill;
    mill.cut(grid, pocket, 1, static_cast<uint32_t>(pocket.size()), flat, 5, {});
    stock::SurfaceExtraction extraction;
    extraction.extract(grid);
    const double list = bestOf(3, [&] { extraction.extract(grid); });
    const uint64_t nodes = grid.frame().nodeCount();
    std::printf("lattice of %llu nodes: cube list %.1f ms, %llu cubes", static_cast<unsigned long long>(nodes),
                list * 1e3, static_cast<unsigned long long>(extraction.cubeCount()));
    if (previousList > 0)
      std::printf(" (x%.1f nodes: time x%.2f)", double(nodes) / previousCells, list / previousList);
    std::printf("\n");
    previousList = list;
    previousCells = nodes;
  }
  return 0;
}
