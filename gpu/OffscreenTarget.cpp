#include "gpu/OffscreenTarget.h"

#include <cstddef>

namespace gpu {

OffscreenTarget::OffscreenTarget(int width, int height) : width_(width), height_(height) {
  glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &previousFramebuffer_);
  glGetIntegerv(GL_VIEWPORT, previousViewport_);
  glGenFramebuffers(1, &framebuffer_);
  glGenRenderbuffers(2, renderbuffers_);
  glBindRenderbuffer(GL_RENDERBUFFER, renderbuffers_[0]);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
  glBindRenderbuffer(GL_RENDERBUFFER, renderbuffers_[1]);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
  glBindRenderbuffer(GL_RENDERBUFFER, 0);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, renderbuffers_[0]);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, renderbuffers_[1]);
  complete_ = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  glViewport(0, 0, width, height);
}

OffscreenTarget::~OffscreenTarget() {
  glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(previousFramebuffer_));
  glViewport(previousViewport_[0], previousViewport_[1], previousViewport_[2], previousViewport_[3]);
  glDeleteRenderbuffers(2, renderbuffers_);
  glDeleteFramebuffers(1, &framebuffer_);
}

std::vector<uint8_t> OffscreenTarget::readPixels() const {
  std::vector<uint8_t> pixels(std::size_t(width_) * height_ * 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
  return pixels;
}

}  // namespace gpu
