// The machine check on a running view: a job on the sample mill whose
// plunge drives the tool and then the head into the table past the Z
// travel, the report the host reads, the events it hears, and the rules
// for starting, aborting and clearing.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <string>
#include <vector>

#include "collision/MachineCheck.h"
#include "korvane/Korvane.h"
#include "support/EventRecorder.h"
#include "support/HeadlessView.h"
#include "support/MachineFiles.h"
#include "support/ToolBuilder.h"
#include "support/ToolpathBuilder.h"

namespace {

using CollisionView = testsupport::HeadlessViewTest;
using testing_support::ToolpathBuilder;

// The sample mill with its table (top at machine z -200, the program zero)
// and a head whose nose reaches down to 100 mm below the spindle's home.
// The flat tool stands 30 mm out of the spindle: its tip is at program z
// 270 + Z, so the nose meets the table at tip z -30, where Z reaches its
// lower limit of -300.
struct CollidingJob {
  testsupport::ToolTableBuilder tools;
  ToolpathBuilder path;
  CollidingJob() {
    tools.addTool("flat6", {{SIM_PART_CUTTING, testsupport::flatProfile(3, 30)}});
    path.add(ToolpathBuilder::line(SIM_MOVE_RAPID, {0, 0, 100}), 1, 10)
        .add(ToolpathBuilder::line(SIM_MOVE_RAPID, {100, 50, 100}), 2, 20)
        .add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {100, 50, -40}), 3, 30)
        .add(ToolpathBuilder::line(SIM_MOVE_RAPID, {100, 50, 100}), 4, 40)
        .add(ToolpathBuilder::line(SIM_MOVE_RAPID, {0, 0, 800}), 5, 50)
        .toolChange("flat6", 0);
  }
};

struct Entry {
  uint32_t kind;
  std::string first, second;
  uint32_t startLine, endLine;
  bool operator==(const Entry&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Entry& e) {
  return out << "{" << e.kind << " " << e.first << " / " << e.second << " lines " << e.startLine << "-" << e.endLine << "}";
}

std::vector<Entry> entriesOf(const SIM_CollisionReport& report) {
  std::vector<Entry> entries;
  for (uint64_t i = 0; i < report.count; ++i) {
    const SIM_CollisionReportEntry& e = report.entries[i];
    entries.push_back({e.kind, e.firstName, e.secondName, e.startLine, e.endLine});
  }
  return entries;
}

class CollisionJobView : public CollisionView {
 protected:
  void SetUp() override {
    CollisionView::SetUp();
    data = std::make_unique<testsupport::OwnDataFolder>(view);
    ASSERT_EQ(SIM_SetCallbackWindow(view, host.window, true), 0);
    const std::string mill = testsupport::machineText("vertical-mill");
    ASSERT_EQ(SIM_CreateMachine(view, mill.c_str(), 0, 0), 0);
    const testsupport::BoxModel table("mill-table.stl", {-450, -200, -260}, {450, 200, -200});
    const testsupport::BoxModel head("mill-head.stl", {-60, -60, 100}, {60, 400, 800});
    const SIM_MachineModelRecord records[] = {table.record(), head.record()};
    ASSERT_EQ(SIM_LoadMachineModels(view, {records, 2}), 0);
    ASSERT_EQ(host.countOf(SIM_EVENT_MACHINE_LOADED), 1u);
    ASSERT_TRUE(testsupport::waitUntil([&] {
      return !host.valuesOf(SIM_EVENT_MESH_CACHE_PROGRESS).empty() &&
             host.valuesOf(SIM_EVENT_MESH_CACHE_PROGRESS).back() == 100;
    }, std::chrono::seconds(20)));
    const SIM_ToolTableRecord tools = job.tools.record();
    ASSERT_EQ(SIM_SetToolTable(view, &tools), 0);
    const SIM_ToolpathRecord path = job.path.record();
    ASSERT_EQ(SIM_SetToolpath(view, &path), 0);
  }
  void TearDown() override {
    data.reset();
    CollisionView::TearDown();
  }
  // Runs a full check and waits for its end.
  void runCheck() {
    const size_t done = host.valuesOf(SIM_EVENT_COLLISION_CHECK_DONE).size();
    ASSERT_EQ(SIM_RunCollisionDetection(view), 0);
    ASSERT_TRUE(testsupport::waitUntil([&] { return host.valuesOf(SIM_EVENT_COLLISION_CHECK_DONE).size() > done; },
                                       std::chrono::seconds(60)));
    view->collisions().run().join();
  }

  // How many drawn machine models show the tint, and the tool's tinted
  // parts, after a frame.
  std::pair<int, uint32_t> tinted() {
    onRenderThread([] { return 0; });  // a frame that follows the results and the position
    return onRenderThread([&] {
      int models = 0;
      for (const view::MachineStage::DrawnModel& d : view->machineStage().drawn())
        models += d.colour.r > 0.7f && d.colour.g < 0.35f;
      return std::make_pair(models, view->toolStage().tintedParts.load());
    });
  }
  // Waits for every run to end, playback's own partial runs included (a
  // position change or an empty checked range starts one).
  void settle() {
    ASSERT_TRUE(testsupport::waitUntil([&] {
      onRenderThread([] { return 0; });
      view->collisions().run().join();
      onRenderThread([] { return 0; });
      return view->collisions().run().state() == collision::RunState::Idle;
    }, std::chrono::seconds(20)));
  }
  bool tintedBecomes(std::pair<int, uint32_t> wanted) {
    return testsupport::waitUntil([&] { return tinted() == wanted; }, std::chrono::seconds(10));
  }

  testsupport::EventRecorder host;
  std::unique_ptr<testsupport::OwnDataFolder> data;
  CollidingJob job;
};

TEST_F(CollisionJobView, ThePlungeIntoTheTableIsReportedWithTheTravelLimits) {
  runCheck();
  const std::vector<Entry> expected = {
      {SIM_COLLISION_MACHINE, "flat6", "X Axis", 3, 3},
      {SIM_COLLISION_MACHINE, "Z Axis", "X Axis", 3, 3},
      {SIM_COLLISION_TRAVEL_LIMIT, "Z", "", 3, 3},
      {SIM_COLLISION_TRAVEL_LIMIT, "Z", "", 4, 4},  // the climb starts below the limit
      {SIM_COLLISION_TRAVEL_LIMIT, "Z", "", 5, 5},
  };
  const SIM_CollisionReport report = SIM_GetCollisionReport(view);
  EXPECT_EQ(entriesOf(report), expected);
  ASSERT_EQ(report.count, expected.size());
  const double firstCollision = report.entries[0].startPosition, firstViolation = report.entries[2].startPosition;
  // Where along the plunge: the tip enters the table at z 0, the nose at
  // tip z -30; a pair done with at its first hit reports that sample.
  const std::shared_ptr<const toolpath::Toolpath> path = view->job().toolpath.current();
  const double step = collision::timeAt(*path, 2, 0.2 / 140.0) - collision::timeAt(*path, 2, 0.0);
  EXPECT_NEAR(report.entries[0].startPosition, collision::timeAt(*path, 2, 100.0 / 140.0), 2 * step);
  EXPECT_EQ(report.entries[0].endPosition, report.entries[0].startPosition);
  EXPECT_NEAR(report.entries[1].startPosition, collision::timeAt(*path, 2, 130.0 / 140.0), 2 * step);
  EXPECT_EQ(report.entries[0].startEntity, 30u);
  // The limit entries sit where each move is worst: the plunge's end, the
  // climb's start, the rise's end.
  EXPECT_DOUBLE_EQ(report.entries[2].startPosition, collision::timeAt(*path, 2, 1.0));
  EXPECT_DOUBLE_EQ(report.entries[3].startPosition, collision::timeAt(*path, 3, 0.0));
  EXPECT_DOUBLE_EQ(report.entries[4].endPosition, collision::timeAt(*path, 4, 1.0));

  // Preparing, then checking, then done: in that order, each ending at 100.
  std::vector<std::pair<uint64_t, int64_t>> events;
  for (const auto& m : host.messages())
    if (m.message == SIM_MESSAGE_NOTIFY && m.wparam >= SIM_EVENT_COLLISION_CHECK_DONE &&
        m.wparam <= SIM_EVENT_COLLISION_PREPARE_PROGRESS)
      events.emplace_back(m.wparam, m.lparam);
  ASSERT_GE(events.size(), 4u);
  EXPECT_EQ(events.front(), std::make_pair(uint64_t{SIM_EVENT_COLLISION_PREPARE_PROGRESS}, int64_t{0}));
  const auto prepared = std::find(events.begin(), events.end(),
                                  std::make_pair(uint64_t{SIM_EVENT_COLLISION_PREPARE_PROGRESS}, int64_t{100}));
  ASSERT_NE(prepared, events.end());
  EXPECT_TRUE(std::all_of(events.begin(), prepared, [](const auto& e) { return e.first == SIM_EVENT_COLLISION_PREPARE_PROGRESS; }));
  EXPECT_EQ(events[events.size() - 2], std::make_pair(uint64_t{SIM_EVENT_COLLISION_CHECK_PROGRESS}, int64_t{100}));
  EXPECT_EQ(events.back(), std::make_pair(uint64_t{SIM_EVENT_COLLISION_CHECK_DONE}, int64_t{0}));

  // From their first hit on, the table, the head and the tool show the
  // collision tint as the highlight settings allow; a stock reset takes it
  // away.
  EXPECT_EQ(tinted(), std::make_pair(0, 0u)) << "playback stands before the hits";
  ASSERT_EQ(SIM_GotoLine(view, 5), 0);
  EXPECT_TRUE(tintedBecomes({2, 0xFu}));
  ASSERT_EQ(SIM_SetCollisionHighlightSettings(view, SIM_CollisionHighlightSettings{{0, 1, 1}}), 0);
  EXPECT_TRUE(tintedBecomes({0, 0xFu}));
  ASSERT_EQ(SIM_SetCollisionHighlightSettings(view, SIM_CollisionHighlightSettings{{1, 0, 1}}), 0);
  EXPECT_TRUE(tintedBecomes({2, 0u}));
  ASSERT_EQ(SIM_SetCollisionHighlightSettings(view, SIM_CollisionHighlightSettings{{1, 1, 1}}), 0);
  ASSERT_EQ(SIM_GotoLine(view, 2), 0);
  EXPECT_TRUE(tintedBecomes({0, 0u}));
  ASSERT_EQ(SIM_GotoLine(view, 5), 0);
  EXPECT_TRUE(tintedBecomes({2, 0xFu}));
  ASSERT_EQ(SIM_Command(view, SIM_COMMAND_RESET_STOCK, 0), 0);
  EXPECT_TRUE(tintedBecomes({0, 0u}));
  EXPECT_EQ(view->collisions().run().state(), collision::RunState::Idle) << "the full run checked it all";
  EXPECT_EQ(SIM_GetCollisionReport(view).count, expected.size()) << "the report stays";

  // Playing stops at the first collision and at the first violation, each
  // under its condition, where the report puts them.
  view->playback().setSpeed(1.0);
  const struct {
    uint32_t condition;
    double at;
  } stops[] = {{SIM_STOP_TOOL_AGAINST_MACHINE, firstCollision / path->totalTime()},
               {SIM_STOP_TRAVEL_LIMITS, firstViolation / path->totalTime()},
               {SIM_STOP_HOLDER_INTO_STOCK, 1.0}};  // no stock: nothing to meet
  for (const auto& s : stops) {
    ASSERT_EQ(SIM_SetStopConditions(view, uint64_t{1} << (8 * s.condition)), 0);
    ASSERT_EQ(SIM_GotoCommand(view, 0), 0);
    onRenderThread([] { return 0; });
    ASSERT_EQ(SIM_Play(view), 0);
    EXPECT_TRUE(testsupport::waitUntil([&] { return SIM_IsPlaying(view) == 0; }, std::chrono::seconds(30)));
    EXPECT_NEAR(SIM_GetProgress(view), s.at, 1e-9) << s.condition;
  }

  // Keeping every hit, the tool's interval runs from entering the table on
  // the plunge to leaving it on the climb.
  SIM_CollisionDetectionSettings settings = SIM_GetCollisionDetectionSettings(view);
  settings.mode = 3;
  ASSERT_EQ(SIM_SetCollisionDetectionSettings(view, &settings), 0);
  EXPECT_EQ(SIM_GetCollisionReport(view).count, 0u) << "a mode change clears";
  runCheck();
  const SIM_CollisionReport every = SIM_GetCollisionReport(view);
  ASSERT_EQ(every.count, 5u);
  EXPECT_EQ(every.entries[0].startLine, 3u);
  EXPECT_EQ(every.entries[0].endLine, 4u);
  EXPECT_NEAR(every.entries[0].endPosition, collision::timeAt(*path, 3, 40.0 / 140.0), 2 * step);
}

TEST_F(CollisionJobView, RunsAreRefusedAbortedAndClearedByTheRules) {
  // Null views.
  EXPECT_EQ(SIM_RunCollisionDetection(nullptr), 1);
  EXPECT_EQ(SIM_AbortCollisionDetection(nullptr), 1);
  const SIM_CollisionDetectionSettings defaults = SIM_GetCollisionDetectionSettings(nullptr);
  EXPECT_EQ(std::vector<double>({defaults.stepSize, double(defaults.options), double(defaults.mode),
                                 double(defaults.machineSwitch)}),
            std::vector<double>({0.2f, 0, 2, 0}));
  EXPECT_EQ(SIM_GetCollisionReport(nullptr).entries, nullptr);
  EXPECT_EQ(SIM_GetCollisionHighlightSettings(nullptr).tint[2], 1);
  settle();
  EXPECT_EQ(SIM_AbortCollisionDetection(view), -1) << "nothing runs";

  // Bad steps are refused and change nothing.
  SIM_CollisionDetectionSettings settings = SIM_GetCollisionDetectionSettings(view);
  for (float bad : {NAN, INFINITY, 0.0f, -1.0f}) {
    SIM_CollisionDetectionSettings s = settings;
    s.stepSize = bad;
    EXPECT_EQ(SIM_SetCollisionDetectionSettings(view, &s), std::isfinite(bad) ? SIM_STATUS_OUT_OF_RANGE : SIM_STATUS_NOT_FINITE);
  }
  EXPECT_EQ(SIM_SetCollisionDetectionSettings(view, nullptr), -1);
  EXPECT_FLOAT_EQ(SIM_GetCollisionDetectionSettings(view).stepSize, 0.2f);
  // In inches the step reads back in inches.
  ASSERT_EQ(SIM_SetUnits(view, 1), 0);
  EXPECT_NEAR(SIM_GetCollisionDetectionSettings(view).stepSize, 0.2 / 25.4, 1e-7);
  ASSERT_EQ(SIM_SetUnits(view, 0), 0);
  const SIM_CollisionHighlightSettings tint{{1, 0, 1}};
  ASSERT_EQ(SIM_SetCollisionHighlightSettings(view, tint), 0);
  EXPECT_EQ(SIM_GetCollisionHighlightSettings(view).tint[1], 0);

  // A second full run while one runs is refused; the abort keeps what was
  // found (here the travel limits, listed before the check starts).
  ASSERT_EQ(SIM_RunCollisionDetection(view), 0);
  EXPECT_EQ(SIM_RunCollisionDetection(view), -1);
  EXPECT_EQ(SIM_AbortCollisionDetection(view), 0);
  view->collisions().run().join();
  settle();
  EXPECT_EQ(SIM_AbortCollisionDetection(view), -1);
  EXPECT_EQ(host.countOf(SIM_EVENT_COLLISION_CHECK_DONE), 1u);

  runCheck();
  const size_t found = SIM_GetCollisionReport(view).count;
  ASSERT_EQ(found, 5u);
  // Options stay with the results; a step moved by 1e-6 clears them.
  settings.options = 7;
  ASSERT_EQ(SIM_SetCollisionDetectionSettings(view, &settings), 0);
  EXPECT_EQ(SIM_GetCollisionReport(view).count, found);
  EXPECT_EQ(SIM_GetCollisionDetectionSettings(view).options, 7u);
  settings.stepSize += 1e-6f;
  ASSERT_EQ(SIM_SetCollisionDetectionSettings(view, &settings), 0);
  EXPECT_EQ(SIM_GetCollisionReport(view).count, 0u);
}

// Hosts may start, abort, read and set from any thread; the run keeps its
// rules and ends idle (the thread checker's run looks at the locking).
TEST_F(CollisionJobView, RunsAbortsReportsAndSettingsFromSeveralThreads) {
  std::atomic<int> started{0}, refused{0};
  std::vector<std::thread> hosts;
  for (int t = 0; t < 4; ++t)
    hosts.emplace_back([&, t] {
      for (int i = 0; i < 25; ++i) {
        switch ((t + i) % 4) {
          case 0: (SIM_RunCollisionDetection(view) == 0 ? started : refused)++; break;
          case 1: SIM_AbortCollisionDetection(view); break;
          case 2: (void)SIM_GetCollisionReport(view).count; break;
          default: {
            SIM_CollisionDetectionSettings s = SIM_GetCollisionDetectionSettings(view);
            s.options = uint32_t(i);
            s.stepSize = i % 8 == 3 ? 0.25f : 0.2f;
            SIM_SetCollisionDetectionSettings(view, &s);
            SIM_SetCollisionHighlightSettings(view, SIM_CollisionHighlightSettings{{uint8_t(i & 1), 1, 1}});
          }
        }
      }
    });
  for (std::thread& h : hosts) h.join();
  settle();
  EXPECT_GT(started.load(), 0);
  EXPECT_EQ(started.load() + refused.load(), 25) << "a quarter of the calls start";
  EXPECT_EQ(view->collisions().run().state(), collision::RunState::Idle);
  EXPECT_EQ(SIM_AbortCollisionDetection(view), -1);
  // Every full run that started ended with its event.
  EXPECT_TRUE(testsupport::waitUntil(
      [&] { return host.valuesOf(SIM_EVENT_COLLISION_CHECK_DONE).size() == size_t(started.load()); }));
}

// Where playback goes, the machine is checked from there on in the
// background: the hits tint the parts from where they happen, and the
// report stays the host's full run's alone. A checked range is not checked
// again until the job changes.
TEST_F(CollisionJobView, PlaybackChecksFromWhereItStandsAndTintsWhatItPasses) {
  ASSERT_EQ(SIM_GotoLine(view, 3), 0);
  EXPECT_TRUE(tintedBecomes({2, 0xFu}));
  EXPECT_EQ(SIM_GetCollisionReport(view).count, 0u);
  EXPECT_TRUE(host.valuesOf(SIM_EVENT_COLLISION_CHECK_DONE).empty()) << "partial runs tell the host nothing";
  ASSERT_EQ(SIM_GotoLine(view, 2), 0);
  EXPECT_TRUE(tintedBecomes({0, 0u}));
  EXPECT_EQ(view->collisions().run().state(), collision::RunState::Idle);
  const size_t found = view->collisions().run().collided().size();
  EXPECT_EQ(found, 3u) << "tool, table and head";

  // A new toolpath that stays clear of the table: checked again, nothing hit.
  ToolpathBuilder clear;
  clear.add(ToolpathBuilder::line(SIM_MOVE_RAPID, {0, 0, 100}), 1)
      .add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {100, 50, 10}), 2)
      .toolChange("flat6", 0);
  const SIM_ToolpathRecord record = clear.record();
  ASSERT_EQ(SIM_SetToolpath(view, &record), 0);
  ASSERT_EQ(SIM_GotoLine(view, 2), 0);
  EXPECT_TRUE(testsupport::waitUntil([&] {
    return view->collisions().run().state() == collision::RunState::Idle &&
           view->collisions().run().collided().empty();
  }, std::chrono::seconds(10)));
  EXPECT_EQ(tinted(), std::make_pair(0, 0u));
}

// Without a machine a run ends at once with nothing found.
TEST_F(CollisionView, ARunWithoutAMachineEndsAtOnce) {
  testsupport::EventRecorder host;
  ASSERT_EQ(SIM_SetCallbackWindow(view, host.window, true), 0);
  ASSERT_EQ(SIM_RunCollisionDetection(view), 0);
  ASSERT_EQ(host.countOf(SIM_EVENT_COLLISION_CHECK_DONE), 1u);
  EXPECT_EQ(SIM_GetCollisionReport(view).count, 0u);
  EXPECT_TRUE(host.valuesOf(SIM_EVENT_COLLISION_PREPARE_PROGRESS).empty());
}

}  // namespace
