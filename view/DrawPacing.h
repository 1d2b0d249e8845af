#pragma once
// How often a playing view draws. Playback moves the position by at most a
// fixed share of the job per frame, so a frame that takes long makes the
// whole job take long. Where drawing the stock costs more than cutting it
// (a software renderer shading hundreds of thousands of cubes), a playing
// view therefore draws only once the time since its last picture is twice
// what that picture took: drawing gets at most a third of the time, the cut
// runs at nearly its own speed and the picture follows a few times a
// second. On a GPU a picture takes a millisecond and every frame draws.
// A view that is not playing draws every frame, so that navigation never
// waits.
namespace view {

class DrawPacing {
 public:
  // Milliseconds of the view's clock.
  bool shouldDraw(double now, bool playing) const {
    return !playing || now - lastEnd_ >= kRestPerDrawing * lastCost_;
  }
  void drew(double start, double end) {
    lastEnd_ = end;
    lastCost_ = end - start;
  }

 private:
  static constexpr double kRestPerDrawing = 2.0;
  double lastEnd_ = 0, lastCost_ = 0;
};

}  // namespace view
