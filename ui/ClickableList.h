#pragma once
// A titled panel listing rows of text, each with a tick box at its left: a
// click on the box switches the row's tick, a click on the text selects the
// row. Ten rows show at a time; the wheel over the list and the scroll bar
// at its right move through longer lists (a press on the bar's track pages,
// dragging its thumb scrolls along).
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/Button.h"
#include "ui/Text.h"
#include "ui/Theme.h"
#include "ui/UIElement.h"

namespace UI {

class ClickableList : public UIElement {
 public:
  struct Row {
    std::u16string text;
    bool ticked = false;
    bool operator==(const Row&) const = default;
  };

  class Item : public Button {
   public:
    Item(UIContext* context, const Theme* theme, ClickableList* list);
    // Which content row it shows now; none past the end.
    std::optional<size_t> row;
    void collect(std::vector<UIInstance>& records, bool snap = false) override;

   private:
    ClickableList* list_;
  };

  class ScrollBar : public UIElement {
   public:
    ScrollBar(UIContext* context, const Theme* theme, ClickableList* list);
    void collect(std::vector<UIInstance>& records, bool snap = false) override;
    const UIElement& thumb() const { return thumb_; }

   private:
    const Theme* theme_;
    ClickableList* list_;
    UIElement thumb_;
    std::optional<float> grip_;  // where in the thumb a drag holds it, window fraction
  };

  ClickableList(UIContext* context, const Theme* theme);
  ~ClickableList() override;

  void setTitle(const std::u16string& title);
  // New rows; the selection and scroll stay where they still fit.
  void setRows(std::vector<Row> rows);
  const std::vector<Row>& rows() const { return rows_; }
  void setSelected(std::optional<size_t> row);
  std::optional<size_t> selected() const { return selected_; }
  size_t firstShown() const { return first_; }
  // Moves the shown rows; clamped to the list.
  void scrollTo(size_t first);
  const Item& item(size_t i) const { return *items_[i]; }
  const ScrollBar& scrollBar() const { return scrollBar_; }

  std::function<void(size_t row)> onSelect;
  std::function<void(size_t row, bool ticked)> onTick;

  void collect(std::vector<UIInstance>& records, bool snap = false) override;

  static constexpr size_t kShownRows = 10;
  static constexpr float kRowHeight = 20, kPadding = 6, kWidth = 220, kBarWidth = 8;

 private:
  void showRows();

  const Theme* theme_;
  Text title_;
  std::vector<std::unique_ptr<Item>> items_;
  ScrollBar scrollBar_;
  std::vector<Row> rows_;
  std::optional<size_t> selected_;
  size_t first_ = 0;
};

}  // namespace UI
