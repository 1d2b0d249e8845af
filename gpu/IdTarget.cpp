#include "gpu/IdTarget.h"

#include <cstddef>

namespace gpu {

bool IdTarget::ensure(int width, int height) {
  if (width <= 0 || height <= 0) return false;
  if (framebuffer_ != 0 && width == width_ && height == height_) return complete_;
  release();
  GLint previousDraw = 0, previousRead = 0;
  glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &previousDraw);
  glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &previousRead);
  glGenFramebuffers(1, &framebuffer_);
  glGenRenderbuffers(1, &colour_);
  glGenRenderbuffers(1, &depth_);
  glBindRenderbuffer(GL_RENDERBUFFER, colour_);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_R32UI, width, height);
  glBindRenderbuffer(GL_RENDERBUFFER, depth_);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
  glBindRenderbuffer(GL_RENDERBUFFER, 0);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_);
  complete_ = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(previousDraw));
  glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(previousRead));
  width_ = width;
  height_ = height;
  return complete_;
}

std::vector<uint32_t> IdTarget::read(int x, int y, int width, int height) const {
  std::vector<uint32_t> ids(static_cast<size_t>(width) * height, 0xFFFFFFFFu);
  if (!complete_ || width <= 0 || height <= 0) return ids;
  GLint previous = 0;
  glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &previous);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glReadPixels(x, y, width, height, GL_RED_INTEGER, GL_UNSIGNED_INT, ids.data());
  glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(previous));
  return ids;
}

void IdTarget::release() {
  if (framebuffer_ != 0) glDeleteFramebuffers(1, &framebuffer_);
  if (colour_ != 0) glDeleteRenderbuffers(1, &colour_);
  if (depth_ != 0) glDeleteRenderbuffers(1, &depth_);
  framebuffer_ = colour_ = depth_ = 0;
  width_ = height_ = 0;
  complete_ = false;
}

}  // namespace gpu
