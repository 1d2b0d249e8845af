#include "enhance/ToolSweeps.h"

#include <algorithm>
#include <cmath>

#include <glm/geometric.hpp>

#include "common/ShaderContract.h"
#include "stock/TurningCut.h"

namespace enhance {
namespace {

// A chord whose ends lie on the arc's circle within this share of its
// radius runs on the arc itself.
constexpr double kOnCircle = 1e-5;

struct MillDimensions {
  float radius = 0, corner = 0, length = 0;
  float lowest = 0;                  // a general profile may reach below the tip
  const tools::CutRecord* profile = nullptr;  // a general profile's tool
  glm::vec4 form{0.0f};              // as ToolSweep::form
};

// How a general profile's polygon makes the tool (ToolSweep::form).
glm::vec4 formOf(const tools::CutRecord& record) {
  if (record.shape != tools::kShapeExtruded || record.turnedShape != 0) return glm::vec4(0.0f);
  if (record.polygonSides >= 3) return glm::vec4(static_cast<float>(record.polygonSides), 0.0f, 0.0f, 0.0f);
  const float near = std::min(record.extrusionStart, record.extrusionStart + record.extrusionDepth);
  const float far = std::max(record.extrusionStart, record.extrusionStart + record.extrusionDepth);
  return glm::vec4(1.0f, near, far, 0.0f);
}

std::optional<MillDimensions> millOf(const tools::CutRecord& record) {
  if (!record.valid) return std::nullopt;
  switch (record.shape) {
    case tools::kShapeFlat: return MillDimensions{record.p1, 0.0f, record.p2};
    case tools::kShapeBall: return MillDimensions{record.p1, record.p1, record.p2};
    case tools::kShapeBullNose: return MillDimensions{record.p1 + record.p3, record.p3, record.p2};
    default:
      if (record.profilePolygon.size() < 3 || stock::isTurningShape(record.shape)) return std::nullopt;
      return MillDimensions{record.widest, 0.0f, record.highest, std::min(record.lowest, 0.0f), &record, formOf(record)};
  }
}

// The tool's polygon in the list, once per tool: where it starts.
uint32_t profileOffset(SweepList& list, const tools::CutRecord& record,
                       std::vector<std::pair<const tools::CutRecord*, uint32_t>>& known) {
  for (const auto& [tool, offset] : known)
    if (tool == &record) return offset;
  const uint32_t offset = static_cast<uint32_t>(list.profilePoints.size());
  for (const glm::dvec2& p : record.profilePolygon) list.profilePoints.emplace_back(p);
  known.emplace_back(&record, offset);
  return offset;
}

glm::dvec3 tipOf(const toolpath::GPUMoveRecord& r) { return {r.x, r.y, r.z}; }

// A unit vector, or fallback where v has no direction (opposite axes
// mixed half way, a degenerate record).
glm::dvec3 unitOr(const glm::dvec3& v, const glm::dvec3& fallback) {
  const double len = glm::length(v);
  return len > 1e-12 && std::isfinite(len) ? v / len : fallback;
}
glm::dvec3 axisOf(const toolpath::GPUMoveRecord& r) {
  const glm::dvec3 a(r.i, r.j, r.k);
  const double len = glm::length(a);
  return len > 0 ? a / len : glm::dvec3(0, 0, 1);
}

// Sets the sweep to run along the arc when both its ends lie on the circle.
void followArc(ToolSweep& sweep, const toolpath::ArcGeometry& arc) {
  if (!arc.valid || !(arc.radius > 0) || !(glm::length(arc.normal) > 0)) return;
  const glm::dvec3 n = glm::normalize(arc.normal);
  const glm::dvec3 s(sweep.start), e(sweep.end);
  const auto inPlane = [&](const glm::dvec3& p) {
    const glm::dvec3 d = p - arc.centre;
    return d - n * glm::dot(d, n);
  };
  const glm::dvec3 u = inPlane(s), v = inPlane(e);
  if (std::abs(glm::length(u) - arc.radius) > kOnCircle * arc.radius ||
      std::abs(glm::length(v) - arc.radius) > kOnCircle * arc.radius)
    return;
  const double angle = std::atan2(glm::dot(glm::cross(u, v), n), glm::dot(u, v));
  const glm::dvec3 centre = s - u;  // the centre at the start's height
  sweep.end.w = 1.0f;
  sweep.arcCentre = glm::vec4(glm::vec3(centre), static_cast<float>(angle));
  sweep.arcNormal = glm::vec4(glm::vec3(n), 0.0f);
}

void setBox(ToolSweep& sweep, const MillDimensions& mill, float grow) {
  // The tool's box at a few positions along the way, grown by its radius.
  glm::dvec3 lo(1e300), hi(-1e300);
  for (int i = 0; i <= 8; ++i) {
    const double t = i / 8.0;
    const glm::dvec3 tip = sweepTipAt(sweep, t);
    const glm::dvec3 axis =
        unitOr(glm::mix(glm::dvec3(sweep.startAxis), glm::dvec3(sweep.endAxis), t), glm::dvec3(sweep.startAxis));
    for (const glm::dvec3& p : {tip + axis * double(mill.lowest), tip + axis * double(mill.length)}) {
      lo = glm::min(lo, p);
      hi = glm::max(hi, p);
    }
  }
  // An arc's eighths stray from it by at most its sagitta.
  const double radius = glm::length(glm::dvec3(sweep.start) - glm::dvec3(sweep.arcCentre));
  const double sagitta = sweep.end.w != 0 ? radius * (1 - std::cos(std::abs(sweep.arcCentre.w) / 16)) : 0.0;
  const double reach = mill.radius + grow + sagitta;
  sweep.boxMin = glm::vec4(glm::vec3(lo - reach), sweep.boxMin.w);
  sweep.boxMax = glm::vec4(glm::vec3(hi + reach), sweep.boxMax.w);
}

// The sweep between two tips with their axes, for a known mill.
ToolSweep straightSweep(const glm::dvec3& from, const glm::dvec3& to, const glm::dvec3& axisFrom,
                        const glm::dvec3& axisTo, const MillDimensions& mill) {
  ToolSweep sweep{};
  sweep.start = glm::vec4(glm::vec3(from), mill.length);
  sweep.end = glm::vec4(glm::vec3(to), 0.0f);
  sweep.startAxis = glm::vec4(glm::vec3(axisFrom), mill.radius);
  sweep.endAxis = glm::vec4(glm::vec3(axisTo), mill.corner);
  return sweep;
}

void referToProfile(ToolSweep& sweep, const MillDimensions& mill, uint32_t offset) {
  if (!mill.profile) return;
  sweep.boxMin.w = static_cast<float>(offset + 1);
  sweep.boxMax.w = static_cast<float>(mill.profile->profilePolygon.size());
  sweep.form = mill.form;
}

// The outline transform of the cut: turned from the radial direction
// (0, 1) to the tool axis in the plane, then mirrored across the axial
// direction by flip.
glm::dmat2 outlineTransform(const glm::dvec3& axis, double flip) {
  const glm::dvec2 toward(flip * axis.z, axis.x);
  const double theta = glm::length(toward) < 1e-7 ? 0.0 : std::atan2(-toward.x, toward.y);
  const double c = std::cos(theta), s = std::sin(theta);
  return glm::dmat2(flip, 0.0, 0.0, 1.0) * glm::dmat2(c, -s, s, c);
}

}  // namespace

TurningSweep turningSweepOf(const toolpath::GPUMoveRecord& from, const toolpath::GPUMoveRecord& to,
                            const tools::CutRecord& insert) {
  TurningSweep sweep;
  // A continuation record starts with the axis of its own move's end.
  const glm::dvec3 axisTo(to.i, to.j, to.k);
  const glm::dvec3 axisFrom =
      (from.type & GPU_MOVE_SHADER_BITS) == GPU_MOVE_ARC_START ? axisTo : glm::dvec3(from.i, from.j, from.k);
  const glm::dvec3 axis = unitOr(axisFrom + axisTo, glm::dvec3(0, 0, 1));
  const glm::dmat2 place = outlineTransform(axis, to.parameter > 0 ? -1.0 : 1.0);
  sweep.outline.reserve(insert.insertPolygon.size());
  for (const glm::dvec2& p : insert.insertPolygon) sweep.outline.push_back(place * p);
  sweep.from = glm::dvec2(from.z, from.x);
  sweep.to = glm::dvec2(to.z, to.x);
  const double length3 = glm::length(glm::dvec3(to.x, to.y, to.z) - glm::dvec3(from.x, from.y, from.z));
  if ((to.type & GPU_MOVE_KIND_MASK) == GPU_MOVE_RAPID && length3 > 0) {
    const double shift =
        std::min(0.01 * std::min(insert.insertSize[0], insert.insertSize[1]), length3);
    sweep.from += (sweep.to - sweep.from) * (shift / length3);
  }
  return sweep;
}

bool addMillSweep(SweepList& list, const glm::dvec3& from, const glm::dvec3& to, const glm::dvec3& axisFrom,
                  const glm::dvec3& axisTo, const tools::CutRecord& tool, uint8_t colour, float grow) {
  const std::optional<MillDimensions> mill = millOf(tool);
  if (!mill) return false;
  ToolSweep sweep = straightSweep(from, to, unitOr(axisFrom, {0, 0, 1}), unitOr(axisTo, {0, 0, 1}), *mill);
  std::vector<std::pair<const tools::CutRecord*, uint32_t>> known;
  if (mill->profile) referToProfile(sweep, *mill, profileOffset(list, tool, known));
  setBox(sweep, *mill, grow);
  list.sweeps.push_back(sweep);
  list.colours.push_back(colour);
  return true;
}

glm::dvec3 sweepTipAt(const ToolSweep& sweep, double t) {
  const glm::dvec3 s(sweep.start), e(sweep.end);
  if (sweep.end.w == 0) return glm::mix(s, e, t);
  const glm::dvec3 n(sweep.arcNormal), c(sweep.arcCentre);
  glm::dvec3 u = s - c;
  u -= n * glm::dot(u, n);
  const double angle = sweep.arcCentre.w * t;
  return c + u * std::cos(angle) + glm::cross(n, u) * std::sin(angle) + n * (glm::dot(e - s, n) * t);
}

CutExtent cutExtentOf(const stock::StockCutter& cutter) {
  CutExtent extent;
  extent.wholeRanges = cutter.wholeMoveRanges();
  if (cutter.lastFraction() > 0) {
    extent.partialMove = cutter.lastMove();
    extent.partialFraction = cutter.lastFraction();
  }
  return extent;
}

SweepList toolSweepsOf(const stock::CutPath& path, const CutExtent& extent, float grow) {
  SweepList list;
  std::vector<uint8_t> turningColours;
  std::vector<std::pair<const tools::CutRecord*, uint32_t>> profiles;
  const auto& records = path.moves().records();
  const stock::ToolAssignment& tools = path.tools();
  const size_t moveCount = path.moves().moveCount();
  const auto addMove = [&](uint32_t move, double fraction) {
    if (move == 0 || move >= moveCount) return;  // move 0 only places the tool
    const int32_t tool = move < tools.toolOfMove.size() ? tools.toolOfMove[move] : -1;
    if (tool < 0 || static_cast<size_t>(tool) >= tools.cutRecords.size()) return;
    const tools::CutRecord& record = tools.cutRecords[static_cast<size_t>(tool)];
    const std::optional<MillDimensions> mill = millOf(record);
    const bool turning = record.valid && stock::isTurningShape(record.shape) && !record.insertPolygon.empty();
    if (!mill && !turning) return;
    const uint32_t first = path.moves().endRecordOf(move - 1) + 1, last = path.moves().endRecordOf(move);
    if ((records[last].type & GPU_MOVE_KIND_MASK) == GPU_MOVE_RAPID &&
        !std::binary_search(extent.rapidsThatCut.begin(), extent.rapidsThatCut.end(), move))
      return;
    // The played part of a move covers an equal share of its records each,
    // as the cut takes it.
    const uint32_t recordCount = last - first + 1;
    const double position = fraction >= 1.0 ? recordCount : fraction * recordCount;
    const uint8_t colour = static_cast<uint8_t>(tools.ownerOf(move, tool));
    if (turning) {
      for (uint32_t k = first; k <= last && k - first < position; ++k) {
        TurningSweep sweep = turningSweepOf(records[k - 1], records[k], record);
        const double t = std::min(1.0, position - (k - first));
        sweep.to = glm::mix(sweep.from, sweep.to, t);
        list.turning.push_back(std::move(sweep));
        turningColours.push_back(colour);
      }
      return;
    }
    const toolpath::ArcGeometry arc = path.toolpath().arcOf(move);
    for (uint32_t k = first; k <= last && k - first < position; ++k) {
      const double t = std::min(1.0, position - (k - first));
      ToolSweep sweep =
          straightSweep(tipOf(records[k - 1]), tipOf(records[k]), axisOf(records[k - 1]), axisOf(records[k]), *mill);
      if (mill->profile) referToProfile(sweep, *mill, profileOffset(list, *mill->profile, profiles));
      if ((records[k].type & GPU_MOVE_KIND_MASK) == GPU_MOVE_MARKED) followArc(sweep, arc);
      if (t < 1.0) {
        // The part played: the end moves back along the way.
        const glm::dvec3 partEnd = sweepTipAt(sweep, t);
        sweep.end = glm::vec4(glm::vec3(partEnd), sweep.end.w);
        sweep.arcCentre.w *= static_cast<float>(t);
        sweep.endAxis = glm::vec4(
            glm::vec3(unitOr(glm::mix(axisOf(records[k - 1]), axisOf(records[k]), t), axisOf(records[k - 1]))),
            mill->corner);
      }
      setBox(sweep, *mill, grow);
      list.sweeps.push_back(sweep);
      list.colours.push_back(colour);
    }
  };
  // In move order, the move under way where it falls among the ranges.
  const auto whole = [&](int64_t move) {
    return std::any_of(extent.wholeRanges.begin(), extent.wholeRanges.end(),
                       [&](const auto& r) { return move >= r.first && move < r.second; });
  };
  const bool partial = extent.partialMove >= 0 && !whole(extent.partialMove);
  bool partialDone = !partial;
  for (const auto& [first, end] : extent.wholeRanges) {
    if (!partialDone && extent.partialMove < first) {
      addMove(static_cast<uint32_t>(extent.partialMove), std::clamp(extent.partialFraction, 0.0, 1.0));
      partialDone = true;
    }
    for (uint32_t move = first; move < end && move < moveCount; ++move) addMove(move, 1.0);
  }
  if (!partialDone) addMove(static_cast<uint32_t>(extent.partialMove), std::clamp(extent.partialFraction, 0.0, 1.0));
  list.colours.insert(list.colours.end(), turningColours.begin(), turningColours.end());
  return list;
}

}  // namespace enhance
