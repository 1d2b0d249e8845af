#pragma once
// Draws the view cube and the gnomon's axes of a Gnomon element into their
// squares of the window, before the interface's records (which carry the
// labels). Render thread only; the GL state it changes comes back.
#include "gpu/GL.h"
#include "ui/Gnomon.h"

namespace UI {

class OrientationDrawing {
 public:
  OrientationDrawing() = default;
  OrientationDrawing(const OrientationDrawing&) = delete;
  OrientationDrawing& operator=(const OrientationDrawing&) = delete;

  // framebuffer: the window's size in pixels.
  void draw(const Gnomon& gnomon, const Theme& theme, int framebufferWidth, int framebufferHeight);
  void release();

 private:
  void makeBuffers();

  GLuint cubeArray_ = 0, cubeBuffer_ = 0, axesArray_ = 0, axesBuffer_ = 0;
  GLuint cubeProgram_ = 0, axesProgram_ = 0;
};

}  // namespace UI
