#pragma once
// The two colour themes, light and dark: process-wide tables that the host
// may replace (SIM_SetColorTheme) and that every view copies its chosen one
// from when the tables' revision moves on. A theme holds the interface's
// colours and the scene's: background, toolpath moves, machine, the stock's
// owner colours, the grid and the four cross-section colours.
#include <array>
#include <cstdint>
#include <optional>

#include "ui/Theme.h"

namespace UI {

struct ColourTheme {
  Theme ui;
  // The viewport's background; its alpha is the opacity of the background
  // in pictures (the window is always opaque).
  Colour background;
  Colour cut, arc, rapid;  // toolpath moves
  Colour machine;          // machine models without a colour of their own
  // The stock's owner colours: material taken by rapid moves, and the
  // palette that cut faces take by tool or by operation.
  Colour rapidRemoved;
  std::array<Colour, 8> owners;
  Colour grid;
  Colour sectionPlane, sectionStock, sectionWorkpiece, sectionStockAndWorkpiece;

  static ColourTheme light();
  static ColourTheme dark();
};

// The theme record of the host interface: 46 floats, each 0..1 — the
// background (RGBA), then text and panel (RGB), then twelve RGB colours:
// slider track, slider fill, slider dot, disabled, selection, X, Y and Z
// axes, cut moves, arcs, rapid moves and the machine. Alphas of the RGB
// colours stay the table's.
inline constexpr size_t kThemeRecordFloats = 46;
using ThemeRecord = std::array<float, kThemeRecordFloats>;
ThemeRecord recordOf(const ColourTheme& theme);
void applyRecord(ColourTheme& theme, const ThemeRecord& record);

// The process-wide tables; any thread.
namespace themes {
// 0 light, 1 dark; other numbers change nothing and give false. Moves the
// revision on.
bool set(int32_t which, const ThemeRecord& record);
std::optional<ThemeRecord> record(int32_t which);
ColourTheme current(bool dark);
uint64_t revision();
// The cross-section colours of the tuning file go into both tables.
void setSectionColours(const std::optional<Colour>& plane, const std::optional<Colour>& stock,
                       const std::optional<Colour>& workpiece, const std::optional<Colour>& both);
}  // namespace themes

}  // namespace UI
