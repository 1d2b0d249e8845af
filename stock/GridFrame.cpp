#include "stock/GridFrame.h"

#include <algorithm>
#include <cmath>

#include <glm/gtc/matrix_transform.hpp>

namespace stock {

namespace {

uint32_t paddedTo32(uint32_t n) { return (n + 31u) / 32u * 32u; }

// The exponent is written out: the truncation below depends on its exact value.
constexpr double kCubeRootExponent = 0.3333333333333333;

// Cells along z for a budget; the other axes follow from the cell size.
GridFrame frameForCellSize(const StockBox& box, double h, double zCells) {
  const glm::dvec3 extents = box.extents();
  const glm::dvec3 cells(std::ceil(extents.x / h) + 2, std::ceil(extents.y / h) + 2, zCells + 2);
  GridFrame frame;
  frame.exactCellSize = h;
  frame.origin = box.centre() - h * cells / 2.0;
  frame.nodes = glm::uvec3(cells) + 1u;
  frame.padded = glm::uvec3(paddedTo32(frame.nodes.x), paddedTo32(frame.nodes.y), paddedTo32(frame.nodes.z));
  frame.cellSize = static_cast<float>(h);
  frame.inverseCellSize = static_cast<float>(1.0 / h);
  frame.worldToGrid = glm::mat4(frame.exactWorldToGrid());
  frame.gridToWorld = glm::mat4(glm::translate(glm::dmat4(1.0), frame.origin) * glm::scale(glm::dmat4(1.0), glm::dvec3(h)));
  return frame;
}

// The cell size at which a box needs about `cells` cells when every axis
// has at least one: found by bisection, as axes thinner than a cell stop
// sharing the budget.
double thinStockCellSize(const glm::dvec3& e, double cells) {
  auto cellsAt = [&](double h) { return std::max(1.0, e.x / h) * std::max(1.0, e.y / h) * std::max(1.0, e.z / h); };
  double fine = std::cbrt(e.x * e.y * e.z / cells), coarse = std::max({e.x, e.y, e.z});
  for (int i = 0; i < 100 && coarse - fine > 1e-12 * coarse; ++i) {
    const double middle = (fine + coarse) / 2;
    (cellsAt(middle) > cells ? fine : coarse) = middle;
  }
  return coarse;
}

GridFrame frameForBudget(const StockBox& box, double cells) {
  const glm::dvec3 e = box.extents();
  const double zCells = std::floor(std::pow(cells / (e.x * e.y * e.z), kCubeRootExponent) * e.z);
  // A stock thinner than one cell of its budget on any axis would otherwise
  // get far more cells than the budget.
  if (zCells < 1 || e.x < e.z / zCells || e.y < e.z / zCells) {
    const double h = thinStockCellSize(e, cells);
    return frameForCellSize(box, h, std::ceil(e.z / h));
  }
  return frameForCellSize(box, e.z / zCells, zCells);
}

// The frame for a budget, coarser where an axis would get too many nodes.
GridFrame frameWithinNodeLimit(const StockBox& box, double cells) {
  GridFrame frame = frameForBudget(box, cells);
  const glm::dvec3 e = box.extents();
  // Three nodes beyond the cells of the extent, one more for rounding.
  const double coarsest = std::max({e.x, e.y, e.z}) / (kMostNodesPerAxis - 4);
  if (frame.exactCellSize < coarsest) frame = frameForCellSize(box, coarsest, std::ceil(e.z / coarsest));
  return frame;
}

// Cells of about 0.0023 units: 0.002 is the smallest cell size.
double smallestCellBudget(const glm::dvec3& e) {
  double cells = 1;
  for (int k = 0; k < 3; ++k) cells *= std::ceil((e[k] / kMinimumCellSize) * 0.866);
  return cells;
}

bool degenerate(const StockBox& box) {
  const glm::dvec3 e = box.extents();
  for (int k = 0; k < 3; ++k)
    if (!(e[k] >= kDegenerateExtent) || !(e[k] <= kLargestExtent) || !std::isfinite(box.min[k])) return true;
  return false;
}

}  // namespace

uint64_t GridFrame::signWordCount() const {
  const uint64_t x = uint64_t{nodes.y} * nodes.z * (padded.x / 32);
  const uint64_t y = uint64_t{nodes.x} * nodes.z * (padded.y / 32);
  const uint64_t z = uint64_t{nodes.x} * nodes.y * (padded.z / 32);
  return x + y + z;
}

uint64_t GridFrame::rayCount() const {
  return uint64_t{nodes.y} * nodes.z + uint64_t{nodes.x} * nodes.z + uint64_t{nodes.x} * nodes.y;
}

glm::dmat4 GridFrame::exactWorldToGrid() const {
  return glm::translate(glm::scale(glm::dmat4(1.0), glm::dvec3(1.0 / exactCellSize)), -origin);
}

bool GridFrame::sameAs(const GridFrame& other) const {
  return nodes == other.nodes && cellSize == other.cellSize && worldToGrid == other.worldToGrid;
}

std::optional<GridFrame> frameFromBudget(const StockBox& box, double cells) {
  if (degenerate(box) || !(cells >= 1)) return std::nullopt;
  GridFrame frame = frameWithinNodeLimit(box, cells);
  if (frame.exactCellSize < kMinimumCellSize) frame = frameWithinNodeLimit(box, smallestCellBudget(box.extents()));
  return frame;
}

std::optional<GridFrame> fittingFrame(const StockBox& box, double cells, uint64_t maxNodeWordBytes,
                                      uint64_t maxSignFieldBytes) {
  auto fits = [&](const GridFrame& f) {
    return f.nodeWordBytes() <= maxNodeWordBytes && f.signFieldBytes() <= maxSignFieldBytes;
  };
  std::optional<GridFrame> frame = frameFromBudget(box, cells);
  if (!frame || fits(*frame)) return frame;
  // Node counts grow with the budget, so the largest budget that fits is
  // found by bisection.
  double low = 1, high = std::floor(cells);
  std::optional<GridFrame> best;
  if (auto coarsest = frameFromBudget(box, low); coarsest && fits(*coarsest)) best = coarsest;
  if (!best) return std::nullopt;
  while (high - low > 1) {
    const double middle = std::floor((low + high) / 2);
    std::optional<GridFrame> candidate = frameFromBudget(box, middle);
    if (candidate && fits(*candidate)) {
      low = middle;
      best = candidate;
    } else {
      high = middle;
    }
  }
  return best;
}

std::optional<GridPlan> planGrid(const StockBox& box, double quality, uint32_t precisionMode) {
  if (degenerate(box)) return std::nullopt;
  GridPlan plan;
  plan.box = box;
  plan.budget = cellBudget(quality, precisionMode, box.extents());
  std::optional<GridFrame> frame = frameFromBudget(box, plan.budget.cells);
  std::optional<GridFrame> second = frameFromBudget(box, kSecondFrameCells);
  if (!frame || !second) return std::nullopt;
  plan.frame = *frame;
  plan.secondFrame = *second;
  plan.tolerance = std::min(2 * frame->exactCellSize, 0.02);
  return plan;
}

}  // namespace stock
