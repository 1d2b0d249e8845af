#pragma once
// The orientation aids in the top right corner: the view cube, whose
// element under the cursor lights up and turns the view when clicked, and
// below it the gnomon, the host's X, Y and Z axes as the camera sees them.
// Both turn with the camera only. This element lays out their labels and
// works out the hovered cube element; OrientationDrawing draws the cube and
// the axes into the element's squares.
#include <array>
#include <functional>
#include <memory>

#include <glm/mat3x3.hpp>

#include "ui/CubeElement.h"
#include "ui/StringTable.h"
#include "ui/Text.h"
#include "ui/Theme.h"
#include "ui/UIElement.h"

namespace UI {

class Gnomon : public UIElement {
 public:
  static constexpr float kCubeSize = 110;  // logical pixels, the element itself
  static constexpr float kAxesSize = 90;   // the axes' square below it
  static constexpr float kGap = 6;
  // Device units per cube or axis unit in the two squares.
  static constexpr float kCubeScale = 1.0f / 1.8f;
  static constexpr float kAxesScale = 1.0f / 2.6f;
  static constexpr float kAxisLength = 2.0f;
  static constexpr float kLabelDistance = 2.15f;

  struct Settings {
    std::array<bool, 3> axes{true, true, true};  // X, Y, Z
    bool gnomon = true;
    bool cube = true;
  };

  Gnomon(UIContext* context, const Theme* theme, const StringTable* texts);

  void configure(const Settings& settings) { settings_ = settings; }
  const Settings& settings() const { return settings_; }
  // Every frame: the camera's turn (display frame to view) and the host's
  // X, Y and Z axes in the display frame (columns).
  void show(const glm::mat3& viewRotation, const glm::mat3& hostAxes);
  const glm::mat3& viewRotation() const { return rotation_; }
  const glm::mat3& hostAxes() const { return axes_; }

  const CubeElement& hovered() const { return hovered_; }
  // The cube element under a window point (fractions, y up), if any.
  CubeElement elementAt(float px, float py) const;
  // The axes' square (window fractions, y up).
  Rect axesRect() const;
  // A click on a cube element.
  std::function<void(const CubeElement&)> onChoose;

  void collect(std::vector<UIInstance>& records, bool snap = false) override;

 private:
  void placeLabels();

  const Theme* theme_;
  Settings settings_;
  glm::mat3 rotation_{1.0f}, axes_{1.0f};
  CubeElement hovered_;
  std::array<std::unique_ptr<Text>, 3> axisLabels_;
  std::array<std::unique_ptr<Text>, 6> faceLabels_;
};

}  // namespace UI
