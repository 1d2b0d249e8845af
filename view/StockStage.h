#pragma once
// The stocks of a view on its render thread: the lattices built from the
// host's definitions, the cut path every stock cuts from, each stock kept
// cut up to the played position, their surfaces drawn, pictures and solid
// meshes. Host calls that change stock or geometry definitions hold the
// stock lock; the render thread does stock work only when it can take the
// lock without waiting.
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <vector>

#include "camera/Camera.h"
#include "gpu/DeviceLimits.h"
#include "stock/CutPath.h"
#include "stock/StockDrawing.h"
#include "stock/StockModel.h"
#include "view/FramePart.h"
#include "view/JobData.h"
#include "view/PhaseTimings.h"
#include "view/Playback.h"
#include "view/EnhancedStocks.h"
#include "view/StockCompareView.h"

namespace view {

class StockStage final : public FramePart {
 public:
  // stop: set when the view closes; cuts end between dispatches then.
  StockStage(JobData& job, const std::atomic<bool>& stop, PhaseTimings& timings, const Playback& playback);
  ~StockStage() override;
  StockStage(const StockStage&) = delete;
  StockStage& operator=(const StockStage&) = delete;

  // The stock lock: exclusive for host calls that change definitions.
  std::shared_mutex& lock() { return lock_; }

  // ---- Render thread
  void setDeviceLimits(const gpu::DeviceLimits& limits) { limits_ = limits; }
  // Where the stock compare's field builds report their progress.
  void setCompareProgress(stock::DesignField::Progress progress) { compare_.progress = std::move(progress); }
  // Builds the stocks whose definitions changed and cuts every stock up to
  // the played position. Nothing happens while a host call holds the stock
  // lock: the frame is told so.
  void update(FrameState& frame) override;
  // Cuts the toolpath moves [first, end) out of every stock, in full, at
  // once; the playback stands at timeFraction of the same snapshot.
  void cutBatch(uint32_t first, uint32_t end, std::shared_ptr<const toolpath::Toolpath> path, double timeFraction);
  // Render thread: every stock back to its uncut state; the next frame cuts
  // it to the played position again (so cuts made past it vanish).
  void resetCuts();
  // Any thread: every stock enabled or disabled (stocks made later too; a
  // disabled stock keeps its state, neither playback nor SIM_CutStock cuts
  // it); under the stock list's shared lock, whether one is enabled and
  // whether one is still to be built.
  void setStocksEnabled(bool on) { stocksEnabled_ = on; }
  bool anyStockEnabled();
  bool anyStockPending();
  // Any thread: every visible stock's surface extracted again next frame.
  void refreshSurfaces() { refreshRequested_ = true; }
  // Stocks wait to be built.
  bool busy() const override;
  // The box of the stocks shown.
  camera::SceneBox sceneBox() const override;
  // Every stock shown, its surface extracted again after changes.
  void draw(const SceneDraw& scene) override;
  // The distance to the design (millimetres) of the compared surface that
  // the last draw showed under a window pixel (y down); none off it.
  std::optional<float> compareDistanceAt(const SceneDraw& scene, int width, int height, int x, int y);
  // Cut faces in the colours of the tools and rapids that cut them; off,
  // the whole stock in its own colour. Any thread.
  std::atomic<bool> cutColours{true};
  // Cuts report the moves that removed material while rapid or with the
  // spindle stopped (the stop conditions read them). Any thread.
  std::atomic<bool> reportRemoval{false};
  // Render thread: those moves, ascending, over every stock, from every cut
  // since each stock's last rebuild.
  std::vector<uint32_t> removalReport();
  // Render thread: the theme's owner colours (material taken by rapid
  // moves, the palette of cut faces).
  void setOwnerColours(const std::array<float, 4>& rapidRemoved, const std::array<std::array<float, 4>, 8>& palette);

 private:
  std::atomic<bool> refreshRequested_{false};
  std::atomic<bool> stocksEnabled_{true};

 public:
  // A stock solid's welded surface in world millimetres; empty for an
  // unknown or unbuilt solid.
  stock::SurfaceMesh solidMesh(uint32_t solid, const std::function<void(uint32_t)>& progress);
  // Stocks found too coarse for the toolpath's tools since the last call
  // (see SIM_EVENT_STOCK_TOO_COARSE), each once per build and cut path.
  std::vector<uint32_t> takeTooCoarse();
  // A stock's cell size in millimetres, 0 while not built; any thread.
  double cellSize(uint32_t identifier) const;
  // Any thread: whether a stock solid has its collision flag set (a tool's
  // shaft, shoulder or holder met its material since it was built), and
  // the moves where, over every stock, in move order.
  bool anyPartCollision() const { return partCollision_.load(); }
  std::vector<stock::PartHit> partCollisions() const;
  // Render thread: the surface of a stock as played, the part of the move
  // under way cut into its lattice first (playback leaves that to the
  // frames that show or export the stock).
  stock::SurfaceExtraction& playedSurface(stock::StockModel& model);
  // Render thread: the exact meshes of the stocks whose refine option is on.
  EnhancedStocks& enhanced();
  // The stock models; null until the first stock was built.
  stock::StockScene* scene() { return scene_.get(); }
  void release() override;

 private:
  // Under the stock lock.
  bool buildChanged();
  stock::CutSwitches switches() const;
  // Render thread, after cuts: the stocks' part collisions read back.
  void collectPartCollisions();
  // Render thread: notes a stock whose cells are coarser than the tools allow.
  void checkFidelity(const stock::StockModel& model);
  // Render thread: keeps the exact meshes of refined stocks up to date
  // while the playback rests.
  void refreshEnhanced(FrameState& frame);
  // The colours a stock is drawn in.
  stock::StockLook lookOf(const stock::StockModel& model) const;
  std::optional<EnhancedStocks::Key> enhancementKey(uint32_t identifier);
  std::unique_ptr<enhance::EnhancedMesh> enhance(uint32_t identifier, const std::function<void(int)>& progress);
  stock::StockModel* refinedModel(uint32_t identifier);
  // Makes the cut path for the snapshot when it is not made from it, or
  // gives it the tools of a new tool table; true when it changed.
  bool refreshCutPath(const std::shared_ptr<const toolpath::Toolpath>& path);
  // Starts a stock over when it was cut from another cut path, or when the
  // position went back before what it holds; false when it has no lattice.
  bool readyToCut(stock::StockModel& model, int64_t move, double fraction, bool removalChanged = false);

  JobData& job_;
  const std::atomic<bool>& stop_;
  PhaseTimings& timings_;
  // A stock is faithful while its cell is at most this share of the
  // smallest cutting radius the toolpath uses.
  static constexpr double kCellPerRadius = 0.25;
  double smallestRadius_ = 0;  // of the cut path's tools, mm; 0 without tools
  struct Checked {
    uint32_t identifier;
    uint64_t build, cutPath;
  };
  std::vector<Checked> checked_;       // render thread
  mutable std::mutex fidelityMutex_;   // guards the two below
  std::vector<uint32_t> tooCoarse_;
  std::vector<std::pair<uint32_t, double>> cellSizes_;
  mutable std::mutex partCollisionMutex_;  // guards the list below
  std::vector<stock::PartHit> partCollisions_;
  std::atomic<bool> partCollision_{false};
  std::shared_mutex lock_;
  gpu::DeviceLimits limits_;
  std::unique_ptr<stock::StockScene> scene_;
  std::unique_ptr<stock::StockDrawing> drawing_;
  StockCompareView compare_{job_};
  stock::StockLook look_;
  const Playback& playback_;
  std::unique_ptr<EnhancedStocks> enhanced_;  // render thread, on first use

  std::unique_ptr<stock::CutPath> cutPath_;
  uint64_t revisionBuilt_ = 0;
  uint64_t removalCut_ = 0;  // the stock removal's cut revision the stocks hold
};

}  // namespace view
