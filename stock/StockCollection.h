#pragma once
// The stock definitions and the named geometries (fixtures, workpieces) of
// one view. Host calls change them under the collection's own lock; the
// render thread takes copies of what changed.
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "stock/GridFrame.h"
#include "stock/StockDefinition.h"
#include "stock/StockShape.h"

namespace stock {

struct StockDescription {
  StockDefinition definition;
  // The solid and its lattice, fixed when the definition is applied; none
  // when it describes nothing with volume (the stock is not set up). The
  // shape is placed on the workpiece; ownShape is where the definition
  // alone puts it.
  std::optional<StockShape> shape, ownShape;
  std::optional<GridPlan> plan;
  // Changes whenever a definition is applied again.
  uint64_t revision = 0;
};

class StockCollection {
 public:
  // ---- Stocks, addressed by identifier
  // Creates the stock or replaces the one with the same identifier, and
  // fixes its solid and lattice. A refine option of 2 takes the view's own
  // setting. A mesh stock takes a copy of the named geometry's triangles, or
  // reads its STL file, now.
  void setStock(StockDefinition definition);
  bool removeStock(uint32_t identifier);
  std::optional<StockDescription> stock(uint32_t identifier) const;
  std::vector<StockDescription> stocks() const;
  // The stock created or updated last; none when there is no stock.
  std::optional<uint32_t> currentStock() const;
  // Counts every change of the stock descriptions.
  uint64_t stockRevision() const;
  void setRefineByDefault(bool on);
  // The workpiece placement (rigid; the identity at first) moves every
  // stock's solid after its own placement; a new one places them again.
  // Returns the placement it replaced when that moved at least one stock
  // (read and replaced in one step, so no other change falls between).
  std::optional<glm::dmat4> setWorkpiecePlacement(const glm::dmat4& placement);
  glm::dmat4 workpiecePlacement() const;

  // ---- Geometries, identified by the hash of their name
  // Replaces the list, or adds to it (a name already present is replaced).
  void setGeometries(std::vector<Geometry> geometries, bool replaceList);
  // False when no geometry has that name; an update keeps the selection.
  bool updateGeometry(Geometry geometry);
  bool removeGeometry(std::string_view name);
  // Marks the named geometry as the selected one; false when it is unknown.
  bool selectGeometry(std::string_view name);
  std::vector<Geometry> geometries() const;
  std::optional<Geometry> geometry(std::string_view name) const;
  // Counts every change of the geometry list, the selection included.
  uint64_t geometryRevision() const;

 private:
  std::optional<StockShape> shapeOf(const StockDefinition& definition) const;

  // Under the mutex: the shape and lattice plan from the own shape.
  void place(StockDescription& stock) const;

  mutable std::mutex mutex_;
  glm::dmat4 workpiece_{1.0};
  std::vector<StockDescription> stocks_;
  std::optional<uint32_t> current_;
  uint64_t stockRevision_ = 0;
  bool refineByDefault_ = false;
  std::vector<Geometry> geometries_;
  uint64_t geometryRevision_ = 0;
};

}  // namespace stock
