// Figures of playback: the standard job (StandardJob.h) played from start
// to end at the speed slider's top (the view's fastest rate), against the
// same moves cut in one batch with SIM_CutStock; on a headless view, and on
// a hidden window of 1600 x 900 that extracts and draws the stock every
// frame. Also the frames it took and the time a frame spent on average.
#include <korvane/Korvane.h>

#include <cstdio>

#include "StandardJob.h"
#include "ViewBench.h"
#include "gpu/SSBO.h"
#include "support/ToolBuilder.h"
#include "support/ToolpathBuilder.h"

namespace {

using bench::Clock;
using testing_support::ToolpathBuilder;

// The standard job as a host hands it over: a tool change before each
// tool's moves (that move goes nowhere), every point a feed move.
ToolpathBuilder standardToolpath(const bench::StandardJob& job) {
  ToolpathBuilder path;
  uint32_t line = 1;
  auto add = [&](uint32_t type, const glm::dvec3& p) { path.add(ToolpathBuilder::line(type, p), line++, 0); };
  path.toolChange("flat6", 0);
  add(SIM_MOVE_NONE, job.pocket.front());
  for (const glm::dvec3& p : job.pocket) add(SIM_MOVE_LINEAR, p);
  path.toolChange("ball6", static_cast<uint32_t>(path.moves.size()));
  add(SIM_MOVE_NONE, job.finish.front());
  for (const glm::dvec3& p : job.finish) add(SIM_MOVE_LINEAR, p);
  return path;
}

void measure(bool headless, int rounds) {
  Render* view = bench::createView(headless);
  if (!view) return;

  const bench::StandardJob job;
  SIM_StockRecord box = SIM_GetStock(nullptr, 0);
  box.identifier = 1;
  box.kind = SIM_STOCK_BOX;
  box.quality = 0.5f;
  for (int k = 0; k < 3; ++k) {
    box.boxMin[k] = job.boxMin[k];
    box.boxMax[k] = job.boxMax[k];
  }
  SIM_CreateStock(view, box);
  testsupport::ToolTableBuilder tools;
  tools.addTool("flat6", {{SIM_PART_CUTTING, testsupport::flatProfile(3, 40)}});
  tools.addTool("ball6", {{SIM_PART_CUTTING, testsupport::ballProfile(3, 40)}});
  const SIM_ToolTableRecord table = tools.record();
  SIM_SetToolTable(view, &table);
  const ToolpathBuilder path = standardToolpath(job);
  const SIM_ToolpathRecord record = path.record();
  SIM_SetToolpath(view, &record);
  bench::waitUntilBuilt(view, 1);
  const glm::uvec3 nodes = bench::onRenderThread(view, [&] { return view->stock().scene()->model(1)->grid().frame().nodes; });
  std::printf("standard job: %zu moves, lattice %u x %u x %u nodes (quality 0.5), %s\n", path.moves.size(), nodes.x,
              nodes.y, nodes.z, headless ? "headless view" : "hidden 1600 x 900 window drawing every frame");

  // Rounds of: back to the start (a fresh stock), every move in one batch;
  // back to the start again, played to the end at the top of the speed
  // slider. The best of each counts, as this machine's timings wander.
  SIM_UpdateSpeed(view, 1.0);
  double played = 1e300, batch = 1e300;
  uint64_t frames = 0, uploaded = 0;
  for (int round = 0; round < rounds; ++round) {
    bench::backToTheStart(view, box);
    const uint32_t range[2] = {0, static_cast<uint32_t>(path.moves.size())};
    const Clock::time_point batchStart = Clock::now();
    SIM_CutStock(view, range);
    bench::waitForTheGpu(view);  // runs right after the batch
    batch = std::min(batch, bench::secondsSince(batchStart));

    bench::backToTheStart(view, box);
    const uint64_t framesBefore = view->frameCounter();
    const uint64_t bytesBefore = gpu::SSBO::uploadedBytes();
    const double time = bench::playToTheEnd(view);
    if (time < played) {
      played = time;
      frames = view->frameCounter() - framesBefore;
      uploaded = gpu::SSBO::uploadedBytes() - bytesBefore;
    }
  }

  std::printf("best of %d: played at full speed %.2f s over %llu frames (%.1f ms a frame)\n", rounds, played,
              static_cast<unsigned long long>(frames), played * 1e3 / double(frames));
  std::printf("sent to the GPU while playing: %.0f bytes a frame (buffers and uniform blocks)\n",
              double(uploaded) / double(frames));
  std::printf("cut in one batch:     %.2f s\n", batch);
  std::printf("playback overhead:    %+.1f %%\n", (played / batch - 1.0) * 100.0);
  SIM_CloseView(view);
}

}  // namespace

int main() {
  if (SIM_InitOpenGL() != 1) {
    std::fprintf(stderr, "no display\n");
    return 1;
  }
  measure(true, 3);
  measure(false, 1);
  SIM_TerminateOpenGL();
  return 0;
}
