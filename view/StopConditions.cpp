#include "view/StopConditions.h"

#include <algorithm>
#include <bit>

#include "collision/CollisionResults.h"
#include "stock/StockCutter.h"
#include "toolpath/Toolpath.h"

namespace view {

namespace {

// Positions are time fractions; a stop at the position playing resumed from
// is behind it, whatever the last bits of the slider's arithmetic say.
constexpr double kSamePosition = 1e-12;

// The host files optional stops under this category bit.
constexpr int kOptionalStopCategory = std::countr_zero(static_cast<unsigned>(SIM_EVENT_CATEGORY_OPTIONAL_STOP));

bool ahead(double t, double from, double to) { return t > from + kSamePosition && t <= to; }

}  // namespace

uint64_t StopConditions::normalised(uint64_t bytes) {
  uint64_t out = 0;
  for (uint32_t k = 0; k < 8; ++k)
    if (isOn(bytes, k)) out |= uint64_t{1} << (8 * k);
  return out;
}

void StopConditions::set(StopCondition condition, bool on) {
  const uint64_t bit = uint64_t{1} << (8 * condition);
  if (on)
    bytes_.fetch_or(bit);
  else
    bytes_.fetch_and(~bit);
}

void StopConditions::toggleCollisionGroup() {
  const uint64_t bytes = bytes_.load();
  const bool anyOn = isOn(bytes, SIM_STOP_RAPID_INTO_STOCK) || isOn(bytes, SIM_STOP_STOPPED_SPINDLE_CUT) ||
                     isOn(bytes, SIM_STOP_HOLDER_INTO_STOCK);
  for (const StopCondition c : {SIM_STOP_RAPID_INTO_STOCK, SIM_STOP_STOPPED_SPINDLE_CUT, SIM_STOP_HOLDER_INTO_STOCK,
                                SIM_STOP_TOOL_AGAINST_MACHINE})
    set(c, !anyOn);
}

std::optional<double> firstMarkedStop(const toolpath::Toolpath& path, uint64_t conditions, double from, double to) {
  if (path.moveCount() == 0 || !(to > from)) return std::nullopt;
  std::optional<double> first;
  const auto consider = [&](double t) {
    if (ahead(t, from, to) && (!first || t < *first)) first = t;
  };
  if (StopConditions::isOn(conditions, SIM_STOP_TOOL_CHANGE))
    for (const toolpath::NamedMove& change : path.toolChanges()) consider(path.timeFractionOfMove(change.move));
  if (StopConditions::isOn(conditions, SIM_STOP_OPERATION_CHANGE))
    for (size_t k = 0; k < path.operationCount(); ++k) consider(path.timeFractionOfMove(path.operation(k).first));
  if (StopConditions::isOn(conditions, SIM_STOP_OPTIONAL_STOP))
    // An optional stop holds the machine before its move runs.
    for (const toolpath::MoveEvent& event : path.eventsOfCategory(kOptionalStopCategory))
      consider(event.move == 0 ? 0.0 : path.timeFractionOfMove(event.move - 1));
  return first;
}

std::vector<FoundStop> cutStops(const toolpath::Toolpath& path, std::span<const uint32_t> reported,
                                std::span<const stock::PartHit> partHits) {
  std::vector<FoundStop> found;
  for (const uint32_t move : reported) {
    if (move >= path.moveCount()) continue;
    const bool rapid = path.move(move).type == SIM_MOVE_RAPID;
    found.push_back({path.timeFractionOfMove(move), rapid ? SIM_STOP_RAPID_INTO_STOCK : SIM_STOP_STOPPED_SPINDLE_CUT});
  }
  const double total = path.totalTime();
  for (const stock::PartHit& hit : partHits) {
    if (hit.move >= path.moveCount() || !(total > 0.0)) continue;
    const double before = hit.move > 0 ? path.cumulativeTime(hit.move - 1) : 0.0;
    const double along = std::clamp(static_cast<double>(hit.from), 0.0, 1.0);
    found.push_back({(before + along * (path.cumulativeTime(hit.move) - before)) / total, SIM_STOP_HOLDER_INTO_STOCK});
  }
  return found;
}

std::vector<FoundStop> checkStops(const toolpath::Toolpath& path, std::span<const collision::MachineResult> collisions,
                                  std::span<const collision::LimitResult> limits) {
  std::vector<FoundStop> found;
  const double total = path.totalTime();
  if (!(total > 0.0)) return found;
  for (const collision::MachineResult& r : collisions)
    found.push_back({std::clamp(r.startPosition / total, 0.0, 1.0), SIM_STOP_TOOL_AGAINST_MACHINE});
  for (const collision::LimitResult& r : limits)
    found.push_back({std::clamp(r.position / total, 0.0, 1.0), SIM_STOP_TRAVEL_LIMITS});
  return found;
}

std::optional<double> firstFoundStop(std::span<const FoundStop> found, uint64_t conditions, double from, double to) {
  std::optional<double> first;
  for (const FoundStop& stop : found)
    if (StopConditions::isOn(conditions, stop.condition) && ahead(stop.at, from, to) && (!first || stop.at < *first))
      first = stop.at;
  return first;
}

}  // namespace view
