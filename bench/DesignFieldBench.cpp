// Figures of the stock compare on this machine's GPU: the design field's
// build time and wave-front rounds for designs of about 10,000 and 500,000
// triangles over a lattice of about 2 million nodes, its memory, and the
// vertex pass per million stock vertices.
#include <chrono>
#include <cstdio>
#include <random>

#include "GpuBench.h"
#include "stock/DesignField.h"
#include "stock/StockGrid.h"
#include "stock/StockMesh.h"
#include "support/TestMeshes.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

}  // namespace

int main() {
  testsupport::GlContext context;
  if (!bench::openContext(context)) return 1;
  const gpu::DeviceLimits limits = gpu::queryDeviceLimits();
  stock::StockGrid grid;
  grid.setUp({{-60, -60, -30}, {60, 60, 30}}, 2'000'000, limits);
  const stock::GridFrame& frame = grid.frame();
  std::printf("lattice %u x %u x %u nodes, h %.3f mm\n", frame.nodes.x, frame.nodes.y, frame.nodes.z,
              frame.exactCellSize);
  struct Design {
    const char* name;
    int around, tube;
  };
  for (const Design& d : {Design{"torus of 10,000 triangles", 100, 50}, Design{"torus of 500,000 triangles", 1000, 250}}) {
    auto mesh = std::make_shared<stock::StockMesh>(
        stock::StockMesh::fromTriangleSoup(testsupport::torusMesh({0, 0, 0}, 35, 15, d.around, d.tube)));
    stock::DesignField field;
    field.build(frame, mesh, glm::dmat4(1.0));  // compiles the programs
    glFinish();
    const auto start = Clock::now();
    const stock::DesignField::Build built = field.build(frame, mesh, glm::dmat4(1.0));
    glFinish();
    std::printf("  %s (%zu): field in %.3f s, %u rounds, %s, %.1f MB\n", d.name, mesh->triangles.size(),
                secondsSince(start), built.rounds, built.complete ? "complete" : "incomplete", field.bytes() / 1e6);
    // A million points in the lattice, four floats each.
    std::mt19937 rng(1);
    std::uniform_real_distribution<float> x(-60, 60), z(-30, 30);
    std::vector<float> points;
    points.reserve(4'000'000);
    for (int i = 0; i < 1'000'000; ++i) points.insert(points.end(), {x(rng), x(rng), z(rng), 0.0f});
    gpu::SSBO vertices(points.size() * 4);
    vertices.upload(points.data(), points.size() * 4);
    field.measure(vertices.id(), 1'000'000, 4, 0, 3);
    glFinish();
    const auto measured = Clock::now();
    field.measure(vertices.id(), 1'000'000, 4, 0, 3);
    glFinish();
    std::printf("    vertex pass: %.3f s per million vertices\n", secondsSince(measured));
  }
  return 0;
}
