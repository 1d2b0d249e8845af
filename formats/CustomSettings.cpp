#include "formats/CustomSettings.h"

#include <cmath>
#include <exception>
#include <limits>
#include <memory>
#include <string>

#include <json/reader.h>

namespace formats {
namespace {

// A number that a float holds; a larger one is no value of ours.
std::optional<float> floatOf(const Json::Value& v) {
  if (!v.isNumeric()) return std::nullopt;
  const double value = v.asDouble();
  if (!std::isfinite(value) || std::fabs(value) > std::numeric_limits<float>::max()) return std::nullopt;
  return static_cast<float>(value);
}

void readNumber(const Json::Value& object, const char* name, float& into) {
  if (const std::optional<float> value = floatOf(object[name])) into = *value;
}

void readColour(const Json::Value& object, const char* name, std::optional<Rgba>& into) {
  const Json::Value& v = object[name];
  if (!v.isArray() || v.size() != 4) return;
  Rgba colour{};
  for (Json::ArrayIndex i = 0; i < 4; ++i) {
    const std::optional<float> component = floatOf(v[i]);
    if (!component) return;
    colour[i] = *component;
  }
  into = colour;
}

}  // namespace

CustomSettings readCustomSettings(std::string_view text) {
  CustomSettings s;
  Json::CharReaderBuilder builder;
  builder["collectComments"] = false;
  const std::unique_ptr<Json::CharReader> parser(builder.newCharReader());
  Json::Value document;
  std::string errors;
  try {
    // The reader throws on nesting deeper than its stack limit.
    if (!parser->parse(text.data(), text.data() + text.size(), &document, &errors)) return s;
  } catch (const std::exception&) {
    return s;
  }
  if (!document.isObject()) return s;
  if (const Json::Value& ui = document["UI"]; ui.isObject()) {
    readNumber(ui, "ToolpathLineWidth", s.toolpathLineWidth);
    readNumber(ui, "ToolpathLineWidthLarge", s.toolpathLineWidthLarge);
    readNumber(ui, "ToolpathPointSize", s.toolpathPointSize);
    readNumber(ui, "ToolpathPointSizeLarge", s.toolpathPointSizeLarge);
    readNumber(ui, "OffscreenGdiScalingRenderScale", s.offscreenRenderScale);
    readNumber(ui, "GridLabelPixels", s.gridLabelPixels);
    readNumber(ui, "GridFadeMinPixels", s.gridFadeMinPixels);
    readNumber(ui, "GridFadeMaxPixels", s.gridFadeMaxPixels);
    readNumber(ui, "GridGhostAlpha", s.gridGhostAlpha);
  }
  if (const Json::Value& colours = document["Colors"]; colours.isObject())
    if (const Json::Value& section = colours["CrossSection"]; section.isObject()) {
      readColour(section, "Plane", s.sectionPlane);
      readColour(section, "Stock", s.sectionStock);
      readColour(section, "Workpiece", s.sectionWorkpiece);
      readColour(section, "StockAndWorkpiece", s.sectionStockAndWorkpiece);
    }
  return s;
}

}  // namespace formats
