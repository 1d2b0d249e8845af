// Figures of the turning cut on this machine's GPU: 5,000 roughing moves
// on a 40 x 100 mm bar at stock quality 0.5 and 0.75, as moves per second
// and the whole job, with and without the quarter-grid symmetry of the Z
// rays; then a groove to the axis and the part-off it brings, timed alone.
#include <chrono>
#include <cstdio>

#include "GpuBench.h"
#include "stock/CellBudget.h"
#include "stock/MillCut.h"
#include "stock/SolidStockCreator.h"
#include "stock/StockShape.h"
#include "stock/TurningCut.h"
#include "support/ToolBuilder.h"
#include "tools/ToolTable.h"

namespace {

using Clock = std::chrono::steady_clock;
using testsupport::arcTo;
using testsupport::straightTo;

constexpr double kBarRadius = 20, kBarLength = 100;

tools::CutRecord insertRecord(const testsupport::Points& outline, uint32_t kind) {
  testsupport::ToolTableBuilder b;
  b.addTool("T", {{SIM_PART_CUTTING, outline}}).turning = kind;
  b.parts.back()[0].profileKind = SIM_PROFILE_EXTRUDED;
  tools::ToolTable table;
  table.rebuild(b.record(), 1.0, tools::NoMachineHolders());
  return table.cutRecords(0)[0];
}

toolpath::GPUMoveRecord at(double z, double x, uint32_t kind, float parameter) {
  return {float(x), 0.0f, float(z), 1.0f, 0.0f, 0.0f, parameter, kind};
}

// Passes 0.5 mm deep from the bar's surface down to a radius of 8 mm, each
// fed along the bar in 0.45 mm pieces (as a profile's points come), then
// out at 45 degrees and back in rapid: about 5,000 moves.
std::vector<toolpath::GPUMoveRecord> roughing(float parameter) {
  std::vector<toolpath::GPUMoveRecord> r{at(2, kBarRadius + 2, toolpath::kMoveRapid, parameter)};
  for (double radius = kBarRadius - 0.5; radius >= 8 && r.size() < 5000; radius -= 0.5) {
    r.push_back(at(2, radius, toolpath::kMoveRapid, parameter));
    for (double z = 2; z > -90 && r.size() < 5001; z -= 0.45) r.push_back(at(z - 0.45, radius, toolpath::kMoveCut, parameter));
    r.push_back(at(r.back().z + 1, radius + 1, toolpath::kMoveCut, parameter));
    r.push_back(at(2, radius + 1, toolpath::kMoveRapid, parameter));
  }
  return r;
}

}  // namespace

int main() {
  testsupport::GlContext context;
  if (!bench::openContext(context)) return 1;
  const gpu::DeviceLimits limits = gpu::queryDeviceLimits();
  // A 55 degree rhombic insert with a 0.4 mm nose, and a 3 mm grooving blade.
  const double half = 27.5 * M_PI / 180, nose = 0.4, t = nose / std::tan(half), lift = nose / std::sin(half) - nose;
  auto edge = [&](double along, int side) {
    return straightTo(float(side * std::sin(half) * along), float(std::cos(half) * along - lift));
  };
  const tools::CutRecord turning = insertRecord(
      {edge(t, 1), edge(12, 1), straightTo(0, float(2 * std::cos(half) * 12 - lift)), edge(12, -1), edge(t, -1),
       arcTo(SIM_SEGMENT_ARC_CCW, float(std::sin(half) * t), float(std::cos(half) * t - lift), 0, float(nose))},
      SIM_TURNING_TURN);
  const tools::CutRecord groove = insertRecord(
      {straightTo(-1.5f, 0), straightTo(1.5f, 0), straightTo(1.5f, 20), straightTo(-1.5f, 20), straightTo(-1.5f, 0)},
      SIM_TURNING_GROOVE);
  if (!turning.valid || !groove.valid) {
    std::fprintf(stderr, "the inserts are not valid\n");
    return 1;
  }
  const std::vector<toolpath::GPUMoveRecord> moves = roughing(turning.moveParameter);
  stock::CylinderShape bar;
  bar.from = {0, 0, 0};
  bar.to = {0, 0, -kBarLength};
  bar.radius = kBarRadius;
  const stock::StockBox bounds = stock::boundsOf(bar);
  for (double quality : {0.5, 0.75}) {
    stock::StockGrid grid;
    grid.setUp(bounds, stock::qualityBudget(quality, bounds.extents()).cells, limits);
    stock::SolidStockCreator creator;
    stock::MillCut cut;
    const stock::MoveStream stream(moves);
    std::printf("quality %.2f (%u x %u x %u nodes, h %.3f mm, axis %s):\n", quality, grid.frame().nodes.x,
                grid.frame().nodes.y, grid.frame().nodes.z, grid.frame().exactCellSize,
                stock::axisCentred(grid.frame()) ? "centred" : "off centre");
    creator.create(grid, bar);
    cut.cut(grid, stream, 1, 2, turning, 5, {});  // compiles the programs
    for (bool symmetric : {true, false}) {
      creator.create(grid, bar);
      glFinish();
      stock::CutSwitches switches;
      switches.turningSymmetry = symmetric;
      const auto start = Clock::now();
      cut.cut(grid, stream, 1, static_cast<uint32_t>(moves.size()), turning, 5, switches);
      glFinish();
      const double time = std::chrono::duration<double>(Clock::now() - start).count();
      std::printf("  roughing, %s columns: %zu moves in %.3f s: %.0f moves/s\n", symmetric ? "a quarter of the" : "all",
                  moves.size() - 1, time, (moves.size() - 1) / time);
    }
    // A groove to the axis; the part-off it brings, alone.
    const std::vector<toolpath::GPUMoveRecord> parting = {at(-60, kBarRadius + 1, toolpath::kMoveCut, -1),
                                                          at(-60, -0.2, toolpath::kMoveCut, -1)};
    stock::CutSwitches switches;
    cut.cut(grid, stock::MoveStream(parting), 1, 2, groove, 6, switches);
    stock::TurningCut partOff;
    partOff.partOff(grid);  // compiles
    glFinish();
    const auto start = Clock::now();
    partOff.partOff(grid);
    glFinish();
    std::printf("  part-off (nothing left to clear): %.4f s\n",
                std::chrono::duration<double>(Clock::now() - start).count());
  }
  return 0;
}
