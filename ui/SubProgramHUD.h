#pragma once
// While the move playing comes from a subprogram: a small panel above the
// status bar with the subprogram's first line as its title and the lines
// around the one playing, that one marked, each with its line number in
// the subprogram. Hidden in the main program and for a subprogram whose
// text the host did not give.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ui/Text.h"
#include "ui/Theme.h"
#include "ui/UIElement.h"

namespace UI {

struct SubprogramValues {
  bool inside = false;
  std::u16string title;
  uint32_t current = 0;  // the line playing, counted from 1 in the subprogram
  std::vector<std::pair<uint32_t, std::u16string>> lines;  // in order, the current one among them
  bool operator==(const SubprogramValues&) const = default;
};

class SubProgramHUD : public UIElement {
 public:
  SubProgramHUD(UIContext* context, const Theme* theme);
  void show(const SubprogramValues& values);
  // Lines shown around the current one, before and after it.
  static constexpr uint32_t kContext = 2;
  // The rows as drawn: the title first, then one per line.
  size_t rowCount() const { return rows_.size(); }
  const Text& row(size_t i) const { return *rows_[i]; }
  // The row of the current line among the rows (the title is row 0).
  size_t currentRow() const { return currentRow_; }
  const UIElement& marker() const { return marker_; }
  void collect(std::vector<UIInstance>& records, bool snap = false) override;

  static constexpr float kRowHeight = 18, kPadding = 8, kMaxWidth = 420;

 private:
  const Theme* theme_;
  SubprogramValues values_;
  std::vector<std::unique_ptr<Text>> rows_;
  size_t currentRow_ = 0;
  UIElement marker_;  // behind the current line
};

}  // namespace UI
