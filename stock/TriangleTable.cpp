#include "stock/TriangleTable.h"

#include <algorithm>
#include <map>
#include <vector>

#include <glm/geometric.hpp>
#include <glm/vec3.hpp>

namespace stock {

namespace {

glm::dvec3 cornerAt(int corner) {
  const int x = (corner & 1) ^ ((corner >> 1) & 1);
  return {double(x), double((corner >> 1) & 1), double(corner >> 2)};
}

int edgeBetween(int a, int b) {
  for (int e = 0; e < 12; ++e)
    if ((kEdgeCorners[e][0] == a && kEdgeCorners[e][1] == b) || (kEdgeCorners[e][0] == b && kEdgeCorners[e][1] == a))
      return e;
  return -1;
}

// The cube's faces as corner cycles.
constexpr int kFaces[6][4] = {{0, 1, 2, 3}, {4, 5, 6, 7}, {0, 1, 5, 4}, {3, 2, 6, 7}, {0, 3, 7, 4}, {1, 2, 6, 5}};

// Segments of the surface on the cube's faces, as pairs of crossed edges.
std::vector<std::pair<int, int>> faceSegments(uint32_t mask) {
  std::vector<std::pair<int, int>> segments;
  for (const auto& face : kFaces) {
    bool inside[4];
    int crossed[4];  // crossed[k]: the edge between face corners k and k + 1, or -1
    int crossings = 0;
    for (int k = 0; k < 4; ++k) inside[k] = (mask >> face[k]) & 1u;
    for (int k = 0; k < 4; ++k) {
      crossed[k] = inside[k] != inside[(k + 1) % 4] ? edgeBetween(face[k], face[(k + 1) % 4]) : -1;
      crossings += crossed[k] >= 0;
    }
    if (crossings == 2) {
      int pair[2], n = 0;
      for (int k = 0; k < 4; ++k)
        if (crossed[k] >= 0) pair[n++] = crossed[k];
      segments.push_back({pair[0], pair[1]});
    } else if (crossings == 4) {
      // Two inside corners on a diagonal: each is cut off on its own.
      for (int k = 0; k < 4; ++k)
        if (inside[k]) segments.push_back({crossed[(k + 3) % 4], crossed[k]});
    }
  }
  return segments;
}

// The closed loops the segments form, each a cycle of edges.
std::vector<std::vector<int>> loopsOf(const std::vector<std::pair<int, int>>& segments) {
  std::map<int, std::vector<int>> next;
  for (const auto& [a, b] : segments) {
    next[a].push_back(b);
    next[b].push_back(a);
  }
  std::vector<std::vector<int>> loops;
  std::vector<bool> used(12, false);
  for (const auto& [start, unused] : next) {
    if (used[start]) continue;
    std::vector<int> loop{start};
    used[start] = true;
    int previous = -1, current = start;
    while (true) {
      const std::vector<int>& around = next[current];
      const int step = around[0] != previous ? around[0] : around[1];
      if (step == start || used[step]) break;
      loop.push_back(step);
      used[step] = true;
      previous = current;
      current = step;
    }
    loops.push_back(loop);
  }
  return loops;
}

// Turns a loop counter-clockwise seen from outside: its normal runs from the
// inside corners of its edges to their outside corners.
void orient(std::vector<int>& loop, uint32_t mask) {
  glm::dvec3 normal(0.0), outward(0.0);
  std::vector<glm::dvec3> points;
  for (int e : loop) {
    const glm::dvec3 a = cornerAt(kEdgeCorners[e][0]), b = cornerAt(kEdgeCorners[e][1]);
    points.push_back((a + b) * 0.5);
    outward += ((mask >> kEdgeCorners[e][0]) & 1u) ? b - a : a - b;
  }
  for (size_t i = 0; i < points.size(); ++i) normal += glm::cross(points[i], points[(i + 1) % points.size()]);
  if (glm::dot(normal, outward) < 0) std::reverse(loop.begin(), loop.end());
}

TriangleTable build() {
  TriangleTable table;
  for (uint32_t mask = 0; mask < 256; ++mask) {
    table[mask].fill(-1);
    int at = 0;
    for (std::vector<int>& loop : loopsOf(faceSegments(mask))) {
      orient(loop, mask);
      for (size_t i = 1; i + 1 < loop.size(); ++i) {
        table[mask][at++] = loop[0];
        table[mask][at++] = loop[i];
        table[mask][at++] = loop[i + 1];
      }
    }
  }
  return table;
}

}  // namespace

const TriangleTable& triangleTable() {
  static const TriangleTable table = build();
  return table;
}

int triangleCount(uint32_t mask) {
  const auto& row = triangleTable()[mask & 255u];
  int n = 0;
  while (n < 15 && row[n] >= 0) ++n;
  return n / 3;
}

}  // namespace stock
