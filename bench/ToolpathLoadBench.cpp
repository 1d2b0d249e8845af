// Figures of toolpath loading: a host hands over a million moves (lines and
// arcs, NC lines, feeds) and computes nothing else; the view copies them and
// derives cumulative length and time, arcs, palettes and bounds; then the
// line buffers the toolpath display draws.
//
//   toolpath_load_bench [moves]    (default 1000000)
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <random>
#include <vector>

#include "PocketMoves.h"
#include "korvane/Korvane.h"
#include "machine/Kinematics.h"
#include "toolpath/Toolpath.h"
#include "toolpath/ToolpathLines.h"

namespace {

using Clock = std::chrono::steady_clock;

// A zig-zag of feed moves joined by quarter arcs, stepping down now and then,
// with a rapid between layers: what a pocketing job looks like.
struct HostToolpath {
  std::vector<SIM_ToolpathMove> moves;
  std::vector<uint32_t> lines;
  std::vector<double> feeds;
  std::vector<SIM_ValueChange> valueChanges;

  explicit HostToolpath(size_t count) : moves(bench::pocketMoves(count, 2.0)) {
    lines.resize(count);
    feeds.resize(count);
    std::mt19937 random(7);
    for (size_t i = 0; i < count; ++i) {
      lines[i] = static_cast<uint32_t>(i / 2 + 10);
      feeds[i] = moves[i].type == SIM_MOVE_RAPID ? 0.0 : 800.0 + random() % 5 * 100.0;
      if (i % 1000 == 0) valueChanges.push_back({static_cast<uint32_t>(i), 0, {}, feeds[i]});
    }
  }

  SIM_ToolpathRecord record() const {
    SIM_ToolpathRecord r{};
    r.moveCount = moves.size();
    r.moves = moves.data();
    r.lineNumbers = lines.data();
    r.feeds = feeds.data();
    r.valueChangeCount = valueChanges.size();
    r.valueChanges = valueChanges.data();
    return r;
  }
};

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  const size_t count = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 1000000;
  if (count < 2 || count > 50000000) {
    std::fprintf(stderr, "moves must be 2 .. 50000000\n");
    return 2;
  }
  const HostToolpath host(count);
  const SIM_ToolpathRecord record = host.record();

  // The first load also pays for fresh memory; a reload (the host sends an
  // edited program) reuses it.
  toolpath::Toolpath toolpath;
  auto start = Clock::now();
  toolpath = toolpath::Toolpath::fromRecord(record);
  const double first = secondsSince(start);
  double best = 1e30;
  for (int run = 0; run < 3; ++run) {
    start = Clock::now();
    toolpath = toolpath::Toolpath::fromRecord(record);
    best = std::min(best, secondsSince(start));
  }
  if (toolpath.moveCount() != count || !(toolpath.totalLength() > 0.0)) {
    std::fprintf(stderr, "load lost moves or length\n");
    return 1;
  }
  std::printf("toolpath load: %zu moves (%.1f MB of move records): first load %.3f s, reload %.3f s (best of 3)\n",
              count, count * sizeof(SIM_ToolpathMove) / 1e6, first, best);
  std::printf("  total length %.1f mm, total time %.2f min, bounds x %.1f .. %.1f\n", toolpath.totalLength(),
              toolpath.totalTime(), toolpath.bounds().min.x, toolpath.bounds().max.x);

  // What the toolpath display draws from: the strip, the tool-axis
  // segments, the ranges and the per-move values.
  const machine::IdentityKinematics kinematics;
  start = Clock::now();
  const toolpath::ToolpathLines lines =
      toolpath::buildToolpathLines(toolpath, kinematics, toolpath::vectorLengthFor(toolpath));
  const double linesSeconds = secondsSince(start);
  const double linesMegabytes = (lines.vertices.size() * sizeof(toolpath::LineVertex) +
                                 lines.vectors.size() * sizeof(toolpath::VectorVertex) +
                                 lines.values.size() * sizeof(float) + lines.lastVertexOf.size() * sizeof(uint32_t)) /
                                1e6;
  std::printf("toolpath lines: %zu vertices, %zu vector vertices, %.1f MB: built in %.3f s\n", lines.vertices.size(),
              lines.vectors.size(), linesMegabytes, linesSeconds);

  // Lookups a playing view makes every frame.
  const int lookups = 1000000;
  std::mt19937 random(3);
  std::uniform_real_distribution<double> fraction(0.0, 1.0);
  int64_t checksum = 0;
  start = Clock::now();
  for (int i = 0; i < lookups; ++i) {
    const int64_t move = toolpath.moveAtFraction(fraction(random), toolpath::Measure::Time);
    checksum += move + toolpath.lineOf(move);
  }
  const double lookupSeconds = secondsSince(start);
  std::printf("move at time fraction + line: %.0f ns per lookup (checksum %lld)\n", lookupSeconds / lookups * 1e9,
              static_cast<long long>(checksum));
  return 0;
}
