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
#include "ui/RowPanel.h"
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

class Information : public RowPanel {
 public:
  Information(UIContext* context, const Theme* theme, const StringTable* texts);
  // The rows, top to bottom: X, Y, Z, feed, spindle speed, tool,
  // operation, time.
  void setValues(const InformationValues& values);
};

}  // namespace UI
