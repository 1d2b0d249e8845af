// Figures of playback: the standard job (StandardJob.h) played from start
// to end at the speed slider's top (the view's fastest rate), against the
// same moves cut in one batch with SIM_CutStock; on a headless view, and on
// a hidden window of 1600 x 900 that extracts and draws the stock every
// frame. Also the frames it took and the time a frame spent on average.
#include <korvane/Korvane.h>

#include <cstdio>

#include "StandardJobView.h"
#include "ViewBench.h"
#include "gpu/SSBO.h"

namespace {

using bench::Clock;

void measure(bool headless, int rounds) {
  Render* view = bench::createView(headless);
  if (!view) return;

  const bench::StandardJob job;
  const SIM_StockRecord box = bench::standardStock(job);
  const testing_support::ToolpathBuilder path = bench::loadStandardJob(view, job);
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
