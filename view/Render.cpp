#include "view/Render.h"

#include <cassert>
#include <system_error>

#include "gpu/GL.h"
#include "gpu/OffscreenTarget.h"
#include "platform/Folders.h"
#include "platform/WholeFile.h"
#include "ui/ProcessStrings.h"
#include "view/Fulfil.h"
#include "view/PresentationExport.h"
#include "view/RemoteControl.h"
#include "view/SavedToggles.h"

namespace {

void joinThread(std::thread& thread) {
  if (!thread.joinable()) return;
  if (thread.get_id() == std::this_thread::get_id())
    throw std::system_error(std::make_error_code(std::errc::resource_deadlock_would_occur));
  thread.join();
}

}  // namespace

Render::Render()
    : window_(notifier_.callback()), link_(std::make_shared<view::ViewLink>(*this)), clockStart_(view::Clock::now()) {
  // The interface's texts: the process-wide table, or the built-in language
  // picked for new views, loaded once the window exists.
  UI::ProcessStrings::ForView texts = UI::ProcessStrings::instance().forNewView();
  strings_ = std::move(texts.table);
  language_ = texts.language;
  // The stock compare's preparation, told to the host as it goes.
  stock_.setCompareProgress([this](stock::DesignField::Phase phase, uint32_t percent) {
    const uint64_t event = phase == stock::DesignField::Phase::Seeding ? SIM_EVENT_COMPARE_PROGRESS
                                                                        : SIM_EVENT_WAVEFRONT_PROGRESS;
    notifier_.notify(SIM_MESSAGE_NOTIFY, event, percent, true);
  });
  view::DefaultHandling handling;
  handling.redraw = [this] { requestRedraw(); };
  // A click in the viewport opens the context menu.
  // While measuring, clicks on the scene are measuring's: the menu would
  // cover the next point (the right button still opens it).
  handling.viewportClickAction = [this] {
    if (!viewBytes_.measuring.load()) view::runCommand(*this, SIM_COMMAND_OPEN_CONTEXT_MENU, 0);
  };
  handling.presentationExport = [this] { exportPresentation(); };
  handling.showLine = [this](int64_t line) {
    ncListedLine_ = line;
    requestRedraw();
  };
  notifier_.setDefaultHandling(std::move(handling));
  readCustomSettings();
}

// The last windowed view's display choices: their bytes now, their answers
// once the window exists. The grid comes with the bytes. Headless views
// draw the same whatever the user chose.
void Render::readSavedSetup() {
  std::optional<formats::SetupState> saved;
  try {
    saved = view::readSetupFile();
  } catch (...) {
    // Out of memory or a folder that cannot be listed: the defaults stay.
  }
  if (!saved) return;
  view::applySetupBytes(*this, saved->bytes);
  saved->answers.erase(SIM_QUESTION_GRID_SHOWN);
  savedAnswers_ = std::move(saved->answers);
}

// The administrator's drawing constants; the toolpath's line widths and
// point sizes take effect now, the rest is kept for the parts that draw
// with it.
void Render::readCustomSettings() {
  if (const auto text = platform::readWholeFile(platform::settingsFolder() / "custom settings.json"))
    customSettings_ = formats::readCustomSettings(std::string_view(reinterpret_cast<const char*>(text->data()), text->size()));
  const formats::CustomSettings& c = customSettings_;
  toolpath_.setSizes({c.toolpathLineWidth, c.toolpathLineWidthLarge, c.toolpathPointSize, c.toolpathPointSizeLarge});
  // Cross-section colours go into both themes, and so into every view's
  // active colours at its next frame.
  UI::themes::setSectionColours(c.sectionPlane, c.sectionStock, c.sectionWorkpiece, c.sectionStockAndWorkpiece);
}

// Only a view whose window came up has applied the last choices and can
// hold the user's; the window's status is stored after they were applied.
void Render::saveSetup() noexcept {
  if (hints_.headless || windowStatus() != view::WindowStatus::Created) return;
  try {
    view::writeSetupFile(view::currentSetup(*this));
  } catch (...) {
    // The old file stays.
  }
}

Render::~Render() {
  link_->cut();
  closeRequested_ = true;
  // A destructor must not throw; the owner joins from another thread first.
  if (renderThread_.joinable() && renderThread_.get_id() != std::this_thread::get_id()) renderThread_.join();
  commands_.close();
  solidExports_.joinAll();
  machineModels_.join(true);
  collisions_.run().abort();
  collisions_.run().join();
  collisions_.stopMotion();
}

void Render::startRenderThread(SIM_Window parent, const view::CreationHints& hints) {
  joinThread(renderThread_);
  hints_ = hints;
  if (!hints.headless && !ribbon_) {
    ribbon_ = std::make_unique<UI::RibbonState>();
    interface_ = std::make_unique<UI::InterfaceState>();
    readSavedSetup();
  }
  timings_.enable(hints.timings);
  windowStatus_ = static_cast<uint32_t>(view::WindowStatus::Pending);
  window_.prepareHostWindow(parent, hints);
  frameDone_ = false;
  closeRequested_ = false;
  commands_.open();
  renderThread_ = std::thread([this, parent] { renderThreadMain(parent); });
}

void Render::releaseFromOwnThread() {
  releaseItself_ = true;
  closeRequested_ = true;
}

void Render::finishOwnRelease() {
  // Runs last on the render thread, which may not join itself.
  renderThread_.detach();
  destroyHostWindow();
  delete this;
  view::viewClosed();
}

void Render::stopThreads() {
  closeRequested_ = true;
  joinThread(renderThread_);
  commands_.close();
  solidExports_.joinAll();
  collisions_.run().abort();
  collisions_.run().join();
  collisions_.stopMotion();
}

bool Render::isOwnThread() const { return std::this_thread::get_id() == renderThread_.get_id(); }

void Render::setCallbackWindow(SIM_Window window, bool hostHandles) {
  if (window == 0) return;
  notifier_.setCallbackWindow(window, hostHandles);
  if (hostHandles) window_.reparentHostWindow(window);
}

view::WindowStatus Render::waitForFirstFrame(bool pollEvery10ms) const {
  while (windowStatus() == view::WindowStatus::Pending) {
    if (pollEvery10ms)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    else
      std::this_thread::yield();
  }
  if (windowStatus() == view::WindowStatus::Created)
    while (!frameDone() && !closeRequested_.load()) std::this_thread::yield();
  return windowStatus();
}

void Render::toolpathChanged() {
  requestRedraw();
  notifier_.notify(SIM_MESSAGE_NOTIFY, SIM_EVENT_TOOLPATH_LOADED, 0, true);
}

// After the parts' update, so that the view frames what this frame shows
// (a machine the host just placed, say).
void Render::requestView(int32_t code) {
  commands_.post(view::CommandStage::AfterCut, [this, code] {
    camera_.applyView(code, viewBox(code));
    requestRedraw();
  });
}

void Render::markPositioned() {
  camera_.markPositioned();
  commands_.post(view::CommandStage::BeforeFrame, [this] { camera_.dropKeptView(); });
}

void Render::queueStep(uint32_t code) {
  // Worked out from a position the host set just before, and one step
  // after another, at the frame that takes them.
  commands_.post(view::CommandStage::BeforeFrame, [this, code] { playback_.step(frameToolpath_.get(), code); });
}

void Render::cutStockMoves(uint32_t first, uint32_t end) {
  assert(isOwnThread());
  stock_.cutBatch(first, end, frameToolpath_, playback_.position());
  requestRedraw();
}

void Render::saveSolidAsStl() {
  view::startSolidExportDialog(link_, [](Render& view, const std::string& path) {
    for (const stock::StockDescription& s : view.job().stocks.stocks())
      if (view.exportSolid(s.definition.identifier, path)) return;
  });
}

std::string Render::viewerProgram() {
  std::lock_guard lock(job_.viewerProgramMutex);
  return job_.viewerProgram;
}

std::optional<std::vector<uint8_t>> Render::simulationDocument() {
  if (!simulationDocument_) return std::nullopt;
  return simulationDocument_(*this);
}

void Render::exportPresentation() {
  if (simulationDocument_) view::startPresentationExport(link_);
}

bool Render::exportSolid(uint32_t solid, std::string path) {
  const double factor = 1.0 / job_.units.scale.load();
  auto requestMesh = [this, solid](std::function<void(uint32_t)> progress) {
    auto promise = std::make_shared<std::promise<stock::SurfaceMesh>>();
    std::future<stock::SurfaceMesh> mesh = promise->get_future();
    // The surface as the host last set the position: after that frame's cut.
    commands_.post(view::CommandStage::AfterCut, [this, solid, promise, progress] {
      view::fulfil(*promise, [&] { return stock_.solidMesh(solid, progress); });
    });
    return mesh;
  };
  auto progress = [this](uint32_t percent) {
    notifier_.notify(SIM_MESSAGE_NOTIFY, SIM_EVENT_EXPORT_PROGRESS, percent, true);
  };
  return solidExports_.start(solid, std::move(path), factor, std::move(requestMesh), std::move(progress));
}

std::vector<uint8_t> Render::renderImage(int width, int height) {
  assert(isOwnThread());
  if (width <= 0 || height <= 0) return {};
  const auto timed = timings_.time(view::Phase::Picture, true);
  const gpu::OffscreenTarget target(width, height);
  if (!target.complete()) return {};
  // The camera frames the image as it would a window of that size, in the
  // pose a running transition is heading for: a host that asked for a view
  // and then a picture wants the view it asked for.
  camera::Camera& camera = camera_.camera();
  camera.completeTransition();
  camera.setViewport(width, height);
  // The theme's background, with its own opacity; a theme set since the
  // last frame is the one the host expects.
  followTheme();
  const UI::Colour& background = activeColours_.colours().background;
  glClearColor(background[0], background[1], background[2], background[3]);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  drawParts(camera.drawState());
  camera.setViewport(window_.framebufferWidth(), window_.framebufferHeight());
  return target.readPixels();
}

Render::WindowImage Render::windowImage() {
  assert(isOwnThread());
  WindowImage image;
  image.width = window_.framebufferWidth();
  image.height = window_.framebufferHeight();
  if (image.width <= 0 || image.height <= 0) return image;
  const gpu::OffscreenTarget target(image.width, image.height);
  if (!target.complete()) return image;
  const std::array<float, 4>& background = window_.background();
  glClearColor(background[0], background[1], background[2], 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  // As renderImage: a view the host asked for is the view it gets.
  camera_.camera().completeTransition();
  drawParts(camera_.camera().drawState());
  interfaceFrame_.draw();
  image.rgba = target.readPixels();
  return image;
}

double Render::milliseconds() const {
  return std::chrono::duration<double, std::milli>(view::Clock::now() - clockStart_).count();
}
