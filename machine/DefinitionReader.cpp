#include "machine/DefinitionReader.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <set>

#include <glm/gtc/matrix_transform.hpp>
#include <json/reader.h>

#include "machine/AxisLetters.h"
#include "machine/ChainMask.h"
#include "machine/JsonFields.h"
#include "machine/LegacyDefinition.h"

namespace machine {
namespace {

constexpr double kDegree = 0.017453292519943295;
constexpr double kInch = 25.4;

bool isMetricModelUnit(const std::string& unit) { return unit == "Metric" || unit == "mm" || unit == "Millimeters"; }

// Positions beyond this are refused: the GPU draws in single precision.
constexpr double kLargestLength = 1.0e6;

class Reader {
 public:
  explicit Reader(double scale) : scale_(scale) {}

  // A position in millimetres, none when it is missing, malformed or huge.
  std::optional<glm::dvec3> position(const Json::Value& v, const char* key) const {
    const std::optional<glm::dvec3> p = json::point(v, key);
    if (!p) return std::nullopt;
    const glm::dvec3 mm = *p * scale_;
    for (int i = 0; i < 3; ++i)
      if (!(std::fabs(mm[i]) <= kLargestLength)) return std::nullopt;
    return mm;
  }

  // A length in millimetres, none when it overflows.
  std::optional<double> length(std::optional<double> value) const {
    if (!value || !std::isfinite(*value * scale_)) return std::nullopt;
    return *value * scale_;
  }

  ModelEntry model(const Json::Value& v, const std::string& ownerId, size_t index, PartGroup part) const {
    ModelEntry m;
    m.part = part;
    m.id = ownerId + "/Model" + std::to_string(index);
    if (v.isString()) {
      m.path = v.asString();
      return m;
    }
    if (auto path = json::text(v, "Path")) m.path = *path;
    if (auto unit = json::text(v, "Unit")) m.unitScale = isMetricModelUnit(*unit) ? 1.0 : kInch;
    if (v.isObject())
      if (auto color = json::triple(v["Color"], "R", "G", "B")) m.color = glm::clamp(*color, 0.0, 1.0);
    if (auto mounting = json::text(v, "Mounting")) {
      if (*mounting == "Adjustable") m.mounting = Mounting::Adjustable;
      if (*mounting == "Tailstock") m.mounting = Mounting::Tailstock;
    }
    if (auto origin = position(v, "Origin")) m.origin = *origin;
    return m;
  }

  std::vector<ModelEntry> models(const Json::Value& list, const std::string& ownerId, PartGroup part) const {
    std::vector<ModelEntry> result;
    if (!list.isArray()) return result;
    for (const Json::Value& item : list) {
      if (!item.isString() && !item.isObject()) continue;
      result.push_back(model(item, ownerId, result.size(), part));
    }
    return result;
  }

  ToolMount mount(const Json::Value& v, const std::string& ownerId, size_t index, PartGroup part) const {
    ToolMount m;
    m.id = json::text(v, "GUID").value_or(ownerId + "/Mount" + std::to_string(index));
    if (auto type = json::text(v, "Type")) m.type = *type == "TURN_SHANK" ? MountType::TurnShank
                                                    : *type == "CUSTOM"   ? MountType::Custom
                                                                          : MountType::Mill;
    if (auto o = json::text(v, "Orientation"))
      m.orientation = *o == "FACE" ? MountOrientation::Face
                      : *o == "CROSS"     ? MountOrientation::Cross
                      : *o == "DIRECTION" ? MountOrientation::Direction
                                          : MountOrientation::Other;
    if (m.orientation == MountOrientation::Direction)
      if (auto d = json::direction(v, "ToolOrientationDirection")) m.direction = *d;
    if (auto side = json::text(v, "ToolSide"))
      m.toolSide = *side == "LEFT" ? ToolSide::Left : *side == "RIGHT" ? ToolSide::Right
                   : *side == "BOTH"                                  ? ToolSide::Both
                                                                      : ToolSide::Either;
    if (m.type != MountType::Mill)
      if (auto side = json::text(v, "InsertSide"))
        m.insertSide = *side == "FRONT" ? InsertSide::Front : *side == "BACK" ? InsertSide::Back : InsertSide::Either;
    readMountPositions(v, m);
    readSlots(v, m);
    m.models = models(v["Models"], m.id, part);
    return m;
  }

  std::vector<ToolMount> mounts(const Json::Value& list, const std::string& ownerId, PartGroup part) const {
    std::vector<ToolMount> result;
    json::forEach(list, [&](const Json::Value& item) {
      if (item.isObject()) result.push_back(mount(item, ownerId, result.size(), part));
    });
    return result;
  }

  // The part object itself is the root axis of its tree.
  Axis axis(const Json::Value& v, const std::string& id, PartGroup part) const {
    Axis a;
    a.id = id;
    a.part = part;
    if (auto kind = json::text(v, "AxisType")) a.kind = axisKind(*kind);
    if (auto letter = json::text(v, "AxisLetter")) a.letter = letterCode(*letter);
    if (auto d = json::direction(v, "Direction")) a.direction = *d;
    snap(a);
    if (auto c = position(v, "Center")) a.center = *c;
    const bool linear = !isRotary(a.kind);
    if (v["Limits"].isObject()) {
      auto lo = json::number(v["Limits"], "Min"), hi = json::number(v["Limits"], "Max");
      if (lo && hi && *hi > *lo + 1e-7) {
        if (linear) lo = length(lo), hi = length(hi);
        if (lo && hi) a.limits = std::pair(*lo, *hi);
      }
    }
    if (auto speed = json::number(v, "MaxSpeed"); speed && *speed > 1e-7)
      a.maxSpeed = linear ? length(speed).value_or(0.0) / 60.0 : *speed * kDegree / 60.0;
    if (auto offset = json::number(v, "Offset"))
      a.offset = a.kind == AxisKind::Rotation || a.kind == AxisKind::Spindle ? *offset * kDegree
                 : linear                                                    ? length(offset).value_or(0.0)
                                                                             : *offset;
    if (auto collide = json::boolean(v, "StockCollisions")) a.stockCollisions = *collide;
    a.models = models(v["Models"], a.id, part);
    a.mounts = mounts(v["Mounts"], a.id, part);
    json::forEach(v["Axis"], [&](const Json::Value& child) {
      if (!child.isObject()) return;
      const std::string childId =
          json::text(child, "GUID").value_or(a.id + "/" + localName(child, a.children.size()));
      a.children.push_back(axis(child, childId, part));
    });
    if (v["Clamp"].isObject()) addJaws(v["Clamp"], a);
    a.chainMask = chainMaskOf(a);
    return a;
  }

  Revolver revolver(const Json::Value& v, const std::string& ownerId) const {
    Revolver r;
    const std::string id = json::text(v, "GUID").value_or(ownerId + "/Revolver");
    r.axis.id = id;
    r.axis.part = PartGroup::Revolver;
    r.axis.kind = AxisKind::Turret;
    if (auto d = json::direction(v, "Direction")) r.axis.direction = *d;
    if (auto c = position(v, "Center")) r.axis.center = *c;
    if (auto offset = json::number(v, "Offset")) r.axis.offset = *offset * kDegree;
    r.axis.models = models(v["Models"], id, PartGroup::Revolver);
    if (auto letter = json::text(v, "MountAxis")) r.mountAxisLetter = *letter;
    if (auto up = json::direction(v, "UpDirection")) r.upDirection = *up;
    if (v["Slots"].isArray())
      for (const Json::Value& slot : v["Slots"]) {
        auto number = json::number(slot, "Number");
        if (!number || *number != std::floor(*number) || std::fabs(*number) > 1e9) continue;
        r.slots.push_back({static_cast<int32_t>(*number), json::number(slot, "Angle").value_or(0.0) * kDegree});
      }
    r.axis.chainMask = chainMaskOf(r.axis);
    return r;
  }

  NamedToolchangePosition toolchangePosition(const std::string& name, const Json::Value& v) const {
    NamedToolchangePosition p;
    p.name = name;
    p.position.x = length(json::number(v, "X")).value_or(0.0);
    p.position.y = length(json::number(v, "Y")).value_or(0.0);
    p.position.z = length(json::number(v, "Z")).value_or(0.0);
    p.position.a = json::number(v, "A").value_or(0.0) * kDegree;
    p.position.b = json::number(v, "B").value_or(0.0) * kDegree;
    p.position.c = json::number(v, "C").value_or(0.0) * kDegree;
    return p;
  }

 private:
  static AxisKind axisKind(const std::string& text) {
    if (text == "Rotation") return AxisKind::Rotation;
    if (text == "Turret" || text == "Revolver") return AxisKind::Turret;
    if (text == "Spindle") return AxisKind::Spindle;
    if (text == "Collinear") return AxisKind::Collinear;
    return AxisKind::Linear;
  }

  static std::string localName(const Json::Value& v, size_t index) {
    if (auto letter = json::text(v, "AxisLetter"); letter && letterCode(*letter) != kNoLetter) return *letter;
    return "Axis" + std::to_string(index);
  }

  // X, Y and Z axes that lie along their coordinate axis take it exactly:
  // positive on the head, negative on the table (a table moves the work the
  // other way).
  static void snap(Axis& a) {
    if (a.letter < 3 || a.letter > 5 || a.part == PartGroup::Base) return;
    const int i = a.letter - 3;
    if (std::fabs(a.direction[i]) < 0.999999999) return;
    a.direction = glm::dvec3(0.0);
    a.direction[i] = a.part == PartGroup::Table ? -1.0 : 1.0;
  }

  void addJaws(const Json::Value& clamp, Axis& a) const {
    Clamp c;
    if (clamp["Jaws"].isInt()) c.jaws = std::clamp(clamp["Jaws"].asInt(), 1, 12);
    c.startAngle = json::number(clamp, "Angle").value_or(0.0) * kDegree;
    if (auto name = json::text(clamp, "Name")) c.letter = *name;
    const glm::dvec3 radial = perpendicularTo(a.direction);
    for (int i = 0; i < c.jaws; ++i) {
      Axis jaw;
      jaw.id = a.id + "/Jaw" + std::to_string(i);
      jaw.part = a.part;
      jaw.kind = AxisKind::Collinear;
      jaw.letter = letterCode(c.letter);
      jaw.center = a.center;
      const double angle = c.startAngle + i * 2.0 * M_PI / c.jaws;
      jaw.direction = glm::dvec3(glm::rotate(glm::dmat4(1.0), angle, a.direction) * glm::dvec4(radial, 0.0));
      a.children.push_back(std::move(jaw));
    }
    a.clamp = c;
  }

  void readMountPositions(const Json::Value& v, ToolMount& m) const {
    const Json::Value& pos = v["MountPos"];
    Json::Value positions(Json::objectValue);
    if (pos.isArray() && pos.size() >= 1 && pos[0].isArray()) {
      positions["First"] = pos[0];
      if (pos.size() >= 2) positions["Second"] = pos[1];
    } else {
      positions["First"] = pos;
      if (pos.isArray() && pos.size() >= 6)
        for (Json::ArrayIndex i = 3; i < 6; ++i) positions["Second"].append(pos[i]);
    }
    if (auto first = position(positions, "First")) m.position = *first;
    m.secondPosition = position(positions, "Second");
  }

  static void readSlots(const Json::Value& v, ToolMount& m) {
    const Json::Value& slots = v["CompatibleSlots"];
    if (slots.isString()) {
      const std::string s = slots.asString();
      m.slots = s == "ODD" ? SlotSet::Odd : s == "EVEN" ? SlotSet::Even : s == "CUSTOM" ? SlotSet::Custom : SlotSet::All;
    } else if (slots.isArray()) {
      m.slots = SlotSet::Listed;
      for (const Json::Value& n : slots)
        if (n.isInt()) m.slotNumbers.push_back(n.asInt());
    }
  }

  static glm::dvec3 perpendicularTo(const glm::dvec3& d) {
    const glm::dvec3 across = std::fabs(d.z) < 0.9 ? glm::dvec3(0, 0, 1) : glm::dvec3(1, 0, 0);
    return glm::normalize(glm::cross(across, d));
  }

  double scale_;
};

void collectIds(const Axis& a, std::set<std::string>& ids) {
  ids.insert(a.id);
  for (const ModelEntry& m : a.models) ids.insert(m.id);
  for (const Axis& child : a.children) collectIds(child, ids);
}

PairEnd pairEnd(const Json::Value& v, const std::set<std::string>& partIds) {
  PairEnd end;
  if (!v.isString()) return end;
  end.name = v.asString();
  if (end.name == "Workpiece") end.member = PairMember::Workpiece;
  else if (end.name == "Fixture") end.member = PairMember::Fixture;
  else if (end.name == "Tool") end.member = PairMember::Tool;
  else if (end.name == "RevolverTools") end.member = PairMember::RevolverTools;
  else if (partIds.count(end.name)) end.member = PairMember::Part;
  return end;
}

glm::dvec3 defaultViewOf(const Json::Value& document, Orientation orientation) {
  const double side = orientation == Orientation::Horizontal ? 1.0 : -1.0;
  const std::string view = json::text(document, "DefaultView").value_or("");
  if (view == "Isometric") return {side, -1.0, -1.0};
  if (view == "Top") return {0.0, -1.0, 0.0};
  if (view == "Front") return {0.0, 0.0, -1.0};
  return orientation == Orientation::Lathe ? glm::dvec3(0.0, 0.0, -1.0) : glm::dvec3(side, -1.0, -1.0);
}

}  // namespace

DefinitionRead readDefinition(const Json::Value& document, uint32_t hostUnit) {
  DefinitionRead read;
  if (!document.isObject()) {
    read.status = LoadStatus::NotAnObject;
    read.message = "the machine definition is not a JSON object";
    return read;
  }
  MachineDefinition& def = read.definition;
  def.lengthScale = hostUnit == 0 ? 1.0 : kInch;
  if (auto unit = json::text(document, "Unit")) {
    if (*unit == "Metric") def.lengthScale = 1.0;
    if (*unit == "Imperial") def.lengthScale = kInch;
  }
  if (auto o = json::text(document, "Orientation")) {
    if (*o == "Horizontal") def.orientation = Orientation::Horizontal;
    if (*o == "Lathe") def.orientation = Orientation::Lathe;
  }
  def.defaultViewDirection = defaultViewOf(document, def.orientation);
  const Reader reader(def.lengthScale);
  if (auto c = reader.position(document, "CenterTable")) def.tableCenter = *c;
  if (auto o = reader.position(document, "ModelOffset")) def.modelOffset = *o;
  def.baseId = json::text(document, "BaseGUID").value_or("Base");
  def.base = reader.models(document["Base"], def.baseId, PartGroup::Base);
  if (document["Head"].isObject())
    def.head = reader.axis(document["Head"], json::text(document, "HeadGUID").value_or("Head"), PartGroup::Head);
  if (document["Table"].isObject())
    def.table = reader.axis(document["Table"], json::text(document, "TableGUID").value_or("Table"), PartGroup::Table);
  if (document["Revolver"].isObject()) def.revolver = reader.revolver(document["Revolver"], "Machine");
  def.mounts = reader.mounts(document["Mounts"], "Machine", PartGroup::Head);
  // Older definitions list the machine's holders apart: each is a mount
  // whose models are the holder's.
  for (ToolMount& holder : reader.mounts(document["Holders"], "Machine/Holders", PartGroup::Head))
    def.mounts.push_back(std::move(holder));

  std::set<std::string> partIds{def.baseId};
  for (const ModelEntry& m : def.base) partIds.insert(m.id);
  if (def.head) collectIds(*def.head, partIds);
  if (def.table) collectIds(*def.table, partIds);
  if (def.revolver) collectIds(def.revolver->axis, partIds);
  json::forEach(document["CollisionPairs"], [&](const Json::Value& pair) {
    if (!pair.isObject()) return;
    def.collisionPairs.push_back({pairEnd(pair["First"], partIds), pairEnd(pair["Second"], partIds)});
  });
  const Json::Value& positions = document["ToolchangePositions"];
  if (positions.isObject())
    for (const std::string& name : positions.getMemberNames())
      if (positions[name].isObject()) def.toolchangePositions.push_back(reader.toolchangePosition(name, positions[name]));
  return read;
}

DefinitionRead readDefinition(std::string_view text, bool legacy, uint32_t hostUnit) {
  Json::CharReaderBuilder builder;
  builder["collectComments"] = false;
  const std::unique_ptr<Json::CharReader> parser(builder.newCharReader());
  Json::Value document;
  std::string errors;
  if (!parser->parse(text.data(), text.data() + text.size(), &document, &errors)) {
    DefinitionRead failed;
    failed.status = LoadStatus::ParseError;
    failed.message = errors;
    return failed;
  }
  if (!legacy) return readDefinition(document, hostUnit);
  std::optional<Json::Value> converted = convertLegacy(document);
  if (!converted) {
    DefinitionRead failed;
    failed.status = LoadStatus::NoLegacyRoot;
    failed.message = "legacy text without a \"MachineDefinition\" object";
    return failed;
  }
  return readDefinition(*converted, hostUnit);
}

}  // namespace machine
