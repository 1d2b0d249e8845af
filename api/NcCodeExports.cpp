// The NC program texts for the interface's code displays.
#include <vector>

#include "api/OnView.h"
#include "korvane/Korvane.h"
#include "view/Render.h"

extern "C" {

SIM_EXPORT int32_t SIM_SetNCFile(Render* view, const char* text, const uint32_t* values, uint32_t count) {
  return api::onView(view, [&](Render& v) {
    v.ncCode().setProgram(UI::NcFile(text, values, count));
    v.requestRedraw();
    return 0;
  });
}

SIM_EXPORT int32_t SIM_SetNCFileSelection(Render* view, bool valid, uint32_t first, int32_t second) {
  return api::onView(view, [&](Render& v) {
    if (UI::InterfaceState* state = v.interfaceState()) {
      state->ncSelectionStart = valid ? int64_t(first) : -1;
      state->ncSelectionEnd = valid ? int64_t(second) : -1;
    }
    v.requestRedraw();
    return 0;
  });
}

SIM_EXPORT int32_t SIM_SetSubProgramFiles(Render* view, const char* const* texts, const uint32_t* const* values,
                                          const uint32_t* lengths, uint32_t count) {
  return api::onView(view, [&](Render& v) {
    if (count && !texts) return int32_t{SIM_STATUS_BAD_ARRAY};
    std::vector<UI::NcFile> files;
    files.reserve(count);
    for (uint32_t k = 0; k < count; ++k)
      files.emplace_back(texts[k], values && lengths ? values[k] : nullptr, lengths ? lengths[k] : 0);
    v.ncCode().setSubprograms(std::move(files));
    v.requestRedraw();
    return 0;
  });
}

}  // extern "C"
