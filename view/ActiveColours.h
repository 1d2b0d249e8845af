#pragma once
// A view's copy of its chosen colour theme (light or dark, commands 23 and
// 24): taken again at the first frame after the process-wide tables move on
// or the choice changes, so that a frame never sees half a theme.
#include <cstdint>

#include "ui/ColourThemes.h"

namespace view {

class ActiveColours {
 public:
  // Render thread: true when the colours were copied anew.
  bool follow(bool dark) {
    const uint64_t revision = UI::themes::revision();
    if (revision == revision_ && dark == dark_) return false;
    colours_ = UI::themes::current(dark);
    revision_ = revision;
    dark_ = dark;
    return true;
  }
  const UI::ColourTheme& colours() const { return colours_; }

 private:
  UI::ColourTheme colours_ = UI::ColourTheme::light();
  uint64_t revision_ = 0;  // the tables start at 1: the first frame copies
  bool dark_ = false;
};

}  // namespace view
