#include "stock/CellBudget.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace stock {

namespace {

constexpr uint32_t kPrecisionTolerance = 2;

struct CoarseningLevel {
  double limit;
  double floor;
};

constexpr std::array<CoarseningLevel, 6> kLevels{{
    {5'000'000, 500'000},
    {25'000'000, 5'000'000},
    {75'000'000, 25'000'000},
    {150'000'000, 75'000'000},
    {200'000'000, 150'000'000},
    {250'000'000, 200'000'000},
}};
constexpr double kFinestBudget = 250'000'000;
constexpr uint32_t kFinestLevel = 7;

}  // namespace

double elongationFactor(const glm::dvec3& extents) {
  // Whole units, at least one each; in doubles, which hold any extent.
  double longest = 1, shortest = HUGE_VAL;
  for (int k = 0; k < 3; ++k) {
    const double e = std::max(1.0, std::ceil(extents[k]));
    longest = std::max(longest, e);
    shortest = std::min(shortest, e);
  }
  if (!std::isfinite(longest) || !std::isfinite(shortest)) return 0.5;
  const double ratio = std::floor(longest / shortest);
  return std::clamp(9.0 / ratio, 0.5, 1.0);
}

CellBudget qualityBudget(double quality, const glm::dvec3& extents) {
  if (!std::isfinite(quality)) quality = 0.5;
  quality = std::max(quality, 0.0);
  double cells;
  if (quality <= 0.75)
    cells = (quality / 0.75) * 7'400'000 + 600'000;
  else if (quality <= 0.9999999)
    cells = (quality - 0.75) * 4 * 92'000'000 + 8'000'000;
  else
    cells = 200'000'000;
  return {cells * elongationFactor(extents), 0};
}

CellBudget toleranceBudget(double tolerance, const glm::dvec3& extents) {
  // A tolerance of zero or less asks for the finest lattice there is.
  if (!(tolerance > 0)) return {kFinestBudget, kFinestLevel};
  double total = 1;
  for (int k = 0; k < 3; ++k) total *= std::ceil((extents[k] / tolerance) * 0.866);
  double coarsening = 1;
  for (uint32_t k = 1; k <= kLevels.size(); ++k) {
    coarsening *= 8;
    const double candidate = total / coarsening * (k + 1);
    const CoarseningLevel& level = kLevels[k - 1];
    if (candidate < level.limit) return {std::max(candidate, level.floor), k};
  }
  return {kFinestBudget, kFinestLevel};
}

CellBudget cellBudget(double quality, uint32_t precisionMode, const glm::dvec3& extents) {
  return precisionMode == kPrecisionTolerance ? toleranceBudget(quality, extents)
                                              : qualityBudget(quality, extents);
}

}  // namespace stock
