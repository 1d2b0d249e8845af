#pragma once
// What every record-taking export checks before anything else reads the
// host's data: numbers that are finite and within the sizes the view can
// represent, arrays whose counts come with their pointers and fit the view's
// indices. Each check answers 0 or the SIM_STATUS_* code of the first fault;
// an export that gets a code returns it and leaves the view as it was.
#include <cstdint>

#include "korvane/Korvane.h"

namespace api {

// Limits beyond the record layouts themselves.
inline constexpr uint64_t kMostMoves = 0xFFFFFFFEu;     // move indices are 32 bits, one kept for "none"
inline constexpr uint64_t kMostListEntries = 1u << 28;  // any other list
inline constexpr uint64_t kMostProfilePoints = 1u << 20;
inline constexpr uint32_t kMostPolygonSides = 1024;
inline constexpr double kLargestScale = 1.0e6;

// lengthScale: millimetres per host unit, applied before lengths are compared
// with SIM_LARGEST_LENGTH_MM.
int32_t checkToolpath(const SIM_ToolpathRecord& record);
int32_t checkToolTable(const SIM_ToolTableRecord& table, double lengthScale);
int32_t checkStock(const SIM_StockRecord& record, double lengthScale);
int32_t checkGeometry(const SIM_GeometryRecord& record, double lengthScale);
int32_t checkGeometries(const SIM_GeometryList& list, double lengthScale);

}  // namespace api
