#pragma once
// The information panel at the bottom left: where the tool stands, the
// feed and spindle speed of the move playing, the tool and operation, and
// the time played, in the view's units. The view hands it values each
// frame; rows change only when their formatted text does.
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "ui/NumberText.h"
#include "ui/StringTable.h"
#include "ui/TextPair.h"
#include "ui/Theme.h"
#include "ui/UIElement.h"

namespace UI {

struct InformationValues {
  bool hasToolpath = false;
  std::array<double, 3> tip{0, 0, 0};  // millimetres
  double feed = 0;                     // millimetres per minute
  double spindle = 0;                  // revolutions per minute
  std::u16string tool, operation;
  double seconds = 0;  // machining time to the position played
  bool inch = false;
  int decimals = 3;
};

class Information : public UIElement {
 public:
  Information(UIContext* context, const Theme* theme, const StringTable* texts);
  void setTexts(const StringTable* texts);
  void setValues(const InformationValues& values);
  // The rows, top to bottom: X, Y, Z, feed, spindle speed, tool,
  // operation, time.
  const TextPair& row(size_t i) const { return *rows_[i]; }
  size_t rowCount() const { return rows_.size(); }
  void collect(std::vector<UIInstance>& records, bool snap = false) override;

  static constexpr float kRowHeight = 18, kPadding = 8;

 private:
  void arrange();

  const Theme* theme_;
  const StringTable* texts_;
  Text title_;
  std::vector<std::unique_ptr<TextPair>> rows_;
};

}  // namespace UI
