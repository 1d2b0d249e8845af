#include "toolpath/ToolpathLines.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include <glm/geometric.hpp>

#include "toolpath/ToolAxis.h"

namespace toolpath {

namespace {

glm::dvec3 vec(const double (&v)[3]) { return {v[0], v[1], v[2]}; }

float endKind(uint32_t type) {
  if (type == NoMotion) return LineKind::kHidden;
  if (type == Rapid) return LineKind::kRapidEnd;
  return isArc(type) ? LineKind::kArcEnd : LineKind::kFeedEnd;
}

LineVertex vertexAt(const glm::dvec3& p, float kind, size_t move) {
  return {{static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)}, kind,
          static_cast<int32_t>(move)};
}

void addArc(const Toolpath& toolpath, size_t i, const glm::dvec3& offset, ToolpathLines& out) {
  const ArcGeometry arc = toolpath.arcOf(static_cast<int64_t>(i));
  const int chords = arc.valid ? std::max(1, segmentCount(arc.radius, arc.sweep, kDrawingChordTolerance)) : 1;
  for (int c = 1; c < chords; ++c)
    out.vertices.push_back(vertexAt(arc.pointAt(double(c) / chords) - offset, LineKind::kArcInterior, i));
}

// Each operation's moves; operations the host hid are left out.
void addOperationRanges(const Toolpath& toolpath, ToolpathLines& out) {
  const int64_t last = static_cast<int64_t>(toolpath.moveCount()) - 1;
  for (size_t op = 0; op < toolpath.operationCount(); ++op) {
    if (!toolpath.operationVisible(op)) continue;
    const OperationRange range = toolpath.operation(op);
    const int64_t end = std::min<int64_t>(range.end, last + 1);
    if (range.first >= end) continue;
    DrawRange r = out.rangeOfMoves(range.first, end - 1);
    r.colour = static_cast<uint8_t>(op % kRangeColours);
    out.operationRanges.push_back(r);
  }
}

// Runs of moves between tool changes, coloured per distinct tool.
void addToolRanges(const Toolpath& toolpath, ToolpathLines& out) {
  const std::vector<NamedMove>& changes = toolpath.toolChanges();
  const size_t count = toolpath.moveCount();
  std::unordered_map<uint64_t, uint8_t> colourOf;
  size_t start = 0;
  uint64_t tool = 0;
  auto close = [&](size_t end) {
    if (end <= start) return;
    DrawRange r = out.rangeOfMoves(static_cast<int64_t>(start), static_cast<int64_t>(end) - 1);
    const auto [it, added] = colourOf.try_emplace(tool, static_cast<uint8_t>(colourOf.size() % kRangeColours));
    r.colour = it->second;
    out.toolRanges.push_back(r);
  };
  for (const NamedMove& change : changes) {
    const size_t at = std::min<size_t>(change.move, count);
    close(at);
    start = std::max(start, at);
    tool = change.nameHash;
  }
  close(count);
}

}  // namespace

DrawRange ToolpathLines::rangeOfMoves(int64_t first, int64_t last) const {
  DrawRange r{};
  if (lastVertexOf.empty() || last < first) return r;
  const int64_t top = static_cast<int64_t>(lastVertexOf.size()) - 1;
  first = std::clamp<int64_t>(first, 0, top);
  last = std::clamp<int64_t>(last, 0, top);
  r.firstVertex = first == 0 ? 0 : lastVertexOf[first - 1];
  r.lastVertex = lastVertexOf[last];
  r.firstMove = static_cast<uint32_t>(first);
  r.endMove = static_cast<uint32_t>(last + 1);
  return r;
}

ToolpathLines buildToolpathLines(const Toolpath& toolpath, const machine::Kinematics& kinematics,
                                 double vectorLength) {
  ToolpathLines out;
  const size_t count = toolpath.moveCount();
  out.vertices.reserve(count + count / 4);
  out.lastVertexOf.reserve(count);
  out.vectors.reserve(2 * count);
  out.values.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    const ToolpathMove m = toolpath.move(static_cast<int64_t>(i));
    const glm::dvec3 offset(toolpath.appliedOffsetOf(static_cast<int64_t>(i)));
    if (isArc(m.type) && i > 0) addArc(toolpath, i, offset, out);
    const glm::dvec3 end = vec(m.end) - offset;
    const float kind = endKind(m.type);
    out.vertices.push_back(vertexAt(end, kind, i));
    out.lastVertexOf.push_back(static_cast<uint32_t>(out.vertices.size() - 1));

    const glm::dvec3 axis =
        toolAxisAt(kinematics, vec(m.axes), toolpath.orientationAt(static_cast<int64_t>(i))) * vectorLength;
    const LineVertex& at = out.vertices.back();
    out.vectors.push_back({{at.position[0], at.position[1], at.position[2]}, kind});
    out.vectors.push_back({{static_cast<float>(end.x + axis.x), static_cast<float>(end.y + axis.y),
                            static_cast<float>(end.z + axis.z)},
                           kind});
    out.values.push_back(static_cast<float>(toolpath.feedOf(static_cast<int64_t>(i))));
  }
  bool anyFeed = false;
  for (size_t i = 0; i < count; ++i) {
    if (!isCutting(toolpath.move(static_cast<int64_t>(i)).type)) continue;
    const float v = out.values[i];
    out.lowestValue = anyFeed ? std::min(out.lowestValue, v) : v;
    out.highestValue = anyFeed ? std::max(out.highestValue, v) : v;
    anyFeed = true;
  }
  addOperationRanges(toolpath, out);
  addToolRanges(toolpath, out);
  return out;
}

double vectorLengthFor(const Toolpath& toolpath) {
  const Box box = toolpath.bounds();
  if (box.empty()) return 1.0;
  return std::max(1.0, glm::length(box.max - box.min) / 20.0);
}

}  // namespace toolpath
