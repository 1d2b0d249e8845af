#pragma once
// Tool and holder model files. ".ToolData" files (binary, little-endian):
// a u32 vertex count N, N vertices of ten f32 (position, normal, colour,
// one scalar), a u32 triangle count T and T x 3 u32 vertex indices. Any
// other path is read as STL.
#include <cstdint>
#include <span>
#include <string>

#include <glm/vec3.hpp>

#include "tools/PackedMesh.h"

namespace tools {

// A ".ToolData" image: positions become scale * position + offset, and the
// triangles are expanded into packed vertices. A short image, or an index
// past the vertices, gives an empty mesh.
PackedMesh parseToolData(std::span<const uint8_t> bytes, float scale, const glm::vec3& offset);

// Reads a model file: ".ToolData" by an exact, case-sensitive comparison of
// the extension, STL otherwise (face normals, no colour). A file that cannot
// be read gives an empty mesh.
PackedMesh readModel(const std::string& path, float scale, const glm::vec3& offset);

bool isToolDataPath(const std::string& path);

}  // namespace tools
