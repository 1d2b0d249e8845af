// Figures of the G-code interpreter: lines per second on a program of a
// million plain feed moves, blocks per second on a program that spends its
// time in O-word loops, conditions and expressions, and the memory a
// million moves take. Best of three runs each; the move counts are checked
// so a fast wrong reading cannot pass.
//
//   gcode_interpret_bench [lines]    (default 1000000)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>

#include <korvane/KorvaneGCode.h>

namespace {

using Clock = std::chrono::steady_clock;

// Feed moves along a random walk, written as a CAM post-processor does.
std::string plainProgram(size_t lines) {
  std::mt19937 rng(12345u);
  std::uniform_real_distribution<double> step(-1.0, 1.0);
  std::string text = "G21 G90 G17\nT1 M6\nS10000 M3\nG0 X0 Y0 Z5\n";
  double x = 0, y = 0, z = 0;
  char line[96];
  for (size_t i = 4; i < lines; ++i) {
    x += step(rng), y += step(rng), z = std::clamp(z + 0.1 * step(rng), -20.0, 0.0);
    std::snprintf(line, sizeof line, "G1 X%.4f Y%.4f Z%.4f F1200\n", x, y, z);
    text += line;
  }
  return text;
}

// A loop that computes each point: about seven blocks run per turn, one
// move every seventh turn.
const char* const kLoopProgram =
    "#1 = 0\n"
    "o100 while [#1 LT 200000]\n"
    "  #2 = [SIN[#1 * 0.01] * 10 + COS[#1 * 0.02] * 5]\n"
    "  #3 = [#1 MOD 7]\n"
    "  o101 if [#3 EQ 0]\n"
    "    G1 X#2 Y[#3 * 2 + #1 / 1000] F1000\n"
    "  o101 endif\n"
    "  #1 = [#1 + 1]\n"
    "o100 endwhile\n"
    "M2\n";

long residentKiB() {
  std::ifstream status("/proc/self/status");
  std::string key;
  long value = 0;
  while (status >> key) {
    if (key == "VmRSS:") {
      status >> value;
      return value;
    }
    status.ignore(1 << 12, '\n');
  }
  return 0;
}

template <class F>
double bestSeconds(F run) {
  double best = 1e300;
  for (int k = 0; k < 3; ++k) {
    const auto start = Clock::now();
    run();
    best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  const size_t lines = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1000000;
  const std::string plain = plainProgram(lines);
  korvane::gcode::Options options;
  options.toolInSpindle = 1;

  size_t moves = 0;
  const double plainSeconds = bestSeconds([&] { moves = korvane::gcode::interpret(plain, "plain.ngc", options).moves.size(); });
  if (moves != lines - 3) {
    std::fprintf(stderr, "plain program: %zu moves, expected %zu\n", moves, lines - 3);
    return 1;
  }
  std::printf("plain moves:   %zu lines in %.3f s: %.0f lines/s (%.1f MB of text)\n", lines, plainSeconds,
              double(lines) / plainSeconds, double(plain.size()) / 1e6);

  size_t loopMoves = 0;
  const double loopSeconds =
      bestSeconds([&] { loopMoves = korvane::gcode::interpret(kLoopProgram, "loops.ngc", options).moves.size(); });
  if (loopMoves != (200000 + 6) / 7) {
    std::fprintf(stderr, "loop program: %zu moves, expected %d\n", loopMoves, (200000 + 6) / 7);
    return 1;
  }
  // Per turn: while, two settings, if, endif, the count; and the move in
  // one turn of seven.
  const double blocks = 200000.0 * 6 + loopMoves + 3;
  std::printf("O-word loops:  %.0f blocks in %.3f s: %.0f blocks/s, %zu moves\n", blocks, loopSeconds,
              blocks / loopSeconds, loopMoves);

  const long before = residentKiB();
  const korvane::gcode::Program held = korvane::gcode::interpret(plain, "plain.ngc", options);
  const long after = residentKiB();
  const double perMillion = double(after - before) * 1024 / (double(held.moves.size()) / 1e6);
  std::printf("memory:        %.1f MB per million moves resident (%zu bytes a move, capacity %zu)\n", perMillion / 1e6,
              sizeof(korvane::gcode::Move), held.moves.capacity());
  return 0;
}
