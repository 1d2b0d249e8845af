#pragma once
// The strip along the bottom of the window: the NC line playing with its
// code at the left (cut to the room left over), the toolpath's total length
// and machining time at the right.
#include <string>
#include <vector>

#include "ui/StringTable.h"
#include "ui/Text.h"
#include "ui/Theme.h"
#include "ui/UIElement.h"

namespace UI {

struct StatusValues {
  bool hasToolpath = false;
  uint32_t line = 0;     // the NC line of the move playing; 0 none
  std::u16string code;   // that line's text, when the host gave the program
  double totalLength = 0;   // millimetres
  double totalMinutes = 0;
  bool inch = false;
  int decimals = 3;
  bool operator==(const StatusValues&) const = default;
};

class StatusBar : public UIElement {
 public:
  StatusBar(UIContext* context, const Theme* theme, const StringTable* texts);
  void show(const StatusValues& values);
  const std::u16string& lineText() const { return line_.text(); }
  const std::u16string& totalsText() const { return totals_.text(); }
  void collect(std::vector<UIInstance>& records, bool snap = false) override;

  static constexpr float kHeight = 22, kPadding = 8;

 private:
  void fitLine();

  const Theme* theme_;
  const StringTable* texts_;
  StatusValues values_;
  bool shown_ = false;  // values_ are on the texts
  std::u16string fullLine_;
  float fittedTo_ = -1;  // room the line was cut for, logical pixels
  Text line_, totals_;
};

}  // namespace UI
