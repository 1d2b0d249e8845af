#pragma once
// The playback timeline: a horizontal track whose value 0..1 is the
// position, divided into coloured segments (one per operation; a single
// segment or no colours give thin marks instead), zoomed by the wheel
// about the value so that a long program can be placed finely, with ruler
// ticks that refine as it zooms. A press on the track moves the value there
// and drags the dot in the same gesture. The owner sizes the slider, reads
// its value after each frame pass and writes back what playback did.
#include <cstdint>
#include <array>
#include <memory>
#include <vector>

#include "ui/SliderContent.h"
#include "ui/SliderInterace.h"
#include "ui/Theme.h"
#include "ui/UIElement.h"

namespace UI {

class Slider : public UIElement, public SliderInterace {
 public:
  Slider(UIContext* context, const Theme* theme, float baseHeight = 4);

  // -1 before the first setValue.
  double value() const { return value_; }
  // With steps n > 0 the value goes to the nearest multiple of 1/n.
  void setValue(double v);
  int steps = 0;
  bool zoomable = true;
  float zoom() const { return zoom_; }
  float trackHeight() const { return trackHeight_; }
  float baseHeight() const { return baseHeight_; }
  // Where the strip's left end lies, in fractions of the slider (0 at zoom
  // 1, never above 0, and the right end never inside).
  float contentLeft() const { return left_; }

  // Cumulative segment ends (the last is the total), their palette and one
  // colour index per segment (coloured only with an index for each of more
  // than one segment).
  void setSegments(const std::vector<double>& ends, std::vector<Colour> palette, std::vector<uint8_t> colours);
  const std::vector<float>& boundaries() const { return boundaries_; }
  bool segmentsColoured() const { return coloured_; }
  const UIElement& segment(size_t i) const { return *segments_[i]; }
  size_t segmentCount() const { return segments_.size(); }
  const UIElement& highlight() const { return highlight_; }
  // The playback range, marked by a bar at each end unless it is the whole
  // strip.
  void setRange(double lo, double hi);
  const std::array<UIElement, 2>& rangeMarks() const { return rangeMarks_; }

  SliderContent& content() { return content_; }
  const SliderDot& dot() const { return content_.dot(); }
  void setEnabled(bool enabled) { content_.enabled = enabled; }

  void onPressInside() override;
  // The wheel over the dot reaches the slider through the dot as well:
  // one step a frame counts once.
  void onScrollInside(double delta) override { wheel(delta); }
  void onDotDrag() override;
  void onDotScroll(double delta) override { wheel(delta); }
  void collect(std::vector<UIInstance>& records, bool snap = false) override;

  static constexpr float kMinZoom = 1, kMaxZoom = 10000;

 private:
  // Zooms about the value, or moves it when not zoomable.
  void wheel(double delta);
  void layout();
  void placeContent();

  const Theme* theme_;
  SliderContent content_;
  bool wheeled_ = false;  // this frame's wheel is taken
  double value_ = -1;
  float zoom_ = 1, baseHeight_, trackHeight_;
  float left_ = 0;
  std::vector<float> boundaries_;
  std::vector<Colour> palette_;
  std::vector<uint8_t> colours_;
  std::vector<std::unique_ptr<UIElement>> segments_;
  bool coloured_ = false;
  UIElement highlight_;
  double rangeLo_ = 0, rangeHi_ = 1;
  std::array<UIElement, 2> rangeMarks_;
};

}  // namespace UI
