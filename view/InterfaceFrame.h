#pragma once
// The view's in-window interface on its render thread: the frame pass that
// steps the interface to the window's input and walks its top-level panels
// (the ribbon bar first), and the overlay drawn on top of each frame.
// Headless views have none.
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "toolpath/Toolpath.h"
#include "ui/Annotation.h"
#include "ui/AnnotationLine.h"
#include "ui/AxisSliders.h"
#include "ui/ClickableList.h"
#include "ui/ColorGradientBar.h"
#include "ui/ContextMenu.h"
#include "ui/Gnomon.h"
#include "ui/MouseSelection.h"
#include "ui/OrientationDrawing.h"
#include "ui/CuttingPlaneSettings.h"
#include "ui/Information.h"
#include "ui/InterfaceState.h"
#include "ui/Navigation.h"
#include "ui/ProgressBar.h"
#include "ui/Ribbonbar.h"
#include "ui/StockColorSetting.h"
#include "ui/StockCompareColors.h"
#include "ui/StockCompareVisibility.h"
#include "ui/StatusBar.h"
#include "ui/StockQuality.h"
#include "ui/SubProgramHUD.h"
#include "ui/StringTable.h"
#include "ui/Theme.h"
#include "ui/UIElement.h"
#include "ui/UIManager.h"
#include "view/CuttingPlaneSetting.h"
#include "view/InputState.h"

namespace view {

class InterfaceFrame {
 public:
  // What the interface reads and changes; each stays the caller's and must
  // outlive the frame.
  struct Links {
    const UI::StringTable* texts = nullptr;
    UI::RibbonState* ribbon = nullptr;  // none: no ribbon bar, no context menu
    UI::InterfaceState* state = nullptr;
    CuttingPlaneSetting* cuttingPlane = nullptr;
    std::function<void(uint32_t action)> choose;  // runs a ribbon action
    // What the playback bar asks for: a step (SIM_GotoCommand's code),
    // play or pause, a position (time fraction), a speed slider value.
    std::function<void(uint32_t code)> step;
    std::function<void()> playPause;
    std::function<void(double timeFraction)> seek;
    std::function<void(double speed)> setSpeed;
    // A click on a view-cube element.
    std::function<void(const UI::CubeElement&)> chooseCubeElement;
  };
  // Render thread, the window's context current.
  void open(Links links, int dpi);
  bool isOpen() const { return manager_ != nullptr; }
  // The frame's input and a walk of the panels; true when what the
  // interface draws changed (the view must draw again).
  bool update(const InputState& frame, int width, int height);
  // The window's DPI: another one builds the glyphs again (and loads the
  // icons of another size class); the texts follow on their next frame.
  void followDpi(int dpi);
  // The interface's colours; glyphs are made again when the text turns
  // from dark to bright or back.
  void setTheme(const UI::Theme& theme);
  void draw();
  void release();
  // Walked in this order each frame.
  std::vector<UI::UIElement*>& panels() { return panels_; }
  UI::UIManager* manager() { return manager_.get(); }
  UI::Ribbonbar* ribbonbar() { return ribbonbar_.get(); }
  UI::Information* information() { return information_.get(); }
  // What the information panel shows from the next update on.
  void showInformation(const UI::InformationValues& values);
  // The status bar along the bottom and the subprogram panel above it.
  UI::StatusBar* statusBar() { return statusBar_.get(); }
  UI::SubProgramHUD* subprogramPanel() { return subprogram_.get(); }
  void showStatus(const UI::StatusValues& status, const UI::SubprogramValues& subprogram);
  // The view cube and the gnomon, top right; what they show from the next
  // update on: the camera's turn and the host's axes in the display frame.
  UI::Gnomon* gnomon() { return gnomon_.get(); }
  // The zoom-window rectangle the user finished drawing (zoom window ends
  // with it), once.
  UI::MouseSelection* mouseSelection() { return mouseSelection_.get(); }
  // The measuring panel, left below the ribbon while measuring is on, and
  // the measured points it shows from the next update on.
  UI::Annotation* annotation() { return annotation_.get(); }
  void showMeasurement(const UI::MeasureValues& values);
  // The axis control (ribbon entry 75), left below the ribbon: the axes it
  // shows from the next update on, and the rows the user dragged (row,
  // value shown) since the last call.
  UI::AxisSliders* axisSliders() { return axisSliders_.get(); }
  void showAxes(const std::vector<UI::AxisValues>& axes);
  std::vector<std::pair<size_t, double>> takeAxisMoves() { return std::exchange(axisMoves_, {}); }
  // A box the user finished drawing: for the zoom window, or selecting.
  struct DrawnBox {
    UI::MouseSelection::Corners corners;
    bool selects = false;
  };
  std::optional<DrawnBox> takeDrawnBox() { return std::exchange(drawnBox_, std::nullopt); }
  void showOrientation(const glm::mat3& viewRotation, const glm::mat3& hostAxes);
  // The playback bar, bottom centre above the status bar.
  UI::Navigation* navigation() { return navigation_.get(); }
  // What it shows from the next update on: the played position, whether
  // playing, the speed slider's value and the rate it gives (toolpath
  // minutes a second; infinite: as fast as frames go). A new toolpath gives
  // new segments (one per operation) and, for turning jobs, the row that
  // steps by operation instead of by Z level. A slider the user holds keeps
  // the user's value.
  void showPlayback(const toolpath::Toolpath* path, double timeFraction, bool playing, double speed, double rate);
  // The playback range's ends, marked on the timeline.
  void showRange(const std::array<double, 2>& range);
  // The progress bar, bottom right above the status bar: the task shown,
  // or none.
  UI::ProgressBar* progressBar() { return progress_.get(); }
  void showProgress(const std::optional<std::pair<uint32_t, std::u16string>>& task);
  // The "Operations list" panel: "All" and one row per operation, ticked
  // while visible, the operation playing selected; shown while its ribbon
  // entry is ticked. The caller sets its onSelect and onTick.
  UI::ClickableList* operationsList() { return operations_.get(); }
  void showOperations(const toolpath::Toolpath* path, int64_t move, double timeFraction);
  // The stock-quality panel (the caller sets its onChange and feeds it) and
  // the section-plane panel, each opened from its ribbon button, top left.
  UI::StockQuality* stockQuality() { return stockQuality_.get(); }
  UI::CuttingPlaneSettings* cuttingPlaneSettings() { return cuttingPlanes_.get(); }
  // The stock-colour panel, shown while ribbon entry 66 is ticked, below
  // the other two; the caller sets its swatch's chooser and onChange.
  UI::StockColorSetting* stockColours() { return stockColours_.get(); }
  // The compare's panels, opened together from the Compare button's arrow
  // below the other left panels (the caller sets their callbacks), and its
  // legend at the right while the comparison shows; what they show from
  // the next update on.
  UI::StockCompareColors* compareColours() { return compareColours_.get(); }
  UI::StockCompareVisibility* compareVisibility() { return compareVisibility_.get(); }
  UI::ColorGradientBar* compareLegend() { return compareLegend_.get(); }
  void showCompare(const UI::CompareValues& values);
  // The ribbon's section button: the section on the last chosen plane, or
  // off.
  void toggleSection();
  void showStockQuality(const UI::StockQualityValues& values);
  // The viewport's context menu: opened by the update after the interface
  // state asks for it, where the viewport was last clicked, drawn over
  // everything else.
  UI::ContextMenu* contextMenu() { return contextMenu_.get(); }
  // The cursor was over an interface element that took it in the last
  // update: the scene below does not react to it.
  bool pointerOverUI() const { return pointerOverUI_; }
  // Where the context menu opens next (window pixels): a right click's point.
  void setContextMenuPoint(float x, float y) { lastViewportClick_ = std::array<float, 2>{x, y}; }
  // A text field was being edited in the last update: the keyboard is its
  // own, not the view's shortcuts'.
  bool keyboardCaptured() const { return keyboardCaptured_; }

 private:
  void followBoxModes();
  void toggle(UI::InterfaceToggle which);
  bool toggled(UI::InterfaceToggle which) const;
  void setPlane(uint32_t plane);
  void stackLeftPanels();

  std::unique_ptr<UI::UIManager> manager_;
  UI::Theme theme_ = UI::Theme::light();
  std::unique_ptr<UI::Ribbonbar> ribbonbar_;
  std::unique_ptr<UI::Information> information_;
  std::unique_ptr<UI::StatusBar> statusBar_;
  std::unique_ptr<UI::SubProgramHUD> subprogram_;
  std::unique_ptr<UI::ProgressBar> progress_;
  std::unique_ptr<UI::Navigation> navigation_;
  const toolpath::Toolpath* segmentsOf_ = nullptr;  // the toolpath the timeline's segments came from
  double shownPosition_ = -1, shownSpeed_ = -1;     // what the bar was given last
  std::unique_ptr<UI::ClickableList> operations_;
  std::unique_ptr<UI::RibbonLink> ribbonLink_;
  std::unique_ptr<UI::ContextMenu> contextMenu_;
  std::unique_ptr<UI::Gnomon> gnomon_;
  std::unique_ptr<UI::MouseSelection> mouseSelection_;
  std::optional<DrawnBox> drawnBox_;
  UI::OrientationDrawing orientationDrawing_;
  std::unique_ptr<UI::Annotation> annotation_;
  std::unique_ptr<UI::AxisSliders> axisSliders_;
  std::vector<std::pair<size_t, double>> axisMoves_;
  UI::AnnotationLine annotationLine_;
  std::vector<UI::UIInstance> contextRecords_;
  std::unique_ptr<UI::StockQuality> stockQuality_;
  std::unique_ptr<UI::CuttingPlaneSettings> cuttingPlanes_;
  std::unique_ptr<UI::StockColorSetting> stockColours_;
  std::unique_ptr<UI::StockCompareColors> compareColours_;
  std::unique_ptr<UI::StockCompareVisibility> compareVisibility_;
  std::unique_ptr<UI::ColorGradientBar> compareLegend_;
  Links links_;
  uint32_t lastPlane_ = 2;  // "Y-": the front half away, the section facing the default view
  UI::FrameInput input_;
  std::vector<UI::UIElement*> panels_;
  bool pointerOverUI_ = false;
  bool keyboardCaptured_ = false;
  int dpi_ = 0;  // asked for last
  std::array<bool, 3> deferredPress_{};  // a press that came after a release in one frame
  std::array<bool, 3> buttonHeld_{};     // the buttons down at the end of the last frame
  std::optional<std::array<float, 2>> lastViewportClick_;  // window pixels
};

}  // namespace view
