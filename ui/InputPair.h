#pragma once
// A labelled entry row of a panel: the label at the left, a text field at
// the right edge, an optional unit after it. A click on the label starts
// editing the field as a click on the field does. The value shown follows
// setValue, after the user's edit when one is under way.
#include <functional>
#include <string>

#include "ui/InputField.h"
#include "ui/Text.h"
#include "ui/Theme.h"
#include "ui/UIElement.h"

namespace UI {

class InputPair : public UIElement {
 public:
  InputPair(UIContext* context, const Theme* theme);
  void setLabel(const std::u16string& text);
  void setUnit(const std::u16string& text);
  // The field's text; while it is edited, the text it shows when the edit
  // ends without a change.
  void setValue(const std::u16string& text);
  InputField& field() { return field_; }
  const InputField& field() const { return field_; }
  float labelWidth() const { return label_.textWidth(); }

  void onRelease() override;
  void collect(std::vector<UIInstance>& records, bool snap = false) override;

  static constexpr float kFieldWidth = 64, kUnitWidth = 34;

 private:
  const Theme* theme_;
  Text label_, unit_;
  InputField field_;
};

}  // namespace UI
