// Tools on the machine's mounts: which mount a tool fits, the holder models
// it takes over, the placement a mount gives its holder, where the tool in
// use hangs, and the machine's tool numbers.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <glm/geometric.hpp>

#include "machine/AxisLetters.h"
#include "machine/DefinitionReader.h"
#include "machine/Machine.h"
#include "support/MachineFiles.h"
#include "tools/MachineMounts.h"

namespace {

std::unique_ptr<machine::Machine> load(const std::string& text) {
  machine::DefinitionRead read = machine::readDefinition(text, false, 0);
  EXPECT_EQ(read.status, machine::LoadStatus::Loaded) << read.message;
  return std::make_unique<machine::Machine>(std::move(read.definition), false);
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

}  // namespace

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
