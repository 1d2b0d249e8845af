// Per-move values and the lookups by fraction, line, entity and operation.
#include <algorithm>
#include <cmath>

#include "toolpath/SinglePrecision.h"
#include "toolpath/Toolpath.h"

namespace toolpath {

using Lock = std::lock_guard<std::recursive_mutex>;

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
  if (index < 0 || d_.moves.empty()) return 0;
  return std::min<size_t>(static_cast<size_t>(index), d_.moves.size() - 1);
}

size_t Toolpath::moveCount() const {
  Lock lock(mutex_);
  return d_.moves.size();
}

ToolpathMove Toolpath::move(int64_t index) const {
  Lock lock(mutex_);
  return valueAt(d_.moves, index);
}

glm::dvec3 Toolpath::startOf(int64_t index) const {
  Lock lock(mutex_);
  const size_t i = clampIndex(index);
  if (i == 0) return glm::dvec3(0.0);
  return throughSinglePrecision(d_.moves[i - 1].end);
}

ArcGeometry Toolpath::arcOf(int64_t index) const {
  Lock lock(mutex_);
  const size_t i = clampIndex(index);
  if (i == 0) return {};
  const ToolpathMove& m = d_.moves[i];
  if (!isArc(m.type)) return {};
  return analyseArc(startOf(static_cast<int64_t>(i)), {m.end[0], m.end[1], m.end[2]}, {m.centre[0], m.centre[1], m.centre[2]},
                    {m.normal[0], m.normal[1], m.normal[2]}, m.type == ArcCCW);
}

glm::dvec3 Toolpath::pointAt(int64_t index, double fraction) const {
  Lock lock(mutex_);
  if (d_.moves.empty()) return glm::dvec3(0.0);
  const size_t i = clampIndex(index);
  const ToolpathMove& m = d_.moves[i];
  const glm::dvec3 end(m.end[0], m.end[1], m.end[2]);
  if (i == 0) return end;
  fraction = std::clamp(fraction, 0.0, 1.0);
  const ArcGeometry arc = arcOf(static_cast<int64_t>(i));
  if (arc.valid) return arc.pointAt(fraction);
  const glm::dvec3 start = startOf(static_cast<int64_t>(i));
  return start + fraction * (end - start);
}

uint32_t Toolpath::lineOf(int64_t index) const {
  Lock lock(mutex_);
  return valueAt(d_.lines, index);
}

uint32_t Toolpath::entityOf(int64_t index) const {
  Lock lock(mutex_);
  return valueAt(d_.entities, index);
}

double Toolpath::feedOf(int64_t index) const {
  Lock lock(mutex_);
  return valueWithin(d_.feeds, index);
}

double Toolpath::spindleOf(int64_t index) const {
  Lock lock(mutex_);
  return valueWithin(d_.spindles, index);
}

uint16_t Toolpath::flagsOf(int64_t index) const {
  Lock lock(mutex_);
  return valueAt(d_.flags, index);
}

glm::dvec3 Toolpath::extraAxesOf(int64_t index) const {
  Lock lock(mutex_);
  if (d_.extraAxes.empty() || index < 0) return glm::dvec3(0.0);
  const size_t i = 3 * clampIndex(index);
  return {d_.extraAxes[i], d_.extraAxes[i + 1], d_.extraAxes[i + 2]};
}

bool Toolpath::hasExtraAxes() const {
  Lock lock(mutex_);
  return !d_.extraAxes.empty();
}

bool Toolpath::feedsFromHost() const {
  Lock lock(mutex_);
  return d_.feedsFromHost;
}

bool Toolpath::spindleSpeedsFromHost() const {
  Lock lock(mutex_);
  return d_.spindlesFromHost;
}

bool Toolpath::cumulativeValid() const {
  Lock lock(mutex_);
  return d_.cumulativeValid;
}

double Toolpath::totalLength() const {
  Lock lock(mutex_);
  return d_.cumLength.empty() ? 0.0 : d_.cumLength.back();
}

double Toolpath::totalTime() const {
  Lock lock(mutex_);
  return d_.cumTime.empty() ? 0.0 : d_.cumTime.back();
}

double Toolpath::cumulativeLength(int64_t index) const {
  Lock lock(mutex_);
  return valueAt(d_.cumLength, index);
}

double Toolpath::cumulativeTime(int64_t index) const {
  Lock lock(mutex_);
  return valueAt(d_.cumTime, index);
}

const common::MoveArray<double>& Toolpath::cumulative(Measure measure) const {
  return measure == Measure::Length ? d_.cumLength : d_.cumTime;
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
  Lock lock(mutex_);
  if (d_.moves.empty()) return -1;
  if (fraction <= 0.0) return 0;
  const auto& cum = cumulative(measure);
  return moveAtCumulative(cum, fraction * cum.back());
}

double Toolpath::fractionWithinMove(int64_t move, double fraction, Measure measure) const {
  Lock lock(mutex_);
  const auto& cum = cumulative(measure);
  if (move <= 0) return 0.0;
  if (static_cast<size_t>(move) >= cum.size()) return 1.0;
  const size_t i = static_cast<size_t>(move);
  const double span = cum[i] - cum[i - 1];
  if (!(span > 1e-9)) return 1.0;
  return std::clamp((fraction * cum.back() - cum[i - 1]) / span, 0.0, 1.0);
}

double Toolpath::timeFractionOfMove(int64_t move) const {
  Lock lock(mutex_);
  const double total = totalTime();
  return total > 0.0 ? cumulativeTime(move) / total : 0.0;
}

double Toolpath::lengthFractionOfMove(int64_t move) const {
  Lock lock(mutex_);
  const double total = totalLength();
  return total > 0.0 ? cumulativeLength(move) / total : 0.0;
}

PositionAtFraction Toolpath::positionAt(double fraction, Measure measure) const {
  Lock lock(mutex_);
  PositionAtFraction position;
  position.move = moveAtFraction(fraction, measure);
  if (position.move < 0) return position;
  position.previous = std::max<int64_t>(position.move - 1, 0);
  position.fraction = fractionWithinMove(position.move, fraction, measure);
  position.flags = flagsOf(position.move);
  const ToolpathMove& current = d_.moves[static_cast<size_t>(position.move)];
  const ToolpathMove& previous = d_.moves[static_cast<size_t>(position.previous)];
  for (int k = 0; k < 3; ++k) position.axesDelta[k] = current.axes[k] - previous.axes[k];
  return position;
}

uint32_t Toolpath::operationAt(int64_t move, double timeFraction) const {
  Lock lock(mutex_);
  if (d_.operations.empty()) return 0;
  // At the exact end of a move, the operation of the next move is playing.
  if (move >= 0 && static_cast<size_t>(move) + 1 < d_.moves.size() &&
      std::abs(timeFractionOfMove(move) - timeFraction) <= 1e-9)
    ++move;
  const auto it = std::upper_bound(d_.operations.begin(), d_.operations.end(), move,
                                   [](int64_t m, const OperationRange& op) { return m < int64_t{op.end}; });
  return static_cast<uint32_t>(it - d_.operations.begin());
}

int64_t Toolpath::nextMoveWithExtent(int64_t move, Measure measure) const {
  Lock lock(mutex_);
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
  Lock lock(mutex_);
  if (d_.lines.empty()) return 0;
  return static_cast<int64_t>(lastOfRun(d_.lines, line));
}

int64_t Toolpath::lastMoveOfEntity(uint32_t entity) const {
  Lock lock(mutex_);
  if (d_.entities.empty()) return 0;
  const size_t i = lastOfRun(d_.entities, entity);
  return d_.entities[i] == entity ? static_cast<int64_t>(i) : 0;
}

size_t Toolpath::operationCount() const {
  Lock lock(mutex_);
  return d_.operations.size();
}

OperationRange Toolpath::operation(size_t index) const {
  Lock lock(mutex_);
  return index < d_.operations.size() ? d_.operations[index] : OperationRange{};
}

bool Toolpath::operationVisible(size_t index) const {
  Lock lock(mutex_);
  return index < d_.operationVisible.size() && d_.operationVisible[index];
}

bool Toolpath::setOperationVisible(uint32_t index, bool visible) {
  Lock lock(mutex_);
  if (index >= d_.operationVisible.size() || d_.operationVisible[index] == visible) return false;
  d_.operationVisible[index] = visible;
  return true;
}

std::vector<NamedMove> Toolpath::toolChanges() const {
  Lock lock(mutex_);
  return d_.toolChanges;
}

std::vector<OrientationEntry> Toolpath::orientations() const {
  Lock lock(mutex_);
  return d_.orientations;
}

Mat3 Toolpath::orientationAt(int64_t move) const {
  Lock lock(mutex_);
  const uint64_t key = move < 0 ? 0 : static_cast<uint64_t>(move);
  const auto after = std::upper_bound(d_.orientations.begin(), d_.orientations.end(), key,
                                      [](uint64_t m, const OrientationEntry& e) { return m < e.move; });
  return after == d_.orientations.begin() ? kIdentity3 : std::prev(after)->rotation;
}

std::vector<MoveEvent> Toolpath::eventsOfCategory(int category) const {
  Lock lock(mutex_);
  const auto events = d_.events.ofCategory(category);
  return {events.begin(), events.end()};
}

std::vector<MoveEvent> Toolpath::eventsNamed(uint64_t nameHash) const {
  Lock lock(mutex_);
  const auto events = d_.events.named(nameHash);
  return {events.begin(), events.end()};
}

std::vector<uint32_t> Toolpath::eventMoves() const {
  Lock lock(mutex_);
  const auto moves = d_.events.moves();
  return {moves.begin(), moves.end()};
}

std::vector<uint32_t> Toolpath::values() const {
  Lock lock(mutex_);
  return d_.values;
}

std::vector<SIM_ToolpathInfoRecord> Toolpath::infoRecords() const {
  Lock lock(mutex_);
  return d_.infoRecords;
}

std::vector<SIM_ToolpathTextRecord> Toolpath::textRecords(int list) const {
  Lock lock(mutex_);
  if (list < 0 || list >= 4) return {};
  return d_.textRecords[list];
}

std::vector<CompensationChange> Toolpath::compensationChanges() const {
  Lock lock(mutex_);
  return d_.compensations;
}

FileLine Toolpath::fileLineOf(uint32_t globalLine) const {
  Lock lock(mutex_);
  return d_.lineMap.lookup(globalLine);
}

uint8_t Toolpath::paletteIndexesOf(int64_t move) const {
  Lock lock(mutex_);
  return valueAt(d_.palettes.perMove, move);
}

double Toolpath::paletteValue(bool paletteB, uint8_t slot) const {
  Lock lock(mutex_);
  return paletteB ? d_.palettes.b.value(slot) : d_.palettes.a.value(slot);
}

uint16_t Toolpath::paletteSummary() const {
  Lock lock(mutex_);
  return d_.palettes.summary;
}

Box Toolpath::bounds() const {
  Lock lock(mutex_);
  return d_.bounds;
}

Box Toolpath::cuttingBounds() const {
  Lock lock(mutex_);
  return d_.cuttingBounds;
}

uint16_t Toolpath::flagUnion() const {
  Lock lock(mutex_);
  return d_.flagUnion;
}

double Toolpath::maxTurningRadius() const {
  Lock lock(mutex_);
  if (!maxTurningRadius_) {
    double largest = 0.0;
    for (size_t i = 0; i < d_.moves.size(); ++i)
      if ((d_.flags[i] & SIM_MOVE_FLAG_TURNING) && d_.moves[i].type != Rapid)
        largest = std::max(largest, std::abs(d_.moves[i].end[0]));
    maxTurningRadius_ = largest;
  }
  return *maxTurningRadius_;
}

}  // namespace toolpath
