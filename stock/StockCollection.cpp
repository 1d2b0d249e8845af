#include "stock/StockCollection.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "common/Fnv1a.h"
#include "formats/StlReader.h"

namespace stock {

namespace {

// Multiplies every length of a stock record by factor.
void scaleStockLengths(SIM_StockRecord& r, double factor) {
  for (int k = 0; k < 3; ++k) {
    r.boxMin[k] *= factor;
    r.boxMax[k] *= factor;
    r.cylinderBase[k] *= factor;
    r.placement[4 * k + 3] *= factor;  // the translation column
  }
  r.cylinderLength *= factor;
  r.outerDiameter *= factor;
  r.boreDiameter *= factor;
  // In tolerance mode the quality is the target cell size.
  if (r.precision == SIM_STOCK_PRECISION_TOLERANCE) r.quality = static_cast<float>(r.quality * factor);
}

std::string textOf(const char* text) { return text ? std::string(text) : std::string(); }

std::string_view nameOf(const SIM_GeometryRecord& r) { return {r.name, strnlen(r.name, sizeof r.name)}; }

}  // namespace

void StockRecords::add(const StockDescription& stock, double unitScale) {
  SIM_StockRecord r = stock.record;
  scaleStockLengths(r, 1.0 / unitScale);
  texts.push_back(stock.meshGeometry);
  texts.push_back(stock.meshPath);
  records.push_back(r);
}

void StockRecords::finish() {
  auto pointer = [](const std::string& text) { return text.empty() ? nullptr : text.c_str(); };
  for (size_t i = 0; i < records.size(); ++i) {
    records[i].meshGeometry = pointer(texts[2 * i]);
    records[i].meshPath = pointer(texts[2 * i + 1]);
  }
}

void GeometryRecords::finish() {
  for (size_t i = 0; i < records.size(); ++i) {
    records[i].modelPath = paths[i].empty() ? nullptr : paths[i].c_str();
    records[i].vertices = vertices[i].empty() ? nullptr : vertices[i].data();
  }
}

void GeometryRecords::add(const Geometry& geometry, double unitScale) {
  SIM_GeometryRecord r = geometry.record;
  for (double& v : r.origin) v /= unitScale;
  paths.push_back(geometry.modelPath);
  vertices.push_back(geometry.vertices);
  for (float& v : vertices.back()) v = static_cast<float>(v / unitScale);
  records.push_back(r);
}

std::optional<StockShape> StockCollection::shapeOf(const StockDescription& stock, double unitScale) const {
  if (stock.record.kind != SIM_STOCK_MESH) return analyticShape(stock.record);
  std::vector<float> soup;
  glm::dmat4 modelToWorld(1.0);
  std::string path = stock.meshPath;
  double fileScale = unitScale;
  if (!stock.meshGeometry.empty()) {
    std::optional<Geometry> source = geometry(stock.meshGeometry);
    if (!source) return std::nullopt;
    modelToWorld = geometryPlacement(source->record);
    soup = std::move(source->vertices);
    path = soup.empty() ? source->modelPath : std::string();
  }
  if (!path.empty()) {
    const formats::StlVertices vertices = formats::readStl(path);
    soup.reserve(vertices.size() * 3);
    for (const formats::StlVertex& v : vertices)
      for (float c : {v.x, v.y, v.z}) soup.push_back(static_cast<float>(c * fileScale));
  }
  auto mesh = std::make_shared<const StockMesh>(StockMesh::fromTriangleSoup(soup));
  return meshShape(stock.record, std::move(mesh), modelToWorld);
}

void StockCollection::setStock(const SIM_StockRecord& host, double unitScale) {
  StockDescription stock;
  stock.record = host;
  stock.meshGeometry = textOf(host.meshGeometry);
  stock.meshPath = textOf(host.meshPath);
  stock.record.meshGeometry = nullptr;
  stock.record.meshPath = nullptr;
  scaleStockLengths(stock.record, unitScale);
  // Files are read and meshes prepared before the collection is locked.
  stock.shape = shapeOf(stock, unitScale);
  if (stock.shape) stock.plan = planGrid(boundsOf(*stock.shape), stock.record.quality, stock.record.precision);

  std::lock_guard lock(mutex_);
  stock.revision = ++stockRevision_;
  if (stock.record.refine == 2) stock.record.refine = refineByDefault_ ? 1 : 0;
  auto same = std::find_if(stocks_.begin(), stocks_.end(), [&](const StockDescription& s) {
    return s.record.identifier == host.identifier;
  });
  if (same != stocks_.end())
    *same = std::move(stock);
  else
    stocks_.push_back(std::move(stock));
  current_ = host.identifier;
}

bool StockCollection::removeStock(uint32_t identifier) {
  std::lock_guard lock(mutex_);
  auto it = std::find_if(stocks_.begin(), stocks_.end(),
                         [&](const StockDescription& s) { return s.record.identifier == identifier; });
  if (it == stocks_.end()) return false;
  stocks_.erase(it);
  if (current_ == identifier)
    current_ = stocks_.empty() ? std::nullopt : std::optional(stocks_.back().record.identifier);
  ++stockRevision_;
  return true;
}

std::optional<StockDescription> StockCollection::stock(uint32_t identifier) const {
  std::lock_guard lock(mutex_);
  for (const StockDescription& s : stocks_)
    if (s.record.identifier == identifier) return s;
  return std::nullopt;
}

std::vector<StockDescription> StockCollection::stocks() const {
  std::lock_guard lock(mutex_);
  return stocks_;
}

std::optional<uint32_t> StockCollection::currentStock() const {
  std::lock_guard lock(mutex_);
  return current_;
}

uint64_t StockCollection::stockRevision() const {
  std::lock_guard lock(mutex_);
  return stockRevision_;
}

void StockCollection::setRefineByDefault(bool on) {
  std::lock_guard lock(mutex_);
  refineByDefault_ = on;
}

Geometry StockCollection::copyGeometry(const SIM_GeometryRecord& host, double unitScale) {
  Geometry g;
  g.record = host;
  g.record.name[sizeof g.record.name - 1] = '\0';
  g.record.selected = 0;
  g.nameHash = common::fnv1a64(nameOf(g.record));
  g.modelPath = textOf(host.modelPath);
  // Only whole triangles are kept; a count no memory could hold is refused
  // before it is used to address the host's array.
  if (host.vertices && host.vertexCount > g.vertices.max_size()) throw std::length_error("vertex count");
  if (host.vertices) g.vertices.assign(host.vertices, host.vertices + 3 * (host.vertexCount - host.vertexCount % 3));
  for (double& v : g.record.origin) v *= unitScale;
  for (float& v : g.vertices) v = static_cast<float>(v * unitScale);
  g.record.modelPath = nullptr;
  g.record.vertices = nullptr;
  g.record.vertexCount = g.vertices.size() / 3;
  return g;
}

void StockCollection::setGeometries(std::span<const SIM_GeometryRecord> hosts, bool replaceList, double unitScale) {
  std::vector<Geometry> copies;
  copies.reserve(hosts.size());
  for (const SIM_GeometryRecord& host : hosts) copies.push_back(copyGeometry(host, unitScale));

  std::lock_guard lock(mutex_);
  if (replaceList) geometries_.clear();
  for (Geometry& copy : copies) {
    auto same = std::find_if(geometries_.begin(), geometries_.end(),
                             [&](const Geometry& g) { return g.nameHash == copy.nameHash; });
    if (same != geometries_.end())
      *same = std::move(copy);
    else
      geometries_.push_back(std::move(copy));
  }
}

bool StockCollection::updateGeometry(const SIM_GeometryRecord& host, double unitScale) {
  Geometry copy = copyGeometry(host, unitScale);
  std::lock_guard lock(mutex_);
  for (Geometry& g : geometries_)
    if (g.nameHash == copy.nameHash) {
      copy.record.selected = g.record.selected;  // an update keeps the selection
      g = std::move(copy);
      return true;
    }
  return false;
}

bool StockCollection::removeGeometry(std::string_view name) {
  const uint64_t hash = common::fnv1a64(name);
  std::lock_guard lock(mutex_);
  return std::erase_if(geometries_, [&](const Geometry& g) { return g.nameHash == hash; }) > 0;
}

bool StockCollection::selectGeometry(std::string_view name) {
  const uint64_t hash = common::fnv1a64(name);
  std::lock_guard lock(mutex_);
  const bool known = std::any_of(geometries_.begin(), geometries_.end(),
                                 [&](const Geometry& g) { return g.nameHash == hash; });
  if (!known) return false;
  for (Geometry& g : geometries_) g.record.selected = g.nameHash == hash ? 1 : 0;
  return true;
}

std::vector<Geometry> StockCollection::geometries() const {
  std::lock_guard lock(mutex_);
  return geometries_;
}

std::optional<Geometry> StockCollection::geometry(std::string_view name) const {
  const uint64_t hash = common::fnv1a64(name);
  std::lock_guard lock(mutex_);
  for (const Geometry& g : geometries_)
    if (g.nameHash == hash) return g;
  return std::nullopt;
}

}  // namespace stock
