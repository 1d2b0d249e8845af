#include "gpu/TextureTarget.h"

namespace gpu {

namespace {

void texture(GLuint name, GLenum format, GLenum layout, GLenum type, int width, int height) {
  glBindTexture(GL_TEXTURE_2D, name);
  glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), width, height, 0, layout, type, nullptr);
  // One texel per pixel: nearest, no mipmaps.
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
}

}  // namespace

bool TextureTarget::bind(int width, int height) {
  if (width <= 0 || height <= 0) return false;
  glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &previousFramebuffer_);
  glGetIntegerv(GL_VIEWPORT, previousViewport_);
  if (!framebuffer_ || width != width_ || height != height_) {
    if (!framebuffer_) {
      glGenFramebuffers(1, &framebuffer_);
      glGenTextures(2, textures_);
    }
    texture(textures_[0], GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, width, height);
    texture(textures_[1], GL_DEPTH_COMPONENT32F, GL_DEPTH_COMPONENT, GL_FLOAT, width, height);
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, textures_[0], 0);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, textures_[1], 0);
    complete_ = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    width_ = width;
    height_ = height;
  }
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  glViewport(0, 0, width, height);
  if (!complete_) unbind();
  return complete_;
}

void TextureTarget::unbind() {
  glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(previousFramebuffer_));
  glViewport(previousViewport_[0], previousViewport_[1], previousViewport_[2], previousViewport_[3]);
}

void TextureTarget::release() {
  if (framebuffer_) glDeleteFramebuffers(1, &framebuffer_);
  if (textures_[0]) glDeleteTextures(2, textures_);
  framebuffer_ = textures_[0] = textures_[1] = 0;
  width_ = height_ = 0;
  complete_ = false;
}

}  // namespace gpu
