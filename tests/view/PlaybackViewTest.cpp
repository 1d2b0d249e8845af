// Playback on a running view: positions and steps from the host, playing
// to the end and scrubbing, which must leave the stock as one batch cut
// leaves it, and the throttled line report.
#include <gtest/gtest.h>

#include <array>

#include <chrono>
#include <thread>
#include <utility>
#include <vector>

#define GLFW_INCLUDE_NONE
#include <GLFW/glfw3.h>

#include "korvane/Korvane.h"
#include "gpu/DeviceLimits.h"
#include "platform/GlfwLock.h"
#include "stock/StockModel.h"
#include "support/CubeList.h"
#include "support/EventRecorder.h"
#include "support/HeadlessView.h"
#include "support/LatticeCheck.h"
#include "support/ViewJobs.h"
#include "view/Render.h"

namespace {

using testing_support::ToolpathBuilder;
using namespace std::chrono_literals;

// A flat 6 mm mill zig-zagging 4 mm deep over the 40 x 30 box: every move
// its own NC line (10, 20, ...), and entity.
struct ZigzagJob {
  testsupport::ToolTableBuilder tools;
  ToolpathBuilder path;
  explicit ZigzagJob(int passes = 7) {
    tools.addTool("flat6", {{SIM_PART_CUTTING, testsupport::flatProfile(3, 30)}});
    uint32_t line = 10;
    auto add = [&](uint32_t type, glm::dvec3 end) {
      path.add(ToolpathBuilder::line(type, end), line, line / 10);
      line += 10;
    };
    add(SIM_MOVE_RAPID, {5, 5, 30});
    add(SIM_MOVE_LINEAR, {5, 5, 16});
    for (int pass = 0; pass < passes; ++pass) {
      const double x = 5 + 30.0 * pass / std::max(passes - 1, 1);
      add(SIM_MOVE_LINEAR, {x, pass % 2 == 0 ? 25 : 5, 16});
      if (pass + 1 < passes) add(SIM_MOVE_LINEAR, {5 + 30.0 * (pass + 1) / std::max(passes - 1, 1), pass % 2 == 0 ? 25 : 5, 16});
    }
    add(SIM_MOVE_RAPID, {35, 5, 30});
    path.toolChange("flat6", 0);
    // Two operations: the first pass, and the rest.
    path.operations = {{0, 4, 1}, {4, static_cast<uint32_t>(path.moves.size()), 2}};
  }
};

class PlaybackOnView : public testsupport::HeadlessViewTest {
 protected:
  // Waits for a few frames of the render thread.
  void frames(int count = 3) {
    for (int i = 0; i < count; ++i) onRenderThread([] { return 0; });
  }
  void playToTheEnd() {
    ASSERT_EQ(SIM_Play(view), 0);
    EXPECT_EQ(SIM_IsPlaying(view), 1);
    ASSERT_TRUE(testsupport::waitUntil([&] { return SIM_IsPlaying(view) == 0; }, 30s));
    EXPECT_EQ(SIM_GetProgress(view), 1.0);
    frames();
  }
  testsupport::LatticeImage lattice() {
    return onRenderThread([&] { return testsupport::LatticeImage(view->stock().scene()->model(1)->grid()); });
  }
  // The stock's surface: its cube list, word by word.
  static std::vector<uint32_t> surfaceOf(stock::StockModel& model) {
    stock::SurfaceExtraction& surface = model.surface();
    if (surface.cubeCount() == 0) return {};
    return gpu::readBack<uint32_t>(*surface.cubes(), 0, surface.cubeCount() * 5);
  }
  std::vector<uint32_t> surface() {
    return onRenderThread([&] { return surfaceOf(*view->stock().scene()->model(1)); });
  }
};

size_t wordsDiffering(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
  if (a.size() != b.size()) return std::max(a.size(), b.size());
  size_t count = 0;
  for (size_t i = 0; i < a.size(); ++i) count += a[i] != b[i];
  return count;
}

}  // namespace

TEST_F(PlaybackOnView, PositionsStepsAndSpeedFromTheHost) {
  ZigzagJob job;
  testsupport::loadJob(view, job);
  frames();
  // The position a frame after a request.
  const auto progressAfter = [&](int32_t requested) {
    EXPECT_EQ(requested, 0);
    frames(2);
    return SIM_GetProgress(view);
  };
  EXPECT_EQ(progressAfter(SIM_SetProgress(view, 0.5, 0)), 0.5) << "half the total time at the next frame";
  // The tool stands half way along the job (every move at the same feed,
  // so half the time is half the length).
  {
    const auto& moves = job.path.moves;
    auto point = [&](size_t i) { return glm::dvec3(moves[i].end[0], moves[i].end[1], moves[i].end[2]); };
    double length = 0;
    for (size_t i = 1; i < moves.size(); ++i) length += glm::distance(point(i - 1), point(i));
    double left = length / 2;
    glm::dvec3 expected = point(0);
    for (size_t i = 1; i < moves.size(); ++i) {
      const double step = glm::distance(point(i - 1), point(i));
      if (left <= step) {
        expected = point(i - 1) + (left / step) * (point(i) - point(i - 1));
        break;
      }
      left -= step;
    }
    const glm::dvec3 tip = view->playback().toolPose().tip;
    EXPECT_NEAR(glm::distance(tip, expected), 0.0, 1e-4) << tip.x << " " << tip.y << " " << tip.z;
  }
  EXPECT_EQ(progressAfter(SIM_SetProgress(view, 0.9, 7)), 0.5) << "mode 7 changes nothing";
  EXPECT_EQ(progressAfter(SIM_SetProgress(view, 2.0, 0)), 1.0);
  EXPECT_EQ(progressAfter(SIM_GotoCommand(view, 0)), 0.0);
  // A position set just before a step counts, and steps add up.
  // (The ends are read first: reading one takes a frame.)
  double endOfMove[8];
  for (uint32_t move = 0; move < 8; ++move)
    endOfMove[move] = onRenderThread([&] { return view->job().toolpath.current()->timeFractionOfMove(move); });
  ASSERT_EQ(SIM_SetProgress(view, endOfMove[5], 0), 0);
  ASSERT_EQ(SIM_GotoCommand(view, 2), 0);
  EXPECT_EQ(progressAfter(SIM_GotoCommand(view, 2)), endOfMove[7]);
  EXPECT_EQ(progressAfter(SIM_GotoCommand(view, 11)), endOfMove[0]) << "back to the first operation";
  EXPECT_EQ(progressAfter(SIM_GotoCommand(view, 6)), endOfMove[4]) << "on to the second";
  EXPECT_EQ(progressAfter(SIM_GotoCommand(view, 6)), endOfMove[4]) << "no third operation: nothing";
  EXPECT_EQ(SIM_GotoCommand(nullptr, 0), 1);

  EXPECT_NEAR(SIM_GetSpeed(view), 0.58, 1e-12);
  ASSERT_EQ(SIM_UpdateSpeed(view, 0.3), 0);
  EXPECT_NEAR(SIM_GetSpeed(view), 0.88, 1e-12);
  ASSERT_EQ(SIM_UpdateSpeed(view, -0.7), 0);
  EXPECT_NEAR(SIM_GetSpeed(view), 0.5, 1e-12);
  EXPECT_EQ(SIM_UpdateSpeed(nullptr, 0.1), -1);
  EXPECT_EQ(SIM_SetProgress(nullptr, 0.5, 0), -1);
  EXPECT_EQ(SIM_Play(nullptr), -1);
  EXPECT_EQ(SIM_IsPlaying(nullptr), -1);
  EXPECT_EQ(SIM_SetProgressBar(view, 1, 40, "Cutting \xE2\x80\xA6"), 0);
  EXPECT_EQ(view->progressTasks().shown()->caption, u"Cutting \u2026");
}

// A job with one stop of each kind the view finds itself: the second
// operation's first move (2), a rapid through the stock (3), an optional
// stop before move 5 and a tool change (6).
struct StopsJob {
  testsupport::ToolTableBuilder tools;
  ToolpathBuilder path;
  StopsJob() {
    tools.addTool("flat6", {{SIM_PART_CUTTING, testsupport::flatProfile(3, 30)}});
    tools.addTool("flat6b", {{SIM_PART_CUTTING, testsupport::flatProfile(3, 30)}});
    for (const auto& [type, end] : std::vector<std::pair<uint32_t, glm::dvec3>>{{SIM_MOVE_RAPID, {5, 5, 30}},
                                                                              {SIM_MOVE_LINEAR, {5, 5, 16}},
                                                                              {SIM_MOVE_LINEAR, {35, 5, 16}},
                                                                              {SIM_MOVE_RAPID, {35, 25, 16}},
                                                                              {SIM_MOVE_LINEAR, {5, 25, 16}},
                                                                              {SIM_MOVE_LINEAR, {5, 15, 16}},
                                                                              {SIM_MOVE_NONE, {5, 15, 16}},
                                                                              {SIM_MOVE_LINEAR, {35, 15, 16}},
                                                                              {SIM_MOVE_RAPID, {35, 15, 30}}})
      path.add(ToolpathBuilder::line(type, end));
    path.toolChange("flat6", 0).toolChange("flat6b", 6);
    path.operations = {{0, 2, 1}, {2, 9, 2}};
    SIM_MoveEvent optional{};
    optional.move = 5;
    optional.categories = SIM_EVENT_CATEGORY_OPTIONAL_STOP;
    path.events.push_back(optional);
  }
};

// Each condition pauses playing where its move is, and playing on from
// there meets the next one on; with none, playing runs to the end.
TEST_F(PlaybackOnView, StopConditionsPauseWhereTheirMovesAre) {
  StopsJob job;
  testsupport::loadJob(view, job);
  frames();
  ASSERT_EQ(SIM_UpdateSpeed(view, 0.38), 0);  // fast: frames jump over the stops
  const auto endOfMove = [&](uint32_t move) {
    return onRenderThread([&] { return view->job().toolpath.current()->timeFractionOfMove(move); });
  };
  const auto stop = [](uint32_t condition) { return uint64_t{1} << (8 * condition); };
  const auto playFromTheStart = [&] {
    SIM_GotoCommand(view, 0);
    frames(2);
    SIM_Play(view);
    EXPECT_TRUE(testsupport::waitUntil([&] { return SIM_IsPlaying(view) == 0; }, 30s));
    frames(2);
    return SIM_GetProgress(view);
  };
  const struct {
    uint64_t conditions;
    double pausedAt;
  } cases[] = {
      {0, 1.0},
      {stop(SIM_STOP_OPERATION_CHANGE), endOfMove(2)},
      {stop(SIM_STOP_RAPID_INTO_STOCK), endOfMove(3)},
      {stop(SIM_STOP_OPTIONAL_STOP), endOfMove(4)},
      {stop(SIM_STOP_TOOL_CHANGE), endOfMove(6)},
      {stop(SIM_STOP_STOPPED_SPINDLE_CUT) | stop(SIM_STOP_TRAVEL_LIMITS), 1.0},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(SIM_SetStopConditions(view, c.conditions), 0);
    EXPECT_EQ(playFromTheStart(), c.pausedAt) << std::hex << c.conditions;
  }

  // All of them: one after the other (the optional stop at the end of move
  // 4, before 5 runs), then the end.
  SIM_SetStopConditions(view, ~uint64_t{0});
  EXPECT_EQ(playFromTheStart(), endOfMove(2));
  for (const double next : {endOfMove(3), endOfMove(4), endOfMove(6), 1.0}) {
    SIM_Play(view);
    EXPECT_TRUE(testsupport::waitUntil([&] { return SIM_IsPlaying(view) == 0; }, 30s));
    frames(2);
    EXPECT_EQ(SIM_GetProgress(view), next);
  }
  // Paused at the rapid, the stock holds what it took: cut to its end.
  SIM_SetStopConditions(view, stop(SIM_STOP_RAPID_INTO_STOCK));
  playFromTheStart();
  const uint32_t cut = onRenderThread([&] { return view->stock().scene()->model(1)->cutter().movesCut(); });
  EXPECT_EQ(cut, 4u);
}

TEST_F(PlaybackOnView, KeysStepAtOnce) {
  ZigzagJob job;
  testsupport::loadJob(view, job);
  frames();
  auto press = [&](int key) {
    {
      std::lock_guard glfw(platform::glfwLock());
      view->window().inputUnderGlfwLock().recordKey(key, GLFW_PRESS, 0);
    }
    frames(3);
  };
  press(GLFW_KEY_SPACE);
  EXPECT_EQ(SIM_GetProgress(view), 1.0) << "Space goes to the end";
  EXPECT_EQ(view->playback().toolPose().tip.x, 35.0);
  press(GLFW_KEY_HOME);
  EXPECT_EQ(SIM_GetProgress(view), 0.0);
  press(GLFW_KEY_P);
  EXPECT_EQ(SIM_GetProgress(view), 0.0) << "no operation before the start";
  const double secondOperation = onRenderThread([&] { return view->job().toolpath.current()->timeFractionOfMove(4); });
  press(GLFW_KEY_N);
  EXPECT_EQ(SIM_GetProgress(view), secondOperation);

  // [ starts the playback range here: the start goes there, not before.
  const auto range = [&] { return onRenderThread([&] { return view->playback().range(); }); };
  press(GLFW_KEY_LEFT_BRACKET);
  EXPECT_EQ(range(), (std::array<double, 2>{secondOperation, 1.0}));
  press(GLFW_KEY_SPACE);
  press(GLFW_KEY_HOME);
  EXPECT_EQ(SIM_GetProgress(view), secondOperation) << "the range's start";
  // ] at the range's start would leave nothing: the start goes back to 0.
  press(GLFW_KEY_RIGHT_BRACKET);
  EXPECT_EQ(range(), (std::array<double, 2>{0.0, secondOperation}));
  press(GLFW_KEY_SPACE);
  EXPECT_EQ(SIM_GetProgress(view), secondOperation) << "the range's end";
  press(GLFW_KEY_BACKSLASH);
  EXPECT_EQ(range(), (std::array<double, 2>{0.0, 1.0}));
  press(GLFW_KEY_SPACE);
  EXPECT_EQ(SIM_GetProgress(view), 1.0);
}

TEST_F(PlaybackOnView, PlayingAndScrubbingLeaveWhatOneBatchCuts) {
  ZigzagJob job;
  testsupport::loadJob(view, job);
  frames();
  const uint32_t moves = static_cast<uint32_t>(job.path.moves.size());
  ASSERT_EQ(SIM_UpdateSpeed(view, 1.0), 0);  // as fast as the view allows
  auto builds = [&] { return onRenderThread([&] { return view->stock().scene()->model(1)->buildCount(); }); };
  const uint64_t buildsBefore = builds();
  playToTheEnd();
  frames(5);
  EXPECT_EQ(builds(), buildsBefore) << "playing forwards and resting at the end never starts over";
  const testsupport::LatticeImage played = lattice();
  const std::vector<uint32_t> playedSurface = surface();
  ASSERT_FALSE(playedSurface.empty());

  // The same moves cut at once. Inside flags and the surface must agree;
  // what a partly played move wrote at its end stays on edges that the
  // surface no longer crosses, where it is never read.
  struct Batch {
    testsupport::LatticeImage lattice;
    std::vector<uint32_t> surface;
  };
  const Batch batch = onRenderThread([&] {
    stock::StockModel* model = view->stock().scene()->model(1);
    model->rebuild(gpu::queryDeviceLimits());
    view->cutStockMoves(0, moves);
    return Batch{testsupport::LatticeImage(model->grid()), surfaceOf(*model)};
  });
  EXPECT_EQ(wordsDiffering(played.signWords, batch.lattice.signWords), 0u);
  EXPECT_EQ(testsupport::cubesDrawnDifferently(playedSurface, batch.surface), 0u);
  const uint64_t insideAtTheEnd = played.insideCount();
  frames();  // the playback's own cut follows the batch before the position moves

  // Back to 30 %: less is cut; then forwards again to the same end.
  ASSERT_EQ(SIM_SetProgress(view, 0.3, 0), 0);
  frames();
  EXPECT_GT(lattice().insideCount(), insideAtTheEnd + 100);
  playToTheEnd();
  const testsupport::LatticeImage replayed = lattice();
  EXPECT_EQ(wordsDiffering(played.signWords, replayed.signWords), 0u);
  EXPECT_EQ(testsupport::cubesDrawnDifferently(playedSurface, surface()), 0u);
}

// Moves cut past the position by the host vanish when the stock is reset:
// the lattice is the one playing straight to the position leaves.
TEST_F(PlaybackOnView, ResetStockLeavesWhatPlayingToThePositionCut) {
  ZigzagJob job;
  testsupport::loadJob(view, job);
  ASSERT_EQ(SIM_SetProgress(view, 0.3, 0), 0);
  frames(4);
  const testsupport::LatticeImage atPosition = lattice();
  const std::vector<uint32_t> surfaceAtPosition = surface();
  const uint32_t everyMove[2] = {0, static_cast<uint32_t>(job.path.moves.size())};
  ASSERT_EQ(SIM_CutStock(view, everyMove), 0);
  frames();
  ASSERT_LT(lattice().insideCount() + 100, atPosition.insideCount()) << "the whole job cut";
  ASSERT_EQ(SIM_Command(view, SIM_COMMAND_RESET_STOCK, 0), 0);
  frames(4);
  EXPECT_EQ(SIM_GetProgress(view), 0.3);
  EXPECT_EQ(wordsDiffering(atPosition.signWords, lattice().signWords), 0u);
  EXPECT_EQ(testsupport::cubesDrawnDifferently(surfaceAtPosition, surface()), 0u);
}

TEST_F(PlaybackOnView, LinesSteppedQuicklyGiveOneReportOfTheLast) {
  ZigzagJob job(60);  // 121 moves on lines 10, 20, ...
  testsupport::EventRecorder host;
  ASSERT_EQ(SIM_SetCallbackWindow(view, host.window, true), 0);
  testsupport::loadJob(view, job);
  frames();
  std::this_thread::sleep_for(200ms);  // the report of the first line is out
  const size_t before = host.valuesOf(SIM_EVENT_CURRENT_LINE_CHANGED).size();
  EXPECT_EQ(before, 1u);

  const auto start = std::chrono::steady_clock::now();
  for (uint32_t k = 1; k <= 100; ++k) {
    ASSERT_EQ(SIM_GotoLine(view, 10 * k), 0);
    std::this_thread::sleep_until(start + std::chrono::microseconds(500 * k));
  }
  const size_t duringSteps = host.valuesOf(SIM_EVENT_CURRENT_LINE_CHANGED).size() - before;
  // A loaded machine may stretch the stepping: one report per 100 ms of it.
  const auto stepping = std::chrono::steady_clock::now() - start;
  const size_t allowed = 1 + static_cast<size_t>(stepping / 100ms);
  // The last line's report comes once the next report is due.
  testsupport::waitUntil([&] {
    const std::vector<int64_t> seen = host.valuesOf(SIM_EVENT_CURRENT_LINE_CHANGED);
    return seen.size() > before && seen.back() == 1000;
  }, std::chrono::seconds(10));
  const std::vector<int64_t> lines = host.valuesOf(SIM_EVENT_CURRENT_LINE_CHANGED);
  EXPECT_LE(duringSteps, allowed);
  ASSERT_GT(lines.size(), before);
  EXPECT_LE(lines.size() - before, allowed + 1) << "at most one a 100 ms while stepping and the last one after";
  EXPECT_EQ(lines.back(), 1000);
}
