// The view's camera on the render thread: standard views about the scene,
// kept until there is a scene, the per-frame clip planes and transition,
// and the stocks drawn with it.
#include "camera/DisplayFrame.h"
#include "stock/StockModel.h"
#include "view/Render.h"

camera::SceneBox Render::sceneBox() {
  camera::SceneBox box;
  if (!stockScene_) return box;
  const glm::dmat3 toDisplay = camera::defaultAxisTransformation();
  for (const auto& model : stockScene_->models()) {
    if (!model->description().shape) continue;
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
    if (!model->built()) continue;
    stockDrawing_->drawStockCubes(model->surface(), model->grid().frame(), camera_, toDisplay, stockLook_);
  }
}

std::vector<uint8_t> Render::renderImage(int width, int height) {
  std::vector<uint8_t> pixels;
  if (width <= 0 || height <= 0) return pixels;
  GLuint framebuffer = 0, renderbuffers[2] = {0, 0};
  glGenFramebuffers(1, &framebuffer);
  glGenRenderbuffers(2, renderbuffers);
  glBindRenderbuffer(GL_RENDERBUFFER, renderbuffers[0]);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
  glBindRenderbuffer(GL_RENDERBUFFER, renderbuffers[1]);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
  glBindRenderbuffer(GL_RENDERBUFFER, 0);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, renderbuffers[0]);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, renderbuffers[1]);
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE) {
    // The camera frames the image as it would a window of that size.
    camera_.setViewport(width, height);
    glViewport(0, 0, width, height);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawStocks();
    pixels.resize(size_t(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    camera_.setViewport(framebufferWidth_.load(), framebufferHeight_.load());
    glViewport(0, 0, framebufferWidth_.load(), framebufferHeight_.load());
  }
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glDeleteRenderbuffers(2, renderbuffers);
  glDeleteFramebuffers(1, &framebuffer);
  return pixels;
}
