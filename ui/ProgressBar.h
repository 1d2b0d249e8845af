#pragma once
// The bar that shows the least advanced of the long operations running: a
// track filled to its percentage with the task's caption on it; hidden
// while nothing runs. The view keeps the tasks and hands over the one to
// show each frame; an unchanged task changes nothing.
#include <cstdint>
#include <string>
#include <vector>

#include "ui/Text.h"
#include "ui/Theme.h"
#include "ui/UIElement.h"

namespace UI {

class ProgressBar : public UIElement {
 public:
  ProgressBar(UIContext* context, const Theme* theme);
  // Percent above 100 shows a full bar.
  void show(uint32_t percent, const std::u16string& caption);
  void hide();
  const UIElement& fill() const { return fill_; }
  const std::u16string& caption() const { return caption_.text(); }
  void collect(std::vector<UIInstance>& records, bool snap = false) override;

  static constexpr float kWidth = 260, kHeight = 18;

 private:
  const Theme* theme_;
  UIElement fill_;
  Text caption_;
  std::u16string fullCaption_;  // before any cut
  uint32_t percent_ = 0;
};

}  // namespace UI
