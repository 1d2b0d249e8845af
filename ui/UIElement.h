#pragma once
// The base of everything the interface draws: a rectangle placed relative
// to its parent (or the window), sized in fractions of the parent or in
// logical pixels, with a vertical colour gradient, rounded corners, and a
// drawing mode (flat, ruler, glyph, textured). The frame pass walks the
// elements; each one reacts to the frame's button and scroll events through
// its slots and adds its record. Render thread only.
#include <array>
#include <cstdint>
#include <vector>

#include "ui/UIContext.h"
#include "ui/UIInstance.h"

namespace UI {

enum class SizeMode : uint32_t { ParentWidth = 0, ParentHeight = 1, Pixels = 2 };

// Window fractions, origin bottom left, y up.
struct Rect {
  float x = 0, y = 0, w = 0, h = 0;
};

class UIElement {
 public:
  explicit UIElement(UIContext* context) : context(context) {}
  virtual ~UIElement() = default;
  // Children point at their parent and callbacks at their element: an
  // element stays where it was made.
  UIElement(const UIElement&) = delete;
  UIElement& operator=(const UIElement&) = delete;

  // Event slots, called by collect in this order of precedence; the base
  // does nothing.
  virtual void onPress() {}
  virtual void onPressInside() {}
  virtual void onHold() {}
  virtual void onHoldInside() {}
  virtual void onRelease() {}
  virtual void onReleaseInside() {}
  virtual void onScrollInside(double /*delta*/) {}
  virtual void onScroll(double /*delta*/) {}

  UIContext* context;
  float relX = 0, relY = 0;
  float offsetX = 0, offsetY = 0;      // logical pixels
  float addWidth = 0, addHeight = 0;   // logical pixels
  float width = 1, height = 1;
  float anchorX = 0, anchorY = 0;
  std::array<float, 4> colorBottom{0, 0, 0, 0};
  std::array<float, 4> colorTop{0, 0, 0, 0};
  float roundness = 0;  // 1: a radius of half the shorter side
  int32_t drawMode = 0;  // 0 flat, 1 ruler, 2 glyph, 3 textured
  int32_t drawModeExtra = 0;
  std::array<float, 4> texRect{0, 0, 1, 1};
  bool visible = true;
  float opacity = 1;
  SizeMode widthMode = SizeMode::ParentWidth, heightMode = SizeMode::ParentHeight;
  UIElement* parent = nullptr;

  // Where the element lies, snapped to whole pixels (elements up to three
  // pixels tall keep their exact height).
  Rect getRect() const;
  // Visible along with every parent: a hidden panel hides what it holds.
  bool shown() const;
  // The element's opacity times every parent's: a fading panel fades its
  // texts with it.
  float shownOpacity() const;
  // Shown and the point (window fractions, y up) inside.
  bool hitTest(float px, float py) const;
  // The cursor inside this element.
  bool cursorInside() const;
  // A new anchor; with keepPlace the rectangle stays where it is.
  void setAnchor(float x, float y, bool keepPlace);
  // Delivers the frame's events to the slots, then appends the element's
  // record (each value rounded to whole pixels with snap).
  virtual void collect(std::vector<UIInstance>& records, bool snap = false);

 protected:
  // The record this element draws now.
  UIInstance record(bool snap) const;
  void dispatch();
};

}  // namespace UI
