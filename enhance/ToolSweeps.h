#pragma once
// The tool sweeps an enhancement projects onto: one per move record that
// cut, with its tool's shape, its path (straight, or the true arc where
// the record is the chord of one), its box and the colour index of its
// cut. Mills of the analytic shapes (flat, ball, bull nose) and mills of a
// general profile turned about their axis sweep surfaces the projection
// knows; turning, grooving and threading inserts sweep their outline in
// the lathe's plane, which the turned profile takes up. The vertices other
// tools made (extruded and polygon-sided cutters, profiles on a tilted
// part axis) keep their lattice positions.
#include <cstdint>
#include <vector>

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>
#include <glm/vec4.hpp>

#include "stock/CutPath.h"
#include "stock/StockCutter.h"
#include "toolpath/GPUMoveRecord.h"
#include "tools/CutRecords.h"

namespace enhance {

// One sweep as the projection shaders read it (Shaders/include/ToolSweep.glsl).
struct ToolSweep {
  glm::vec4 start;      // tip; w: the tool's length
  glm::vec4 end;        // tip; w: 1 along a true arc
  glm::vec4 startAxis;  // w: the tool's radius
  glm::vec4 endAxis;    // w: its corner radius
  glm::vec4 arcCentre;  // w: the arc's signed angle
  glm::vec4 arcNormal;
  glm::vec4 boxMin;     // w: a general profile's first point in the list's profile points, plus 1; 0 none
  glm::vec4 boxMax;     // w: its point count
  // A general profile's form: x 0 turned about the axis, 1 extruded, n >= 3
  // turned with n flat sides; y, z: an extruded profile's extent along
  // axis x across.
  glm::vec4 form;
};
static_assert(sizeof(ToolSweep) == 144);

// How far the lattice is cut: the moves of wholeRanges ([first, end),
// ascending, apart) in full and, when partialMove is set, that move up to
// partialFraction of its records. Rapid moves count only when they removed
// material (rapidsThatCut, in move order).
struct CutExtent {
  std::vector<std::pair<uint32_t, uint32_t>> wholeRanges;
  int64_t partialMove = -1;
  double partialFraction = 0;
  std::vector<uint32_t> rapidsThatCut;
};

// What a stock's cutter holds; rapidsThatCut is left to the caller.
CutExtent cutExtentOf(const stock::StockCutter& cutter);

// One record of a turning insert's move in the lathe's plane, (axial,
// radial) = world (z, x) about the world z axis: the outline placed as the
// cut places it (turned to the tool axis, mirrored for the insert side)
// but not moved, and the reference point's way.
struct TurningSweep {
  std::vector<glm::dvec2> outline;
  glm::dvec2 from{0.0}, to{0.0};
};

// The sweep of an insert between two records, as the cut takes it (a rapid
// starts a little way along, so that one that grazes removes nothing).
TurningSweep turningSweepOf(const toolpath::GPUMoveRecord& from, const toolpath::GPUMoveRecord& to,
                            const tools::CutRecord& insert);

struct SweepList {
  std::vector<ToolSweep> sweeps;
  std::vector<TurningSweep> turning;
  // The general profiles' polygons, counter-clockwise, one after the other.
  std::vector<glm::vec2> profilePoints;
  // Per sweep, then per turning sweep: the owner code of its cut. A
  // projection's source counts the same way.
  std::vector<uint8_t> colours;
};

// The sweeps of what was cut, in cutting order (a later sweep's index is
// higher). Boxes are grown by grow.
SweepList toolSweepsOf(const stock::CutPath& path, const CutExtent& extent, float grow);

// A straight sweep of a mill between two tips, as toolSweepsOf makes
// them, added with its colour; false for a tool whose surface the
// projection does not know.
bool addMillSweep(SweepList& list, const glm::dvec3& from, const glm::dvec3& to, const glm::dvec3& axisFrom,
                  const glm::dvec3& axisTo, const tools::CutRecord& tool, uint8_t colour, float grow);

// The tool position along record k's sweep at t (0 ... 1), as the shaders
// take it; for checks.
glm::dvec3 sweepTipAt(const ToolSweep& sweep, double t);

}  // namespace enhance
