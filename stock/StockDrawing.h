#pragma once
// Draws a stock's cube list: the marching-cubes program turns each record
// into its triangles on the GPU, lit, in the owners' colours, with the
// cutting plane. Programs, the triangle-table texture and the vertex array
// are made once, on the render thread, and kept.
#include <array>
#include <cstdint>
#include <optional>

#include <glm/vec3.hpp>
#include <glm/vec4.hpp>

#include "camera/Camera.h"
#include "gpu/GL.h"
#include "stock/GridFrame.h"
#include "stock/SurfaceExtraction.h"

namespace stock {

struct CuttingPlane {
  bool enabled = false;
  glm::vec3 direction{1.0f, 0.0f, 0.0f};  // the side it points to is cut away
  glm::vec3 origin{0.0f};
};

// RGBA per owner: 0 never cut (colour table distinct), 1 rapid moves, 2
// never cut, 3 ... 255 the tools' colour indices.
using OwnerColours = std::array<uint32_t, 256>;
OwnerColours defaultOwnerColours();
inline constexpr uint32_t packRgba(uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255) {
  return uint32_t{r} | uint32_t{g} << 8 | uint32_t{b} << 16 | uint32_t{a} << 24;
}

struct StockLook {
  OwnerColours colours = defaultOwnerColours();
  glm::vec3 lightDirection{0.3f, 0.8f, 0.5f};
  CuttingPlane cuttingPlane;
  std::optional<glm::vec4> uniformColour;
};

class StockDrawing {
 public:
  StockDrawing();
  ~StockDrawing();
  StockDrawing(const StockDrawing&) = delete;
  StockDrawing& operator=(const StockDrawing&) = delete;

  // Render thread: draws the cube list of the last extraction. The grid
  // frame places it; the camera projects it (world = display frame).
  void drawStockCubes(const SurfaceExtraction& surface, const GridFrame& frame, camera::Camera& camera,
                      const glm::mat4& worldToDisplay, const StockLook& look);

 private:
  GLuint program_ = 0;
  GLuint triTable_ = 0;
  GLuint vertexArray_ = 0;
};

}  // namespace stock
