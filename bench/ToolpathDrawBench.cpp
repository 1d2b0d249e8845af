// Figures of the toolpath display: pictures of 1600 x 900 of a pocketing
// toolpath drawn as lines, coloured by feed, with points and tool vectors,
// and with the tool in use, each the time of one picture (drawing and
// reading it back) on the machine's OpenGL.
//
//   toolpath_draw_bench [moves]    (default 200000)
#include <korvane/Korvane.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "PocketMoves.h"
#include "ViewBench.h"
#include "support/ToolBuilder.h"
#include "support/ToolpathBuilder.h"

namespace {

constexpr int kWidth = 1600, kHeight = 900;

// The pocket with feeds that vary from move to move, one tool.
testing_support::ToolpathBuilder pocket(size_t count) {
  testing_support::ToolpathBuilder b;
  const std::vector<SIM_ToolpathMove> moves = bench::pocketMoves(count, 1.0);
  for (size_t i = 0; i < moves.size(); ++i) {
    b.add(moves[i]);
    b.feeds.push_back(moves[i].type == SIM_MOVE_RAPID ? 0.0 : 500.0 + (i % 7) * 100.0);
  }
  b.toolChange("T1", 0);
  return b;
}

double millisecondsPerPicture(Render* view, int pictures) {
  bench::onRenderThread(view, [&] { return view->renderImage(kWidth, kHeight).size(); });  // uploads first
  const auto start = bench::Clock::now();
  for (int i = 0; i < pictures; ++i) bench::onRenderThread(view, [&] { return view->renderImage(kWidth, kHeight).size(); });
  return bench::secondsSince(start) * 1e3 / pictures;
}

}  // namespace

int main(int argc, char** argv) {
  const size_t count = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 200000;
  if (count < 2 || count > 10000000) {
    std::fprintf(stderr, "moves must be 2 .. 10000000\n");
    return 2;
  }
  if (SIM_InitOpenGL() != 1) {
    std::fprintf(stderr, "no display\n");
    return 1;
  }
  Render* view = bench::createView(true);
  testsupport::ToolTableBuilder tools;
  tools.addTool("T1", {{SIM_PART_CUTTING, testsupport::flatProfile(3, 30)}});
  const SIM_ToolTableRecord table = tools.record();
  SIM_SetToolTable(view, &table);
  const testing_support::ToolpathBuilder path = pocket(count);
  const SIM_ToolpathRecord record = path.record();
  SIM_SetToolpath(view, &record);
  SIM_SetProgress(view, 0.5, SIM_PROGRESS_TIME_FRACTION);
  SIM_SetView(view, SIM_VIEW_ISOMETRIC);
  // The frame after these calls builds the strip; the one after it has it.
  bench::onRenderThread(view, [] { return 0; });
  const auto built = bench::Clock::now();
  bench::onRenderThread(view, [] { return 0; });
  const double buildSeconds = bench::secondsSince(built);
  const size_t vertices =
      bench::onRenderThread(view, [&] { return view->toolpathStage().lines() ? view->toolpathStage().lines()->vertices.size() : 0; });
  std::printf("toolpath drawing: %zu moves, %zu strip vertices (the frame that built them: %.0f ms), pictures of %d x %d\n",
              count, vertices, buildSeconds * 1e3, kWidth, kHeight);

  struct Setting {
    const char* name;
    void (*change)(SIM_ToolpathDisplay&);
  } settings[] = {
      {"lines, no tool", [](SIM_ToolpathDisplay& d) { d.showTool = d.showHolder = 0; }},
      {"lines and the tool", [](SIM_ToolpathDisplay& d) { d.showTool = 1; }},
      {"coloured by feed", [](SIM_ToolpathDisplay& d) { d.colourByFeed = 1; }},
      {"points", [](SIM_ToolpathDisplay& d) { d.colourByFeed = 0, d.points = 1; }},
      {"points and vectors", [](SIM_ToolpathDisplay& d) { d.toolVectors = 1; }},
  };
  SIM_ToolpathDisplay display = SIM_GetToolpathDisplay(view);
  for (const Setting& s : settings) {
    s.change(display);
    SIM_SetToolpathDisplay(view, &display);
    std::printf("  %-20s %8.1f ms a picture\n", s.name, millisecondsPerPicture(view, 5));
  }
  SIM_CloseView(view);
  SIM_TerminateOpenGL();
  return 0;
}
