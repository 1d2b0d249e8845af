#include "view/RemoteControl.h"

#include <atomic>
#include <cstring>
#include <utility>

#include "toolpath/ToolpathColours.h"
#include "view/Render.h"

namespace view {

namespace {

using Flag = std::atomic<uint8_t>;
using Setting = std::atomic<bool>;

void flip(Flag& flag) { flag.fetch_xor(1); }
bool flip(Setting& setting) {
  const bool now = !setting.load();
  setting = now;
  return now;
}

// A cylinder or box stock that is not limited to a box.
bool hasStock(Render& view, stock::StockKind kind) {
  for (const stock::StockDescription& s : view.job().stocks.stocks())
    if (s.definition.kind == kind && !s.definition.limitToBox) return true;
  return false;
}

// Re-publishes the toolpath display options, grid, origin, offset and
// bounding box to the ribbon's check marks.
void syncRibbon(Render& view) {
  UI::RibbonState* ribbon = view.ribbon();
  if (!ribbon) return;
  const toolpath::ToolpathDisplaySettings& s = view.job().toolpathDisplay;
  const ViewBytes& bytes = view.viewBytes();
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
  // The next frame copies the theme.
  view.viewBytes().darkTheme = dark ? 1 : 0;
  view.requestRedraw();
}

// After the frame's cut, like a standard view asked for just before: the
// step zooms from the view the host asked for.
void zoomStep(Render& view, double steps) {
  view.commands().post(CommandStage::AfterCut, [&view, steps] { view.camera().zoom(steps); });
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
    case SIM_COMMAND_ZOOM_WINDOW: ui->zoomWindow = 1, ui->boxSelection = 0; break;
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
    case SIM_COMMAND_OPEN_CONTEXT_MENU: view.openContextMenuAtCursor(); break;
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

// Every stock uncut and the collision tint gone, at the next frame; that
// frame cuts to the played position again.
void resetStock(Render& view) {
  view.commands().post(CommandStage::BeforeFrame, [&view] {
    view.stock().resetCuts();
    view.collisions().run().clearCollided();
    view.requestRedraw();
  });
}

// Commands on the view's own bytes, present with every view.
void viewCommand(Render& view, uint32_t code) {
  ViewBytes& bytes = view.viewBytes();
  UI::InterfaceState* ui = view.interfaceState();
  switch (code) {
    case SIM_COMMAND_RESET_STOCK: resetStock(view); break;
    case SIM_COMMAND_JUMP_TO_CUT: view.jumpToCut(); break;
    case SIM_COMMAND_ENABLE_SOLIDS: view.stock().setStocksEnabled(true); break;
    case SIM_COMMAND_DISABLE_SOLIDS: view.stock().setStocksEnabled(false); break;
    case SIM_COMMAND_REFRESH_SOLIDS: view.stock().refreshSurfaces(); break;
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
    case SIM_COMMAND_START_PLACEMENT:
      bytes.placementActive = 1;
      view.stockPlacement().setPending(view.job().stocks.workpiecePlacement());
      break;
    case SIM_COMMAND_COMMIT_STOCK: {
      std::unique_lock stockLock(view.stock().lock());
      view.stockPlacement().commit(view.job().stocks);
      view.requestRedraw();
      break;
    }
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
    case SIM_QUESTION_CAN_JUMP_TO_CUT: return ui->jumpToCutEnabled.load() != 0;
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

// The "Stop at" menu's entries, condition k at kStopEntries[k]; "Collision"
// (13) switches conditions 2 to 5 together.
constexpr uint32_t kStopEntries[8] = {12, 79, 14, 15, 16, 17, 18, 19};
constexpr uint32_t kStopCollisionEntry = 13;

}  // namespace

SIM_StockRemovalSettings stockRemovalOf(Render& view) {
  SIM_StockRemovalSettings s = view.job().stockRemoval.record();
  const UI::InterfaceState* ui = view.interfaceState();
  s.stockShown = !ui || ui->stockShown.load() != 0;
  s.cutFacesMarked = view.viewBytes().stockDisplay.load() != 0;
  return s;
}

bool applyStockRemoval(Render& view, const SIM_StockRemovalSettings& settings) {
  const SIM_StockRemovalSettings before = stockRemovalOf(view);
  if (std::memcmp(&before, &settings, sizeof settings) == 0) return false;
  runCommand(view, settings.stockShown ? SIM_COMMAND_SHOW_STOCK : SIM_COMMAND_HIDE_STOCK, 0);
  view.viewBytes().stockDisplay = settings.cutFacesMarked != 0;
  view.job().stockRemoval.set(settings);
  // The toolpath takes the same colouring as the stock.
  const StockColourBy by = view.job().stockRemoval.colourBy();
  toolpath::ToolpathDisplaySettings& display = view.job().toolpathDisplay;
  display.colourBy = by == StockColourBy::Operation ? toolpath::ColourBy::Operation
                     : by == StockColourBy::Tool    ? toolpath::ColourBy::Tool
                                                    : toolpath::ColourBy::Kind;
  ++display.revision;
  if (UI::RibbonState* ribbon = view.ribbon()) {
    ribbon->check(56, by == StockColourBy::Operation);
    ribbon->check(57, by == StockColourBy::Tool);
    ribbon->check(87, view.job().stockRemoval.record().removeChips != 0);
  }
  view.stock().refreshSurfaces();
  view.requestRedraw();
  return true;
}

void syncStopConditions(Render& view) {
  UI::RibbonState* ribbon = view.ribbon();
  if (!ribbon) return;
  const uint64_t stops = view.playback().stopConditions().bytes();
  for (uint32_t k = 0; k < 8; ++k)
    ribbon->check(kStopEntries[k], StopConditions::isOn(stops, k));
  ribbon->check(kStopCollisionEntry, StopConditions::isOn(stops, SIM_STOP_RAPID_INTO_STOCK) ||
                                         StopConditions::isOn(stops, SIM_STOP_STOPPED_SPINDLE_CUT) ||
                                         StopConditions::isOn(stops, SIM_STOP_HOLDER_INTO_STOCK));
}

int32_t runCommand(Render& view, uint32_t code, uint64_t argument) {
  if (code > SIM_COMMAND_TOGGLE_GRID) return 0;
  if (!interfaceCommand(view, code, argument)) viewCommand(view, code);
  view.requestRedraw();
  return 0;
}

bool answer(Render& view, uint32_t code) {
  const ViewBytes& bytes = view.viewBytes();
  switch (code) {
    case SIM_QUESTION_STOCK_CUT_SHOWN: return bytes.stockDisplay.load() != 0 && view.stock().anyStockEnabled();
    case SIM_QUESTION_STOCK_PENDING: return view.stock().anyStockPending();
    case SIM_QUESTION_HAS_ENABLED_SOLID: return view.stock().anyStockEnabled();
    case SIM_QUESTION_HAS_STOCK_KIND_ZERO: return hasStock(view, stock::StockKind::Cylinder);
    case SIM_QUESTION_HAS_STOCK_KIND_ONE: return hasStock(view, stock::StockKind::Box);
    case SIM_QUESTION_VIEW_OPTION26: return bytes.option26.load() != 0;
    case SIM_QUESTION_TOOLPATH_ORIGIN_SHOWN: return bytes.toolpathOrigin.load() != 0;
    case SIM_QUESTION_MEASURE_MODE: return bytes.measuring.load() != 0;
    case SIM_QUESTION_VIEW_OPTION38: return bytes.option38.load() != 0;
    case SIM_QUESTION_PLACEMENT_ACTIVE: return bytes.placementActive.load() != 0;
    case SIM_QUESTION_VIEW_OPTION51: return bytes.option51.load() != 0;
    case SIM_QUESTION_VIEW_OPTION55: return bytes.option55.load() != 0;
    case SIM_QUESTION_ACTIVE_OFFSET_SHOWN: return bytes.activeOffset.load() != 0;
    case SIM_QUESTION_GRID_SHOWN: return bytes.grid.load() != 0;
    case SIM_QUESTION_COLLISION_CHECK_RUNNING: return view.collisions().run().state() == collision::RunState::Full;
    case SIM_QUESTION_HAS_COLLISION: return view.stock().anyPartCollision();
    // Absent true: what the view shows unless told otherwise.
    case SIM_QUESTION_TOOL_SHOWN:
    case SIM_QUESTION_MOUSE_MODE_ZERO:
    case SIM_QUESTION_RAPID_MOVES_SHOWN:
    case SIM_QUESTION_CUTTING_MOVES_SHOWN:
    case SIM_QUESTION_HOLDER_SHOWN:
    case SIM_QUESTION_POINTS_SHOWN: return interfaceAnswer(view, code, true);
    default: return interfaceAnswer(view, code, false);
  }
}


void chooseRibbonAction(Render& view, uint32_t action) {
  UI::RibbonState* ribbon = view.ribbon();
  if (!ribbon || !ribbon->present(action)) return;
  toolpath::ToolpathDisplaySettings& display = view.job().toolpathDisplay;
  // The animation modes of entries 30 to 39: modes 0 to 8 and 10.
  if (action >= 30 && action <= 39) {
    const uint32_t mode = action == 39 ? 10 : action - 30;
    view.job().toolpathMode = mode;
    for (uint32_t entry = 30; entry <= 39; ++entry) ribbon->check(entry, entry == action);
    view.requestRedraw();
    return;
  }
  if (action >= 44 && action <= 50) {  // "Top", "Bottom", "Left", "Right", "Front", "Back", "From tool"
    static constexpr int32_t kViews[] = {SIM_VIEW_TOP,  SIM_VIEW_BOTTOM, SIM_VIEW_LEFT,     SIM_VIEW_RIGHT,
                                         SIM_VIEW_FRONT, SIM_VIEW_BACK,  SIM_VIEW_FROM_TOOL};
    view.requestView(kViews[action - 44]);
    return;
  }
  for (uint32_t k = 0; k < 8; ++k)
    if (action == kStopEntries[k]) {
      StopConditions& stops = view.playback().stopConditions();
      const auto condition = k;
      stops.set(condition, !stops.on(condition));
      syncStopConditions(view);
      return;
    }
  switch (action) {
    case kStopCollisionEntry:
      view.playback().stopConditions().toggleCollisionGroup();
      syncStopConditions(view);
      return;
    case 11: view.requestView(SIM_VIEW_FIT); return;
    case 27: {
      // "Thick lines" switches thick lines and large points together: off
      // when either is on, else both on.
      const bool on = !(display.thickLines.load() || display.largePoints.load());
      display.thickLines = on;
      display.largePoints = on;
      ++display.revision;
      syncRibbon(view);
      view.requestRedraw();
      return;
    }
    case 52:
    case 53:
      view.camera().setProjection(action == 53);
      ribbon->check(52, action == 52);
      ribbon->check(53, action == 53);
      view.requestRedraw();
      return;
    case 56:
    case 57: {
      // The stock's colouring, and the toolpath's with it: chosen again,
      // neither.
      const StockColourBy by = action == 56 ? StockColourBy::Operation : StockColourBy::Tool;
      SIM_StockRemovalSettings settings = stockRemovalOf(view);
      const bool on = view.job().stockRemoval.colourBy() != by;
      settings.colourByOperation = on && by == StockColourBy::Operation;
      settings.colourByTool = on && by == StockColourBy::Tool;
      applyStockRemoval(view, settings);
      return;
    }
    case 65: {  // "Compare": the stocks against the design, on or off
      const uint32_t flags = view.job().stockCompare.setShown(!view.job().stockCompare.shown());
      ribbon->check(65, (flags & SIM_COMPARE_SHOWN) != 0);
      view.requestRedraw();
      return;
    }
    case 66:  // "Colors": the stock-colour panel, shown while ticked
      ribbon->check(66, !ribbon->ticked(66));
      view.requestRedraw();
      return;
    case UI::kZoomWindowAction:
    case UI::kZoomSelectionAction:
      // One box mode at a time; chosen again while it waits, it ends.
      if (UI::InterfaceState* ui = view.interfaceState()) {
        const bool selects = action == UI::kZoomSelectionAction;
        std::atomic<uint8_t>& chosen = selects ? ui->boxSelection : ui->zoomWindow;
        const bool on = chosen.load() == 0;
        ui->zoomWindow = 0;
        ui->boxSelection = 0;
        chosen = on ? 1 : 0;
        view.requestRedraw();
      }
      return;
    case 55: view.saveSolidAsStl(); return;
    case 71: view.notifier().notify(SIM_MESSAGE_NOTIFY, SIM_EVENT_SAVE_PRESENTATION_REQUESTED, 0, true); return;
    case 72: view.notifier().notify(SIM_MESSAGE_NOTIFY, SIM_EVENT_SETUP_REQUESTED, 0, true); return;
    case 76: view.notifier().notify(SIM_MESSAGE_NOTIFY, SIM_EVENT_ABOUT_REQUESTED, 0, true); return;
    default: break;
  }
  // Entries whose change is a command's.
  static constexpr std::pair<uint32_t, uint32_t> kCommandOf[] = {
      {20, SIM_COMMAND_TOGGLE_TOOLPATH},        {21, SIM_COMMAND_TOGGLE_POINTS},
      {22, SIM_COMMAND_TOGGLE_RAPID_MOVES},     {23, SIM_COMMAND_TOGGLE_CUTTING_MOVES},
      {24, SIM_COMMAND_TOGGLE_TOOL_VECTORS},    {25, SIM_COMMAND_TOGGLE_HIGHLIGHT_ARCS},
      {26, SIM_COMMAND_TOGGLE_HIGHLIGHT_ELEMENTS}, {28, SIM_COMMAND_TOGGLE_BOUNDING_BOX},
      {29, SIM_COMMAND_TOGGLE_TOOLPATH_ORIGIN}, {40, SIM_COMMAND_TOGGLE_FOLLOW_TOOL},
      {41, SIM_COMMAND_TOGGLE_LOOP},            {42, SIM_COMMAND_TOGGLE_TOOL},
      {43, SIM_COMMAND_TOGGLE_HOLDER},          {51, SIM_COMMAND_TOGGLE_KEEP_HORIZON},
      {58, SIM_COMMAND_TOGGLE_COLOR_LOOP},      {67, SIM_COMMAND_TOGGLE_MEASURE},
      {68, SIM_COMMAND_TOGGLE_COLOR_BY_FEEDRATE}, {69, SIM_COMMAND_JUMP_TO_CUT},
      {70, SIM_COMMAND_TOGGLE_OPERATIONS_LIST}, {74, SIM_COMMAND_TOGGLE_PLOT_CONTROL},
      {75, SIM_COMMAND_TOGGLE_AXIS_CONTROL},    {78, SIM_COMMAND_TOGGLE_MACHINE},
      {80, SIM_COMMAND_NAVIGATION_MODE_ONE},    {81, SIM_COMMAND_NAVIGATION_MODE_TWO},
      {83, SIM_COMMAND_TOGGLE_TOOLCHANGE_SEQUENCE}, {84, SIM_COMMAND_TOGGLE_NC_CODE},
      {85, SIM_COMMAND_TOGGLE_TOOLPATH_COLORS}, {86, SIM_COMMAND_TOGGLE_STATISTICS},
      {88, SIM_COMMAND_TOGGLE_SPINDLE_ARROWS},  {89, SIM_COMMAND_TOGGLE_ACTIVE_OFFSET},
      {90, SIM_COMMAND_TOGGLE_GRID},
  };
  for (const auto& [entry, command] : kCommandOf)
    if (entry == action) {
      runCommand(view, command, 0);
      return;
    }
  // Stock shown: the entry flips it (commands 5 and 6 only set one way).
  if (action == 54 && view.interfaceState())
    runCommand(view, view.interfaceState()->stockShown.load() ? SIM_COMMAND_HIDE_STOCK : SIM_COMMAND_SHOW_STOCK, 0);
}

}  // namespace view
