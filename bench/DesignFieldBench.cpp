// Figures of the stock compare on this machine's GPU: the design field's
// build time and wave-front rounds for designs of about 10,000 and 500,000
// triangles over a lattice of about 2 million nodes, its memory, the
// vertex pass per million stock vertices, and a compare-mode frame: a stock
// surface of about a million triangles drawn with the compare colouring.
#include <chrono>
#include <cstdio>
#include <random>

#include "GpuBench.h"
#include "camera/Camera.h"
#include "gpu/OffscreenTarget.h"
#include "stock/DesignField.h"
#include "stock/SolidMesh.h"
#include "stock/StockDrawing.h"
#include "stock/StockGrid.h"
#include "stock/StockMesh.h"
#include "support/TestMeshes.h"

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// A torus of about a million triangles as the stock's surface, measured
// against a design torus a little thinner, then drawn compared into a
// 1600 x 900 picture; the mean of ten frames.
void compareFrame(const stock::GridFrame& frame) {
  const stock::StockMesh surface =
      stock::StockMesh::fromTriangleSoup(testsupport::torusMesh({0, 0, 0}, 35, 15, 1000, 500));
  stock::SurfaceMesh welded;
  for (const glm::vec3& p : surface.positions) welded.vertices.emplace_back(p);
  for (const auto& t : surface.triangles) welded.triangles.insert(welded.triangles.end(), t.begin(), t.end());
  stock::SolidMesh mesh;
  mesh.upload(welded, 0xB0B0B0u, 0.3f);
  auto design = std::make_shared<stock::StockMesh>(
      stock::StockMesh::fromTriangleSoup(testsupport::torusMesh({0, 0, 0}, 35, 14.8f, 200, 100)));
  stock::DesignField field;
  field.build(frame, design, glm::dmat4(1.0));
  field.measure(mesh.vertexBuffer(), mesh.vertexCount(), stock::SolidMesh::kFloatsPerVertex,
                stock::SolidMesh::kPositionFloat, stock::SolidMesh::kDistanceFloat);
  gpu::OffscreenTarget target(1600, 900);
  camera::Camera camera(1600, 900);
  camera.setView(camera::StandardView::Isometric, camera::SceneBox{{-60, -60, -30}, {60, 60, 30}}, false);
  stock::StockDrawing drawing;
  stock::StockLook look;
  look.compare.enabled = true;
  look.compare.colours = {glm::vec3(1, 0, 0), glm::vec3(1, 1, 0), glm::vec3(0, 1, 0), glm::vec3(0, 1, 1),
                          glm::vec3(0, 0, 1)};
  look.compare.tolerance = 0.1f;
  glEnable(GL_DEPTH_TEST);
  auto draw = [&] {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawing.drawStockMesh(mesh, glm::mat4(1.0f), camera.drawState(), look);
  };
  draw();
  glFinish();
  const auto start = Clock::now();
  for (int i = 0; i < 10; ++i) draw();
  glFinish();
  std::printf("compare-mode frame, %zu triangles at 1600 x 900: %.1f ms\n", surface.triangles.size(),
              secondsSince(start) * 100);
}

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
  compareFrame(frame);
  return 0;
}
