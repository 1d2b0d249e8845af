// Figures of stock creation on the GPU of this machine: a box stock at
// quality 0.5 and 0.75 and a mesh stock of 100,000 triangles at quality
// 0.5, each up to contents ready to read (glFinish). The first run of each
// includes compiling its programs; "new" is the best run that allocates the
// lattice afresh (a stock defined for the first time), "rebuild" the best
// run into the lattice already there (the same stock built again).
//
//   stock_creation_bench [runs]    (default 3)
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>

#include "gpu/DeviceLimits.h"
#include "gpu/GL.h"
#include "stock/MeshStockCreator.h"
#include "stock/SolidStockCreator.h"
#include "stock/StockGrid.h"
#include "stock/StockShape.h"
#include "support/GlContext.h"
#include "support/LatticeCheck.h"
#include "support/TestMeshes.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsOf(const std::function<void()>& work) {
  glFinish();
  const auto start = Clock::now();
  work();
  glFinish();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

struct Figures {
  double first = 0, fresh = 1e300, rebuild = 1e300;
};

Figures measure(int runs, stock::StockGrid& grid, const std::function<void()>& work) {
  Figures f;
  f.first = secondsOf(work);
  for (int i = 0; i < runs; ++i) {
    grid.releaseBuffers();
    f.fresh = std::min(f.fresh, secondsOf(work));
  }
  for (int i = 0; i < runs; ++i) f.rebuild = std::min(f.rebuild, secondsOf(work));
  return f;
}

void report(const char* what, const stock::StockGrid& grid, uint64_t insideNodes, const Figures& f) {
  const stock::GridFrame& frame = grid.frame();
  std::printf("%s: %u x %u x %u nodes (%.2f M), h %.4f mm, inside %.3f M\n", what, frame.nodes.x, frame.nodes.y,
              frame.nodes.z, frame.nodeCount() / 1e6, frame.exactCellSize, insideNodes / 1e6);
  std::printf("    first %.3f s, new %.3f s, rebuild %.3f s\n", f.first, f.fresh, f.rebuild);
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  testsupport::GlContext context;
  if (!context.ok()) {
    std::fprintf(stderr, "no OpenGL 4.3 context: %s\n", testsupport::GlContext::lastError().c_str());
    return 1;
  }
  context.makeCurrent();
  const gpu::DeviceLimits limits = gpu::queryDeviceLimits();
  std::printf("device: %s / %s, storage block limit %.0f MB\n", glGetString(GL_VENDOR), glGetString(GL_RENDERER),
              limits.maxStorageBlockBytes / 1048576.0);

  stock::SolidStockCreator solids;
  stock::BoxShape box;
  box.min = {0, 0, 0};
  box.max = {150, 100, 60};
  for (double quality : {0.5, 0.75}) {
    stock::StockGrid grid;
    const stock::CellBudget budget = stock::qualityBudget(quality, box.max - box.min);
    const Figures f = measure(runs, grid, [&] {
      grid.setUp(stock::boundsOf(box), budget.cells, limits);
      solids.create(grid, box);
    });
    char label[64];
    std::snprintf(label, sizeof label, "box 150x100x60, quality %.2f", quality);
    report(label, grid, testsupport::LatticeImage(grid).insideCount(), f);
  }

  // A torus of 100,000 triangles (250 x 200 quads, two triangles each).
  const auto soupStart = Clock::now();
  const testsupport::Soup soup = testsupport::torusMesh(glm::dvec3(0), 40, 15, 250, 200);
  stock::MeshShape mesh;
  mesh.mesh = std::make_shared<const stock::StockMesh>(stock::StockMesh::fromTriangleSoup(soup));
  const double preparation = std::chrono::duration<double>(Clock::now() - soupStart).count();
  stock::MeshStockCreator meshes;
  stock::StockGrid grid;
  const stock::StockBox bounds = stock::boundsOf(mesh);
  const stock::CellBudget budget = stock::qualityBudget(0.5, bounds.extents());
  const Figures f = measure(runs, grid, [&] {
    grid.setUp(bounds, budget.cells, limits);
    meshes.create(grid, mesh);
  });
  report("mesh 100,000 triangles, quality 0.50", grid, testsupport::LatticeImage(grid).insideCount(), f);
  std::printf("  (mesh preparation on the CPU, welding and normals: %.3f s, %zu triangles)\n", preparation,
              mesh.mesh->triangles.size());
  return 0;
}
