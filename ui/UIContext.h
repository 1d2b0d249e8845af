#pragma once
// What every interface element reads while the frame pass walks it: window
// size, cursor, button and modifier states, scrolling and the glyph table.
// One per view, on the render thread.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "ui/ButtonState.h"
#include "ui/EditKey.h"
#include "ui/FontAtlas.h"
#include "ui/IconAtlas.h"

namespace UI {

// The window's input as one frame sees it. A button counts as down when it
// is held now or went down since the last frame.
struct FrameInput {
  float windowWidth = 1, windowHeight = 1;  // framebuffer pixels
  float cursorX = -1, cursorY = -1;         // pixels, origin top left
  std::array<bool, 3> buttonDown{};         // left, right, middle
  double scrollTotal = 0;                   // every vertical scroll offset so far
  // Left Shift, right Shift, left Ctrl, right Ctrl, left Alt, right Alt, T.
  std::array<bool, 7> modifierDown{};
  std::vector<EditKeyPress> editKeys;       // text and text-field keys since the last frame
};

struct UIContext {
  float windowWidth = 1, windowHeight = 1;
  float cursorX = -1, cursorY = -1;  // (-1, -1) once a panel took the cursor this frame
  float pressX = 0, pressY = 0;      // where the left button went down
  bool moved = false;  // the cursor moved since the last frame (whoever took it)
  // On the frame the left button is released: the cursor stayed within
  // kClickDistance of the press the whole time.
  bool click = false;
  bool clickCandidate = false;
  ButtonState left = ButtonState::Idle, right = ButtonState::Idle, middle = ButtonState::Idle;
  double scrollTotal = 0, previousScrollTotal = 0, scrollDelta = 0;
  std::array<ButtonState, 7> modifiers{ButtonState::Idle, ButtonState::Idle, ButtonState::Idle, ButtonState::Idle,
                                       ButtonState::Idle, ButtonState::Idle, ButtonState::Idle};
  // Keyboard text and keys of this frame; a field being edited takes them
  // and marks the keyboard as its own, so the view's shortcut keys stay
  // quiet.
  std::vector<EditKeyPress> editKeys;
  bool keyboardCaptured = false;
  int32_t dpi = 96;
  float contentScaleX = 1, contentScaleY = 1;  // DPI / 96
  const FontAtlas* glyphs = nullptr;
  uint32_t glyphGeneration = 0;  // counts new glyph tables: texts lay themselves out again
  const IconAtlas* icons = nullptr;

  static constexpr float kClickDistance = 2.0f;

  // Steps every state to this frame's input.
  void beginFrame(const FrameInput& input);
  // Elements walked after the one calling this no longer see the cursor.
  void takeCursor() { cursorX = cursorY = -1; }

 private:
  float lastCursorX_ = -1, lastCursorY_ = -1;  // the input's, before any panel took it
};

}  // namespace UI
