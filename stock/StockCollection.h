#pragma once
// The stock descriptions and the named geometries (fixtures, workpieces) of
// one view, as the host defined them. Lengths are kept in millimetres;
// texts and arrays the host pointed to are owned copies.
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "korvane/Korvane.h"
#include "stock/GridFrame.h"
#include "stock/StockShape.h"

namespace stock {

struct StockDescription {
  SIM_StockRecord record{};  // millimetres; the text pointers are not kept
  std::string meshGeometry;
  std::string meshPath;
  // The solid and its lattice, fixed when the record is applied; none when
  // the record describes nothing with volume (the stock is not set up).
  std::optional<StockShape> shape;
  std::optional<GridPlan> plan;
  // Changes whenever the record is applied again.
  uint64_t revision = 0;
};

struct Geometry {
  SIM_GeometryRecord record{};  // millimetres; the pointers are not kept
  uint64_t nameHash = 0;
  std::string modelPath;
  std::vector<float> vertices;  // millimetres
};

// Records in host units, with their texts and arrays, as a getter hands
// them out: the pointers in the records point into this object.
struct StockRecords {
  std::vector<SIM_StockRecord> records;
  std::vector<std::string> texts;
  void add(const StockDescription& stock, double unitScale);
  // Points the records at their texts once everything is added.
  void finish();
};

struct GeometryRecords {
  std::vector<SIM_GeometryRecord> records;
  std::vector<std::string> paths;
  std::vector<std::vector<float>> vertices;
  void add(const Geometry& geometry, double unitScale);
  void finish();
};

// Replaces what a getter hands out with items, in host units.
template <typename Records, typename Items>
void refill(Records& records, const Items& items, double unitScale) {
  records = {};
  for (const auto& item : items) records.add(item, unitScale);
  records.finish();
}

class StockCollection {
 public:
  // ---- Stocks, addressed by identifier
  // Creates the stock or replaces the one with the same identifier, and
  // fixes its solid and lattice. A refine option of 2 takes the view's own
  // setting. A mesh stock takes a copy of the named geometry's triangles, or
  // reads its STL file (host units), now.
  void setStock(const SIM_StockRecord& host, double unitScale);
  bool removeStock(uint32_t identifier);
  std::optional<StockDescription> stock(uint32_t identifier) const;
  std::vector<StockDescription> stocks() const;
  // The stock created or updated last; none when there is no stock.
  std::optional<uint32_t> currentStock() const;
  // Counts every change of the stock descriptions.
  uint64_t stockRevision() const;
  void setRefineByDefault(bool on);

  // ---- Geometries, identified by the hash of their name
  // Replaces the list, or adds to it (a name already present is replaced).
  void setGeometries(std::span<const SIM_GeometryRecord> hosts, bool replaceList, double unitScale);
  // False when no geometry has that name.
  bool updateGeometry(const SIM_GeometryRecord& host, double unitScale);
  bool removeGeometry(std::string_view name);
  // Marks the named geometry as the selected one; false when it is unknown.
  bool selectGeometry(std::string_view name);
  std::vector<Geometry> geometries() const;
  std::optional<Geometry> geometry(std::string_view name) const;

 private:
  static Geometry copyGeometry(const SIM_GeometryRecord& host, double unitScale);
  std::optional<StockShape> shapeOf(const StockDescription& stock, double unitScale) const;

  mutable std::mutex mutex_;
  std::vector<StockDescription> stocks_;
  std::optional<uint32_t> current_;
  uint64_t stockRevision_ = 0;
  bool refineByDefault_ = false;
  std::vector<Geometry> geometries_;
};

}  // namespace stock
