#include "view/StockCompareView.h"

#include "view/Picking.h"

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
  if (!comparison->update(model, *shape, stop, progress)) return false;
  look.compare = job_.stockCompare.look();
  drawing.drawStockMesh(comparison->mesh(), glm::mat4(job_.displayFrame()), scene.camera, look);
  drawn_.push_back({comparison.get(), look});
  return true;
}

std::optional<float> StockCompareView::distanceAt(stock::StockDrawing& drawing, const SceneDraw& scene, int width,
                                                  int height, int x, int y) {
  if (drawn_.empty() || x < 0 || y < 0 || x >= width || y >= height) return std::nullopt;
  GLint framebuffer = 0, viewport[4] = {};
  glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &framebuffer);
  glGetIntegerv(GL_VIEWPORT, viewport);
  const GLboolean depthTest = glIsEnabled(GL_DEPTH_TEST), blend = glIsEnabled(GL_BLEND), cull = glIsEnabled(GL_CULL_FACE);
  std::optional<float> distance;
  if (readout_.begin()) {
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    // The pixel under the cursor fills the one-pixel target.
    const glm::mat4 narrowed = Picking::narrowing({x, height - 1 - y, 1, 1}, width, height);
    camera::Camera::DrawState camera = scene.camera;
    camera.camHi = narrowed * camera.camHi;
    camera.camLo = narrowed * camera.camLo;
    for (const Drawn& d : drawn_)
      drawing.drawStockMesh(d.comparison->mesh(), glm::mat4(job_.displayFrame()), camera, d.look);
    distance = readout_.read();
  }
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(framebuffer));
  glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
  (depthTest ? glEnable : glDisable)(GL_DEPTH_TEST);
  (blend ? glEnable : glDisable)(GL_BLEND);
  (cull ? glEnable : glDisable)(GL_CULL_FACE);
  return distance;
}

void StockCompareView::release() {
  drawn_.clear();
  readout_.release();
  for (auto& [identifier, comparison] : stocks_) comparison->release();
  stocks_.clear();
  design_.reset();
  geometryRevision_ = ~0ull;
}

}  // namespace view
