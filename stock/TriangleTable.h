#pragma once
// The marching-cubes triangle table, generated: for each of the 256 corner
// masks (bit i set = corner i inside), up to five triangles as edge numbers,
// terminated by -1. Corner i sits at offset (i & 1 ^ i >> 1 & 1, i >> 1 & 1,
// i >> 2) of the cube: 0 (0,0,0), 1 (1,0,0), 2 (1,1,0), 3 (0,1,0), 4-7 the
// same one layer up; edge e joins kEdgeCorners[e]. The surface of each case
// separates the inside corners: on a face whose two inside corners lie
// diagonally, each is cut off on its own. Every triangle (e0, e1, e2) turns
// counter-clockwise seen from outside.
#include <array>
#include <cstdint>

namespace stock {

inline constexpr std::array<std::array<int, 2>, 12> kEdgeCorners{{
    {0, 1}, {1, 2}, {3, 2}, {0, 3}, {4, 5}, {5, 6}, {7, 6}, {4, 7}, {0, 4}, {1, 5}, {2, 6}, {3, 7}}};

using TriangleTable = std::array<std::array<int32_t, 16>, 256>;

const TriangleTable& triangleTable();

// Triangles of a case.
int triangleCount(uint32_t mask);

}  // namespace stock
