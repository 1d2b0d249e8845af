// Exports that set and read the toolpath display's switches and the section
// plane through the scene.
#include "api/OnView.h"
#include "api/SettingChecks.h"
#include "korvane/Korvane.h"
#include "view/Render.h"

namespace {

SIM_ToolpathDisplay recordOf(const toolpath::ToolpathDisplaySettings& s) {
  SIM_ToolpathDisplay r{};
  r.showRapid = s.showRapid.load();
  r.showCutting = s.showCutting.load();
  r.points = s.points.load();
  r.largePoints = s.largePoints.load();
  r.highlightElements = s.highlightElements.load();
  r.highlightArcs = s.highlightArcs.load();
  r.toolVectors = s.toolVectors.load();
  r.thickLines = s.thickLines.load();
  r.colourByFeed = s.colourByFeed.load();
  r.colourBy = static_cast<uint8_t>(s.colourBy.load());
  r.showTool = s.showTool.load();
  r.showHolder = s.showHolder.load();
  return r;
}

}  // namespace

extern "C" {

SIM_EXPORT int32_t SIM_SetToolpathDisplay(Render* view, const SIM_ToolpathDisplay* display) {
  return api::onView(view, [&](Render& v) {
    if (!display) return -1;
    if (int32_t refused = api::checkToolpathDisplay(*display)) return refused;
    toolpath::ToolpathDisplaySettings& s = v.job().toolpathDisplay;
    s.showRapid = display->showRapid != 0;
    s.showCutting = display->showCutting != 0;
    s.points = display->points != 0;
    s.largePoints = display->largePoints != 0;
    s.highlightElements = display->highlightElements != 0;
    s.highlightArcs = display->highlightArcs != 0;
    s.toolVectors = display->toolVectors != 0;
    s.thickLines = display->thickLines != 0;
    s.colourByFeed = display->colourByFeed != 0;
    s.colourBy = static_cast<toolpath::ColourBy>(display->colourBy);
    s.showTool = display->showTool != 0;
    s.showHolder = display->showHolder != 0;
    ++s.revision;
    v.requestRedraw();
    return 0;
  });
}

SIM_EXPORT SIM_ToolpathDisplay SIM_GetToolpathDisplay(Render* view) {
  const toolpath::ToolpathDisplaySettings defaults;
  return api::onView(view, recordOf(defaults), recordOf(defaults),
                     [](Render& v) { return recordOf(v.job().toolpathDisplay); });
}

SIM_EXPORT int32_t SIM_SetCuttingPlane(Render* view, const SIM_CuttingPlane* plane) {
  return api::onView(view, [&](Render& v) {
    if (!plane) return -1;
    if (int32_t refused = api::checkCuttingPlane(*plane)) return refused;
    v.job().cuttingPlane.set(*plane);
    v.requestRedraw();
    return 0;
  });
}

SIM_EXPORT SIM_CuttingPlane SIM_GetCuttingPlane(Render* view) {
  const SIM_CuttingPlane defaults = view::CuttingPlaneSetting::defaults();
  return api::onView(view, defaults, defaults, [](Render& v) { return v.job().cuttingPlane.get(); });
}

}  // extern "C"
