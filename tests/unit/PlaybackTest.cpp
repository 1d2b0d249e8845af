// Playback arithmetic: the speed slider's rate, the advance of one frame,
// the speed rule, progress values of every mode, the step commands, the
// throttled line report, the progress bar's tasks and the host's UTF-8 text.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

#include "collision/CollisionResults.h"
#include "common/Utf16.h"
#include "stock/StockCutter.h"
#include "support/ToolpathBuilder.h"
#include "toolpath/Toolpath.h"
#include "view/Notifier.h"
#include "view/Playback.h"
#include "view/PlaybackRules.h"
#include "view/PlaybackSteps.h"
#include "view/PositionReport.h"
#include "view/ProgressTasks.h"
#include "view/StopConditions.h"

using testing_support::ToolpathBuilder;
using toolpath::Measure;
using toolpath::Toolpath;

TEST(PlaybackRate, MarksAndEnds) {
  constexpr float kPixels = 200.0f;
  EXPECT_NEAR(view::playbackRate(0.0, kPixels), -10.0, 1e-12);
  EXPECT_EQ(view::playbackRate(0.35 + 5e-8, kPixels), 0.0);
  EXPECT_NEAR(view::playbackRate(0.35 + 1e-6, kPixels), 0.0, 1e-4);
  EXPECT_LT(view::playbackRate(0.2, kPixels), 0.0);
  EXPECT_NEAR(view::playbackRate(0.58, kPixels), 1.0, 1e-12);
  // Half way along each lower curve: 16^0.5 and 81^0.5.
  EXPECT_NEAR(view::playbackRate(0.465, kPixels), 0.2, 1e-12);
  EXPECT_NEAR(view::playbackRate(0.175, kPixels), -1.0, 1e-12);
  const double stop = 1.0 - 6.0 / kPixels;
  EXPECT_NEAR(view::playbackRate(stop, kPixels), 1000.0, 1e-9);
  EXPECT_NEAR(view::playbackRate((0.58 + stop) / 2, kPixels), std::sqrt(1000.0), 1e-9);
  EXPECT_EQ(view::playbackRate(stop + 1e-4, kPixels), std::numeric_limits<double>::max());
  // Rising everywhere away from the neutral mark.
  double previous = -11;
  for (double v = 0; v <= stop; v += 0.01) {
    const double rate = view::playbackRate(v, kPixels);
    EXPECT_GE(rate, previous) << v;
    previous = rate;
  }
}

TEST(PlaybackRate, AdvanceOfOneFrame) {
  constexpr double kInterval = 15.0;
  const double cap = kInterval / 2500.0;
  // Real time on a 60 s job: a 15 ms frame moves 15 ms of it.
  EXPECT_NEAR(view::positionAdvance(1.0, 1.0, kInterval, 60.0), 0.015 / 60.0, 1e-15);
  // A frame that took three intervals counts as two.
  EXPECT_NEAR(view::positionAdvance(1.0, 3.0, kInterval, 60.0), 2 * 0.015 / 60.0, 1e-15);
  // No frame moves more than the cap, the unlimited rate moves exactly that.
  EXPECT_NEAR(view::positionAdvance(1000.0, 1.0, kInterval, 1.0), cap, 1e-15);
  EXPECT_NEAR(view::positionAdvance(std::numeric_limits<double>::max(), 0.5, kInterval, 60.0), cap / 2, 1e-15);
  // Without a toolpath time the position creeps.
  EXPECT_NEAR(view::positionAdvance(1.0, 1.0, kInterval, std::nullopt), 6e-5, 1e-15);
  EXPECT_NEAR(view::positionAdvance(1.0, 1.0, kInterval, 1e-10), 6e-5, 1e-15);
  EXPECT_LT(view::positionAdvance(-10.0, 1.0, kInterval, 60.0), 0.0);
}

TEST(PlaybackRate, SpeedRuleKeepsEachHalf) {
  EXPECT_NEAR(view::speedAfterUpdate(0.4, 0.3), 0.1, 1e-12);
  EXPECT_NEAR(view::speedAfterUpdate(0.9, 0.3), 1.0, 1e-12);
  EXPECT_NEAR(view::speedAfterUpdate(0.9, -0.7), 0.5, 1e-12);
  EXPECT_NEAR(view::speedAfterUpdate(0.4, -0.3), 0.5, 1e-12);
  EXPECT_NEAR(view::speedAfterUpdate(0.1, 0.3), 0.0, 1e-12);
  EXPECT_NEAR(view::speedAfterUpdate(0.5, 0.0), 0.5, 1e-12);
}

namespace {

// Two operations and two tools over eleven moves (tool changes at 0 and 6
// make those moves motionless); move 9 goes nowhere.
ToolpathBuilder stepJob() {
  ToolpathBuilder b;
  const std::pair<uint32_t, glm::dvec3> moves[] = {
      {SIM_MOVE_RAPID, {0, 0, 10}},   {SIM_MOVE_RAPID, {0, 0, 2}},    {SIM_MOVE_LINEAR, {0, 0, 0}},
      {SIM_MOVE_LINEAR, {10, 0, 0}},  {SIM_MOVE_LINEAR, {10, 10, 0}}, {SIM_MOVE_RAPID, {10, 10, 5}},
      {SIM_MOVE_RAPID, {20, 0, 5}},   {SIM_MOVE_LINEAR, {20, 0, -1}}, {SIM_MOVE_LINEAR, {30, 0, -1}},
      {SIM_MOVE_LINEAR, {30, 0, -1}}, {SIM_MOVE_LINEAR, {40, 0, -1}}};
  uint32_t line = 1;
  for (const auto& [type, end] : moves) b.add(ToolpathBuilder::line(type, end), line++, 0);
  b.toolChange("a", 0).toolChange("b", 6);
  b.operations = {{0, 6, 100}, {6, 11, 101}};
  return b;
}

class PlaybackSteps : public ::testing::Test {
 protected:
  void SetUp() override {
    builder_ = stepJob();
    path_ = Toolpath::fromRecord(builder_.record());
  }
  // The move the step leads to from the end of move from; -1 when the step
  // does nothing.
  int64_t step(view::StepCommand code, int64_t from) const {
    return stepFrom(code, path_.timeFractionOfMove(from));
  }
  int64_t stepFrom(view::StepCommand code, double p) const {
    return view::stepMove(path_, static_cast<uint32_t>(code), p).value_or(-1);
  }
  ToolpathBuilder builder_;
  Toolpath path_;
};

}  // namespace

TEST_F(PlaybackSteps, ElementsAndZLevels) {
  using enum view::StepCommand;
  EXPECT_EQ(step(NextElement, 3), 4);
  EXPECT_EQ(step(NextElement, 8), 10) << "a move that goes nowhere is no element";
  EXPECT_EQ(step(NextElement, 10), 10) << "the last element stays last";
  EXPECT_EQ(stepFrom(PreviousElement, 0.0), 0) << "move 0 stays move 0";
  EXPECT_EQ(step(PreviousElement, 4), 3);
  EXPECT_EQ(step(NextZLevel, 2), 5);
  EXPECT_EQ(step(NextZLevel, 7), 10) << "no other level later: the last move";
  EXPECT_EQ(step(PreviousZLevel, 7), 6);
  EXPECT_EQ(step(PreviousZLevel, 1), 0);
  EXPECT_EQ(stepFrom(GoToStart, 0.7), 0);
  EXPECT_EQ(stepFrom(GoToEnd, 0.2), 10);
  EXPECT_EQ(stepFrom(static_cast<view::StepCommand>(12), 0.2), -1);
}

TEST_F(PlaybackSteps, CuttingPassesToolsAndOperations) {
  using enum view::StepCommand;
  EXPECT_EQ(step(NextCuttingPass, 2), 7) << "past the run 2-4 to the run that starts at 7";
  EXPECT_EQ(step(NextCuttingPass, 5), 7);
  EXPECT_EQ(step(NextCuttingPass, 8), 10) << "no later pass: the last move";
  EXPECT_EQ(step(PreviousCuttingPass, 8), 2);
  EXPECT_EQ(step(PreviousCuttingPass, 3), 0);
  EXPECT_EQ(step(NextTool, 3), 6);
  EXPECT_EQ(step(NextTool, 8), -1) << "no later tool";
  EXPECT_EQ(step(PreviousTool, 8), 6);
  EXPECT_EQ(step(PreviousTool, 6), 0);
  EXPECT_EQ(step(NextOperation, 3), 6);
  EXPECT_EQ(stepFrom(NextOperation, 1.0), -1) << "at the end nothing";
  EXPECT_EQ(step(NextOperation, 8), -1) << "no later operation";
  EXPECT_EQ(step(PreviousOperation, 8), 0);
  EXPECT_EQ(stepFrom(PreviousOperation, 0.0), -1);

  EXPECT_EQ(view::stepTarget(path_, uint32_t(GoToEnd), 0.3), 1.0);
  EXPECT_EQ(view::stepTarget(path_, uint32_t(NextTool), 0.0), path_.timeFractionOfMove(6));
  Toolpath empty = Toolpath::fromRecord(SIM_ToolpathRecord{});
  EXPECT_FALSE(view::stepTarget(empty, 0, 0.5));
}

TEST(PlaybackProgress, EveryModeOnAJobWhoseTimeIsNotItsLength) {
  // 10 mm at 600 mm/min (1 s) then 10 mm at 60 mm/min (10 s).
  ToolpathBuilder b;
  b.add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {0, 0, 0}));
  b.add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {10, 0, 0}));
  b.add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {20, 0, 0}));
  b.feeds = {600, 600, 60};
  Toolpath path = Toolpath::fromRecord(b.record());
  const double total = path.totalTime();
  ASSERT_GT(total, 0.0);
  const double firstShare = path.cumulativeTime(1) / total;
  EXPECT_NEAR(*view::progressTarget(&path, 0.25, 0), 0.25, 1e-12);
  // Half the length is the end of the fast move.
  EXPECT_NEAR(*view::progressTarget(&path, 0.5, 1), firstShare, 1e-9);
  EXPECT_NEAR(*view::progressTarget(&path, 0.75, 1), (1 + firstShare) / 2, 1e-9);
  EXPECT_NEAR(*view::progressTarget(&path, total / 2, 2), 0.5, 1e-12);
  EXPECT_NEAR(*view::progressTarget(&path, 5.0, 3), firstShare / 2, 1e-9);
  EXPECT_FALSE(view::progressTarget(&path, 0.5, 7));
  EXPECT_EQ(*view::progressTarget(nullptr, 0.5, 1), 0.0);
  EXPECT_EQ(*view::progressTarget(nullptr, 0.5, 2), 0.0);
  EXPECT_EQ(*view::progressTarget(nullptr, 0.5, 0), 0.5);
}

// Where the checks' findings stop playing: a reported rapid at its end, a
// non-cutting part where along its move it met material, the machine
// check's results at their toolpath time; each only under its own condition
// and only ahead of where playing stands.
TEST(PlaybackStops, FoundStopsLieWhereTheChecksFoundThemUnderTheirConditions) {
  // From the start point, four 10 mm moves: a rapid, then feeds of 1 s each.
  ToolpathBuilder b;
  b.add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {0, 0, 0}));
  b.add(ToolpathBuilder::line(SIM_MOVE_RAPID, {10, 0, 0}));
  for (float x : {20.0f, 30.0f, 40.0f}) b.add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {x, 0, 0}));
  b.feeds = {600, 600, 600, 600, 600};
  const Toolpath path = Toolpath::fromRecord(b.record());
  ASSERT_EQ(path.moveCount(), 5u);
  const double total = path.totalTime();
  ASSERT_GT(total, 0.0);
  const auto at = [&](int64_t move, double along) {
    const double before = move > 0 ? path.cumulativeTime(move - 1) : 0.0;
    return (before + along * (path.cumulativeTime(move) - before)) / total;
  };

  const uint32_t reported[] = {1, 3, 9};  // a rapid, a feed with the spindle stopped, a move past the end
  const stock::PartHit hits[] = {{4, 4u, 0.25f, 0.5f}, {7, 1u, 0.0f, 1.0f}};
  const std::vector<view::FoundStop> cut = view::cutStops(path, reported, hits);
  const std::vector<view::FoundStop> cutExpected = {{at(1, 1.0), SIM_STOP_RAPID_INTO_STOCK},
                                                    {at(3, 1.0), SIM_STOP_STOPPED_SPINDLE_CUT},
                                                    {at(4, 0.25), SIM_STOP_HOLDER_INTO_STOCK}};
  EXPECT_EQ(cut, cutExpected);

  collision::MachineResult collided;
  collided.startPosition = 0.5 * (path.cumulativeTime(2) + path.cumulativeTime(3));
  collision::LimitResult limit;
  limit.position = path.cumulativeTime(4);
  const std::vector<view::FoundStop> checked = view::checkStops(path, {&collided, 1}, {&limit, 1});
  const std::vector<view::FoundStop> checkedExpected = {{at(3, 0.5), SIM_STOP_TOOL_AGAINST_MACHINE},
                                                        {1.0, SIM_STOP_TRAVEL_LIMITS}};
  EXPECT_EQ(checked, checkedExpected);
  EXPECT_TRUE(view::checkStops(Toolpath::fromRecord(SIM_ToolpathRecord{}), {&collided, 1}, {&limit, 1}).empty());

  std::vector<view::FoundStop> all = cut;
  all.insert(all.end(), checked.begin(), checked.end());
  const auto on = [](std::initializer_list<uint32_t> conditions) {
    uint64_t bytes = 0;
    for (uint32_t c : conditions) bytes |= uint64_t{1} << (8 * c);
    return bytes;
  };
  const struct {
    uint64_t conditions;
    double from, to;
    std::optional<double> stop;
  } cases[] = {
      {0, 0.0, 1.0, std::nullopt},
      {~uint64_t{0}, 0.0, 1.0, at(1, 1.0)},
      {~uint64_t{0}, at(1, 1.0), 1.0, at(3, 0.5)},  // a stop where playing resumed is behind it
      {on({SIM_STOP_HOLDER_INTO_STOCK, SIM_STOP_TRAVEL_LIMITS}), 0.0, 1.0, at(4, 0.25)},
      {on({SIM_STOP_HOLDER_INTO_STOCK}), 0.0, at(4, 0.2), std::nullopt},  // not reached yet
      {on({SIM_STOP_TRAVEL_LIMITS}), 0.0, 1.0, 1.0},
      {on({SIM_STOP_TOOL_CHANGE, SIM_STOP_OPTIONAL_STOP}), 0.0, 1.0, std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(view::firstFoundStop(all, c.conditions, c.from, c.to), c.stop) << std::hex << c.conditions << " " << c.from;
}

// The cut's stops pause the frame that played over them, also one that ran
// on to the end; a Play that lands after a frame's advance does not meet
// again the stop it was paused at.
TEST(PlaybackStops, TheCutsStopsPauseTheFramesThatPlayedOverThem) {
  ToolpathBuilder b;
  for (float x : {0.0f, 10.0f, 20.0f, 30.0f}) b.add(ToolpathBuilder::line(SIM_MOVE_RAPID, {x, 0, 0}));
  const auto path = std::make_shared<const Toolpath>(Toolpath::fromRecord(b.record()));
  const uint32_t reported[] = {1, 2};
  const std::vector<view::FoundStop> found = view::cutStops(*path, reported, {});
  ASSERT_EQ(found.size(), 2u);

  view::Notifier notifier;
  view::Playback playback(notifier);
  playback.setSpeed(1.0);  // the fastest speed: one 2.5 s frame plays it all
  playback.stopConditions().set(~uint64_t{0});
  const auto frame = [&] {
    playback.advance(path, 1.0, 2500.0);
    playback.stopAtFound(found);
  };
  playback.play();
  frame();
  EXPECT_FALSE(playback.playing());
  EXPECT_EQ(playback.position(), found[0].at);
  playback.advance(path, 1.0, 2500.0);  // paused, it shows the stop
  playback.play();
  playback.stopAtFound(found);
  EXPECT_TRUE(playback.playing());
  frame();
  EXPECT_FALSE(playback.playing());
  EXPECT_EQ(playback.position(), found[1].at);

  // A rewind the host asks for between a frame's advance and its cut is
  // not overwritten by a stop the cut found.
  playback.requestPosition(0.0);
  playback.advance(path, 1.0, 2500.0);
  playback.play();
  playback.advance(path, 1.0, 2500.0);
  playback.requestPosition(0.0);
  playback.stopAtFound(found);
  EXPECT_EQ(playback.pendingPosition(), 0.0);
}

TEST(PlaybackReport, OneEventPerChangeAtMostEvery100ms) {
  using Clock = view::PositionReport::Clock;
  view::PositionReport report;
  const Clock::time_point start = Clock::now();
  report.observe(1, 7);
  auto events = report.due(start);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0], std::make_pair(uint32_t{SIM_EVENT_CURRENT_LINE_CHANGED}, 1));
  EXPECT_EQ(events[1], std::make_pair(uint32_t{SIM_EVENT_CURRENT_ENTITY_CHANGED}, 7));
  // A hundred lines within 50 ms: nothing until 100 ms have passed, then the last.
  size_t sent = 0;
  for (int line = 2; line <= 101; ++line) {
    report.observe(line, 7);
    sent += report.due(start + std::chrono::microseconds(500 * line)).size();
  }
  EXPECT_EQ(sent, 0u);
  events = report.due(start + std::chrono::milliseconds(100));
  ASSERT_EQ(events.size(), 1u) << "the entity did not change";
  EXPECT_EQ(events[0].second, 101);
  EXPECT_TRUE(report.due(start + std::chrono::milliseconds(300)).empty()) << "only on change";
}

TEST(PlaybackProgressBar, ShowsTheLeastAdvancedTask) {
  view::ProgressTasks bar;
  EXPECT_FALSE(bar.shown());
  bar.setProgress(1, 40, u"Cutting");
  bar.setProgress(2, 10, u"Meshing");
  EXPECT_EQ(bar.shown()->caption, u"Meshing");
  bar.setProgress(2, 60, u"ignored");
  EXPECT_EQ(bar.shown()->caption, u"Cutting");
  EXPECT_EQ(bar.shown()->percent, 40u);
  bar.setProgress(1, 100, u"");
  EXPECT_EQ(bar.shown()->caption, u"Meshing");
  bar.setProgress(2, 100, u"");
  EXPECT_FALSE(bar.shown());
  bar.setProgress(3, 100, u"done at once");
  EXPECT_FALSE(bar.shown());
}

TEST(HostText, Utf8BecomesUtf16) {
  EXPECT_EQ(common::utf16FromUtf8("Fr\xC3\xA4sen \xE2\x82\xAC"), u"Fr\u00E4sen \u20AC");
  EXPECT_EQ(common::utf16FromUtf8("\xF0\x9F\x94\xA7"), u"\U0001F527");
  EXPECT_EQ(common::utf16FromUtf8("a\xC3"), u"a\uFFFD") << "cut short";
  EXPECT_EQ(common::utf16FromUtf8("\xC0\xAF"), u"\uFFFD\uFFFD") << "overlong";
  EXPECT_EQ(common::utf16FromUtf8("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD") << "a surrogate";
  // And back, as dialog titles leave the view.
  for (const std::u16string text : {u"Fr\u00E4sen \u20AC", u"\U0001F527 T1", u"", u"\u65E5\u672C"})
    EXPECT_EQ(common::utf16FromUtf8(common::utf8FromUtf16(text)), text);
  EXPECT_EQ(common::utf8FromUtf16(u"a\xD800" u"b\xDC00"), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD") << "unpaired halves";
}
