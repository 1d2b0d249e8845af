#include "view/StockCompareView.h"

namespace view {

const std::optional<stock::Design>& StockCompareView::design() {
  const uint64_t revision = job_.stocks.geometryRevision();
  if (revision == geometryRevision_) return design_;
  geometryRevision_ = revision;
  design_.reset();
  for (const stock::Geometry& geometry : job_.stocks.geometries()) {
    if (geometry.role != SIM_GEOMETRY_WORKPIECE) continue;
    auto mesh = std::make_shared<stock::StockMesh>(stock::StockMesh::fromTriangleSoup(geometry.triangleSoup()));
    if (mesh->empty()) break;
    design_ = stock::Design{std::move(mesh), revision, job_.stocks.workpiecePlacement() * geometry.placement()};
    break;
  }
  return design_;
}

bool StockCompareView::draw(stock::StockModel& model, stock::StockDrawing& drawing, const SceneDraw& scene,
                            stock::StockLook look, const std::atomic<bool>* stop) {
  if (!job_.stockCompare.shown()) return false;
  const std::optional<stock::Design>& shape = design();
  if (!shape) return false;
  std::unique_ptr<stock::StockComparison>& comparison = stocks_[model.identifier()];
  if (!comparison) comparison = std::make_unique<stock::StockComparison>();
  if (!comparison->update(model, *shape, stop)) return false;
  look.compare = job_.stockCompare.look();
  drawing.drawStockMesh(comparison->mesh(), glm::mat4(job_.displayFrame()), scene.camera, look);
  return true;
}

void StockCompareView::release() {
  for (auto& [identifier, comparison] : stocks_) comparison->release();
  stocks_.clear();
  design_.reset();
  geometryRevision_ = ~0ull;
}

}  // namespace view
