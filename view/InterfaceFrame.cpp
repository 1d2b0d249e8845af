#include "view/InterfaceFrame.h"

namespace view {

void InterfaceFrame::open(const UI::StringTable& texts, int dpi, UI::RibbonState* ribbon,
                          std::function<void(uint32_t action)> choose) {
  manager_ = std::make_unique<UI::UIManager>();
  manager_->ensureAtlas(texts, theme_.brightText(), dpi);
  manager_->loadIcons(dpi);
  panels_.clear();
  if (ribbon) {
    UI::RibbonLink link{ribbon, &texts, &theme_, std::move(choose)};
    ribbonbar_ = std::make_unique<UI::Ribbonbar>(&manager_->context(), std::move(link));
    panels_.push_back(ribbonbar_.get());
  }
  information_ = std::make_unique<UI::Information>(&manager_->context(), &theme_, &texts);
  panels_.push_back(information_.get());
  ribbon_ = ribbon;
  texts_ = &texts;
  operations_ = std::make_unique<UI::ClickableList>(&manager_->context(), &theme_);
  operations_->relX = operations_->relY = 1;
  operations_->anchorX = operations_->anchorY = 1;
  operations_->offsetX = -8;
  operations_->offsetY = -52;  // below the ribbon bar
  operations_->setTitle(texts[189]);
  operations_->visible = false;
  panels_.push_back(operations_.get());
}

void InterfaceFrame::showOperations(const toolpath::Toolpath* path, int64_t move, double timeFraction) {
  if (!operations_) return;
  operations_->visible = ribbon_ && ribbon_->ticked(70);
  std::vector<UI::ClickableList::Row> rows;
  const size_t count = path ? path->operationCount() : 0;
  bool allVisible = true;
  for (size_t i = 0; i < count; ++i) allVisible = allVisible && path->operationVisible(i);
  rows.push_back({(*texts_)[68], allVisible});
  for (size_t i = 0; i < count; ++i) {
    const std::string number = std::to_string(path->operation(i).identifier);
    rows.push_back({(*texts_)[10] + u" " + std::u16string(number.begin(), number.end()), path->operationVisible(i)});
  }
  operations_->setRows(std::move(rows));
  const uint32_t playing = path && move >= 0 ? path->operationAt(move, timeFraction) : uint32_t(count);
  operations_->setSelected(playing < count ? std::optional<size_t>(playing + 1) : std::nullopt);
}

void InterfaceFrame::showInformation(const UI::InformationValues& values) {
  if (information_) information_->setValues(values);
}

bool InterfaceFrame::update(const InputState& frame, int width, int height) {
  if (!manager_) return false;
  input_.windowWidth = static_cast<float>(width);
  input_.windowHeight = static_cast<float>(height);
  input_.cursorX = static_cast<float>(frame.cursorX);
  input_.cursorY = static_cast<float>(frame.cursorY);
  // A press and release between two frames still counts as down once.
  for (size_t k = 0; k < 3; ++k) input_.buttonDown[k] = frame.buttonDown[k] || frame.wentDown[k];
  input_.scrollTotal += frame.wheelSteps;
  // The window reports each modifier pair as one; T is not tracked yet.
  input_.modifierDown = {frame.shift, frame.shift, frame.control, frame.control, frame.alt, frame.alt, false};
  const bool changed = manager_->framePass(input_, [&](std::vector<UI::UIInstance>& records) {
    for (UI::UIElement* panel : panels_) panel->collect(records);
    if (ribbonbar_) ribbonbar_->appendOverlay(records);
  });
  // A panel that holds the cursor hides it from those walked after it.
  pointerOverUI_ = input_.cursorX >= 0 && manager_->context().cursorX < 0;
  return changed;
}

void InterfaceFrame::draw() {
  if (manager_) manager_->draw();
}

void InterfaceFrame::release() {
  if (manager_) manager_->release();
  panels_.clear();
  ribbonbar_.reset();
  information_.reset();
  operations_.reset();
  manager_.reset();
}

}  // namespace view
