#pragma once
// The checks the settings setters make before they change anything, kept
// apart so that a simulation file's settings are checked the same way
// before any of them is applied. Each answers 0 or a SIM_STATUS_* code.
#include <cstdint>

#include "korvane/Korvane.h"

namespace api {

inline constexpr double kFinestPrecisionMm = 1e-4;

int32_t checkToolpathDisplay(const SIM_ToolpathDisplay& display);
int32_t checkCuttingPlane(const SIM_CuttingPlane& plane);
int32_t checkStockRemoval(const SIM_StockRemovalSettings& settings);
int32_t checkStockCompare(const SIM_StockCompare& compare);
int32_t checkCompareColours(const SIM_StockCompareColors& colours);
int32_t checkCollisionDetection(const SIM_CollisionDetectionSettings& settings);
// Nine values row by row: a rotation (orthonormal, no mirror).
int32_t checkAxisTransformation(const double rotation[9]);
int32_t checkGeometryPrecision(double millimetres);

}  // namespace api
