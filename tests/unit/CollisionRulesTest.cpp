// The machine check's fixed rules: thread counts, the sampling grid and
// its resume block, report kinds and names, and travel limits on crafted
// linear and rotary moves.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "collision/CheckSet.h"
#include "collision/CollisionResults.h"
#include "collision/MachineCheck.h"
#include "collision/MachineMotion.h"
#include "collision/MotionPrecompute.h"
#include "collision/Sampling.h"
#include "common/Fnv1a.h"
#include "machine/DefinitionReader.h"
#include "support/MachineFiles.h"
#include "support/ToolpathBuilder.h"

namespace {

using testing_support::ToolpathBuilder;

TEST(CollisionRules, ThreadsSamplesAndBlocks) {
  const std::pair<int, int> threads[] = {{1, 1}, {2, 1}, {4, 3}, {5, 3}, {8, 6}, {9, 6}, {16, 13},
                                         {17, 13}, {32, 28}, {33, 28}, {64, 59}};
  for (const auto& [available, used] : threads) EXPECT_EQ(collision::checkThreads(available), used) << available;

  struct Grid {
    double step, length;
    double fractionStep;
    uint32_t samples, blocks;
  } grids[] = {
      {0.2, 100.0, 0.002, 500, 1},
      {0.2, 0.1, 1.0, 1, 1},  // shorter than a step: one sample
      {0.2, 0.2, 1.0, 1, 1},
      {0.25, 1000.0, 0.00025, 4000, 2},
      {0.1, 1e12, collision::kSmallestFractionStep, collision::kMostSamples, 2097151},  // the floor, the cap
  };
  for (const Grid& g : grids) {
    const collision::SampleGrid grid = collision::sampleGrid(g.step, g.length);
    EXPECT_DOUBLE_EQ(grid.fractionStep, g.fractionStep) << g.length;
    EXPECT_EQ(grid.samples, g.samples) << g.length;
    EXPECT_EQ(grid.blocks, g.blocks) << g.length;
    EXPECT_DOUBLE_EQ(grid.fractionOf(grid.samples - 1), std::min(1.0, grid.samples * grid.fractionStep));
  }
  // Resuming at a position starts at the block of its sample.
  const collision::SampleGrid grid = collision::sampleGrid(0.1, 1000.0);  // 10,000 samples, 5 blocks
  EXPECT_EQ(grid.blockAt(0.0), 0u);
  EXPECT_EQ(grid.blockAt(0.2047), 0u);
  EXPECT_EQ(grid.blockAt(0.2048), 1u);
  EXPECT_EQ(grid.blockAt(0.9999), 4u);
  EXPECT_EQ(grid.blockAt(1.0), 4u) << "the end stays in the last block";
}

TEST(CollisionRules, ReportKindsLettersAndNames) {
  using collision::ObjectClass;
  const std::pair<ObjectClass, uint32_t> kinds[] = {{ObjectClass::Workpiece, 0}, {ObjectClass::Fixture, 1},
                                                    {ObjectClass::Part, 2},      {ObjectClass::Tool, 3},
                                                    {ObjectClass::RevolverTools, 5}, {ObjectClass::Unresolved, 7}};
  for (const auto& [kind, report] : kinds) EXPECT_EQ(collision::reportKind(kind), report);
  const std::pair<int32_t, const char*> letters[] = {{0, "A"}, {11, "A"}, {1, "B"}, {13, "C"}, {3, "X"}, {5, "Z"},
                                                     {6, "T"}, {7, "S"},  {10, "W"}, {14, "J"}, {15, "J"}, {16, " "},
                                                     {17, ""}, {-1, ""}};
  for (const auto& [code, letter] : letters) EXPECT_EQ(collision::letterOfCode(code), letter) << code;

  // Names are cut to whole characters within 255 bytes.
  const std::string a254(254, 'a');
  const std::string cases[][2] = {
      {a254 + "\xC3\xBC", a254},                  // a two-byte character over the edge
      {a254 + "b" + "\xC3\xBC", a254 + "b"},      // exactly 255 bytes before it
      {std::string(252, 'a') + "\xF0\x9F\x94\xA7", std::string(252, 'a')},  // four bytes
      {"Z Axis", "Z Axis"},
  };
  for (const auto& [text, cut] : cases) EXPECT_EQ(collision::cutUtf8(text, 255), cut) << text.size();
  collision::MachineResult hit{ObjectClass::RevolverTools, 1.5, 2.5, 10, 11, 12, 13, cases[0][0], "\xE5\x88\x80"};
  const std::vector<SIM_CollisionReportEntry> entries = collision::reportEntries({hit}, {{"Z", 4.0, 7, 8}});
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].kind, 5u);
  EXPECT_EQ(std::string(entries[0].firstName), a254);
  EXPECT_EQ(std::string(entries[0].secondName), "\xE5\x88\x80");
  EXPECT_EQ(entries[0].endEntity, 13u);
  EXPECT_EQ(entries[1].kind, uint32_t{SIM_COLLISION_TRAVEL_LIMIT});
  EXPECT_EQ(std::string(entries[1].firstName), "Z");
  EXPECT_EQ(entries[1].secondName[0], '\0');
  EXPECT_EQ(entries[1].startPosition, entries[1].endPosition);
  EXPECT_EQ(entries[1].startLine, entries[1].endLine);
  EXPECT_EQ(entries[1].endEntity, 8u);
}

std::unique_ptr<machine::Machine> loaded(const std::string& text) {
  machine::DefinitionRead read = machine::readDefinition(text, false, 0);
  EXPECT_EQ(read.status, machine::LoadStatus::Loaded) << read.message;
  return std::make_unique<machine::Machine>(std::move(read.definition), false);
}

toolpath::Toolpath pathOf(const ToolpathBuilder& builder) {
  return toolpath::Toolpath::fromRecord(builder.record());
}

SIM_ToolpathMove turning(glm::dvec3 end, glm::dvec3 abc) {
  SIM_ToolpathMove m = ToolpathBuilder::line(SIM_MOVE_LINEAR, end);
  for (int k = 0; k < 3; ++k) m.axes[k] = abc[k];
  return m;
}

TEST(CollisionRules, TravelLimitsOnLinearAndRotaryMoves) {
  const std::atomic<bool> go{false};
  // X, Y and Z within +-100 mm, the tool mounted at the spindle's end.
  const auto box = loaded(
      R"({"Table": {"Axis": {"AxisLetter": "X", "Direction": [1, 0, 0], "Limits": {"Min": -100, "Max": 100}, "Axis":
          {"AxisLetter": "Y", "Direction": [0, 1, 0], "Limits": {"Min": -100, "Max": 100}}}},
         "Head": {"Axis": {"AxisLetter": "Z", "Direction": [0, 0, 1], "Limits": {"Min": -100, "Max": 100}, "Axis":
          {"AxisLetter": "S", "AxisType": "Spindle", "Mounts": [{"MountPos": [0, 0, 0]}]}}}})");
  ToolpathBuilder linear;
  linear.add(ToolpathBuilder::line(SIM_MOVE_RAPID, {0, 0, 0}))
      .add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {150, 0, 0}), 2)
      .add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {0, 0, 0}), 3)
      .add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {0, 100.005, 0}), 4);  // within the tolerance
  const auto found = collision::travelViolations(*box, pathOf(linear), {}, glm::dvec3(0.0), go);
  ASSERT_EQ(found.size(), 2u);
  EXPECT_EQ(found[0].move, 1);
  EXPECT_EQ(found[0].letter, 3);
  EXPECT_EQ(std::make_pair(found[0].firstFraction, found[0].lastFraction), std::make_pair(1.0, 1.0));
  EXPECT_NEAR(found[0].largestExcess, 50.0, 1e-9);
  EXPECT_NEAR(std::abs(found[0].worstValue), 150.0, 1e-9);
  EXPECT_EQ(found[1].move, 2) << "the way back starts past the limit";
  EXPECT_EQ(found[1].worstFraction, 0.0);

  // On the sample trunnion A turns from 0 to 60 degrees (limit 30): 30
  // steps of 2 degrees, past the limit from 16/30 on, worst at the end.
  const auto trunnion = loaded(testsupport::machineText("five-axis-ac"));
  const double degree = M_PI / 180;
  ToolpathBuilder tilt;
  tilt.add(turning({0, 0, 50}, {0, 0, 0})).add(turning({0, 0, 50}, {60 * degree, 0, 0}), 7);
  const auto tilted = collision::travelViolations(*trunnion, pathOf(tilt), {}, glm::dvec3(0, 0, -60), go);
  ASSERT_EQ(tilted.size(), 1u);
  EXPECT_EQ(tilted[0].letter, 0);
  EXPECT_NEAR(tilted[0].firstFraction, 16.0 / 30.0, 1e-12);
  EXPECT_EQ(tilted[0].lastFraction, 1.0);
  EXPECT_NEAR(tilted[0].largestExcess, 30.0, 1e-6);
  EXPECT_NEAR(std::abs(tilted[0].worstValue), 60.0, 1e-6);

  // The list stops once it holds more than 1000; a stop request ends it.
  ToolpathBuilder zigzag;
  for (int i = 0; i < 1500; ++i) zigzag.add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {i % 2 ? 150.0 : -150.0, 0, 0}));
  EXPECT_EQ(collision::travelViolations(*box, pathOf(zigzag), {}, glm::dvec3(0.0), go).size(), 1001u);
  const std::atomic<bool> stop{true};
  EXPECT_TRUE(collision::travelViolations(*box, pathOf(zigzag), {}, glm::dvec3(0.0), stop).empty());
}

// The machine-motion thread works the violations out for the inputs of its
// last restart only: a restart drops what was found or under way, and a
// path of one move or no time gives nothing to take.
TEST(CollisionRules, MotionPrecomputeFollowsItsLastInputs) {
  const std::string boxText =
      R"({"Table": {"Axis": {"AxisLetter": "X", "Direction": [1, 0, 0], "Limits": {"Min": -100, "Max": 100}}},
         "Head": {"Axis": {"AxisLetter": "Z", "Direction": [0, 0, 1], "Limits": {"Min": -100, "Max": 100}, "Axis":
          {"AxisLetter": "S", "AxisType": "Spindle", "Mounts": [{"MountPos": [0, 0, 0]}]}}}})";
  ToolpathBuilder zigzag, once, twice;
  for (int i = 0; i < 3000; ++i) zigzag.add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {i % 2 ? 150.0 : -150.0, 0, 0}));
  once.add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {150, 0, 0}));
  twice.add(ToolpathBuilder::line(SIM_MOVE_RAPID, {0, 0, 0})).add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {150, 0, 0}));
  const auto zigzagPath = std::make_shared<const toolpath::Toolpath>(pathOf(zigzag));
  const auto oncePath = std::make_shared<const toolpath::Toolpath>(pathOf(once));
  const auto twicePath = std::make_shared<const toolpath::Toolpath>(pathOf(twice));
  const auto inputs = [&](uint64_t key, std::shared_ptr<const toolpath::Toolpath> path) {
    collision::MotionInputs in;
    in.key = key;
    in.path = std::move(path);
    in.machine = loaded(boxText);
    return in;
  };
  const auto waitFor = [](collision::MotionPrecompute& motion, uint64_t key, const toolpath::Toolpath* path) {
    for (int i = 0; i < 2000 && !motion.violations(key, path); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return motion.violations(key, path);
  };
  collision::MotionPrecompute motion;
  motion.restart(inputs(1, zigzagPath));
  motion.restart(inputs(2, twicePath));  // the zigzag is stopped under way
  const auto found = waitFor(motion, 2, twicePath.get());
  ASSERT_TRUE(found);
  ASSERT_EQ(found->size(), 1u);
  EXPECT_EQ((*found)[0].move, 1);
  EXPECT_FALSE(motion.violations(1, zigzagPath.get())) << "another key";
  EXPECT_FALSE(motion.violations(2, zigzagPath.get())) << "the key along another path";
  motion.restart(inputs(3, zigzagPath));
  EXPECT_FALSE(motion.violations(2, twicePath.get())) << "a restart clears the result";
  const auto many = waitFor(motion, 3, zigzagPath.get());
  ASSERT_TRUE(many);
  EXPECT_EQ(many->size(), 1001u);
  motion.restart(inputs(4, oncePath));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(motion.violations(4, oncePath.get())) << "one move: nothing worked out";
  EXPECT_EQ(motion.key(), 4u);

  // The gauge length of the tool of each move follows the tool changes.
  ToolpathBuilder changes;
  changes.add(ToolpathBuilder::line(SIM_MOVE_RAPID, {0, 0, 0}))
      .add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {1, 0, 0}))
      .add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {2, 0, 0}))
      .toolChange("short", 1)
      .toolChange("long", 2);
  const toolpath::Toolpath path = pathOf(changes);
  ASSERT_EQ(path.toolChanges().size(), 2u);
  const collision::ToolLengthAt length =
      collision::toolLengthsAlong(path, {{path.toolChanges()[0].nameHash, 30.0}, {path.toolChanges()[1].nameHash, 80.0}});
  EXPECT_EQ(length(0), 0.0);
  EXPECT_EQ(length(1), 30.0);
  EXPECT_EQ(length(2), 80.0);
}

}  // namespace

machine::IndexedMesh boxMesh(const glm::vec3& lo, const glm::vec3& hi) {
  machine::IndexedMesh box;
  for (int corner = 0; corner < 8; ++corner)
    box.vertices.emplace_back(corner & 1 ? hi.x : lo.x, corner & 2 ? hi.y : lo.y, corner & 4 ? hi.z : lo.z);
  box.indices = {0, 2, 1, 1, 2, 3, 4, 5, 6, 5, 7, 6, 0, 1, 4, 1, 5, 4,
                 2, 6, 3, 3, 6, 7, 0, 4, 2, 2, 4, 6, 1, 3, 5, 3, 7, 5};
  return box;
}

// A square bar in tool coordinates, from the tip (origin) up the axis (+Y).
machine::IndexedMesh barMesh(float halfWidth, float length) {
  return boxMesh({-halfWidth, 0, -halfWidth}, {halfWidth, length, halfWidth});
}

// The sample lathe's turret carries a short tool in use and a long bar;
// the "spindle" here is a guard box behind the turret. The check places
// the tool in use as it is drawn (tip at the path, axis along +Z), which
// puts the turret's centre 80 mm out along x; the turret carries its other
// tools the same way. A bar of 100 mm in the slot opposite stands 160 mm
// out, its mount level with the tool in use's (its tip 80 mm lower, at z
// -30), and its lower end meets the guard (from x 220 on, z -40 to -20)
// once the tip of the tool in use passes x 55; a bar a quarter turn away
// or in no slot never does. The tool in use is also one of the revolver's tools and
// is never tried against itself.
TEST(CollisionRules, RevolverToolsTurnWithTheirSlots) {
  std::string text = testsupport::machineText("lathe");
  const std::string workpiecePair = R"({"First": "Tool", "Second": "Workpiece"})";
  text.replace(text.find(workpiecePair), workpiecePair.size(), R"({"First": "Tool", "Second": "RevolverTools"})");
  const auto lathe = loaded(text);
  ToolpathBuilder builder;
  builder.add(ToolpathBuilder::line(SIM_MOVE_RAPID, {0, 0, 50}), 1)
      .add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {100, 0, 50}), 2)
      .toolChange("short", 0);
  const toolpath::Toolpath path = pathOf(builder);
  auto guard = std::make_shared<machine::ModelMesh>();
  guard->mesh = boxMesh({220, -50, -40}, {240, 50, -20});
  int32_t spindle = -1;
  for (size_t n = 0; n < lathe->nodes().size(); ++n)
    if (lathe->nodes()[n].axis->id == "LatheSpindle") spindle = int32_t(n);
  ASSERT_GE(spindle, 0);

  struct Case {
    int32_t inUse, bar;
    std::optional<double> hitAt;  // the fraction of the cut where the bar meets the guard
  } cases[] = {{1, 5, 0.55}, {3, 7, 0.55}, {5, 1, 0.55}, {1, 3, std::nullopt}, {1, -1, std::nullopt}};
  for (const Case& c : cases) {
    collision::CheckSources sources;
    sources.machine = lathe.get();
    for (const machine::ModelSlot& model : lathe->models())
      sources.meshes.push_back(model.node == spindle ? guard : nullptr);
    sources.tools = {{common::fnv1a64("short"), "short", 20.0, c.inUse, {}},
                     {common::fnv1a64("bar"), "bar", 100.0, c.bar, {}}};
    sources.toolMeshes = {barMesh(5, 20), barMesh(5, 100)};
    const collision::CheckSet set = collision::buildCheckSet(std::move(sources));
    ASSERT_EQ(set.pairs.size(), 4u);
    ASSERT_EQ(set.objects[set.pairs[0].first].kind, collision::ObjectClass::RevolverTools);
    collision::CheckProgress progress;
    const collision::CheckOutcome outcome =
        collision::runMachineCheck(path, *lathe, glm::dvec3(0.0), set, {}, progress);
    const std::string which = std::to_string(c.inUse) + " with " + std::to_string(c.bar);
    EXPECT_TRUE(outcome.hits[3].empty()) << which << ": the tool in use met itself";
    if (!c.hitAt) {
      EXPECT_TRUE(outcome.hits[0].empty()) << which;
      continue;
    }
    ASSERT_EQ(outcome.hits[0].size(), 1u) << which;
    const double step = 0.2 / path.totalLength();
    EXPECT_NEAR(outcome.grid.fractionOf(outcome.hits[0][0]), collision::lengthFractionAt(path, 1, *c.hitAt),
                2 * step)
        << which;
  }
}
