#pragma once
// What the benchmarks that drive a whole view share: running work on its
// render thread, a headless view or a hidden window, waiting for a stock to
// be built, going back to the uncut stock, and playing to the end.
#include <korvane/Korvane.h>

#include <chrono>
#include <future>
#include <thread>

#include "gpu/GL.h"
#include "stock/StockModel.h"
#include "view/Render.h"

namespace bench {

using Clock = std::chrono::steady_clock;

inline double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Runs work on the view's render thread at its next frame and waits.
template <typename Work>
auto onRenderThread(Render* view, Work work) {
  std::packaged_task<decltype(work())()> task(std::move(work));
  auto result = task.get_future();
  view->commands().post(view::CommandStage::BeforeFrame, [&task] { task(); });
  return result.get();
}

// Waits until what the render thread has sent to the GPU is done.
inline void waitForTheGpu(Render* view) {
  onRenderThread(view, [] {
    glFinish();
    return 0;
  });
}

// A headless view, or a hidden window that extracts and draws the stock
// every frame it shows.
inline Render* createView(bool headless) {
  SIM_Hint(SIM_HINT_HEADLESS, headless ? 1 : 0);
  SIM_Hint(SIM_HINT_START_HIDDEN, headless ? 0 : 1);
  Render* view = SIM_CreateView(0, true);
  SIM_Hint(SIM_HINT_HEADLESS, 0);
  SIM_Hint(SIM_HINT_START_HIDDEN, 0);
  return view;
}

inline void waitUntilBuilt(Render* view, uint32_t stock) {
  while (!onRenderThread(view, [&] {
    stock::StockModel* model = view->stock().scene() ? view->stock().scene()->model(stock) : nullptr;
    return model && model->built();
  }))
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

// Playback at the start and the stock uncut again (the same record once
// more rebuilds it).
inline void backToTheStart(Render* view, const SIM_StockRecord& stock) {
  SIM_SetProgress(view, 0.0, 0);
  SIM_UpdateStock(view, stock);
  for (int i = 0; i < 3; ++i) waitForTheGpu(view);
}

// Plays from where the view stands to the end; the seconds it took, the
// last frame's cut included.
inline double playToTheEnd(Render* view) {
  const Clock::time_point start = Clock::now();
  SIM_Play(view);
  while (SIM_IsPlaying(view) == 1) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  waitForTheGpu(view);
  return secondsSince(start);
}

}  // namespace bench
