// The render thread of a view: window creation, the frame loop and the
// teardown.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <shared_mutex>
#include <thread>
#include <utility>

#include "gpu/ProgramCache.h"
#include "machine/MeshCache.h"
#include "platform/Folders.h"
#include "platform/FrameScaling.h"
#include "view/SavedToggles.h"
#include "view/Render.h"
#include "view/EntityId.h"
#include "ui/CubeElement.h"

#include <glm/gtc/matrix_transform.hpp>
#include "view/NcCodeFollower.h"
#include "view/PlaybackInformation.h"
#include "view/ColourDialog.h"
#include "view/StockQualityOf.h"
#include "common/Utf16.h"
#include "toolpath/ToolpathColours.h"
#include "view/RemoteControl.h"

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

namespace {

constexpr double kIdleAfterMs = 1000.0;
constexpr double kActiveIdleSleepMs = 35.0;
constexpr double kIdleSleepMs = 75.0;

void sleepMs(double ms) {
  if (ms > 0) std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(ms));
}

view::ButtonPhase phaseOf(const view::InputState& frame, int button) {
  if (frame.wentDown[button]) return view::ButtonPhase::Pressed;
  if (frame.wentUp[button]) return view::ButtonPhase::Released;
  return frame.buttonDown[button] ? view::ButtonPhase::Held : view::ButtonPhase::Up;
}

view::BindingInput bindingInputOf(const view::InputState& frame) {
  view::BindingInput input;
  if (frame.control) input.modifierMask |= view::MouseBindingTable::kControlBit;
  if (frame.shift) input.modifierMask |= view::MouseBindingTable::kShiftBit;
  if (frame.alt) input.modifierMask |= view::MouseBindingTable::kAltBit;
  for (int button = 0; button < 3; ++button) input.buttons[button] = phaseOf(frame, button);
  input.wheel = frame.wheelSteps;
  return input;
}

}  // namespace

void Render::renderThreadMain(SIM_Window parent) {
  try {
    if (createWindow(parent)) {
      cleanMeshCache();
      runFrameLoop();
    }
  } catch (...) {
    // Nothing may leave the thread: the host process would end. A view
    // whose thread failed stays a view without window until it is closed.
    if (windowStatus() == view::WindowStatus::Pending)
      windowStatus_ = static_cast<uint32_t>(view::WindowStatus::Failed);
    try {
      if (window_.created()) shutdown(false);
    } catch (...) {
    }
  }
  commands_.close();
  // Nobody may wait for a first frame that will never come.
  frameDone_ = true;
  if (releaseItself_.load()) finishOwnRelease();
}

// Stale convex decompositions go when a view starts, on its own thread; a
// file system error only ends the clean-up.
void Render::cleanMeshCache() {
  try {
    const std::filesystem::path root = platform::meshCacheRoot();
    if (!root.empty()) machine::MeshCache(root).cleanUp();
  } catch (const std::exception&) {
  }
}

// A closed panel, or another toolpath, forgets the line event 5 reported:
// the panel opens on the line playing until the next report.
view::NcCodeListing Render::ncCodeListing(const toolpath::Toolpath* played) {
  view::NcCodeListing listing;
  if (played != listedToolpath_) ncListedLine_ = -1;
  listedToolpath_ = played;
  if (!interface_ || !ribbon_ || !ribbon_->ticked(84)) {
    ncListedLine_ = -1;
    return listing;
  }
  listing.open = true;
  listing.line = ncListedLine_.load();
  listing.selectedFirst = interface_->ncSelectionStart.load();
  listing.selectedLast = interface_->ncSelectionEnd.load();
  return listing;
}

bool Render::createWindow(SIM_Window parent) {
  // After the host's last SIM_TerminateOpenGL no new window is made, even
  // while open views keep the window system up.
  window_.setOffscreenRenderScale(platform::offscreenRenderScale(customSettings_.offscreenRenderScale));
  if (view::windowSystemReferences() == 0 || !window_.create(parent, hints_)) {
    windowStatus_ = static_cast<uint32_t>(view::WindowStatus::Failed);
    return false;
  }
  stock_.setDeviceLimits(window_.deviceLimits());
  if (language_) strings_ = UI::builtInStrings(*language_);
  if (!hints_.headless) {
    view::InterfaceFrame::Links links;
    links.texts = &strings_;
    links.ribbon = ribbon();
    links.state = interface_.get();
    links.cuttingPlane = &job_.cuttingPlane;
    links.choose = [this](uint32_t action) { view::chooseRibbonAction(*this, action); };
    links.step = [this](uint32_t code) { queueStep(code); };
    links.playPause = [this] {
      if (playback_.playing())
        playback_.pause();
      else
        playback_.play();
    };
    links.seek = [this](double timeFraction) { playback_.requestPosition(timeFraction); };
    links.setSpeed = [this](double speed) { playback_.setSpeed(speed); };
    links.chooseCubeElement = [this](const UI::CubeElement& element) { turnToCubeElement(element); };
    ncCodeFollower_ = {};  // the new panels show the line at once
    interfaceFrame_.open(std::move(links), window_.dpiX() > 0 ? window_.dpiX() : 96);
  }
  if (UI::StockColorSetting* colours = interfaceFrame_.stockColours()) {
    colours->picker().chooser = [this](const UI::Colour& current) {
      return view::askColour(common::utf8FromUtf16(strings_[158]), current, lateRedraw_);
    };
    // The stock's own colour: every stock takes it; the lattices stay.
    colours->picker().onChange = [this](const UI::Colour& colour) {
      std::unique_lock stockLock(stock_.lock());
      for (const stock::StockDescription& s : job_.stocks.stocks()) {
        stock::StockDefinition definition = s.definition;
        definition.colour = glm::vec3(colour[0], colour[1], colour[2]);
        job_.stocks.setStock(std::move(definition));
      }
      requestRedraw();
    };
  }
  if (interfaceFrame_.isOpen())
    compareFollower_.link(
        interfaceFrame_, job_, ribbon(),
        [this](const UI::Colour& current) {
          return view::askColour(common::utf8FromUtf16(strings_[96]), current, lateRedraw_);
        },
        [this] { requestRedraw(); });
  if (UI::StockQuality* quality = interfaceFrame_.stockQuality()) {
    // A new quality rebuilds the lattice of every stock whose precision
    // mode is the one the panel shows (a fraction means nothing to a stock
    // in tolerance mode); the next frame cuts them again to the position
    // played.
    quality->onChange = [this](double value) {
      std::unique_lock stockLock(stock_.lock());
      const std::optional<uint32_t> current = job_.stocks.currentStock();
      const std::optional<stock::StockDescription> shown = current ? job_.stocks.stock(*current) : std::nullopt;
      if (!shown || shown->definition.precision == stock::StockPrecision::Level) return;
      for (const stock::StockDescription& s : job_.stocks.stocks()) {
        if (s.definition.precision != shown->definition.precision) continue;
        stock::StockDefinition definition = s.definition;
        definition.quality = value;
        job_.stocks.setStock(std::move(definition));
      }
      requestRedraw();
    };
  }
  if (UI::ClickableList* operations = interfaceFrame_.operationsList()) {
    // Choosing an operation plays to its first move; its tick box shows or
    // hides it ("All": every operation).
    operations->onSelect = [this](size_t row) {
      const std::shared_ptr<const toolpath::Toolpath> path = job_.toolpath.current();
      if (row == 0 || !path || row > path->operationCount()) return;
      playback_.requestPosition(path->timeFractionOfMove(path->operation(row - 1).first));
    };
    operations->onTick = [this](size_t row, bool ticked) {
      // "All" changes every operation in one step.
      job_.toolpath.update([&](const toolpath::Toolpath& path) {
        const auto first = static_cast<uint32_t>(row == 0 ? 0 : row - 1);
        const auto end = static_cast<uint32_t>(row == 0 ? path.operationCount() : row);
        return path.withOperationsVisible(first, end, ticked);
      });
      requestRedraw();
    };
  }
  // The parent hears the notifications, unless the host chose another window meanwhile.
  if (parent != 0) notifier_.setCallbackWindowIfUnset(parent, true);
  clockStart_ = view::Clock::now();
  framesDrawn_ = 0;
  iterations_ = 0;
  view::applySavedAnswers(*this, savedAnswers_);
  windowStatus_ = static_cast<uint32_t>(view::WindowStatus::Created);
  return true;
}

void Render::runFrameLoop() {
  double lastIteration = milliseconds();
  double lastDraw = lastIteration;
  lastActivity_ = lastIteration;
  bool workPending = false;
  bool firstIteration = true;
  frameCounter_ = 0;
  redrawRequested_ = true;

  bool closedByUser = false;
  while (!closeRequested_.load()) {
    window_.finishTransfer();
    // Pacing: an idle view sleeps out the frame interval and draws; a busy
    // one never sleeps and draws only when the interval has passed.
    bool drawing;
    double now = milliseconds();
    if (!workPending) {
      sleepMs(frameIntervalMs_ - (now - lastIteration));
      now = milliseconds();
      drawing = true;
    } else {
      drawing = firstIteration || now - lastDraw >= frameIntervalMs_;
    }
    frameTimeRatio_ = (now - lastIteration) / frameIntervalMs_;
    lastIteration = now;
    firstIteration = false;

    runFrame(now, drawing);
    if (drawing) lastDraw = now;

    workPending = std::any_of(parts_.begin(), parts_.end(), [](const view::FramePart* part) { return part->busy(); });
    if (!workPending && (now - lastActivity_ > kIdleAfterMs || !activeMode_.load()))
      sleepMs(activeMode_.load() ? kActiveIdleSleepMs : kIdleSleepMs);
    if (drawing) window_.pollEvents();

    ++frameCounter_;
    ++iterations_;
    frameDone_ = true;
    closedByUser = window_.closedByUser();
    if (closedByUser) break;
  }
  shutdown(closedByUser);
}

void Render::runFrame(double now, bool drawing) {
  // One toolpath snapshot for everything this frame does with the
  // toolpath, its commands included.
  frameToolpath_ = job_.toolpath.current();
  // Work after the cut: only what was asked before this frame took the
  // pending position.
  std::vector<view::FrameCommands::Work> afterCut = commands_.take(view::CommandStage::AfterCut);
  if (runCommands(commands_.take(view::CommandStage::BeforeFrame))) lastActivity_ = now;

  if (lateRedraw_->exchange(false)) redrawRequested_ = true;
  if (drawing) {
    view::InputState input = window_.takeInput();
    if (interfaceFrame_.keyboardCaptured()) {
      // Letters typed into a field are not playback keys.
      input.stepKeys.clear();
      input.exportGesture = false;
    }
    handleInput(input, now);
    interfaceFrame_.followDpi(window_.dpiX());
    if (interfaceFrame_.update(input, window_.framebufferWidth(), window_.framebufferHeight())) redrawRequested_ = true;
    window_.setKeysCaptured(interfaceFrame_.keyboardCaptured());
    navigate(input, now);
    if (std::optional<view::InterfaceFrame::DrawnBox> box = interfaceFrame_.takeDrawnBox()) {
      if (box->selects)
        selectInBox(box->corners);
      else
        zoomWindow_ = box->corners;
      redrawRequested_ = true;
    }
    // Measuring: a left click on the scene measures there once the scene
    // is drawn; measuring switched off forgets the points.
    if (!viewBytes_.measuring.load()) {
      measurement_.clear();
    } else if (input.leftClicks > 0 && !interfaceFrame_.pointerOverUI() && cursor_[0] >= 0) {
      measureClick_ = cursor_;
      redrawRequested_ = true;
    }
    // A click on the interface is the interface's, not the viewport's.
    if (!interfaceFrame_.pointerOverUI())
      for (int i = 0; i < input.clicks; ++i) notifier_.notify(SIM_MESSAGE_NOTIFY, SIM_EVENT_VIEWPORT_CLICKED, 0, true);
  }
  followTheme();
  playback_.setLoop(interface_ && interface_->loop.load());
  // The speed slider's length once it is laid out in a real window.
  if (UI::Navigation* bar = interfaceFrame_.navigation(); bar && bar->speed().lengthPixels() >= 20)
    playback_.setSpeedSliderPixels(bar->speed().lengthPixels());
  followCheckStops();
  const view::PlayedPosition played = playback_.advance(frameToolpath_, frameTimeRatio_.load(), frameIntervalMs_);
  if (playback_.playing()) lastActivity_ = now;
  if (played.at.move >= 0 && !dataReady_.exchange(true)) camera_.applyKeptView(sceneBox());
  if (interfaceFrame_.isOpen()) {
    interfaceFrame_.showInformation(view::informationAt(played, job_));
    interfaceFrame_.showRange(playback_.range());
    interfaceFrame_.showPlayback(played.toolpath.get(), played.timeFraction, playback_.playing(), playback_.speed(),
                                 view::playbackRate(playback_.speed(), playback_.speedSliderPixels()));
    if (ncCodeFollower_.follow(played, ncCode_, job_.units.unit.load() != 0, job_.units.decimalsShown(),
                               ncCodeListing(played.toolpath.get())))
      interfaceFrame_.showStatus(ncCodeFollower_.status(), ncCodeFollower_.subprogram());
    if (const std::optional<view::ProgressTasks::Shown> task = progressTasks_.shown())
      interfaceFrame_.showProgress(std::pair{task->percent, task->caption});
    else
      interfaceFrame_.showProgress(std::nullopt);
    interfaceFrame_.showOperations(played.toolpath.get(), played.at.move, played.timeFraction);
    interfaceFrame_.showMeasurement(measureValues());
    compareFollower_.follow(interfaceFrame_, job_, compareDistanceUnderCursor());
    followAxisControl();
    const camera::Camera::Pose pose = camera_.camera().pose();
    const glm::mat3 turn(glm::lookAt(glm::dvec3(0.0), pose.direction, pose.up));
    interfaceFrame_.showOrientation(turn, glm::mat3(job_.displayFrame()));
    const uint64_t stockRevision = job_.stocks.stockRevision();
    if (stockRevision != shownStockRevision_ || job_.units.unit.load() != shownUnit_) {
      shownStockRevision_ = stockRevision;
      shownUnit_ = job_.units.unit.load();
      interfaceFrame_.showStockQuality(view::stockQualityOf(job_));
      if (UI::StockColorSetting* colours = interfaceFrame_.stockColours()) {
        const std::optional<uint32_t> current = job_.stocks.currentStock();
        const std::optional<stock::StockDescription> shown = current ? job_.stocks.stock(*current) : std::nullopt;
        if (shown) colours->picker().setColour({shown->definition.colour.x, shown->definition.colour.y,
                                                shown->definition.colour.z, 1.0f});
      }
    }
  }

  {
    std::unique_lock stockLock(stock_.lock(), std::try_to_lock);
    if (stockLock.owns_lock() && runCommands(commands_.take(view::CommandStage::StockUnlocked)))
      lastActivity_ = now;
  }
  view::FrameState frame{played};
  toolpath_.setContentScale(static_cast<float>(window_.dpiX()) / 96.0f);
  followCollisions(frame);
  const uint64_t stops = playback_.stopConditions().bytes();
  stock_.reportRemoval = view::StopConditions::isOn(stops, SIM_STOP_RAPID_INTO_STOCK) ||
                         view::StopConditions::isOn(stops, SIM_STOP_STOPPED_SPINDLE_CUT);
  for (view::FramePart* part : parts_) part->update(frame);
  const bool partStops = view::StopConditions::isOn(stops, SIM_STOP_HOLDER_INTO_STOCK);
  if ((stock_.reportRemoval.load() || partStops) && playback_.playedThisFrame() && played.toolpath) {
    const std::vector<uint32_t> reported = stock_.reportRemoval.load() ? stock_.removalReport() : std::vector<uint32_t>{};
    const std::vector<stock::PartHit> hits = partStops ? stock_.partCollisions() : std::vector<stock::PartHit>{};
    playback_.stopAtFound(view::cutStops(*played.toolpath, reported, hits));
  }
  for (uint32_t stock : stock_.takeTooCoarse())
    notifier_.notify(SIM_MESSAGE_NOTIFY, SIM_EVENT_STOCK_TOO_COARSE, stock, true);
  if (frame.changed) {
    lastActivity_ = now;
    redrawRequested_ = true;
  }
  // What waits for the cut waits for a frame that did it.
  if (frame.deferred)
    commands_.putBack(view::CommandStage::AfterCut, std::move(afterCut));
  else
    runCommands(std::move(afterCut));
  followTool();
  if (camera_.update(sceneBox(), frameTimeRatio_.load())) redrawRequested_ = true;
  if (drawing) draw(now);
}

void Render::followTheme() {
  if (!activeColours_.follow(viewBytes_.darkTheme.load() != 0)) return;
  const UI::ColourTheme& c = activeColours_.colours();
  interfaceFrame_.setTheme(c.ui);
  toolpath::ToolpathColours toolpath = toolpath::toolpathColours(viewBytes_.darkTheme.load() != 0);
  const auto vec4 = [](const UI::Colour& colour) { return glm::vec4(colour[0], colour[1], colour[2], colour[3]); };
  toolpath.cut = vec4(c.cut);
  toolpath.arc = vec4(c.arc);
  toolpath.rapid = vec4(c.rapid);
  job_.toolpathDisplay.setColours(toolpath);
  window_.setBackground(c.background);
  stock_.setOwnerColours(c.rapidRemoved, c.owners);
  machine_.setModelColour(vec4(c.machine));
  redrawRequested_ = true;
}

// The machine check's collisions and travel-limit violations as places
// where playing stops, worked out again when its results or the toolpath
// changed.
void Render::followCheckStops() {
  const uint64_t revision = collisions_.run().resultsRevision();
  if (revision == checkStopsRevision_ && frameToolpath_ == checkStopsPath_) return;
  checkStopsRevision_ = revision;
  checkStopsPath_ = frameToolpath_;
  if (!frameToolpath_) {
    playback_.setCheckStops({});
    return;
  }
  const std::vector<collision::MachineResult> collided = collisions_.run().machineResults();
  const std::vector<collision::LimitResult> limits = collisions_.run().limitResults();
  playback_.setCheckStops(view::checkStops(*frameToolpath_, collided, limits));
}

// Follow the tool: the camera moves with the tool tip, keeping the tool
// where it stood on screen when following began.
void Render::followTool() {
  if (!interface_ || !interface_->followTool.load() || playback_.toolPose().move < 0) {
    followedTip_.reset();
    return;
  }
  const glm::dvec3 tip = job_.displayFrame() * playback_.toolPose().tip;
  if (followedTip_) camera_.camera().follow(tip - *followedTip_);
  followedTip_ = tip;
}

// Where playback stands the machine is checked from (a partial run, when
// that part of the path is not checked yet), and the collided parts take
// the tint, as the highlight settings allow, from their first hit on:
// machine parts, the tool with its holder.
void Render::followCollisions(view::FrameState& frame) {
  collisions_.followMotion();
  collision::CollisionRun& run = collisions_.run();
  const toolpath::Toolpath* path = frame.played.toolpath.get();
  double played = 0.0;
  if (path && frame.played.at.move >= 0) {
    played = collision::lengthFractionAt(*path, frame.played.at.move, frame.played.at.fraction);
    // Position changes (playback, steps, jumps, a new toolpath) ask for a
    // partial run until one starts or the position is covered.
    const std::tuple position{path, frame.played.at.move, frame.played.at.fraction};
    if (position != partialAskedAt_) {
      partialAskedAt_ = position;
      partialWanted_ = true;
    }
    if (partialWanted_ && collisions_.machineHasPairs() &&
        run.startPartial(played, path->totalLength()) != collision::CollisionRun::PartialStart::Busy)
      partialWanted_ = false;
  }
  const std::array<uint8_t, 3> tint = run.highlight();
  std::vector<int32_t> nodes;
  bool tool = false;
  for (const collision::CollisionRun::Collided& c : run.collided()) {
    if (c.fraction > played + 1e-12) continue;
    if (c.kind == collision::ObjectClass::Part && tint[0]) nodes.push_back(c.node);
    if (c.kind == collision::ObjectClass::Tool && tint[1]) tool = true;
  }
  const std::pair shown{std::move(nodes), tool};
  if (shown == shownCollisions_) return;
  shownCollisions_ = shown;
  machine_.setCollided(shown.first);
  tool_.tintedParts = tool ? 0xFu : 0u;
  frame.changed = true;
}

camera::SceneBox Render::sceneBox() const {
  camera::SceneBox box;
  for (const view::FramePart* part : parts_) box.include(part->sceneBox());
  return box;
}

// The interface's switches for whole parts; a view without one shows all.
bool Render::shown(const view::FramePart& part) const {
  if (!interface_) return true;
  if (&part == &stock_) return interface_->stockShown.load() != 0;
  if (&part == &toolpath_) return interface_->toolpathShown.load() != 0;
  return true;
}

// The plane the user chose, placed in the scene, and the theme's colour for
// the stock's inside that it opens.
stock::CuttingPlane Render::sceneCuttingPlane() {
  stock::CuttingPlane plane = job_.cuttingPlane.resolve(stock_.sceneBox(), sceneBox(), job_.displayFrame());
  const UI::Colour& inside = activeColours_.colours().sectionStock;
  plane.insideColour = glm::vec4(inside[0], inside[1], inside[2], inside[3]);
  return plane;
}

void Render::drawParts(const camera::Camera::DrawState& camera, bool probeDepth) {
  stock_.cutColours = viewBytes_.stockDisplay.load() != 0;
  const view::SceneDraw scene{camera, sceneCuttingPlane()};
  for (view::FramePart* part : parts_) {
    // The depth under the cursor for the next gesture's pivot is the
    // workpiece's and the toolpath's: over the tool, what lies behind it
    // counts, so the tool point wins there.
    if (probeDepth && part == &tool_)
      depthProbe_.request(static_cast<int>(cursor_[0]), static_cast<int>(cursor_[1]), window_.framebufferWidth(),
                          window_.framebufferHeight());
    if (shown(*part)) part->draw(scene);
  }
}

bool Render::runCommands(std::vector<view::FrameCommands::Work> commands) {
  for (auto& command : commands) {
    // A command that fails leaves the view running; commands that hand
    // results to waiting threads pass their failures on themselves.
    try {
      command();
    } catch (const std::exception& failure) {
#ifdef KORVANE_DEBUG_LOG
      std::fprintf(stderr, "korvane: a render-thread command failed: %s\n", failure.what());
#else
      (void)failure;
#endif
    }
  }
  if (commands.empty()) return false;
  redrawRequested_ = true;
  return true;
}

void Render::handleInput(const view::InputState& frame, double now) {
  if (frame.activity || frame.resized || frame.exposed) lastActivity_ = now;
  if (frame.resized && frame.width > 0 && frame.height > 0) {
    camera_.camera().setViewport(frame.width, frame.height);
    if (window_.resize(frame.width, frame.height)) redrawRequested_ = true;
  }
  if (frame.exposed) redrawRequested_ = true;
  mouseBindings_.evaluate(bindingInputOf(frame));
  playback_.applyStepKeys(frame.stepKeys, frameToolpath_.get());
  // R steps through the collision report (the report's own action once it
  // is open).
  for (const view::StepKey& key : frame.stepKeys)
    if (key.key == GLFW_KEY_R && !key.repeat && key.mods == 0) view::runCommand(*this, SIM_COMMAND_NEXT_COLLISION, 0);
  if (frame.exportGesture) notifier_.handleByDefault(SIM_EVENT_SAVE_PRESENTATION_REQUESTED, 0);
}

void Render::navigate(const view::InputState& frame, double now) {
  cursor_ = frame.cursorInWindow ? std::array<double, 2>{frame.cursorX, frame.cursorY} : std::array<double, 2>{-1, -1};
  view::NavigationInput in;
  in.input = &frame;
  in.pointerOverUI = interfaceFrame_.pointerOverUI();
  if (frameToolpath_ && shown(toolpath_) && playback_.toolPose().move >= 0)
    in.toolPoint = job_.displayFrame() * playback_.toolPose().tip;
  in.depthUnderCursor = [this](glm::dvec2 at) -> std::optional<float> {
    // The sample of the last picture, where the cursor stood then: a few
    // pixels off still finds the same surface, farther off it may not.
    constexpr double kNear = 4.0;
    const std::optional<gpu::DepthProbe::Sample> sample = depthProbe_.latest();
    if (!sample || std::abs(sample->x - at.x) > kNear || std::abs(sample->y - at.y) > kNear) return std::nullopt;
    return sample->depth;
  };
  const view::NavigationResult result = navigation_.navigate(in, mouseBindings_, camera_.camera(), now);
  if (result.navigated) {
    redrawRequested_ = true;
    lastActivity_ = now;
  }
  if (result.fitView) camera_.applyView(SIM_VIEW_FIT, sceneBox());
  if (result.contextMenu) openContextMenu(frame.cursorX, frame.cursorY);
}

void Render::openContextMenu(double x, double y) {
  if (!interface_ || !interfaceFrame_.isOpen()) return;
  // "Jump to cut" needs a toolpath point under the click; outside the
  // window there is none.
  const view::PickHit hit = x >= 0 && y >= 0 ? pickAt(static_cast<int>(x), static_cast<int>(y)) : view::PickHit{};
  const bool overMove = hit.hit && view::entity::kindOf(hit.id) == view::entity::Kind::ToolpathMove;
  jumpTarget_ = overMove ? static_cast<int64_t>(view::entity::indexOf(hit.id)) : -1;
  interface_->jumpToCutEnabled = overMove ? 1 : 0;
  if (x >= 0 && y >= 0) interfaceFrame_.setContextMenuPoint(static_cast<float>(x), static_cast<float>(y));
  ribbon_->setEnabled(69, overMove);
  interface_->contextMenuOpen = 1;
  requestRedraw();
}

// A face of the view cube is a standard view; an edge or a corner looks
// at the cube's centre from its side.
void Render::turnToCubeElement(const UI::CubeElement& element) {
  if (element.count == 1) {
    const glm::ivec3 s = element.sign;
    const int32_t code = s.y > 0 ? SIM_VIEW_TOP : s.y < 0 ? SIM_VIEW_BOTTOM : s.z > 0 ? SIM_VIEW_FRONT
                       : s.z < 0 ? SIM_VIEW_BACK : s.x < 0 ? SIM_VIEW_LEFT : SIM_VIEW_RIGHT;
    camera_.applyView(code, sceneBox());
  } else if (element.count > 1) {
    camera_.camera().viewAlong(glm::dvec3(UI::lookingDirectionOf(element)), sceneBox(), true);
  }
  redrawRequested_ = true;
}

void Render::zoomToWindow(const UI::MouseSelection::Corners& corners) {
  // The scene's depth over the rectangle, read once: the camera samples it.
  const int width = window_.framebufferWidth(), height = window_.framebufferHeight();
  const int left = std::clamp(static_cast<int>(corners.p1.x * width), 0, width - 1);
  const int bottom = std::clamp(static_cast<int>(corners.p2.y * height), 0, height - 1);
  const int right = std::clamp(static_cast<int>(corners.p2.x * width), left, width - 1);
  const int top = std::clamp(static_cast<int>(corners.p1.y * height), bottom, height - 1);
  const int w = right - left + 1, h = top - bottom + 1;
  std::vector<float> depth(static_cast<size_t>(w) * h, 1.0f);
  glReadPixels(left, bottom, w, h, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
  camera_.camera().zoomWindow(corners.p1, corners.p2, [&](int x, int y) {
    const int column = std::clamp(x - left, 0, w - 1), row = std::clamp(y - bottom, 0, h - 1);
    return static_cast<double>(depth[static_cast<size_t>(row) * w + column]);
  });
}

// The toolpath's move ends inside the box become the selection, and the
// camera frames them.
void Render::selectInBox(const UI::MouseSelection::Corners& corners) {
  const glm::dvec2 low(corners.p1.x, corners.p2.y), high(corners.p2.x, corners.p1.y);
  if (toolpath_.selectInRectangle(low, high, camera_.camera().projView()))
    camera_.applyView(SIM_VIEW_ZOOM_TO_SELECTION, toolpath_.selection().box());
}

// Zoom to selection frames the selected moves; without a selection, and for
// every other view, the whole scene.
camera::SceneBox Render::viewBox(int32_t code) const {
  if (code == SIM_VIEW_ZOOM_TO_SELECTION && !toolpath_.selection().moves().empty()) return toolpath_.selection().box();
  return sceneBox();
}

void Render::measureAt(const std::array<double, 2>& cursor) {
  const int width = window_.framebufferWidth(), height = window_.framebufferHeight();
  const int x = static_cast<int>(cursor[0]), y = static_cast<int>(cursor[1]);
  if (x < 0 || y < 0 || x >= width || y >= height) return;
  view::MeasureProbe probe;
  probe.cursor = {cursor[0], cursor[1]};
  float depth = 1.0f;
  glReadPixels(x, height - 1 - y, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
  if (depth < 1.0f) probe.depth = depth;
  // A picked edge line of a machine model takes the point onto the edge.
  const view::PickHit hit = pickAt(x, y);
  if (hit.hit && view::entity::kindOf(hit.id) == view::entity::Kind::MachineEdge)
    probe.edge = machine_.edgeEnds(view::entity::modelOf(hit.id), view::entity::indexOf(hit.id));
  const std::optional<glm::dvec3> point = view::measuredPoint(probe, camera_.camera());
  if (!point) return;
  measurement_.add(*point);
  if (interface_) interface_->measuredPoints = static_cast<uint8_t>(measurement_.count());
  redrawRequested_ = true;
}

// The axis control shows the machine's axes and jogs the ones the user
// dragged (the rows of the last frame name the nodes).
void Render::followAxisControl() {
  // A hidden panel asks nothing of the machine.
  if (!ribbon_ || !ribbon_->ticked(75)) {
    axisNodes_.clear();
    interfaceFrame_.showAxes({});
    return;
  }
  std::shared_lock lock(job_.machine.lock(), std::try_to_lock);
  if (!lock.owns_lock()) return;
  const machine::Machine* m = job_.machine.machine();
  const bool inch = job_.units.unit.load() != 0;
  for (const auto& [row, value] : interfaceFrame_.takeAxisMoves())
    if (m && row < axisNodes_.size()) machine_.jog(axisNodes_[row], view::machineValueOf(*m, axisNodes_[row], value, inch));
  view::AxisControl control;
  if (m) control = view::axisControlOf(*m, job_.machine.axisValues(), strings_, inch, job_.units.decimalsShown());
  axisNodes_ = control.nodes;
  interfaceFrame_.showAxes(control.rows);
}

UI::MeasureValues Render::measureValues() {
  UI::MeasureValues v;
  v.active = viewBytes_.measuring.load() != 0;
  v.count = measurement_.count();
  v.inch = job_.units.unit.load() != 0;
  v.decimals = job_.units.decimalsShown();
  const glm::dmat4 toHost = glm::inverse(glm::dmat4(job_.displayFrame()));
  const camera::Camera& camera = camera_.camera();
  const camera::Camera::Pose pose = camera.pose();
  for (size_t k = 0; k < v.count; ++k) {
    const glm::dvec3 point = measurement_.points()[k];
    const glm::dvec3 host(toHost * glm::dvec4(point, 1.0));
    v.points[k] = {host.x, host.y, host.z};
    // Behind the eye nothing shows.
    if (pose.perspective && glm::dot(point - pose.eye, pose.direction) <= 0) continue;
    const glm::dvec3 device = camera.deviceOf(point);
    v.onScreen[k] = UI::ScreenPoint{static_cast<float>((device.x + 1) / 2), static_cast<float>((device.y + 1) / 2)};
  }
  return v;
}

// The compared surface's distance under the cursor, read again when the
// cursor moved or a new picture was drawn.
std::optional<float> Render::compareDistanceUnderCursor() {
  const bool reading = job_.stockCompare.shown() && shown(stock_) && cursor_[0] >= 0 && !interfaceFrame_.pointerOverUI();
  if (!reading) {
    compareRead_ = {};
    return std::nullopt;
  }
  if (compareRead_.at == cursor_ && compareRead_.frames == framesDrawn_) return compareRead_.distance;
  const view::SceneDraw scene{camera_.camera().drawState(), sceneCuttingPlane()};
  compareRead_.at = cursor_;
  compareRead_.frames = framesDrawn_;
  compareRead_.distance = stock_.compareDistanceAt(scene, window_.framebufferWidth(), window_.framebufferHeight(),
                                                   static_cast<int>(cursor_[0]), static_cast<int>(cursor_[1]));
  return compareRead_.distance;
}

view::PickHit Render::pickAt(int x, int y) {
  const view::SceneDraw scene{camera_.camera().drawState(), sceneCuttingPlane()};
  view::PickList list;
  for (view::FramePart* part : parts_)
    if (shown(*part)) part->collectPickables(list);
  return picking_.pick(list, scene, window_.framebufferWidth(), window_.framebufferHeight(), x, y);
}

void Render::openContextMenuAtCursor() {
  // Picking needs the render thread. A click's default handling comes here
  // too, after or before the right click's own menu: both pick the same point.
  commands_.post(view::CommandStage::BeforeFrame, [this] {
    const bool inWindow = cursor_[0] >= 0;
    openContextMenu(inWindow ? cursor_[0] : -1, inWindow ? cursor_[1] : -1);
  });
}

bool Render::jumpToCut() {
  const int64_t move = jumpTarget_.load();
  const std::shared_ptr<const toolpath::Toolpath> path = job_.toolpath.current();
  if (move < 0 || !path || static_cast<size_t>(move) >= path->moveCount()) return false;
  playback_.requestPosition(path->timeFractionOfMove(move));
  return true;
}

void Render::draw(double now) {
  // A skipped picture keeps its redraw request for the frame that draws.
  if (!drawPacing_.shouldDraw(now, playback_.playing())) return;
  if (redrawRequested_.exchange(false)) lastActivity_ = now;
  // A view where nothing happened for a second shows the picture it drew
  // last; drawing it again would cost the same GPU work for the same pixels.
  if (now - lastActivity_ > kIdleAfterMs || closeRequested_.load()) return;
  const camera::Camera::DrawState camera = camera_.camera().drawState();
  if (window_.drawFrame([&] {
        drawParts(camera, true);
        if (zoomWindow_) zoomToWindow(*std::exchange(zoomWindow_, std::nullopt));
        if (measureClick_) measureAt(*std::exchange(measureClick_, std::nullopt));
        interfaceFrame_.draw();
      }))
    ++framesDrawn_;
  drawPacing_.drew(now, milliseconds());
}

void Render::shutdown(bool closedByUser) {
  if (closedByUser) notifier_.notify(SIM_MESSAGE_NOTIFY, SIM_EVENT_VIEW_CLOSING, 0, false);
  // The parts' objects go first, then the programs that were linked for
  // this window and its context, then the window.
  for (view::FramePart* part : parts_) part->release();
  interfaceFrame_.release();
  depthProbe_.release();
  picking_.release();
  frameToolpath_.reset();
  gpu::deleteContextPrograms();
  gpu::deleteWindowPrograms();
  window_.destroy();
  if (closedByUser) notifier_.notify(SIM_MESSAGE_VIEW_CLOSED, 0, 0, true);
}
