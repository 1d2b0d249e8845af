// Figures of playback: the standard job (StandardJob.h) played from start
// to end at the speed slider's top (the view's fastest rate), against the
// same moves cut in one batch with SIM_CutStock; on a headless view, and on
// a hidden window of 1600 x 900 that extracts and draws the stock every
// frame. Also the frames it took and the time a frame spent on average.
#include <korvane/Korvane.h>

#include <chrono>
#include <cstdio>
#include <future>
#include <thread>

#include "StandardJob.h"
#include "gpu/GL.h"
#include "gpu/SSBO.h"
#include "stock/StockModel.h"
#include "support/ToolBuilder.h"
#include "support/ToolpathBuilder.h"
#include "view/Render.h"

namespace {

using Clock = std::chrono::steady_clock;
using testing_support::ToolpathBuilder;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// Runs work on the view's render thread at its next frame and waits.
template <typename Work>
auto onRenderThread(Render* view, Work work) {
  std::packaged_task<decltype(work())()> task(std::move(work));
  auto result = task.get_future();
  view->commands().post(view::CommandStage::BeforeFrame, [&task] { task(); });
  return result.get();
}

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
  SIM_Hint(SIM_HINT_HEADLESS, headless ? 1 : 0);
  SIM_Hint(SIM_HINT_START_HIDDEN, headless ? 0 : 1);
  Render* view = SIM_CreateView(0, true);
  SIM_Hint(SIM_HINT_HEADLESS, 0);
  SIM_Hint(SIM_HINT_START_HIDDEN, 0);
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
  while (!onRenderThread(view, [&] {
    stock::StockModel* model = view->stock().scene() ? view->stock().scene()->model(1) : nullptr;
    return model && model->built();
  }))
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  const glm::uvec3 nodes = onRenderThread(view, [&] { return view->stock().scene()->model(1)->grid().frame().nodes; });
  std::printf("standard job: %zu moves, lattice %u x %u x %u nodes (quality 0.5), %s\n", path.moves.size(), nodes.x,
              nodes.y, nodes.z, headless ? "headless view" : "hidden 1600 x 900 window drawing every frame");

  // Rounds of: back to the start (a fresh stock), every move in one batch;
  // back to the start again, played to the end at the top of the speed
  // slider. The best of each counts, as this machine's timings wander.
  SIM_UpdateSpeed(view, 1.0);
  auto backToTheStart = [&] {
    SIM_SetProgress(view, 0.0, 0);
    SIM_UpdateStock(view, box);  // the same record again: the uncut stock
    for (int i = 0; i < 3; ++i) onRenderThread(view, [] {
      glFinish();
      return 0;
    });
  };
  double played = 1e300, batch = 1e300;
  uint64_t frames = 0, uploaded = 0;
  for (int round = 0; round < rounds; ++round) {
    backToTheStart();
    const uint32_t range[2] = {0, static_cast<uint32_t>(path.moves.size())};
    const Clock::time_point batchStart = Clock::now();
    SIM_CutStock(view, range);
    onRenderThread(view, [] {  // runs right after the batch
      glFinish();
      return 0;
    });
    batch = std::min(batch, secondsSince(batchStart));

    backToTheStart();
    const uint64_t framesBefore = view->frameCounter();
    const uint64_t bytesBefore = gpu::SSBO::uploadedBytes();
    const Clock::time_point playStart = Clock::now();
    SIM_Play(view);
    while (SIM_IsPlaying(view) == 1) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    onRenderThread(view, [] {  // the last frame's cut is done
      glFinish();
      return 0;
    });
    const double time = secondsSince(playStart);
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
