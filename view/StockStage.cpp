#include "view/StockStage.h"

#include <algorithm>
#include <iterator>
#include <mutex>
#include <utility>

#include "camera/DisplayFrame.h"
#include "enhance/StockEnhancement.h"
#include "enhance/ToolSweeps.h"
#include "gpu/GL.h"
#include "platform/ProcessMemory.h"

namespace view {

namespace {

// The smallest widest radius of the tools the moves use, in millimetres.
double smallestCuttingRadius(const stock::CutPath& path) {
  const stock::ToolAssignment& tools = path.tools();
  std::vector<bool> used(tools.cutRecords.size(), false);
  for (int32_t tool : tools.toolOfMove)
    if (tool >= 0) used[size_t(tool)] = true;
  double smallest = 0;
  for (size_t t = 0; t < used.size(); ++t) {
    if (!used[t] || !tools.cutRecords[t].valid) continue;
    const double radius = stock::reachOf(tools.cutRecords[t]).radius;
    if (radius > 0 && (smallest == 0 || radius < smallest)) smallest = radius;
  }
  return smallest;
}

}  // namespace

StockStage::StockStage(JobData& job, const std::atomic<bool>& stop, PhaseTimings& timings, const Playback& playback)
    : job_(job), stop_(stop), timings_(timings), playback_(playback) {}

stock::CutSwitches StockStage::switches() const {
  stock::CutSwitches switches;
  switches.stop = &stop_;
  switches.reportRapidMoves = switches.reportSpindleStoppedMoves = reportRemoval.load();
  const SIM_StockRemovalSettings removal = job_.stockRemoval.record();
  switches.applyRapidMoves = removal.rapidsPass == 0;
  switches.stoppedSpindleMode = removal.stoppedSpindleCut;
  return switches;
}

void StockStage::setOwnerColours(const std::array<float, 4>& rapidRemoved,
                                 const std::array<std::array<float, 4>, 8>& palette) {
  const auto packed = [](const std::array<float, 4>& c) {
    const auto byte = [](float v) { return static_cast<uint8_t>(std::clamp(v, 0.0f, 1.0f) * 255.0f + 0.5f); };
    return stock::packRgba(byte(c[0]), byte(c[1]), byte(c[2]), byte(c[3]));
  };
  // Owner 0 and 2 are never cut (the stock's own colour, set per stock).
  for (size_t owner = 3; owner < look_.colours.size(); ++owner) look_.colours[owner] = packed(palette[owner % palette.size()]);
  look_.colours[1] = packed(rapidRemoved);
}

std::vector<uint32_t> StockStage::removalReport() {
  std::vector<uint32_t> moves;
  if (!scene_ || !cutPath_) return moves;
  for (const auto& model : scene_->models()) {
    if (!model->built() || model->cutter().cutFromOther(*cutPath_)) continue;
    const std::vector<uint32_t> reported = model->cutter().reportedMoves(*cutPath_);
    moves.insert(moves.end(), reported.begin(), reported.end());
  }
  std::sort(moves.begin(), moves.end());
  moves.erase(std::unique(moves.begin(), moves.end()), moves.end());
  return moves;
}

StockStage::~StockStage() = default;

stock::StockLook StockStage::lookOf(const stock::StockModel& model) const {
  const stock::StockDefinition& definition = model.description().definition;
  // Material never cut shows the stock's own colour.
  stock::StockLook look = look_;
  auto byte = [](float c) { return static_cast<uint8_t>(std::clamp(c, 0.0f, 1.0f) * 255.0f + 0.5f); };
  look.colours[0] = look.colours[2] =
      stock::packRgba(byte(definition.colour.r), byte(definition.colour.g), byte(definition.colour.b));
  // Cuts not marked: every face in the stock's own colour. Coloured by
  // neither tool nor operation, material taken by rapid moves still
  // shows its own.
  if (!cutColours.load()) {
    look.colours.fill(look.colours[0]);
  } else if (job_.stockRemoval.colourBy() == StockColourBy::Nothing) {
    const uint32_t rapid = look.colours[1];
    look.colours.fill(look.colours[0]);
    look.colours[1] = rapid;
  }
  return look;
}

EnhancedStocks& StockStage::enhanced() {
  if (!enhanced_)
    enhanced_ = std::make_unique<EnhancedStocks>(
        [this](uint32_t id, const std::function<void(int)>& progress) { return enhance(id, progress); },
        [this](uint32_t id) { return enhancementKey(id); });
  return *enhanced_;
}

stock::StockModel* StockStage::refinedModel(uint32_t identifier) {
  stock::StockModel* model = scene_ ? scene_->model(identifier) : nullptr;
  if (!model || !model->built() || model->description().definition.refine != 1) return nullptr;
  return model;
}

std::optional<EnhancedStocks::Key> StockStage::enhancementKey(uint32_t identifier) {
  stock::StockModel* model = refinedModel(identifier);
  if (!model) return std::nullopt;
  // The colours count by their bytes: a new theme or colouring makes the
  // mesh again.
  const stock::OwnerColours colours = lookOf(*model).colours;
  uint64_t colourHash = 1469598103934665603ull;
  for (const uint32_t c : colours) colourHash = (colourHash ^ c) * 1099511628211ull;
  return EnhancedStocks::Key{model->buildCount(), model->contentsVersion(), cutPath_ ? cutPath_->serial() : 0,
                             colourHash ^ (reportRemoval.load() ? 1u : 0u)};
}

std::unique_ptr<enhance::EnhancedMesh> StockStage::enhance(uint32_t identifier,
                                                           const std::function<void(int)>& progress) {
  stock::StockModel* model = refinedModel(identifier);
  if (!model) return nullptr;
  // The enhancement welds, and more.
  const auto timed = timings_.time(Phase::Weld, true);
  enhance::EnhancementInput input;
  input.surface = &playedSurface(*model);
  input.frame = model->grid().frame();
  input.initialShape = model->description().shape;
  input.tolerance = model->tolerance();
  if (cutPath_ && !model->cutter().cutFromOther(*cutPath_)) {
    enhance::CutExtent extent = enhance::cutExtentOf(model->cutter());
    // Rapid moves that cut are known only while cuts report them.
    if (reportRemoval.load()) extent.rapidsThatCut = model->cutter().reportedMoves(*cutPath_);
    input.sweeps = enhance::toolSweepsOf(*cutPath_, extent, static_cast<float>(input.frame.exactCellSize));
  }
  input.colours = lookOf(*model).colours;
  input.stop = &stop_;
  return enhance::enhanceStock(input, progress);
}

bool StockStage::busy() const { return job_.stocks.stockRevision() != revisionBuilt_; }

bool StockStage::buildChanged() {
  const uint64_t revision = job_.stocks.stockRevision();
  if (revision == revisionBuilt_) return false;
  const auto timed = timings_.time(Phase::StockBuild, true);
  if (!scene_) scene_ = std::make_unique<stock::StockScene>();
  scene_->sync(job_.stocks.stocks(), limits_);
  revisionBuilt_ = revision;
  return true;
}

// A tolerance set without applying it now takes effect with the next
// toolpath or tool table: a new table then makes the moves again too.
bool StockStage::refreshCutPath(const std::shared_ptr<const toolpath::Toolpath>& path) {
  const uint64_t tools = job_.toolsVersion.load(), precision = job_.precisionVersion.load();
  const double tolerance = job_.geometryPrecision.load();
  const bool byOperation = job_.stockRemoval.colourBy() == StockColourBy::Operation;
  const bool samePath = cutPath_ && cutPath_->snapshot() == path && cutPath_->precisionVersion() == precision &&
                        cutPath_->ownersByOperation() == byOperation;
  if (samePath && cutPath_->toolsVersion() == tools) return false;
  const auto timed = timings_.time(Phase::ToolpathLoad, true);
  if (samePath) {
    if (cutPath_->chordTolerance() == tolerance) {
      std::shared_lock table(job_.toolTableLock);
      cutPath_->retool(job_.toolTable(), tools);
      return true;
    }
  }
  std::shared_lock table(job_.toolTableLock);
  cutPath_ = std::make_unique<stock::CutPath>(path, tolerance, precision, *job_.kinematics(), job_.toolTable(), tools,
                                              byOperation);
  return true;
}

bool StockStage::readyToCut(stock::StockModel& model, int64_t move, double fraction, bool removalChanged) {
  const stock::StockCutter& cutter = model.cutter();
  if (removalChanged || cutter.cutFromOther(*cutPath_) || cutter.needsRebuild(move, fraction)) {
    const auto timed = timings_.time(Phase::StockBuild, true);
    model.rebuild(limits_);
  }
  return model.built();
}

void StockStage::update(FrameState& frame) {
  std::unique_lock stockLock(lock_, std::try_to_lock);
  if (!stockLock.owns_lock()) {
    frame.deferred = true;
    return;
  }
  if (buildChanged()) frame.changed = true;
  const PlayedPosition& played = frame.played;
  if (scene_ && !played.toolpath) {
    collectPartCollisions();  // nothing is cut
    refreshEnhanced(frame);
  }
  if (!scene_ || !played.toolpath) return;
  if (refreshCutPath(played.toolpath)) {
    frame.changed = true;
    smallestRadius_ = smallestCuttingRadius(*cutPath_);
  }
  if (refreshRequested_.exchange(false)) {
    for (const auto& model : scene_->models())
      if (model->built() && model->description().definition.visible) model->markChanged();
    frame.changed = true;
  }
  const toolpath::PositionAtFraction& at = played.at;
  // What a cut takes changed: every stock is cut again from the start.
  const uint64_t removal = job_.stockRemoval.cutRevision();
  const bool removalChanged = removal != removalCut_;
  removalCut_ = removal;
  // Following whole moves, the move under way waits until played in full.
  const double fraction = job_.stockRemoval.record().followMode == 0 && at.fraction < 1.0 ? 0.0 : at.fraction;
  for (const auto& model : scene_->models()) {
    if (!stocksEnabled_.load() || !model->built() || !readyToCut(*model, at.move, fraction, removalChanged)) continue;
    checkFidelity(*model);
    auto timed = timings_.time(Phase::Cut, true);
    if (model->cutter().cutTo(model->grid(), *cutPath_, at.move, fraction, switches())) {
      model->markChanged();
      frame.changed = true;
    } else {
      timed.discard();
    }
  }
  // After cuts, rebuilds and removed stocks alike (a read-back only when
  // something was checked since the last).
  collectPartCollisions();
  refreshEnhanced(frame);
}

void StockStage::refreshEnhanced(FrameState& frame) {
  std::vector<uint32_t> refined;
  for (const auto& model : scene_->models())
    if (model->built() && model->description().definition.refine == 1) refined.push_back(model->identifier());
  if (refined.empty() && !enhanced_) return;
  EnhancedStocks& stocks = enhanced();
  stocks.sync(refined);
  stocks.runRequested();
  // The exact mesh is made once the playback rests: a playing stock changes
  // every frame.
  if (playback_.playing() || frame.deferred) return;
  for (const uint32_t identifier : refined) {
    const stock::StockModel* model = scene_->model(identifier);
    if (!model || !model->description().definition.visible) continue;
    if (enhanced().settled(identifier)) continue;
    enhanced().refresh(identifier);
    frame.changed = true;
  }
}

void StockStage::collectPartCollisions() {
  std::vector<stock::PartHit> all;
  for (const auto& model : scene_->models()) {
    // Hits of another cut path's records say nothing of this one's moves.
    if (!model->built() || !cutPath_ || model->cutter().cutFromOther(*cutPath_)) continue;
    const std::vector<stock::PartHit> hits = model->cutter().partHits(*cutPath_);
    std::vector<stock::PartHit> merged;
    std::merge(all.begin(), all.end(), hits.begin(), hits.end(), std::back_inserter(merged),
               [](const stock::PartHit& a, const stock::PartHit& b) { return a.move < b.move; });
    all.clear();
    for (const stock::PartHit& hit : merged) {
      if (!all.empty() && all.back().move == hit.move) {
        all.back().slots |= hit.slots;
        all.back().from = std::min(all.back().from, hit.from);
        all.back().to = std::max(all.back().to, hit.to);
      } else {
        all.push_back(hit);
      }
    }
  }
  partCollision_ = !all.empty();
  std::lock_guard lock(partCollisionMutex_);
  partCollisions_ = std::move(all);
}

std::vector<stock::PartHit> StockStage::partCollisions() const {
  std::lock_guard lock(partCollisionMutex_);
  return partCollisions_;
}

void StockStage::cutBatch(uint32_t first, uint32_t end, std::shared_ptr<const toolpath::Toolpath> path,
                          double timeFraction) {
  std::unique_lock stockLock(lock_);
  buildChanged();  // stocks defined in the same breath are built first
  if (!scene_ || !path || !stocksEnabled_.load()) return;
  if (refreshCutPath(path)) smallestRadius_ = smallestCuttingRadius(*cutPath_);
  const toolpath::PositionAtFraction at = path->positionAt(timeFraction, toolpath::Measure::Time);
  for (const auto& model : scene_->models()) {
    // Cuts of another cut path go first; the playback's own stay.
    if (!model->built()) continue;
    if (model->cutter().cutFromOther(*cutPath_)) {
      const auto timed = timings_.time(Phase::StockBuild, true);
      model->rebuild(limits_);
    }
    if (!model->built()) continue;
    checkFidelity(*model);
    const auto timed = timings_.time(Phase::Cut, true);
    model->cutter().cutBatch(model->grid(), *cutPath_, first, end, at.move, at.fraction, switches());
    model->markChanged();
  }
  collectPartCollisions();
}

void StockStage::resetCuts() {
  std::unique_lock stockLock(lock_);
  if (!scene_) return;
  const auto timed = timings_.time(Phase::StockBuild, true);
  for (const auto& model : scene_->models()) {
    if (!model->built()) continue;
    model->rebuild(limits_);
    model->markChanged();
  }
  collectPartCollisions();
}

bool StockStage::anyStockEnabled() {
  if (!stocksEnabled_.load()) return false;
  std::shared_lock lock(lock_);
  return scene_ && !scene_->models().empty();
}

bool StockStage::anyStockPending() {
  std::shared_lock lock(lock_);
  if (busy()) return true;
  if (!scene_) return false;
  const auto& models = scene_->models();
  return std::any_of(models.begin(), models.end(), [](const auto& model) { return !model->built(); });
}

void StockStage::checkFidelity(const stock::StockModel& model) {
  const uint32_t identifier = model.identifier();
  const double cell = model.grid().frame().exactCellSize;
  auto known = std::find_if(checked_.begin(), checked_.end(), [&](const Checked& c) { return c.identifier == identifier; });
  if (known != checked_.end() && known->build == model.buildCount() && known->cutPath == cutPath_->serial()) return;
  if (known == checked_.end()) known = checked_.insert(checked_.end(), Checked{identifier, 0, 0});
  known->build = model.buildCount();
  known->cutPath = cutPath_->serial();
  std::lock_guard lock(fidelityMutex_);
  std::erase_if(cellSizes_, [&](const auto& entry) { return entry.first == identifier; });
  cellSizes_.emplace_back(identifier, cell);
  if (smallestRadius_ > 0 && cell > kCellPerRadius * smallestRadius_) tooCoarse_.push_back(identifier);
}

std::vector<uint32_t> StockStage::takeTooCoarse() {
  std::lock_guard lock(fidelityMutex_);
  return std::exchange(tooCoarse_, {});
}

double StockStage::cellSize(uint32_t identifier) const {
  std::lock_guard lock(fidelityMutex_);
  for (const auto& [id, cell] : cellSizes_)
    if (id == identifier) return cell;
  return 0;
}

camera::SceneBox StockStage::sceneBox() const {
  camera::SceneBox box;
  if (!scene_) return box;
  const glm::dmat3 toDisplay = job_.displayFrame();
  for (const auto& model : scene_->models()) {
    const stock::StockDescription& description = model->description();
    if (!description.shape || !description.definition.visible) continue;
    const stock::StockBox bounds = stock::boundsOf(*description.shape);
    box.include(camera::displayBox(bounds.min, bounds.max, toDisplay));
  }
  return box;
}

void StockStage::draw(const SceneDraw& scene) {
  const camera::Camera::DrawState& camera = scene.camera;
  if (!scene_) return;
  if (!drawing_) drawing_ = std::make_unique<stock::StockDrawing>();
  glEnable(GL_DEPTH_TEST);
  const glm::mat4 toDisplay(job_.displayFrame());
  compare_.beginFrame();
  look_.vertexNormals = job_.stockRemoval.record().smoothShading != 0;
  for (const auto& model : scene_->models()) {
    const stock::StockDefinition& definition = model->description().definition;
    if (!model->built() || !definition.visible) continue;
    stock::StockLook look = lookOf(*model);
    look.cuttingPlane = scene.cuttingPlane;
    stock::SurfaceExtraction& surface = playedSurface(*model);
    if (compare_.draw(*model, *drawing_, scene, look, &stop_)) continue;
    if (const stock::SolidMesh* exact = definition.refine == 1 ? enhanced().shown(model->identifier()) : nullptr) {
      drawing_->drawStockMesh(*exact, toDisplay, camera, look);
      continue;
    }
    drawing_->drawStockCubes(surface, model->grid().frame(), camera, toDisplay, look, &stop_);
  }
}

std::optional<float> StockStage::compareDistanceAt(const SceneDraw& scene, int width, int height, int x, int y) {
  if (!drawing_) return std::nullopt;
  return compare_.distanceAt(*drawing_, scene, width, height, x, y);
}

stock::SurfaceMesh StockStage::solidMesh(uint32_t solid, const std::function<void(uint32_t)>& progress) {
  stock::StockModel* model = scene_ ? scene_->model(solid) : nullptr;
  if (!model || !model->built()) return {};
  if (refinedModel(solid)) {
    // Refined: the exact mesh, made within the export's first half.
    std::optional<stock::SurfaceMesh> exact = enhanced().surfaceFor(solid, [](int) {});
    progress(50);
    if (exact) return std::move(*exact);
  }
  stock::SurfaceExtraction& surface = playedSurface(*model);
  progress(50);
  const auto timed = timings_.time(Phase::Weld, true);
  stock::SurfaceMesh mesh = surface.weldedMesh(model->grid().frame());
  platform::returnFreeMemory();  // the vertex map's blocks
  return mesh;
}

stock::SurfaceExtraction& StockStage::playedSurface(stock::StockModel& model) {
  if (cutPath_ && model.cutter().unsettled()) {
    const auto timed = timings_.time(Phase::Cut, true);
    model.cutter().settle(model.grid(), *cutPath_, switches());
  }
  if (!model.surfaceStale()) return model.surface(&stop_);
  const auto timed = timings_.time(Phase::Extraction, true);
  return model.surface(&stop_);
}

void StockStage::release() {
  checked_.clear();
  {
    std::lock_guard lock(fidelityMutex_);
    cellSizes_.clear();
  }
  // Host calls may still walk the stock list (questions on a view whose
  // window closed): it goes under the lock.
  std::unique_lock stockLock(lock_);
  compare_.release();
  enhanced_.reset();
  drawing_.reset();
  cutPath_.reset();
  {
    std::lock_guard lock(partCollisionMutex_);
    partCollisions_.clear();
    partCollision_ = false;
  }
  if (scene_) scene_->release();
  scene_.reset();
  revisionBuilt_ = 0;
}

}  // namespace view
