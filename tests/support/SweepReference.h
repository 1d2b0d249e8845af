#pragma once
// Exact answers for milling tests, independent of the cut shaders: tools as
// solids of revolution about their axis (tip at height 0), and the solid a
// tool sweeps along a straight move with a fixed axis. A point is inside the
// sweep when some position of the tool along the move contains it.
#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include <glm/geometric.hpp>
#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

namespace testsupport {

// Signed distance in the meridian plane: (radius >= 0, height), negative
// inside. Exact outside; inside it may under-state the depth.
using MeridianDistance = std::function<double(double radius, double height)>;

inline double boxDistance2d(glm::dvec2 p, glm::dvec2 min, glm::dvec2 max) {
  const glm::dvec2 q = glm::abs(p - (min + max) * 0.5) - (max - min) * 0.5;
  return glm::length(glm::max(q, 0.0)) + std::min(std::max(q.x, q.y), 0.0);
}

// Signed distance to a polygon (closed from its last point back to its
// first), negative inside.
inline double polygonDistance(const std::vector<glm::dvec2>& polygon, glm::dvec2 p) {
  double nearest = 1e300;
  bool inside = false;
  for (size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
    const glm::dvec2 a = polygon[j], b = polygon[i], e = b - a;
    const double t = std::clamp(glm::dot(p - a, e) / std::max(glm::dot(e, e), 1e-300), 0.0, 1.0);
    nearest = std::min(nearest, glm::length(p - (a + t * e)));
    if ((a.y > p.y) != (b.y > p.y) && p.x < a.x + (p.y - a.y) / (b.y - a.y) * (b.x - a.x)) inside = !inside;
  }
  return inside ? -nearest : nearest;
}

struct ToolSolid {
  MeridianDistance distance;
  bool convex = true;
  double radius = 0;  // widest
  double length = 0;  // height of the top
  // A tool that is not convex may be given as a union of convex pieces,
  // whose sweeps are then searched one by one.
  std::vector<ToolSolid> convexPieces;
  // A tool that is not turned about its axis: signed distance in its own
  // coordinates (x across, y up the axis, z along axis x across). Replaces
  // distance when set.
  std::function<double(const glm::dvec3&)> localDistance{};
};

inline ToolSolid flatMillSolid(double radius, double length) {
  return {[=](double r, double h) { return boxDistance2d({r, h}, {-radius, 0}, {radius, length}); }, true, radius,
          length, {}};
}

inline ToolSolid ballMillSolid(double radius, double length) {
  return {[=](double r, double h) {
            const double ball = glm::length(glm::dvec2(r, h - radius)) - radius;
            return std::min(ball, boxDistance2d({r, h}, {-radius, radius}, {radius, std::max(length, radius)}));
          },
          true, radius, length, {}};
}

// A flat bottom of radius flat, a corner of radius corner, the side at
// flat + corner up to length.
inline ToolSolid bullNoseSolid(double flat, double corner, double length) {
  return {[=](double r, double h) {
            const double core = boxDistance2d({r, h}, {-flat, 0}, {flat, length});
            const double side = boxDistance2d({r, h}, {-(flat + corner), corner}, {flat + corner, length});
            const double torus = glm::length(glm::dvec2(std::abs(r) - flat, h - corner)) - corner;
            return std::min({core, side, torus});
          },
          true, flat + corner, length, {}};
}

// A tool whose profile runs from the axis at the bottom to the axis at the
// top through (radius, height) points; its cross-section is the profile and
// its mirror image.
inline ToolSolid profileSolid(const std::vector<glm::dvec2>& profile, bool convex);

// A tool whose every level is a disc, as the union of the frusta under its
// profile segments.
inline ToolSolid frustaSolid(const std::vector<glm::dvec2>& profile) {
  ToolSolid tool = profileSolid(profile, false);
  for (size_t i = 1; i < profile.size(); ++i) {
    const glm::dvec2 a = profile[i - 1], b = profile[i];
    if (a.y == b.y) continue;
    const glm::dvec2 low = a.y < b.y ? a : b, high = a.y < b.y ? b : a;
    tool.convexPieces.push_back(profileSolid({{0, low.y}, low, high, {0, high.y}}, true));
  }
  return tool;
}

inline ToolSolid profileSolid(const std::vector<glm::dvec2>& profile, bool convex) {
  std::vector<glm::dvec2> polygon = profile;
  for (size_t i = profile.size(); i-- > 0;) polygon.push_back({-profile[i].x, profile[i].y});
  double widest = 0, top = 0;
  for (const glm::dvec2& p : profile) widest = std::max(widest, p.x), top = std::max(top, p.y);
  return {[polygon](double r, double h) { return polygonDistance(polygon, {r, h}); }, convex, widest, top, {}, {}};
}

// A closed loop of (radius, height) points turned about the axis: a ring
// whose inside stays standing.
inline ToolSolid loopSolid(const std::vector<glm::dvec2>& loop) {
  double widest = 0, top = 0;
  for (const glm::dvec2& p : loop) widest = std::max(widest, p.x), top = std::max(top, p.y);
  return {[loop](double r, double h) { return polygonDistance(loop, {std::abs(r), h}); }, false, widest, top, {}, {}};
}

// A polygon of (x, height) points extruded from near to far across its plane.
inline ToolSolid prismSolid(const std::vector<glm::dvec2>& polygon, double near, double far) {
  double widest = 0, top = 0;
  for (const glm::dvec2& p : polygon) widest = std::max(widest, std::abs(p.x)), top = std::max(top, p.y);
  ToolSolid tool;
  tool.convex = false;
  tool.radius = std::hypot(widest, std::max(std::abs(near), std::abs(far)));
  tool.length = top;
  tool.localDistance = [=](const glm::dvec3& q) {
    const glm::dvec2 w(polygonDistance(polygon, {q.x, q.y}), std::abs(q.z - (near + far) / 2) - (far - near) / 2);
    return std::min(std::max(w.x, w.y), 0.0) + glm::length(glm::max(w, 0.0));
  };
  return tool;
}

// A tool that does not turn, whose every level is a regular polygon with
// the given number of sides: the profile (from the axis at the bottom to
// the axis at the top) gives the distance to the flats; one corner lies
// along x, the others every 360 / sides degrees towards z. The solid is the
// intersection, over the flats, of the profile's cross-section extruded
// along each flat: inside exactly, its distance a lower bound outside.
inline ToolSolid polygonSidedSolid(const std::vector<glm::dvec2>& profile, int sides) {
  std::vector<glm::dvec2> section = profile;
  for (size_t i = profile.size(); i-- > 0;) section.push_back({-profile[i].x, profile[i].y});
  std::vector<glm::dvec2> flats;
  for (int k = 0; k < sides; ++k) {
    const double angle = M_PI * (2 * k + 1) / sides;
    flats.push_back({std::cos(angle), std::sin(angle)});
  }
  const ToolSolid round = profileSolid(profile, false);
  ToolSolid tool;
  tool.convex = false;
  tool.radius = round.radius / std::cos(M_PI / sides);
  tool.length = round.length;
  tool.localDistance = [section, flats](const glm::dvec3& q) {
    double d = -1e300;
    for (const glm::dvec2& n : flats) d = std::max(d, polygonDistance(section, {q.x * n.x + q.z * n.y, q.y}));
    return d;
  };
  return tool;
}

// A tool on a straight move from `from` to `to` (tip positions) with one axis.
struct LinearSweep {
  glm::dvec3 from{0.0}, to{0.0};
  glm::dvec3 axis{0.0, 0.0, 1.0};  // unit, from the tip into the holder
  ToolSolid tool;
  // Tools that are not turned: their x direction, made square to the axis.
  glm::dvec3 across{1.0, 0.0, 0.0};
  // When set, the axis turns at an even rate from axis to endAxis.
  std::optional<glm::dvec3> endAxis{};

  glm::dvec3 axisAt(double t) const {
    if (!endAxis) return axis;
    const double angle = std::acos(std::clamp(glm::dot(axis, *endAxis), -1.0, 1.0));
    if (angle < 1e-12) return axis;
    return (std::sin((1 - t) * angle) * axis + std::sin(t * angle) * *endAxis) / std::sin(angle);
  }

  // Signed distance of p to the tool placed with its tip at tip and its
  // axis along up (the start axis unless given).
  double toolDistance(const glm::dvec3& p, const glm::dvec3& tip) const { return toolDistance(p, tip, axis); }
  double toolDistance(const glm::dvec3& p, const glm::dvec3& tip, const glm::dvec3& up) const {
    const glm::dvec3 d = p - tip;
    const double height = glm::dot(d, up);
    if (tool.localDistance) {
      const glm::dvec3 x = glm::normalize(across - glm::dot(across, up) * up);
      return tool.localDistance({glm::dot(d, x), height, glm::dot(d, glm::cross(up, x))});
    }
    return tool.distance(glm::length(d - height * up), height);
  }

  // The least signed distance over the tool's positions: exact outside the
  // sweep; inside, a lower bound of the depth. For a convex tool it is a
  // convex function of the position, found by golden-section search; other
  // tools are sampled and refined.
  double distance(const glm::dvec3& p) const {
    // Far from the tip's path the tool cannot reach: the distance to the
    // path less the tool's reach is a lower bound, and enough.
    const glm::dvec3 path = to - from;
    const double along = glm::dot(path, path) > 0 ? std::clamp(glm::dot(p - from, path) / glm::dot(path, path), 0.0, 1.0) : 0.0;
    const double reach = tool.radius + tool.length;
    const double far = glm::length(p - (from + along * path)) - reach;
    if (far > 1.0) return far;
    if (!tool.convexPieces.empty()) {
      double nearest = 1e300;
      for (const ToolSolid& piece : tool.convexPieces)
        nearest = std::min(nearest, LinearSweep{from, to, axis, piece, across, endAxis}.distance(p));
      return nearest;
    }
    auto at = [&](double t) { return toolDistance(p, from + (to - from) * t, axisAt(t)); };
    if (glm::length(to - from) < 1e-12 && !endAxis) return at(0);
    double low = 0, high = 1;
    if (!tool.convex && !endAxis) {
      // The tool lies in the cylinder of its widest radius from the tip up,
      // whose sweep is convex: its distance is a cheap lower bound.
      const double bound = LinearSweep{from, to, axis, flatMillSolid(tool.radius, tool.length)}.distance(p);
      if (bound > 1.0) return bound;
    }
    if (!tool.convex || endAxis) {
      // The tool's distance changes no faster than its points move, so a
      // few samples bound it from below; far from the sweep that is enough.
      constexpr int kCoarse = 32;
      double coarse = 1e300;
      for (int i = 0; i <= kCoarse; ++i) coarse = std::min(coarse, at(double(i) / kCoarse));
      const double turn = endAxis ? std::acos(std::clamp(glm::dot(axis, *endAxis), -1.0, 1.0)) : 0.0;
      const double bound = coarse - 0.5 * (glm::length(path) + reach * turn) / kCoarse;
      if (bound > 1.0) return bound;
      constexpr int kSamples = 256;
      int best = 0;
      double bestValue = at(0);
      for (int i = 1; i <= kSamples; ++i)
        if (const double v = at(double(i) / kSamples); v < bestValue) bestValue = v, best = i;
      low = std::max(0.0, (best - 1.0) / kSamples);
      high = std::min(1.0, (best + 1.0) / kSamples);
    }
    const double golden = (std::sqrt(5.0) - 1) / 2;
    double a = high - golden * (high - low), b = low + golden * (high - low);
    double fa = at(a), fb = at(b);
    for (int i = 0; i < 48; ++i) {
      if (fa < fb) {
        high = b, b = a, fb = fa;
        a = high - golden * (high - low);
        fa = at(a);
      } else {
        low = a, a = b, fa = fb;
        b = low + golden * (high - low);
        fb = at(b);
      }
    }
    return std::min({fa, fb, at(0), at(1)});
  }

  bool inside(const glm::dvec3& p) const { return distance(p) < 0; }
};

}  // namespace testsupport
