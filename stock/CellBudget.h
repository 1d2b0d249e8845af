#pragma once
// How many lattice cells a stock gets, from the quality the host chose.
#include <cstdint>

#include <glm/vec3.hpp>

namespace stock {

struct CellBudget {
  double cells = 0;
  // Coarsening level of the tolerance mode (1 ... 7); 0 in the normal modes.
  uint32_t level = 0;
};

// Normal mode: quality in 0 ... 1, scaled down for stocks more than nine
// times longer than thick. extents are the stock's box extents.
CellBudget qualityBudget(double quality, const glm::dvec3& extents);

// Tolerance mode: tolerance is the wanted cell length; the budget is the
// first coarsening level whose candidate stays below the level's limit.
CellBudget toleranceBudget(double tolerance, const glm::dvec3& extents);

// The budget for a stock record's precision mode (2 = tolerance).
CellBudget cellBudget(double quality, uint32_t precisionMode, const glm::dvec3& extents);

// clamp(9 / r, 0.5, 1) with r the integer ratio of the longest to the
// shortest extent, each rounded up to whole units.
double elongationFactor(const glm::dvec3& extents);

}  // namespace stock
