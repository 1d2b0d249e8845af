#pragma once
// What the cut and collision shaders get per tool and purpose: the shape
// code with its dimensions, or a profile in the 2064-byte std140 block the
// profile shaders read at binding 8.
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "common/ShaderContract.h"
#include "tools/Profile.h"
#include "tools/Tool.h"

namespace tools {

inline constexpr size_t kProfileBlockBytes = 2064;
inline constexpr size_t kMaxProfileSegments = GPU_PROFILE_MAX_SEGMENTS;
// A straight segment's centre height: below every shader's arc threshold.
inline constexpr float kStraightCentreHeight = -1.0e9f;

// offset 0: u32 segment count n; 8: start point (radius, height);
// 16 + 16 s: end point of segment s; 24 + 16 s: its arc centre.
using ProfileBlock = std::array<uint8_t, kProfileBlockBytes>;

// At most 128 segments after the first point; further points are dropped.
ProfileBlock profileBlock(const Profile& profile);

enum class Purpose : uint32_t {
  Cutting = 0,
  Collision1 = 1,  // from the shoulder part
  Collision2 = 2,  // from the shaft (or the alternate shaft)
  Collision3 = 3,  // from the holder part
  Extra = 4,       // from the extra profile
};
inline constexpr size_t kPurposeCount = 5;

// Shape codes of the records.
enum : uint32_t {
  kShapeFlat = 0, kShapeBall = 1, kShapeBullNose = 2, kShapeCustom = 3, kShapeClosed = 4, kShapeConvex = 5,
  kShapeRevolvedConvex = 6, kShapeRevolvedConcave = 7, kShapeRevolvedWithArcs = 8,
  kShapeExtrudedConcave = 9, kShapeExtruded = 10, kShapeExtrudedConvex = 11,
};
// Cutting records of turning tools take the revolved collision kinds' codes:
// the insert outline is in the profile block as (axial, radial) points.
enum : uint32_t { kShapeTurning = 6, kShapeGrooving = 7, kShapeThreading = 8 };

struct CutRecord {
  bool valid = false;
  uint32_t shape = 0;
  float p1 = 0, p2 = 0, p3 = 0;
  float outerRadius = 0;
  // Lowest and highest profile heights and the widest radius: they size
  // the sweep box of the profile shapes.
  float lowest = 0, highest = 0, widest = 0;
  bool monotonic = false;  // cutting: the profile never falls in height
  // Extruded cutters: the extrusion across the profile plane, from start
  // over depth, along axis x tool x. The widest radius then counts it in.
  float extrusionStart = 0, extrusionDepth = 0;
  // The extruded polygon is convex with straight sides: one interval per ray.
  bool convexPolygon = false;
  // A turned profile with this many flat sides (0: round); the widest
  // radius then reaches the corners.
  uint32_t polygonSides = 0;
  // Extruded-family records of a turned profile on a tilted part axis: the
  // turned-profile shape that cuts it (custom, closed or convex; 0: none).
  uint32_t turnedShape = 0;
  // Turning inserts: the outline's bounding rectangle (corner and size,
  // (axial, radial) from the reference point) and the value their moves'
  // records carry as parameter (the insert side: -1 as given, +1 mirrored).
  float insertOffset[2] = {0, 0}, insertSize[2] = {0, 0};
  float moveParameter = 0;
  // Turning inserts: the outline as a polygon, arcs in chords within
  // kInsertPolygonTolerance, (axial, radial) from the reference point; the
  // exact turned profile is made from it.
  std::vector<glm::dvec2> insertPolygon;
  // Mills of a general profile (convex, custom and closed shapes, and the
  // extruded family): the region they sweep, as a counter-clockwise polygon
  // within kInsertPolygonTolerance of the profile. A turned profile's, and
  // a flat-sided one's, is of (radius, height) points closed along the axis
  // where the profile is open; an extruded one's of (across, height) points
  // closed from the last point back to the first. The exact stock mesh
  // projects onto it.
  std::vector<glm::dvec2> profilePolygon;
  ProfileBlock profile{};
  std::optional<ProfileBlock> secondProfile;  // the holder purpose's wider clearance
};

using ToolCutRecords = std::array<CutRecord, kPurposeCount>;

// Collision profiles keep this share of the profile's size as clearance.
inline constexpr double kClearance = 0.002;
inline constexpr double kSecondClearance = 0.012;
inline constexpr double kOffsetTolerance = 0.01;

// Insert outlines: chords of arcs within this of them for the bounding
// rectangle; lengths (arc radii, the side of the smallest area) at or below
// the smallest one bound nothing.
inline constexpr double kInsertBoxTolerance = 0.001;
inline constexpr double kSmallestInsertLength = 1e-6;
// Insert outlines and mill profiles as polygons: chords of arcs within this.
inline constexpr double kInsertPolygonTolerance = 0.0002;

// A turning insert's outline from the cutting part's points: at least 3
// points, closed back to the first, up to 128 segments, arcs of a radius
// above the smallest length, an area; none otherwise.
std::optional<Profile> insertOutline(const Profile& points);

ToolCutRecords buildCutRecords(const Tool& tool);

}  // namespace tools
