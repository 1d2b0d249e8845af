#include "CutterCompensation.h"

#include <cmath>

#include "Error.h"

namespace korvane::gcode {
namespace {

constexpr double kTiny = 1e-9;
constexpr double kTurn = 2 * M_PI;

double& coordinate(Point& p, int axis) { return axis == 0 ? p.x : axis == 1 ? p.y : p.z; }
double coordinate(const Point& p, int axis) { return axis == 0 ? p.x : axis == 1 ? p.y : p.z; }

}  // namespace

CutterCompensation::CutterCompensation(Side side, double radius, int first, int second, const Point& normal,
                                       const Point& tool, Emit emit)
    : side_(side),
      radius_(radius),
      sign_(side == Side::Left ? 1.0 : -1.0),
      first_(first),
      second_(second),
      normal_(normal),
      tool_(tool),
      emit_(std::move(emit)) {}

CutterCompensation::V2 CutterCompensation::planar(const Point& p) const {
  return {coordinate(p, first_), coordinate(p, second_)};
}

Point CutterCompensation::placed(Point p, const V2& at) const {
  coordinate(p, first_) = at.u;
  coordinate(p, second_) = at.v;
  return p;
}

// The tool's place for the path's point p running along `tangent`: the
// radius to its left (G41) or right (G42).
CutterCompensation::V2 CutterCompensation::offset(const V2& p, const V2& tangent) const {
  return {p.u - sign_ * radius_ * tangent.v, p.v + sign_ * radius_ * tangent.u};
}

CutterCompensation::Element CutterCompensation::elementOf(const Move& m, const Point& from, size_t column) const {
  Element e;
  e.move = m;
  const V2 s = planar(from), t = planar(m.end);
  e.corner = t;
  e.arc = m.motion == Motion::ArcClockwise || m.motion == Motion::ArcCounterClockwise;
  if (!e.arc) {
    const double length = std::hypot(t.u - s.u, t.v - s.v);
    const V2 along{(t.u - s.u) / length, (t.v - s.v) / length};
    e.tangentStart = e.tangentEnd = along;
    e.start = offset(s, along);
    e.end = offset(t, along);
    return e;
  }
  e.counterClockwise = m.motion == Motion::ArcCounterClockwise;
  e.centre = planar(m.centre);
  const auto tangentAt = [&](const V2& p) {
    const double r = std::hypot(p.u - e.centre.u, p.v - e.centre.v);
    const V2 radial{(p.u - e.centre.u) / r, (p.v - e.centre.v) / r};
    return e.counterClockwise ? V2{-radial.v, radial.u} : V2{radial.v, -radial.u};
  };
  // The tool runs inside the arc when it is on the side the arc turns to.
  const bool inside = e.counterClockwise == (side_ == Side::Left);
  const double startRadius = std::hypot(s.u - e.centre.u, s.v - e.centre.v);
  const double endRadius = std::hypot(t.u - e.centre.u, t.v - e.centre.v);
  if (std::min(startRadius, endRadius) <= kTiny) throw LineError(column, "an arc of no radius");
  if (inside && std::min(startRadius, endRadius) <= radius_ + kTiny)
    throw LineError(column, "the tool's radius is not smaller than the arc's: the tool would gouge");
  e.tangentStart = tangentAt(s);
  e.tangentEnd = tangentAt(t);
  e.start = offset(s, e.tangentStart);
  e.end = offset(t, e.tangentEnd);
  return e;
}

// From where the tool stands to where it touches the circle of the radius
// about the programmed end, running along the tangent.
CutterCompensation::Element CutterCompensation::entryOf(const Move& m, size_t column) const {
  const V2 s = planar(tool_), target = planar(m.end);
  const double distance = std::hypot(target.u - s.u, target.v - s.v);
  if (distance <= radius_ + kTiny)
    throw LineError(column, "the entry move after G41/G42 is not longer than the tool's radius");
  const double angle = sign_ * std::asin(radius_ / distance);
  const V2 toward{(target.u - s.u) / distance, (target.v - s.v) / distance};
  const V2 along{toward.u * std::cos(angle) - toward.v * std::sin(angle),
                 toward.u * std::sin(angle) + toward.v * std::cos(angle)};
  const double reach = std::sqrt(distance * distance - radius_ * radius_);
  Element e;
  e.move = m;
  e.start = s;
  e.end = {s.u + along.u * reach, s.v + along.v * reach};
  e.corner = target;
  e.tangentStart = e.tangentEnd = along;
  return e;
}

void CutterCompensation::add(const Move& programmed, const Point& from, size_t column) {
  const bool arc = programmed.motion == Motion::ArcClockwise || programmed.motion == Motion::ArcCounterClockwise;
  const V2 s = planar(from), t = planar(programmed.end);
  if (!arc && std::hypot(t.u - s.u, t.v - s.v) <= kTiny) {
    // Across the plane only: it waits with the held move, whose end is
    // still open, or goes where the tool stands.
    if (held_) {
      held_->waiting.push_back(programmed);
      return;
    }
    Move m = programmed;
    m.end = placed(m.end, planar(tool_));
    emit_(m);
    tool_ = m.end;
    return;
  }
  if (!held_) {
    if (!arc) {
      held_ = entryOf(programmed, column);
      return;
    }
    // An arc entry keeps its centre and ends on its offset: from where the
    // tool stands it spirals out or in to it.
    Element e = elementOf(programmed, from, column);
    e.start = planar(tool_);
    held_ = e;
    return;
  }
  Element next = elementOf(programmed, from, column);
  join(next, column);
}

namespace {

// Angle from a to b about c, turning the given way, in [0, 2π).
double sweepOf(double cu, double cv, double au, double av, double bu, double bv, bool counterClockwise) {
  double angle = std::atan2(bv - cv, bu - cu) - std::atan2(av - cv, au - cu);
  if (!counterClockwise) angle = -angle;
  while (angle < 0) angle += kTurn;
  while (angle >= kTurn) angle -= kTurn;
  return angle;
}

}  // namespace

// Settles the corner between the held move and the next: an arc about the
// programmed corner outside, the offset moves' meeting point inside.
void CutterCompensation::join(Element& next, size_t column) {
  Element held = *held_;
  const V2 a = held.tangentEnd, b = next.tangentStart, corner = held.corner;
  const double cross = a.u * b.v - a.v * b.u, dot = a.u * b.u + a.v * b.v;
  // Moves that meet at a tangent (a slot's side and its end's arc) are
  // computed apart: they join straight on within a millionth.
  const bool straightOn = std::abs(cross) <= 1e-6 && dot > 0;
  const bool inside = !straightOn && sign_ * cross > 0;
  if (straightOn || !inside) {
    release(held);
    const V2 from = planar(tool_);
    if (!straightOn && std::hypot(from.u - next.start.u, from.v - next.start.v) > kTiny)
      roundCorner(held, next, corner);
    held_ = next;
    return;
  }
  // Inside: where the two offset moves meet, the one nearest the corner.
  std::vector<V2> meets;
  const auto onLine = [&](const Element& line, const V2& centre, double r) {
    const V2 d = line.tangentEnd, p = line.start;
    const double pu = p.u - centre.u, pv = p.v - centre.v;
    const double half = d.u * pu + d.v * pv, c = pu * pu + pv * pv - r * r;
    const double disc = half * half - c;
    if (disc < 0) return;
    for (const double s : {-half - std::sqrt(disc), -half + std::sqrt(disc)}) meets.push_back({p.u + d.u * s, p.v + d.v * s});
  };
  if (!held.arc && !next.arc) {
    const double s = ((next.start.u - held.start.u) * b.v - (next.start.v - held.start.v) * b.u) / cross;
    meets.push_back({held.start.u + a.u * s, held.start.v + a.v * s});
  } else if (!held.arc) {
    onLine(held, next.centre, std::hypot(next.start.u - next.centre.u, next.start.v - next.centre.v));
  } else if (!next.arc) {
    onLine(next, held.centre, std::hypot(held.end.u - held.centre.u, held.end.v - held.centre.v));
  } else {
    const V2 c1 = held.centre, c2 = next.centre;
    const double r1 = std::hypot(held.end.u - c1.u, held.end.v - c1.v);
    const double r2 = std::hypot(next.start.u - c2.u, next.start.v - c2.v);
    const double d = std::hypot(c2.u - c1.u, c2.v - c1.v);
    if (d > kTiny && d <= r1 + r2 && d >= std::abs(r1 - r2)) {
      const double along = (d * d + r1 * r1 - r2 * r2) / (2 * d), across = std::sqrt(std::max(0.0, r1 * r1 - along * along));
      const V2 unit{(c2.u - c1.u) / d, (c2.v - c1.v) / d}, base{c1.u + unit.u * along, c1.v + unit.v * along};
      meets.push_back({base.u - unit.v * across, base.v + unit.u * across});
      meets.push_back({base.u + unit.v * across, base.v - unit.u * across});
    }
  }
  const char* gouge = "the tool is too large for this inside corner: it would gouge";
  // Offset moves that touch rather than cross, as near tangents do, meet
  // where they touch.
  if (meets.empty() && std::hypot(held.end.u - next.start.u, held.end.v - next.start.v) <= 1e-4)
    meets.push_back({(held.end.u + next.start.u) / 2, (held.end.v + next.start.v) / 2});
  if (meets.empty()) throw LineError(column, gouge);
  V2 meet = meets.front();
  for (const V2& m : meets)
    if (std::hypot(m.u - corner.u, m.v - corner.v) < std::hypot(meet.u - corner.u, meet.v - corner.v)) meet = m;
  // Neither offset move may run backwards to reach it.
  const auto shortened = [&](const Element& e, const V2& from, const V2& to) {
    if (!e.arc) {
      const double whole = (e.end.u - e.start.u) * e.tangentEnd.u + (e.end.v - e.start.v) * e.tangentEnd.v;
      const double part = (to.u - from.u) * e.tangentEnd.u + (to.v - from.v) * e.tangentEnd.v;
      return part >= -kTiny && part <= whole + 1e-7;
    }
    // Nothing left of an arc would read as a whole circle.
    if (std::hypot(to.u - from.u, to.v - from.v) < 1e-7) return false;
    const double whole = sweepOf(e.centre.u, e.centre.v, e.start.u, e.start.v, e.end.u, e.end.v, e.counterClockwise);
    const double part = sweepOf(e.centre.u, e.centre.v, from.u, from.v, to.u, to.v, e.counterClockwise);
    return whole < 1e-9 || part <= whole + 1e-7;
  };
  if (!shortened(held, held.start, meet) || !shortened(next, meet, next.end)) throw LineError(column, gouge);
  held.end = meet;
  next.start = meet;
  release(held);
  held_ = next;
}

// Round the outside corner about the programmed one, turning away from the
// tool's side, the rotary axes still where the held move left them. A feed
// goes along the arc; a rapid, which cannot, along straight moves that
// circumscribe it (a quarter of a half turn each), never nearer the corner
// than the radius.
void CutterCompensation::roundCorner(const Element& held, const Element& next, const V2& corner) {
  Move round = next.move;
  round.rotary = held.waiting.empty() ? held.move.rotary : held.waiting.back().rotary;
  round.turns = 0;
  if (round.motion != Motion::Rapid) {
    round.motion = side_ == Side::Left ? Motion::ArcClockwise : Motion::ArcCounterClockwise;
    round.end = placed(tool_, next.start);
    round.centre = placed(tool_, corner);
    round.axis = normal_;
    emit_(round);
    tool_ = round.end;
    return;
  }
  const V2 from = planar(tool_);
  const bool counterClockwise = side_ == Side::Right;
  const double start = std::atan2(from.v - corner.v, from.u - corner.u);
  const double sweep = sweepOf(corner.u, corner.v, from.u, from.v, next.start.u, next.start.v, counterClockwise);
  const int pieces = std::max(1, int(std::ceil(sweep / (M_PI / 4))));
  const double step = (counterClockwise ? 1 : -1) * sweep / pieces, reach = radius_ / std::cos(sweep / pieces / 2);
  for (int k = 0; k < pieces; ++k) {
    // Through the corner of the circumscribing polygon, on to the next
    // point on the arc.
    const double middle = start + step * (k + 0.5);
    round.end = placed(tool_, {corner.u + reach * std::cos(middle), corner.v + reach * std::sin(middle)});
    emit_(round);
    tool_ = round.end;
  }
  round.end = placed(tool_, next.start);
  emit_(round);
  tool_ = round.end;
}

void CutterCompensation::release(const Element& e) {
  Move m = e.move;
  m.end = placed(m.end, e.end);
  emit_(m);
  tool_ = m.end;
  for (Move w : e.waiting) {
    w.end = placed(w.end, e.end);
    emit_(w);
    tool_ = w.end;
  }
}

void CutterCompensation::finish() {
  if (held_) release(*held_);
  held_.reset();
}

}  // namespace korvane::gcode
