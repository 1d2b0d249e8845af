#include "view/SavedToggles.h"

#include <algorithm>
#include <array>

#include "korvane/Korvane.h"
#include "platform/Folders.h"
#include "platform/WholeFile.h"
#include "view/RemoteControl.h"
#include "view/Render.h"

namespace view {
namespace {

constexpr const char* kSetupFileName = "setup.bin";

// The codes with a setter. Codes 5 and 6 (the stock kinds present), the
// running checks and the states a job or the pointer brings read no
// choice of the user's and have none. Code 4 (the cut stock shown) reads
// the stocks too: its choice travels in the first byte instead, which a
// view without a stock yet would otherwise flip back.
constexpr std::array<uint32_t, 34> kSavedCodes = {
    SIM_QUESTION_MACHINE_PANEL_OPTION,  SIM_QUESTION_TOOLPATH_SHOWN,
    SIM_QUESTION_STOCK_SHOWN,
    SIM_QUESTION_TOOL_SHOWN,            SIM_QUESTION_MOUSE_MODE_TWO,
    SIM_QUESTION_MOUSE_MODE_ONE,        SIM_QUESTION_MOUSE_MODE_ZERO,
    SIM_QUESTION_RAPID_MOVES_SHOWN,     SIM_QUESTION_CUTTING_MOVES_SHOWN,
    SIM_QUESTION_HOLDER_SHOWN,          SIM_QUESTION_POINTS_SHOWN,
    SIM_QUESTION_HIGHLIGHT_ELEMENTS,    SIM_QUESTION_HIGHLIGHT_ARCS,
    SIM_QUESTION_LARGE_POINTS,          SIM_QUESTION_BOUNDING_BOX_SHOWN,
    SIM_QUESTION_PLOT_CONTROL_SHOWN,    SIM_QUESTION_LOOP_ON,
    SIM_QUESTION_VIEW_OPTION26,         SIM_QUESTION_TOOLPATH_ORIGIN_SHOWN,
    SIM_QUESTION_FOLLOW_TOOL,           SIM_QUESTION_MEASURE_MODE,
    SIM_QUESTION_VIEW_OPTION38,         SIM_QUESTION_TOOL_VECTORS_SHOWN,
    SIM_QUESTION_AXIS_CONTROL_SHOWN,    SIM_QUESTION_OPERATIONS_LIST_SHOWN,
    SIM_QUESTION_KEEP_HORIZON,          SIM_QUESTION_VIEW_OPTION51,
    SIM_QUESTION_THICK_LINES,           SIM_QUESTION_VIEW_OPTION55,
    SIM_QUESTION_TOOLPATH_COLORS_SHOWN, SIM_QUESTION_STATISTICS_SHOWN,
    SIM_QUESTION_SPINDLE_ARROWS,        SIM_QUESTION_ACTIVE_OFFSET_SHOWN,
    SIM_QUESTION_GRID_SHOWN,
};

// The command that flips a code's state, or 0 where the state is set another way.
uint32_t toggleOf(uint32_t code) {
  switch (code) {
    case SIM_QUESTION_TOOLPATH_SHOWN: return SIM_COMMAND_TOGGLE_TOOLPATH;
    case SIM_QUESTION_TOOL_SHOWN: return SIM_COMMAND_TOGGLE_TOOL;
    case SIM_QUESTION_RAPID_MOVES_SHOWN: return SIM_COMMAND_TOGGLE_RAPID_MOVES;
    case SIM_QUESTION_CUTTING_MOVES_SHOWN: return SIM_COMMAND_TOGGLE_CUTTING_MOVES;
    case SIM_QUESTION_HOLDER_SHOWN: return SIM_COMMAND_TOGGLE_HOLDER;
    case SIM_QUESTION_POINTS_SHOWN: return SIM_COMMAND_TOGGLE_POINTS;
    case SIM_QUESTION_HIGHLIGHT_ELEMENTS: return SIM_COMMAND_TOGGLE_HIGHLIGHT_ELEMENTS;
    case SIM_QUESTION_HIGHLIGHT_ARCS: return SIM_COMMAND_TOGGLE_HIGHLIGHT_ARCS;
    case SIM_QUESTION_LARGE_POINTS: return SIM_COMMAND_TOGGLE_LARGE_POINTS;
    case SIM_QUESTION_BOUNDING_BOX_SHOWN: return SIM_COMMAND_TOGGLE_BOUNDING_BOX;
    case SIM_QUESTION_PLOT_CONTROL_SHOWN: return SIM_COMMAND_TOGGLE_PLOT_CONTROL;
    case SIM_QUESTION_LOOP_ON: return SIM_COMMAND_TOGGLE_LOOP;
    case SIM_QUESTION_VIEW_OPTION26: return SIM_COMMAND_TOGGLE_OPTION26;
    case SIM_QUESTION_TOOLPATH_ORIGIN_SHOWN: return SIM_COMMAND_TOGGLE_TOOLPATH_ORIGIN;
    case SIM_QUESTION_FOLLOW_TOOL: return SIM_COMMAND_TOGGLE_FOLLOW_TOOL;
    case SIM_QUESTION_MEASURE_MODE: return SIM_COMMAND_TOGGLE_MEASURE;
    case SIM_QUESTION_VIEW_OPTION38: return SIM_COMMAND_TOGGLE_OPTION38;
    case SIM_QUESTION_TOOL_VECTORS_SHOWN: return SIM_COMMAND_TOGGLE_TOOL_VECTORS;
    case SIM_QUESTION_AXIS_CONTROL_SHOWN: return SIM_COMMAND_TOGGLE_AXIS_CONTROL;
    case SIM_QUESTION_OPERATIONS_LIST_SHOWN: return SIM_COMMAND_TOGGLE_OPERATIONS_LIST;
    case SIM_QUESTION_KEEP_HORIZON: return SIM_COMMAND_TOGGLE_KEEP_HORIZON;
    case SIM_QUESTION_VIEW_OPTION51: return SIM_COMMAND_TOGGLE_OPTION51;
    case SIM_QUESTION_THICK_LINES: return SIM_COMMAND_TOGGLE_THICK_LINES;
    case SIM_QUESTION_VIEW_OPTION55: return SIM_COMMAND_TOGGLE_OPTION55;
    case SIM_QUESTION_TOOLPATH_COLORS_SHOWN: return SIM_COMMAND_TOGGLE_TOOLPATH_COLORS;
    case SIM_QUESTION_STATISTICS_SHOWN: return SIM_COMMAND_TOGGLE_STATISTICS;
    case SIM_QUESTION_SPINDLE_ARROWS: return SIM_COMMAND_TOGGLE_SPINDLE_ARROWS;
    case SIM_QUESTION_ACTIVE_OFFSET_SHOWN: return SIM_COMMAND_TOGGLE_ACTIVE_OFFSET;
    case SIM_QUESTION_GRID_SHOWN: return SIM_COMMAND_TOGGLE_GRID;
    default: return 0;
  }
}

void setAnswer(Render& view, uint32_t code, bool wanted) {
  if (answer(view, code) == wanted) return;
  switch (code) {
    case SIM_QUESTION_MACHINE_PANEL_OPTION:
      if (UI::InterfaceState* ui = view.interfaceState()) ui->machinePanelOption = wanted ? 1 : 0;
      return;
    case SIM_QUESTION_STOCK_SHOWN:
      runCommand(view, wanted ? SIM_COMMAND_SHOW_STOCK : SIM_COMMAND_HIDE_STOCK, 0);
      return;
    // One mouse mode holds at a time: a saved true picks it.
    case SIM_QUESTION_MOUSE_MODE_TWO:
    case SIM_QUESTION_MOUSE_MODE_ONE:
    case SIM_QUESTION_MOUSE_MODE_ZERO:
      if (wanted) view.camera().setMouseMode(uint8_t(2 - (code - SIM_QUESTION_MOUSE_MODE_TWO)));
      return;
    default:
      if (const uint32_t toggle = toggleOf(code)) runCommand(view, toggle, 0);
  }
}

}  // namespace

std::span<const uint32_t> savedQuestionCodes() { return kSavedCodes; }

formats::SetupState currentSetup(Render& view) {
  formats::SetupState state;
  for (const uint32_t code : kSavedCodes) state.answers[code] = answer(view, code);
  const ViewBytes& bytes = view.viewBytes();
  state.bytes = {bytes.stockDisplay.load(), bytes.navigationMode.load(), 0, bytes.grid.load()};
  return state;
}

void applySetupBytes(Render& view, const std::array<uint8_t, 4>& saved) {
  ViewBytes& bytes = view.viewBytes();
  bytes.stockDisplay = saved[0] != 0;
  if (saved[1] <= 3) bytes.navigationMode = saved[1];
  bytes.grid = saved[3] != 0;
  bytes.gridChanged = 1;
}

void applySavedAnswers(Render& view, const std::map<uint32_t, bool>& answers) {
  for (const auto& [code, wanted] : answers)
    if (std::find(kSavedCodes.begin(), kSavedCodes.end(), code) != kSavedCodes.end()) setAnswer(view, code, wanted);
}

std::optional<formats::SetupState> readSetupFile() {
  const std::optional<std::vector<uint8_t>> bytes =
      platform::readWholeFile(platform::settingsFolder() / kSetupFileName);
  if (!bytes) return std::nullopt;
  return formats::decodeSetup(*bytes);
}

void writeSetupFile(const formats::SetupState& state) {
  try {
    platform::replaceWholeFile(platform::settingsFolder() / kSetupFileName, formats::encodeSetup(state));
  } catch (...) {
    // Out of memory or a folder that vanished: the old file stays.
  }
}

}  // namespace view
