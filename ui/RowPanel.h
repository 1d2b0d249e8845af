#pragma once
// A panel of labelled rows under a title: the information panel and the
// measuring panel. The labels and the title come from the string table;
// the rows are as wide as the widest label and value need (never narrower
// than 180 logical pixels) and grow when a value outgrows them. The panel
// keeps the cursor from the scene below it.
#include <cstdint>
#include <memory>
#include <vector>

#include "ui/StringTable.h"
#include "ui/Text.h"
#include "ui/TextPair.h"
#include "ui/Theme.h"
#include "ui/UIElement.h"

namespace UI {

class RowPanel : public UIElement {
 public:
  // title and labels: string-table entries, the labels top to bottom.
  RowPanel(UIContext* context, const Theme* theme, const StringTable* texts, uint16_t title,
           std::vector<uint16_t> labels);
  void setTexts(const StringTable* texts);
  const TextPair& row(size_t i) const { return *rows_[i]; }
  size_t rowCount() const { return rows_.size(); }
  void collect(std::vector<UIInstance>& records, bool snap = false) override;

  static constexpr float kRowHeight = 18, kPadding = 8, kMinWidth = 180;

 protected:
  // After new values: wider rows when a value no longer fits.
  void fitRows();

  const Theme* theme_;
  const StringTable* texts_;
  std::vector<std::unique_ptr<TextPair>> rows_;

 private:
  void arrange();

  Text title_;
  uint16_t titleEntry_;
  std::vector<uint16_t> labelEntries_;
};

}  // namespace UI
