#pragma once
// STL mesh import: binary and ASCII images become a flat triangle soup, three
// vertices per triangle in file order, nothing shared or welded. Normals and
// attribute words are dropped; callers recompute what they need from the
// positions.
//
// Nothing here throws. A failure gives an empty vertex list, and the detailed
// variants also say why; an ASCII image without a usable vertex is not an
// error, only an empty mesh.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace formats {

struct StlVertex {
  float x, y, z;
};
static_assert(sizeof(StlVertex) == 12, "vertices are copied straight out of binary records");

// Three per triangle, in file order.
using StlVertices = std::vector<StlVertex>;

struct StlResult {
  StlVertices vertices;
  std::string error;  // empty on success
};

// Parses a whole file image held in memory. The image need not be
// zero-terminated; nothing outside `bytes` is read.
StlResult parseStlDetailed(std::span<const uint8_t> bytes) noexcept;
StlVertices parseStl(std::span<const uint8_t> bytes) noexcept;

// Reads the file at `path` (UTF-8) in one piece and parses it. Anything but
// a regular file (a directory, a FIFO) counts as one that cannot be opened.
StlResult readStlDetailed(const std::string& path) noexcept;
StlVertices readStl(const std::string& path) noexcept;

// Axis-aligned bounds of a triangle list.
struct StlBox {
  float min[3];
  float max[3];
  uint32_t status;  // kStlBoxValid, or kStlBoxNoTriangles with all six values 0
};
inline constexpr uint32_t kStlBoxValid = 0;
inline constexpr uint32_t kStlBoxNoTriangles = 1;

// No usable triangles means: an empty list, a count that is not a multiple of
// three, or a coordinate that is NaN.
StlBox analyseStl(const StlVertices& vertices) noexcept;

}  // namespace formats
