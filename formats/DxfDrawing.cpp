#include "formats/DxfDrawing.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <numbers>
#include <span>
#include <system_error>
#include <unordered_map>

namespace formats {

namespace {

constexpr double kTurn = 2 * std::numbers::pi;
// A huge radius must not ask for millions of chords.
constexpr int kMostChordsPerArc = 4096;
// Drawings are read whole into memory.
constexpr size_t kLargestDrawing = size_t{512} << 20;
// Blocks placed inside blocks, and arrays of them, multiply: past these the
// drawing is refused rather than let fill memory.
constexpr int kDeepestInsert = 16;
constexpr size_t kMostSegments = size_t{1} << 26;
constexpr uint64_t kMostEntitiesDrawn = uint64_t{1} << 26;

// One group: a code line and the value line after it.
struct Group {
  int code;
  std::string_view value;
};
using Groups = std::span<const Group>;

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.back() == '\r' || s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  return s;
}

// The text's groups; none when a code line is not a group code. A code
// line at the very end without its value is a drawing cut short: the
// groups before it stand.
std::optional<std::vector<Group>> groupsOf(std::string_view text) {
  std::vector<Group> groups;
  size_t at = 0;
  const auto nextLine = [&](std::string_view& line) {
    if (at >= text.size()) return false;
    const size_t end = std::min(text.find('\n', at), text.size());
    line = trimmed(text.substr(at, end - at));
    at = end + 1;
    return true;
  };
  std::string_view codeLine, value;
  while (nextLine(codeLine)) {
    if (codeLine.empty() && at >= text.size()) break;  // the last line's end
    int code = 0;
    const auto [end, error] = std::from_chars(codeLine.data(), codeLine.data() + codeLine.size(), code);
    if (error != std::errc() || end != codeLine.data() + codeLine.size() || code < -5 || code > 1071)
      return std::nullopt;
    if (!nextLine(value)) break;
    groups.push_back({code, value});
  }
  return groups;
}

double number(std::string_view text, double fallback) {
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && std::isfinite(value) ? value : fallback;
}

// The value of an entity's first group of that code.
double valueOf(Groups entity, int code, double fallback = 0.0) {
  for (const Group& g : entity)
    if (g.code == code) return number(g.value, fallback);
  return fallback;
}
// An entity's flags (group 70, a 16-bit integer); a value out of that
// range is no flags.
int flagsOf(Groups entity) {
  const double value = valueOf(entity, 70);
  return value >= 0 && value <= 65535 ? static_cast<int>(value) : 0;
}

std::string_view textOf(Groups entity, int code) {
  for (const Group& g : entity)
    if (g.code == code) return g.value;
  return {};
}

// The entities of a run of groups: each from its group 0 to the next. A
// polyline takes its vertices up to SEQEND with it, an insert its
// attributes.
struct Entity {
  std::string_view type;
  Groups groups;
  std::vector<Groups> vertices;
};

// 2D affine placement: x' = m[0] x + m[1] y + m[2], y' = m[3] x + m[4] y + m[5].
using Placement = std::array<double, 6>;
constexpr Placement kIdentity = {1, 0, 0, 0, 1, 0};

Placement operator*(const Placement& a, const Placement& b) {
  return {a[0] * b[0] + a[1] * b[3], a[0] * b[1] + a[1] * b[4], a[0] * b[2] + a[1] * b[5] + a[2],
          a[3] * b[0] + a[4] * b[3], a[3] * b[1] + a[4] * b[4], a[3] * b[2] + a[4] * b[5] + a[5]};
}
Placement moved(double x, double y) { return {1, 0, x, 0, 1, y}; }
Placement turned(double radians) {
  const double c = std::cos(radians), s = std::sin(radians);
  return {c, -s, 0, s, c, 0};
}
Placement scaled(double x, double y) { return {x, 0, 0, 0, y, 0}; }

double radians(double degrees) { return degrees * std::numbers::pi / 180.0; }

class Drawing {
 public:
  explicit Drawing(const std::vector<Group>& groups) {
    for (size_t i = 0; i < groups.size();) {
      if (groups[i].code != 0 || groups[i].value != "SECTION") {
        ++i;
        continue;
      }
      const std::string_view name = i + 1 < groups.size() && groups[i + 1].code == 2 ? groups[i + 1].value : "";
      size_t end = i + 1;
      while (end < groups.size() && !(groups[end].code == 0 && (groups[end].value == "ENDSEC" || groups[end].value == "EOF")))
        ++end;
      const Groups section(groups.data() + i + 1, end - i - 1);
      if (name == "ENTITIES") entities_ = entitiesOf(section);
      if (name == "BLOCKS") readBlocks(section);
      i = end;
      sections_ = true;
    }
  }
  bool isDrawing() const { return sections_; }

  // False when the drawing holds more segments than it may.
  bool draw(std::vector<DxfSegment>& out) {
    out_ = &out;
    for (const Entity& entity : entities_)
      if (!add(entity, kIdentity, 0)) return false;
    return true;
  }

 private:
  struct Block {
    double baseX = 0, baseY = 0;
    std::vector<Entity> entities;
  };

  static std::vector<Entity> entitiesOf(Groups groups) {
    std::vector<Entity> entities;
    for (size_t i = 0; i < groups.size();) {
      size_t end = i + 1;
      while (end < groups.size() && groups[end].code != 0) ++end;
      if (groups[i].code != 0) {
        i = end;
        continue;
      }
      Entity entity{groups[i].value, groups.subspan(i, end - i), {}};
      i = end;
      const bool followed = entity.type == "POLYLINE" || (entity.type == "INSERT" && textOf(entity.groups, 66) == "1");
      while (followed && i < groups.size() && groups[i].value != "SEQEND" &&
             (groups[i].value == "VERTEX" || groups[i].value == "ATTRIB")) {
        size_t next = i + 1;
        while (next < groups.size() && groups[next].code != 0) ++next;
        if (groups[i].value == "VERTEX") entity.vertices.push_back(groups.subspan(i, next - i));
        i = next;
      }
      if (followed && i < groups.size() && groups[i].value == "SEQEND") ++i;
      entities.push_back(std::move(entity));
    }
    return entities;
  }

  void readBlocks(Groups section) {
    for (size_t i = 0; i < section.size(); ++i) {
      if (section[i].code != 0 || section[i].value != "BLOCK") continue;
      size_t head = i + 1;
      while (head < section.size() && section[head].code != 0) ++head;
      const Groups header = section.subspan(i, head - i);
      size_t end = head;
      while (end < section.size() && !(section[end].code == 0 && section[end].value == "ENDBLK")) ++end;
      Block block{valueOf(header, 10), valueOf(header, 20), entitiesOf(section.subspan(head, end - head))};
      blocks_[std::string(textOf(header, 2))] = std::move(block);
      i = end;
    }
  }

  bool add(const Entity& e, const Placement& placement, int depth) {
    if (++drawn_ > kMostEntitiesDrawn) return false;
    const Groups g = e.groups;
    // Drawn in the plane seen from below: its own X runs the other way.
    const Placement place = valueOf(g, 230, 1.0) < 0 ? placement * scaled(-1, 1) : placement;
    if (e.type == "LINE") {
      segment(place, valueOf(g, 10), valueOf(g, 20), valueOf(g, 11), valueOf(g, 21));
    } else if (e.type == "ARC") {
      const double a0 = radians(valueOf(g, 50)), a1 = radians(valueOf(g, 51));
      double sweep = std::fmod(a1 - a0, kTurn);
      if (!(sweep > 0)) sweep += kTurn;
      path(place, arcPoints(valueOf(g, 10), valueOf(g, 20), valueOf(g, 40), a0, sweep));
    } else if (e.type == "CIRCLE") {
      path(place, arcPoints(valueOf(g, 10), valueOf(g, 20), valueOf(g, 40), 0, kTurn));
    } else if (e.type == "LWPOLYLINE") {
      std::vector<Vertex> vertices;
      for (const Group& group : g) {
        if (group.code == 10) vertices.push_back({number(group.value, 0), 0, 0});
        if (vertices.empty()) continue;
        if (group.code == 20) vertices.back().y = number(group.value, 0);
        if (group.code == 42) vertices.back().bulge = number(group.value, 0);
      }
      polyline(place, vertices, (flagsOf(g) & 1) != 0);
    } else if (e.type == "POLYLINE") {
      const int flags = flagsOf(g);
      if (flags & (16 | 64)) return room();  // meshes and faces are surfaces, not outlines
      std::vector<Vertex> vertices;
      for (const Groups v : e.vertices) vertices.push_back({valueOf(v, 10), valueOf(v, 20), valueOf(v, 42)});
      polyline(place, vertices, (flags & 1) != 0);
    } else if (e.type == "INSERT") {
      return insert(g, place, depth);
    }
    return room();
  }

  bool insert(Groups g, const Placement& placement, int depth) {
    const auto block = blocks_.find(std::string(textOf(g, 2)));
    if (block == blocks_.end() || depth >= kDeepestInsert) return true;
    const double columns = std::clamp(valueOf(g, 70, 1), 1.0, 1e6), rows = std::clamp(valueOf(g, 71, 1), 1.0, 1e6);
    if (columns * rows > 1e6) return false;
    const Placement base = moved(valueOf(g, 10), valueOf(g, 20)) * turned(radians(valueOf(g, 50)));
    const Placement size = scaled(valueOf(g, 41, 1), valueOf(g, 42, 1)) * moved(-block->second.baseX, -block->second.baseY);
    for (int row = 0; row < static_cast<int>(rows); ++row)
      for (int column = 0; column < static_cast<int>(columns); ++column) {
        const Placement place =
            placement * base * moved(column * valueOf(g, 44), row * valueOf(g, 45)) * size;
        for (const Entity& entity : block->second.entities)
          if (!add(entity, place, depth + 1)) return false;
      }
    return true;
  }

  struct Vertex {
    double x, y, bulge;
  };

  bool room() const { return out_->size() <= kMostSegments; }

  void segment(const Placement& m, double x0, double y0, double x1, double y1) {
    const auto at = [&](double x, double y) {
      return std::array<float, 2>{static_cast<float>(m[0] * x + m[1] * y + m[2]),
                                  static_cast<float>(m[3] * x + m[4] * y + m[5])};
    };
    const std::array<float, 2> p = at(x0, y0), q = at(x1, y1);
    if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(q[0]) || !std::isfinite(q[1])) return;
    if (out_->size() <= kMostSegments) out_->push_back({p[0], p[1], q[0], q[1]});
  }
  void path(const Placement& m, const std::vector<std::array<double, 2>>& points) {
    for (size_t i = 1; i < points.size(); ++i) segment(m, points[i - 1][0], points[i - 1][1], points[i][0], points[i][1]);
  }
  // A bulge is the tangent of a quarter of the arc's sweep from a vertex to
  // the next, positive counter-clockwise.
  void polyline(const Placement& m, const std::vector<Vertex>& v, bool closed) {
    const size_t n = v.size();
    const size_t spans = n < 2 ? 0 : closed ? n : n - 1;
    for (size_t i = 0; i < spans; ++i) {
      const Vertex& a = v[i];
      const Vertex& b = v[(i + 1) % n];
      const double chord = std::hypot(b.x - a.x, b.y - a.y);
      if (a.bulge == 0.0 || !(chord > 0)) {
        segment(m, a.x, a.y, b.x, b.y);
        continue;
      }
      const double sweep = 4 * std::atan(a.bulge);
      const double radius = chord / (2 * std::sin(std::abs(sweep) / 2));
      // The centre lies off the chord's middle, to the left of a to b for a
      // counter-clockwise arc of less than half a turn.
      const double offset = radius * std::cos(std::abs(sweep) / 2) * (sweep > 0 ? 1 : -1);
      const double cx = (a.x + b.x) / 2 - (b.y - a.y) / chord * offset;
      const double cy = (a.y + b.y) / 2 + (b.x - a.x) / chord * offset;
      std::vector<std::array<double, 2>> points = arcPoints(cx, cy, radius, std::atan2(a.y - cy, a.x - cx), sweep);
      points.front() = {a.x, a.y};
      points.back() = {b.x, b.y};
      path(m, points);
    }
  }

  std::vector<Entity> entities_;
  std::unordered_map<std::string, Block> blocks_;
  std::vector<DxfSegment>* out_ = nullptr;
  uint64_t drawn_ = 0;  // entities drawn, blocks' entities once per insert
  bool sections_ = false;
};

}  // namespace

std::vector<std::array<double, 2>> arcPoints(double cx, double cy, double r, double a0, double sweep) {
  r = std::abs(r);
  int chords = 1;
  if (r > kArcTolerance && std::isfinite(r) && std::isfinite(sweep)) {
    const double step = 2 * std::acos(1 - kArcTolerance / r);
    chords = static_cast<int>(std::min(std::ceil(std::abs(sweep) / std::min(step, kTurn / 8)), double{kMostChordsPerArc}));
  }
  chords = std::clamp(chords, 1, kMostChordsPerArc);
  std::vector<std::array<double, 2>> points;
  points.reserve(static_cast<size_t>(chords) + 1);
  for (int k = 0; k <= chords; ++k) {
    const double a = a0 + sweep * k / chords;
    points.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
  }
  return points;
}

std::optional<std::vector<DxfSegment>> dxfSegments(std::string_view text) {
  const std::optional<std::vector<Group>> groups = groupsOf(text);
  if (!groups) return std::nullopt;
  Drawing drawing(*groups);
  if (!drawing.isDrawing()) return std::nullopt;
  std::vector<DxfSegment> segments;
  if (!drawing.draw(segments)) return std::nullopt;
  return segments;
}

std::optional<std::vector<DxfSegment>> readDxfSegments(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::string text;
  char buffer[1 << 16];
  while (file.read(buffer, sizeof buffer) || file.gcount() > 0) {
    text.append(buffer, static_cast<size_t>(file.gcount()));
    if (text.size() > kLargestDrawing) return std::nullopt;
  }
  return dxfSegments(text);
}

}  // namespace formats
