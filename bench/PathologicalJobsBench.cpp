// Figures of jobs whose cost once grew with the job instead of the work:
// a full circle against a line of the same length, a helix of ten turns,
// 100,000 tiny moves back and forth at one spot, 20,000 tool changes and a
// spiral of 1,000,000 moves. Each is played to the end at full speed on a
// headless view and cut in one batch (SIM_CutStock) on the same stock;
// then played again and closed half way, timing SIM_CloseView.
//
// pathological_jobs_bench [DIVISOR] [window] divides the move counts of the
// large jobs (for a quick look; the figures to report use 1), and with
// "window" plays on a hidden window that draws every frame instead of a
// headless view.
#include <korvane/Korvane.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "ViewBench.h"
#include "support/ToolBuilder.h"
#include "support/ToolpathBuilder.h"

namespace {

using bench::Clock;
using testing_support::ToolpathBuilder;

struct Job {
  std::string name;
  ToolpathBuilder path;
  glm::dvec3 low{1e30}, high{-1e30};
  void add(const SIM_ToolpathMove& move) {
    path.add(move);
    for (int k = 0; k < 3; ++k) {
      low[k] = std::min(low[k], move.end[k]);
      high[k] = std::max(high[k], move.end[k]);
    }
  }
};

constexpr double kRadius = 3;  // a 6 mm flat end mill

Job start(const std::string& name) {
  Job job;
  job.name = name;
  job.path.toolChange("flat6", 0);
  job.add(ToolpathBuilder::line(SIM_MOVE_NONE, {0, 0, 2}));
  return job;
}

Job lineJob() {
  Job job = start("line of 62.8 mm");
  job.add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {0, 0, -1}));
  job.add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {20 * M_PI, 0, -1}));
  return job;
}

Job circleJob() {
  Job job = start("full circle of 62.8 mm");
  job.add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {0, 0, -1}));
  job.add(ToolpathBuilder::arc(SIM_MOVE_ARC_CCW, {0, 0, -1}, {10, 0, -1}, {0, 0, -1}));
  job.low = {-kRadius, -10, -1}, job.high = {20, 10, 2};
  return job;
}

Job helixJob() {
  Job job = start("helix of 10 turns");
  job.add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {0, 0, 0}));
  for (int turn = 1; turn <= 10; ++turn)
    job.add(ToolpathBuilder::arc(SIM_MOVE_ARC_CCW, {0, 0, -0.5 * turn}, {10, 0, 0}, {0, 0, -1}));
  job.low = {0, -10, -5}, job.high = {20, 10, 2};
  return job;
}

Job tinyMovesJob(int divisor) {
  Job job = start("100,000 moves of 0.1 mm at one spot");
  job.add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {0, 0, -1}));
  for (int i = 0; i < 100'000 / divisor; ++i) job.add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {i % 2 ? 0.0 : 0.1, 0, -1}));
  return job;
}

Job toolChangesJob(int divisor) {
  Job job = start("20,000 tool changes");
  for (int i = 0; i < 20'000 / divisor; ++i) {
    job.path.toolChange("flat6", static_cast<uint32_t>(job.path.moves.size()));
    job.add(ToolpathBuilder::line(SIM_MOVE_NONE, {i * 0.05, 0, -1}));
    job.add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {i * 0.05 + 0.05, 0, -1}));
  }
  return job;
}

Job spiralJob(int divisor) {
  Job job = start("spiral of 1,000,000 moves");
  const int moves = 1'000'000 / divisor;
  for (int i = 0; i < moves; ++i) {
    const double turn = 40.0 * i / moves, angle = 2 * M_PI * turn, r = 2 + 1.5 * turn;
    job.add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {r * std::cos(angle), r * std::sin(angle), -1}));
  }
  return job;
}

// The view with the job's stock, tool and toolpath, at full speed.
Render* viewFor(Job& job, bool headless, SIM_StockRecord& box) {
  Render* view = bench::createView(headless);
  if (!view) return nullptr;
  box = SIM_GetStock(nullptr, 0);
  box.identifier = 1;
  box.kind = SIM_STOCK_BOX;
  box.quality = 0.5f;
  for (int k = 0; k < 2; ++k) box.boxMin[k] = job.low[k] - kRadius, box.boxMax[k] = job.high[k] + kRadius;
  box.boxMin[2] = job.low[2] - 1, box.boxMax[2] = 0;
  SIM_CreateStock(view, box);
  testsupport::ToolTableBuilder tools;
  tools.addTool("flat6", {{SIM_PART_CUTTING, testsupport::flatProfile(float(kRadius), 30)}});
  const SIM_ToolTableRecord table = tools.record();
  SIM_SetToolTable(view, &table);
  const SIM_ToolpathRecord record = job.path.record();
  SIM_SetToolpath(view, &record);
  SIM_UpdateSpeed(view, 1.0);
  bench::waitUntilBuilt(view, 1);
  return view;
}

void measure(Job job, bool headless) {
  SIM_StockRecord box;
  Render* view = viewFor(job, headless, box);
  if (!view) return;
  const uint32_t moves = static_cast<uint32_t>(job.path.moves.size());
  bench::backToTheStart(view, box);
  const uint32_t range[2] = {0, moves};
  Clock::time_point begin = Clock::now();
  SIM_CutStock(view, range);
  bench::waitForTheGpu(view);
  const double batch = bench::secondsSince(begin);

  bench::backToTheStart(view, box);
  const double played = bench::playToTheEnd(view);

  // Half way through playing again, the view is closed.
  bench::backToTheStart(view, box);
  SIM_Play(view);
  std::this_thread::sleep_for(std::chrono::duration<double>(std::max(0.05, played / 2)));
  begin = Clock::now();
  SIM_CloseView(view);
  const double closing = bench::secondsSince(begin);
  std::printf("%-40s %9u moves  batch %7.2f s  played %7.2f s  ratio %5.2f  %9.0f moves/s played  close %5.0f ms\n",
              job.name.c_str(), moves, batch, played, played / batch, moves / played, closing * 1e3);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  const int divisor = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;
  const bool headless = !(argc > 2 && std::strcmp(argv[2], "window") == 0);
  if (SIM_InitOpenGL() != 1) {
    std::fprintf(stderr, "no display\n");
    return 1;
  }
  std::printf("%s, stock around each job at quality 0.5, 6 mm flat end mill, move counts / %d\n",
              headless ? "headless view" : "hidden window drawing every frame", divisor);
  measure(lineJob(), headless);
  measure(circleJob(), headless);
  measure(helixJob(), headless);
  measure(tinyMovesJob(divisor), headless);
  measure(toolChangesJob(divisor), headless);
  measure(spiralJob(divisor), headless);
  SIM_TerminateOpenGL();
  return 0;
}
