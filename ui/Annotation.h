#pragma once
// What measuring shows: the "Measure" panel with the two points and the
// distances between them in the view's units, a marker on each measured
// point, and the distance as a label at the middle of the line that joins
// them. The view hands it the points each frame, already placed on the
// screen; the line itself is drawn with the scene labels before the
// interface's records (AnnotationLine). Render thread only.
#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "ui/RowPanel.h"
#include "ui/StringTable.h"
#include "ui/Text.h"
#include "ui/Theme.h"
#include "ui/UIElement.h"

namespace UI {

using ScreenPoint = std::array<float, 2>;  // window fractions, y up

struct MeasureValues {
  bool active = false;  // measuring mode is on
  size_t count = 0;     // points measured: 0, 1 or 2
  std::array<std::array<double, 3>, 2> points{};  // From and To, the host's frame, millimetres
  // Where each point shows, when it lies in front of the eye.
  std::array<std::optional<ScreenPoint>, 2> onScreen;
  bool inch = false;
  int decimals = 3;
};

class Annotation : public RowPanel {
 public:
  Annotation(UIContext* context, const Theme* theme, const StringTable* texts);
  // The panel's rows, top to bottom: From X, Y, Z, To X, Y, Z, distance,
  // distance across X and Y, distance along Z.
  void show(const MeasureValues& values);
  // The label at the line's middle ("Dist 12.500 mm").
  const Text& label() const { return label_; }
  // The line from From to To, when both show.
  std::optional<std::array<ScreenPoint, 2>> line() const;
  const Theme& theme() const { return *theme_; }
  void collect(std::vector<UIInstance>& records, bool snap = false) override;

  static constexpr float kMarkerSize = 7;

 private:
  static void place(UIElement& element, const ScreenPoint& at);

  MeasureValues values_;
  std::array<std::unique_ptr<UIElement>, 2> markers_;
  UIElement labelBox_;
  Text label_;
};

}  // namespace UI
