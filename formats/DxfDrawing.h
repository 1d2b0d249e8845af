#pragma once
// A DXF drawing (ASCII) read into straight two-dimensional segments: lines,
// arcs, circles, light-weight and old-style polylines (bulges make arcs),
// and every block an INSERT places, in the insert's position, scale, turn
// and array (blocks within blocks to 16 deep). Arcs become chords within
// kArcTolerance of the arc (drawing units), at least one per 45 degrees.
// Entities drawn in the plane seen from below are mirrored into it; other
// extrusions, and Z, are dropped. Other entities (text, splines, hatches,
// solids) are left out. A drawing cut short gives what it holds; one that
// would draw more than 2^26 segments or entities is refused.
#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace formats {

using DxfSegment = std::array<float, 4>;  // x0, y0, x1, y1

inline constexpr double kArcTolerance = 0.01;

// None when the file cannot be read or is not a DXF drawing.
std::optional<std::vector<DxfSegment>> readDxfSegments(const std::string& path);
// The same for a drawing's text.
std::optional<std::vector<DxfSegment>> dxfSegments(std::string_view text);


// The chords of an arc about (cx, cy) of radius r from angle a0 sweeping
// sweep radians (negative: clockwise), as points from start to end.
std::vector<std::array<double, 2>> arcPoints(double cx, double cy, double r, double a0, double sweep);

}  // namespace formats
