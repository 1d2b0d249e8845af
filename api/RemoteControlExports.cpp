// SIM_Command and SIM_Question: the host's remote control of one view and
// the answers that read its state back (view/RemoteControl).
#include "api/OnView.h"
#include "korvane/Korvane.h"
#include "view/RemoteControl.h"
#include "view/Render.h"

extern "C" {

SIM_EXPORT int32_t SIM_Command(Render* view, uint32_t code, uint64_t argument) {
  return api::onView<int32_t>(view, 1, 0, [&](Render& v) { return view::runCommand(v, code, argument); });
}

SIM_EXPORT bool SIM_Question(Render* view, uint32_t code) {
  return api::onView<bool>(view, false, false, [&](Render& v) { return view::answer(v, code); });
}

}  // extern "C"
