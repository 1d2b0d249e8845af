#pragma once
// What the window's input did since the render thread last looked. The
// window callbacks of every view run inside whichever render thread polls
// events, so they only record here, under the GLFW lock; the view's own
// render thread takes the record once per frame under the same lock.
// Keys, actions and modifiers use GLFW's numbering whatever window they came
// from; mouse buttons are 0 left, 1 right, 2 middle.
#include <array>
#include <cstdint>
#include <vector>

#include "ui/EditKey.h"

namespace view {

struct StepKey {
  int key = 0;
  int mods = 0;
  bool repeat = false;
};

struct InputState {
  // Mouse
  double cursorX = 0, cursorY = 0;
  bool cursorInWindow = true;              // false once it left, until it moves inside again
  std::array<bool, 3> buttonDown{};        // left, right, middle
  std::array<bool, 3> wentDown{};          // since the last frame
  std::array<bool, 3> wentUp{};            // since the last frame
  std::array<double, 3> downX{}, downY{};  // where each button went down
  std::array<double, 3> upX{}, upY{};      // where each button last went up
  int wheelSteps = 0;                      // > 0 forward
  int clicks = 0;                          // released within 2 pixels of the press
  int leftClicks = 0;                      // the clicks of the left button
  bool exportGesture = false;              // a button went down while S and E were held

  // Keyboard
  bool control = false, shift = false, alt = false;
  // Each side of a pair apart, then T: left Shift, right Shift, left Ctrl,
  // right Ctrl, left Alt, right Alt, T.
  std::array<bool, 7> modifierKeys{};
  bool keyS = false, keyE = false;
  std::vector<StepKey> stepKeys;          // Space, N, P, R, Home presses; Up/Down repeats
  std::vector<UI::EditKeyPress> editKeys;  // text (UTF-16) and text-field keys, presses and repeats

  // Window
  bool resized = false;
  int width = 0, height = 0;
  bool exposed = false;
  bool activity = false;                   // any input at all since the last frame

  void recordResize(int newWidth, int newHeight);
  void recordExpose() { exposed = true; }
  // Returns the value the host hears as the key event: key << 32 | modifiers.
  int64_t recordKey(int key, int action, int mods);
  // The modifier bits of the modifier keys held now (for keys a host sends).
  int heldModifiers() const;
  // A key code of the window's numbering.
  static bool knownKey(int key);
  void recordCharacter(uint32_t codepoint);
  void recordButton(int button, bool pressed);
  void recordCursor(double x, double y);
  void recordCursorLeft() {
    cursorInWindow = false;
    activity = true;
  }
  void recordScroll(double dy);

  // Hands over the per-frame part and keeps the held state.
  InputState takeFrame() {
    InputState frame = *this;
    wentDown = {};
    wentUp = {};
    wheelSteps = 0;
    clicks = 0;
    leftClicks = 0;
    exportGesture = false;
    stepKeys.clear();
    editKeys.clear();
    resized = false;
    exposed = false;
    activity = false;
    return frame;
  }
};

}  // namespace view
