#pragma once
// The interface's colours: one record that every panel reads when it lays
// itself out, with a light and a dark preset (the host's theme record
// fills it later). RGBA, straight alpha.
#include <array>

namespace UI {

using Colour = std::array<float, 4>;

struct Theme {
  Colour panel;         // bars, menus and panels behind their contents
  Colour panelEdge;     // the lighter top of a panel's gradient
  Colour hover;         // a button under the cursor
  Colour pressed;       // a button held down
  Colour ticked;        // a ticked toggle's background
  Colour icon;          // icon tint
  Colour iconDisabled;  // icon tint of a disabled entry
  Colour text;
  Colour textDisabled;
  Colour hint;          // hover hint box
  Colour hintText;
  Colour separator;     // lines between groups and menu rows
  Colour sliderTrack;   // a slider's track (ruler ticks drawn on it)
  Colour sliderFill;    // the part of a slider that shows its value
  Colour sliderDot;     // the dot a slider is dragged by
  Colour disabled;      // a disabled slider's parts
  Colour axisX, axisY, axisZ;  // the gnomon's axes and their labels
  Colour viewCube;      // the view cube's faces
  Colour viewCubeHover; // the cube element under the cursor
  Colour selection;     // a rectangle drawn over the scene
  Colour measure;       // the measured line, its ends and its label
  Colour range;         // the ends of the playback range on the timeline

  static Theme light();
  static Theme dark();
  // Glyph atlases are built for light or dark text.
  bool brightText() const { return text[0] + text[1] + text[2] > 1.5f; }
};

}  // namespace UI
