#pragma once
// Reading the extracted cube list: five words per mixed cube (twelve edge
// codes, owners and the inside mask, the cell).
#include <cstdint>
#include <vector>

namespace testsupport {

// Cube corners by number, and the edges in the record's byte order as
// (corner, axis): the edge runs from the corner one cell along the axis.
inline constexpr uint32_t kCubeCorner[8][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                                               {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
inline constexpr int kCubeEdge[12][2] = {{0, 0}, {0, 1}, {0, 2}, {1, 1}, {1, 2}, {2, 2},
                                         {3, 0}, {3, 2}, {4, 0}, {4, 1}, {5, 1}, {7, 0}};

// The corner at the far end of an edge.
inline int farCorner(int edge) {
  const int c = kCubeEdge[edge][0], axis = kCubeEdge[edge][1];
  uint32_t p[3] = {kCubeCorner[c][0], kCubeCorner[c][1], kCubeCorner[c][2]};
  p[axis] += 1;
  for (int k = 0; k < 8; ++k)
    if (kCubeCorner[k][0] == p[0] && kCubeCorner[k][1] == p[1] && kCubeCorner[k][2] == p[2]) return k;
  return -1;
}

// Cubes of two lists that would be drawn differently: another cell, other
// corners inside, other owners, or another code on an edge the surface
// crosses. Codes of edges the surface does not cross are never read.
inline size_t cubesDrawnDifferently(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
  if (a.size() != b.size()) return (a.size() > b.size() ? a.size() : b.size()) / 5;
  size_t differing = 0;
  for (size_t c = 0; c + 4 < a.size(); c += 5) {
    bool same = a[c + 3] == b[c + 3] && a[c + 4] == b[c + 4];
    const uint32_t inside = a[c + 3] >> 24;
    for (int e = 0; e < 12 && same; ++e) {
      const bool crossed = ((inside >> kCubeEdge[e][0]) & 1u) != ((inside >> farCorner(e)) & 1u);
      const uint32_t shift = 8 * (e % 4);
      same = !crossed || ((a[c + e / 4] >> shift) & 0xFFu) == ((b[c + e / 4] >> shift) & 0xFFu);
    }
    differing += !same;
  }
  return differing;
}

}  // namespace testsupport
