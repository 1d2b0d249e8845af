// The toolpath model: defaults, lengths and times, arcs, tables and lookups.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <map>
#include <optional>
#include <random>

#include <glm/geometric.hpp>
#define GLM_ENABLE_EXPERIMENTAL
#include <glm/gtx/rotate_vector.hpp>

#include "common/Fnv1a.h"
#include "machine/Kinematics.h"
#include "support/ToolpathBuilder.h"
#include "toolpath/Toolpath.h"

using testing_support::ToolpathBuilder;
using toolpath::Measure;
using toolpath::Toolpath;

namespace {

constexpr double kPi = std::numbers::pi;
const glm::dvec3 kArcNormalXY(0, 0, -1);  // arcs in the XY plane seen from +Z

// A square of four 10 mm feed moves after a rapid to the corner.
ToolpathBuilder square() {
  ToolpathBuilder b;
  b.add(ToolpathBuilder::line(SIM_MOVE_RAPID, {0, 0, 0}), 10);
  b.add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {10, 0, 0}), 11);
  b.add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {10, 10, 0}), 12);
  b.add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {0, 10, 0}), 13);
  b.add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {0, 0, 0}), 14);
  return b;
}

}  // namespace

TEST(ToolpathLoad, EmptyRecordGivesEmptyToolpath) {
  Toolpath t = Toolpath::fromRecord(SIM_ToolpathRecord{});
  EXPECT_EQ(t.moveCount(), 0u);
  EXPECT_EQ(t.moveAtFraction(0.5, Measure::Time), -1);
  EXPECT_EQ(t.totalLength(), 0.0);
  EXPECT_EQ(t.lineOf(3), 0u);
  EXPECT_EQ(Toolpath().lastMoveOfLine(3), 0);
  EXPECT_EQ(t.operationAt(0, 0.0), 0u);
  EXPECT_TRUE(t.bounds().empty());
}

TEST(ToolpathLoad, AbsentArraysTakeTheirDefaultsAndFeedZeroIsTimedAsDefault) {
  ToolpathBuilder b = square();
  Toolpath defaults = Toolpath::fromRecord(b.record());
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(defaults.feedOf(i), 1000.0);
    EXPECT_EQ(defaults.spindleOf(i), 3000.0);
  }
  EXPECT_FALSE(defaults.feedsFromHost());
  EXPECT_DOUBLE_EQ(defaults.totalLength(), 40.0);
  EXPECT_DOUBLE_EQ(defaults.totalTime(), 40.0 / 1000.0);
  EXPECT_EQ(defaults.feedOf(5), 0.0);  // past the end
  EXPECT_EQ(defaults.feedOf(-1), 0.0);

  b.feeds = {500, 0.0, 100, 200, 1e-12};
  Toolpath withFeeds = Toolpath::fromRecord(b.record());
  EXPECT_TRUE(withFeeds.feedsFromHost());
  EXPECT_EQ(withFeeds.feedOf(1), 0.0);  // the array keeps the host's value
  // Move 1 at feed 0 and move 4 at a feed below 1e-9 are timed at 1000.
  EXPECT_DOUBLE_EQ(withFeeds.cumulativeTime(1), 10.0 / 1000.0);
  EXPECT_DOUBLE_EQ(withFeeds.totalTime(), 10.0 / 1000 + 10.0 / 100 + 10.0 / 200 + 10.0 / 1000);
}

TEST(ToolpathLoad, HostCumulativeArraysAreTakenAsGiven) {
  ToolpathBuilder b = square();
  std::vector<double> lengths = {0, 1, 2, 3, 4}, times = {0, 5, 6, 7, 8};
  SIM_ToolpathRecord r = b.record();
  r.cumulativeLengths = lengths.data();
  r.cumulativeTimes = times.data();
  Toolpath t = Toolpath::fromRecord(r);
  EXPECT_EQ(t.totalLength(), 4.0);
  EXPECT_EQ(t.totalTime(), 8.0);
  EXPECT_EQ(t.moveAtFraction(5.5 / 8.0, Measure::Time), 2);
  // Without host times, the moves are timed by their own lengths.
  r.cumulativeTimes = nullptr;
  t = Toolpath::fromRecord(r);
  EXPECT_DOUBLE_EQ(t.totalTime(), 40.0 / 1000.0);
}

TEST(ToolpathLoad, AReloadReplacesEverythingTheHostGaveBefore) {
  ToolpathBuilder b = square();
  std::vector<double> extra(3 * b.moves.size(), 1.5);
  SIM_ToolpathRecord r = b.record();
  r.extraAxes = extra.data();
  Toolpath t = Toolpath::fromRecord(r);
  EXPECT_TRUE(t.hasExtraAxes());
  for (int i = 0; i < 20; ++i) b.add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {0, 0, double(i)}));
  t = Toolpath::fromRecord(b.record());
  EXPECT_FALSE(t.hasExtraAxes());
  EXPECT_EQ(t.extraAxesOf(24), glm::dvec3(0.0));

  // One arc alone: there is no start to measure from.
  ToolpathBuilder single;
  single.add(ToolpathBuilder::arc(SIM_MOVE_ARC_CW, {1, 0, 0}, {0, 0, 0}, kArcNormalXY));
  t = Toolpath::fromRecord(single.record());
  EXPECT_FALSE(t.arcOf(1).valid);
  EXPECT_EQ(t.startOf(5), glm::dvec3(0.0));
}

// Guards the rounding against the optimiser: g++ 12 at -O2 drops a plain
// double-float-double round trip of the coordinates it vectorises.
TEST(ToolpathLoad, StartPointsPassThroughSinglePrecision) {
  ToolpathBuilder b;
  b.add(ToolpathBuilder::line(SIM_MOVE_RAPID, {0.1, 0.2, 0.3}));
  b.add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {0.3, 0.2, 0.3}));
  Toolpath t = Toolpath::fromRecord(b.record());
  EXPECT_EQ(t.startOf(1), glm::dvec3(0.1f, 0.2f, 0.3f));
  EXPECT_DOUBLE_EQ(t.totalLength(), glm::distance(glm::dvec3(0.3, 0.2, 0.3), glm::dvec3(0.1f, 0.2f, 0.3f)));
}

TEST(ToolpathLoad, ToolChangesBecomeMovesWithoutLengthOrTime) {
  ToolpathBuilder b = square();
  b.toolChange("T2 flat 6", 2).toolChange("beyond the end", 99);
  Toolpath t = Toolpath::fromRecord(b.record());
  EXPECT_EQ(t.move(2).type, uint32_t{SIM_MOVE_NONE});
  EXPECT_DOUBLE_EQ(t.cumulativeLength(2), t.cumulativeLength(1));
  EXPECT_DOUBLE_EQ(t.cumulativeTime(2), t.cumulativeTime(1));
  EXPECT_DOUBLE_EQ(t.totalLength(), 30.0);
  auto changes = t.toolChanges();
  ASSERT_EQ(changes.size(), 2u);
  EXPECT_EQ(changes[0].nameHash, common::fnv1a64("T2 flat 6"));
  EXPECT_EQ(changes[0].move, 2u);
}

TEST(ToolpathLoad, NamesAndPayloadsOfEventsAreCopied) {
  ToolpathBuilder b = square();
  std::string stopName = "M00", coolant = "M08";
  std::vector<SIM_MoveEvent> events(3);
  events[0] = {1, SIM_EVENT_CATEGORY_STOP | SIM_EVENT_CATEGORY_MESSAGE, {}, stopName.c_str(), {}};
  events[0].payload[0] = 42;
  events[1] = {1, SIM_EVENT_CATEGORY_COOLANT, {}, coolant.c_str(), {}};
  events[2] = {3, SIM_EVENT_CATEGORY_STOP, {}, nullptr, {}};
  SIM_ToolpathRecord r = b.record();
  r.eventCount = 3;
  r.events = events.data();
  Toolpath t = Toolpath::fromRecord(r);
  stopName.assign("xxx");  // the host's texts may change after the call

  auto stops = t.eventsOfCategory(0);
  ASSERT_EQ(stops.size(), 2u);
  EXPECT_EQ(stops[0].payload[0], 42);
  EXPECT_EQ(stops[1].move, 3u);
  EXPECT_EQ(t.eventsOfCategory(3).size(), 1u);
  EXPECT_EQ(t.eventsNamed(common::fnv1a64("M08")).size(), 1u);
  EXPECT_EQ(t.eventsNamed(common::fnv1a64("M00")).size(), 1u);
  EXPECT_EQ(t.eventMoves(), (std::vector<uint32_t>{1, 3}));
}

// One arc about the origin in the XY plane, after a rapid to its start.
static Toolpath oneArc(const glm::dvec3& start, uint32_t type, const glm::dvec3& end) {
  ToolpathBuilder b;
  b.add(ToolpathBuilder::line(SIM_MOVE_RAPID, start));
  b.add(ToolpathBuilder::arc(type, end, {0, 0, 0}, kArcNormalXY));
  return Toolpath::fromRecord(b.record());
}

TEST(ToolpathArcs, SweepLengthAndReachFollowTheTypeAndTheRadii) {
  const double nan = std::nan("");
  struct Case {
    const char* name;
    glm::dvec3 start;
    uint32_t type;
    glm::dvec3 end;
    bool valid;
    double sweep;  // when valid
    double length, lengthTolerance;
    double minX, maxY;  // of the bounds; NaN: not checked
  };
  const Case cases[] = {
      {"full circle clockwise", {5, 0, 0}, SIM_MOVE_ARC_CW, {5, 0, 0}, true, -2 * kPi, 2 * kPi * 5, 1e-9, -5, 5},
      {"full circle counter-clockwise", {5, 0, 0}, SIM_MOVE_ARC_CCW, {5, 0, 0}, true, 2 * kPi, 2 * kPi * 5, 1e-9, -5,
       5},
      // A quarter reaches neither negative x nor negative y.
      {"quarter counter-clockwise", {10, 0, 0}, SIM_MOVE_ARC_CCW, {0, 10, 0}, true, kPi / 2, kPi / 2 * 10, 1e-9, 0, 10},
      {"quarter clockwise", {0, 10, 0}, SIM_MOVE_ARC_CW, {10, 0, 0}, true, -kPi / 2, kPi / 2 * 10, 1e-9, 0, 10},
      // Radii that differ by more than the tolerance: the move counts as its chord.
      {"radii 0.011 apart", {10, 0, 0}, SIM_MOVE_ARC_CCW, {0, 10.011, 0}, false, nan,
       glm::distance(glm::dvec3(10, 0, 0), glm::dvec3(0, 10.011, 0)), 1e-9, nan, nan},
      {"radii 0.009 apart", {10, 0, 0}, SIM_MOVE_ARC_CCW, {0, 10.009, 0}, true, kPi / 2, kPi / 2 * 10, 1e-6, nan, nan},
      // One and a half turns would not be one move; a full turn rising 3 mm is.
      {"helix", {4, 0, 0}, SIM_MOVE_ARC_CCW, {4, 0, -3}, true, 2 * kPi, std::hypot(2 * kPi * 4, 3.0), 1e-9, nan, nan},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Toolpath t = oneArc(c.start, c.type, c.end);
    EXPECT_EQ(t.arcOf(1).valid, c.valid);
    if (c.valid) {
      EXPECT_DOUBLE_EQ(t.arcOf(1).sweep, c.sweep);
    }
    EXPECT_NEAR(t.totalLength(), c.length, c.lengthTolerance);
    if (!std::isnan(c.minX)) {
      EXPECT_NEAR(t.bounds().min.x, c.minX, 1e-9);
    }
    if (!std::isnan(c.maxY)) {
      EXPECT_NEAR(t.bounds().max.y, c.maxY, 1e-9);
    }
  }
  // Half way along the counter-clockwise quarter lies at 45 degrees.
  const glm::dvec3 middle = oneArc({10, 0, 0}, SIM_MOVE_ARC_CCW, {0, 10, 0}).arcOf(1).pointAt(0.5);
  EXPECT_NEAR(middle.x, 10 / std::sqrt(2.0), 1e-9);
  EXPECT_NEAR(middle.y, 10 / std::sqrt(2.0), 1e-9);
}

TEST(ToolpathArcs, SegmentCountKeepsTheStepWithinItsLimits) {
  using toolpath::segmentCount;
  EXPECT_EQ(segmentCount(0.0, kPi, 0.02), 0);
  EXPECT_EQ(segmentCount(5.0, kPi, 0.0), 0);
  EXPECT_EQ(segmentCount(0.01, kPi, 0.02), 2);
  EXPECT_EQ(segmentCount(10.0, 2 * kPi, 0.02), 50);  // 7.2 degree steps
  EXPECT_EQ(segmentCount(0.1, 2 * kPi, 0.02), 30);   // coarse: limited to 12 degrees
  EXPECT_EQ(segmentCount(1e5, 2 * kPi, 0.02), 720);  // fine: limited to 0.5 degree
  EXPECT_EQ(segmentCount(10.0, 0.1, 0.02), 1);       // one chord
  EXPECT_EQ(segmentCount(10.0, -2 * kPi, 0.02), 50);  // direction does not matter
  // Every chord of a count stays within the tolerance.
  for (double r : {0.5, 3.0, 40.0}) {
    const int n = segmentCount(r, 2 * kPi, 0.02);
    EXPECT_LE(r * (1 - std::cos(kPi / n)), 0.02 + 1e-12) << r;
  }
}

TEST(ToolpathPalettes, ValuesBeyondTheSixteenSlotsMapToNone) {
  ToolpathBuilder b;
  for (int i = 0; i < 20; ++i) b.add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {double(i), 0, 0}));
  // Slot 0 means none, so fifteen values fit; the next one gets slot 0.
  for (uint32_t i = 0; i < 15; ++i) b.valueChanges.push_back({i, 0, {}, 100.0 + i});
  b.valueChanges.push_back({15, 0, {}, 900.0});
  b.valueChanges.push_back({16, 0, {}, 100.0 + 3e-7});  // reuses slot 1
  b.valueChanges.push_back({17, 1, {}, 7.0});           // palette B
  Toolpath t = Toolpath::fromRecord(b.record());
  EXPECT_EQ(t.paletteIndexesOf(0), 1 << 4);
  EXPECT_EQ(t.paletteIndexesOf(14), 15 << 4);
  EXPECT_EQ(t.paletteIndexesOf(15), 0);
  EXPECT_EQ(t.paletteIndexesOf(16), 1 << 4);
  EXPECT_EQ(t.paletteIndexesOf(17), (1 << 4) | 1);
  EXPECT_EQ(t.paletteIndexesOf(19), (1 << 4) | 1);
  EXPECT_EQ(t.paletteValue(false, 15), 114.0);
  EXPECT_EQ(t.paletteValue(true, 1), 7.0);
  EXPECT_EQ(t.paletteSummary(), (15 << 4) | 1);
}

TEST(ToolpathLookups, FractionsMapToMovesAndBack) {
  ToolpathBuilder b;
  // Two moves without length at the start, then two of 10 mm.
  b.add(ToolpathBuilder::line(SIM_MOVE_RAPID, {0, 0, 0}));
  b.add(ToolpathBuilder::line(SIM_MOVE_RAPID, {0, 0, 0}));
  b.add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {10, 0, 0}));
  b.add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {20, 0, 0}));
  b.add(ToolpathBuilder::line(SIM_MOVE_NONE, {20, 0, 0}));
  Toolpath t = Toolpath::fromRecord(b.record());
  EXPECT_EQ(t.moveAtFraction(0.0, Measure::Length), 0);
  EXPECT_EQ(t.moveAtFraction(1.0, Measure::Length), 4);
  EXPECT_EQ(t.moveAtFraction(0.25, Measure::Time), 2);
  EXPECT_EQ(t.moveAtFraction(0.5, Measure::Length), 2);  // the end of move 2 belongs to it
  EXPECT_EQ(t.moveAtFraction(0.5 + 1e-6, Measure::Length), 3);
  EXPECT_DOUBLE_EQ(t.fractionWithinMove(3, 0.75, Measure::Length), 0.5);
  EXPECT_EQ(t.fractionWithinMove(3, 0.1, Measure::Length), 0.0);  // clamped
  EXPECT_EQ(t.fractionWithinMove(1, 0.3, Measure::Length), 1.0);  // no extent
  EXPECT_EQ(t.fractionWithinMove(0, 0.3, Measure::Length), 0.0);
  EXPECT_EQ(t.fractionWithinMove(9, 0.3, Measure::Length), 1.0);
  EXPECT_DOUBLE_EQ(t.timeFractionOfMove(2), 0.5);
  EXPECT_EQ(t.nextMoveWithExtent(0, Measure::Length), 2);
  EXPECT_EQ(t.nextMoveWithExtent(3, Measure::Length), 4);  // none after: the last move
  EXPECT_EQ(t.cumulativeLength(-3), 0.0);
  EXPECT_EQ(t.cumulativeLength(99), 20.0);

  const toolpath::PositionAtFraction p = t.positionAt(0.75, Measure::Length);
  EXPECT_EQ(p.move, 3);
  EXPECT_EQ(p.previous, 2);
  EXPECT_DOUBLE_EQ(p.fraction, 0.5);
}

TEST(ToolpathLookups, OperationsAndTheirVisibility) {
  ToolpathBuilder b = square();
  b.operations = {{0, 2, 7}, {2, 5, 8}};
  Toolpath t = Toolpath::fromRecord(b.record());
  EXPECT_EQ(t.operationAt(1, t.timeFractionOfMove(1) - 0.1), 0u);
  // At the exact end of move 1 the next move, of the second operation, plays.
  EXPECT_EQ(t.operationAt(1, t.timeFractionOfMove(1)), 1u);
  EXPECT_EQ(t.operationAt(4, 1.0), 1u);  // the last move stays
  EXPECT_EQ(t.operationAt(9, 1.0), 2u);  // past every operation
  EXPECT_TRUE(t.operationVisible(1));
  const std::optional<Toolpath> hidden = t.withOperationVisible(1, false);
  ASSERT_TRUE(hidden);
  EXPECT_FALSE(hidden->operationVisible(1));
  EXPECT_TRUE(t.operationVisible(1)) << "a snapshot never changes";
  EXPECT_FALSE(hidden->withOperationVisible(1, false)) << "hidden already";
  EXPECT_FALSE(t.withOperationVisible(2, false)) << "no such operation";
  EXPECT_EQ(hidden->moveCount(), t.moveCount());
  // A range past the end takes the operations there are, in one snapshot.
  const std::optional<Toolpath> none = hidden->withOperationsVisible(0, 99, false);
  ASSERT_TRUE(none);
  EXPECT_FALSE(none->operationVisible(0) || none->operationVisible(1));
  EXPECT_FALSE(none->withOperationsVisible(0, 99, false)) << "nothing left to change";
}

TEST(ToolpathLookups, SubprogramLinesMapToTheirFiles) {
  ToolpathBuilder b = square();
  std::vector<uint32_t> localA = {1, 2, 3}, localB = {40, 41};
  std::vector<SIM_SubprogramLines> map = {{7, 20, 22, 0, localB.data()}, {3, 10, 13, 0, localA.data()}};
  SIM_ToolpathRecord r = b.record();
  r.subprogramCount = 2;
  r.subprograms = map.data();
  Toolpath t = Toolpath::fromRecord(r);
  localA.assign(3, 0);  // copied during the load
  EXPECT_EQ(t.fileLineOf(11), (toolpath::FileLine{3, 2}));
  EXPECT_EQ(t.fileLineOf(21), (toolpath::FileLine{7, 41}));
  EXPECT_EQ(t.fileLineOf(13), toolpath::FileLine{});  // end is exclusive
  EXPECT_EQ(t.fileLineOf(9), toolpath::FileLine{});
}

TEST(ToolpathLookups, TurningRadiusCountsFlaggedFeedMovesOnly) {
  ToolpathBuilder b;
  b.add(ToolpathBuilder::line(SIM_MOVE_RAPID, {-50, 0, 0}));
  b.add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {-20, 0, 5}));
  b.add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {30, 0, 5}));
  b.flags = {SIM_MOVE_FLAG_TURNING, SIM_MOVE_FLAG_TURNING, 0};
  Toolpath t = Toolpath::fromRecord(b.record());
  EXPECT_EQ(t.maxTurningRadius(), 20.0);
  EXPECT_EQ(t.flagUnion(), SIM_MOVE_FLAG_TURNING);
}

namespace {

struct FakeTools : toolpath::ToolOrientationSource {
  std::map<uint64_t, toolpath::Mat3> oriented;
  bool anyToolHasOrientation() const override { return !oriented.empty(); }
  std::optional<toolpath::Mat3> orientationOf(uint64_t hash) const override {
    auto it = oriented.find(hash);
    if (it == oriented.end()) return std::nullopt;
    return it->second;
  }
};

const toolpath::Mat3 kQuarterTurnAboutZ = {0, -1, 0, 1, 0, 0, 0, 0, 1};  // x -> y

}  // namespace

TEST(ToolpathOrientations, RebuiltFromToolChanges) {
  ToolpathBuilder b = square();
  SIM_OrientationEntry hostFirst{0, {0, 0, 1, 0, 1, 0, -1, 0, 0}};
  b.orientations = {hostFirst};
  b.toolChange("A", 1).toolChange("unknown", 2).toolChange("B", 3).toolChange("B", 4);
  Toolpath t = Toolpath::fromRecord(b.record());
  FakeTools tools;
  tools.oriented[common::fnv1a64("A")] = kQuarterTurnAboutZ;
  tools.oriented[common::fnv1a64("B")] = toolpath::kIdentity3;
  t = t.withOrientationsOf(tools);
  const auto list = t.orientations();
  // Move 0 keeps the host's first matrix; A turns; the unknown tool takes
  // what the previous list held at its move; B returns to the identity once.
  const toolpath::Mat3 host = {0, 0, 1, 0, 1, 0, -1, 0, 0};
  ASSERT_EQ(list.size(), 4u);
  EXPECT_EQ(list[0].move, 0u);
  EXPECT_EQ(list[0].rotation, host);
  EXPECT_EQ(list[1].move, 1u);
  EXPECT_EQ(list[1].rotation, kQuarterTurnAboutZ);
  EXPECT_EQ(list[2].move, 2u);
  EXPECT_EQ(list[2].rotation, host);
  EXPECT_EQ(list[3].move, 3u);
  EXPECT_EQ(t.orientationAt(1), kQuarterTurnAboutZ);
  EXPECT_EQ(t.orientationAt(4), toolpath::kIdentity3);
}

TEST(ToolpathCompensation, OffsetsMoveEndsAndCentresOfNewSnapshots) {
  ToolpathBuilder b;
  b.add(ToolpathBuilder::line(SIM_MOVE_RAPID, {10, 0, 0}));
  b.add(ToolpathBuilder::arc(SIM_MOVE_ARC_CCW, {0, 10, 0}, {0, 0, 0}, kArcNormalXY));
  b.add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {0, 20, 0}));
  b.add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {0, 30, 0}));
  b.compensations = {{1, {0.5f, 0, 0}}, {3, {0, 0, 0}}};
  b.toolChange("A", 0);
  const Toolpath loaded = Toolpath::fromRecord(b.record());
  Toolpath t = loaded;
  machine::IdentityKinematics identity;
  t = t.withCompensation(identity);
  EXPECT_TRUE(t.compensationCurrent());
  EXPECT_EQ(t.move(0).end[0], 10.0);  // before the first entry
  EXPECT_EQ(t.move(1).end[0], 0.5);
  EXPECT_EQ(t.move(1).centre[0], 0.5);
  EXPECT_EQ(t.move(2).end[0], 0.5);
  EXPECT_EQ(t.move(3).end[0], 0.0);  // the zero entry ends it

  // A tool orientation turns the offset; re-applying removes the old offsets
  // first instead of adding to them.
  FakeTools tools;
  tools.oriented[common::fnv1a64("A")] = kQuarterTurnAboutZ;
  t = t.withOrientationsOf(tools);
  EXPECT_FALSE(t.compensationCurrent());
  t = t.withCompensation(identity);
  EXPECT_NEAR(t.move(2).end[0], 0.0, 1e-7);
  EXPECT_NEAR(t.move(2).end[1], 20.5, 1e-6);
  EXPECT_NEAR(t.move(1).centre[1], 0.5, 1e-7);

  // Each result is a snapshot of its own: the loaded one keeps its moves.
  EXPECT_FALSE(loaded.compensationApplied());
  EXPECT_EQ(loaded.move(2).end[1], 20.0);
  EXPECT_EQ(loaded.move(2).end[0], 0.0);
}

TEST(ToolpathCompensation, TurningMovesUseTheRebasedRotation) {
  struct ShiftingKinematics : machine::Kinematics {
    glm::dmat4 toolTransform(const glm::dvec3& axes) const override {
      glm::dmat4 m(1.0);
      m[3] = glm::dvec4(axes.x, 0, 0, 1);  // a translation by A, to see it used
      return m;
    }
    bool rebasesTurningMoves() const override { return true; }
    glm::dmat4 turningRotation(const glm::dmat4&) const override { return glm::dmat4(1.0); }
  } kinematics;
  ToolpathBuilder b;
  SIM_ToolpathMove plain = ToolpathBuilder::line(SIM_MOVE_LINEAR, {0, 0, 0});
  plain.axes[0] = 2.0;
  b.add(plain).add(plain);
  b.flags = {0, SIM_MOVE_FLAG_TURNING};
  b.compensations = {{0, {1, 0, 0}}};
  Toolpath t = Toolpath::fromRecord(b.record());
  t = t.withCompensation(kinematics);
  EXPECT_EQ(t.move(0).end[0], 3.0);  // transform applied to the offset as a point
  EXPECT_EQ(t.move(1).end[0], 1.0);  // the rotation replaced it
}

// Moves generated from known geometry: lines, zero-length moves, arcs in
// random planes and helices. The expected lengths come from the generator,
// not from the model; the last move of each line and entity (lines with
// gaps, entities past the last) from a search of the arrays.
TEST(ToolpathLookups, AgreeWithBruteForceOnRandomToolpaths) {
  std::mt19937 random(1234);
  std::uniform_real_distribution<double> unit(-1.0, 1.0);
  for (int trial = 0; trial < 20; ++trial) {
    ToolpathBuilder b;
    std::vector<double> expected{0.0};
    glm::dvec3 end(0.0);
    b.add(ToolpathBuilder::line(SIM_MOVE_RAPID, end), 1, 1);
    uint32_t line = 1;
    for (int i = 1; i < 200; ++i) {
      const glm::dvec3 start = glm::dvec3(glm::vec3(end));
      const int kind = random() % 4;
      line += random() % 3;
      if (kind == 0) {  // zero length
        b.add(ToolpathBuilder::line(SIM_MOVE_LINEAR, end), line, line / 2);
        expected.push_back(expected.back());
      } else if (kind == 1) {
        end = start + 20.0 * glm::dvec3(unit(random), unit(random), unit(random));
        b.add(ToolpathBuilder::line(SIM_MOVE_LINEAR, end), line, line / 2);
        expected.push_back(expected.back() + glm::distance(start, end));
      } else {
        const glm::dvec3 n = glm::normalize(glm::dvec3(unit(random), unit(random), unit(random) + 2.0));
        const glm::dvec3 inPlane = glm::normalize(glm::cross(n, glm::dvec3(unit(random), unit(random), unit(random))));
        const double radius = 1.0 + 10.0 * std::abs(unit(random));
        const double turn = 0.1 + (2 * kPi - 0.2) * std::abs(unit(random));
        const double lead = kind == 3 ? 5.0 * unit(random) : 0.0;
        const bool ccw = random() % 2;
        const glm::dvec3 centre = start - radius * inPlane;
        // Counter-clockwise arcs turn clockwise about their normal.
        const double signedTurn = ccw ? -turn : turn;
        end = centre + glm::rotate(radius * inPlane, signedTurn, n) + lead * n;
        b.add(ToolpathBuilder::arc(ccw ? SIM_MOVE_ARC_CCW : SIM_MOVE_ARC_CW, end, centre, n), line, line / 2);
        expected.push_back(expected.back() + std::hypot(turn * radius, lead));
      }
    }
    Toolpath t = Toolpath::fromRecord(b.record());
    ASSERT_EQ(t.moveCount(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i)
      ASSERT_NEAR(t.cumulativeLength(i), expected[i], 1e-4 * (1 + expected[i])) << "trial " << trial << " move " << i;

    const double total = t.totalLength();
    for (int probe = 0; probe < 200; ++probe) {
      const double f = std::abs(unit(random));
      const int64_t m = t.moveAtFraction(f, Measure::Length);
      const double v = f * total;
      ASSERT_GE(m, 0);
      // The move spans the value, and the fraction within it points back at it.
      ASSERT_LE(t.cumulativeLength(m - 1) - 1e-6, v);
      ASSERT_GE(t.cumulativeLength(m) + 1e-6, v);
      if (m > 0 && t.cumulativeLength(m) - t.cumulativeLength(m - 1) > 1e-6) {
        const double within = t.fractionWithinMove(m, f, Measure::Length);
        const double back = t.cumulativeLength(m - 1) + within * (t.cumulativeLength(m) - t.cumulativeLength(m - 1));
        ASSERT_NEAR(back, v, 1e-6 * (1 + total));
      }
    }
    for (uint32_t probeLine = 0; probeLine < line + 3; ++probeLine) {
      int64_t last = 0;  // brute force: the last move on a line not above the probe
      for (size_t i = 0; i < b.lines.size(); ++i)
        if (b.lines[i] <= probeLine) last = static_cast<int64_t>(i);
      ASSERT_EQ(t.lastMoveOfLine(probeLine), last) << probeLine;
      int64_t lastEntity = 0;
      for (size_t i = 0; i < b.entities.size(); ++i)
        if (b.entities[i] == probeLine / 2) lastEntity = static_cast<int64_t>(i);
      ASSERT_EQ(t.lastMoveOfEntity(probeLine / 2), lastEntity);
    }
  }
}
