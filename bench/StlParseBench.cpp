// Figures of STL import: how fast parseStl turns one mesh, held in memory as
// a binary image and as exporter-style ASCII text, into vertices. Best of
// three runs each; the result is checked so a fast wrong parse cannot pass.
//
//   stl_parse_bench [triangles]    (default 1000000)
#include <algorithm>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "formats/StlReader.h"

namespace {

using Clock = std::chrono::steady_clock;

// Nine coordinates per triangle, spread like a part of a metre or so in
// millimetres.
std::vector<float> randomTriangles(size_t count) {
  std::mt19937 rng(12345u);
  std::uniform_real_distribution<float> coordinate(-500.0f, 500.0f);
  std::vector<float> coords(count * 9);
  for (float& c : coords) c = coordinate(rng);
  return coords;
}

void putU32(uint8_t* p, uint32_t value) {
  for (int k = 0; k < 4; ++k) p[k] = static_cast<uint8_t>(value >> (8 * k));
}

struct Normal {
  double x, y, z;
};

Normal facetNormal(const float* t) {
  const double ux = t[3] - t[0], uy = t[4] - t[1], uz = t[5] - t[2];
  const double vx = t[6] - t[0], vy = t[7] - t[1], vz = t[8] - t[2];
  Normal n{uy * vz - uz * vy, uz * vx - ux * vz, ux * vy - uy * vx};
  const double length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
  if (length > 0) n = {n.x / length, n.y / length, n.z / length};
  return n;
}

std::vector<uint8_t> binaryImage(const std::vector<float>& coords) {
  const size_t count = coords.size() / 9;
  std::vector<uint8_t> image(84 + 50 * count, 0);
  const char header[] = "korvane benchmark mesh";
  std::memcpy(image.data(), header, sizeof header - 1);
  putU32(image.data() + 80, static_cast<uint32_t>(count));
  for (size_t i = 0; i < count; ++i) {
    uint8_t* record = image.data() + 84 + 50 * i;
    const float* t = &coords[9 * i];
    const Normal n = facetNormal(t);
    const float normal[3] = {static_cast<float>(n.x), static_cast<float>(n.y),
                             static_cast<float>(n.z)};
    for (int k = 0; k < 3; ++k) putU32(record + 4 * k, std::bit_cast<uint32_t>(normal[k]));
    for (int k = 0; k < 9; ++k) putU32(record + 12 + 4 * k, std::bit_cast<uint32_t>(t[k]));
  }
  return image;
}

std::string asciiImage(const std::vector<float>& coords) {
  const size_t count = coords.size() / 9;
  std::string text;
  text.reserve(count * 260 + 64);
  text += "solid korvane_benchmark\n";
  char line[160];
  for (size_t i = 0; i < count; ++i) {
    const float* t = &coords[9 * i];
    const Normal n = facetNormal(t);
    std::snprintf(line, sizeof line, "  facet normal %e %e %e\n", n.x, n.y, n.z);
    text += line;
    text += "    outer loop\n";
    for (int k = 0; k < 3; ++k) {
      std::snprintf(line, sizeof line, "      vertex %e %e %e\n", static_cast<double>(t[3 * k]),
                    static_cast<double>(t[3 * k + 1]), static_cast<double>(t[3 * k + 2]));
      text += line;
    }
    text += "    endloop\n  endfacet\n";
  }
  text += "endsolid korvane_benchmark\n";
  return text;
}

// Binary vertices must be the written floats; text ones within what seven
// significant digits keep.
bool matches(const formats::StlVertices& vertices, const std::vector<float>& coords, bool exact) {
  if (vertices.size() * 3 != coords.size()) return false;
  for (size_t i = 0; i < vertices.size(); ++i) {
    const float got[3] = {vertices[i].x, vertices[i].y, vertices[i].z};
    for (int k = 0; k < 3; ++k) {
      const float want = coords[3 * i + k];
      const bool same = exact ? got[k] == want
                              : std::fabs(got[k] - want) <= 1e-5f * std::max(1.0f, std::fabs(want));
      if (!same) return false;
    }
  }
  return true;
}

// Best of three runs; false when any run's vertices are wrong.
bool measure(const char* name, std::span<const uint8_t> image, const std::vector<float>& coords,
             bool exact) {
  const size_t triangles = coords.size() / 9;
  double best = std::numeric_limits<double>::infinity();
  for (int run = 0; run < 3; ++run) {
    const auto start = Clock::now();
    const formats::StlVertices vertices = formats::parseStl(image);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (vertices.size() != triangles * 3) {
      std::fprintf(stderr, "parseStl %s: %zu vertices, expected %zu\n", name, vertices.size(),
                   triangles * 3);
      return false;
    }
    if (run == 0 && !matches(vertices, coords, exact)) {
      std::fprintf(stderr, "parseStl %s: vertices differ from the mesh written\n", name);
      return false;
    }
    best = std::min(best, seconds);
  }
  const double megabytes = static_cast<double>(image.size()) / 1e6;
  std::printf("parseStl %s: %zu triangles, %.1f MB, %.3f s, %.1f MB/s\n", name, triangles,
              megabytes, best, megabytes / std::max(best, 1e-9));
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  size_t triangles = 1000000;
  if (argc > 1) {
    char* end = nullptr;
    const unsigned long long parsed = std::strtoull(argv[1], &end, 10);
    if (end == argv[1] || *end != '\0' || parsed == 0 || parsed > 50000000ull) {
      std::fprintf(stderr, "usage: %s [triangles, 1 to 50000000]\n", argv[0]);
      return 2;
    }
    triangles = static_cast<size_t>(parsed);
  }
  const std::vector<float> coords = randomTriangles(triangles);
  bool ok = true;
  {
    const std::vector<uint8_t> image = binaryImage(coords);
    ok = measure("binary", image, coords, true) && ok;
  }
  {
    const std::string text = asciiImage(coords);
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const std::span<const uint8_t> image(bytes, text.size());
    ok = measure("ASCII", image, coords, false) && ok;
  }
  return ok ? 0 : 1;
}
