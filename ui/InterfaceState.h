#pragma once
// What the in-viewport interface shows and is set to, as commands, the
// ribbon and the user change it: toolpath and stock shown, loop and follow
// the tool, the machine panel in each layout, the panel mode, the display
// bytes the interface keeps, the request bytes, the context menu, the
// measured points and zoom-window mode. Panels that are ribbon entries are
// shown while their entry is ticked (RibbonState). Every byte is its own
// atomic: host threads write, the render thread reads, no lock.
#include <array>
#include <atomic>
#include <cstdint>

namespace UI {

class InterfaceState {
 public:
  std::atomic<uint8_t> toolpathShown{1};
  std::atomic<uint8_t> stockShown{1};
  std::atomic<uint8_t> loop{0};
  std::atomic<uint8_t> followTool{0};
  std::atomic<uint8_t> panelMode{0};

  // The machine panel in the wide and the narrow layout, and its second
  // state byte. The narrow layout holds while it is enabled and the
  // interface's width measure times its scale exceeds the window's limit.
  std::atomic<uint8_t> machinePanelWide{0}, machinePanelNarrow{0};
  std::atomic<uint8_t> machinePanelOption{0};
  std::atomic<uint8_t> narrowLayoutEnabled{1};
  std::atomic<float> widthMeasure{0.0f}, scale{1.0f}, windowLimit{1.0e9f};
  bool narrowLayout() const {
    return narrowLayoutEnabled.load() && widthMeasure.load() * scale.load() > windowLimit.load();
  }
  std::atomic<uint8_t>& machinePanelInLayout() { return narrowLayout() ? machinePanelNarrow : machinePanelWide; }

  // Display bytes of the interface (commands 54, 56, 57), the first and last
  // with a mark that they changed, and the request bytes (60, 62).
  std::atomic<uint8_t> option54{0}, option54Changed{0};
  std::atomic<uint8_t> option56{0};
  std::atomic<uint8_t> option57{0}, option57Changed{0};
  std::atomic<uint8_t> request60{0};
  std::atomic<uint8_t> relayout{0};

  // The orientation aids (SIM_UpdateGnomon): the gnomon's X, Y and Z axes,
  // the gnomon at all, the view cube.
  std::array<std::atomic<uint8_t>, 3> gnomonAxes{1, 1, 1};
  std::atomic<uint8_t> gnomonShown{1}, viewCubeShown{1};

  // The "NC code" panel's selection, cleared when the panel hides.
  std::atomic<int64_t> ncSelectionStart{-1}, ncSelectionEnd{-1};

  // The viewport's context menu: open at a cursor position, its "Jump to
  // cut" entry enabled only over a toolpath point.
  std::atomic<uint8_t> contextMenuOpen{0}, jumpToCutEnabled{0};
  std::atomic<double> contextMenuX{0.0}, contextMenuY{0.0};

  // Measuring: how many points are set (0 to 2); zoom-window mode; box
  // selection (the next box drawn selects toolpath moves and frames them).
  std::atomic<uint8_t> measuredPoints{0};
  std::atomic<uint8_t> zoomWindow{0};
  std::atomic<uint8_t> boxSelection{0};
};

}  // namespace UI
