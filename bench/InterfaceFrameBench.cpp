// Figures of the in-window interface: decoding each icon atlas, the frame
// pass with the ribbon bar (CPU time per frame, records, uploads) when
// nothing changes, with a menu open and with the cursor moving over the
// bar, the texture memory of the two atlases, and the CPU an idle view
// with its interface takes.
//
//   xvfb-run -a interface_frame_bench
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "ViewBench.h"
#include "ui/FontAtlas.h"
#include "ui/IconAtlas.h"
#include "ui/IconVariant.h"
#include "ui/Navigation.h"
#include "ui/Ribbonbar.h"

namespace {

double cpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

struct PassFigures {
  double microseconds;
  size_t records;
  uint64_t uploads;
};

// Frames of the interface alone on the render thread; move sweeps the
// cursor across the bar so the hover changes every frame.
PassFigures framePasses(Render* view, int frames, double cursorX, double cursorY, bool move) {
  return bench::onRenderThread(view, [&] {
    view::InterfaceFrame& frame = view->interfaceFrame();
    const int width = view->framebufferWidth(), height = view->framebufferHeight();
    view::InputState input;
    input.cursorX = cursorX, input.cursorY = cursorY;
    frame.update(input, width, height);
    const uint64_t uploadsBefore = frame.manager()->uploads();
    const auto start = bench::Clock::now();
    for (int i = 0; i < frames; ++i) {
      if (move) input.cursorX = cursorX + (i % 400) - 200;
      frame.update(input, width, height);
    }
    const double seconds = bench::secondsSince(start);
    return PassFigures{seconds / frames * 1e6, frame.manager()->records().size(),
                       frame.manager()->uploads() - uploadsBefore};
  });
}

}  // namespace

int main() {
  for (int dpi : UI::kIconDpis) {
    double best = 1e30;
    UI::IconAtlas atlas;
    for (int run = 0; run < 5; ++run) {
      const auto start = bench::Clock::now();
      atlas = UI::decodeIconAtlas(dpi);
      best = std::min(best, bench::secondsSince(start) * 1e3);
    }
    std::printf("icon atlas %3d DPI: decoded in %5.2f ms, %d x %d, %.2f MiB as a texture\n", dpi, best, atlas.width,
                atlas.height, atlas.rgba.size() / 1048576.0);
  }
  std::printf("glyph atlas texture: %.1f MiB\n", UI::FontAtlas::kWidth * UI::FontAtlas::kHeight * 4 / 1048576.0);

  if (SIM_InitOpenGL() != 1) {
    std::fprintf(stderr, "no display\n");
    return 1;
  }
  Render* view = bench::createView(false);
  if (!view || !bench::onRenderThread(view, [&] { return view->interfaceFrame().ribbonbar() != nullptr; })) {
    std::fprintf(stderr, "no view with an interface\n");
    return 1;
  }
  const double width = view->framebufferWidth();
  const PassFigures idle = framePasses(view, 2000, width / 2, 400, false);
  std::printf("frame pass, nothing changes:    %6.1f us, %zu records, %ju uploads in 2000 frames\n", idle.microseconds,
              idle.records, static_cast<uintmax_t>(idle.uploads));
  const PassFigures moving = framePasses(view, 2000, width / 2, 24, true);
  std::printf("frame pass, cursor on the bar:  %6.1f us, %zu records, %ju uploads in 2000 frames\n",
              moving.microseconds, moving.records, static_cast<uintmax_t>(moving.uploads));
  // The toolpath menu open.
  const auto arrow = bench::onRenderThread(view, [&] {
    UI::SplitButton* button = view->interfaceFrame().ribbonbar()->buttonOf(20);
    button->setMenuOpen(true);
    return 0;
  });
  (void)arrow;
  const PassFigures menu = framePasses(view, 2000, width / 2, 400, false);
  std::printf("frame pass, a menu open:        %6.1f us, %zu records, %ju uploads in 2000 frames\n", menu.microseconds,
              menu.records, static_cast<uintmax_t>(menu.uploads));
  bench::onRenderThread(view, [&] {
    view->interfaceFrame().ribbonbar()->buttonOf(20)->setMenuOpen(false);
    return 0;
  });

  // The timeline cut into 1,000 operations.
  bench::onRenderThread(view, [&] {
    std::vector<double> ends;
    std::vector<uint8_t> colours;
    for (int i = 1; i <= 1000; ++i) ends.push_back(i / 1000.0), colours.push_back(uint8_t(i % 8));
    UI::Colour c{0.3f, 0.5f, 0.8f, 1.0f};
    view->interfaceFrame().navigation()->timeline().setSegments(ends, std::vector<UI::Colour>(8, c), colours);
    return 0;
  });
  const PassFigures segments = framePasses(view, 2000, width / 2, 400, false);
  std::printf("frame pass, 1,000 segments:     %6.1f us, %zu records, %ju uploads in 2000 frames\n",
              segments.microseconds, segments.records, static_cast<uintmax_t>(segments.uploads));

  // Idle: the view left alone for five seconds.
  std::this_thread::sleep_for(std::chrono::seconds(2));
  const double cpuStart = cpuSeconds();
  const auto wallStart = bench::Clock::now();
  std::this_thread::sleep_for(std::chrono::seconds(5));
  std::printf("idle view with its interface: %.2f %% of a core\n",
              100.0 * (cpuSeconds() - cpuStart) / bench::secondsSince(wallStart));
  SIM_CloseView(view);
  SIM_TerminateOpenGL();
  return 0;
}
