// Figures of DXF import: how fast SIM_ParseDxfFile turns a drawing of
// about 10 MB (lines, arcs and polylines with bulges, a third each) into
// segments. Best of three; the count is checked against the drawing's.
//
//   dxf_parse_bench [megabytes]    (default 10)
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "formats/DxfDrawing.h"
#include "korvane/Korvane.h"

namespace {

std::string drawing(size_t bytes, size_t& expected) {
  std::mt19937 rng(7u);
  std::uniform_real_distribution<double> at(-500.0, 500.0);
  std::string text = "0\nSECTION\n2\nENTITIES\n";
  char entity[512];
  expected = 0;
  for (size_t k = 0; text.size() < bytes; ++k) {
    const double x = at(rng), y = at(rng);
    switch (k % 3) {
      case 0:
        std::snprintf(entity, sizeof entity, "0\nLINE\n8\n0\n10\n%.4f\n20\n%.4f\n30\n0\n11\n%.4f\n21\n%.4f\n31\n0\n", x, y,
                      x + 10, y + 5);
        expected += 1;
        break;
      case 1:
        // A quarter arc of radius 20: the chords the reader makes of it.
        std::snprintf(entity, sizeof entity, "0\nARC\n8\n0\n10\n%.4f\n20\n%.4f\n30\n0\n40\n20\n50\n0\n51\n90\n", x, y);
        expected += formats::arcPoints(0, 0, 20, 0, 3.14159265358979 / 2).size() - 1;
        break;
      default:
        std::snprintf(entity, sizeof entity,
                      "0\nLWPOLYLINE\n8\n0\n90\n3\n70\n0\n10\n%.4f\n20\n%.4f\n10\n%.4f\n20\n%.4f\n42\n0.4142\n10\n%.4f\n20\n%.4f\n",
                      x, y, x + 30, y, x + 30, y + 30);
        // The bulge turns a quarter over a chord of 30.
        expected += 1 + (formats::arcPoints(0, 0, 15 / std::sin(std::atan(0.4142) * 2), 0, 4 * std::atan(0.4142)).size() - 1);
        break;
    }
    text += entity;
  }
  return text + "0\nENDSEC\n0\nEOF\n";
}

}  // namespace

int main(int argc, char** argv) {
  const double megabytes = argc > 1 ? std::max(0.1, std::atof(argv[1])) : 10.0;
  size_t expected = 0;
  const std::string text = drawing(static_cast<size_t>(megabytes * 1e6), expected);
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("korvane-bench-" + std::to_string(::getpid()) + ".dxf");
  std::ofstream(path, std::ios::binary) << text;
  std::vector<SIM_DxfSegment> segments(expected + 1);
  double best = 1e300;
  uint32_t count = 0;
  for (int run = 0; run < 3; ++run) {
    const auto start = std::chrono::steady_clock::now();
    const int32_t result = SIM_ParseDxfFile(path.c_str(), segments.data(), static_cast<int32_t>(segments.size()), &count);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (result != 0 || count != expected) {
      std::fprintf(stderr, "dxf_parse_bench: result %d, %u segments, %zu expected\n", result, count, expected);
      std::filesystem::remove(path);
      return 1;
    }
    best = std::min(best, seconds);
  }
  std::filesystem::remove(path);
  std::printf("DXF drawing of %.1f MB: %u segments in %.1f ms, %.2f million segments/s, %.0f MB/s\n",
              text.size() / 1e6, count, best * 1e3, count / best / 1e6, text.size() / best / 1e6);
  return 0;
}
