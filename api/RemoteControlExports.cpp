// SIM_Command and SIM_Question: the host's remote control of one view and
// the answers that read its state back. Commands write bytes that the next
// frame reads; none waits for the render thread.
#include <atomic>

#include "api/OnView.h"
#include "korvane/Korvane.h"
#include "toolpath/ToolpathColours.h"
#include "view/Render.h"

namespace {

using Flag = std::atomic<uint8_t>;
using Setting = std::atomic<bool>;

void flip(Flag& flag) { flag = flag.load() ? 0 : 1; }
bool flip(Setting& setting) {
  const bool now = !setting.load();
  setting = now;
  return now;
}

// Re-publishes the toolpath display options, grid, origin, offset and
// bounding box to the ribbon's check marks.
// A cylinder or box stock that is not limited to a box.
bool hasStock(Render& view, stock::StockKind kind) {
  for (const stock::StockDescription& s : view.job().stocks.stocks())
    if (s.definition.kind == kind && !s.definition.limitToBox) return true;
  return false;
}

void syncRibbon(Render& view) {
  UI::RibbonState* ribbon = view.ribbon();
  if (!ribbon) return;
  const toolpath::ToolpathDisplaySettings& s = view.job().toolpathDisplay;
  const view::ViewBytes& bytes = view.viewBytes();
  ribbon->check(21, s.points.load());
  ribbon->check(22, s.showRapid.load());
  ribbon->check(23, s.showCutting.load());
  ribbon->check(24, s.toolVectors.load());
  ribbon->check(25, s.highlightArcs.load());
  ribbon->check(26, s.highlightElements.load());
  ribbon->check(27, s.thickLines.load() || s.largePoints.load());
  ribbon->check(28, s.boundingBox.load());
  ribbon->check(29, bytes.toolpathOrigin.load() != 0);
  ribbon->check(89, bytes.activeOffset.load() != 0);
  ribbon->setEnabled(20, view.job().toolpath.current() != nullptr);
  ribbon->check(90, bytes.grid.load() != 0);
  ribbon->check(68, s.colourByFeed.load());
}

// A display option toggled: the drawing takes it at the next frame.
void toggleOption(Render& view, Setting& option) {
  flip(option);
  ++view.job().toolpathDisplay.revision;
  syncRibbon(view);
  view.requestRedraw();
}

// Panels that are ribbon entries: shown while the entry is ticked.
void togglePanel(Render& view, uint32_t action) {
  UI::RibbonState* ribbon = view.ribbon();
  if (!ribbon) return;
  ribbon->check(action, !ribbon->ticked(action));
  view.requestRedraw();
}

void selectTheme(Render& view, bool dark) {
  view.viewBytes().darkTheme = dark ? 1 : 0;
  view.job().toolpathDisplay.setColours(toolpath::toolpathColours(dark));
}

// After the frame's cut, like a standard view asked for just before: the
// step zooms from the view the host asked for.
void zoomStep(Render& view, double steps) {
  view.commands().post(view::CommandStage::AfterCut, [&view, steps] { view.camera().zoom(steps); });
}

// Commands on the interface, its ribbon and the toolpath display settings;
// false when the view has none of them (headless).
bool interfaceCommand(Render& view, uint32_t code, uint64_t argument) {
  UI::RibbonState* ribbon = view.ribbon();
  UI::InterfaceState* ui = view.interfaceState();
  if (!ribbon || !ui) return false;
  toolpath::ToolpathDisplaySettings& display = view.job().toolpathDisplay;
  switch (code) {
    case SIM_COMMAND_TOGGLE_MACHINE:
      flip(ui->machinePanelInLayout());
      ribbon->check(78, ui->machinePanelInLayout().load());
      break;
    case SIM_COMMAND_TOGGLE_TOOLPATH: flip(ui->toolpathShown), ribbon->check(20, ui->toolpathShown.load()); break;
    case SIM_COMMAND_SHOW_STOCK:
    case SIM_COMMAND_HIDE_STOCK:
      if ((ui->stockShown.load() != 0) != (code == SIM_COMMAND_SHOW_STOCK)) {
        flip(ui->stockShown);
        ribbon->check(54, ui->stockShown.load());
      }
      break;
    case SIM_COMMAND_TOGGLE_TOOL: ribbon->check(42, flip(display.showTool)), ++display.revision; break;
    case SIM_COMMAND_TOGGLE_HOLDER: ribbon->check(43, flip(display.showHolder)), ++display.revision; break;
    case SIM_COMMAND_ZOOM_IN: zoomStep(view, 2.0); break;
    case SIM_COMMAND_ZOOM_OUT: zoomStep(view, -2.0); break;
    case SIM_COMMAND_MOUSE_MODE_TWO: view.camera().setMouseMode(2); break;
    case SIM_COMMAND_MOUSE_MODE_ONE: view.camera().setMouseMode(1); break;
    case SIM_COMMAND_MOUSE_MODE_ZERO: view.camera().setMouseMode(0); break;
    case SIM_COMMAND_TOGGLE_RAPID_MOVES: toggleOption(view, display.showRapid); break;
    case SIM_COMMAND_TOGGLE_CUTTING_MOVES: toggleOption(view, display.showCutting); break;
    case SIM_COMMAND_TOGGLE_POINTS: toggleOption(view, display.points); break;
    case SIM_COMMAND_TOGGLE_HIGHLIGHT_ELEMENTS: toggleOption(view, display.highlightElements); break;
    case SIM_COMMAND_TOGGLE_HIGHLIGHT_ARCS: toggleOption(view, display.highlightArcs); break;
    case SIM_COMMAND_TOGGLE_LARGE_POINTS: toggleOption(view, display.largePoints); break;
    case SIM_COMMAND_TOGGLE_BOUNDING_BOX: toggleOption(view, display.boundingBox); break;
    case SIM_COMMAND_TOGGLE_TOOL_VECTORS: toggleOption(view, display.toolVectors); break;
    case SIM_COMMAND_TOGGLE_THICK_LINES: toggleOption(view, display.thickLines); break;
    case SIM_COMMAND_TOGGLE_COLOR_BY_FEEDRATE: toggleOption(view, display.colourByFeed); break;
    case SIM_COMMAND_TOGGLE_PLOT_CONTROL: togglePanel(view, 74); break;
    case SIM_COMMAND_PANEL_MODE_ON: ui->panelMode = 1; break;
    case SIM_COMMAND_PANEL_MODE_OFF: ui->panelMode = 0; break;
    case SIM_COMMAND_TOGGLE_LOOP: flip(ui->loop), ribbon->check(41, ui->loop.load()); break;
    case SIM_COMMAND_TOGGLE_FOLLOW_TOOL: flip(ui->followTool), ribbon->check(40, ui->followTool.load()); break;
    case SIM_COMMAND_ZOOM_WINDOW: ui->zoomWindow = 1; break;
    case SIM_COMMAND_TOGGLE_AXIS_CONTROL: togglePanel(view, 75); break;
    case SIM_COMMAND_TOGGLE_OPERATIONS_LIST: togglePanel(view, 70); break;
    case SIM_COMMAND_TOGGLE_KEEP_HORIZON: {
      const bool keep = !view.camera().keepHorizonLevel();
      view.camera().setKeepHorizonLevel(keep);
      ribbon->check(51, keep);
      break;
    }
    case SIM_COMMAND_TOGGLE_COLOR_LOOP: ribbon->check(58, !ribbon->ticked(58)); break;
    case SIM_COMMAND_TOGGLE_OPTION54: flip(ui->option54), ui->option54Changed = 1; break;
    case SIM_COMMAND_TOGGLE_OPTION56: flip(ui->option56); break;
    case SIM_COMMAND_TOGGLE_OPTION57: flip(ui->option57), ui->option57Changed = 1; break;
    case SIM_COMMAND_REQUEST_ACTION60: ui->request60 = 1; break;
    case SIM_COMMAND_OPEN_CONTEXT_MENU: ui->contextMenuOpen = 1; break;
    case SIM_COMMAND_REQUEST_RELAYOUT: ui->relayout = 1; break;
    case SIM_COMMAND_TOGGLE_MACHINE_PANEL:
      if (argument & 1) {
        flip(ui->machinePanelInLayout());
        ribbon->check(78, ui->machinePanelInLayout().load());
      }
      break;
    case SIM_COMMAND_SHOW_TOOLCHANGE_SEQUENCE: ribbon->check(83, true); break;
    case SIM_COMMAND_TOGGLE_TOOLCHANGE_SEQUENCE: togglePanel(view, 83); break;
    case SIM_COMMAND_TOGGLE_TOOLPATH_COLORS: togglePanel(view, 85); break;
    case SIM_COMMAND_TOGGLE_STATISTICS: togglePanel(view, 86); break;
    case SIM_COMMAND_TOGGLE_NC_CODE:
      togglePanel(view, 84);
      if (!ribbon->ticked(84)) ui->ncSelectionStart = -1, ui->ncSelectionEnd = -1;
      break;
    case SIM_COMMAND_TOGGLE_SPINDLE_ARROWS: ribbon->check(88, !ribbon->ticked(88)); break;
    default: return false;
  }
  return true;
}

// Commands on the view's own bytes, present with every view.
void viewCommand(Render& view, uint32_t code) {
  view::ViewBytes& bytes = view.viewBytes();
  UI::InterfaceState* ui = view.interfaceState();
  switch (code) {
    case SIM_COMMAND_SHOW_STOCK_CUT:
      if (bytes.stockDisplay.exchange(1) == 0) view.requestRedraw();
      break;
    case SIM_COMMAND_TOGGLE_STOCK_CUT: bytes.stockDisplay.fetch_xor(1); break;
    case SIM_COMMAND_ACTIVE_MODE_ON: view.setActiveMode(true); break;
    case SIM_COMMAND_ACTIVE_MODE_OFF: view.setActiveMode(false); break;
    case SIM_COMMAND_LIGHT_THEME: selectTheme(view, false); break;
    case SIM_COMMAND_DARK_THEME: selectTheme(view, true); break;
    case SIM_COMMAND_TOGGLE_OPTION26: flip(bytes.option26); break;
    case SIM_COMMAND_TOGGLE_TOOLPATH_ORIGIN: flip(bytes.toolpathOrigin), syncRibbon(view); break;
    case SIM_COMMAND_TOGGLE_MEASURE:
      flip(bytes.measuring);
      if (!bytes.measuring.load() && ui) ui->measuredPoints = 0;
      break;
    case SIM_COMMAND_TOGGLE_OPTION38: flip(bytes.option38), bytes.option38Companion = 0.0; break;
    case SIM_COMMAND_NAVIGATION_MODE_ONE: bytes.navigationMode = 1; break;
    case SIM_COMMAND_NAVIGATION_MODE_TWO: bytes.navigationMode = 2; break;
    case SIM_COMMAND_NAVIGATION_MODE_OFF: bytes.navigationMode = 0; break;
    case SIM_COMMAND_START_PLACEMENT: bytes.placementActive = 1; break;
    case SIM_COMMAND_STOP_PLACEMENT: bytes.placementActive = 0; break;
    case SIM_COMMAND_TOGGLE_OPTION51:
      flip(bytes.option51);
      if (UI::RibbonState* ribbon = view.ribbon())
        for (uint32_t action : {39u, 56u, 70u}) ribbon->setEnabled(action, !bytes.option51.load());
      break;
    case SIM_COMMAND_TOGGLE_OPTION55: flip(bytes.option55), bytes.option55Changed = 1; break;
    case SIM_COMMAND_SET_FLAG68: bytes.request68 = 1; break;
    case SIM_COMMAND_TOGGLE_ACTIVE_OFFSET: flip(bytes.activeOffset), syncRibbon(view); break;
    case SIM_COMMAND_TOGGLE_GRID: flip(bytes.grid), bytes.gridChanged = 1, syncRibbon(view); break;
    default: break;
  }
}

// Answers of rows on the interface, its ribbon, the display settings and the
// camera; absent for a view without them.
bool interfaceAnswer(Render& view, uint32_t code, bool absent) {
  UI::RibbonState* ribbon = view.ribbon();
  UI::InterfaceState* ui = view.interfaceState();
  if (!ribbon || !ui) return absent;
  const toolpath::ToolpathDisplaySettings& s = view.job().toolpathDisplay;
  switch (code) {
    case SIM_QUESTION_MACHINE_PANEL_SHOWN: return ui->machinePanelInLayout().load() != 0;
    case SIM_QUESTION_MACHINE_PANEL_OPTION: return ui->machinePanelOption.load() != 0;
    case SIM_QUESTION_TOOLPATH_SHOWN: return ui->toolpathShown.load() != 0;
    case SIM_QUESTION_STOCK_SHOWN: return ui->stockShown.load() != 0;
    case SIM_QUESTION_TOOL_SHOWN: return s.showTool.load();
    case SIM_QUESTION_MOUSE_MODE_TWO: return view.camera().mouseMode() == 2;
    case SIM_QUESTION_MOUSE_MODE_ONE: return view.camera().mouseMode() == 1;
    case SIM_QUESTION_MOUSE_MODE_ZERO: return view.camera().mouseMode() == 0;
    case SIM_QUESTION_RAPID_MOVES_SHOWN: return s.showRapid.load();
    case SIM_QUESTION_CUTTING_MOVES_SHOWN: return s.showCutting.load();
    case SIM_QUESTION_HOLDER_SHOWN: return s.showHolder.load();
    case SIM_QUESTION_POINTS_SHOWN: return s.points.load();
    case SIM_QUESTION_HIGHLIGHT_ELEMENTS: return s.highlightElements.load();
    case SIM_QUESTION_HIGHLIGHT_ARCS: return s.highlightArcs.load();
    case SIM_QUESTION_LARGE_POINTS: return s.largePoints.load();
    case SIM_QUESTION_BOUNDING_BOX_SHOWN: return s.boundingBox.load();
    case SIM_QUESTION_PLOT_CONTROL_SHOWN: return ribbon->ticked(74);
    case SIM_QUESTION_LOOP_ON: return ui->loop.load() != 0;
    case SIM_QUESTION_FOLLOW_TOOL: return ui->followTool.load() != 0;
    case SIM_QUESTION_ZOOM_WINDOW_ACTIVE: return ui->zoomWindow.load() != 0;
    case SIM_QUESTION_TOOL_VECTORS_SHOWN: return s.toolVectors.load();
    case SIM_QUESTION_AXIS_CONTROL_SHOWN: return ribbon->ticked(75);
    case SIM_QUESTION_OPERATIONS_LIST_SHOWN: return ribbon->ticked(70);
    case SIM_QUESTION_KEEP_HORIZON: return view.camera().keepHorizonLevel();
    case SIM_QUESTION_THICK_LINES: return s.thickLines.load();
    case SIM_QUESTION_COLOR_LOOP: return ribbon->ticked(58);
    case SIM_QUESTION_UI_OPTION54: return ui->option54.load() != 0;
    case SIM_QUESTION_UI_OPTION56: return ui->option56.load() != 0;
    case SIM_QUESTION_UI_OPTION57: return ui->option57.load() != 0;
    case SIM_QUESTION_COLOR_BY_FEEDRATE: return s.colourByFeed.load();
    case SIM_QUESTION_PERSPECTIVE: return view.camera().pose().perspective;
    case SIM_QUESTION_TOOLCHANGE_SEQUENCE_SHOWN: return ribbon->ticked(83);
    case SIM_QUESTION_TOOLPATH_COLORS_SHOWN: return ribbon->ticked(85);
    case SIM_QUESTION_STATISTICS_SHOWN: return ribbon->ticked(86);
    case SIM_QUESTION_NC_CODE_SHOWN: return ribbon->ticked(84);
    case SIM_QUESTION_SPINDLE_ARROWS_VISIBLE: return ribbon->shownInMenu(88);
    case SIM_QUESTION_SPINDLE_ARROWS: return ribbon->ticked(88);
    default: return absent;
  }
}

}  // namespace

extern "C" {

SIM_EXPORT int32_t SIM_Command(Render* view, uint32_t code, uint64_t argument) {
  return api::onView<int32_t>(view, 1, 0, [&](Render& v) {
    if (code > SIM_COMMAND_TOGGLE_GRID) return 0;
    if (!interfaceCommand(v, code, argument)) viewCommand(v, code);
    v.requestRedraw();
    return 0;
  });
}

SIM_EXPORT bool SIM_Question(Render* view, uint32_t code) {
  return api::onView<bool>(view, false, false, [&](Render& v) {
    const view::ViewBytes& bytes = v.viewBytes();
    switch (code) {
      case SIM_QUESTION_STOCK_CUT_SHOWN: return bytes.stockDisplay.load() != 0 && !v.job().stocks.stocks().empty();
      case SIM_QUESTION_HAS_STOCK_KIND_ZERO: return hasStock(v, stock::StockKind::Cylinder);
      case SIM_QUESTION_HAS_STOCK_KIND_ONE: return hasStock(v, stock::StockKind::Box);
      case SIM_QUESTION_VIEW_OPTION26: return bytes.option26.load() != 0;
      case SIM_QUESTION_TOOLPATH_ORIGIN_SHOWN: return bytes.toolpathOrigin.load() != 0;
      case SIM_QUESTION_MEASURE_MODE: return bytes.measuring.load() != 0;
      case SIM_QUESTION_VIEW_OPTION38: return bytes.option38.load() != 0;
      case SIM_QUESTION_PLACEMENT_ACTIVE: return bytes.placementActive.load() != 0;
      case SIM_QUESTION_VIEW_OPTION51: return bytes.option51.load() != 0;
      case SIM_QUESTION_VIEW_OPTION55: return bytes.option55.load() != 0;
      case SIM_QUESTION_ACTIVE_OFFSET_SHOWN: return bytes.activeOffset.load() != 0;
      case SIM_QUESTION_GRID_SHOWN: return bytes.grid.load() != 0;
      // Absent true: what the view shows unless told otherwise.
      case SIM_QUESTION_TOOL_SHOWN:
      case SIM_QUESTION_MOUSE_MODE_ZERO:
      case SIM_QUESTION_RAPID_MOVES_SHOWN:
      case SIM_QUESTION_CUTTING_MOVES_SHOWN:
      case SIM_QUESTION_HOLDER_SHOWN:
      case SIM_QUESTION_POINTS_SHOWN: return interfaceAnswer(v, code, true);
      default: return interfaceAnswer(v, code, false);
    }
  });
}

}  // extern "C"
