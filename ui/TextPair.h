#pragma once
// One row of an information panel: a label at the left and its value
// right-aligned at the row's right edge. A value set again unchanged
// changes nothing, so an idle panel emits the same records.
#include <string>

#include "ui/Text.h"
#include "ui/Theme.h"
#include "ui/UIElement.h"

namespace UI {

class TextPair : public UIElement {
 public:
  TextPair(UIContext* context, const Theme* theme);
  void setLabel(const std::u16string& text);
  void setValue(const std::u16string& text);
  // The value as shown: cut with "..." beyond kMaxValueWidth.
  const std::u16string& value() const { return value_.text(); }
  // Widths the two texts need, logical pixels.
  float labelWidth() const;
  float valueWidth() const;
  void collect(std::vector<UIInstance>& records, bool snap = false) override;

  static constexpr float kMaxValueWidth = 240;  // logical pixels

 private:
  const Theme* theme_;
  Text label_, value_;
  std::u16string fullValue_;
};

}  // namespace UI
