#pragma once
// One simulation view: the composition of its parts, its render thread and
// the frame loop that runs them. Each part keeps its own state and locks:
//   ViewWindow    the window, its context, embedding and input
//   FrameCommands the work host calls hand to the render thread
//   JobData       what the host handed over (toolpath snapshots, stocks, tools)
//   Playback      the position, steps, the tool's pose and the line report
//   ViewCamera    the camera and standard views
//   Notifier      the messages to the host
// and the frame parts (FramePart), which follow the played position and
// draw: the stock stage and the machine. A frame runs commands, input, playback, the
// frame parts in their order, the commands waiting for the cut, the camera
// and the drawing.
#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "formats/CustomSettings.h"
#include "korvane/Korvane.h"
#include "ui/InterfaceState.h"
#include "ui/RibbonState.h"
#include "ui/StringTable.h"
#include "ui/NcCodeModel.h"
#include "view/FrameCommands.h"
#include "view/InterfaceFrame.h"
#include "view/JobData.h"
#include "view/NcCodeFollower.h"
#include "view/MachineModelLoader.h"
#include "view/MachineStage.h"
#include "view/Measuring.h"
#include "view/ActiveColours.h"
#include "view/AxisControl.h"
#include "view/ToolStage.h"
#include "view/ViewBytes.h"
#include "view/GeometryStage.h"
#include "view/ToolpathStage.h"
#include "view/MouseBindings.h"
#include "view/MouseNavigation.h"
#include "view/Picking.h"
#include "gpu/DepthProbe.h"
#include "view/Notifier.h"
#include "view/Playback.h"
#include "view/ProcessState.h"
#include "view/ProgressTasks.h"
#include "view/DrawPacing.h"
#include "view/PhaseTimings.h"
#include "view/SolidExports.h"
#include "view/StockPlacement.h"
#include "view/StockStage.h"
#include "view/CollisionChecks.h"
#include "view/CompareFollower.h"
#include "view/ViewCamera.h"
#include "view/ViewWindow.h"
#include "view/ViewLink.h"

namespace view {

enum class WindowStatus : uint32_t { Pending = 0, Created = 1, Failed = 2 };

using Clock = std::chrono::steady_clock;

}  // namespace view

// A struct to the C interface (korvane/Korvane.h), a class in all but name.
struct Render {
 public:
  Render();
  ~Render();
  Render(const Render&) = delete;
  Render& operator=(const Render&) = delete;

  // ---- Lifecycle
  // Host thread: starts the render thread, which creates the window and runs
  // the frame loop.
  void startRenderThread(SIM_Window parent, const view::CreationHints& hints);
  // Host thread: asks the render thread to stop and joins it and the export
  // threads. Throws std::system_error when called from the render thread.
  void stopThreads();
  bool isOwnThread() const;
  // The creation hints, fixed when the render thread starts.
  const view::CreationHints& hints() const { return hints_; }
  // From the render thread (a handler of a sent notification): asks the view
  // to close and to free itself when its render thread ends.
  void releaseFromOwnThread();
  view::WindowStatus windowStatus() const { return static_cast<view::WindowStatus>(windowStatus_.load()); }
  bool frameDone() const { return frameDone_.load(); }
  // Waits until creation is decided (polling every 10 ms, or yielding) and,
  // when it succeeded, yields until the first frame is done.
  view::WindowStatus waitForFirstFrame(bool pollEvery10ms) const;
  SIM_Window windowHandle() const { return window_.handle(); }
  // Sets the callback window; with hostHandles an offscreen host window moves into it.
  void setCallbackWindow(SIM_Window window, bool hostHandles);
  // Host thread, after the threads stopped: destroys the offscreen host window.
  void destroyHostWindow() { window_.destroyHostWindow(); }

  // ---- The parts
  view::Notifier& notifier() { return notifier_; }
  view::FrameCommands& commands() { return commands_; }
  view::JobData& job() { return job_; }
  view::CollisionChecks& collisions() { return collisions_; }
  view::Playback& playback() { return playback_; }
  view::StockStage& stock() { return stock_; }
  view::MachineStage& machineStage() { return machine_; }
  view::ToolpathStage& toolpathStage() { return toolpath_; }
  view::GeometryStage& geometryStage() { return geometries_; }
  view::ToolStage& toolStage() { return tool_; }
  view::ViewCamera& viewCamera() { return camera_; }
  camera::Camera& camera() { return camera_.camera(); }
  view::ViewWindow& window() { return window_; }
  view::MouseBindingTable& mouseBindings() { return mouseBindings_; }
  // Render thread.
  const view::MouseNavigation& navigation() const { return navigation_; }
  // Where the last drawn frame saw the cursor (window pixels; -1 outside).
  std::array<double, 2> cursor() const { return cursor_; }
  // Render thread: what lies under a window pixel (y down), of what the
  // view shows now.
  view::PickHit pickAt(int x, int y);
  // Any thread: plays to the end of the move the context menu was opened
  // over; false when it was opened over no toolpath point.
  bool jumpToCut();
  // Any thread: the context menu opens at the next frame where the cursor
  // is then, with "Jump to cut" offered over a toolpath point.
  void openContextMenuAtCursor();
  // Render thread: the points measured so far, display frame.
  const view::Measurement& measurement() const { return measurement_; }
  view::ProgressTasks& progressTasks() { return progressTasks_; }
  view::PhaseTimings& timings() { return timings_; }
  view::MachineModelLoader& machineModels() { return machineModels_; }
  // The view's own bytes, and the interface's model and state: those two
  // made with a window (not headless) before it opens, kept for the view's
  // life; null when headless.
  view::ViewBytes& viewBytes() { return viewBytes_; }
  // Keeps the display choices for the next view ("setup.bin"); a headless
  // view, or one whose window never came up, has no choices of the user's
  // to keep and writes nothing.
  void saveSetup() noexcept;
  // "custom settings.json" as the view read it when it was made.
  const formats::CustomSettings& customSettings() const { return customSettings_; }
  UI::RibbonState* ribbon() { return ribbon_.get(); }
  UI::InterfaceState* interfaceState() { return interface_.get(); }
  // The NC program texts the host handed over (any thread; its own lock).
  UI::NcCodeModel& ncCode() { return ncCode_; }
  // Render thread once the window exists: the interface's texts.
  const UI::StringTable& strings() const { return strings_; }
  // The placement tool's values and the workpiece placement committed.
  view::StockPlacement& stockPlacement() { return stockPlacement_; }
  // Render thread: the interface drawn over the scene.
  view::InterfaceFrame& interfaceFrame() { return interfaceFrame_; }

  // ---- What host calls ask of several parts
  // A new toolpath snapshot was published: the display follows and the host
  // hears event 0.
  void toolpathChanged();
  // A standard view at the next frame (see ViewCamera).
  void requestView(int32_t code);
  // The host set a pose; a kept standard view gives way.
  void markPositioned();
  // A playback step (SIM_GotoCommand), worked out at the next frame.
  void queueStep(uint32_t code);
  // Render thread: cuts the toolpath moves [first, end) out of every stock
  // at once, the playback standing where it is.
  void cutStockMoves(uint32_t first, uint32_t end);
  // Starts writing a stock solid's surface as binary STL in host units on
  // the solid's export thread; false while that solid's last export runs.
  bool exportSolid(uint32_t solid, std::string path);
  // Ribbon "Save as STL": a save dialog, then the first solid not busy
  // exporting goes to the chosen path.
  void saveSolidAsStl();
  // The presentation export (event 17's own handling): the simulation file
  // of the view as it is now, written where the user chooses, bundled with
  // the viewer program when one is set.
  void exportPresentation();
  // The viewer program of presentation bundles (SIM_SetParameter key 1).
  std::string viewerProgram();
  // The simulation file of the view as it is now; none without the export
  // layer's writer. Any thread.
  std::optional<std::vector<uint8_t>> simulationDocument();
  // What writes the simulation file: the export layer installs it when it
  // makes the view (the file holds what the exports answer).
  using SimulationDocument = std::function<std::vector<uint8_t>(Render&)>;
  void setSimulationDocument(SimulationDocument document) { simulationDocument_ = std::move(document); }
  // Render thread: the stocks drawn from the camera into an image of the
  // given size, RGBA rows from the bottom up.
  std::vector<uint8_t> renderImage(int width, int height);
  // The window's frame as it shows it: the scene, its background and the
  // interface drawn again at the window's size (rows from the bottom up).
  struct WindowImage {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;
  };
  WindowImage windowImage();

  void requestRedraw() { redrawRequested_ = true; }
  void setActiveMode(bool on) { activeMode_ = on; }
  bool dataReady() const { return dataReady_.load(); }

  // ---- Statistics
  uint64_t frameCounter() const { return frameCounter_.load(); }
  uint64_t framesDrawn() const { return framesDrawn_.load(); }
  uint64_t iterations() const { return iterations_.load(); }
  double frameTimeRatio() const { return frameTimeRatio_.load(); }
  int framebufferWidth() const { return window_.framebufferWidth(); }
  int framebufferHeight() const { return window_.framebufferHeight(); }
  int dpiX() const { return window_.dpiX(); }

 private:
  void renderThreadMain(SIM_Window parent);
  void readCustomSettings();
  void readSavedSetup();
  bool createWindow(SIM_Window parent);
  void cleanMeshCache();
  void finishOwnRelease();
  void runFrameLoop();
  void runFrame(double now, bool drawing);
  // True when any command ran.
  bool runCommands(std::vector<view::FrameCommands::Work> commands);
  void handleInput(const view::InputState& frame, double now);
  void draw(double now);
  // Mouse navigation in the 3D area, after the interface saw the input.
  void navigate(const view::InputState& frame, double now);
  void openContextMenu(double x, double y);
  void turnToCubeElement(const UI::CubeElement& element);
  // With the scene drawn: zooms to the rectangle drawn in zoom-window mode.
  void zoomToWindow(const UI::MouseSelection::Corners& corners);
  void selectInBox(const UI::MouseSelection::Corners& corners);
  camera::SceneBox viewBox(int32_t code) const;
  // A measuring click at a window pixel (y down), after the scene is drawn.
  void measureAt(const std::array<double, 2>& cursor);
  UI::MeasureValues measureValues();
  void followAxisControl();
  std::optional<float> compareDistanceUnderCursor();
  // probeDepth: the window's frame, whose depth under the cursor is read.
  stock::CuttingPlane sceneCuttingPlane();
  void drawParts(const camera::Camera::DrawState& camera, bool probeDepth = false);
  view::NcCodeListing ncCodeListing(const toolpath::Toolpath* played);  // the "NC code" panel, ribbon 84
  bool shown(const view::FramePart& part) const;
  void followTool();
  // The chosen theme copied anew: interface, toolpath, background and
  // stock colours take it.
  void followTheme();
  void followCollisions(view::FrameState& frame);
  void followCheckStops();
  camera::SceneBox sceneBox() const;
  void shutdown(bool closedByUser);
  double milliseconds() const;

  view::CreationHints hints_;
  view::Notifier notifier_;
  view::FrameCommands commands_;
  view::JobData job_;
  view::Playback playback_{notifier_};
  view::ViewCamera camera_;
  view::PhaseTimings timings_;
  view::ViewBytes viewBytes_;
  // The saved answers read at construction, applied once the window exists.
  std::map<uint32_t, bool> savedAnswers_;
  formats::CustomSettings customSettings_;
  UI::StringTable strings_;
  std::optional<int32_t> language_;  // a built-in language to load at window creation
  view::StockPlacement stockPlacement_;
  view::InterfaceFrame interfaceFrame_;  // render thread; open with a window, not headless
  view::ActiveColours activeColours_;    // render thread
  // Set by work that ends off the render thread (a dialog's answer): draw
  // again. Shared, so a late answer never touches a closed view.
  std::shared_ptr<std::atomic<bool>> lateRedraw_ = std::make_shared<std::atomic<bool>>(false);
  uint64_t shownStockRevision_ = ~uint64_t{0};  // what the stock panels were last given
  uint32_t shownUnit_ = ~uint32_t{0};
  std::unique_ptr<UI::RibbonState> ribbon_;
  std::unique_ptr<UI::InterfaceState> interface_;
  UI::NcCodeModel ncCode_;
  view::NcCodeFollower ncCodeFollower_;  // render thread
  std::atomic<int64_t> ncListedLine_{-1};  // where event 5 moved the NC-code list
  const toolpath::Toolpath* listedToolpath_ = nullptr;  // render thread: the toolpath it belongs to
  view::CompareFollower compareFollower_;  // render thread
  struct CompareRead {
    std::array<double, 2> at{-1, -1};  // the cursor it was read at
    uint64_t frames = ~uint64_t{0};    // the pictures drawn by then
    std::optional<float> distance;
  } compareRead_;  // render thread
  std::optional<glm::dvec3> followedTip_;  // render thread: the tip the camera follows
  std::pair<std::vector<int32_t>, bool> shownCollisions_;  // render thread: tinted nodes, tool
  std::tuple<const toolpath::Toolpath*, int64_t, double> partialAskedAt_{nullptr, -1, 0.0};  // render thread
  bool partialWanted_ = false;                                                              // render thread
  view::StockStage stock_{job_, closeRequested_, timings_, playback_};
  view::ToolpathStage toolpath_{job_};
  view::GeometryStage geometries_{job_};
  view::ToolStage tool_{job_, playback_};
  view::MachineStage machine_{job_, playback_};
  view::ViewWindow window_;
  // The frame parts in frame order; each is a member above.
  std::vector<view::FramePart*> parts_{&stock_, &geometries_, &toolpath_, &tool_, &machine_};
  view::MouseBindingTable mouseBindings_;
  view::MouseNavigation navigation_;      // render thread
  gpu::DepthProbe depthProbe_;            // render thread: the depth under the cursor
  view::Picking picking_;                 // render thread
  std::optional<UI::MouseSelection::Corners> zoomWindow_;  // render thread: for the next drawn frame
  std::atomic<int64_t> jumpTarget_{-1};   // the move under the context menu's click
  std::array<double, 2> cursor_{-1, -1};  // render thread: window pixels, (-1, -1) outside
  view::Measurement measurement_;           // render thread
  std::vector<int32_t> axisNodes_;          // render thread: the machine node of each axis-control row
  std::optional<std::array<double, 2>> measureClick_;  // render thread: for the next drawn frame
  view::ProgressTasks progressTasks_;
  view::SolidExports solidExports_{timings_};  // joined before the view is freed
  SimulationDocument simulationDocument_;      // set before the view is shared
  // Dialog threads reach the view through it; cut first when the view goes.
  std::shared_ptr<view::ViewLink> link_;
  view::MachineModelLoader machineModels_{job_, notifier_};  // joined with the threads
  view::CollisionChecks collisions_{job_, notifier_};        // its worker joined with the threads

  // Cross-thread flags
  std::atomic<bool> closeRequested_{false};
  std::atomic<bool> releaseItself_{false};
  std::atomic<bool> frameDone_{false};
  std::atomic<bool> dataReady_{false};
  std::atomic<uint32_t> windowStatus_{0};
  std::atomic<bool> redrawRequested_{false};
  std::atomic<bool> activeMode_{true};

  // Frame timing and statistics
  double frameIntervalMs_ = 15.0;
  std::atomic<uint64_t> frameCounter_{0};
  std::atomic<double> frameTimeRatio_{0.0};
  std::atomic<uint64_t> framesDrawn_{0};
  std::atomic<uint64_t> iterations_{0};
  view::Clock::time_point clockStart_;
  double lastActivity_ = 0;  // render thread
  view::DrawPacing drawPacing_;  // render thread
  // The toolpath snapshot of the frame under way, for commands too.
  std::shared_ptr<const toolpath::Toolpath> frameToolpath_;  // render thread
  // The toolpath and check results the playback's check stops come from.
  std::shared_ptr<const toolpath::Toolpath> checkStopsPath_;
  uint64_t checkStopsRevision_ = 0;

  std::thread renderThread_;
};
