#include "view/CompareFollower.h"

#include <cmath>

namespace view {

namespace {
constexpr uint32_t kCompareAction = 65;  // the ribbon's Compare button
}  // namespace

UI::CompareValues compareValuesOf(const JobData& job, std::optional<float> distanceMm) {
  const CompareSetting::Values setting = job.stockCompare.get();
  const double scale = job.units.scale.load();
  UI::CompareValues v;
  v.shown = (setting.flags & SIM_COMPARE_SHOWN) != 0;
  v.inch = job.units.unit.load() != 0;
  // A range never set shows the one the Compare button would start with.
  const bool unset = setting.lower > setting.upper;
  v.lower = (unset ? -CompareSetting::kDefaultHalfWidth : setting.lower) / scale;
  v.upper = (unset ? CompareSetting::kDefaultHalfWidth : setting.upper) / scale;
  const CompareSetting::Colours colours = job.stockCompare.colours();
  for (size_t band = 0; band < colours.size(); ++band)
    v.colours[band] = {colours[band].r, colours[band].g, colours[band].b, 1.0f};
  v.visible = {(setting.flags & SIM_COMPARE_HIDE_BELOW) == 0, (setting.flags & SIM_COMPARE_HIDE_WITHIN) == 0,
               (setting.flags & SIM_COMPARE_HIDE_ABOVE) == 0};
  v.stepped = (setting.flags & SIM_COMPARE_STEPPED) != 0;
  // Shown to the decimals the legend writes: a change below them is none.
  if (distanceMm) {
    const double unit = v.inch ? 1e-4 : 1e-3;
    v.distance = std::round(*distanceMm / scale / unit) * unit;
  }
  return v;
}

void CompareFollower::link(InterfaceFrame& frame, JobData& job, UI::RibbonState* ribbon, Chooser chooser,
                           std::function<void()> redraw) {
  shown_.reset();
  if (UI::StockCompareColors* colours = frame.compareColours()) {
    colours->setChooser(chooser);
    colours->onColour = [&job, redraw](size_t band, const UI::Colour& colour) {
      CompareSetting::Colours set = job.stockCompare.colours();
      set[band] = glm::vec3(colour[0], colour[1], colour[2]);
      job.stockCompare.setColours(set);
      redraw();
    };
    // A range entered shows the comparison.
    colours->onRange = [&job, ribbon, redraw](double lower, double upper) {
      const double scale = job.units.scale.load();
      CompareSetting::Values values = job.stockCompare.get();
      values.flags |= SIM_COMPARE_SHOWN;
      values.lower = lower * scale, values.upper = upper * scale;
      job.stockCompare.set(values);
      if (ribbon) ribbon->check(kCompareAction, true);
      redraw();
    };
  }
  if (UI::StockCompareVisibility* visibility = frame.compareVisibility()) {
    visibility->onToggle = [&job, redraw](UI::StockCompareVisibility::Switch which, bool on) {
      static constexpr uint32_t kHides[] = {SIM_COMPARE_HIDE_BELOW, SIM_COMPARE_HIDE_WITHIN, SIM_COMPARE_HIDE_ABOVE};
      CompareSetting::Values values = job.stockCompare.get();
      // The gradient shows while the flat bands' bit is clear, each part
      // of the surface while its hiding bit is.
      const uint32_t bit = which == UI::StockCompareVisibility::Gradient ? uint32_t{SIM_COMPARE_STEPPED} : kHides[which];
      values.flags = on ? values.flags & ~bit : values.flags | bit;
      job.stockCompare.set(values);
      redraw();
    };
  }
}

void CompareFollower::follow(InterfaceFrame& frame, const JobData& job, std::optional<float> distanceMm) {
  const UI::CompareValues values = compareValuesOf(job, distanceMm);
  if (shown_ == values) return;
  shown_ = values;
  frame.showCompare(values);
}

}  // namespace view
