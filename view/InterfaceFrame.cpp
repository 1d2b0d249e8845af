#include "view/InterfaceFrame.h"

namespace view {

void InterfaceFrame::open(const UI::StringTable& texts, int dpi, UI::RibbonState* ribbon, UI::InterfaceState* state,
                          std::function<void(uint32_t action)> choose) {
  manager_ = std::make_unique<UI::UIManager>();
  manager_->ensureAtlas(texts, theme_.brightText(), dpi);
  manager_->loadIcons(dpi);
  panels_.clear();
  state_ = state;
  if (ribbon) {
    UI::RibbonLink link{ribbon, &texts, &theme_, std::move(choose)};
    contextLink_ = std::make_unique<UI::RibbonLink>(link);
    ribbonbar_ = std::make_unique<UI::Ribbonbar>(&manager_->context(), std::move(link));
    panels_.push_back(ribbonbar_.get());
    contextMenu_ = std::make_unique<UI::ContextMenu>(&manager_->context(), contextLink_.get());
    contextMenu_->onClose = [this] {
      if (state_) state_->contextMenuOpen = 0;
    };
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
  input_.modifierDown = frame.modifierKeys;
  input_.typed.clear();
  for (uint32_t c : frame.typed) {
    if (c >= 0x10000 && c <= 0x10FFFF) {
      input_.typed += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      input_.typed += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else if (c < 0xD800 || (c >= 0xE000 && c < 0x10000)) {
      input_.typed += static_cast<char16_t>(c);
    }
  }
  input_.editKeys = frame.editKeys;
  // The menu opens where the viewport was clicked (a host's command
  // without a click: at the cursor).
  if (contextMenu_ && state_ && state_->contextMenuOpen.load() && !contextMenu_->isOpen())
    contextMenu_->open(lastViewportClick_ ? (*lastViewportClick_)[0] : input_.cursorX,
                       lastViewportClick_ ? (*lastViewportClick_)[1] : input_.cursorY);
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
  // A panel that holds the cursor hides it from those walked after it.
  pointerOverUI_ = input_.cursorX >= 0 && manager_->context().cursorX < 0;
  keyboardCaptured_ = manager_->context().keyboardCaptured;
  if (frame.clicks > 0 && !pointerOverUI_) lastViewportClick_ = std::array<float, 2>{input_.cursorX, input_.cursorY};
  return changed;
}

void InterfaceFrame::draw() {
  if (manager_) manager_->draw();
}

void InterfaceFrame::release() {
  if (manager_) manager_->release();
  panels_.clear();
  contextMenu_.reset();
  contextLink_.reset();
  ribbonbar_.reset();
  information_.reset();
  operations_.reset();
  manager_.reset();
}

}  // namespace view
