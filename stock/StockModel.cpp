#include "stock/StockModel.h"

#include <algorithm>
#include <cstring>
#include <tuple>
#include <variant>

namespace stock {

void StockModel::build(const StockDescription& description, const gpu::DeviceLimits& limits) {
  description_ = description;
  revision_ = description.revision;
  built_ = false;
  markChanged();
  if (!description.shape || !description.plan) {
    release();
    return;
  }
  const GridPlan& plan = *description.plan;
  secondGrid_.setFrame(plan.secondFrame);
  if (!grid_.setUp(plan.box, plan.budget.cells, limits)) return;
  surface_.setBufferLimit(limits.maxStorageBlockBytes);
  tolerance_ = std::min(2 * grid_.frame().exactCellSize, 0.02);
  const StockShape& shape = *description.shape;
  if (const auto* box = std::get_if<BoxShape>(&shape)) {
    solidCreator_.create(grid_, *box);
    built_ = true;
  } else if (const auto* cylinder = std::get_if<CylinderShape>(&shape)) {
    solidCreator_.create(grid_, *cylinder);
    built_ = true;
  } else {
    if (!meshCreator_) meshCreator_ = std::make_unique<MeshStockCreator>();
    built_ = meshCreator_->create(grid_, std::get<MeshShape>(shape));
  }
  grid_.clearGridChanged();
  cutter_.reset();
  ++buildCount_;
}

SurfaceExtraction& StockModel::surface(const std::atomic<bool>* stop) {
  if (built_ && extracted_ != contents_ && surface_.extract(grid_, false, stop)) extracted_ = contents_;
  return surface_;
}

void StockModel::restyle(const StockDescription& description) {
  description_ = description;
  revision_ = description.revision;
}

namespace {

// What of a definition makes its lattice: everything but the colour and
// whether it is shown.
bool sameSolidDefinition(const StockDefinition& a, const StockDefinition& b) {
  auto solid = [](const StockDefinition& d) {
    return std::tie(d.identifier, d.kind, d.boxMin, d.boxMax, d.cylinderBase, d.cylinderAxis, d.cylinderLength,
                    d.outerDiameter, d.boreDiameter, d.placement, d.meshGeometry, d.meshPath, d.meshPathScale,
                    d.limitToBox, d.precision, d.quality, d.level, d.refine);
  };
  return solid(a) == solid(b) && std::memcmp(&a.given, &b.given, sizeof a.given) == 0;
}

bool sameShape(const std::optional<StockShape>& a, const std::optional<StockShape>& b) {
  if (a.has_value() != b.has_value()) return false;
  if (!a) return true;
  // Boxes and cylinders follow from the record but for the workpiece
  // placement; a mesh is compared by its triangles, since a geometry of the
  // same name may have been replaced.
  if (a->index() != b->index()) return false;
  if (const auto* boxA = std::get_if<BoxShape>(&*a)) return boxA->placement == std::get<BoxShape>(*b).placement;
  if (const auto* cylinderA = std::get_if<CylinderShape>(&*a)) {
    const CylinderShape& cylinderB = std::get<CylinderShape>(*b);
    return cylinderA->from == cylinderB.from && cylinderA->to == cylinderB.to;
  }
  const auto* meshA = std::get_if<MeshShape>(&*a);
  const auto* meshB = std::get_if<MeshShape>(&*b);
  if (meshA->placement != meshB->placement || meshA->limitToBox != meshB->limitToBox) return false;
  if (meshA->mesh == meshB->mesh) return true;
  return meshA->mesh && meshB->mesh && meshA->mesh->positions == meshB->mesh->positions &&
         meshA->mesh->triangles == meshB->mesh->triangles;
}

}  // namespace

bool sameMaterial(const StockDescription& a, const StockDescription& b) {
  return sameSolidDefinition(a.definition, b.definition) && sameShape(a.shape, b.shape);
}

void StockModel::release() {
  surface_ = SurfaceExtraction();
  ++contents_;
  cutter_.release();
  grid_.releaseBuffers();
  secondGrid_.releaseBuffers();
  meshCreator_.reset();
  built_ = false;
}

void StockScene::sync(const std::vector<StockDescription>& stocks, const gpu::DeviceLimits& limits) {
  std::erase_if(models_, [&](const std::unique_ptr<StockModel>& model) {
    const bool kept = std::any_of(stocks.begin(), stocks.end(), [&](const StockDescription& s) {
      return s.definition.identifier == model->identifier();
    });
    if (!kept) model->release();
    return !kept;
  });
  for (const StockDescription& stock : stocks) {
    StockModel* existing = model(stock.definition.identifier);
    if (!existing) existing = models_.emplace_back(std::make_unique<StockModel>(stock.definition.identifier)).get();
    if (existing->revision() == stock.revision) continue;
    // A record sent again unchanged asks for the uncut stock once more.
    const StockDefinition& before = existing->description().definition;
    const bool looksChanged =
        before.colour != stock.definition.colour || before.visible != stock.definition.visible;
    if (existing->built() && looksChanged && sameMaterial(existing->description(), stock))
      existing->restyle(stock);
    else
      existing->build(stock, limits);
  }
}

StockModel* StockScene::model(uint32_t identifier) {
  for (auto& model : models_)
    if (model->identifier() == identifier) return model.get();
  return nullptr;
}

void StockScene::release() {
  for (auto& model : models_) model->release();
  models_.clear();
}

}  // namespace stock
