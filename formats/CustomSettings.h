#pragma once
// "custom settings.json": drawing constants an administrator may tune. Every
// member is optional and a member of the wrong type keeps its default; text
// that is not JSON keeps them all.
//
//   {"UI": {"ToolpathLineWidth": 1, "ToolpathLineWidthLarge": 2,
//           "ToolpathPointSize": 4, "ToolpathPointSizeLarge": 7,
//           "OffscreenGdiScalingRenderScale": 0, "GridLabelPixels": 64,
//           "GridFadeMinPixels": 6, "GridFadeMaxPixels": 18,
//           "GridGhostAlpha": 0.12},
//    "Colors": {"CrossSection": {"Plane": [r, g, b, a], "Stock": [...],
//                                "Workpiece": [...], "StockAndWorkpiece": [...]}}}
//
// Numbers are read as floats (integers too); a colour is exactly four
// numbers.
#include <array>
#include <optional>
#include <string_view>

namespace formats {

using Rgba = std::array<float, 4>;

struct CustomSettings {
  float toolpathLineWidth = 1.0f;
  float toolpathLineWidthLarge = 2.0f;
  float toolpathPointSize = 4.0f;
  float toolpathPointSizeLarge = 7.0f;
  float offscreenRenderScale = 0.0f;  // 0 or less: automatic; at most 4 is used
  float gridLabelPixels = 64.0f;
  float gridFadeMinPixels = 6.0f;
  float gridFadeMaxPixels = 18.0f;
  float gridGhostAlpha = 0.12f;
  // Cross-section colours; none keeps the theme's.
  std::optional<Rgba> sectionPlane, sectionStock, sectionWorkpiece, sectionStockAndWorkpiece;
  bool operator==(const CustomSettings&) const = default;
};

CustomSettings readCustomSettings(std::string_view text);

}  // namespace formats
