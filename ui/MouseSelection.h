#pragma once
// The rectangle the user draws over the 3D area while zoom window is on: a
// press starts it at the cursor, holding the button stretches it while the
// cursor stays in the window, and the release hands over its corners. The
// element covers the whole window only while it is active, so the scene's
// navigation stays off then and the panels above it keep their presses.
#include <optional>

#include <glm/vec2.hpp>

#include "ui/Theme.h"
#include "ui/UIElement.h"

namespace UI {

class MouseSelection : public UIElement {
 public:
  MouseSelection(UIContext* context, const Theme* theme);

  static constexpr double kClickPixels = 2.0;

  void setActive(bool active);
  bool active() const { return visible; }
  // A finished rectangle in window fractions, y up: p1 the corner with the
  // smaller x and the larger y, p2 the opposite one. Taken once.
  struct Corners {
    glm::dvec2 p1, p2;
  };
  std::optional<Corners> takeFinished();

  void onPress() override;
  void onHold() override;
  void onRelease() override;
  void collect(std::vector<UIInstance>& records, bool snap = false) override;

 private:
  glm::dvec2 cursor() const;

  const Theme* theme_;
  bool dragging_ = false;
  glm::dvec2 origin_{0.0}, size_{0.0};  // window fractions, y up
  std::optional<Corners> finished_;
  UIElement box_;
};

}  // namespace UI
