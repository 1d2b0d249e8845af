#include "api/RecordChecks.h"

#include <cmath>
#include <initializer_list>

namespace api {

namespace {

constexpr int32_t kFine = 0;

// The first fault of a run of checks.
int32_t first(std::initializer_list<int32_t> statuses) {
  for (int32_t status : statuses)
    if (status != kFine) return status;
  return kFine;
}

int32_t number(double value, double largest) {
  if (!std::isfinite(value)) return SIM_STATUS_NOT_FINITE;
  return std::abs(value) <= largest ? kFine : SIM_STATUS_OUT_OF_RANGE;
}

template <typename T>
int32_t numbers(const T* values, uint64_t count, double largest) {
  for (uint64_t i = 0; i < count; ++i)
    if (int32_t status = number(static_cast<double>(values[i]), largest)) return status;
  return kFine;
}

// Lengths in millimetres once scaled.
template <typename T>
int32_t lengths(const T* values, uint64_t count, double scale) {
  return numbers(values, count, SIM_LARGEST_LENGTH_MM / scale);
}

// A list: its count comes with its array, and count elements fit memory
// and the view's indices.
int32_t list(const void* array, uint64_t count, uint64_t most) {
  if (count == 0) return kFine;
  return array && count <= most ? kFine : SIM_STATUS_BAD_ARRAY;
}

// An optional per-move array of running totals: finite, from 0 up, never falling.
int32_t runningTotals(const double* values, uint64_t count) {
  if (!values) return kFine;
  double before = 0;
  for (uint64_t i = 0; i < count; ++i) {
    if (!std::isfinite(values[i])) return SIM_STATUS_NOT_FINITE;
    if (values[i] < before) return SIM_STATUS_BAD_ARRAY;
    before = values[i];
  }
  return kFine;
}

int32_t move(const SIM_ToolpathMove& m) {
  return first({lengths(m.end, 3, 1.0), lengths(m.centre, 3, 1.0), numbers(m.normal, 3, SIM_LARGEST_LENGTH_MM),
                numbers(m.axes, 3, SIM_LARGEST_LENGTH_MM)});
}

int32_t perMove(const SIM_ToolpathRecord& r) {
  const uint64_t n = r.moveCount;
  for (uint64_t i = 0; i < n; ++i)
    if (int32_t status = move(r.moves[i])) return status;
  if (r.feeds) {
    if (int32_t status = numbers(r.feeds, n, 1e12)) return status;
    for (uint64_t i = 0; i < n; ++i)
      if (r.feeds[i] < 0) return SIM_STATUS_OUT_OF_RANGE;
  }
  if (r.spindleSpeeds)
    if (int32_t status = numbers(r.spindleSpeeds, n, 1e12)) return status;
  if (r.extraAxes)
    if (int32_t status = numbers(r.extraAxes, 3 * n, SIM_LARGEST_LENGTH_MM)) return status;
  return first({runningTotals(r.cumulativeLengths, n), runningTotals(r.cumulativeTimes, n)});
}

int32_t toolpathLists(const SIM_ToolpathRecord& r) {
  if (r.eventCount < 0) return SIM_STATUS_BAD_ARRAY;
  return first({list(r.toolChanges, r.toolChangeCount, kMostListEntries),
                list(r.operations, r.operationCount, kMostListEntries),
                list(r.infoRecords, r.infoRecordCount, kMostListEntries),
                list(r.orientations, r.orientationCount, kMostListEntries),
                list(r.textRecords1, r.textRecordCount1, kMostListEntries),
                list(r.textRecords2, r.textRecordCount2, kMostListEntries),
                list(r.textRecords3, r.textRecordCount3, kMostListEntries),
                list(r.textRecords4, r.textRecordCount4, kMostListEntries),
                list(r.events, static_cast<uint64_t>(r.eventCount), kMostListEntries),
                list(r.values, r.valueCount, kMostListEntries),
                list(r.compensations, r.compensationCount, kMostListEntries),
                list(r.subprograms, r.subprogramCount, kMostListEntries),
                list(r.valueChanges, r.valueChangeCount, kMostListEntries)});
}

int32_t toolpathListValues(const SIM_ToolpathRecord& r) {
  for (uint64_t i = 0; i < r.orientationCount; ++i)
    if (int32_t status = numbers(r.orientations[i].rotation, 9, SIM_LARGEST_LENGTH_MM)) return status;
  for (uint64_t i = 0; i < r.compensationCount; ++i)
    if (int32_t status = lengths(r.compensations[i].offset, 3, 1.0)) return status;
  for (uint64_t i = 0; i < r.valueChangeCount; ++i)
    if (!std::isfinite(r.valueChanges[i].value)) return SIM_STATUS_NOT_FINITE;
  for (uint32_t i = 0; i < r.subprogramCount; ++i) {
    const SIM_SubprogramLines& lines = r.subprograms[i];
    if (lines.endLine < lines.firstLine) return SIM_STATUS_BAD_ARRAY;
    if (int32_t status = list(lines.localLines, uint64_t{lines.endLine} - lines.firstLine, kMostListEntries))
      return status;
  }
  return kFine;
}

int32_t profilePoints(const SIM_ToolPart& part, double scale) {
  if (int32_t status = list(part.points, part.pointCount, kMostProfilePoints)) return status;
  for (uint64_t i = 0; i < part.pointCount; ++i) {
    const SIM_ProfilePoint& p = part.points[i];
    const float values[4] = {p.x, p.y, p.centreX, p.centreY};
    if (int32_t status = lengths(values, 4, scale)) return status;
  }
  return kFine;
}

int32_t toolPart(const SIM_ToolPart& part, double scale) {
  const double angles[2] = {part.sweep, static_cast<double>(part.tolerance)};
  if (int32_t status = first({numbers(part.axis, 3, SIM_LARGEST_LENGTH_MM), lengths(part.origin, 3, scale),
                              lengths(&part.depth, 1, scale), numbers(angles, 2, SIM_LARGEST_LENGTH_MM)}))
    return status;
  if (part.tolerance < 0 || part.polygonSides > kMostPolygonSides) return SIM_STATUS_OUT_OF_RANGE;
  return profilePoints(part, scale);
}

int32_t tool(const SIM_ToolRecord& t, double scale) {
  if (int32_t status = list(t.parts, t.partCount, kMostListEntries)) return status;
  if (int32_t status = first({lengths(t.mountPoint, 3, scale), numbers(t.colour, 3, SIM_LARGEST_LENGTH_MM)}))
    return status;
  for (uint32_t i = 0; i < t.partCount; ++i)
    if (int32_t status = toolPart(t.parts[i], scale)) return status;
  return kFine;
}

int32_t holder(const SIM_HolderRecord& h, double scale) {
  if (int32_t status = first({lengths(h.origin, 3, scale), numbers(h.rotation, 9, SIM_LARGEST_LENGTH_MM),
                              numbers(&h.scale, 1, kLargestScale)}))
    return status;
  return h.scale < 0 ? SIM_STATUS_OUT_OF_RANGE : kFine;
}

int32_t stockShape(const SIM_StockRecord& r, double scale) {
  if (r.kind == SIM_STOCK_BOX) {
    for (int k = 0; k < 3; ++k)
      if (!(r.boxMax[k] > r.boxMin[k])) return SIM_STATUS_BAD_STOCK;
    // The extent itself must be a length too.
    for (int k = 0; k < 3; ++k)
      if ((r.boxMax[k] - r.boxMin[k]) * scale > SIM_LARGEST_LENGTH_MM) return SIM_STATUS_OUT_OF_RANGE;
  } else if (r.kind == SIM_STOCK_CYLINDER) {
    if (r.cylinderAxis > 2) return SIM_STATUS_OUT_OF_RANGE;
    if (!(r.outerDiameter > 0) || r.cylinderLength == 0 || r.boreDiameter < 0) return SIM_STATUS_BAD_STOCK;
  } else if (r.kind != SIM_STOCK_MESH) {
    return SIM_STATUS_OUT_OF_RANGE;
  }
  return kFine;
}

}  // namespace

int32_t checkToolpath(const SIM_ToolpathRecord& r) {
  if (r.moveCount > kMostMoves || (r.moveCount > 0 && !r.moves)) return SIM_STATUS_BAD_ARRAY;
  // One after the other: the values are read only once the arrays are known to be there.
  if (int32_t status = toolpathLists(r)) return status;
  if (int32_t status = perMove(r)) return status;
  return toolpathListValues(r);
}

int32_t checkToolTable(const SIM_ToolTableRecord& table, double scale) {
  if (table.holderCount < 0) return SIM_STATUS_BAD_ARRAY;
  if (int32_t status = first({list(table.tools, table.toolCount, kMostListEntries),
                              list(table.holders, static_cast<uint64_t>(table.holderCount), kMostListEntries)}))
    return status;
  for (uint64_t i = 0; i < table.toolCount; ++i)
    if (int32_t status = tool(table.tools[i], scale)) return status;
  for (int32_t i = 0; i < table.holderCount; ++i)
    if (int32_t status = holder(table.holders[i], scale)) return status;
  return kFine;
}

int32_t checkStock(const SIM_StockRecord& r, double scale) {
  const double lengthValues[4] = {r.cylinderLength, r.outerDiameter, r.boreDiameter, 0.0};
  double translation[3], rotation[9];
  for (int row = 0; row < 3; ++row) {
    translation[row] = r.placement[4 * row + 3];
    for (int column = 0; column < 3; ++column) rotation[3 * row + column] = r.placement[4 * row + column];
  }
  if (int32_t status = first({lengths(r.boxMin, 3, scale), lengths(r.boxMax, 3, scale),
                              lengths(r.cylinderBase, 3, scale), lengths(lengthValues, 4, scale),
                              lengths(translation, 3, scale), numbers(rotation, 9, SIM_LARGEST_LENGTH_MM),
                              numbers(r.colour, 3, SIM_LARGEST_LENGTH_MM)}))
    return status;
  // The quality is a fraction, or a cell length in tolerance mode.
  const double qualityLimit =
      r.precision == SIM_STOCK_PRECISION_TOLERANCE ? SIM_LARGEST_LENGTH_MM / scale : SIM_LARGEST_LENGTH_MM;
  if (int32_t status = number(r.quality, qualityLimit)) return status;
  return stockShape(r, scale);
}

int32_t checkGeometry(const SIM_GeometryRecord& r, double scale) {
  if (int32_t status = list(r.vertices, r.vertexCount, kMostListEntries * 3)) return status;
  if (int32_t status = first({lengths(r.origin, 3, scale), numbers(r.rotation, 9, SIM_LARGEST_LENGTH_MM),
                              numbers(r.colour, 3, SIM_LARGEST_LENGTH_MM), numbers(&r.scale, 1, kLargestScale)}))
    return status;
  if (r.scale < 0) return SIM_STATUS_OUT_OF_RANGE;
  // The mesh is scaled before it is placed.
  const double meshScale = scale * (r.scale > 0 ? r.scale : 1.0);
  // Only whole triangles are read, as the copy reads them.
  const uint64_t wholeTriangleVertices = r.vertexCount - r.vertexCount % 3;
  return r.vertices ? lengths(r.vertices, 3 * wholeTriangleVertices, meshScale) : kFine;
}

int32_t checkGeometries(const SIM_GeometryList& list, double scale) {
  if (list.count > 0 && !list.geometries) return SIM_STATUS_BAD_ARRAY;
  if (list.count > kMostListEntries) return SIM_STATUS_BAD_ARRAY;
  for (uint64_t i = 0; i < list.count; ++i)
    if (int32_t status = checkGeometry(list.geometries[i], scale)) return status;
  return kFine;
}

}  // namespace api
