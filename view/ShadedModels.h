#pragma once
// Models drawn with the machine shading (the machine's parts, the host's
// fixtures and workpieces): faceted triangles with one packed normal per
// face, and the program state every such model shares in a frame.
#include <cstdint>
#include <span>
#include <vector>

#include <glm/vec3.hpp>

#include "gpu/GL.h"
#include "machine/MeshCache.h"
#include "view/FramePart.h"

namespace view {

struct FacetVertex {
  glm::vec3 position;
  uint32_t normal;  // packed as the tool normals are
};
static_assert(sizeof(FacetVertex) == 16);

std::vector<FacetVertex> facetedVertices(const machine::IndexedMesh& mesh);
// A triangle soup: x, y, z per vertex, three vertices per triangle (a
// trailing partial triangle is left out).
std::vector<FacetVertex> facetedVertices(std::span<const float> soup);

// Render thread: a vertex array of facet vertices at attributes 0 (position)
// and 1 (packed normal) in a new buffer.
void uploadFacets(const std::vector<FacetVertex>& vertices, GLuint& vertexArray, GLuint& buffer);

// Render thread: the machine program in use with the frame's camera, light
// and cutting plane, no tint; 0 when it cannot be built. Each model then
// sets "model" and "baseColor" (and "colorizeFrac" to tint it).
GLuint useShadedProgram(const SceneDraw& scene);

}  // namespace view
