#include "view/InputState.h"

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

namespace view {
namespace {

bool isTextEditKey(int key) {
  return key == GLFW_KEY_ENTER || key == GLFW_KEY_BACKSPACE || key == GLFW_KEY_DELETE || key == GLFW_KEY_RIGHT ||
         key == GLFW_KEY_LEFT;
}

// Keys that step the playback: presses of Space, N, P, R and Home, and the
// repeats of Up and Down.
bool isStepKey(int key, int action) {
  if (action == GLFW_REPEAT) return key == GLFW_KEY_UP || key == GLFW_KEY_DOWN;
  if (action == GLFW_PRESS)
    return key == GLFW_KEY_SPACE || key == GLFW_KEY_N || key == GLFW_KEY_P || key == GLFW_KEY_R ||
           key == GLFW_KEY_HOME;
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
  if (action != GLFW_RELEASE && isTextEditKey(key)) ++textEditKeys;
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
  }
  if (isStepKey(key, action)) stepKeys.push_back({key, mods, action == GLFW_REPEAT});
  return (static_cast<int64_t>(key) << 32) | static_cast<int64_t>(mods & 0xFF);
}

void InputState::recordCharacter(uint32_t codepoint) {
  typed.push_back(codepoint);
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
    const double dx = cursorX - downX[button];
    const double dy = cursorY - downY[button];
    if (dx * dx + dy * dy <= 4.0) ++clicks;  // released within 2 pixels of the press
  }
}

void InputState::recordCursor(double x, double y) {
  cursorX = x;
  cursorY = y;
  activity = true;
}

void InputState::recordScroll(double dy) {
  wheelSteps += dy > 0 ? 1 : (dy < 0 ? -1 : 0);
  activity = true;
}

}  // namespace view
