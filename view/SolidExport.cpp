// Stock solids written out as STL: the export thread asks the render thread
// for the surface, which only it may extract, once the frame has cut the
// stock up to the position the host last set.
#include <memory>

#include "stock/StockModel.h"
#include "view/Fulfil.h"
#include "view/Render.h"

bool Render::exportSolid(uint32_t solid, std::string path) {
  const double factor = 1.0 / job_.units.scale.load();
  auto requestMesh = [this, solid](std::function<void(uint32_t)> progress) {
    auto promise = std::make_shared<std::promise<stock::SurfaceMesh>>();
    std::future<stock::SurfaceMesh> mesh = promise->get_future();
    queueRequestAfterCut(
        [this, solid, promise, progress] { view::fulfil(*promise, [&] { return solidMesh(solid, progress); }); });
    return mesh;
  };
  auto progress = [this](uint32_t percent) {
    notifier_.notify(SIM_MESSAGE_NOTIFY, SIM_EVENT_EXPORT_PROGRESS, percent, true);
  };
  return solidExports_.start(solid, std::move(path), factor, std::move(requestMesh), std::move(progress));
}

stock::SurfaceMesh Render::solidMesh(uint32_t solid, const std::function<void(uint32_t)>& progress) {
  stock::StockModel* model = stockScene_ ? stockScene_->model(solid) : nullptr;
  if (!model || !model->built()) return {};
  stock::SurfaceExtraction& surface = model->surface();
  progress(50);
  return surface.weldedMesh(model->grid().frame());
}
