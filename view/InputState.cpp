#include "view/InputState.h"

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include <optional>

namespace view {
namespace {

// The text-field key of a GLFW key, if it is one (Ctrl+A selects all).
std::optional<UI::EditKey> editKeyOf(int key, int mods) {
  switch (key) {
    case GLFW_KEY_ENTER: case GLFW_KEY_KP_ENTER: return UI::EditKey::Enter;
    case GLFW_KEY_ESCAPE: return UI::EditKey::Escape;
    case GLFW_KEY_BACKSPACE: return UI::EditKey::Backspace;
    case GLFW_KEY_DELETE: return UI::EditKey::Delete;
    case GLFW_KEY_LEFT: return UI::EditKey::Left;
    case GLFW_KEY_RIGHT: return UI::EditKey::Right;
    case GLFW_KEY_HOME: return UI::EditKey::Home;
    case GLFW_KEY_END: return UI::EditKey::End;
    case GLFW_KEY_A:
      if (mods & GLFW_MOD_CONTROL) return UI::EditKey::SelectAll;
      return std::nullopt;
    default: return std::nullopt;
  }
}

// Where a modifier key sits in modifierKeys, or -1.
int modifierIndex(int key) {
  switch (key) {
    case GLFW_KEY_LEFT_SHIFT: return 0;
    case GLFW_KEY_RIGHT_SHIFT: return 1;
    case GLFW_KEY_LEFT_CONTROL: return 2;
    case GLFW_KEY_RIGHT_CONTROL: return 3;
    case GLFW_KEY_LEFT_ALT: return 4;
    case GLFW_KEY_RIGHT_ALT: return 5;
    case GLFW_KEY_T: return 6;
    default: return -1;
  }
}

// Keys that step the playback: presses of Space, N, P, R, Home and the
// range keys [, ] and \, and the repeats of Up and Down.
bool isStepKey(int key, int action) {
  if (action == GLFW_REPEAT) return key == GLFW_KEY_UP || key == GLFW_KEY_DOWN;
  if (action == GLFW_PRESS)
    return key == GLFW_KEY_SPACE || key == GLFW_KEY_N || key == GLFW_KEY_P || key == GLFW_KEY_R ||
           key == GLFW_KEY_HOME || key == GLFW_KEY_LEFT_BRACKET || key == GLFW_KEY_RIGHT_BRACKET ||
           key == GLFW_KEY_BACKSLASH;
  return false;
}

}  // namespace

void InputState::recordResize(int newWidth, int newHeight) {
  resized = true;
  width = newWidth;
  height = newHeight;
  activity = true;
}

int64_t InputState::recordKey(int key, int action, int mods) {
  activity = true;
  if (action != GLFW_RELEASE)
    if (const std::optional<UI::EditKey> edit = editKeyOf(key, mods))
      editKeys.push_back({*edit, (mods & GLFW_MOD_SHIFT) != 0});
  if (action != GLFW_REPEAT) {
    const bool down = action == GLFW_PRESS;
    switch (key) {
      case GLFW_KEY_LEFT_CONTROL: case GLFW_KEY_RIGHT_CONTROL: control = down; break;
      case GLFW_KEY_LEFT_SHIFT: case GLFW_KEY_RIGHT_SHIFT: shift = down; break;
      case GLFW_KEY_LEFT_ALT: case GLFW_KEY_RIGHT_ALT: alt = down; break;
      case GLFW_KEY_S: keyS = down; break;
      case GLFW_KEY_E: keyE = down; break;
      default: break;
    }
    if (const int index = modifierIndex(key); index >= 0) modifierKeys[static_cast<size_t>(index)] = down;
  }
  if (isStepKey(key, action)) stepKeys.push_back({key, mods, action == GLFW_REPEAT});
  return (static_cast<int64_t>(key) << 32) | static_cast<int64_t>(mods & 0xFF);
}

int InputState::heldModifiers() const {
  int mods = 0;
  if (modifierKeys[0] || modifierKeys[1]) mods |= GLFW_MOD_SHIFT;
  if (modifierKeys[2] || modifierKeys[3]) mods |= GLFW_MOD_CONTROL;
  if (modifierKeys[4] || modifierKeys[5]) mods |= GLFW_MOD_ALT;
  return mods;
}

bool InputState::knownKey(int key) { return key >= GLFW_KEY_SPACE && key <= GLFW_KEY_LAST; }

void InputState::recordCharacter(uint32_t codepoint) {
  auto unit = [this](uint32_t u) { editKeys.push_back({UI::EditKey::Character, false, static_cast<char16_t>(u)}); };
  if (codepoint >= 0x10000 && codepoint <= 0x10FFFF) {
    unit(0xD800 + ((codepoint - 0x10000) >> 10));
    unit(0xDC00 + ((codepoint - 0x10000) & 0x3FF));
  } else if (codepoint < 0xD800 || (codepoint >= 0xE000 && codepoint < 0x10000)) {
    unit(codepoint);
  }
  activity = true;
}

void InputState::recordButton(int button, bool pressed) {
  if (button < 0 || button > 2) return;
  activity = true;
  if (pressed) {
    buttonDown[button] = true;
    wentDown[button] = true;
    downX[button] = cursorX;
    downY[button] = cursorY;
    if (keyS && keyE) exportGesture = true;
  } else {
    buttonDown[button] = false;
    wentUp[button] = true;
    upX[button] = cursorX;
    upY[button] = cursorY;
    const double dx = cursorX - downX[button];
    const double dy = cursorY - downY[button];
    if (dx * dx + dy * dy <= 4.0) {  // released within 2 pixels of the press
      ++clicks;
      if (button == 0) ++leftClicks;
    }
  }
}

void InputState::recordCursor(double x, double y) {
  cursorInWindow = true;
  cursorX = x;
  cursorY = y;
  activity = true;
}

void InputState::recordScroll(double dy) {
  wheelSteps += dy > 0 ? 1 : (dy < 0 ? -1 : 0);
  activity = true;
}

}  // namespace view
