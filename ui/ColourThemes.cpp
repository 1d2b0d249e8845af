#include "ui/ColourThemes.h"

#include <algorithm>
#include <mutex>

namespace UI {

namespace {

Colour rgba(float r, float g, float b, float a = 1.0f) { return {r, g, b, a}; }

// The slots the record's colours fill, in record order after the first.
using Slot = Colour ColourTheme::*;
using UiSlot = Colour Theme::*;
struct RgbSlot {
  UiSlot ui = nullptr;
  Slot scene = nullptr;
};
const std::array<RgbSlot, 14> kRgbSlots = {{
    {&Theme::text, nullptr},
    {&Theme::panel, nullptr},
    {&Theme::sliderTrack, nullptr},
    {&Theme::sliderFill, nullptr},
    {&Theme::sliderDot, nullptr},
    {&Theme::disabled, nullptr},
    {&Theme::selection, nullptr},
    {&Theme::axisX, nullptr},
    {&Theme::axisY, nullptr},
    {&Theme::axisZ, nullptr},
    {nullptr, &ColourTheme::cut},
    {nullptr, &ColourTheme::arc},
    {nullptr, &ColourTheme::rapid},
    {nullptr, &ColourTheme::machine},
}};
static_assert(4 + 3 * std::tuple_size_v<decltype(kRgbSlots)> == kThemeRecordFloats);

Colour& slotOf(ColourTheme& theme, const RgbSlot& slot) { return slot.ui ? theme.ui.*slot.ui : theme.*slot.scene; }

struct Tables {
  std::mutex mutex;
  ColourTheme light = ColourTheme::light(), dark = ColourTheme::dark();
  uint64_t revision = 1;
};

Tables& tables() {
  static Tables t;
  return t;
}

}  // namespace

ColourTheme ColourTheme::light() {
  ColourTheme t;
  t.ui = Theme::light();
  t.background = rgba(0.93f, 0.94f, 0.96f, 0.0f);
  t.cut = rgba(0.10f, 0.30f, 0.85f);
  t.arc = rgba(0.05f, 0.60f, 0.20f);
  t.rapid = rgba(0.90f, 0.15f, 0.10f);
  t.machine = rgba(0.62f, 0.65f, 0.70f);
  t.rapidRemoved = rgba(0.86f, 0.24f, 0.20f);
  t.owners = {rgba(0.34f, 0.61f, 0.84f), rgba(0.84f, 0.62f, 0.34f), rgba(0.47f, 0.75f, 0.43f),
              rgba(0.78f, 0.43f, 0.63f), rgba(0.59f, 0.51f, 0.82f), rgba(0.35f, 0.75f, 0.75f),
              rgba(0.82f, 0.78f, 0.39f), rgba(0.67f, 0.47f, 0.35f)};
  t.grid = rgba(0.55f, 0.58f, 0.62f, 0.6f);
  t.sectionPlane = rgba(0.95f, 0.75f, 0.05f, 0.25f);
  t.sectionStock = rgba(0.85f, 0.35f, 0.30f);
  t.sectionWorkpiece = rgba(0.30f, 0.55f, 0.85f);
  t.sectionStockAndWorkpiece = rgba(0.60f, 0.40f, 0.75f);
  return t;
}

ColourTheme ColourTheme::dark() {
  ColourTheme t = light();
  t.ui = Theme::dark();
  t.background = rgba(0.13f, 0.14f, 0.16f, 0.0f);
  t.cut = rgba(0.35f, 0.65f, 1.00f);
  t.arc = rgba(0.35f, 0.90f, 0.45f);
  t.rapid = rgba(1.00f, 0.40f, 0.35f);
  t.machine = rgba(0.45f, 0.48f, 0.53f);
  t.grid = rgba(0.42f, 0.45f, 0.50f, 0.6f);
  return t;
}

ThemeRecord recordOf(const ColourTheme& theme) {
  ThemeRecord record{};
  std::copy(theme.background.begin(), theme.background.end(), record.begin());
  ColourTheme copy = theme;
  for (size_t k = 0; k < kRgbSlots.size(); ++k) {
    const Colour& c = slotOf(copy, kRgbSlots[k]);
    std::copy_n(c.begin(), 3, record.begin() + 4 + 3 * k);
  }
  return record;
}

void applyRecord(ColourTheme& theme, const ThemeRecord& record) {
  const auto unit = [](float v) { return v >= 0.0f && v <= 1.0f ? v : v > 1.0f ? 1.0f : 0.0f; };
  for (size_t c = 0; c < 4; ++c) theme.background[c] = unit(record[c]);
  for (size_t k = 0; k < kRgbSlots.size(); ++k) {
    Colour& slot = slotOf(theme, kRgbSlots[k]);
    for (size_t c = 0; c < 3; ++c) slot[c] = unit(record[4 + 3 * k + c]);
  }
}

namespace themes {

bool set(int32_t which, const ThemeRecord& record) {
  if (which != 0 && which != 1) return false;
  Tables& t = tables();
  std::lock_guard lock(t.mutex);
  applyRecord(which == 0 ? t.light : t.dark, record);
  ++t.revision;
  return true;
}

std::optional<ThemeRecord> record(int32_t which) {
  if (which != 0 && which != 1) return std::nullopt;
  Tables& t = tables();
  std::lock_guard lock(t.mutex);
  return recordOf(which == 0 ? t.light : t.dark);
}

ColourTheme current(bool dark) {
  Tables& t = tables();
  std::lock_guard lock(t.mutex);
  return dark ? t.dark : t.light;
}

uint64_t revision() {
  Tables& t = tables();
  std::lock_guard lock(t.mutex);
  return t.revision;
}

void setSectionColours(const std::optional<Colour>& plane, const std::optional<Colour>& stock,
                       const std::optional<Colour>& workpiece, const std::optional<Colour>& both) {
  if (!plane && !stock && !workpiece && !both) return;
  Tables& t = tables();
  std::lock_guard lock(t.mutex);
  for (ColourTheme* theme : {&t.light, &t.dark}) {
    if (plane) theme->sectionPlane = *plane;
    if (stock) theme->sectionStock = *stock;
    if (workpiece) theme->sectionWorkpiece = *workpiece;
    if (both) theme->sectionStockAndWorkpiece = *both;
  }
  ++t.revision;
}

}  // namespace themes

}  // namespace UI
