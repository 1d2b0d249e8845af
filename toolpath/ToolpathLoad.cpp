// Loading a toolpath record and computing what derives from it.
#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>
#include <numbers>
#include <string_view>

#include <glm/geometric.hpp>

#include "common/Fnv1a.h"
#include "toolpath/SinglePrecision.h"
#include "toolpath/Toolpath.h"

namespace toolpath {

namespace {

// Copies count host elements, or count default elements when the array is absent.
template <typename Array, typename T = typename Array::value_type>
void copyOr(Array& out, const T* host, size_t count, T fallback) {
  if (host)
    out.assign(host, host + count);
  else
    out.assign(count, fallback);
}

template <typename T>
std::vector<T> copyList(const T* host, uint64_t count) {
  if (!host) return std::vector<T>(count, T{});  // a count without its array gives zero entries
  return std::vector<T>(host, host + count);
}

glm::dvec3 vec(const double (&v)[3]) { return {v[0], v[1], v[2]}; }

// Adds the points where the arc reaches furthest along each axis.
void addArcExtremes(Box& box, const ArcGeometry& arc) {
  constexpr double kTwoPi = 2.0 * std::numbers::pi;
  if (!arc.valid || arc.sweep == 0.0) return;
  for (int axis = 0; axis < 3; ++axis) {
    const double furthest = std::atan2(arc.yAxis[axis], arc.xAxis[axis]);
    for (double angle : {furthest, furthest + std::numbers::pi}) {
      // pointAt turns by -sweep * t; find t in [0, 1] reaching this angle.
      double turn = std::fmod(-angle, kTwoPi);
      if (arc.sweep > 0.0 && turn < 0.0) turn += kTwoPi;
      if (arc.sweep < 0.0 && turn > 0.0) turn -= kTwoPi;
      const double t = turn / arc.sweep;
      if (t >= 0.0 && t <= 1.0) box.add(arc.pointAt(t));
    }
  }
}

}  // namespace

void Box::add(const glm::dvec3& p) {
  min = glm::min(min, p);
  max = glm::max(max, p);
}

void Box::add(const Box& other) {
  min = glm::min(min, other.min);
  max = glm::max(max, other.max);
}

Toolpath::Toolpath()
    : host_(std::make_shared<const HostData>()),
      moves_(host_, &host_->moves),
      orientations_(std::make_shared<const std::vector<OrientationEntry>>()),
      operationVisible_(std::make_shared<const std::vector<bool>>()) {}

Toolpath Toolpath::fromRecord(const SIM_ToolpathRecord& record) {
  auto host = std::make_shared<HostData>();
  auto orientations = std::make_shared<std::vector<OrientationEntry>>();
  fill(*host, *orientations, record);
  Toolpath path;
  path.host_ = std::move(host);
  path.moves_ = std::shared_ptr<const Moves>(path.host_, &path.host_->moves);
  path.orientations_ = std::move(orientations);
  path.operationVisible_ = std::make_shared<const std::vector<bool>>(path.host_->operations.size(), true);
  // Every per-move array holds one value per move.
  assert(path.host_->lines.size() == path.moveCount() && path.host_->cumTime.size() == path.moveCount());
  return path;
}

formats::ToolpathRecordCopy Toolpath::hostRecord() const {
  const HostData& d = *host_;
  formats::ToolpathRecordCopy copy = d.hostLists;
  const auto perMove = [](const auto& values, bool given, auto& out) {
    if (given) out.assign(values.begin(), values.end());
  };
  copy.moves.assign(d.moves.begin(), d.moves.end());
  // Changes at the same move: the first one saw the host's type.
  for (auto it = d.typesAtToolChanges.rbegin(); it != d.typesAtToolChanges.rend(); ++it)
    copy.moves[it->first].type = it->second;
  copy.moveCount = copy.moves.size();
  const formats::ToolpathRecordCopy::Given& given = d.hostLists.given;
  perMove(d.entities, given.entityIds, copy.entityIds);
  perMove(d.lines, given.lineNumbers, copy.lineNumbers);
  perMove(d.feeds, given.feeds, copy.feeds);
  perMove(d.cumLength, given.cumulativeLengths, copy.cumulativeLengths);
  perMove(d.cumTime, given.cumulativeTimes, copy.cumulativeTimes);
  perMove(d.spindles, given.spindleSpeeds, copy.spindleSpeeds);
  perMove(d.flags, given.moveFlags, copy.moveFlags);
  perMove(d.extraAxes, given.extraAxes, copy.extraAxes);
  return copy;
}

std::optional<Toolpath> Toolpath::withOperationsVisible(uint32_t first, uint32_t end, bool visible) const {
  end = std::min<uint32_t>(end, static_cast<uint32_t>(operationVisible_->size()));
  bool changes = false;
  for (uint32_t i = first; i < end; ++i) changes = changes || (*operationVisible_)[i] != visible;
  if (!changes) return std::nullopt;
  auto bits = std::make_shared<std::vector<bool>>(*operationVisible_);
  for (uint32_t i = first; i < end; ++i) (*bits)[i] = visible;
  Toolpath path(*this);
  path.operationVisible_ = std::move(bits);
  return path;
}

void Toolpath::fill(HostData& d, std::vector<OrientationEntry>& orientations, const SIM_ToolpathRecord& r) {
  const size_t n = r.moveCount;
  d.hostLists = formats::ToolpathRecordCopy::listsOf(r);
  copyOr(d.moves, r.moves, n, ToolpathMove{});
  copyOr(d.entities, r.entityIds, n, 0u);
  copyOr(d.lines, r.lineNumbers, n, 0u);
  copyOr(d.feeds, r.feeds, n, kDefaultFeed);
  copyOr(d.spindles, r.spindleSpeeds, n, kDefaultSpindleSpeed);
  copyOr(d.flags, r.moveFlags, n, uint16_t{0});
  if (r.extraAxes) d.extraAxes.assign(r.extraAxes, r.extraAxes + 3 * n);
  d.feedsFromHost = r.feeds != nullptr;
  d.spindlesFromHost = r.spindleSpeeds != nullptr;

  d.operations = copyList(r.operations, r.operationCount);

  // Tool changes select tools by the hash of their name; the move of a
  // change itself does not move.
  for (const SIM_NamedMove& change : copyList(r.toolChanges, r.toolChangeCount)) {
    const std::string_view name(change.name, strnlen(change.name, sizeof change.name));
    d.toolChanges.push_back({common::fnv1a64(name), change.move});
    if (change.move < n) {
      d.typesAtToolChanges.emplace_back(change.move, d.moves[change.move].type);
      d.moves[change.move].type = NoMotion;
    }
  }

  d.infoRecords = copyList(r.infoRecords, r.infoRecordCount);
  d.textRecords[0] = copyList(r.textRecords1, r.textRecordCount1);
  d.textRecords[1] = copyList(r.textRecords2, r.textRecordCount2);
  d.textRecords[2] = copyList(r.textRecords3, r.textRecordCount3);
  d.textRecords[3] = copyList(r.textRecords4, r.textRecordCount4);

  for (const SIM_OrientationEntry& entry : copyList(r.orientations, r.orientationCount)) {
    OrientationEntry own{entry.move, {}};
    std::copy(std::begin(entry.rotation), std::end(entry.rotation), own.rotation.begin());
    orientations.push_back(own);
  }
  std::stable_sort(orientations.begin(), orientations.end(),
                   [](const OrientationEntry& a, const OrientationEntry& b) { return a.move < b.move; });

  const size_t eventCount = r.eventCount > 0 ? static_cast<size_t>(r.eventCount) : 0;
  d.events.load(copyList(r.events, eventCount));
  d.values = copyList(r.values, r.valueCount);

  for (const SIM_CompensationChange& change : copyList(r.compensations, r.compensationCount))
    d.compensations.push_back({change.firstMove, {change.offset[0], change.offset[1], change.offset[2]}});
  std::stable_sort(d.compensations.begin(), d.compensations.end(),
                   [](const CompensationChange& a, const CompensationChange& b) { return a.firstMove < b.firstMove; });
  if (r.subprograms) d.lineMap.load({r.subprograms, r.subprogramCount});
  d.palettes.build(copyList(r.valueChanges, r.valueChangeCount), n);

  if (r.cumulativeLengths) d.cumLength.assign(r.cumulativeLengths, r.cumulativeLengths + n);
  if (r.cumulativeTimes) d.cumTime.assign(r.cumulativeTimes, r.cumulativeTimes + n);
  computeDerived(d, r.cumulativeLengths != nullptr, r.cumulativeTimes != nullptr);

  for (uint16_t f : d.flags) d.flagUnion |= f;
  for (size_t i = 0; i < n; ++i)
    if ((d.flags[i] & SIM_MOVE_FLAG_TURNING) && d.moves[i].type != Rapid)
      d.maxTurningRadius = std::max(d.maxTurningRadius, std::abs(d.moves[i].end[0]));
}

// One pass over the moves: lengths, times and bounds.
void Toolpath::computeDerived(HostData& d, bool lengthsGiven, bool timesGiven) {
  const size_t n = d.moves.size();
  if (!lengthsGiven) d.cumLength.assign(n, 0.0);
  if (!timesGiven) d.cumTime.assign(n, 0.0);
  d.bounds = {};
  d.cuttingBounds = {};
  for (size_t i = 0; i < n; ++i) {
    const ToolpathMove& move = d.moves[i];
    const glm::dvec3 end = vec(move.end);
    d.bounds.add(end);
    if (i == 0) continue;
    // Each end point is kept in single precision before it starts the next move.
    const glm::dvec3 start = throughSinglePrecision(d.moves[i - 1].end);

    double length = 0.0;
    Box arcExtremes;
    if (move.type == Rapid || move.type == Linear) {
      length = glm::distance(start, end);
    } else if (isArc(move.type)) {
      const ArcGeometry arc = analyseArc(start, end, vec(move.centre), vec(move.normal), move.type == ArcCCW);
      // An arc that fails the analysis is measured and drawn as its chord.
      length = arc.valid ? arc.length() : glm::distance(start, end);
      addArcExtremes(arcExtremes, arc);
    }
    if (std::isnan(length)) length = 0.0;
    if (!arcExtremes.empty()) d.bounds.add(arcExtremes);
    if (isCutting(move.type)) {
      d.cuttingBounds.add(start);
      d.cuttingBounds.add(end);
      if (!arcExtremes.empty()) d.cuttingBounds.add(arcExtremes);
    }

    // Times follow the moves' own lengths, also when the host gave lengths.
    if (!lengthsGiven) d.cumLength[i] = d.cumLength[i - 1] + length;
    if (!timesGiven) {
      const double feed = d.feeds[i] >= 1e-9 ? d.feeds[i] : kDefaultFeed;  // feed 0 is timed at the default
      d.cumTime[i] = d.cumTime[i - 1] + length / feed;
    }
  }
  d.cumulativeValid = true;
}

}  // namespace toolpath
