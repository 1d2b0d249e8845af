#pragma once
// One stock's lattice on the render thread: the description it was built
// from and the grid with the uncut workpiece.
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "gpu/DeviceLimits.h"
#include "stock/MeshStockCreator.h"
#include "stock/SolidStockCreator.h"
#include "stock/StockCollection.h"
#include "stock/StockCutter.h"
#include "stock/SurfaceExtraction.h"
#include "stock/StockGrid.h"

namespace stock {

class StockModel {
 public:
  explicit StockModel(uint32_t identifier) : identifier_(identifier) {}

  uint32_t identifier() const { return identifier_; }
  uint64_t revision() const { return revision_; }
  const StockDescription& description() const { return description_; }
  StockGrid& grid() { return grid_; }
  const StockGrid& grid() const { return grid_; }
  // The coarse companion lattice: its frame is set with every build; its
  // buffers are made only by a part of the system that asks for them.
  StockGrid& secondGrid() { return secondGrid_; }
  // The tolerance the enhancement works to, min(2h, 0.02), from the lattice
  // in use (which the device may have made coarser than planned).
  double tolerance() const { return tolerance_; }
  // Set up and filled with the uncut stock.
  bool built() const { return built_; }
  // Counts the builds, so that cuts know when to replay onto fresh contents.
  uint64_t buildCount() const { return buildCount_; }
  // What of the toolpath is cut out of this stock.
  StockCutter& cutter() { return cutter_; }
  // The lattice's contents changed (cuts): the surface is extracted again
  // before it is next shown.
  void markChanged() { ++contents_; }
  // Changes with every change of the lattice's contents.
  uint64_t contentsVersion() const { return contents_; }
  // Whether surface() would extract the lattice anew.
  bool surfaceStale() const { return built_ && extracted_ != contents_; }
  // Render thread: the cube list of the current contents (an empty one
  // when the stop flag ended the extraction).
  SurfaceExtraction& surface(const std::atomic<bool>* stop = nullptr);

  // Render thread: sets up the lattice for the description and replaces all
  // contents with the uncut stock.
  void build(const StockDescription& description, const gpu::DeviceLimits& limits);
  // Render thread: the uncut stock again, nothing cut.
  void rebuild(const gpu::DeviceLimits& limits) { build(StockDescription(description_), limits); }
  // A description of the same material that only looks different (colour,
  // shown or hidden): the lattice and everything cut from it stay.
  void restyle(const StockDescription& description);
  void release();

 private:
  uint32_t identifier_;
  uint64_t revision_ = 0;
  StockDescription description_;
  StockGrid grid_;
  StockGrid secondGrid_;
  double tolerance_ = 0;
  SolidStockCreator solidCreator_;
  std::unique_ptr<MeshStockCreator> meshCreator_;  // with its scratch buffers, on first use
  StockCutter cutter_;
  SurfaceExtraction surface_;
  uint64_t contents_ = 1, extracted_ = 0;
  bool built_ = false;
  uint64_t buildCount_ = 0;
};

// Whether two descriptions make the same lattice, whatever their colour and
// visibility.
bool sameMaterial(const StockDescription& a, const StockDescription& b);

// The stock models of a view, following the stock descriptions.
class StockScene {
 public:
  // Render thread: new and changed stocks are built, removed ones dropped.
  void sync(const std::vector<StockDescription>& stocks, const gpu::DeviceLimits& limits);
  StockModel* model(uint32_t identifier);
  const std::vector<std::unique_ptr<StockModel>>& models() const { return models_; }
  // Render thread: gives every GL object back.
  void release();

 private:
  std::vector<std::unique_ptr<StockModel>> models_;
};

}  // namespace stock
