#pragma once
// Draws a stock's cube list: the marching-cubes program turns each record
// into its triangles on the GPU, lit, in the owners' colours, with the
// cutting plane. Programs, the triangle-table texture and the vertex array
// are made once, on the render thread, and kept.
#include <array>
#include <atomic>
#include <cstdint>
#include <optional>

#include <glm/vec3.hpp>
#include <glm/vector_relational.hpp>
#include <glm/vec4.hpp>

#include "camera/Camera.h"
#include "stock/CuttingPlane.h"
#include "gpu/GL.h"
#include "stock/GridFrame.h"
#include "stock/SolidMesh.h"
#include "stock/SurfaceExtraction.h"

namespace stock {

// RGBA per owner: 0 never cut (colour table distinct), 1 rapid moves, 2
// never cut, 3 ... 255 the tools' colour indices.
using OwnerColours = std::array<uint32_t, 256>;
OwnerColours defaultOwnerColours();
inline constexpr uint32_t packRgba(uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255) {
  return uint32_t{r} | uint32_t{g} << 8 | uint32_t{b} << 16 | uint32_t{a} << 24;
}

// The colours of compare mode (solid program): below, a little below, within,
// a little above and above the tolerance band about the offset.
struct CompareLook {
  bool enabled = false;
  std::array<glm::vec3, 5> colours{};
  glm::bvec3 visible{true, true, true};
  bool stepped = false;
  float tolerance = 0.1f, offset = 0.0f;
};

struct StockLook {
  OwnerColours colours = defaultOwnerColours();
  glm::vec4 lightColour{1.0f};
  bool vertexNormals = false;
  CompareLook compare;
  glm::vec3 lightDirection{0.3f, 0.8f, 0.5f};
  CuttingPlane cuttingPlane;
  std::optional<glm::vec4> uniformColour;
  // Triangles seen from behind are not drawn (the surface is closed and
  // turns counter-clockwise seen from outside); never while a cutting plane
  // opens the inside to view.
  bool cullBackFaces = true;
};

class StockDrawing {
 public:
  StockDrawing();
  ~StockDrawing();
  StockDrawing(const StockDrawing&) = delete;
  StockDrawing& operator=(const StockDrawing&) = delete;

  // Render thread: draws the cube list of the last extraction. The grid
  // frame places it; the camera projects it (world = display frame). Large
  // lists go out in parts; a set stop flag leaves the rest undrawn.
  void drawStockCubes(const SurfaceExtraction& surface, const GridFrame& frame, const camera::Camera::DrawState& camera,
                      const glm::mat4& worldToDisplay, const StockLook& look,
                      const std::atomic<bool>* stop = nullptr);

  // Render thread: draws a stock mesh with the solid program; model places
  // the mesh's world in the camera's frame.
  void drawStockMesh(const SolidMesh& mesh, const glm::mat4& model, const camera::Camera::DrawState& camera, const StockLook& look);

 private:
  void setLook(GLuint program, const camera::Camera::DrawState& camera, const StockLook& look);

  GLuint program_ = 0, solidProgram_ = 0;
  GLuint triTable_ = 0;
  GLuint vertexArray_ = 0;
};

}  // namespace stock
