#include "JobRecords.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "ToolLibrary.h"

namespace host {

namespace {

SIM_ToolpathMove moveTo(uint32_t type, const Point& end) {
  SIM_ToolpathMove m{};
  m.type = type;
  m.end[0] = end.x, m.end[1] = end.y, m.end[2] = end.z;
  return m;
}

uint32_t typeOf(Motion motion) {
  switch (motion) {
    case Motion::Rapid: return SIM_MOVE_RAPID;
    case Motion::Linear: return SIM_MOVE_LINEAR;
    case Motion::ArcClockwise: return SIM_MOVE_ARC_CW;
    case Motion::ArcCounterClockwise: return SIM_MOVE_ARC_CCW;
  }
  return SIM_MOVE_NONE;
}

// A move's ends, and for an arc points every 10 degrees along it, so that
// its bulge counts; the angle runs as the motion turns about its axis.
std::vector<Point> pointsAlong(const Point& from, const ProgramMove& m) {
  std::vector<Point> points{from, m.end};
  if (m.motion != Motion::ArcClockwise && m.motion != Motion::ArcCounterClockwise) return points;
  double Point::*u = m.axis.x != 0 ? &Point::y : m.axis.y != 0 ? &Point::z : &Point::x;
  double Point::*v = m.axis.x != 0 ? &Point::z : m.axis.y != 0 ? &Point::x : &Point::y;
  const double a0 = std::atan2(from.*v - m.centre.*v, from.*u - m.centre.*u);
  const double a1 = std::atan2(m.end.*v - m.centre.*v, m.end.*u - m.centre.*u);
  const double radius = std::hypot(from.*u - m.centre.*u, from.*v - m.centre.*v);
  const double turn = 2 * std::acos(-1.0);
  double sweep = m.motion == Motion::ArcCounterClockwise ? a1 - a0 : a0 - a1;
  while (sweep <= 1e-12) sweep += turn;  // a full circle when the ends meet
  const int steps = static_cast<int>(std::ceil(sweep / (turn / 36)));
  for (int k = 1; k < steps; ++k) {
    const double a = a0 + (m.motion == Motion::ArcCounterClockwise ? 1 : -1) * sweep * k / steps;
    Point p = from;
    p.*u = m.centre.*u + radius * std::cos(a);
    p.*v = m.centre.*v + radius * std::sin(a);
    points.push_back(p);
  }
  return points;
}

}  // namespace

SIM_ToolpathRecord ToolpathArrays::record() const {
  SIM_ToolpathRecord r{};
  r.moveCount = moves.size();
  r.moves = moves.empty() ? nullptr : moves.data();
  r.lineNumbers = lines.empty() ? nullptr : lines.data();
  r.feeds = feeds.empty() ? nullptr : feeds.data();
  r.spindleSpeeds = spindles.empty() ? nullptr : spindles.data();
  r.moveFlags = flags.empty() ? nullptr : flags.data();
  r.toolChangeCount = toolChanges.size();
  r.toolChanges = toolChanges.empty() ? nullptr : toolChanges.data();
  r.operationCount = operations.size();
  r.operations = operations.empty() ? nullptr : operations.data();
  r.eventCount = static_cast<int32_t>(events.size());
  r.events = events.empty() ? nullptr : events.data();
  return r;
}

ToolpathArrays toolpathOf(const Program& program) {
  ToolpathArrays out;
  Point at = program.start;
  // A lathe program's own moves turn; the start and the tool changes stand.
  auto add = [&](const SIM_ToolpathMove& m, uint32_t line, double feed, double spindle, bool turning = false) {
    out.moves.push_back(m);
    out.lines.push_back(line);
    out.feeds.push_back(feed);
    out.spindles.push_back(spindle);
    if (program.lathe) out.flags.push_back(turning ? uint16_t{SIM_MOVE_FLAG_TURNING} : uint16_t{0});
  };
  add(moveTo(SIM_MOVE_NONE, at), 0, 0, 0);
  size_t change = 0;
  auto toolChangesUpTo = [&](size_t move) {
    for (; change < program.toolChanges.size() && program.toolChanges[change].move <= move; ++change) {
      const ProgramToolChange& c = program.toolChanges[change];
      SIM_NamedMove named{};
      std::strncpy(named.name, ToolLibrary::nameOf(c.tool).c_str(), sizeof named.name - 1);
      named.move = static_cast<uint32_t>(out.moves.size());
      out.toolChanges.push_back(named);
      add(moveTo(SIM_MOVE_NONE, at), c.line, 0, 0);
    }
  };
  std::vector<uint32_t> recordMove(program.moves.size());  // of each program move
  for (size_t i = 0; i < program.moves.size(); ++i) {
    toolChangesUpTo(i);
    recordMove[i] = static_cast<uint32_t>(out.moves.size());
    const ProgramMove& p = program.moves[i];
    SIM_ToolpathMove m = moveTo(typeOf(p.motion), p.end);
    m.axes[0] = p.rotary.x, m.axes[1] = p.rotary.y, m.axes[2] = p.rotary.z;
    if (p.motion == Motion::ArcClockwise || p.motion == Motion::ArcCounterClockwise) {
      m.centre[0] = p.centre.x, m.centre[1] = p.centre.y, m.centre[2] = p.centre.z;
      // The view turns an arc of normal n counter-clockwise about -n.
      m.normal[0] = -p.axis.x, m.normal[1] = -p.axis.y, m.normal[2] = -p.axis.z;
    }
    add(m, p.line, p.motion == Motion::Rapid ? kRapidFeed : p.feed, p.spindle, true);
    at = p.end;
  }
  toolChangesUpTo(program.moves.size());
  for (const size_t before : program.optionalStops) {
    // An M1 after the last move stops nowhere.
    if (before >= program.moves.size()) continue;
    SIM_MoveEvent stop{};
    stop.move = recordMove[before];
    stop.categories = SIM_EVENT_CATEGORY_OPTIONAL_STOP;
    out.events.push_back(stop);
  }
  // One operation per tool change, to the next change or the end.
  for (size_t k = 0; k < out.toolChanges.size(); ++k) {
    const uint32_t first = k == 0 ? 0 : out.toolChanges[k].move;
    const uint32_t end = k + 1 < out.toolChanges.size() ? out.toolChanges[k + 1].move : uint32_t(out.moves.size());
    if (end > first) out.operations.push_back({first, end, static_cast<uint32_t>(k + 1)});
  }
  return out;
}

bool stockAround(const Program& program, double toolRadius, StockBox& box) {
  bool any = false;
  double highestRapid = -1e300;
  Point from = program.start;
  for (const ProgramMove& m : program.moves) {
    if (m.motion == Motion::Rapid) {
      highestRapid = std::max({highestRapid, m.end.z, from.z});
    } else {
      for (const Point& p : pointsAlong(from, m)) {
        if (!any) box.min = box.max = p;
        any = true;
        box.min = {std::min(box.min.x, p.x), std::min(box.min.y, p.y), std::min(box.min.z, p.z)};
        box.max = {std::max(box.max.x, p.x), std::max(box.max.y, p.y), std::max(box.max.z, p.z)};
      }
    }
    from = m.end;
  }
  if (!any) return false;
  box.min.x -= toolRadius, box.min.y -= toolRadius;
  box.max.x += toolRadius, box.max.y += toolRadius;
  const double deepest = box.min.z;
  box.min.z = deepest - 1.0;
  if (deepest < 0 && highestRapid > 0) box.max.z = 0;
  if (box.max.z - box.min.z < 1.0) box.max.z = box.min.z + 1.0;
  return true;
}

bool barAround(const Program& program, BarStock& bar) {
  bool any = false;
  double radius = 0, front = 0, back = 0;
  Point from = program.start;
  for (const ProgramMove& m : program.moves) {
    if (m.motion != Motion::Rapid)
      for (const Point& p : pointsAlong(from, m)) {
        radius = std::max(radius, std::abs(p.x));
        front = any ? std::max(front, p.z) : p.z;
        back = any ? std::min(back, p.z) : p.z;
        any = true;
      }
    from = m.end;
  }
  if (!any || radius <= 0) return false;
  bar = {2 * radius, front, front - back + 5.0};
  return true;
}

}  // namespace host
