#pragma once
// An independent CPU rasterisation of a triangle mesh: which pixels of a
// width x height image it covers through a projection (a pixel counts when
// its centre lies in a triangle). Rendering tests compare silhouettes
// against it.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include <glm/mat3x3.hpp>
#include <glm/mat4x4.hpp>
#include <glm/vec2.hpp>

#include "stock/SurfaceExtraction.h"

namespace testsupport {

// toDisplay turns the mesh's world into the frame projView works in.
inline std::vector<bool> coveredPixels(const stock::SurfaceMesh& mesh, const glm::dmat4& projView,
                                       const glm::dmat3& toDisplay, int width, int height) {
  std::vector<glm::dvec2> screen;
  for (const glm::dvec3& v : mesh.vertices) {
    const glm::dvec4 clip = projView * glm::dvec4(toDisplay * v, 1.0);
    screen.push_back({(clip.x / clip.w + 1) / 2 * width, (clip.y / clip.w + 1) / 2 * height});
  }
  std::vector<bool> covered(size_t(width) * height, false);
  for (size_t t = 0; t + 2 < mesh.triangles.size(); t += 3) {
    const glm::dvec2 a = screen[mesh.triangles[t]], b = screen[mesh.triangles[t + 1]], c = screen[mesh.triangles[t + 2]];
    const double area = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
    if (area == 0) continue;
    const int x0 = std::max(0, int(std::floor(std::min({a.x, b.x, c.x}))));
    const int x1 = std::min(width - 1, int(std::ceil(std::max({a.x, b.x, c.x}))));
    const int y0 = std::max(0, int(std::floor(std::min({a.y, b.y, c.y}))));
    const int y1 = std::min(height - 1, int(std::ceil(std::max({a.y, b.y, c.y}))));
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x) {
        const glm::dvec2 p(x + 0.5, y + 0.5);
        auto side = [&](glm::dvec2 u, glm::dvec2 v) {
          return ((v.x - u.x) * (p.y - u.y) - (v.y - u.y) * (p.x - u.x)) / area;
        };
        if (side(a, b) >= 0 && side(b, c) >= 0 && side(c, a) >= 0) covered[size_t(y) * width + x] = true;
      }
  }
  return covered;
}

// How many of an RGBA picture's pixels (drawn where alpha is not 0) agree
// with the expected coverage, as a fraction; covered counts the expected.
inline double silhouetteAgreement(const std::vector<uint8_t>& rgba, const std::vector<bool>& expected, size_t& covered) {
  size_t agree = 0;
  covered = 0;
  for (size_t i = 0; i < expected.size(); ++i) {
    agree += (rgba[4 * i + 3] != 0) == expected[i];
    covered += expected[i];
  }
  return expected.empty() ? 0.0 : double(agree) / expected.size();
}

}  // namespace testsupport
