// Pointer and keyboard input a host hands to a view.
#include <cmath>

#include "api/OnView.h"
#include "korvane/Korvane.h"
#include "view/Render.h"

extern "C" {

SIM_EXPORT int32_t SIM_SendInput(Render* view, const SIM_InputEvent* event) {
  if (!event) return -1;
  return api::onView<int32_t>(view, -1, 1, [&](Render& v) -> int32_t {
    if (!std::isfinite(event->x) || !std::isfinite(event->y) || !std::isfinite(event->wheel))
      return SIM_STATUS_NOT_FINITE;
    if (event->kind > SIM_INPUT_KEY_UP) return SIM_STATUS_OUT_OF_RANGE;
    const int32_t b = event->button;
    const bool button = event->kind == SIM_INPUT_BUTTON_DOWN || event->kind == SIM_INPUT_BUTTON_UP;
    if (button && (b < 0 || b > 2)) return SIM_STATUS_OUT_OF_RANGE;
    const bool control = b < 0x20 || (b >= 0x7F && b < 0xA0);
    if (event->kind == SIM_INPUT_CHARACTER && (control || b > 0x10FFFF || (b >= 0xD800 && b < 0xE000)))
      return SIM_STATUS_OUT_OF_RANGE;
    const bool key = event->kind == SIM_INPUT_KEY_DOWN || event->kind == SIM_INPUT_KEY_UP;
    if (key && !view::InputState::knownKey(b)) return SIM_STATUS_OUT_OF_RANGE;
    if (v.hints().headless) return 1;
    v.window().inject(*event);
    return 0;
  });
}

}  // extern "C"
