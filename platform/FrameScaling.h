#pragma once
// The offscreen host mode may draw at a multiple of the host window's size
// (the render scale) for smoother edges; each read-back frame is brought to
// the host window's size before it is shown.
#include <cstdint>
#include <span>

namespace platform {

// The render scale a view draws at in the offscreen host mode: the
// administrator's setting when above 0 (at most 4), else 1. The X server
// never scales a window's pixels behind the application's back, so the
// automatic choice has nothing to make up for.
float offscreenRenderScale(float setting);

// The framebuffer edge for a window edge at that scale: to the nearest
// pixel, at least 1.
int scaledEdge(int edge, float scale);

// Turns a bottom-up BGRA image (4 bytes a pixel, rows packed) of
// sourceWidth x sourceHeight into a top-down one of width x height. Each
// target pixel is the mean of the source pixels its area covers, or the
// nearest one where the target is the larger. target holds width * height
// * 4 bytes.
void flipAndResample(std::span<const uint8_t> source, int sourceWidth, int sourceHeight, std::span<uint8_t> target,
                     int width, int height);

}  // namespace platform
