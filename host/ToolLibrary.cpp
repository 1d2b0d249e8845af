#include "ToolLibrary.h"

#include <algorithm>
#include <cctype>

#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>

namespace host {

namespace {

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> fields;
  std::string field;
  std::istringstream in(text);
  if (separator == ' ') {
    while (in >> field) fields.push_back(field);
  } else {
    while (std::getline(in, field, separator)) fields.push_back(field);
  }
  return fields;
}

double positive(const std::string& text, const std::string& what, const std::string& where) {
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !std::isfinite(value) || value <= 0)
    throw ToolError(where + ": " + what + " must be a positive number, got '" + text + "'");
  return value;
}

int toolNumber(std::string text, const std::string& where) {
  if (!text.empty() && (text[0] == 'T' || text[0] == 't')) text.erase(0, 1);
  char* end = nullptr;
  const long number = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || number < 0 || number > 99999)
    throw ToolError(where + ": '" + text + "' is not a tool number");
  return static_cast<int>(number);
}

SIM_ProfilePoint straight(double radius, double height) {
  return {SIM_SEGMENT_STRAIGHT, float(radius), float(height), 0, 0};
}

SIM_ProfilePoint arc(double radius, double height, double centreRadius, double centreHeight) {
  return {SIM_SEGMENT_ARC_CCW, float(radius), float(height), float(centreRadius), float(centreHeight)};
}

}  // namespace

namespace {

// The insert's sides reach this far from the nose.
constexpr double kInsertSide = 12.0;
// A grooving blade's height above its edge.
constexpr double kBladeHeight = 20.0;
// The plate an insert or blade is drawn as.
constexpr double kInsertThickness = 4.0;

// A rhombus of the included angle held for turning towards the chuck (-Z)
// and facing towards the axis: its main edge rises from the nose 3 degrees
// past the radial direction (a 93 degree approach), the other edge the
// included angle further round, both towards +Z. The nose is rounded by its
// radius; the reference point is the tip the programs lead, where the
// nose's lowest axial and lowest radial tangents meet.
std::vector<SIM_ProfilePoint> turningInsert(const HostTool& insert) {
  const double angle = insert.angle * M_PI / 180, r = insert.cornerRadius;
  const double lean = 3 * M_PI / 180;
  const double ax = std::sin(lean), ay = std::cos(lean);                  // main edge
  const double bx = std::sin(lean + angle), by = std::cos(lean + angle);  // facing edge
  const double tangent = r / std::tan(angle / 2), toCentre = r / std::sin(angle / 2);
  const double mx = ax + bx, my = ay + by, m = std::hypot(mx, my);
  const double cx = mx / m * toCentre, cy = my / m * toCentre;  // the nose centre from the sharp corner
  const double ox = cx - r, oy = cy - r;                          // the tip from the sharp corner
  auto at = [&](double along, double dx, double dy) { return straight(dx * along - ox, dy * along - oy); };
  std::vector<SIM_ProfilePoint> points{at(tangent, ax, ay), at(kInsertSide, ax, ay)};
  points.push_back(straight(kInsertSide * (ax + bx) - ox, kInsertSide * (ay + by) - oy));
  points.push_back(at(kInsertSide, bx, by));
  points.push_back(at(tangent, bx, by));
  const SIM_ProfilePoint start = points.front();
  points.push_back({SIM_SEGMENT_ARC_CW, start.x, start.y, float(cx - ox), float(cy - oy)});
  return points;
}

// A blade of the width, its lower corners rounded, led by the middle of its
// edge.
std::vector<SIM_ProfilePoint> groovingBlade(const HostTool& blade) {
  const double w = blade.width / 2, r = blade.cornerRadius;
  std::vector<SIM_ProfilePoint> points{straight(-w + r, 0)};
  if (w - r > 0) points.push_back(straight(w - r, 0));
  if (r > 0) points.push_back(arc(w, r, w - r, r));
  points.push_back(straight(w, kBladeHeight));
  points.push_back(straight(-w, kBladeHeight));
  points.push_back(straight(-w, r));
  if (r > 0) points.push_back(arc(-w + r, 0, -w + r, r));
  return points;
}

}  // namespace

// A collet chuck above a mill's length: a nut a little wider than the
// tool, then the wider body.
std::vector<SIM_ProfilePoint> holderOf(const HostTool& mill) {
  const double top = mill.length, nut = mill.diameter / 2 + 6, body = mill.diameter / 2 + 16;
  return {straight(0, top),       straight(nut, top),       straight(nut, top + 25),
          straight(body, top + 35), straight(body, top + 60), straight(0, top + 60)};
}

std::vector<SIM_ProfilePoint> profileOf(const HostTool& mill) {
  if (mill.kind == HostTool::Kind::Turn) return turningInsert(mill);
  if (mill.kind == HostTool::Kind::Groove) return groovingBlade(mill);
  const double r = mill.diameter / 2, length = mill.length;
  std::vector<SIM_ProfilePoint> points{straight(0, 0)};
  switch (mill.kind) {
    case HostTool::Kind::Flat:
    case HostTool::Kind::Punch:
      points.push_back(straight(r, 0));
      break;
    case HostTool::Kind::Ball:
      points.push_back(arc(r, r, 0, r));
      break;
    case HostTool::Kind::BullNose: {
      const double c = mill.cornerRadius;
      if (r - c > 1e-9) points.push_back(straight(r - c, 0));
      points.push_back(arc(r, c, r - c, c));
      break;
    }
    case HostTool::Kind::Vee:
      points.push_back(straight(r, r / std::tan(mill.angle / 2 * M_PI / 180)));
      break;
    case HostTool::Kind::Turn:
    case HostTool::Kind::Groove: break;  // inserts, above
  }
  points.push_back(straight(r, length));
  points.push_back(straight(0, length));
  return points;
}

HostTool ToolLibrary::toolOf(const std::vector<std::string>& fields, const std::string& where) {
  // fields: kind and its numbers
  if (fields.empty()) throw ToolError(where + ": a tool needs a kind (flat, ball, bull, vee, punch, turn or groove)");
  HostTool mill;
  const std::string& kind = fields[0];
  const size_t numbers = fields.size() - 1;
  if (kind == "flat" || kind == "ball") {
    mill.kind = kind == "flat" ? HostTool::Kind::Flat : HostTool::Kind::Ball;
    if (numbers != 2) throw ToolError(where + ": " + kind + " needs a diameter and a length");
    mill.diameter = positive(fields[1], "the diameter", where);
    mill.length = positive(fields[2], "the length", where);
  } else if (kind == "bull") {
    mill.kind = HostTool::Kind::BullNose;
    if (numbers != 3) throw ToolError(where + ": bull needs a diameter, a corner radius and a length");
    mill.diameter = positive(fields[1], "the diameter", where);
    mill.cornerRadius = positive(fields[2], "the corner radius", where);
    mill.length = positive(fields[3], "the length", where);
    if (mill.cornerRadius > mill.diameter / 2)
      throw ToolError(where + ": the corner radius is larger than half the diameter");
  } else if (kind == "vee") {
    mill.kind = HostTool::Kind::Vee;
    if (numbers != 3) throw ToolError(where + ": vee needs a diameter, an included angle and a length");
    mill.diameter = positive(fields[1], "the diameter", where);
    mill.angle = positive(fields[2], "the included angle", where);
    mill.length = positive(fields[3], "the length", where);
    if (mill.angle < 10 || mill.angle > 170) throw ToolError(where + ": the included angle lies outside 10 to 170 degrees");
    if (mill.length <= mill.diameter / 2 / std::tan(mill.angle / 2 * M_PI / 180))
      throw ToolError(where + ": the length is shorter than the tool's point");
    return mill;
  } else if (kind == "punch") {
    // A tool that does not turn, its flats square to the tool's x.
    mill.kind = HostTool::Kind::Punch;
    if (numbers != 3) throw ToolError(where + ": punch needs a number of sides, a diameter across the flats and a length");
    const double sides = positive(fields[1], "the number of sides", where);
    if (sides != std::floor(sides) || sides < 3 || sides > 120)
      throw ToolError(where + ": the number of sides is not a whole number from 3 to 120");
    mill.sides = static_cast<uint32_t>(sides);
    mill.diameter = positive(fields[2], "the diameter", where);
    mill.length = positive(fields[3], "the length", where);
  } else if (kind == "turn") {
    mill.kind = HostTool::Kind::Turn;
    if (numbers != 2) throw ToolError(where + ": turn needs an included angle and a nose radius");
    mill.angle = positive(fields[1], "the included angle", where);
    mill.cornerRadius = positive(fields[2], "the nose radius", where);
    if (mill.angle < 20 || mill.angle > 90) throw ToolError(where + ": the included angle lies outside 20 to 90 degrees");
    if (mill.cornerRadius > 2) throw ToolError(where + ": the nose radius is above 2");
    return mill;
  } else if (kind == "groove") {
    mill.kind = HostTool::Kind::Groove;
    if (numbers != 2) throw ToolError(where + ": groove needs a width and a corner radius");
    mill.width = positive(fields[1], "the width", where);
    mill.cornerRadius = fields[2] == "0" ? 0 : positive(fields[2], "the corner radius", where);
    if (mill.cornerRadius > mill.width / 2) throw ToolError(where + ": the corner radius is larger than half the width");
    return mill;
  } else {
    throw ToolError(where + ": unknown tool kind '" + kind + "' (flat, ball, bull, vee, punch, turn or groove)");
  }
  if (mill.length < mill.diameter / 2) throw ToolError(where + ": the length is shorter than the tool's tip");
  return mill;
}

void ToolLibrary::readText(const std::string& text, const std::string& name) {
  std::istringstream in(text);
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    // '#' starts a comment here, ';' in LinuxCNC's tool tables.
    const size_t comment = line.find_first_of("#;");
    if (comment != std::string::npos) line.erase(comment);
    std::replace(line.begin(), line.end(), '\t', ' ');
    std::replace(line.begin(), line.end(), '\r', ' ');
    const std::vector<std::string> fields = split(line, ' ');
    if (fields.empty()) continue;
    const std::string where = name + ":" + std::to_string(number);
    const std::vector<std::string> rest(fields.begin() + 1, fields.end());
    add(toolNumber(fields[0], where), lettered(rest) ? tableEntryOf(rest, where) : toolOf(rest, where));
  }
}

// A LinuxCNC tool table's line after its T word: P1 D6 Z25 and the like,
// a letter and a number each; a kind of ours is a word.
bool ToolLibrary::lettered(const std::vector<std::string>& fields) {
  if (fields.empty()) return false;
  for (const std::string& f : fields)
    if (f.size() < 2 || !std::isalpha(static_cast<unsigned char>(f[0])) ||
        std::isalpha(static_cast<unsigned char>(f[1])))
      return false;
  return true;
}

// A flat end mill of the entry's diameter D (mm) as long as its length
// offset Z, or four diameters where Z gives none. Pockets, the other
// offsets and a lathe tool's angles do not shape the tool.
HostTool ToolLibrary::tableEntryOf(const std::vector<std::string>& fields, const std::string& where) {
  HostTool mill;
  mill.kind = HostTool::Kind::Flat;
  for (const std::string& f : fields) {
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(f[0])));
    if (letter == 'D') mill.diameter = positive(f.substr(1), "the diameter (D)", where);
    if (letter == 'Z') {
      char* end = nullptr;
      const double z = std::strtod(f.c_str() + 1, &end);
      if (*end != '\0' || !std::isfinite(z)) throw ToolError(where + ": '" + f + "' is not a number");
      mill.length = std::abs(z);
    }
  }
  if (mill.diameter == 0) throw ToolError(where + ": a tool table entry needs its diameter (D)");
  if (mill.length == 0) mill.length = 4 * mill.diameter;
  return mill;
}

void ToolLibrary::readFile(const std::string& path) {
  std::ifstream file(path);
  if (!file) throw ToolError(path + ": cannot be read");
  std::ostringstream text;
  text << file.rdbuf();
  readText(text.str(), path);
}

void ToolLibrary::addOption(const std::string& option) {
  const std::vector<std::string> fields = split(option, ':');
  const std::string where = "--tool " + option;
  if (fields.empty()) throw ToolError(where + ": empty");
  add(toolNumber(fields[0], where), toolOf({fields.begin() + 1, fields.end()}, where));
}

void ToolLibrary::add(int number, const HostTool& mill) { mills_[number] = mill; }

SIM_ToolTableRecord ToolLibrary::record() {
  profiles_.clear();
  parts_.clear();
  records_.clear();
  for (const auto& [number, mill] : mills_) {
    profiles_.push_back(profileOf(mill));
    SIM_ToolPart part{};
    part.kind = SIM_PART_CUTTING;
    part.profileKind = mill.lathe() ? SIM_PROFILE_EXTRUDED_SYMMETRIC : SIM_PROFILE_REVOLVED;
    part.axis[1] = 1.0;  // tool coordinates have the spindle axis along +y
    part.depth = mill.lathe() ? kInsertThickness : 0;
    part.polygonSides = mill.sides;
    part.points = profiles_.back().data();
    part.pointCount = profiles_.back().size();
    std::vector<SIM_ToolPart>& parts = parts_.emplace_back(1, part);
    if (!mill.lathe()) {
      profiles_.push_back(holderOf(mill));
      SIM_ToolPart holder = part;
      holder.kind = SIM_PART_HOLDER;
      holder.points = profiles_.back().data();
      holder.pointCount = profiles_.back().size();
      parts.push_back(holder);
    }
    SIM_ToolRecord tool{};
    std::strncpy(tool.name, nameOf(number).c_str(), sizeof tool.name - 1);
    tool.number = static_cast<uint32_t>(number);
    tool.machineNumber = static_cast<uint32_t>(number);
    tool.parts = parts.data();
    tool.partCount = static_cast<uint32_t>(parts.size());
    tool.holder = 0;
    tool.deriveMountPoint = 1;
    if (mill.kind == HostTool::Kind::Turn) tool.turning = SIM_TURNING_TURN;
    if (mill.kind == HostTool::Kind::Groove) tool.turning = SIM_TURNING_GROOVE;
    records_.push_back(tool);
  }
  SIM_ToolTableRecord table{};
  table.tools = records_.empty() ? nullptr : records_.data();
  table.toolCount = records_.size();
  spindleHolder_ = SIM_HolderRecord{};
  spindleHolder_.scale = 1.0;
  spindleHolder_.mounting = 0;  // MILL
  table.holders = &spindleHolder_;
  table.holderCount = 1;
  return table;
}

}  // namespace host
