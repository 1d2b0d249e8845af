#pragma once
// The view's in-window interface on its render thread: the frame pass that
// steps the interface to the window's input and walks its top-level panels
// (the ribbon bar first), and the overlay drawn on top of each frame.
// Headless views have none.
#include <functional>
#include <memory>
#include <vector>

#include "toolpath/Toolpath.h"
#include "ui/ClickableList.h"
#include "ui/Information.h"
#include "ui/Ribbonbar.h"
#include "ui/StringTable.h"
#include "ui/Theme.h"
#include "ui/UIElement.h"
#include "ui/UIManager.h"
#include "view/InputState.h"

namespace view {

class InterfaceFrame {
 public:
  // Render thread, the window's context current. The texts stay the
  // caller's and must outlive the frame; choose runs a ribbon action.
  void open(const UI::StringTable& texts, int dpi, UI::RibbonState* ribbon,
            std::function<void(uint32_t action)> choose);
  bool isOpen() const { return manager_ != nullptr; }
  // The frame's input and a walk of the panels; true when what the
  // interface draws changed (the view must draw again).
  bool update(const InputState& frame, int width, int height);
  void draw();
  void release();
  // Walked in this order each frame.
  std::vector<UI::UIElement*>& panels() { return panels_; }
  UI::UIManager* manager() { return manager_.get(); }
  UI::Ribbonbar* ribbonbar() { return ribbonbar_.get(); }
  UI::Information* information() { return information_.get(); }
  // What the information panel shows from the next update on.
  void showInformation(const UI::InformationValues& values);
  // The "Operations list" panel: "All" and one row per operation, ticked
  // while visible, the operation playing selected; shown while its ribbon
  // entry is ticked. The caller sets its onSelect and onTick.
  UI::ClickableList* operationsList() { return operations_.get(); }
  void showOperations(const toolpath::Toolpath* path, int64_t move, double timeFraction);
  // The cursor was over an interface element that took it in the last
  // update: the scene below does not react to it.
  bool pointerOverUI() const { return pointerOverUI_; }

 private:
  std::unique_ptr<UI::UIManager> manager_;
  UI::Theme theme_ = UI::Theme::light();
  std::unique_ptr<UI::Ribbonbar> ribbonbar_;
  std::unique_ptr<UI::Information> information_;
  std::unique_ptr<UI::ClickableList> operations_;
  UI::RibbonState* ribbon_ = nullptr;
  const UI::StringTable* texts_ = nullptr;
  UI::FrameInput input_;
  std::vector<UI::UIElement*> panels_;
  bool pointerOverUI_ = false;
};

}  // namespace view
