// The view's camera on the render thread: standard views about the scene,
// kept until there is a scene, the per-frame clip planes and transition,
// and the stocks drawn with it.
#include <algorithm>

#include "camera/DisplayFrame.h"
#include "gpu/OffscreenTarget.h"
#include "stock/StockModel.h"
#include "view/Render.h"

camera::SceneBox Render::sceneBox() {
  camera::SceneBox box;
  if (!stockScene_) return box;
  const glm::dmat3 toDisplay = camera::defaultAxisTransformation();
  for (const auto& model : stockScene_->models()) {
    if (!model->description().shape || !model->description().record.visible) continue;
    const stock::StockBox bounds = stock::boundsOf(*model->description().shape);
    const camera::SceneBox part = camera::displayBox(bounds.min, bounds.max, toDisplay);
    if (!part.valid()) continue;
    box.min = glm::min(box.min, part.min);
    box.max = glm::max(box.max, part.max);
  }
  return box;
}

void Render::requestView(int32_t code) {
  queueRequest([this, code] { applyView(code); });
}

void Render::markPositioned() {
  positioned_ = true;
  queueRequest([this] { keptView_ = -1; });
}

void Render::applyView(int32_t code) {
  const camera::SceneBox box = sceneBox();
  if (!box.valid() && !positioned_) {
    keptView_ = code;
    return;
  }
  keptView_ = -1;
  if (camera_.setView(static_cast<camera::StandardView>(code), box, true)) positioned_ = true;
  requestRedraw();
}

void Render::updateCamera() {
  const camera::SceneBox box = sceneBox();
  if (keptView_ >= 0 && box.valid()) applyView(keptView_);
  camera_.updateForScene(box, std::min(frameTimeRatio_.load(), 1.0));
  if (camera_.transitionRunning()) requestRedraw();
}

void Render::drawStocks() {
  if (!stockScene_) return;
  if (!stockDrawing_) stockDrawing_ = std::make_unique<stock::StockDrawing>();
  glEnable(GL_DEPTH_TEST);
  const glm::mat4 toDisplay(camera::defaultAxisTransformation());
  for (const auto& model : stockScene_->models()) {
    const SIM_StockRecord& record = model->description().record;
    if (!model->built() || !record.visible) continue;
    // Material never cut shows the stock's own colour.
    stock::StockLook look = stockLook_;
    auto byte = [](float c) { return static_cast<uint8_t>(std::clamp(c, 0.0f, 1.0f) * 255.0f + 0.5f); };
    look.colours[0] = look.colours[2] = stock::packRgba(byte(record.colour[0]), byte(record.colour[1]), byte(record.colour[2]));
    stockDrawing_->drawStockCubes(model->surface(), model->grid().frame(), camera_.drawState(), toDisplay, look);
  }
}

std::vector<uint8_t> Render::renderImage(int width, int height) {
  if (width <= 0 || height <= 0) return {};
  const gpu::OffscreenTarget target(width, height);
  if (!target.complete()) return {};
  // The camera frames the image as it would a window of that size.
  camera_.setViewport(width, height);
  glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  drawStocks();
  camera_.setViewport(framebufferWidth_.load(), framebufferHeight_.load());
  return target.readPixels();
}
