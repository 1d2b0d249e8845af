// Figures of the milling cut on this machine's GPU, on the standard job (see
// StandardJob.h): moves per second, rays tested per second (rays of the
// moves' sweep boxes) and the whole job, at stock quality 0.5 and 0.75, and
// the whole job again with the stock check of the tools' holders.
#include <chrono>
#include <cstdio>

#include "GpuBench.h"
#include "StandardJob.h"
#include "gpu/DeviceLimits.h"
#include "gpu/GL.h"
#include "stock/CellBudget.h"
#include "stock/MillCut.h"
#include "stock/SolidStockCreator.h"
#include "support/GlContext.h"
#include "support/ToolBuilder.h"
#include "tools/ToolTable.h"

namespace {

using Clock = std::chrono::steady_clock;

uint64_t raysOf(const stock::GridFrame& frame, const std::vector<toolpath::GPUMoveRecord>& r, double radius, double length) {
  uint64_t rays = 0;
  for (size_t k = 1; k < r.size(); ++k)
    rays += stock::sweepRays(frame, {r[k - 1].x, r[k - 1].y, r[k - 1].z}, {r[k].x, r[k].y, r[k].z}, {0, 0, 1}, radius,
                             length);
  return rays;
}

// The other shapes on the first 2,000 moves of the pocket, each of about the
// flat mill's 6 mm: how the general cuts compare.
void otherShapes(stock::StockGrid& grid, const stock::BoxShape& box, const std::vector<toolpath::GPUMoveRecord>& pocket) {
  using testsupport::straightTo;
  const std::vector<toolpath::GPUMoveRecord> moves(pocket.begin(), pocket.begin() + std::min<size_t>(2001, pocket.size()));
  struct Shape {
    const char* name;
    tools::CutRecord record;
  };
  const Shape shapes[] = {
      {"flat (for comparison)", testsupport::cuttingRecordOf(testsupport::flatProfile(3, 40))},
      {"custom profile", testsupport::cuttingRecordOf({straightTo(0, 0), straightTo(3, 0), straightTo(3, 4),
                                                       straightTo(2, 6), straightTo(3, 8), straightTo(3, 40),
                                                       straightTo(0, 40)})},
      {"closed profile (ring)", testsupport::cuttingRecordOf({straightTo(1.5f, 0), straightTo(3, 0), straightTo(3, 40),
                                                              straightTo(1.5f, 40), straightTo(1.5f, 0)})},
      {"extruded, any polygon", testsupport::cuttingRecordOf({straightTo(0, 0), straightTo(3, 0), straightTo(3, 2),
                                                              straightTo(1, 2), straightTo(1, 40), straightTo(0, 40)},
                                                             SIM_PROFILE_EXTRUDED_SYMMETRIC, 6)},
      {"extruded, convex polygon",
       testsupport::cuttingRecordOf({straightTo(-3, 0), straightTo(3, 0), straightTo(3, 40), straightTo(-3, 40)},
                                    SIM_PROFILE_EXTRUDED_SYMMETRIC, 6)},
      {"polygon-sided (6 sides)",
       testsupport::cuttingRecordOf(testsupport::flatProfile(3, 40), SIM_PROFILE_REVOLVED, 0, glm::dvec3(0.0), 6)},
  };
  stock::MillCut mill;
  for (const Shape& shape : shapes) {
    stock::SolidStockCreator().create(grid, box);
    mill.cut(grid, stock::MoveStream(moves), 1, 2, shape.record, 5, {});  // compiles the program
    stock::SolidStockCreator().create(grid, box);
    glFinish();
    const auto start = Clock::now();
    mill.cut(grid, stock::MoveStream(moves), 1, static_cast<uint32_t>(moves.size()), shape.record, 5, {});
    glFinish();
    const double time = std::chrono::duration<double>(Clock::now() - start).count();
    const uint64_t rays = raysOf(grid.frame(), moves, shape.record.widest, 40);
    std::printf("  %s: %zu moves in %.3f s: %.0f moves/s, %.1f M rays/s\n", shape.name, moves.size() - 1, time,
                (moves.size() - 1) / time, rays / time / 1e6);
  }
}

// The parts the stock check sweeps of a tool in a collet chuck, out of it
// by the given length.
stock::CheckedParts chuckedParts(const testsupport::Points& cutting, float out) {
  using testsupport::straightTo;
  testsupport::ToolTableBuilder b;
  b.addTool("T", {{SIM_PART_CUTTING, cutting},
                  {SIM_PART_HOLDER, {straightTo(0, out), straightTo(9, out), straightTo(9, out + 25),
                                     straightTo(19, out + 35), straightTo(19, out + 60), straightTo(0, out + 60)}}});
  tools::ToolTable table;
  table.rebuild(b.record(), 1.0, tools::NoMachineHolders());
  return stock::checkedParts(table.cutRecords(0));
}

}  // namespace

int main() {
  testsupport::GlContext context;
  if (!bench::openContext(context)) return 1;
  const bench::StandardCut standard;
  const tools::CutRecord &flat = standard.flat, &ball = standard.ball;
  const auto &pocket = standard.pocket, &finish = standard.finish;
  const gpu::DeviceLimits limits = gpu::queryDeviceLimits();
  // Held 40 mm out, the holders stay clear; 8 mm out, they meet the
  // pocket's walls on its last levels and the finish's high ground.
  struct Holding {
    float out;
    stock::CheckedParts flat, ball;
  };
  const Holding holdings[] = {
      {40, chuckedParts(testsupport::flatProfile(3, 40), 40), chuckedParts(testsupport::ballProfile(3, 40), 40)},
      {8, chuckedParts(testsupport::flatProfile(3, 40), 8), chuckedParts(testsupport::ballProfile(3, 40), 8)}};
  for (double quality : {0.5, 0.75}) {
    const stock::BoxShape box = standard.box();
    stock::StockGrid grid;
    standard.freshStock(grid, standard.cellsAt(quality), limits);
    stock::MillCut mill;
    // One warm-up cut compiles the programs.
    mill.cut(grid, stock::MoveStream(pocket), 1, 2, flat, 5, {});
    mill.cut(grid, stock::MoveStream(finish), 1, 2, ball, 6, {});
    stock::SolidStockCreator().create(grid, box);
    glFinish();
    auto timed = [&](const std::vector<toolpath::GPUMoveRecord>& moves, const tools::CutRecord& tool,
                     const stock::CheckedParts* parts = nullptr) {
      const auto start = Clock::now();
      mill.cut(grid, stock::MoveStream(moves), 1, static_cast<uint32_t>(moves.size()), tool, 5, {}, std::nullopt,
               parts);
      glFinish();
      return std::chrono::duration<double>(Clock::now() - start).count();
    };
    const double pocketTime = timed(pocket, flat);
    const double finishTime = timed(finish, ball);
    const uint64_t pocketRays = raysOf(grid.frame(), pocket, 3, 40), finishRays = raysOf(grid.frame(), finish, 3, 40);
    std::printf("quality %.2f (%u x %u x %u nodes, h %.3f mm):\n", quality, grid.frame().nodes.x, grid.frame().nodes.y,
                grid.frame().nodes.z, grid.frame().exactCellSize);
    std::printf("  pocket, flat 6 mm: %zu moves in %.3f s: %.0f moves/s, %.1f M rays/s\n", pocket.size() - 1,
                pocketTime, (pocket.size() - 1) / pocketTime, pocketRays / pocketTime / 1e6);
    std::printf("  finish, ball 6 mm: %zu moves in %.3f s: %.0f moves/s, %.1f M rays/s\n", finish.size() - 1,
                finishTime, (finish.size() - 1) / finishTime, finishRays / finishTime / 1e6);
    std::printf("  whole job: %.3f s\n", pocketTime + finishTime);
    // Again on fresh stock, the holders checked after every group of moves.
    for (const Holding& holding : holdings) {
      stock::SolidStockCreator().create(grid, box);
      mill.cut(grid, stock::MoveStream(pocket), 1, 2, flat, 5, {}, std::nullopt, &holding.flat);  // compiles
      stock::SolidStockCreator().create(grid, box);
      mill.clearReport();
      glFinish();
      const double checkedTime = timed(pocket, flat, &holding.flat) + timed(finish, ball, &holding.ball);
      std::printf("  whole job, holders %.0f mm out, checked: %.3f s (%+.1f %%), %zu records hit\n", holding.out,
                  checkedTime, 100.0 * (checkedTime / (pocketTime + finishTime) - 1.0), mill.partHits().size());
    }
    if (quality == 0.5) otherShapes(grid, box, pocket);
  }
  return 0;
}
