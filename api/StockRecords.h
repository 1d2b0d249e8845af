#pragma once
// The stock and geometry records at the export boundary: host records in
// host units become the view's definitions in millimetres, and definitions
// become records again for the getters, in the host's unit of the moment.
#include <string>
#include <vector>

#include "korvane/Korvane.h"
#include "stock/StockDefinition.h"
#include "view/HostAnswers.h"

namespace api {

stock::StockDefinition stockDefinitionOf(const SIM_StockRecord& record, double unitScale);
// The text pointers are left null.
SIM_StockRecord stockRecordOf(const stock::StockDefinition& definition, double unitScale);

// Keeps whole triangles only; std::length_error for a vertex count no
// memory holds.
stock::Geometry geometryOf(const SIM_GeometryRecord& record, double unitScale);
// The model path and vertex pointers are left null.
SIM_GeometryRecord geometryRecordOf(const stock::Geometry& geometry, double unitScale);

// Fills a getter's answer: records and, beside them, the texts and arrays
// they point into.
void answerStocks(view::StockAnswer& answer, const std::vector<stock::StockDefinition>& definitions,
                  double unitScale);
void answerGeometries(view::GeometryAnswer& answer, const std::vector<stock::Geometry>& geometries,
                      double unitScale);

}  // namespace api
