// Figures of the stock enhancement on this machine's GPU, for the standard
// job's stock after its pocket and finish (about 40,000 sweeps) at quality
// 0.5 and 0.75: the GPU weld against the CPU weld of the same surface, the
// whole enhancement with what it found (vertices moved onto a surface,
// onto a sweep, candidates, crowded sweeps, mixed triangles) and the time
// of its stages, the triangles and STL bytes before and after, and how far
// the lattice's mesh and the enhanced one stray from the exact part.
#include <chrono>
#include <cstdio>
#include <map>

#include "ExactStandardPart.h"
#include "GpuBench.h"
#include "StandardJob.h"
#include "enhance/MeshWeld.h"
#include "enhance/StockEnhancement.h"
#include "gpu/DeviceLimits.h"
#include "gpu/GL.h"
#include "stock/MillCut.h"
#include "stock/StockDrawing.h"
#include "stock/SurfaceExtraction.h"
#include "support/GlContext.h"

namespace {

using bench::bestOf;

// Straight sweeps of an upright mill along consecutive points.
void addSweeps(enhance::SweepList& list, const std::vector<glm::dvec3>& points, float radius, float corner,
               float length, uint8_t owner, float grow) {
  for (size_t i = 1; i < points.size(); ++i) {
    enhance::ToolSweep s{};
    s.start = glm::vec4(glm::vec3(points[i - 1]), length);
    s.end = glm::vec4(glm::vec3(points[i]), 0.0f);
    s.startAxis = glm::vec4(0, 0, 1, radius);
    s.endAxis = glm::vec4(0, 0, 1, corner);
    const glm::vec3 lo = glm::min(glm::vec3(points[i - 1]), glm::vec3(points[i]));
    const glm::vec3 hi = glm::max(glm::vec3(points[i - 1]), glm::vec3(points[i]));
    s.boxMin = glm::vec4(lo - glm::vec3(radius + grow), 0.0f);
    s.boxMax = glm::vec4(hi + glm::vec3(radius + grow, radius + grow, length + radius + grow), 0.0f);
    list.sweeps.push_back(s);
    list.colours.push_back(owner);
  }
}

}  // namespace

int main() {
  testsupport::GlContext context;
  if (!bench::openContext(context)) return 1;
  const bench::StandardCut standard;
  const gpu::DeviceLimits limits = gpu::queryDeviceLimits();
  const bench::ExactStandardPart exact(standard.job);
  const auto printStray = [](const char* what, const bench::MeshStray& s) {
    std::printf("    %-24s vertices %7.4f / %7.4f / %7.4f   triangle points %7.4f / %7.4f / %7.4f, worst at "
                "(%.2f %.2f %.2f)\n",
                what, s.vertices.max, s.vertices.mean, s.vertices.rms, s.triangles.max, s.triangles.mean,
                s.triangles.rms, s.worstTrianglePoint.x, s.worstTrianglePoint.y, s.worstTrianglePoint.z);
  };
  const auto stlBytes = [](size_t triangles) { return 84 + 50 * triangles; };
  for (double quality : {0.5, 0.75}) {
    stock::StockGrid grid;
    standard.freshStock(grid, standard.cellsAt(quality), limits);
    stock::MillCut mill;
    mill.cut(grid, stock::MoveStream(standard.pocket), 1, static_cast<uint32_t>(standard.pocket.size()), standard.flat, 5, {});
    mill.cut(grid, stock::MoveStream(standard.finish), 1, static_cast<uint32_t>(standard.finish.size()), standard.ball, 6, {});
    stock::SurfaceExtraction extraction;
    extraction.extract(grid);
    const double h = grid.frame().exactCellSize;

    size_t cpuVertices = 0;
    const double cpuWeld = bestOf(3, [&] { cpuVertices = extraction.weldedMesh(grid.frame()).vertices.size(); });
    uint32_t gpuVertices = 0;
    const auto gpuWeldOnce = [&] {
      const stock::SurfaceExtraction::IndexedBuffers corners = extraction.runIndexedMesh();
      gpuVertices = enhance::weldMesh({corners.identifiers, corners.positions, corners.corners, extraction.identifierBound()},
                                      grid.frame().gridToWorld)
                        .vertexCount;
      extraction.releaseIndexedBuffers();
    };
    gpuWeldOnce();  // compiles the programs
    const double gpuWeld = bestOf(3, gpuWeldOnce);

    enhance::EnhancementInput input;
    input.surface = &extraction;
    input.frame = grid.frame();
    input.initialShape = standard.box();
    input.colours = stock::defaultOwnerColours();
    addSweeps(input.sweeps, standard.job.pocket, 3, 0, 40, 5, float(h));
    addSweeps(input.sweeps, standard.job.finish, 3, 3, 40, 6, float(h));
    enhance::EnhancementReport report;
    enhance::enhanceStock(input, {}, &report);  // compiles the programs
    const double unsimplified = bestOf(1, [&] { enhance::enhanceStock(input, {}, &report); });
    const stock::SurfaceMesh unsimplifiedMesh = enhance::readBackSurface(*enhance::enhanceStock(input, {}, &report));
    input.tolerance = std::min(2 * h, 0.02);  // the stock's
    enhance::enhanceStock(input, {}, &report);
    const double whole = bestOf(2, [&] { enhance::enhanceStock(input, {}, &report); });
    // The stages, by the progress they report: the weld ends at 10, the
    // initial stock at 20, the sweeps and the merge at 50, the crease
    // splits at 60, colours, simplification and face normals at 90.
    std::map<int, double> reached;
    const auto start = std::chrono::steady_clock::now();
    const auto since = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(); };
    const std::unique_ptr<enhance::EnhancedMesh> enhanced =
        enhance::enhanceStock(input, [&](int percent) { reached[percent] = since(); }, &report);
    glFinish();
    const double end = since();
    const stock::SurfaceMesh simplifiedMesh = enhance::readBackSurface(*enhanced);
    const stock::SurfaceMesh latticeMesh = extraction.weldedMesh(grid.frame());

    std::printf("quality %.2f: cell %.3f mm, %u vertices, %u triangles\n", quality, h, report.vertices, report.triangles);
    std::printf("  weld: CPU %.1f ms (%zu vertices), GPU %.1f ms (%u vertices)\n", cpuWeld * 1e3, cpuVertices,
                gpuWeld * 1e3, gpuVertices);
    std::printf("  enhancement: %.1f ms; %u sweeps in %u batches, %llu candidates, %u crowded; "
                "%u vertices took the second shot\n",
                whole * 1e3, report.sweeps, report.batches, static_cast<unsigned long long>(report.candidates),
                report.crowdedSweeps, report.secondShots);
    const uint32_t points = std::max(report.vertices + report.splitEdges + report.centrePoints, 1u);
    std::printf("  %u crease edges split, %u corner centres; points moved onto a surface %.2f %% "
                "(onto a sweep %.2f %%), mixed triangles %u, reach %.3f mm\n",
                report.splitEdges, report.centrePoints, 100.0 * report.movedVertices / points, 100.0 * report.sweepVertices / points,
                report.mixedTriangles, report.maxError);
    std::printf("  simplification: %.1f ms, %u rounds, %u of %u triangles left (%.1f %%), tolerance %.3f mm\n",
                (whole - unsimplified) * 1e3, report.collapseRounds, report.simplifiedTriangles, report.triangles,
                100.0 * report.simplifiedTriangles / std::max(report.triangles, 1u), input.tolerance);
    const auto at = [&](int percent) { return reached.count(percent) ? reached[percent] : 0.0; };
    std::printf("  stages (ms): weld %.0f, initial stock %.0f, sweeps and merge %.0f, crease splits %.0f, "
                "colours, simplification and face normals %.0f, the rest %.0f; total %.0f\n",
                at(10) * 1e3, (at(20) - at(10)) * 1e3, (at(50) - at(20)) * 1e3, (at(60) - at(50)) * 1e3,
                (at(90) - at(60)) * 1e3, (end - at(90)) * 1e3, end * 1e3);
    std::printf("  STL: lattice %zu triangles (%zu bytes), enhanced %zu (%zu bytes), simplified %zu (%zu bytes)\n",
                latticeMesh.triangles.size() / 3, stlBytes(latticeMesh.triangles.size() / 3),
                unsimplifiedMesh.triangles.size() / 3, stlBytes(unsimplifiedMesh.triangles.size() / 3),
                simplifiedMesh.triangles.size() / 3, stlBytes(simplifiedMesh.triangles.size() / 3));
    std::printf("  distance from the exact part, mm (max / mean / RMS):\n");
    const auto measured = std::chrono::steady_clock::now();
    printStray("marching cubes", bench::strayOf(latticeMesh, exact));
    printStray("enhanced", bench::strayOf(unsimplifiedMesh, exact));
    printStray("enhanced and simplified", bench::strayOf(simplifiedMesh, exact));
    std::printf("  (measured in %.0f s)\n",
                std::chrono::duration<double>(std::chrono::steady_clock::now() - measured).count());
    std::fflush(stdout);
  }
  return 0;
}
