#include "GCodeReader.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

namespace host {

namespace {

namespace gc = korvane::gcode;

constexpr double kDegree = 0.017453292519943295;
constexpr double kPi = 3.14159265358979323846;
// How far a chord of a spiral arc may stray from it, mm.
constexpr double kSpiralTolerance = 0.001;
// Radii at an arc's ends closer than this are one radius, mm.
constexpr double kSameRadius = 1e-6;
// Chords of one spiral arc at most: LinuxCNC lets radii differ by
// 0.05 mm, so no real program comes near it.
constexpr size_t kMostChords = 100000;

Point pointOf(const gc::Point& p) { return {p.x, p.y, p.z}; }

double& along(Point& p, int axis) { return axis == 0 ? p.x : axis == 1 ? p.y : p.z; }
double along(const Point& p, int axis) { return axis == 0 ? p.x : axis == 1 ? p.y : p.z; }

// The arc's plane: its first and second in-plane axes, seen from the
// third, along which a helix rises.
struct ArcPlane {
  int first, second, normal;
};

ArcPlane planeOf(const gc::Point& axis) {
  if (axis.y != 0) return {2, 0, 1};
  if (axis.x != 0) return {1, 2, 0};
  return {0, 1, 2};
}

// Turns an interpreted program into the host's, arcs made drawable.
class Conversion {
 public:
  Conversion(const gc::Program& in, Program& out, bool lathe) : in_(in), out_(out), lathe_(lathe) {}

  void run() {
    Point at = pointOf(in_.start);
    Point rotaryAt{};
    size_t change = 0, stop = 0;
    for (size_t i = 0; i < in_.moves.size(); ++i) {
      for (; change < in_.toolChanges.size() && in_.toolChanges[change].move <= i; ++change)
        toolChange(in_.toolChanges[change]);
      for (; stop < in_.stops.size() && in_.stops[stop].move <= i; ++stop)
        if (in_.stops[stop].kind == gc::StopKind::Optional) out_.optionalStops.push_back(out_.moves.size());
      const gc::Move& m = in_.moves[i];
      if (m.motion == gc::Motion::ArcClockwise || m.motion == gc::Motion::ArcCounterClockwise)
        arc(m, at, rotaryAt);
      else
        out_.moves.push_back(moveOf(m));
      at = out_.moves.back().end;
      rotaryAt = out_.moves.back().rotary;
    }
    for (; change < in_.toolChanges.size(); ++change) toolChange(in_.toolChanges[change]);
    for (; stop < in_.stops.size(); ++stop)
      if (in_.stops[stop].kind == gc::StopKind::Optional) out_.optionalStops.push_back(out_.moves.size());
  }

 private:
  // A lathe's T0101 is tool 1 with offset 1; a mill's T is the tool.
  int toolOf(int t) const { return lathe_ && t >= 100 ? t / 100 : t; }

  void toolChange(const gc::ToolChange& c) {
    const int tool = toolOf(c.tool);
    if (tool == 0) return;
    if (!out_.toolChanges.empty() && out_.toolChanges.back().tool == tool) return;
    out_.toolChanges.push_back({tool, out_.moves.size(), c.line});
  }

  ProgramMove moveOf(const gc::Move& m) const {
    ProgramMove p;
    p.motion = m.motion == gc::Motion::Rapid ? Motion::Rapid
               : m.motion == gc::Motion::Feed ? Motion::Linear
               : m.motion == gc::Motion::ArcClockwise ? Motion::ArcClockwise
                                                      : Motion::ArcCounterClockwise;
    p.end = pointOf(m.end);
    if (p.motion == Motion::ArcClockwise || p.motion == Motion::ArcCounterClockwise) {
      p.centre = pointOf(m.centre);
      p.axis = pointOf(m.axis);
    }
    p.rotary = {m.rotary.x * kDegree, m.rotary.y * kDegree, m.rotary.z * kDegree};
    p.feed = m.feed;
    // The view turns the spindle one way; M4 is as fast as M3.
    p.spindle = std::abs(m.spindle);
    p.tool = toolOf(m.tool);
    p.line = m.file == 0 ? m.line : 0;
    return p;
  }

  // An arc as the view draws it: as it is when it turns less than a whole
  // circle at one radius; otherwise in pieces, arcs of at most half a turn
  // or, for a spiral, chords.
  void arc(const gc::Move& m, const Point& from, const Point& rotaryFrom) {
    const ArcPlane plane = planeOf(m.axis);
    const Point centre = pointOf(m.centre);
    const double cu = along(centre, plane.first), cv = along(centre, plane.second);
    const double su = along(from, plane.first) - cu, sv = along(from, plane.second) - cv;
    const Point end = pointOf(m.end);
    const double tu = along(end, plane.first) - cu, tv = along(end, plane.second) - cv;
    const double startRadius = std::hypot(su, sv), endRadius = std::hypot(tu, tv);
    const double turn = m.motion == gc::Motion::ArcClockwise ? -1.0 : 1.0;
    double sweep = turn * std::atan2(su * tv - sv * tu, su * tu + sv * tv);
    if (sweep <= 1e-12) sweep += 2 * kPi;
    sweep += 2 * kPi * m.turns;
    const bool spiral = std::abs(startRadius - endRadius) > kSameRadius;
    if (!spiral && sweep < 2 * kPi - 1e-9) {
      out_.moves.push_back(moveOf(m));
      return;
    }
    size_t pieces = static_cast<size_t>(std::ceil(sweep / kPi - 1e-9));
    if (spiral) {
      const double radius = std::max(startRadius, endRadius);
      const double step = radius > kSpiralTolerance ? 2 * std::acos(1 - kSpiralTolerance / radius) : kPi;
      pieces = std::clamp(static_cast<size_t>(std::ceil(sweep / step)), pieces, kMostChords);
    }
    const double startAngle = std::atan2(sv, su);
    const double rise = along(end, plane.normal) - along(from, plane.normal);
    Point pieceStart = from;
    for (size_t k = 1; k <= pieces; ++k) {
      const double share = static_cast<double>(k) / static_cast<double>(pieces);
      ProgramMove piece = moveOf(m);
      if (k < pieces) {
        const double angle = startAngle + turn * sweep * share;
        const double radius = startRadius + (endRadius - startRadius) * share;
        along(piece.end, plane.first) = cu + radius * std::cos(angle);
        along(piece.end, plane.second) = cv + radius * std::sin(angle);
        along(piece.end, plane.normal) = along(from, plane.normal) + rise * share;
        piece.rotary = {rotaryFrom.x + (piece.rotary.x - rotaryFrom.x) * share,
                        rotaryFrom.y + (piece.rotary.y - rotaryFrom.y) * share,
                        rotaryFrom.z + (piece.rotary.z - rotaryFrom.z) * share};
      }
      if (spiral) {
        piece.motion = Motion::Linear;
        piece.centre = piece.axis = Point{};
      } else {
        along(piece.centre, plane.normal) = along(pieceStart, plane.normal);
      }
      out_.moves.push_back(piece);
      pieceStart = piece.end;
    }
  }

  const gc::Program& in_;
  Program& out_;
  bool lathe_;
};

}  // namespace

Program readGCode(std::string_view text, const std::string& name, const ReadOptions& options) {
  gc::Options interpreting;
  interpreting.lathe = options.lathe;
  interpreting.tools = options.tools;
  interpreting.toolInSpindle = options.toolInSpindle;
  gc::Program interpreted;
  try {
    interpreted = gc::interpret(text, name, interpreting);
  } catch (const gc::Error& e) {
    throw GCodeError(e.what());
  }
  Program program;
  program.lathe = options.lathe;
  if (options.toolInSpindle != 0 && !interpreted.moves.empty())
    program.toolChanges.push_back({options.toolInSpindle, 0, 0});
  Conversion(interpreted, program, options.lathe).run();
  for (const gc::Message& m : interpreted.messages)
    program.messages.push_back(interpreted.files[m.file] + ":" + std::to_string(m.line) + ": " +
                               (m.kind == gc::Message::Kind::Warning ? "warning: " : "") + m.text);
  if (program.lathe && !program.moves.empty()) program.start = program.moves.front().end;
  else program.start = pointOf(interpreted.start);
  program.text = text;
  return program;
}

Program readGCodeFile(const std::string& path, const ReadOptions& options) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw GCodeError(path + ": cannot be read");
  std::ostringstream text;
  text << file.rdbuf();
  return readGCode(text.str(), path, options);
}

}  // namespace host
