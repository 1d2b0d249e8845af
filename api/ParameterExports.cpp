// SIM_SetParameter: the data folder and the viewer program.
#include <mutex>
#include <string>

#include "api/OnView.h"
#include "korvane/Korvane.h"
#include "platform/Folders.h"
#include "view/Render.h"

extern "C" {

SIM_EXPORT int32_t SIM_SetParameter(Render* view, int32_t key, const char* text) {
  return api::onView<int32_t>(view, 1, 0, [&](Render& v) {
    const std::string value = text ? text : "";
    if (key == SIM_PARAMETER_DATA_FOLDER) platform::setDataFolder(value);
    if (key == SIM_PARAMETER_VIEWER_PROGRAM) {
      std::lock_guard lock(v.job().viewerProgramMutex);
      v.job().viewerProgram = value;
    }
    return 0;
  });
}

}  // extern "C"
