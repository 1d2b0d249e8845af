#include "stock/StockCollection.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "common/Fnv1a.h"
#include "formats/StlReader.h"

namespace stock {

std::optional<StockShape> StockCollection::shapeOf(const StockDefinition& stock) const {
  if (stock.kind != StockKind::Mesh) return analyticShape(stock);
  std::vector<float> soup;
  glm::dmat4 modelToWorld(1.0);
  std::string path = stock.meshPath;
  const double fileScale = stock.meshPathScale;
  if (!stock.meshGeometry.empty()) {
    std::optional<Geometry> source = geometry(stock.meshGeometry);
    if (!source) return std::nullopt;
    modelToWorld = source->placement();
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
  return meshShape(stock, std::move(mesh), modelToWorld);
}

void StockCollection::setStock(StockDefinition definition) {
  StockDescription stock;
  stock.definition = std::move(definition);
  // Files are read and meshes prepared before the collection is locked.
  stock.ownShape = shapeOf(stock.definition);

  const uint32_t identifier = stock.definition.identifier;
  std::lock_guard lock(mutex_);
  place(stock);
  stock.revision = ++stockRevision_;
  if (stock.definition.refine == 2) stock.definition.refine = refineByDefault_ ? 1 : 0;
  auto same = std::find_if(stocks_.begin(), stocks_.end(),
                           [&](const StockDescription& s) { return s.definition.identifier == identifier; });
  if (same != stocks_.end())
    *same = std::move(stock);
  else
    stocks_.push_back(std::move(stock));
  current_ = identifier;
}

void StockCollection::place(StockDescription& stock) const {
  stock.shape.reset();
  stock.plan.reset();
  if (!stock.ownShape) return;
  stock.shape = placedShape(*stock.ownShape, workpiece_);
  stock.plan =
      planGrid(boundsOf(*stock.shape), stock.definition.quality, static_cast<uint32_t>(stock.definition.precision));
}

std::optional<glm::dmat4> StockCollection::setWorkpiecePlacement(const glm::dmat4& placement) {
  std::lock_guard lock(mutex_);
  if (placement == workpiece_) return std::nullopt;
  std::optional<glm::dmat4> replaced;
  if (!stocks_.empty()) replaced = workpiece_;
  workpiece_ = placement;
  for (StockDescription& stock : stocks_) {
    place(stock);
    stock.revision = ++stockRevision_;
  }
  ++stockRevision_;
  return replaced;
}

glm::dmat4 StockCollection::workpiecePlacement() const {
  std::lock_guard lock(mutex_);
  return workpiece_;
}

bool StockCollection::removeStock(uint32_t identifier) {
  std::lock_guard lock(mutex_);
  auto it = std::find_if(stocks_.begin(), stocks_.end(),
                         [&](const StockDescription& s) { return s.definition.identifier == identifier; });
  if (it == stocks_.end()) return false;
  stocks_.erase(it);
  if (current_ == identifier)
    current_ = stocks_.empty() ? std::nullopt : std::optional(stocks_.back().definition.identifier);
  ++stockRevision_;
  return true;
}

std::optional<StockDescription> StockCollection::stock(uint32_t identifier) const {
  std::lock_guard lock(mutex_);
  for (const StockDescription& s : stocks_)
    if (s.definition.identifier == identifier) return s;
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

void StockCollection::setGeometries(std::vector<Geometry> geometries, bool replaceList) {
  std::lock_guard lock(mutex_);
  ++geometryRevision_;
  if (replaceList) geometries_.clear();
  for (Geometry& geometry : geometries) {
    auto same = std::find_if(geometries_.begin(), geometries_.end(),
                             [&](const Geometry& g) { return g.nameHash == geometry.nameHash; });
    if (same != geometries_.end())
      *same = std::move(geometry);
    else
      geometries_.push_back(std::move(geometry));
  }
}

bool StockCollection::updateGeometry(Geometry geometry) {
  std::lock_guard lock(mutex_);
  for (Geometry& g : geometries_)
    if (g.nameHash == geometry.nameHash) {
      geometry.selected = g.selected;
      g = std::move(geometry);
      ++geometryRevision_;
      return true;
    }
  return false;
}

bool StockCollection::removeGeometry(std::string_view name) {
  const uint64_t hash = common::fnv1a64(name);
  std::lock_guard lock(mutex_);
  if (std::erase_if(geometries_, [&](const Geometry& g) { return g.nameHash == hash; }) == 0) return false;
  ++geometryRevision_;
  return true;
}

bool StockCollection::selectGeometry(std::string_view name) {
  const uint64_t hash = common::fnv1a64(name);
  std::lock_guard lock(mutex_);
  const bool known = std::any_of(geometries_.begin(), geometries_.end(),
                                 [&](const Geometry& g) { return g.nameHash == hash; });
  if (!known) return false;
  for (Geometry& g : geometries_) g.selected = g.nameHash == hash;
  ++geometryRevision_;
  return true;
}

uint64_t StockCollection::geometryRevision() const {
  std::lock_guard lock(mutex_);
  return geometryRevision_;
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
