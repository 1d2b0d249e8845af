#include "api/SettingChecks.h"

#include <cmath>

#include <glm/mat3x3.hpp>
#include <glm/matrix.hpp>

#include "toolpath/ToolpathDisplaySettings.h"
#include "view/CompareSetting.h"
#include "view/CuttingPlaneSetting.h"

namespace api {

int32_t checkToolpathDisplay(const SIM_ToolpathDisplay& display) {
  return display.colourBy > static_cast<uint8_t>(toolpath::ColourBy::Tool) ? SIM_STATUS_OUT_OF_RANGE : 0;
}

int32_t checkCuttingPlane(const SIM_CuttingPlane& plane) {
  return view::CuttingPlaneSetting::valid(plane) ? 0 : SIM_STATUS_OUT_OF_RANGE;
}

int32_t checkStockRemoval(const SIM_StockRemovalSettings& settings) {
  return settings.stoppedSpindleCut > 2 || settings.followMode > 1 ? SIM_STATUS_OUT_OF_RANGE : 0;
}

int32_t checkStockCompare(const SIM_StockCompare& compare) {
  if (!view::CompareSetting::finite(compare)) return SIM_STATUS_NOT_FINITE;
  return compare.lower > compare.upper ? SIM_STATUS_OUT_OF_RANGE : 0;
}

int32_t checkCompareColours(const SIM_StockCompareColors& colours) {
  for (const auto& band : colours.colour)
    for (const float value : band) {
      if (!std::isfinite(value)) return SIM_STATUS_NOT_FINITE;
      if (value < 0 || value > 1) return SIM_STATUS_OUT_OF_RANGE;
    }
  return 0;
}

int32_t checkCollisionDetection(const SIM_CollisionDetectionSettings& settings) {
  if (!std::isfinite(settings.stepSize)) return SIM_STATUS_NOT_FINITE;
  return settings.stepSize > 0.0f ? 0 : SIM_STATUS_OUT_OF_RANGE;
}

int32_t checkAxisTransformation(const double rotation[9]) {
  glm::dmat3 m;
  for (int row = 0; row < 3; ++row)
    for (int column = 0; column < 3; ++column) {
      const double value = rotation[row * 3 + column];
      if (!std::isfinite(value)) return SIM_STATUS_NOT_FINITE;
      m[column][row] = value;
    }
  const glm::dmat3 product = glm::transpose(m) * m;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      if (std::abs(product[i][j] - (i == j ? 1.0 : 0.0)) > 1e-6) return SIM_STATUS_OUT_OF_RANGE;
  return glm::determinant(m) < 0.0 ? SIM_STATUS_OUT_OF_RANGE : 0;
}

int32_t checkGeometryPrecision(double millimetres) {
  if (!std::isfinite(millimetres)) return SIM_STATUS_NOT_FINITE;
  return millimetres >= kFinestPrecisionMm && millimetres <= SIM_LARGEST_LENGTH_MM ? 0 : SIM_STATUS_OUT_OF_RANGE;
}

}  // namespace api
