#pragma once
// The exact meshes of the stocks whose refine option is on. Each stock has
// a job in the enhancement job table; the render thread runs it when the
// playback rests on a stock whose lattice changed since its last mesh (and
// for export in refined mode), and keeps the result in the solid program's
// buffers for drawing. A mesh belongs to the state it was made from: the
// lattice's build and contents, the cut path and the colours.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "enhance/RireRir.h"
#include "stock/SolidMesh.h"
#include "stock/SurfaceExtraction.h"

namespace view {

class EnhancedStocks {
 public:
  struct Key {
    uint64_t build = 0, contents = 0, cutPath = 0, colours = 0;
    bool operator==(const Key&) const = default;
  };
  using Make = std::function<std::unique_ptr<enhance::EnhancedMesh>(uint32_t stock, const std::function<void(int)>&)>;
  using KeyOf = std::function<std::optional<Key>(uint32_t stock)>;

  // Render thread (it becomes the table's worker).
  EnhancedStocks(Make make, KeyOf keyOf);
  EnhancedStocks(const EnhancedStocks&) = delete;
  EnhancedStocks& operator=(const EnhancedStocks&) = delete;
  ~EnhancedStocks();

  // ---- Render thread
  // Jobs for exactly these stocks; the meshes of others go.
  void sync(const std::vector<uint32_t>& stocks);
  // Makes the stock's mesh unless it is made for its current state.
  void refresh(uint32_t stock);
  // The mesh to draw for the stock's current state; none when stale or
  // when the state gave none.
  const stock::SolidMesh* shown(uint32_t stock) const;
  // The stock's current state was enhanced, with a mesh or without.
  bool settled(uint32_t stock) const;
  // The mesh read back for export, made first when stale; progress hears
  // the enhancement's percentages. None for a stock without a surface.
  std::optional<stock::SurfaceMesh> surfaceFor(uint32_t stock, const std::function<void(int)>& progress);
  // Runs the jobs other threads asked for.
  void runRequested() { jobs_.runRequested(); }
  enhance::RireRir& jobs() { return jobs_; }

 private:
  struct Made {
    Key key;
    bool tried = false;  // the key's state was enhanced (a mesh or none)
    std::unique_ptr<stock::SolidMesh> solid;
  };
  std::unique_ptr<enhance::EnhancedMesh> run(int stock, const enhance::RireRir::Report& report);
  bool current(uint32_t stock) const;

  Make make_;
  KeyOf keyOf_;
  std::map<uint32_t, Made> made_;
  enhance::RireRir jobs_;
};

}  // namespace view
