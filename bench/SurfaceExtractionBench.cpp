// Figures of the surface extraction on this machine's GPU: the cube list and
// the welded mesh of the standard job's stock after its pocket and finish
// (see StandardJob.h), at quality 0.5 and 0.75; and how the cube list's time
// grows when the lattice doubles per axis (eight times the nodes, about four
// times the surface); and one frame of drawing the cube list at 1600 x 900.
#include <chrono>
#include <cstdio>

#include "GpuBench.h"
#include "StandardJob.h"
#include "camera/Camera.h"
#include "camera/DisplayFrame.h"
#include "gpu/DeviceLimits.h"
#include "gpu/GL.h"
#include "gpu/OffscreenTarget.h"
#include "stock/CellBudget.h"
#include "stock/MillCut.h"
#include "stock/SolidStockCreator.h"
#include "stock/StockDrawing.h"
#include "stock/SurfaceExtraction.h"
#include "support/GlContext.h"
#include "support/ToolBuilder.h"

namespace {

using bench::bestOf;

// One frame of the stock drawn from the isometric view into a 1600 x 900
// target, the best of a few.
double frameTime(const stock::SurfaceExtraction& extraction, const stock::GridFrame& frame, const stock::BoxShape& box) {
  constexpr int kWidth = 1600, kHeight = 900;
  const gpu::OffscreenTarget target(kWidth, kHeight);
  glEnable(GL_DEPTH_TEST);
  camera::Camera camera(kWidth, kHeight);
  camera::showMachineBox(camera, box.min, box.max, camera::StandardView::Isometric);
  const glm::mat3 toDisplay(camera::defaultAxisTransformation());
  stock::StockDrawing drawing;
  const double time = bestOf(5, [&] {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawing.drawStockCubes(extraction, frame, camera.drawState(), glm::mat4(toDisplay), {});
  });
  return time;
}

}  // namespace

int main() {
  testsupport::GlContext context;
  if (!bench::openContext(context)) return 1;
  const bench::StandardCut standard;
  const tools::CutRecord &flat = standard.flat, &ball = standard.ball;
  const auto &pocket = standard.pocket, &finish = standard.finish;
  const gpu::DeviceLimits limits = gpu::queryDeviceLimits();
  const stock::BoxShape box = standard.box();
  double previousList = 0;
  uint64_t previousCells = 0;
  for (double quality : {0.5, 0.75}) {
    stock::StockGrid grid;
    standard.freshStock(grid, standard.cellsAt(quality), limits);
    stock::MillCut mill;
    mill.cut(grid, stock::MoveStream(pocket), 1, static_cast<uint32_t>(pocket.size()), flat, 5, {});
    mill.cut(grid, stock::MoveStream(finish), 1, static_cast<uint32_t>(finish.size()), ball, 6, {});
    stock::SurfaceExtraction extraction;
    extraction.extract(grid);  // compiles the programs
    const double list = bestOf(3, [&] { extraction.extract(grid); });
    size_t triangles = 0;
    const double mesh = bestOf(3, [&] { triangles = extraction.weldedMesh(grid.frame()).triangles.size() / 3; });
    const glm::uvec3 g = grid.frame().nodes;
    std::printf("quality %.2f (%u x %u x %u nodes): cube list %.1f ms (%llu cubes), welded mesh %.1f ms (%zu triangles)\n",
                quality, g.x, g.y, g.z, list * 1e3, static_cast<unsigned long long>(extraction.cubeCount()),
                mesh * 1e3, triangles);
    std::printf("  drawing it at 1600 x 900: %.1f ms a frame\n", frameTime(extraction, grid.frame(), box) * 1e3);
  }
  // Doubling the lattice per axis on the cut stock.
  for (double cells : {2'000'000.0, 16'000'000.0}) {
    stock::StockGrid grid;
    standard.freshStock(grid, cells, limits);
    stock::MillCut mill;
    mill.cut(grid, stock::MoveStream(pocket), 1, static_cast<uint32_t>(pocket.size()), flat, 5, {});
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
