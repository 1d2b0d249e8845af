// The kinematic block's slots and transforms against posing the machine's
// chains, the inverse solve against posing; and tools on the machine's
// mounts: which mount a tool fits, the holder models it takes over, the
// placement a mount gives its holder, where the tool in use hangs, and the
// machine's tool numbers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <glm/geometric.hpp>

#include "machine/AxisLetters.h"
#include "machine/DefinitionReader.h"
#include "machine/Machine.h"
#include "support/MachineFiles.h"
#include "tools/MachineMounts.h"

namespace {

using machine::Machine;

constexpr double kDegree = M_PI / 180;

std::unique_ptr<Machine> load(const std::string& text, bool directionMode = false) {
  machine::DefinitionRead read = machine::readDefinition(text, false, 0);
  EXPECT_EQ(read.status, machine::LoadStatus::Loaded) << read.message;
  return std::make_unique<Machine>(std::move(read.definition), directionMode);
}

// Two rotary axes in one of the three arrangements, with X, Y, Z and a
// spindle whose direction may lean.
std::string twoRotaryMachine(const std::string& arrangement, const std::string& spindle = "[0, 0, 1]") {
  const std::string x = R"({"AxisLetter": "X", "Direction": [1, 0, 0], "Limits": {"Min": -500, "Max": 500}, "Axis": )";
  const std::string y = R"({"AxisLetter": "Y", "Direction": [0, 1, 0], "Limits": {"Min": -500, "Max": 500}, "Axis": )";
  const std::string z = R"({"AxisLetter": "Z", "Direction": [0, 0, 1], "Limits": {"Min": -500, "Max": 500}, "Axis": )";
  const std::string a =
      R"({"AxisLetter": "A", "AxisType": "Rotation", "Direction": [1, 0, 0], "Center": [0, 10, 40], "Limits": {"Min": -100, "Max": 100}, "Axis": )";
  const std::string b =
      R"({"AxisLetter": "B", "AxisType": "Rotation", "Direction": [0, 1, 0], "Center": [5, 0, 250], "Limits": {"Min": -100, "Max": 100}, "Axis": )";
  const std::string c = R"({"AxisLetter": "C", "AxisType": "Rotation", "Direction": [0, 0, 1], "Center": [3, -2, 0], "Axis": )";
  const std::string tool = R"({"AxisLetter": "S", "AxisType": "Spindle", "Center": [0, 0, 300], "Direction": )" + spindle +
                           R"(, "Mounts": [{"MountPos": [0, 0, 300]}]})";
  const std::string end = "[]";
  if (arrangement == "table-table")
    return R"({"Table": {"Axis": )" + y + x + a + c + end + "}}}}}, " + R"("Head": {"Axis": )" + z + tool + "}}}";
  if (arrangement == "table-head")
    return R"({"Table": {"Axis": )" + y + x + c + end + "}}}}, " + R"("Head": {"Axis": )" + z + b + tool + "}}}}";
  return R"({"Table": {"Axis": )" + y + x + end + "}}}, " + R"("Head": {"Axis": )" + z + c + a + tool + "}}}}}";
}

TEST(MachineKinematicsTest, SlotsFollowTheChains) {
  struct Case {
    std::string text;
    int index1, index2;
    glm::dvec3 direction1, direction2;
    int tableLetter;
  } cases[] = {
      // Slot 1 the table axis nearer the work, slot 2 the one nearer the base.
      {twoRotaryMachine("table-table"), 2, 0, {0, 0, 1}, {1, 0, 0}, 2},
      // Table first, then the head axis with its direction negated.
      {twoRotaryMachine("table-head"), 2, 1, {0, 0, 1}, {0, -1, 0}, 2},
      // Head axes from the base outwards, both negated.
      {twoRotaryMachine("head-head"), 2, 0, {0, 0, -1}, {-1, 0, 0}, -1},
      {testsupport::machineText("five-axis-ac"), 2, 0, {0, 0, 1}, {1, 0, 0}, 2},
      // A lone table axis is slot 1.
      {R"({"Table": {"Axis": {"AxisType": "Rotation", "AxisLetter": "B", "Direction": [0, 1, 0]}}})", 1, -1, {0, 1, 0},
       {0, 0, 0}, 1},
  };
  for (const Case& c : cases) {
    const auto m = load(c.text);
    const machine::KinematicBlock& k = m->kinematics();
    EXPECT_EQ(k.slot(1).valueIndex, c.index1);
    EXPECT_EQ(k.slot(2).valueIndex, c.index2);
    EXPECT_EQ(k.slot(1).direction, c.direction1);
    EXPECT_EQ(k.slot(2).direction, c.direction2);
    EXPECT_EQ(k.tableLetterIndex(), c.tableLetter);
  }
}

// Posing the chains and reading the tool axis in the program frame gives
// what the kinematic transform does to the tool's own axis.
TEST(MachineKinematicsTest, TransformTurnsTheToolAxisAsPosingDoes) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> angle(-90 * kDegree, 90 * kDegree);
  for (const char* arrangement : {"table-table", "table-head", "head-head"})
    for (const char* spindle : {"[0, 0, 1]", "[0, 0.6, 0.8]", "[1, 0, 0]"}) {
      const auto m = load(twoRotaryMachine(arrangement, spindle));
      for (int trial = 0; trial < 20; ++trial) {
        const glm::dvec3 abc(angle(random), angle(random), angle(random));
        std::vector<double> values = m->initialState();
        for (size_t i = 0; i < m->nodes().size(); ++i) {
          const machine::Axis& axis = *m->nodes()[i].axis;
          if (axis.kind == machine::AxisKind::Rotation) values[i] = abc[axis.letter];
        }
        const machine::ToolPose posed = m->toolPose(m->pose(values), glm::dvec3(0), 50.0);
        const glm::dvec3 turned(m->kinematics().toolTransform(abc) * glm::dvec4(0, 0, 1, 0));
        EXPECT_NEAR(glm::distance(turned, posed.axis), 0.0, 1e-6) << arrangement << " " << spindle;
      }
    }
}

TEST(MachineKinematicsTest, DirectionModeBuildsAFrameAroundTheGivenAxis) {
  const auto m = load(twoRotaryMachine("table-table"), true);
  for (const glm::dvec3 d : {glm::dvec3(0, 0, 2), glm::dvec3(1, 1, 0), glm::dvec3(0.3, -0.2, 0.95)}) {
    const glm::dmat4 t = m->kinematics().toolTransform(d);
    EXPECT_NEAR(glm::distance(glm::dvec3(t[2]), glm::normalize(d)), 0.0, 1e-6);
    EXPECT_NEAR(glm::dot(glm::dvec3(t[0]), glm::dvec3(t[2])), 0.0, 1e-6);
    EXPECT_NEAR(glm::length(glm::dvec3(t[1])), 1.0, 1e-6);
  }
  // No direction to build on: the identity, never NaN.
  EXPECT_EQ(m->kinematics().toolTransform(glm::dvec3(0)), glm::dmat4(1.0));
}

// Random poses within the limits: solving for the posed tip and axis and
// posing again returns both.
TEST(MachineKinematicsTest, SolveThenPoseReturnsTipAndAxis) {
  std::mt19937 random(11);
  const glm::dvec3 origin(12, -7, 30);
  for (bool directionMode : {false, true})
    for (const std::string& text :
         {testsupport::machineText("five-axis-ac"), twoRotaryMachine("table-head", "[0, 0.6, 0.8]"),
          twoRotaryMachine("head-head"), testsupport::machineText("vertical-mill")}) {
      const auto m = load(text, directionMode);
      for (int trial = 0; trial < 50; ++trial) {
        std::vector<double> values = m->initialState();
        glm::dvec3 abc(0.0);
        for (size_t i = 0; i < m->nodes().size(); ++i) {
          const machine::Axis& axis = *m->nodes()[i].axis;
          const auto limits = axis.limits.value_or(std::pair(-180.0, 180.0));
          std::uniform_real_distribution<double> within(limits.first, limits.second);
          if (axis.kind == machine::AxisKind::Linear && axis.letter >= 3 && axis.letter <= 5) values[i] = within(random);
          if (axis.kind == machine::AxisKind::Rotation) abc[axis.letter] = values[i] = within(random) * kDegree;
        }
        const double length = 80.0;
        const machine::ToolPose wanted = m->toolPose(m->pose(values), origin, length);
        const auto solved =
            m->solve(wanted.tip, directionMode ? wanted.axis : abc, length, origin, m->initialState());
        ASSERT_TRUE(solved.has_value());
        const machine::ToolPose again = m->toolPose(m->pose(*solved), origin, length);
        EXPECT_NEAR(glm::distance(again.tip, wanted.tip), 0.0, 1e-9) << text.substr(0, 80);
        EXPECT_NEAR(glm::distance(again.axis, wanted.axis), 0.0, 1e-9);
      }
    }
}

TEST(MachineKinematicsTest, LettersFillSlotsAndJawsTakeSpareOnes) {
  const auto lathe = load(testsupport::machineText("lathe"));
  const int32_t jawSlot = machine::letterCode("J");
  ASSERT_GE(lathe->nodeInSlot(jawSlot), 0);
  // Three jaws: the first takes J, the others the first spare slots.
  EXPECT_EQ(lathe->nodes()[lathe->nodeInSlot(18)].axis->kind, machine::AxisKind::Collinear);
  EXPECT_EQ(lathe->nodes()[lathe->nodeInSlot(19)].axis->kind, machine::AxisKind::Collinear);
  EXPECT_EQ(lathe->nodeInSlot(20), -1);
  // The turret rides on the X slide.
  const auto turret = std::find_if(lathe->nodes().begin(), lathe->nodes().end(), [](const machine::AxisNode& n) {
    return n.axis->kind == machine::AxisKind::Turret;
  });
  ASSERT_NE(turret, lathe->nodes().end());
  EXPECT_EQ(turret->parent, lathe->nodeInSlot(machine::letterCode("X")));
  // Limits hold the initial state: the X slide starts at 0, inside -200..100.
  const std::vector<double> state = lathe->initialState();
  for (size_t i = 0; i < state.size(); ++i) EXPECT_TRUE(lathe->withinLimits(static_cast<int32_t>(i), state[i]));
}

// On the mill the tip hangs the gauge length below the spindle nose, and
// the table axes move the work the other way.
TEST(MachineKinematicsTest, MillToolTipHangsBelowTheSpindleNose) {
  const auto mill = load(testsupport::machineText("vertical-mill"));
  std::vector<double> values = mill->initialState();
  values[mill->nodeInSlot(machine::letterCode("X"))] = 12;
  values[mill->nodeInSlot(machine::letterCode("Y"))] = 5;
  values[mill->nodeInSlot(machine::letterCode("Z"))] = 30;
  const glm::dvec3 programZero(0, 0, -200);  // the table centre
  const machine::ToolPose pose = mill->toolPose(mill->pose(values), programZero, 75.0);
  // Nose at z 100 + 30, tip 75 below it, 200 above the table.
  EXPECT_NEAR(glm::distance(pose.tip, glm::dvec3(12, 5, 255)), 0.0, 1e-12);
  EXPECT_EQ(pose.axis, glm::dvec3(0, 0, 1));
}

// Turning the revolver to a slot brings that slot's tool round to face the
// spindle axis, wherever the slides stand.
TEST(MachineKinematicsTest, TheActiveTurretSlotFacesTheSpindle) {
  const auto lathe = load(testsupport::machineText("lathe"));
  ASSERT_GE(lathe->revolverNode(), 0);
  std::vector<double> values = lathe->initialState();
  values[lathe->nodeInSlot(machine::letterCode("X"))] = 40;
  values[lathe->nodeInSlot(machine::letterCode("Z"))] = 120;
  for (int32_t slot = 1; slot <= 8; ++slot) {
    values[lathe->revolverNode()] = lathe->turnForSlot(slot).value();
    const std::vector<glm::dmat4> poses = lathe->pose(values);
    const glm::dvec3 facing = lathe->slotDirection(slot, poses).value();
    // From the turret's centre straight towards the spindle axis (Z).
    const glm::dvec3 centre(poses[lathe->revolverNode()] * glm::dvec4(lathe->definition().revolver->axis.center, 1.0));
    const glm::dvec3 towardsAxis = glm::normalize(glm::dvec3(-centre.x, -centre.y, 0.0));
    EXPECT_NEAR(glm::distance(facing, towardsAxis), 0.0, 1e-9) << "slot " << slot;
  }
  EXPECT_FALSE(lathe->turnForSlot(9).has_value());
}

SIM_ToolRecord toolWithSides(uint32_t side, uint32_t insert) {
  SIM_ToolRecord tool{};
  tool.mountingSide = side;
  tool.mountingSide2 = insert;
  return tool;
}

// A turret with two stations of its own kind and one mill mount on the
// head, each with one triangle as its holder model.
const char* kTurretMachine = R"({
  "Head": {"Axis": {"GUID": "X", "AxisLetter": "X", "Direction": [1, 0, 0],
           "Mounts": [{"GUID": "Mill", "Type": "MILL", "MountPos": [0, 0, 50], "Models": ["mill.stl"]}]}},
  "Revolver": {"Direction": [0, 0, 1], "Center": [100, 0, 0], "MountAxis": "X", "UpDirection": [-1, 0, 0],
               "Slots": [{"Number": 1, "Angle": 0}, {"Number": 2, "Angle": 90}, {"Number": 3, "Angle": 180}]},
  "Mounts": [
    {"GUID": "Left", "Type": "TURN_SHANK", "Orientation": "CROSS", "ToolSide": "LEFT", "InsertSide": "FRONT",
     "MountPos": [80, 0, 0], "CompatibleSlots": "ODD", "Models": ["left.stl"]},
    {"GUID": "Either", "Type": "TURN_SHANK", "Orientation": "CROSS", "ToolSide": "EITHER", "InsertSide": "BACK",
     "MountPos": [[80, 0, 0], [80, 0, 30]], "CompatibleSlots": [2, 3]}
  ]})";

std::shared_ptr<const machine::ModelMesh> triangleAt(const glm::vec3& a, const glm::vec3& b, const glm::vec3& c) {
  auto mesh = std::make_shared<machine::ModelMesh>();
  mesh->mesh.vertices = {a, b, c};
  mesh->mesh.indices = {0, 1, 2};
  return mesh;
}

TEST(MachineMountsTest, ToolsFitByTypeSidesAndSlot) {
  const auto m = load(kTurretMachine);
  std::vector<std::shared_ptr<const machine::ModelMesh>> meshes(m->models().size());
  for (size_t i = 0; i < meshes.size(); ++i)
    meshes[i] = triangleAt({70, 0, 0}, {70, 10, 0}, {70, 0, 10});
  const tools::MachineMounts mounts(*m, meshes, glm::vec3(0.5f));
  ASSERT_EQ(mounts.count(), 3u);  // the stations first, then the head's mount

  struct Case {
    uint32_t mounting, side, insert;
    std::optional<uint32_t> slot;
    std::optional<size_t> mount;
  };
  const Case cases[] = {
      {1, 1, 1, 1, 0},             // left, front, odd slot
      {1, 1, 1, 2, std::nullopt},  // slot 2 is even; the other station wants a back insert
      {1, 0, 0, 2, 1},             // either side and insert
      {1, 2, 0, 1, std::nullopt},  // a right tool in slot 1: left-only, and 1 is not listed
      {1, 2, 2, std::nullopt, 1},  // no slot: any station
      {1, 3, 0, 3, 1},             // a tool for both sides fits an either mount
      {0, 2, 2, 1, 2},             // mill mounts ignore inserts and slots
      {2, 0, 0, std::nullopt, std::nullopt},  // no custom mount
  };
  for (const Case& c : cases)
    EXPECT_EQ(mounts.mountFor(toolWithSides(c.side, c.insert), c.mounting, c.slot), c.mount)
        << "mounting " << c.mounting << " side " << c.side << " insert " << c.insert << " slot "
        << c.slot.value_or(0);

  // The station's holder model, in its frame: +Y from the tip to the
  // holder, which for a cross station is away from the work (+X here).
  tools::HolderGeometry host;
  host.mounting = 1;
  const std::optional<tools::HolderGeometry> adopted = mounts.holderFor(toolWithSides(1, 1), host, 1u);
  ASSERT_TRUE(adopted.has_value());
  ASSERT_EQ(adopted->mesh.size(), 3u);
  EXPECT_FLOAT_EQ(adopted->mesh[0].y, -10.0f);
  EXPECT_EQ(adopted->name, "Left");
  EXPECT_FALSE(mounts.holderFor(toolWithSides(0, 0), host, 2u).has_value()) << "that station has no models";
  EXPECT_EQ(mounts.holder(2)->mounting, 0u);
  EXPECT_EQ(mounts.holder(3), nullptr);

  // The two-position station holds a right tool at its second position,
  // its back insert half a turn about the tool axis.
  SIM_HolderRecord record{};
  record.mounting = 1;
  const auto right = mounts.placementFor(toolWithSides(2, 0), record);
  ASSERT_TRUE(right.has_value());
  EXPECT_NEAR(glm::length(right->origin), 30.0f, 1e-5f);
  EXPECT_NEAR(std::fabs(right->origin.y), 0.0f, 1e-5f) << "across the tool axis";
  EXPECT_FLOAT_EQ(right->rotation[0][0], -1.0f);
  const auto left = mounts.placementFor(toolWithSides(1, 1), record);
  ASSERT_TRUE(left.has_value());
  EXPECT_EQ(left->origin, glm::vec3(0.0f));
  EXPECT_EQ(left->rotation, glm::mat3(1.0f));
  record.mounting = 2;
  EXPECT_FALSE(mounts.placementFor(toolWithSides(0, 0), record).has_value());

  EXPECT_TRUE(mounts.knowsNumber(3));
  EXPECT_FALSE(mounts.knowsNumber(4));
}

// With a turret the tool in use hangs at the working station, which stays
// with the slide while the turret turns: its tip moves with X and Z only.
TEST(MachineMountsTest, TheLatheToolHangsAtTheTurretStation) {
  const auto lathe = load(testsupport::machineText("lathe"));
  EXPECT_EQ(lathe->toolDirection(), glm::dvec3(1, 0, 0));
  EXPECT_EQ(lathe->mountPoint(), glm::dvec3(190, 0, 200));
  std::vector<double> values = lathe->initialState();
  values[lathe->nodeInSlot(machine::letterCode("X"))] = -40;
  values[lathe->nodeInSlot(machine::letterCode("Z"))] = 25;
  const glm::dvec3 programZero(0, 0, 0);
  for (int32_t slot : {1, 4}) {
    values[lathe->revolverNode()] = lathe->turnForSlot(slot).value();
    const machine::ToolPose pose = lathe->toolPose(lathe->pose(values), programZero, 30.0);
    EXPECT_NEAR(glm::distance(pose.tip, glm::dvec3(120, 0, 225)), 0.0, 1e-9) << "slot " << slot;
    EXPECT_NEAR(glm::distance(pose.axis, glm::dvec3(1, 0, 0)), 0.0, 1e-12);
  }
  const auto solved = lathe->solve(glm::dvec3(35, 0, 60), glm::dvec3(0), 30.0, programZero, values);
  ASSERT_TRUE(solved.has_value());
  EXPECT_NEAR(glm::distance(lathe->toolPose(lathe->pose(*solved), programZero, 30.0).tip, glm::dvec3(35, 0, 60)), 0.0,
              1e-9);
}

}  // namespace
