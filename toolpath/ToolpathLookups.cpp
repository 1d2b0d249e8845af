// Per-move values and the lookups by fraction, line, entity and operation.
#include <algorithm>
#include <cmath>

#include "toolpath/SinglePrecision.h"
#include "toolpath/Toolpath.h"

namespace toolpath {

namespace {

template <typename Array, typename T = typename Array::value_type>
T valueAt(const Array& values, int64_t index) {
  if (values.empty() || index < 0) return T{};
  return values[std::min<size_t>(static_cast<size_t>(index), values.size() - 1)];
}

// For values that have no meaning past the end (feed, spindle speed).
template <typename Array, typename T = typename Array::value_type>
T valueWithin(const Array& values, int64_t index) {
  if (index < 0 || static_cast<size_t>(index) >= values.size()) return T{};
  return values[static_cast<size_t>(index)];
}

}  // namespace

size_t Toolpath::clampIndex(int64_t index) const {
  if (index < 0 || moves_->empty()) return 0;
  return std::min<size_t>(static_cast<size_t>(index), moveCount() - 1);
}

ToolpathMove Toolpath::move(int64_t index) const {
  return valueAt(*moves_, index);
}

glm::dvec3 Toolpath::startOf(int64_t index) const {
  const size_t i = clampIndex(index);
  if (i == 0) return glm::dvec3(0.0);
  return throughSinglePrecision(at(i - 1).end);
}

ArcGeometry Toolpath::arcOf(int64_t index) const {
  const size_t i = clampIndex(index);
  if (i == 0) return {};
  const ToolpathMove& m = at(i);
  if (!isArc(m.type)) return {};
  return analyseArc(startOf(static_cast<int64_t>(i)), {m.end[0], m.end[1], m.end[2]}, {m.centre[0], m.centre[1], m.centre[2]},
                    {m.normal[0], m.normal[1], m.normal[2]}, m.type == ArcCCW);
}

glm::dvec3 Toolpath::pointAt(int64_t index, double fraction) const {
  if (moves_->empty()) return glm::dvec3(0.0);
  const size_t i = clampIndex(index);
  const ToolpathMove& m = at(i);
  const glm::dvec3 end(m.end[0], m.end[1], m.end[2]);
  if (i == 0) return end;
  fraction = std::clamp(fraction, 0.0, 1.0);
  const ArcGeometry arc = arcOf(static_cast<int64_t>(i));
  if (arc.valid) return arc.pointAt(fraction);
  const glm::dvec3 start = startOf(static_cast<int64_t>(i));
  return start + fraction * (end - start);
}

uint32_t Toolpath::lineOf(int64_t index) const {
  return valueAt(host_->lines, index);
}

uint32_t Toolpath::entityOf(int64_t index) const {
  return valueAt(host_->entities, index);
}

double Toolpath::feedOf(int64_t index) const {
  return valueWithin(host_->feeds, index);
}

double Toolpath::spindleOf(int64_t index) const {
  return valueWithin(host_->spindles, index);
}

uint16_t Toolpath::flagsOf(int64_t index) const {
  return valueAt(host_->flags, index);
}

glm::dvec3 Toolpath::extraAxesOf(int64_t index) const {
  if (host_->extraAxes.empty() || index < 0) return glm::dvec3(0.0);
  const size_t i = 3 * clampIndex(index);
  return {host_->extraAxes[i], host_->extraAxes[i + 1], host_->extraAxes[i + 2]};
}

double Toolpath::totalLength() const {
  return host_->cumLength.empty() ? 0.0 : host_->cumLength.back();
}

double Toolpath::totalTime() const {
  return host_->cumTime.empty() ? 0.0 : host_->cumTime.back();
}

double Toolpath::cumulativeLength(int64_t index) const {
  return valueAt(host_->cumLength, index);
}

double Toolpath::cumulativeTime(int64_t index) const {
  return valueAt(host_->cumTime, index);
}

const common::MoveArray<double>& Toolpath::cumulative(Measure measure) const {
  return measure == Measure::Length ? host_->cumLength : host_->cumTime;
}

int64_t Toolpath::moveAtCumulative(const common::MoveArray<double>& cum, double value) const {
  if (cum.empty()) return -1;
  size_t i = static_cast<size_t>(std::upper_bound(cum.begin(), cum.end(), value + 1e-9) - cum.begin());
  i = std::min(i, cum.size() - 1);
  // A value at the very start of a move belongs to the move that ends there.
  if (i > 0) {
    const double span = cum[i] - cum[i - 1];
    if (span > 0.0 && (value - cum[i - 1]) / span < 5e-7) --i;
  }
  return static_cast<int64_t>(i);
}

int64_t Toolpath::moveAtFraction(double fraction, Measure measure) const {
  if (moves_->empty()) return -1;
  if (fraction <= 0.0) return 0;
  const auto& cum = cumulative(measure);
  return moveAtCumulative(cum, fraction * cum.back());
}

double Toolpath::fractionWithinMove(int64_t move, double fraction, Measure measure) const {
  const auto& cum = cumulative(measure);
  if (move <= 0) return 0.0;
  if (static_cast<size_t>(move) >= cum.size()) return 1.0;
  const size_t i = static_cast<size_t>(move);
  const double span = cum[i] - cum[i - 1];
  if (!(span > 1e-9)) return 1.0;
  return std::clamp((fraction * cum.back() - cum[i - 1]) / span, 0.0, 1.0);
}

double Toolpath::timeFractionOfMove(int64_t move) const {
  const double total = totalTime();
  return total > 0.0 ? cumulativeTime(move) / total : 0.0;
}

double Toolpath::lengthFractionOfMove(int64_t move) const {
  const double total = totalLength();
  return total > 0.0 ? cumulativeLength(move) / total : 0.0;
}

PositionAtFraction Toolpath::positionAt(double fraction, Measure measure) const {
  PositionAtFraction position;
  position.move = moveAtFraction(fraction, measure);
  if (position.move < 0) return position;
  position.previous = std::max<int64_t>(position.move - 1, 0);
  position.fraction = fractionWithinMove(position.move, fraction, measure);
  position.flags = flagsOf(position.move);
  const ToolpathMove& current = at(static_cast<size_t>(position.move));
  const ToolpathMove& previous = at(static_cast<size_t>(position.previous));
  for (int k = 0; k < 3; ++k) position.axesDelta[k] = current.axes[k] - previous.axes[k];
  return position;
}

uint32_t Toolpath::operationAt(int64_t move, double timeFraction) const {
  if (host_->operations.empty()) return 0;
  // At the exact end of a move, the operation of the next move is playing.
  if (move >= 0 && static_cast<size_t>(move) + 1 < moveCount() &&
      std::abs(timeFractionOfMove(move) - timeFraction) <= 1e-9)
    ++move;
  const auto it = std::upper_bound(host_->operations.begin(), host_->operations.end(), move,
                                   [](int64_t m, const OperationRange& op) { return m < int64_t{op.end}; });
  return static_cast<uint32_t>(it - host_->operations.begin());
}

int64_t Toolpath::nextMoveWithExtent(int64_t move, Measure measure) const {
  const auto& cum = cumulative(measure);
  if (cum.empty()) return -1;
  const size_t from = clampIndex(move);
  for (size_t i = from + 1; i < cum.size(); ++i)
    if (std::abs(cum[i] - cum[from]) > 1e-9) return static_cast<int64_t>(i);
  return static_cast<int64_t>(cum.size() - 1);
}

namespace {

// Upper bound of key, back to the last element not greater than it, then
// forward over the run of elements equal to it.
size_t lastOfRun(const common::MoveArray<uint32_t>& values, uint32_t key) {
  const size_t bound = static_cast<size_t>(std::upper_bound(values.begin(), values.end(), key) - values.begin());
  if (bound == 0) return 0;
  size_t i = bound - 1;
  while (i > 0 && values[i] > key) --i;
  while (i + 1 < values.size() && values[i + 1] == key) ++i;
  return i;
}

}  // namespace

int64_t Toolpath::lastMoveOfLine(uint32_t line) const {
  if (host_->lines.empty()) return 0;
  return static_cast<int64_t>(lastOfRun(host_->lines, line));
}

int64_t Toolpath::lastMoveOfEntity(uint32_t entity) const {
  if (host_->entities.empty()) return 0;
  const size_t i = lastOfRun(host_->entities, entity);
  return host_->entities[i] == entity ? static_cast<int64_t>(i) : 0;
}

OperationRange Toolpath::operation(size_t index) const {
  return index < host_->operations.size() ? host_->operations[index] : OperationRange{};
}

bool Toolpath::operationVisible(size_t index) const {
  return index < (*operationVisible_).size() && (*operationVisible_)[index];
}

Mat3 Toolpath::orientationAt(int64_t move) const {
  const uint64_t key = move < 0 ? 0 : static_cast<uint64_t>(move);
  const auto after = std::upper_bound((*orientations_).begin(), (*orientations_).end(), key,
                                      [](uint64_t m, const OrientationEntry& e) { return m < e.move; });
  return after == (*orientations_).begin() ? kIdentity3 : std::prev(after)->rotation;
}

std::vector<MoveEvent> Toolpath::eventsOfCategory(int category) const {
  const auto events = host_->events.ofCategory(category);
  return {events.begin(), events.end()};
}

std::vector<MoveEvent> Toolpath::eventsNamed(uint64_t nameHash) const {
  const auto events = host_->events.named(nameHash);
  return {events.begin(), events.end()};
}

std::vector<uint32_t> Toolpath::eventMoves() const {
  const auto moves = host_->events.moves();
  return {moves.begin(), moves.end()};
}

std::vector<SIM_ToolpathTextRecord> Toolpath::textRecords(int list) const {
  if (list < 0 || list >= 4) return {};
  return host_->textRecords[list];
}

uint8_t Toolpath::paletteIndexesOf(int64_t move) const {
  return valueAt(host_->palettes.perMove, move);
}

double Toolpath::paletteValue(bool paletteB, uint8_t slot) const {
  return paletteB ? host_->palettes.b.value(slot) : host_->palettes.a.value(slot);
}

}  // namespace toolpath
