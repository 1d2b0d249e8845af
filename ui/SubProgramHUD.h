#pragma once
// The NC code around the line playing, in a small panel above the status
// bar: each line with its number in its file, the one playing marked, and
// lines the host selected marked more faintly. It shows by itself while the
// move playing comes from a subprogram (titled with the subprogram's first
// line), and always while the "NC code" panel is open. Hidden for a file
// whose text the host did not give.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ui/Text.h"
#include "ui/Theme.h"
#include "ui/UIElement.h"

namespace UI {

struct SubprogramValues {
  bool inside = false;   // the line playing is a subprogram's
  bool listing = false;  // the "NC code" panel is open
  std::u16string title;  // no title row when empty
  uint32_t current = 0;  // the line playing, counted from 1 in its file; 0 none
  std::vector<std::pair<uint32_t, std::u16string>> lines;  // in order, the current one among them
  uint32_t selectedFirst = 0, selectedLast = 0;  // lines the host selected; 0 none
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
  // The row of the current line among the rows (the title, if any, is row 0).
  size_t currentRow() const { return currentRow_; }
  const UIElement& marker() const { return marker_; }
  const UIElement& selectionMarker() const { return selection_; }
  void collect(std::vector<UIInstance>& records, bool snap = false) override;

  static constexpr float kRowHeight = 18, kPadding = 8, kMaxWidth = 420;

 private:
  const Theme* theme_;
  SubprogramValues values_;
  std::vector<std::unique_ptr<Text>> rows_;
  size_t currentRow_ = 0;
  UIElement marker_;     // behind the current line
  UIElement selection_;  // behind the selected lines
};

}  // namespace UI
