#pragma once
// The stock check's pre-filter shape of a non-cutting part: the convex hull
// of its profile in the (radius, height) half-plane with its feet on the
// axis, a convex solid of revolution that holds the whole part. Arcs count
// with the square around their circle; a hull of more segments than the
// pre-filter's block holds becomes the part's bounding cylinder.
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include <glm/vec2.hpp>

#include "common/ShaderContract.h"
#include "tools/CutRecords.h"

namespace tools {

// offset 0: u32 segment count; 8: start point; 16 + 16 s: end point of
// segment s, 24 + 16 s: its centre (straight: far below).
inline constexpr size_t kHullBlockBytes = 16 + 16 * GPU_COLLISION_HULL_MAX_SEGMENTS;
using HullBlock = std::array<uint8_t, kHullBlockBytes>;

struct PartHull {
  std::vector<glm::dvec2> points;  // from the lowest foot on the axis up the outside to the highest
  HullBlock block{};
  float lowest = 0, highest = 0, widest = 0;
};

// None for a block without segments.
std::optional<PartHull> partHull(const ProfileBlock& profile);

}  // namespace tools
