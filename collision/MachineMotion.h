#pragma once
// The machine's axis values along a toolpath and its travel-limit
// violations.
//
// At each move's ends, and inside a move that turns the tool through n
// steps of 2 degrees (n > 1) at the fractions i / n, the machine is solved
// for the tool tip and the rotary values there (interpolated along the
// move). A value past its axis's limits by more than 0.01 (millimetres or
// degrees) is a violation. The tool turn of a move is the largest change of
// its rotary values, or in direction mode the angle between its tool
// directions.
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <glm/vec3.hpp>

#include "machine/Machine.h"
#include "toolpath/Toolpath.h"

namespace collision {

constexpr double kLimitTolerance = 0.01;
constexpr size_t kViolationListCap = 1000;  // listing stops once more are listed

// Per move: where along it an axis left its limits and the worst of it.
struct MoveViolation {
  int64_t move = -1;
  int32_t letter = 17;                 // the axis's letter code (AxisLetters.h)
  double firstFraction = 0.0, lastFraction = 0.0;
  double largestExcess = 0.0;          // over the limit itself
  double worstFraction = 0.0;
  double worstValue = 0.0;             // millimetres or degrees
};

// The gauge length of the tool in use at a move.
using ToolLengthAt = std::function<double(int64_t move)>;

// The rotary values (or tool direction) at a fraction of a move.
glm::dvec3 rotaryAt(const toolpath::Toolpath& path, int64_t move, double fraction, bool directionMode);

// The machine's axis values with the tool at a fraction of a move; none
// when the machine cannot reach it. `state` gives the values the solve does
// not drive.
std::optional<std::vector<double>> axisValuesAt(const machine::Machine& m, const toolpath::Toolpath& path,
                                                int64_t move, double fraction, double toolLength,
                                                const glm::dvec3& programZero, std::span<const double> state);

// The travel-limit violations of the whole toolpath, one per move and axis
// in move order; the list stops once it holds more than 1000. Returns early
// (with what it has) when `stop` is set.
std::vector<MoveViolation> travelViolations(const machine::Machine& m, const toolpath::Toolpath& path,
                                            const ToolLengthAt& toolLength, const glm::dvec3& programZero,
                                            const std::atomic<bool>& stop);

// The report's letter of an axis code: A, B, C for 0-2 and 11-13, X, Y, Z
// for 3-5, T, S, U, V, W for 6-10, J for 14 and 15, a blank for 16; empty
// (the axis is skipped) for any other code.
std::string letterOfCode(int32_t code);

}  // namespace collision
