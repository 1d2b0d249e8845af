#include "tools/CutRecords.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <glm/common.hpp>
#include <glm/geometric.hpp>

#include "tools/ProfileOffset.h"

namespace tools {

namespace {

constexpr double kAxisSnap = 0.0002;

void put(ProfileBlock& block, size_t offset, const void* value, size_t size) {
  std::memcpy(block.data() + offset, value, size);
}

void putPoint(ProfileBlock& block, size_t offset, const glm::dvec2& p) {
  const float xy[2] = {static_cast<float>(p.x), static_cast<float>(p.y)};
  put(block, offset, xy, sizeof xy);
}

bool onToolAxis(const PartPlacement& placement) {
  const glm::dvec3& a = placement.axis;
  return std::abs(a.x) <= kAxisSnap && std::abs(a.y - 1) <= kAxisSnap && std::abs(a.z) <= kAxisSnap;
}

// Snaps a revolved profile onto the axis and drops redundant points.
Profile prepared(const ToolPartShape& part) {
  Profile profile = part.profile;
  if (part.profileKind == SIM_PROFILE_REVOLVED && onToolAxis(part.placement) && !profile.vertices.empty()) {
    for (ProfileVertex* v : {&profile.vertices.front(), &profile.vertices.back()})
      if (std::abs(v->point.x) <= kAxisSnap) v->point.x = 0;
  }
  removeRedundantPoints(profile);
  return profile;
}

void sizeFrom(CutRecord& record, const Profile& profile) {
  record.lowest = static_cast<float>(lowestHeight(profile));
  record.highest = static_cast<float>(highestHeight(profile));
  record.widest = static_cast<float>(largestRadius(profile));
}

double sizeOf(const Profile& profile) {
  return std::max(2 * largestRadius(profile), highestHeight(profile) - lowestHeight(profile));
}

// The extruded cutter's depth as the part's mesh has it.
void setExtrusion(CutRecord& record, const ToolPartShape& part) {
  double start = 0, depth = part.placement.depth;
  if (part.profileKind == SIM_PROFILE_EXTRUDED_SYMMETRIC) start = -depth / 2;
  record.extrusionStart = static_cast<float>(start);
  record.extrusionDepth = static_cast<float>(depth);
  const double across = std::max(std::abs(start), std::abs(start + depth));
  record.widest = static_cast<float>(std::hypot(record.widest, across));
}

// Twice the polygon's area, positive counter-clockwise.
double signedArea(const std::vector<glm::dvec2>& polygon) {
  double area = 0;
  for (size_t i = 0; i < polygon.size(); ++i) {
    const glm::dvec2 a = polygon[i], b = polygon[(i + 1) % polygon.size()];
    area += a.x * b.y - b.x * a.y;
  }
  return area;
}

// The region a turned profile bounds in its meridian half plane: the
// profile's polygon, closed along the axis unless it closes itself,
// counter-clockwise.
std::vector<glm::dvec2> regionPolygon(const Profile& profile) {
  std::vector<glm::dvec2> polygon = polyline(profile, kInsertPolygonTolerance);
  if (isClosed(profile)) {
    polygon.pop_back();
  } else {
    polygon.insert(polygon.begin(), glm::dvec2(0.0, polygon.front().y));
    polygon.push_back(glm::dvec2(0.0, polygon.back().y));
  }
  if (signedArea(polygon) < 0) std::reverse(polygon.begin(), polygon.end());
  return polygon;
}

// The polygon an extruded profile closes (last point back to the first),
// counter-clockwise.
std::vector<glm::dvec2> extrudedPolygon(const Profile& profile) {
  std::vector<glm::dvec2> polygon = polyline(profile, kInsertPolygonTolerance);
  if (polygon.size() > 1 && polygon.front() == polygon.back()) polygon.pop_back();
  if (signedArea(polygon) < 0) std::reverse(polygon.begin(), polygon.end());
  return polygon;
}

CutRecord cuttingRecord(const Tool& tool) {
  CutRecord record;
  const ToolPartShape* part = tool.part(SIM_PART_CUTTING);
  if (!part) return record;
  Profile profile = prepared(*part);
  if (profile.empty()) return record;
  const bool polygonSided = part->profileKind == SIM_PROFILE_REVOLVED && part->placement.sides >= 3;
  const bool revolvedOnAxis = part->profileKind == SIM_PROFILE_REVOLVED && onToolAxis(part->placement) && !polygonSided;
  const CutterKind kind = revolvedOnAxis ? tool.cutter.kind : CutterKind::Extruded;
  if (kind == CutterKind::Flat || kind == CutterKind::Ball || kind == CutterKind::BullNose) {
    makeHeightsNonDecreasing(profile);
    record.shape = static_cast<uint32_t>(kind);
    record.p1 = tool.cutter.p1;
    record.p2 = tool.cutter.p2;
    record.p3 = tool.cutter.p3;
    record.outerRadius = tool.cutter.outerRadius();
  } else if (kind == CutterKind::Extruded) {
    record.shape = kShapeExtruded;
  } else if (isClosed(profile)) {
    record.shape = kShapeClosed;
  } else {
    record.shape = isConvex(profile) ? kShapeConvex : kShapeCustom;
  }
  // A turned profile on a tilted part axis still turns: the toolpath
  // carries the tilt in the tool's axis, and the turned-profile cuts take it.
  const bool turnedOnTilt = part->profileKind == SIM_PROFILE_REVOLVED && !polygonSided && !revolvedOnAxis;
  if (turnedOnTilt)
    record.turnedShape = isClosed(profile) ? kShapeClosed : isConvex(profile) ? kShapeConvex : kShapeCustom;
  else if (kind == CutterKind::Extruded && !polygonSided)
    record.convexPolygon = isConvexPolygon(profile) && profile.segmentCount() <= kMaxProfileSegments;
  record.profile = profileBlock(profile);
  const bool turnedProfile =
      revolvedOnAxis && (record.shape == kShapeConvex || record.shape == kShapeCustom || record.shape == kShapeClosed);
  if (turnedProfile || turnedOnTilt || polygonSided)
    record.profilePolygon = regionPolygon(profile);
  else if (kind == CutterKind::Extruded)
    record.profilePolygon = extrudedPolygon(profile);
  sizeFrom(record, profile);
  if (polygonSided) {
    record.polygonSides = static_cast<uint32_t>(part->placement.sides);
    record.widest = static_cast<float>(record.widest / std::cos(M_PI / part->placement.sides));
  } else if (kind == CutterKind::Extruded && !turnedOnTilt) {
    setExtrusion(record, *part);
  }
  if (record.outerRadius == 0) record.outerRadius = record.widest;
  record.monotonic = isMonotonicInHeight(profile);
  // A holder part level with the cutter's top that reaches inside its
  // radius sits where the cut would climb past the cutter.
  const double cutterTop = part->placement.origin.y + record.highest;
  for (const ToolPartShape& other : tool.parts) {
    if (other.kind != SIM_PART_HOLDER || other.profile.empty()) continue;
    const double bottom = lowestHeight(other.profile);
    if (std::abs(other.placement.origin.y + bottom - cutterTop) > 0.001) continue;
    double reach = INFINITY;
    for (const ProfileVertex& v : other.profile.vertices)
      if (std::abs(v.point.y - bottom) <= 0.001) reach = std::min(reach, v.point.x);
    if (reach < record.widest) record.monotonic = false;
  }
  record.valid = true;
  return record;
}

// A turning insert: the cutting part's points as a closed outline of
// (axial, radial) points; an outline that bounds nothing cuts nothing.
CutRecord turningRecord(const Tool& tool) {
  CutRecord record;
  const ToolPartShape* part = tool.part(SIM_PART_CUTTING);
  if (!part) return record;
  const std::optional<Profile> outline = insertOutline(part->profile);
  if (!outline) return record;
  record.shape = tool.turning;
  record.profile = profileBlock(*outline);
  const std::vector<glm::dvec2> points = polyline(*outline, kInsertBoxTolerance);
  glm::dvec2 lo(INFINITY), hi(-INFINITY);
  for (const glm::dvec2& p : points) {
    lo = glm::min(lo, p);
    hi = glm::max(hi, p);
  }
  // The chords of arcs stay inside them by up to the tolerance.
  lo -= kInsertBoxTolerance;
  hi += kInsertBoxTolerance;
  record.insertOffset[0] = static_cast<float>(lo.x);
  record.insertOffset[1] = static_cast<float>(lo.y);
  record.insertSize[0] = static_cast<float>(hi.x - lo.x);
  record.insertSize[1] = static_cast<float>(hi.y - lo.y);
  record.moveParameter = tool.insertSide < 0 ? 1.0f : -1.0f;
  record.insertPolygon = polyline(*outline, kInsertPolygonTolerance);
  record.insertPolygon.pop_back();  // closed back to the first point
  // The insert's reach from its tip sizes what the view treats as the tool.
  record.widest = record.outerRadius = static_cast<float>(0.5 * std::min(hi.x - lo.x, hi.y - lo.y));
  record.lowest = static_cast<float>(lo.y);
  record.highest = static_cast<float>(hi.y);
  record.valid = true;
  return record;
}

CutRecord collisionRecord(const ToolPartShape* part, Purpose purpose) {
  CutRecord record;
  if (!part) return record;
  const Profile profile = prepared(*part);
  if (profile.empty()) return record;
  const bool revolved = part->profileKind == SIM_PROFILE_REVOLVED;
  const bool convex = isConvex(profile);
  if (revolved && onToolAxis(part->placement)) {
    const bool anyArc = std::any_of(profile.vertices.begin() + 1, profile.vertices.end(),
                                    [](const ProfileVertex& v) { return v.segment == SIM_SEGMENT_ARC_CCW; });
    record.shape = anyArc ? kShapeRevolvedWithArcs : convex ? kShapeRevolvedConvex : kShapeRevolvedConcave;
  } else {
    record.shape = convex ? kShapeExtrudedConvex : kShapeExtrudedConcave;
  }
  const double size = sizeOf(profile);
  const double share = purpose == Purpose::Collision3 ? -kClearance : kClearance;
  const Profile offset = offsetProfile(profile, share * size, kOffsetTolerance, revolved);
  record.profile = profileBlock(offset);
  if (purpose == Purpose::Collision3)
    record.secondProfile = profileBlock(offsetProfile(profile, kSecondClearance * size, kOffsetTolerance, revolved));
  sizeFrom(record, offset);
  record.outerRadius = record.widest;
  record.valid = true;
  return record;
}

CutRecord extraRecord(const ToolPartShape* part) {
  CutRecord record;
  if (!part || part->profile.vertices.size() < 2) return record;
  const Profile profile = prepared(*part);
  if (profile.empty()) return record;
  record.shape = isConvex(profile) ? kShapeRevolvedConvex : kShapeRevolvedConcave;
  record.profile = profileBlock(profile);
  sizeFrom(record, profile);
  record.outerRadius = record.widest;
  record.valid = true;
  return record;
}

}  // namespace

ProfileBlock profileBlock(const Profile& profile) {
  ProfileBlock block{};
  if (profile.vertices.empty()) return block;
  const uint32_t segments = static_cast<uint32_t>(std::min(profile.segmentCount(), kMaxProfileSegments));
  put(block, 0, &segments, 4);
  putPoint(block, 8, profile.vertices.front().point);
  for (uint32_t s = 0; s < segments; ++s) {
    const ProfileVertex& v = profile.vertices[s + 1];
    putPoint(block, 16 + 16 * s, v.point);
    putPoint(block, 24 + 16 * s, v.segment == SIM_SEGMENT_STRAIGHT ? glm::dvec2(0.0, kStraightCentreHeight) : v.centre);
  }
  return block;
}

std::optional<Profile> insertOutline(const Profile& points) {
  Profile outline = points;
  removeRedundantPoints(outline);
  if (outline.vertices.size() < 3) return std::nullopt;
  if (!isClosed(outline)) {
    ProfileVertex back;
    back.point = outline.vertices.front().point;
    outline.vertices.push_back(back);
  } else {
    outline.vertices.back().point = outline.vertices.front().point;
  }
  if (outline.segmentCount() > kMaxProfileSegments) return std::nullopt;
  for (size_t v = 1; v < outline.vertices.size(); ++v) {
    if (!outline.isArc(v)) continue;
    const ProfileVertex& end = outline.vertices[v];
    const glm::dvec2 start = outline.vertices[v - 1].point;
    if (glm::length(end.point - end.centre) <= kSmallestInsertLength ||
        glm::length(start - end.centre) <= kSmallestInsertLength)
      return std::nullopt;
  }
  // Signed area of the outline's chords: nothing cut by a flat outline.
  const std::vector<glm::dvec2> points2 = polyline(outline, kInsertBoxTolerance);
  double area = 0;
  for (size_t i = 0; i + 1 < points2.size(); ++i)
    area += points2[i].x * points2[i + 1].y - points2[i + 1].x * points2[i].y;
  if (std::abs(area) / 2 <= kSmallestInsertLength * kSmallestInsertLength) return std::nullopt;
  return outline;
}

ToolCutRecords buildCutRecords(const Tool& tool) {
  ToolCutRecords records;
  records[0] = tool.turning != SIM_TURNING_NONE ? turningRecord(tool) : cuttingRecord(tool);
  records[1] = collisionRecord(tool.part(SIM_PART_SHOULDER), Purpose::Collision1);
  const ToolPartShape* shaft = tool.part(SIM_PART_SHAFT);
  records[2] = collisionRecord(shaft ? shaft : tool.part(SIM_PART_SHAFT_ALTERNATE), Purpose::Collision2);
  records[3] = collisionRecord(tool.part(SIM_PART_HOLDER), Purpose::Collision3);
  records[4] = extraRecord(tool.part(kExtraProfilePart));
  return records;
}

}  // namespace tools
