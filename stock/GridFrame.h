#pragma once
// The coordinate frame of a stock lattice: node counts, padded counts, cell
// size and the maps between world and grid coordinates. Node (i, j, k) sits
// at grid coordinates (i, j, k); a cell spans one unit.
#include <cstdint>
#include <optional>

#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

#include "stock/CellBudget.h"

namespace stock {

struct StockBox {
  glm::dvec3 min{0.0};
  glm::dvec3 max{0.0};
  glm::dvec3 extents() const { return max - min; }
  glm::dvec3 centre() const { return (min + max) * 0.5; }
};

// Extents below this on any axis set up no lattice.
inline constexpr double kDegenerateExtent = 1e-9;
// Nor can it hold one beyond this (millimetres).
inline constexpr double kLargestExtent = 1e6;
// No cell is smaller than this.
inline constexpr double kMinimumCellSize = 0.002;
// Nodes along any axis: grid coordinates stay below 2^15, where a float
// still resolves a crossing to 1/128 cell. A longer stock gets coarser cells.
inline constexpr uint32_t kMostNodesPerAxis = 32768;
// The budget of the coarse second lattice every stock gets.
inline constexpr double kSecondFrameCells = 30'000'000;

struct GridFrame {
  glm::uvec3 nodes{0};   // G: nodes per axis, indices 0 ... G - 1
  glm::uvec3 padded{0};  // P: G rounded up to a multiple of 32
  float cellSize = 0;         // h, world units
  float inverseCellSize = 0;  // 1 / h
  glm::mat4 worldToGrid{1.0f};
  glm::mat4 gridToWorld{1.0f};
  // What the single-precision fields were made from.
  glm::dvec3 origin{0.0};
  double exactCellSize = 0;

  bool valid() const { return nodes.x > 0 && nodes.y > 0 && nodes.z > 0; }
  uint64_t nodeCount() const { return uint64_t{nodes.x} * nodes.y * nodes.z; }
  uint64_t nodeWordBytes() const { return 4 * nodeCount(); }
  uint64_t signWordCount() const;
  uint64_t signFieldBytes() const { return 4 * signWordCount(); }
  // Rays along x, then y, then z: one per node of the other two axes.
  uint64_t rayCount() const;

  glm::dmat4 exactWorldToGrid() const;
  glm::dvec3 toGrid(const glm::dvec3& world) const { return (world - origin) / exactCellSize; }
  glm::dvec3 toWorld(const glm::dvec3& grid) const { return origin + grid * exactCellSize; }

  // Equal node counts, cell size and matrix: setting such a frame changes nothing.
  bool sameAs(const GridFrame& other) const;
};

// The lattice for a box and a cell budget; none for a degenerate box.
std::optional<GridFrame> frameFromBudget(const StockBox& box, double cells);

// The lattice whose node words fit in maxNodeWordBytes and whose sign field
// fits in maxSignFieldBytes, with the largest budget up to cells that
// fits; none when even the coarsest lattice does not fit.
std::optional<GridFrame> fittingFrame(const StockBox& box, double cells, uint64_t maxNodeWordBytes,
                                      uint64_t maxSignFieldBytes);

// Everything the stock's lattice is set up from, fixed when the host defines
// the stock: its box, the budget from its quality, the frame, the frame of
// the coarse second lattice and the tolerance the enhancement works to.
struct GridPlan {
  StockBox box;
  CellBudget budget;
  GridFrame frame;
  GridFrame secondFrame;
  double tolerance = 0;  // min(2h, 0.02)
};

std::optional<GridPlan> planGrid(const StockBox& box, double quality, uint32_t precisionMode);

}  // namespace stock
