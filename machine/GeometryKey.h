#pragma once
// The 64-bit key a mesh's cached convex pieces are filed under: a hash of
// its vertex coordinates (zeros of either sign alike) and its indices.
#include <cstdint>
#include <span>

#include <glm/vec3.hpp>

namespace machine {

uint64_t geometryKey(std::span<const glm::vec3> vertices, std::span<const uint32_t> indices);

}  // namespace machine
