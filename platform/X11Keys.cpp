#include "platform/X11Keys.h"

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>
#include <X11/X.h>
#include <X11/keysym.h>

namespace platform {

int glfwKeyFromKeysym(unsigned long k) {
  if (k >= XK_a && k <= XK_z) return static_cast<int>(k - XK_a) + GLFW_KEY_A;
  if (k >= XK_0 && k <= XK_9) return static_cast<int>(k - XK_0) + GLFW_KEY_0;
  if (k >= XK_F1 && k <= XK_F25) return static_cast<int>(k - XK_F1) + GLFW_KEY_F1;
  switch (k) {
    // Printable keys whose GLFW code is their ASCII code.
    case XK_space: case XK_apostrophe: case XK_comma: case XK_minus: case XK_period: case XK_slash:
    case XK_semicolon: case XK_equal: case XK_bracketleft: case XK_backslash: case XK_bracketright:
    case XK_grave:
      return static_cast<int>(k);
    case XK_Escape: return GLFW_KEY_ESCAPE;
    case XK_Return: return GLFW_KEY_ENTER;
    case XK_KP_Enter: return GLFW_KEY_KP_ENTER;
    case XK_Tab: return GLFW_KEY_TAB;
    case XK_BackSpace: return GLFW_KEY_BACKSPACE;
    case XK_Insert: return GLFW_KEY_INSERT;
    case XK_Delete: return GLFW_KEY_DELETE;
    case XK_Right: return GLFW_KEY_RIGHT;
    case XK_Left: return GLFW_KEY_LEFT;
    case XK_Down: return GLFW_KEY_DOWN;
    case XK_Up: return GLFW_KEY_UP;
    case XK_Page_Up: return GLFW_KEY_PAGE_UP;
    case XK_Page_Down: return GLFW_KEY_PAGE_DOWN;
    case XK_Home: return GLFW_KEY_HOME;
    case XK_End: return GLFW_KEY_END;
    case XK_Shift_L: return GLFW_KEY_LEFT_SHIFT;
    case XK_Shift_R: return GLFW_KEY_RIGHT_SHIFT;
    case XK_Control_L: return GLFW_KEY_LEFT_CONTROL;
    case XK_Control_R: return GLFW_KEY_RIGHT_CONTROL;
    case XK_Alt_L: case XK_Meta_L: return GLFW_KEY_LEFT_ALT;
    case XK_Alt_R: case XK_Meta_R: case XK_ISO_Level3_Shift: return GLFW_KEY_RIGHT_ALT;
    case XK_Super_L: return GLFW_KEY_LEFT_SUPER;
    case XK_Super_R: return GLFW_KEY_RIGHT_SUPER;
    default: return GLFW_KEY_UNKNOWN;
  }
}

int glfwModsFromState(unsigned int state) {
  int mods = 0;
  if (state & ShiftMask) mods |= GLFW_MOD_SHIFT;
  if (state & ControlMask) mods |= GLFW_MOD_CONTROL;
  if (state & Mod1Mask) mods |= GLFW_MOD_ALT;
  if (state & Mod4Mask) mods |= GLFW_MOD_SUPER;
  return mods;
}

uint32_t codepointFromKeysym(unsigned long k) {
  // Latin-1 keysyms are their code points; Unicode keysyms carry theirs
  // above 0x1000000.
  if ((k >= 0x20 && k <= 0x7E) || (k >= 0xA0 && k <= 0xFF)) return static_cast<uint32_t>(k);
  if (k >= 0x1000100 && k <= 0x110FFFF) return static_cast<uint32_t>(k - 0x1000000);
  return 0;
}

}  // namespace platform
