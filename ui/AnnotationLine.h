#pragma once
// Draws the measured line of an Annotation over the scene, before the
// interface's records (which carry its markers and label): a band two
// pixels wide in the theme's measuring colour. Render thread only; the GL
// state it changes comes back.
#include "gpu/GL.h"
#include "ui/Annotation.h"

namespace UI {

class AnnotationLine {
 public:
  AnnotationLine() = default;
  AnnotationLine(const AnnotationLine&) = delete;
  AnnotationLine& operator=(const AnnotationLine&) = delete;

  // framebuffer: the window's size in pixels.
  void draw(const Annotation& annotation, int framebufferWidth, int framebufferHeight);
  void release();

  static constexpr float kWidthPixels = 2.0f;

 private:
  GLuint array_ = 0, buffer_ = 0, program_ = 0;
};

}  // namespace UI
