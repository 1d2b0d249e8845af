#include "gpu/ValueTarget.h"

#include <cmath>

namespace gpu {

bool ValueTarget::begin() {
  if (framebuffer_ == 0) {
    glGenFramebuffers(1, &framebuffer_);
    glGenRenderbuffers(1, &colour_);
    glGenRenderbuffers(1, &depth_);
    glBindRenderbuffer(GL_RENDERBUFFER, colour_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_R32F, 1, 1);
    glBindRenderbuffer(GL_RENDERBUFFER, depth_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, 1, 1);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer_);
    glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_);
    glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_);
    // Output 1 only: the shaded colour of output 0 has no place here.
    const GLenum outputs[2] = {GL_NONE, GL_COLOR_ATTACHMENT0};
    glDrawBuffers(2, outputs);
    complete_ = glCheckFramebufferStatus(GL_DRAW_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  }
  if (!complete_) return false;
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer_);
  glViewport(0, 0, 1, 1);
  const GLfloat nothing[4] = {NAN, 0, 0, 0};
  glClearBufferfv(GL_COLOR, 1, nothing);
  const GLfloat far = 1.0f;
  glClearBufferfv(GL_DEPTH, 0, &far);
  return true;
}

std::optional<float> ValueTarget::read() const {
  if (!complete_) return std::nullopt;
  GLint previous = 0;
  glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &previous);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  float value = NAN;
  glReadPixels(0, 0, 1, 1, GL_RED, GL_FLOAT, &value);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(previous));
  if (std::isnan(value)) return std::nullopt;
  return value;
}

void ValueTarget::release() {
  if (framebuffer_ != 0) glDeleteFramebuffers(1, &framebuffer_);
  if (colour_ != 0) glDeleteRenderbuffers(1, &colour_);
  if (depth_ != 0) glDeleteRenderbuffers(1, &depth_);
  framebuffer_ = colour_ = depth_ = 0;
  complete_ = false;
}

}  // namespace gpu
