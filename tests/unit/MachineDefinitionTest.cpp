// Reading machine definitions: units, snapping, jaws, letters, bad input and
// the legacy layout.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include <glm/geometric.hpp>

#include "machine/AxisLetters.h"
#include "machine/DefinitionReader.h"
#include "support/MachineFiles.h"

namespace {

using machine::AxisKind;
using machine::LoadStatus;
using machine::MachineDefinition;

MachineDefinition read(const std::string& text, uint32_t hostUnit = 0) {
  const machine::DefinitionRead r = machine::readDefinition(text, false, hostUnit);
  EXPECT_EQ(r.status, LoadStatus::Loaded) << r.message;
  return r.definition;
}

// A definition whose head (or table) root carries one child axis given as text.
MachineDefinition withAxis(const std::string& part, const std::string& axis, const std::string& extra = "") {
  return read("{" + extra + "\"" + part + "\": {\"Axis\": " + axis + "}}");
}

TEST(MachineDefinitionTest, UnitsScaleLengthsButNotRotaryLimits) {
  const MachineDefinition inch = withAxis(
      "Head", R"({"AxisType": "Linear", "Center": [1, 0, 0], "Limits": {"Min": -1, "Max": 2}, "MaxSpeed": 60,
                 "Axis": {"AxisType": "Rotation", "AxisLetter": "A", "Limits": {"Min": -10, "Max": 10},
                          "Offset": 90, "MaxSpeed": 60}})",
      R"("Unit": "Imperial", "CenterTable": [1, 2, 3],)");
  EXPECT_DOUBLE_EQ(inch.lengthScale, 25.4);
  EXPECT_LT(glm::distance(inch.tableCenter, glm::dvec3(25.4, 50.8, 76.2)), 1e-12);
  const machine::Axis& linear = inch.head->children.at(0);
  EXPECT_EQ(linear.center, glm::dvec3(25.4, 0, 0));
  EXPECT_EQ(linear.limits, std::pair(-25.4, 50.8));
  EXPECT_DOUBLE_EQ(linear.maxSpeed, 25.4);  // per second
  const machine::Axis& rotary = linear.children.at(0);
  EXPECT_EQ(rotary.limits, std::pair(-10.0, 10.0));
  EXPECT_DOUBLE_EQ(rotary.offset, M_PI / 2);
  EXPECT_DOUBLE_EQ(rotary.maxSpeed, M_PI / 180);

  // Without "Unit" the host's unit applies; an unknown unit text too.
  EXPECT_DOUBLE_EQ(read("{}", 1).lengthScale, 25.4);
  EXPECT_DOUBLE_EQ(read(R"({"Unit": "metric"})", 0).lengthScale, 1.0);
  EXPECT_DOUBLE_EQ(read(R"({"Unit": "Metric"})", 1).lengthScale, 1.0);
}

TEST(MachineDefinitionTest, CoordinateAxesSnapOutwardOnTheHeadAndInwardOnTheTable) {
  struct Case {
    const char* part;
    const char* letter;
    const char* direction;
    glm::dvec3 expected;
  } cases[] = {
      {"Table", "X", "[0.99999999995, 0, 0]", {-1, 0, 0}},
      {"Head", "X", "[0.99999999995, 0, 0]", {1, 0, 0}},
      {"Table", "Z", "[0, 0, 1]", {0, 0, -1}},
      {"Head", "Y", "[0, -1, 0]", {0, 1, 0}},
      // Not near enough, or not a coordinate letter: only normalised.
      {"Head", "X", "[1, 0.001, 0]", glm::normalize(glm::dvec3(1, 0.001, 0))},
      {"Table", "A", "[2, 0, 0]", {1, 0, 0}},
  };
  for (const Case& c : cases) {
    const MachineDefinition def =
        withAxis(c.part, std::string(R"({"AxisLetter": ")") + c.letter + R"(", "Direction": )" + c.direction + "}");
    const machine::Axis& root = std::string(c.part) == "Head" ? *def.head : *def.table;
    EXPECT_EQ(root.children.at(0).direction, c.expected) << c.part << " " << c.letter << " " << c.direction;
  }
}

TEST(MachineDefinitionTest, ClampsMakeOneToTwelveJawsAroundTheAxis) {
  struct Case {
    const char* clamp;
    size_t jaws;
  } cases[] = {{"{}", 3}, {R"({"Jaws": 0})", 1}, {R"({"Jaws": 20})", 12}, {R"({"Jaws": 2.5})", 3},
               {R"({"Jaws": "4"})", 3}, {R"({"Jaws": 4, "Angle": 45})", 4}};
  for (const Case& c : cases) {
    const MachineDefinition def = withAxis(
        "Table", std::string(R"({"AxisType": "Spindle", "Direction": [0, 0, 1], "Center": [0, 0, 5], "Clamp": )") +
                     c.clamp + "}");
    const machine::Axis& spindle = def.table->children.at(0);
    ASSERT_EQ(spindle.children.size(), c.jaws) << c.clamp;
    for (size_t i = 0; i < c.jaws; ++i) {
      const machine::Axis& jaw = spindle.children[i];
      EXPECT_EQ(jaw.kind, AxisKind::Collinear);
      EXPECT_EQ(jaw.letter, machine::letterCode("J"));
      EXPECT_EQ(jaw.center, glm::dvec3(0, 0, 5));
      EXPECT_NEAR(glm::dot(jaw.direction, glm::dvec3(0, 0, 1)), 0.0, 1e-12);
      EXPECT_NEAR(glm::length(jaw.direction), 1.0, 1e-12);
      // Spread evenly: neighbours are a jaw pitch apart.
      if (c.jaws > 1) {
        const glm::dvec3 next = spindle.children[(i + 1) % c.jaws].direction;
        EXPECT_NEAR(glm::dot(jaw.direction, next), std::cos(2 * M_PI / c.jaws), 1e-9) << c.clamp;
      }
    }
  }
}

TEST(MachineDefinitionTest, LettersAndModelEntries) {
  EXPECT_EQ(machine::letterCode("A2"), machine::letterCode("A'"));
  EXPECT_EQ(machine::letterCode("A2"), 11);
  EXPECT_EQ(machine::letterCode("J2"), 15);
  EXPECT_EQ(machine::letterCode("a"), machine::kNoLetter);
  EXPECT_EQ(machine::letterCode("X "), machine::kNoLetter);

  const MachineDefinition def = read(R"({"BaseGUID": "B", "Base": [
      "plain.stl",
      {"Path": "inch.stl", "Unit": "inch", "Color": {"R": 1, "G": 0.5, "B": 2}, "Mounting": "Tailstock",
       "Origin": {"X": 1, "Y": 2, "Z": 3}},
      {"Path": "mm.stl", "Unit": "Millimeters", "Color": [0.1, 0.2], "Mounting": "Adjustable"},
      42]})");
  ASSERT_EQ(def.base.size(), 3u);
  EXPECT_EQ(def.base[0].path, "plain.stl");
  EXPECT_EQ(def.base[0].id, "B/Model0");
  EXPECT_DOUBLE_EQ(def.base[1].unitScale, 25.4);
  EXPECT_EQ(def.base[1].color, glm::dvec3(1, 0.5, 1));
  EXPECT_EQ(def.base[1].mounting, machine::Mounting::Tailstock);
  EXPECT_EQ(def.base[1].origin, glm::dvec3(1, 2, 3));
  EXPECT_DOUBLE_EQ(def.base[2].unitScale, 1.0);
  EXPECT_FALSE(def.base[2].color.has_value());
  EXPECT_EQ(def.base[2].mounting, machine::Mounting::Adjustable);
}

TEST(MachineDefinitionTest, BadInputKeepsDefaultsAndNeverReachesTheMaths) {
  const machine::DefinitionRead broken = machine::readDefinition("{\"Head\": {\n  \"Axis\": [}", false, 0);
  EXPECT_EQ(broken.status, LoadStatus::ParseError);
  EXPECT_NE(broken.message.find("Line 2"), std::string::npos) << broken.message;
  EXPECT_NE(broken.message.find("Column"), std::string::npos) << broken.message;
  EXPECT_EQ(broken.definition, MachineDefinition{});
  EXPECT_EQ(machine::readDefinition("[1, 2]", false, 0).status, LoadStatus::NotAnObject);
  EXPECT_EQ(machine::readDefinition("{}", true, 0).status, LoadStatus::NoLegacyRoot);

  const MachineDefinition def = withAxis(
      "Head",
      R"([{"Direction": [0, 0, 0], "Center": [1e308, 0, 0], "Limits": {"Min": 5, "Max": 5.00000001},
           "MaxSpeed": 1e-9, "AxisType": 3, "AxisLetter": ["X"]},
          {"Direction": "up", "Center": [1, 2], "Limits": {"Min": "a", "Max": 3}, "Offset": "x", "Axis": 7},
          5, "text"])",
      R"("Unit": "Imperial", "Orientation": "vertical", "CenterTable": {"X": 1}, "Revolver": [], "CollisionPairs": 3,
         "ToolchangePositions": [1],)");
  ASSERT_EQ(def.head->children.size(), 2u);
  // 1e308 inches overflow: the centre stays at its default.
  for (const machine::Axis& axis : def.head->children) {
    EXPECT_EQ(axis.direction, glm::dvec3(0, 0, 1));
    EXPECT_EQ(axis.center, glm::dvec3(0));
    EXPECT_FALSE(axis.limits.has_value());
    EXPECT_EQ(axis.maxSpeed, 0.0);
    EXPECT_EQ(axis.kind, AxisKind::Linear);
    EXPECT_EQ(axis.letter, machine::kNoLetter);
    EXPECT_TRUE(axis.children.empty());
  }
  EXPECT_EQ(def.orientation, machine::Orientation::Vertical);
  EXPECT_EQ(def.tableCenter, glm::dvec3(0));
  EXPECT_FALSE(def.revolver.has_value());
  EXPECT_TRUE(def.collisionPairs.empty());
  EXPECT_TRUE(def.toolchangePositions.empty());
}

TEST(MachineDefinitionTest, OrientationsChooseTheirDefaultViews) {
  struct Case {
    const char* json;
    machine::Orientation orientation;
    glm::dvec3 view;
  } cases[] = {
      {R"({})", machine::Orientation::Vertical, {-1, -1, -1}},
      {R"({"Orientation": "Horizontal"})", machine::Orientation::Horizontal, {1, -1, -1}},
      {R"({"Orientation": "Lathe"})", machine::Orientation::Lathe, {0, 0, -1}},
      {R"({"Orientation": "Lathe", "DefaultView": "Isometric"})", machine::Orientation::Lathe, {-1, -1, -1}},
      {R"({"Orientation": "Horizontal", "DefaultView": "Top"})", machine::Orientation::Horizontal, {0, -1, 0}},
      {R"({"DefaultView": "Front"})", machine::Orientation::Vertical, {0, 0, -1}},
  };
  for (const Case& c : cases) {
    const MachineDefinition def = read(c.json);
    EXPECT_EQ(def.orientation, c.orientation) << c.json;
    EXPECT_EQ(def.defaultViewDirection, c.view) << c.json;
  }
}

TEST(MachineDefinitionTest, SampleLatheReadsRevolverMountsPairsAndPositions) {
  const MachineDefinition lathe = read(testsupport::machineText("lathe"));
  ASSERT_TRUE(lathe.revolver.has_value());
  EXPECT_EQ(lathe.revolver->axis.kind, AxisKind::Turret);
  EXPECT_EQ(lathe.revolver->mountAxisLetter, "X");
  ASSERT_EQ(lathe.revolver->slots.size(), 8u);
  EXPECT_EQ(lathe.revolver->slots[2].number, 3);
  EXPECT_DOUBLE_EQ(lathe.revolver->slots[2].angle, M_PI / 2);
  ASSERT_EQ(lathe.mounts.size(), 1u);
  EXPECT_EQ(lathe.mounts[0].type, machine::MountType::TurnShank);
  EXPECT_EQ(lathe.mounts[0].orientation, machine::MountOrientation::Cross);
  EXPECT_EQ(lathe.mounts[0].insertSide, machine::InsertSide::Front);
  // Jaws hang under the spindle, which the table lists last.
  EXPECT_EQ(lathe.table->children.back().children.size(), 3u);

  using machine::PairMember;
  ASSERT_EQ(lathe.collisionPairs.size(), 4u);
  EXPECT_EQ(lathe.collisionPairs[0].first.member, PairMember::RevolverTools);
  EXPECT_EQ(lathe.collisionPairs[0].second.member, PairMember::Part);
  EXPECT_EQ(lathe.collisionPairs[1].first.member, PairMember::Part);  // the turret's identifier
  EXPECT_EQ(lathe.collisionPairs[3].first.member, PairMember::Tool);
  EXPECT_EQ(lathe.collisionPairs[3].second.member, PairMember::Workpiece);
  const MachineDefinition unknown = read(R"({"CollisionPairs": [{"First": "Nothing", "Second": "Fixture"}]})");
  EXPECT_EQ(unknown.collisionPairs.at(0).first.member, PairMember::Unresolved);
  EXPECT_EQ(unknown.collisionPairs.at(0).second.member, PairMember::Fixture);

  ASSERT_EQ(lathe.toolchangePositions.size(), 1u);
  EXPECT_EQ(lathe.toolchangePositions[0].name, "Home");
  EXPECT_EQ(lathe.toolchangePositions[0].position.x, 180.0);
  EXPECT_EQ(lathe.toolchangePositions[0].position.z, 350.0);
}

TEST(MachineDefinitionTest, LegacyMillReadsLikeTheCurrentOne) {
  const machine::DefinitionRead modern = machine::readDefinition(testsupport::machineText("vertical-mill"), false, 0);
  const machine::DefinitionRead legacy =
      machine::readDefinition(testsupport::machineText("vertical-mill-legacy"), true, 0);
  ASSERT_EQ(modern.status, LoadStatus::Loaded) << modern.message;
  ASSERT_EQ(legacy.status, LoadStatus::Loaded) << legacy.message;
  ASSERT_TRUE(legacy.definition.head.has_value());
  const machine::Axis& spindle = legacy.definition.head->children.at(0).children.at(0);
  EXPECT_EQ(spindle.center, glm::dvec3(0, 0, 100));
  EXPECT_EQ(spindle.mounts.at(0).position, glm::dvec3(0, 0, 100));
  EXPECT_EQ(legacy.definition.collisionPairs.size(), 4u);
  EXPECT_TRUE(modern.definition == legacy.definition);

  // Holders listed apart (under "Collision" here) become machine mounts
  // after the definition's own, their legacy keys converted.
  const machine::DefinitionRead holders = machine::readDefinition(R"({"MachineDefinition": {
      "Mounts": [{"ToolType": "MILL", "ToolMountPos": [0, 0, 1]}],
      "Collision": {"Holders": [{"GUID": "H1", "ToolType": "TURN_SHANK", "ToolMountPos": [1, 2, 3],
                                 "ToolMountPos2": [1, 2, 4], "Models": ["h1.stl"]}]}}})",
                                                                   true, 0);
  ASSERT_EQ(holders.status, LoadStatus::Loaded) << holders.message;
  ASSERT_EQ(holders.definition.mounts.size(), 2u);
  const machine::ToolMount& holder = holders.definition.mounts[1];
  EXPECT_EQ(holder.id, "H1");
  EXPECT_EQ(holder.type, machine::MountType::TurnShank);
  EXPECT_EQ(holder.secondPosition, std::optional(glm::dvec3(1, 2, 4)));
  EXPECT_EQ(holder.models.at(0).path, "h1.stl");
}

}  // namespace
