#pragma once
// The compare as the interface shows and changes it: the panels' colours,
// range and switches go to the job's compare setting (the range from the
// host's units), and each frame the panels and the legend are given the
// setting with the distance under the cursor. Render thread.
#include <functional>
#include <optional>

#include "ui/ColorPicker.h"
#include "ui/CompareValues.h"
#include "ui/RibbonState.h"
#include "view/InterfaceFrame.h"
#include "view/JobData.h"

namespace view {

// The setting as the panels show it: limits and distance in host units.
UI::CompareValues compareValuesOf(const JobData& job, std::optional<float> distanceMm);

class CompareFollower {
 public:
  using Chooser = std::function<UI::ColorPicker::Answer(const UI::Colour&)>;
  // Wires the frame's compare panels; redraw asks for a new picture.
  void link(InterfaceFrame& frame, JobData& job, UI::RibbonState* ribbon, Chooser chooser,
            std::function<void()> redraw);
  // Gives the panels what they show when it changed.
  void follow(InterfaceFrame& frame, const JobData& job, std::optional<float> distanceMm);
  void reset() { shown_.reset(); }

 private:
  std::optional<UI::CompareValues> shown_;
};

}  // namespace view
