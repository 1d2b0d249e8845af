#pragma once
// The playback bar at the bottom of the window: the timeline (one coloured
// segment per operation, the value the playback position), a row of eleven
// step buttons with Play/Pause in the middle, and the speed slider with the
// rate it gives. The normal row steps by Z level; the alternate one (turning
// jobs, where Z levels say nothing) by operation. The owner feeds it the
// played position, the play state and the segments, and hears what the
// user did through the callbacks.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ui/ControlButton.h"
#include "ui/DualSlider.h"
#include "ui/Slider.h"
#include "ui/StringTable.h"
#include "ui/Text.h"
#include "ui/Theme.h"
#include "ui/UIElement.h"

namespace UI {

class Navigation : public UIElement {
 public:
  Navigation(UIContext* context, const Theme* theme, const StringTable* texts, double speedNeutral,
             double speedSecondMark);

  Slider& timeline() { return timeline_; }
  DualSlider& speed() { return speed_; }
  // The buttons of the layout in force, left to right.
  const std::vector<ControlButton*>& buttons() const { return shown_; }
  ControlButton* buttonFor(uint16_t hintEntry);
  bool alternateLayout() const { return alternate_; }
  void setAlternateLayout(bool alternate);
  void setPlaying(bool playing);
  void setRateText(const std::u16string& text);
  const std::u16string& rateText() const { return rate_.text(); }
  // The hint of the button under the cursor; empty when none.
  const std::u16string& hintText() const { return hint_.text(); }

  // A step button: the playback step code (SIM_GotoCommand's); Play/Pause.
  std::function<void(uint32_t code)> onStep;
  std::function<void()> onPlayPause;

  void collect(std::vector<UIInstance>& records, bool snap = false) override;

  static constexpr float kWidth = 700, kHeight = 70, kButtonSpacing = 32, kFirstButton = -160;
  static constexpr float kSpeedWidth = 110;

 private:
  void placeButtons();

  const Theme* theme_;
  const StringTable* texts_;
  Slider timeline_;
  DualSlider speed_;
  std::vector<std::unique_ptr<ControlButton>> all_;
  std::vector<ControlButton*> shown_;
  ControlButton* playPause_ = nullptr;
  bool alternate_ = false;
  Text rate_, hint_;
};

}  // namespace UI
