#include "api/StockRecords.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string_view>

#include "common/Fnv1a.h"

namespace api {

namespace {

std::string textOf(const char* text) { return text ? std::string(text) : std::string(); }

glm::dvec3 vec(const double (&v)[3]) { return {v[0], v[1], v[2]}; }

void put(double (&out)[3], const glm::dvec3& v) {
  for (int k = 0; k < 3; ++k) out[k] = v[k];
}

}  // namespace

stock::StockDefinition stockDefinitionOf(const SIM_StockRecord& r, double unitScale) {
  stock::StockDefinition d;
  d.identifier = r.identifier;
  d.kind = static_cast<stock::StockKind>(r.kind);
  d.boxMin = vec(r.boxMin) * unitScale;
  d.boxMax = vec(r.boxMax) * unitScale;
  d.cylinderBase = vec(r.cylinderBase) * unitScale;
  d.cylinderAxis = r.cylinderAxis;
  d.cylinderLength = r.cylinderLength * unitScale;
  d.outerDiameter = r.outerDiameter * unitScale;
  d.boreDiameter = r.boreDiameter * unitScale;
  std::copy(std::begin(r.placement), std::end(r.placement), d.placement.begin());
  for (int row = 0; row < 3; ++row) d.placement[4 * row + 3] *= unitScale;  // the translation column
  d.meshGeometry = textOf(r.meshGeometry);
  d.meshPath = textOf(r.meshPath);
  d.meshPathScale = unitScale;
  d.limitToBox = r.limitToBox != 0;
  d.precision = static_cast<stock::StockPrecision>(r.precision);
  // In tolerance mode the quality is the target cell size.
  d.quality = d.precision == stock::StockPrecision::Tolerance ? r.quality * unitScale : r.quality;
  d.level = r.level;
  d.refine = r.refine;
  d.colour = {r.colour[0], r.colour[1], r.colour[2]};
  d.visible = r.visible != 0;
  // What the definition holds in its own terms is cleared from the record
  // kept beside it, so that two definitions compare by those terms alone.
  d.given = r;
  SIM_StockRecord& rest = d.given;
  rest.identifier = 0;
  rest.kind = rest.limitToBox = 0;
  rest.meshGeometry = rest.meshPath = nullptr;
  rest.cylinderAxis = 0;
  rest.quality = 0.0f;
  std::fill(std::begin(rest.boxMin), std::end(rest.boxMin), 0.0);
  std::fill(std::begin(rest.boxMax), std::end(rest.boxMax), 0.0);
  std::fill(std::begin(rest.cylinderBase), std::end(rest.cylinderBase), 0.0);
  rest.cylinderLength = rest.outerDiameter = rest.boreDiameter = 0.0;
  std::fill(std::begin(rest.placement), std::end(rest.placement), 0.0);
  std::fill(std::begin(rest.colour), std::end(rest.colour), 0.0f);
  rest.precision = rest.level = 0;
  rest.visible = rest.refine = 0;
  return d;
}

SIM_StockRecord stockRecordOf(const stock::StockDefinition& d, double unitScale) {
  SIM_StockRecord r = d.given;
  r.identifier = d.identifier;
  r.kind = static_cast<uint8_t>(d.kind);
  put(r.boxMin, d.boxMin / unitScale);
  put(r.boxMax, d.boxMax / unitScale);
  put(r.cylinderBase, d.cylinderBase / unitScale);
  r.cylinderAxis = d.cylinderAxis;
  r.cylinderLength = d.cylinderLength / unitScale;
  r.outerDiameter = d.outerDiameter / unitScale;
  r.boreDiameter = d.boreDiameter / unitScale;
  std::copy(d.placement.begin(), d.placement.end(), std::begin(r.placement));
  for (int row = 0; row < 3; ++row) r.placement[4 * row + 3] /= unitScale;
  r.limitToBox = d.limitToBox ? 1 : 0;
  r.precision = static_cast<uint32_t>(d.precision);
  r.quality = static_cast<float>(d.precision == stock::StockPrecision::Tolerance ? d.quality / unitScale : d.quality);
  r.level = d.level;
  r.refine = d.refine;
  for (int k = 0; k < 3; ++k) r.colour[k] = d.colour[k];
  r.visible = d.visible ? 1 : 0;
  r.meshGeometry = nullptr;
  r.meshPath = nullptr;
  return r;
}

stock::Geometry geometryOf(const SIM_GeometryRecord& r, double unitScale) {
  stock::Geometry g;
  g.name.assign(r.name, strnlen(r.name, sizeof r.name - 1));
  g.nameHash = common::fnv1a64(g.name);
  g.role = r.role;
  g.modelPath = textOf(r.modelPath);
  g.origin = vec(r.origin) * unitScale;
  std::copy(std::begin(r.rotation), std::end(r.rotation), g.rotation.begin());
  g.scale = r.scale;
  // Only whole triangles are kept; a count no memory could hold is refused
  // before it is used to address the host's array.
  if (r.vertices && r.vertexCount > g.vertices.max_size()) throw std::length_error("vertex count");
  if (r.vertices) g.vertices.assign(r.vertices, r.vertices + 3 * (r.vertexCount - r.vertexCount % 3));
  for (float& v : g.vertices) v = static_cast<float>(v * unitScale);
  g.given = r;
  SIM_GeometryRecord& rest = g.given;
  rest.role = 0;
  rest.modelPath = nullptr;
  std::fill(std::begin(rest.origin), std::end(rest.origin), 0.0);
  std::fill(std::begin(rest.rotation), std::end(rest.rotation), 0.0f);
  rest.scale = 0.0f;
  rest.vertices = nullptr;
  rest.vertexCount = 0;
  rest.selected = 0;
  std::memset(rest.name, 0, sizeof rest.name);
  return g;
}

SIM_GeometryRecord geometryRecordOf(const stock::Geometry& g, double unitScale) {
  SIM_GeometryRecord r = g.given;
  std::memset(r.name, 0, sizeof r.name);
  std::memcpy(r.name, g.name.data(), std::min(g.name.size(), sizeof r.name - 1));
  r.role = g.role;
  put(r.origin, g.origin / unitScale);
  std::copy(g.rotation.begin(), g.rotation.end(), std::begin(r.rotation));
  r.scale = g.scale;
  r.selected = g.selected ? 1 : 0;
  r.vertexCount = g.vertices.size() / 3;
  r.modelPath = nullptr;
  r.vertices = nullptr;
  return r;
}

void answerStocks(view::StockAnswer& answer, const std::vector<stock::StockDefinition>& definitions,
                  double unitScale) {
  auto& [records, texts] = answer;
  records.clear();
  texts.clear();
  for (const stock::StockDefinition& d : definitions) {
    records.push_back(stockRecordOf(d, unitScale));
    texts.push_back(d.meshGeometry);
    texts.push_back(d.meshPath);
  }
  auto pointer = [](const std::string& text) { return text.empty() ? nullptr : text.c_str(); };
  for (size_t i = 0; i < records.size(); ++i) {
    records[i].meshGeometry = pointer(texts[2 * i]);
    records[i].meshPath = pointer(texts[2 * i + 1]);
  }
}

void answerGeometries(view::GeometryAnswer& answer, const std::vector<stock::Geometry>& geometries,
                      double unitScale) {
  auto& [records, paths, vertices] = answer;
  records.clear();
  paths.clear();
  vertices.clear();
  for (const stock::Geometry& g : geometries) {
    records.push_back(geometryRecordOf(g, unitScale));
    paths.push_back(g.modelPath);
    vertices.push_back(g.vertices);
    for (float& v : vertices.back()) v = static_cast<float>(v / unitScale);
  }
  for (size_t i = 0; i < records.size(); ++i) {
    records[i].modelPath = paths[i].empty() ? nullptr : paths[i].c_str();
    records[i].vertices = vertices[i].empty() ? nullptr : vertices[i].data();
  }
}

}  // namespace api
