#include "view/InterfaceFrame.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "korvane/Korvane.h"
#include "ui/NumberText.h"
#include "view/PlaybackRules.h"

namespace view {

namespace {
constexpr float kBelowRibbon = -52;  // offsetY of the panels that hang below the ribbon bar
// The timeline's operation colours, in turn.
constexpr std::array<UI::Colour, 4> kSegmentColours = {{{0.24f, 0.47f, 0.80f, 1.0f},
                                                        {0.18f, 0.62f, 0.45f, 1.0f},
                                                        {0.85f, 0.55f, 0.15f, 1.0f},
                                                        {0.60f, 0.35f, 0.75f, 1.0f}}};

// The playback rate as the bar shows it: how many times real time.
std::u16string rateText(double rate) {
  if (rate == std::numeric_limits<double>::max()) return u"max";
  // One at the real-time mark of the slider.
  return (rate < 0 ? u"-x" : u"x") + UI::formatNumber(std::abs(rate), std::abs(rate) < 10 ? 2 : 0);
}
}  // namespace

void InterfaceFrame::open(Links links, int dpi) {
  links_ = std::move(links);
  const UI::StringTable& texts = *links_.texts;
  manager_ = std::make_unique<UI::UIManager>();
  manager_->ensureAtlas(texts, theme_.brightText(), dpi);
  manager_->loadIcons(dpi);
  dpi_ = dpi;
  UI::UIContext* context = &manager_->context();
  panels_.clear();
  if (links_.ribbon) {
    UI::RibbonLink link{links_.ribbon, &texts, &theme_, links_.choose};
    link.toggle = [this](UI::InterfaceToggle which) { toggle(which); };
    link.toggled = [this](UI::InterfaceToggle which) { return toggled(which); };
    ribbonLink_ = std::make_unique<UI::RibbonLink>(link);
    ribbonbar_ = std::make_unique<UI::Ribbonbar>(context, std::move(link));
    panels_.push_back(ribbonbar_.get());
    contextMenu_ = std::make_unique<UI::ContextMenu>(context, ribbonLink_.get());
    contextMenu_->onClose = [this] {
      if (links_.state) links_.state->contextMenuOpen = 0;
    };
  }
  statusBar_ = std::make_unique<UI::StatusBar>(context, &theme_, &texts);
  panels_.push_back(statusBar_.get());
  information_ = std::make_unique<UI::Information>(context, &theme_, &texts);
  information_->offsetY += UI::StatusBar::kHeight;
  panels_.push_back(information_.get());
  subprogram_ = std::make_unique<UI::SubProgramHUD>(context, &theme_);
  navigation_ = std::make_unique<UI::Navigation>(context, &theme_, &texts, kSpeedNeutral, kSpeedRealTime);
  navigation_->offsetY = UI::StatusBar::kHeight + 4;
  navigation_->onStep = [this](uint32_t code) {
    if (links_.step) links_.step(code);
  };
  navigation_->onPlayPause = [this] {
    if (links_.playPause) links_.playPause();
  };
  panels_.push_back(navigation_.get());
  subprogram_->offsetY = UI::StatusBar::kHeight + UI::Navigation::kHeight + 30;
  panels_.push_back(subprogram_.get());
  gnomon_ = std::make_unique<UI::Gnomon>(context, &theme_, &texts);
  gnomon_->relX = gnomon_->relY = 1;
  gnomon_->anchorX = gnomon_->anchorY = 1;
  gnomon_->offsetX = -12;
  gnomon_->offsetY = -12;
  gnomon_->onChoose = [this](const UI::CubeElement& element) {
    if (links_.chooseCubeElement) links_.chooseCubeElement(element);
  };
  panels_.push_back(gnomon_.get());
  // Last: every panel above the scene keeps its presses.
  mouseSelection_ = std::make_unique<UI::MouseSelection>(context, &theme_);
  progress_ = std::make_unique<UI::ProgressBar>(context, &theme_);
  progress_->relX = 1, progress_->relY = 0;
  progress_->anchorX = 1, progress_->anchorY = 0;
  progress_->offsetX = -8;
  progress_->offsetY = UI::StatusBar::kHeight + 8;
  panels_.push_back(progress_.get());
  panels_.push_back(mouseSelection_.get());
  operations_ = std::make_unique<UI::ClickableList>(context, &theme_);
  operations_->relX = operations_->relY = 1;
  operations_->anchorX = operations_->anchorY = 1;
  operations_->offsetX = -8;
  operations_->offsetY = kBelowRibbon;
  operations_->setTitle(texts[189]);
  operations_->visible = false;
  panels_.push_back(operations_.get());

  stockQuality_ = std::make_unique<UI::StockQuality>(context, &theme_, &texts);
  cuttingPlanes_ = std::make_unique<UI::CuttingPlaneSettings>(context, &theme_, &texts);
  cuttingPlanes_->onChoose = [this](uint32_t plane) { setPlane(plane); };
  annotation_ = std::make_unique<UI::Annotation>(context, &theme_, &texts);
  axisSliders_ = std::make_unique<UI::AxisSliders>(context, &theme_);
  axisSliders_->onMove = [this](size_t row, double value) { axisMoves_.emplace_back(row, value); };
  compareColours_ = std::make_unique<UI::StockCompareColors>(context, &theme_, &texts);
  compareVisibility_ = std::make_unique<UI::StockCompareVisibility>(context, &theme_, &texts);
  std::vector<UI::UIElement*> leftPanels = {annotation_.get(), axisSliders_.get(), stockQuality_.get(),
                                            cuttingPlanes_.get(), compareColours_.get(), compareVisibility_.get()};
  if (ribbonLink_) {
    stockColours_ = std::make_unique<UI::StockColorSetting>(context, ribbonLink_.get());
    leftPanels.push_back(stockColours_.get());
  }
  for (UI::UIElement* panel : leftPanels) {
    panel->relX = 0, panel->relY = 1;
    panel->anchorX = 0, panel->anchorY = 1;
    panel->offsetX = 8;
    panel->visible = false;
    panels_.push_back(panel);
  }
  compareLegend_ = std::make_unique<UI::ColorGradientBar>(context, &theme_, &texts);
  compareLegend_->relX = 1, compareLegend_->relY = 0.5f;
  compareLegend_->anchorX = 1, compareLegend_->anchorY = 0.5f;
  compareLegend_->offsetX = -8;
  compareLegend_->visible = false;
  panels_.push_back(compareLegend_.get());
}

void InterfaceFrame::showCompare(const UI::CompareValues& values) {
  if (compareColours_) compareColours_->show(values);
  if (compareVisibility_) compareVisibility_->show(values);
  if (compareLegend_) {
    compareLegend_->show(values);
    compareLegend_->visible = values.shown;
  }
}

void InterfaceFrame::setPlane(uint32_t plane) {
  if (!links_.cuttingPlane) return;
  SIM_CuttingPlane record = links_.cuttingPlane->get();
  record.plane = plane;
  links_.cuttingPlane->set(record);
  if (plane < UI::CuttingPlaneSettings::kNone) lastPlane_ = plane;
}

void InterfaceFrame::toggleSection() {
  if (!links_.cuttingPlane) return;
  setPlane(links_.cuttingPlane->get().plane < UI::CuttingPlaneSettings::kNone ? UI::CuttingPlaneSettings::kNone
                                                                               : lastPlane_);
}

void InterfaceFrame::toggle(UI::InterfaceToggle which) {
  switch (which) {
    case UI::InterfaceToggle::Section: toggleSection(); break;
    case UI::InterfaceToggle::SectionPanel: cuttingPlanes_->visible = !cuttingPlanes_->visible; break;
    case UI::InterfaceToggle::StockQualityPanel: stockQuality_->visible = !stockQuality_->visible; break;
    case UI::InterfaceToggle::ComparePanels:
      compareColours_->visible = !compareColours_->visible;
      compareVisibility_->visible = compareColours_->visible;
      break;
    case UI::InterfaceToggle::Nothing: break;
  }
}

bool InterfaceFrame::toggled(UI::InterfaceToggle which) const {
  switch (which) {
    case UI::InterfaceToggle::Section:
      return links_.cuttingPlane && links_.cuttingPlane->get().plane < UI::CuttingPlaneSettings::kNone;
    case UI::InterfaceToggle::SectionPanel: return cuttingPlanes_ && cuttingPlanes_->visible;
    case UI::InterfaceToggle::StockQualityPanel: return stockQuality_ && stockQuality_->visible;
    case UI::InterfaceToggle::ComparePanels: return compareColours_ && compareColours_->visible;
    case UI::InterfaceToggle::Nothing: break;
  }
  return false;
}

void InterfaceFrame::showStockQuality(const UI::StockQualityValues& values) {
  if (stockQuality_) stockQuality_->show(values);
}

void InterfaceFrame::stackLeftPanels() {
  // The measurement first, the axis control, the quality panel, the
  // section planes, the compare panels and the stock colours below.
  if (stockColours_) stockColours_->visible = links_.ribbon->ticked(66);
  float offsetY = kBelowRibbon;
  for (UI::UIElement* panel : {static_cast<UI::UIElement*>(annotation_.get()),
                               static_cast<UI::UIElement*>(axisSliders_.get()),
                               static_cast<UI::UIElement*>(stockQuality_.get()),
                               static_cast<UI::UIElement*>(cuttingPlanes_.get()),
                               static_cast<UI::UIElement*>(compareColours_.get()),
                               static_cast<UI::UIElement*>(compareVisibility_.get()),
                               static_cast<UI::UIElement*>(stockColours_.get())}) {
    if (!panel) continue;
    panel->offsetY = offsetY;
    if (panel->visible) offsetY -= panel->height + 8;
  }
}

void InterfaceFrame::showOperations(const toolpath::Toolpath* path, int64_t move, double timeFraction) {
  if (!operations_) return;
  operations_->visible = links_.ribbon && links_.ribbon->ticked(70);
  std::vector<UI::ClickableList::Row> rows;
  const size_t count = path ? path->operationCount() : 0;
  bool allVisible = true;
  for (size_t i = 0; i < count; ++i) allVisible = allVisible && path->operationVisible(i);
  rows.push_back({(*links_.texts)[68], allVisible});
  for (size_t i = 0; i < count; ++i) {
    const std::string number = std::to_string(path->operation(i).identifier);
    rows.push_back({(*links_.texts)[10] + u" " + std::u16string(number.begin(), number.end()), path->operationVisible(i)});
  }
  operations_->setRows(std::move(rows));
  const uint32_t playing = path && move >= 0 ? path->operationAt(move, timeFraction) : uint32_t(count);
  operations_->setSelected(playing < count ? std::optional<size_t>(playing + 1) : std::nullopt);
}

void InterfaceFrame::showStatus(const UI::StatusValues& status, const UI::SubprogramValues& subprogram) {
  if (statusBar_) statusBar_->show(status);
  if (subprogram_) subprogram_->show(subprogram);
}

void InterfaceFrame::showProgress(const std::optional<std::pair<uint32_t, std::u16string>>& task) {
  if (!progress_) return;
  if (task)
    progress_->show(task->first, task->second);
  else
    progress_->hide();
}

void InterfaceFrame::showRange(const std::array<double, 2>& range) {
  if (navigation_) navigation_->timeline().setRange(range[0], range[1]);
}

void InterfaceFrame::showPlayback(const toolpath::Toolpath* path, double timeFraction, bool playing, double speed,
                                  double rate) {
  if (!navigation_) return;
  UI::Slider& timeline = navigation_->timeline();
  if (path != segmentsOf_) {
    segmentsOf_ = path;
    // One segment per operation, ending at its last move's time; without
    // operations one segment, drawn as marks.
    std::vector<double> ends;
    std::vector<uint8_t> colours;
    const size_t moves = path ? path->moveCount() : 0;
    for (size_t i = 0; path && moves > 0 && i < path->operationCount(); ++i) {
      const uint32_t end = std::min<uint32_t>(path->operation(i).end, uint32_t(moves));
      if (end == 0) continue;
      ends.push_back(path->cumulativeTime(end - 1));
      colours.push_back(uint8_t(i % kSegmentColours.size()));
    }
    if (ends.empty() && path) ends.push_back(path->totalTime());
    timeline.setSegments(ends, {kSegmentColours.begin(), kSegmentColours.end()}, colours);
    navigation_->setAlternateLayout(path && (path->flagUnion() & SIM_MOVE_FLAG_TURNING));
  }
  timeline.setEnabled(path && path->moveCount() > 0);
  if (!timeline.dot().dragging()) timeline.setValue(timeFraction);
  shownPosition_ = timeline.value();
  UI::DualSlider& speedSlider = navigation_->speed();
  if (!speedSlider.dot().dragging()) speedSlider.setValue(speed);
  shownSpeed_ = speedSlider.value();
  navigation_->setPlaying(playing);
  navigation_->setRateText(rateText(rate));
}

void InterfaceFrame::showInformation(const UI::InformationValues& values) {
  if (information_) information_->setValues(values);
}

bool InterfaceFrame::update(const InputState& frame, int width, int height) {
  if (!manager_) return false;
  input_.windowWidth = static_cast<float>(width);
  input_.windowHeight = static_cast<float>(height);
  // A cursor gone from the window hovers over nothing.
  input_.cursorX = frame.cursorInWindow ? static_cast<float>(frame.cursorX) : -1.0f;
  input_.cursorY = frame.cursorInWindow ? static_cast<float>(frame.cursorY) : -1.0f;
  // A press and release between two frames still counts as down once. A
  // new press while the interface still sees the last one down, released
  // since (in this frame, a slow one such as a seek that cuts the stock
  // again, or before it), first ends the last one; the new press starts in
  // the next frame, or a drag would run on into the next click.
  for (size_t k = 0; k < 3; ++k) {
    const bool wasDown = input_.buttonDown[k];
    const bool releasedSince = frame.wentUp[k] || !buttonHeld_[k];
    bool down = frame.buttonDown[k] || frame.wentDown[k] || deferredPress_[k];
    deferredPress_[k] = false;
    if (wasDown && releasedSince && frame.wentDown[k]) {
      // The interface sees the release where it happened.
      down = false;
      deferredPress_[k] = true;
      input_.cursorX = static_cast<float>(frame.upX[k]);
      input_.cursorY = static_cast<float>(frame.upY[k]);
    }
    input_.buttonDown[k] = down;
    buttonHeld_[k] = frame.buttonDown[k];
  }
  input_.scrollTotal += frame.wheelSteps;
  input_.modifierDown = frame.modifierKeys;
  input_.editKeys = frame.editKeys;
  // The menu opens where the viewport was clicked; a host's command
  // without a click opens it at the cursor, or in the middle of the window
  // when the cursor is elsewhere.
  if (contextMenu_ && links_.state && links_.state->contextMenuOpen.load() && !contextMenu_->isOpen()) {
    std::array<float, 2> at{input_.windowWidth / 2, input_.windowHeight / 2};
    if (lastViewportClick_)
      at = *lastViewportClick_;
    else if (input_.cursorX >= 0)
      at = {input_.cursorX, input_.cursorY};
    lastViewportClick_.reset();
    contextMenu_->open(at[0], at[1], input_.windowWidth, input_.windowHeight);
  }
  if (cuttingPlanes_ && links_.cuttingPlane) {
    // The plane in force, however it was set, is the one the section
    // button comes back to.
    const uint32_t plane = links_.cuttingPlane->get().plane;
    cuttingPlanes_->show(plane);
    if (plane < UI::CuttingPlaneSettings::kNone) lastPlane_ = plane;
  }
  stackLeftPanels();
  followBoxModes();
  const bool changed = manager_->framePass(input_, [&](std::vector<UI::UIInstance>& records) {
    // The ribbon bar first, then the context menu: both take the cursor
    // from the panels below them.
    contextRecords_.clear();
    for (UI::UIElement* panel : panels_) {
      panel->collect(records);
      if (panel == ribbonbar_.get() && contextMenu_) contextMenu_->collect(contextRecords_);
    }
    if (ribbonbar_) ribbonbar_->appendOverlay(records);
    records.insert(records.end(), contextRecords_.begin(), contextRecords_.end());
  });
  // Over a panel, or over what took the cursor (the ribbon bar, its menus,
  // the context menu): the scene below does not react.
  bool overPanel = false;
  const float px = input_.cursorX / input_.windowWidth, py = 1 - input_.cursorY / input_.windowHeight;
  for (const UI::UIElement* panel : panels_) {
    // The gnomon's square is the scene's while the cube is hidden.
    if (panel == gnomon_.get() && !gnomon_->settings().cube) continue;
    overPanel = overPanel || panel->hitTest(px, py);
  }
  pointerOverUI_ = input_.cursorX >= 0 && (manager_->context().cursorX < 0 || overPanel);
  keyboardCaptured_ = manager_->context().keyboardCaptured;
  if (mouseSelection_)
    if (std::optional<UI::MouseSelection::Corners> corners = mouseSelection_->takeFinished()) {
      drawnBox_ = DrawnBox{*corners, links_.state && links_.state->boxSelection.load() != 0};
      if (links_.state) links_.state->zoomWindow = 0, links_.state->boxSelection = 0;
      followBoxModes();
    }
  if (navigation_) {
    // What the user did to the bar's sliders goes to playback.
    const double position = navigation_->timeline().value(), speed = navigation_->speed().value();
    if (shownPosition_ >= 0 && position != shownPosition_ && links_.seek) links_.seek(position);
    // Only once the bar was given playback's own values.
    if (shownSpeed_ >= 0 && speed != shownSpeed_ && links_.setSpeed) links_.setSpeed(speed);
    shownPosition_ = position;
    shownSpeed_ = speed;
  }
  if (frame.clicks > 0 && !pointerOverUI_) lastViewportClick_ = std::array<float, 2>{input_.cursorX, input_.cursorY};
  return changed;
}

void InterfaceFrame::setTheme(const UI::Theme& theme) {
  const bool bright = theme_.brightText();
  theme_ = theme;
  if (manager_ && links_.texts && theme.brightText() != bright) manager_->ensureAtlas(*links_.texts, theme.brightText(), dpi_);
}

void InterfaceFrame::followDpi(int dpi) {
  if (!manager_ || dpi <= 0 || dpi == dpi_) return;
  dpi_ = dpi;
  manager_->ensureAtlas(*links_.texts, theme_.brightText(), dpi);
  manager_->loadIcons(dpi);
}

void InterfaceFrame::showOrientation(const glm::mat3& viewRotation, const glm::mat3& hostAxes) {
  if (!gnomon_) return;
  if (links_.state) {
    const UI::InterfaceState& s = *links_.state;
    UI::Gnomon::Settings settings;
    for (size_t a = 0; a < 3; ++a) settings.axes[a] = s.gnomonAxes[a].load() != 0;
    settings.gnomon = s.gnomonShown.load() != 0;
    settings.cube = s.viewCubeShown.load() != 0;
    gnomon_->configure(settings);
  }
  gnomon_->show(viewRotation, hostAxes);
}

// The rectangle is drawn in either box mode; the ribbon's entries show
// which one waits for it.
void InterfaceFrame::followBoxModes() {
  const bool zoom = links_.state && links_.state->zoomWindow.load() != 0;
  const bool select = links_.state && links_.state->boxSelection.load() != 0;
  // The box is drawn in the scene next: a menu left open would take the
  // press that starts it.
  if (mouseSelection_ && (zoom || select) && !mouseSelection_->active() && ribbonbar_) ribbonbar_->closeMenus();
  if (mouseSelection_) mouseSelection_->setActive(zoom || select);
  if (!links_.ribbon) return;
  if (links_.ribbon->ticked(UI::kZoomWindowAction) != zoom) links_.ribbon->check(UI::kZoomWindowAction, zoom);
  if (links_.ribbon->ticked(UI::kZoomSelectionAction) != select) links_.ribbon->check(UI::kZoomSelectionAction, select);
}

void InterfaceFrame::draw() {
  if (!manager_) return;
  // The cube, the axes and the measured line first: their labels are
  // interface records.
  const int width = static_cast<int>(input_.windowWidth), height = static_cast<int>(input_.windowHeight);
  if (gnomon_) orientationDrawing_.draw(*gnomon_, theme_, width, height);
  if (annotation_) annotationLine_.draw(*annotation_, width, height);
  manager_->draw();
}

void InterfaceFrame::showAxes(const std::vector<UI::AxisValues>& axes) {
  if (!axisSliders_) return;
  axisSliders_->show(axes);
  axisSliders_->visible = links_.ribbon && links_.ribbon->ticked(75) && axisSliders_->rowCount() > 0;
}

void InterfaceFrame::showMeasurement(const UI::MeasureValues& values) {
  if (annotation_) annotation_->show(values);
}

void InterfaceFrame::release() {
  if (manager_) manager_->release();
  orientationDrawing_.release();
  annotationLine_.release();
  annotation_.reset();
  axisSliders_.reset();
  gnomon_.reset();
  mouseSelection_.reset();
  panels_.clear();
  stockQuality_.reset();
  cuttingPlanes_.reset();
  stockColours_.reset();
  compareColours_.reset();
  compareVisibility_.reset();
  compareLegend_.reset();
  contextMenu_.reset();
  ribbonLink_.reset();
  ribbonbar_.reset();
  information_.reset();
  statusBar_.reset();
  subprogram_.reset();
  progress_.reset();
  navigation_.reset();
  segmentsOf_ = nullptr;
  operations_.reset();
  manager_.reset();
}

}  // namespace view
