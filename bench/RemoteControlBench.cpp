// What SIM_Question costs the host: every code asked many times on a hidden
// window while the render thread plays and cuts the standard job, the mean
// time a call per code. Codes that walk the stock list (4, 5, 6) copy it.
#include <korvane/Korvane.h>

#include <algorithm>
#include <cstdio>

#include "StandardJobView.h"
#include "ViewBench.h"

int main() {
  if (SIM_InitOpenGL() != 1) {
    std::fprintf(stderr, "no display\n");
    return 1;
  }
  Render* view = bench::createView(false);
  if (!view) return 1;
  const bench::StandardJob job;
  const testing_support::ToolpathBuilder path = bench::loadStandardJob(view, job);
  bench::waitUntilBuilt(view, 1);
  SIM_UpdateSpeed(view, 0.7 - SIM_GetSpeed(view));  // a few times real time: cutting all along
  SIM_Play(view);
  std::printf("SIM_Question while the standard job (%zu moves) plays on a hidden 1600 x 900 window\n",
              path.moves.size());
  constexpr int kCalls = 200000;
  double slowest = 0;
  for (uint32_t code = 0; code <= 56; ++code) {
    const auto start = bench::Clock::now();
    int yes = 0;
    for (int i = 0; i < kCalls; ++i) yes += SIM_Question(view, code);
    const double ns = bench::secondsSince(start) * 1e9 / kCalls;
    slowest = std::max(slowest, ns);
    std::printf("  question %2u  %7.1f ns a call%s\n", code, ns, yes ? "" : "  (false)");
  }
  std::printf("slowest: %.1f ns a call; still playing: %s\n", slowest, SIM_IsPlaying(view) ? "yes" : "no");
  SIM_CloseView(view);
  SIM_TerminateOpenGL();
  return 0;
}
