#pragma once
// The 16-byte record the projection stages keep per vertex (written by the
// shaders, laid out in Shaders/include/ProjectionRecord.glsl) and the
// competing distance beside it, read on the CPU for checks and export.
#include <array>
#include <cstdint>

#include <glm/vec3.hpp>

namespace enhance {

using ProjectionWords = std::array<uint32_t, 4>;

inline constexpr int32_t kInitialStockSource = -1;

struct Projection {
  glm::dvec3 displacement{0.0};  // from the vertex to its target, mm
  glm::dvec3 normal{0.0};        // outward at the target
  int32_t source = kInitialStockSource;
};

// Displacements are kept to 1/100,000 mm within +-5.24288 mm; normals to
// 1/2047.5 per component.
ProjectionWords encodeProjection(const Projection& projection);
Projection decodeProjection(const ProjectionWords& words);

// The competing value of a signed distance (negative on the material side
// of its surface): -d * 10,000,000 with d clamped to +-214.
int32_t encodeDistance(double distance);
double decodeDistance(int32_t encoded);

}  // namespace enhance
