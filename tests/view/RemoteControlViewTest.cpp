// SIM_Command against SIM_Question: every command code on a hidden windowed
// view and on a headless one, with all the answers compared before and
// after against the set each command is meant to change; toggles come back
// when repeated, set and clear codes hold when repeated, codes past the end
// and null views change nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <random>
#include <set>
#include <thread>
#include <vector>

#include <glm/geometric.hpp>

#include "korvane/Korvane.h"
#include "stock/StockModel.h"
#include "support/HeadlessView.h"
#include "support/MeshRaster.h"
#include "support/ToolBuilder.h"
#include "support/ToolpathBuilder.h"
#include "support/ViewJobs.h"
#include "view/RemoteControl.h"
#include "view/Render.h"

namespace {

using Answers = std::array<bool, 57>;
using Changed = std::set<uint32_t>;

Answers answersOf(Render* view) {
  Answers a{};
  for (uint32_t code = 0; code < a.size(); ++code) a[code] = SIM_Question(view, code);
  return a;
}

Changed differences(const Answers& before, const Answers& after) {
  Changed changed;
  for (uint32_t code = 0; code < before.size(); ++code)
    if (before[code] != after[code]) changed.insert(code);
  return changed;
}

// What each command changes in the answers of a view with a window, a
// toolpath and a stock, from the state a new view starts in; how it
// behaves when repeated; and whether it moves without an interface.
enum class Repeat { Toggles, Holds, Either };
struct Row {
  uint32_t code;
  uint64_t argument;
  Changed windowed;
  Repeat repeat;
  bool headlessToo;  // the view's own bytes: the same change headless
  int64_t undo = -1;  // the command that takes a set state back
};

const std::vector<Row>& rows() {
  using R = Repeat;
  static const std::vector<Row> table = {
      {0, 0, {0}, R::Toggles, false},         {1, 0, {2}, R::Toggles, false},   {2, 0, {}, R::Holds, false},
      {3, 0, {}, R::Holds, true},           {4, 0, {4}, R::Toggles, true},    {5, 0, {}, R::Holds, false},
      {6, 0, {3}, R::Holds, false, 5},         {7, 0, {9}, R::Toggles, false},   {8, 0, {}, R::Either, false},
      {9, 0, {}, R::Either, false},         {10, 0, {10, 12}, R::Holds, false, 12}, {11, 0, {11, 12}, R::Holds, false, 12},
      {12, 0, {}, R::Holds, false},         {13, 0, {13}, R::Toggles, false}, {14, 0, {14}, R::Toggles, false},
      {15, 0, {15}, R::Toggles, false},     {16, 0, {}, R::Holds, false},     {17, 0, {16}, R::Toggles, false},
      {18, 0, {18}, R::Toggles, false},     {19, 0, {19}, R::Toggles, false}, {20, 0, {20}, R::Toggles, false},
      {21, 0, {}, R::Holds, false},         {22, 0, {}, R::Holds, false},     {23, 0, {}, R::Holds, false},
      {24, 0, {}, R::Holds, false},         {25, 0, {21}, R::Toggles, false}, {26, 0, {24}, R::Toggles, true},
      {27, 0, {22}, R::Toggles, false},     {28, 0, {}, R::Holds, false},     {29, 0, {}, R::Holds, false},
      {30, 0, {23}, R::Toggles, false},     {31, 0, {25}, R::Toggles, true},  {32, 0, {26}, R::Toggles, false},
      {33, 0, {27}, R::Toggles, true},      {34, 0, {28}, R::Holds, false},   {35, 0, {}, R::Holds, true},
      {36, 0, {4, 44}, R::Holds, true, 35},         {37, 0, {}, R::Holds, true},     {38, 0, {29}, R::Toggles, true},
      {39, 0, {}, R::Holds, false},         {40, 0, {}, R::Holds, false},     {41, 0, {30}, R::Toggles, false},
      {42, 0, {}, R::Holds, true},          {43, 0, {}, R::Holds, true},      {44, 0, {}, R::Holds, true},
      {45, 0, {32}, R::Holds, true, 46},        {46, 0, {}, R::Holds, true},      {47, 0, {33}, R::Toggles, false},
      {48, 0, {}, R::Holds, false},         {49, 0, {34}, R::Toggles, false}, {50, 0, {35}, R::Toggles, false},
      {51, 0, {36}, R::Toggles, true},      {52, 0, {37}, R::Toggles, false}, {53, 0, {38}, R::Toggles, false},
      {54, 0, {39}, R::Toggles, false},     {55, 0, {40}, R::Toggles, true},  {56, 0, {42}, R::Toggles, false},
      {57, 0, {43}, R::Toggles, false},     {58, 0, {45}, R::Toggles, false}, {59, 0, {}, R::Holds, false},
      {60, 0, {}, R::Holds, false},         {61, 0, {}, R::Holds, false},     {62, 0, {}, R::Holds, false},
      {63, 1, {0}, R::Toggles, false},      {63, 0, {}, R::Holds, false},     {64, 0, {48}, R::Holds, false, 65},
      {65, 0, {48}, R::Toggles, false},     {66, 0, {49}, R::Toggles, false}, {67, 0, {50}, R::Toggles, false},
      {68, 0, {}, R::Holds, true},          {69, 0, {52}, R::Toggles, false}, {70, 0, {54}, R::Toggles, false},
      {71, 0, {55}, R::Toggles, true},      {72, 0, {56}, R::Toggles, true},
  };
  return table;
}

class RemoteControl : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    ASSERT_EQ(SIM_InitOpenGL(), 1) << "no X display";
    const bool headless = GetParam();
    SIM_Hint(headless ? SIM_HINT_HEADLESS : SIM_HINT_START_HIDDEN, 1);
    view = SIM_CreateView(0, true);
    SIM_Hint(headless ? SIM_HINT_HEADLESS : SIM_HINT_START_HIDDEN, 0);
    ASSERT_NE(view, nullptr);
    testing_support::ToolpathBuilder path;
    path.add(testing_support::ToolpathBuilder::line(SIM_MOVE_RAPID, {0, 0, 10}))
        .add(testing_support::ToolpathBuilder::line(SIM_MOVE_LINEAR, {10, 0, 0}));
    const SIM_ToolpathRecord record = path.record();
    ASSERT_EQ(SIM_SetToolpath(view, &record), 0);
    ASSERT_EQ(SIM_CreateStock(view, testsupport::boxStock(1, 20)), 0);
    // The stock is built on the render thread.
    for (int wait = 0; wait < 1000 && (SIM_Question(view, SIM_QUESTION_STOCK_PENDING) ||
                                       !SIM_Question(view, SIM_QUESTION_HAS_ENABLED_SOLID));
         ++wait)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_TRUE(SIM_Question(view, SIM_QUESTION_HAS_ENABLED_SOLID));
  }
  void TearDown() override {
    SIM_CloseView(view);
    while (SIM_TerminateOpenGL() > 0) {
    }
  }
  Render* view = nullptr;
};

TEST_P(RemoteControl, EachCommandChangesWhatItsAnswersSay) {
  const bool headless = GetParam();
  ASSERT_EQ(rows().size(), 74u) << "every code once, 63 with and without its bit";
  for (const Row& row : rows()) {
    SCOPED_TRACE("command " + std::to_string(row.code) + " argument " + std::to_string(row.argument));
    const Answers before = answersOf(view);
    ASSERT_EQ(SIM_Command(view, row.code, row.argument), 0);
    const Answers once = answersOf(view);
    const Changed expected = headless && !row.headlessToo ? Changed{} : row.windowed;
    EXPECT_EQ(differences(before, once), expected);
    ASSERT_EQ(SIM_Command(view, row.code, row.argument), 0);
    const Answers twice = answersOf(view);
    if (row.repeat == Repeat::Toggles) {
      EXPECT_EQ(twice, before) << "a toggle comes back";
    }
    if (row.repeat == Repeat::Holds) {
      EXPECT_EQ(twice, once) << "set twice is set once";
    }
    // Back to where the row started: every row starts from the state a new
    // view has (zoom-window mode, 34, ends with a drag the test never makes).
    if (row.undo >= 0) SIM_Command(view, static_cast<uint32_t>(row.undo), 0);
  }
}

// Answers a view without an interface gives, and those of null views and
// codes past the end.
TEST_P(RemoteControl, AbsentObjectsAndCodesPastTheEnd) {
  const bool headless = GetParam();
  const Answers start = answersOf(view);
  if (headless) {
    for (uint32_t code = 0; code < start.size(); ++code) {
      const bool absentTrue = code == 9 || (code >= 12 && code <= 16);
      const bool viewByte = code == 4 || code == 5 || code == 6 || code == 24 || code == 25 || code == 27 ||
                            code == 29 || code == 32 || code == 36 || code == 40 || code == 41 || code == 44 || code == 55 ||
                            code == 56;
      if (!viewByte) {
        EXPECT_EQ(start[code], absentTrue) << "question " << code;
      }
    }
  }
  EXPECT_FALSE(start[51]);
  for (uint32_t code : {73u, 1000u, 0xFFFFFFFFu}) {
    EXPECT_EQ(SIM_Command(view, code, 1), 0);
    EXPECT_EQ(SIM_Command(nullptr, code, 1), 1);
    EXPECT_FALSE(SIM_Question(view, code - 16));
  }
  for (uint32_t code = 0; code < 73; ++code) EXPECT_EQ(SIM_Command(nullptr, code, 0), 1);
  for (uint32_t code = 0; code < 57; ++code) EXPECT_FALSE(SIM_Question(nullptr, code));
  EXPECT_EQ(answersOf(view), start);
}

// Host threads firing commands and questions while the view plays.
TEST_P(RemoteControl, ConcurrentHostsDuringPlayback) {
  SIM_Play(view);
  std::vector<std::thread> hosts;
  for (int seed = 1; seed <= 2; ++seed)
    hosts.emplace_back([this, seed] {
      std::mt19937 random(seed);
      for (int i = 0; i < 3000; ++i) {
        const uint32_t code = random() % 80;
        if (code == 2 || code == 8 || code == 9) continue;  // not every frame
        SIM_Command(view, code, random() % 2);
        SIM_Question(view, random() % 60);
      }
    });
  for (std::thread& host : hosts) host.join();
  SIM_Pause(view);
  EXPECT_EQ(SIM_Command(view, SIM_COMMAND_REDRAW, 0), 0);
}

// Ribbon entries run the changes of their commands, and their own: the
// "Thick lines" rule and the animation modes as one radio group.
TEST_P(RemoteControl, RibbonEntriesChangeWhatTheirCommandsChange) {
  if (GetParam()) {  // no ribbon: choosing changes nothing
    const Answers start = answersOf(view);
    for (uint32_t action = 0; action < 100; ++action) view::chooseRibbonAction(*view, action);
    EXPECT_EQ(answersOf(view), start);
    return;
  }
  struct Entry {
    uint32_t entry, command, question;
  };
  const Entry entries[] = {{20, 1, 2}, {21, 17, 16}, {42, 7, 9}, {74, 27, 22}, {78, 0, 0}, {90, 72, 56}};
  for (const auto& [entry, command, question] : entries) {
    SCOPED_TRACE("entry " + std::to_string(entry));
    const Answers before = answersOf(view);
    SIM_Command(view, command, 0);
    const Changed byCommand = differences(before, answersOf(view));
    SIM_Command(view, command, 0);
    view::chooseRibbonAction(*view, entry);
    EXPECT_EQ(differences(before, answersOf(view)), byCommand);
    EXPECT_EQ(view->ribbon()->ticked(entry), SIM_Question(view, question)) << "ticked as the state it shows";
    view::chooseRibbonAction(*view, entry);
    EXPECT_EQ(answersOf(view), before);
  }
  // Large points alone: "Thick lines" turns them off and leaves thick lines off.
  SIM_Command(view, SIM_COMMAND_TOGGLE_LARGE_POINTS, 0);
  for (bool expected : {false, true, false}) {
    view::chooseRibbonAction(*view, 27);
    EXPECT_EQ(SIM_Question(view, SIM_QUESTION_LARGE_POINTS), expected);
    EXPECT_EQ(SIM_Question(view, SIM_QUESTION_THICK_LINES), expected);
    EXPECT_EQ(view->ribbon()->ticked(27), expected);
  }
  // Entries 30 to 39: modes 0 to 8 and 10, one ticked at a time.
  for (uint32_t entry = 30; entry <= 39; ++entry) {
    view::chooseRibbonAction(*view, entry);
    EXPECT_EQ(SIM_GetToolpathMode(view), entry == 39 ? 10u : entry - 30);
    for (uint32_t other = 30; other <= 39; ++other) EXPECT_EQ(view->ribbon()->ticked(other), other == entry);
  }
}

INSTANTIATE_TEST_SUITE_P(Views, RemoteControl, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Headless" : "Windowed"; });

// What commands do to the scene now: the stock hidden and shown again,
// zooming in by two steps, playing round again with loop on.
class RemoteControlEffects : public testsupport::HeadlessViewTest {
 protected:
  // Commands act on the camera of a view with a window: a hidden one.
  void SetUp() override {
    setUpHiddenWindow();
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(SIM_CreateStock(view, testsupport::boxStock(1, 20)), 0);
  }
  std::vector<uint8_t> picture() {
    std::vector<uint8_t> rgba(size_t(kSide) * kSide * 4);
    EXPECT_EQ(SIM_RenderImage(view, kSide, kSide, rgba.data()), 0);
    return rgba;
  }
  // The camera's size of the scene: the eye's distance to the pivot, or
  // the orthographic size.
  double cameraSize() {
    const camera::Camera::Pose pose = view->camera().pose();
    return pose.perspective ? glm::length(pose.eye - view->camera().pivot()) : pose.orthoSize;
  }
  // The isometric picture once the stock is in it (it is built on the render
  // thread, so the first pictures may come before it); empty when it never is.
  std::vector<uint8_t> pictureWithTheStock() {
    EXPECT_EQ(SIM_SetView(view, SIM_VIEW_ISOMETRIC), 0);
    for (int attempt = 0; attempt < 200; ++attempt) {
      std::vector<uint8_t> rgba = picture();
      size_t drawn = 0;
      for (size_t i = 3; i < rgba.size(); i += 4) drawn += rgba[i] != 0;
      if (drawn > 100) return rgba;
    }
    return {};
  }
  // Pixels with a clear hue: the stock's own colour is a grey.
  static size_t saturatedPixels(const std::vector<uint8_t>& rgba) {
    size_t n = 0;
    for (size_t i = 0; i < rgba.size(); i += 4) {
      const int high = std::max({rgba[i], rgba[i + 1], rgba[i + 2]}), low = std::min({rgba[i], rgba[i + 1], rgba[i + 2]});
      n += rgba[i + 3] != 0 && high - low > 40;
    }
    return n;
  }
  static constexpr int kSide = 96;
};

TEST_F(RemoteControlEffects, HiddenStockLeavesTheBackgroundAndComesBack) {
  const std::vector<uint8_t> first = pictureWithTheStock();
  ASSERT_FALSE(first.empty());
  ASSERT_EQ(SIM_Command(view, SIM_COMMAND_HIDE_STOCK, 0), 0);
  const std::vector<uint8_t> hidden = picture();
  for (size_t i = 3; i < hidden.size(); i += 4) ASSERT_EQ(hidden[i], 0) << "pixel " << i / 4;
  ASSERT_EQ(SIM_Command(view, SIM_COMMAND_SHOW_STOCK, 0), 0);
  EXPECT_EQ(picture(), first);
}

// One tool, two operations, a groove each: coloured by operation, the
// second operation's faces take a colour of their own (the first's is the
// stock's); by tool, or by neither, every face is the stock's. A record
// equal to the one in force changes nothing, not even the stock's build.
TEST_F(RemoteControlEffects, StockColouredByToolOrByOperation) {
  testsupport::ToolTableBuilder tools;
  tools.addTool("T1", {{SIM_PART_CUTTING, testsupport::flatProfile(3, 20)}});
  const SIM_ToolTableRecord table = tools.record();
  ASSERT_EQ(SIM_SetToolTable(view, &table), 0);
  testing_support::ToolpathBuilder path;
  for (const double y : {-5.0, 5.0})
    path.add(testing_support::ToolpathBuilder::line(SIM_MOVE_RAPID, {-15, y, 15}))
        .add(testing_support::ToolpathBuilder::line(SIM_MOVE_LINEAR, {-15, y, 5}))
        .add(testing_support::ToolpathBuilder::line(SIM_MOVE_LINEAR, {15, y, 5}))
        .add(testing_support::ToolpathBuilder::line(SIM_MOVE_LINEAR, {15, y, 15}));
  path.toolChange("T1", 0);
  path.operations = {{0, 4, 1}, {4, 8, 2}};
  const SIM_ToolpathRecord record = path.record();
  ASSERT_EQ(SIM_SetToolpath(view, &record), 0);
  SIM_ToolpathDisplay display = SIM_GetToolpathDisplay(view);
  display.showRapid = display.showCutting = display.showTool = display.showHolder = 0;
  ASSERT_EQ(SIM_SetToolpathDisplay(view, &display), 0);
  ASSERT_EQ(SIM_SetProgress(view, 1.0, SIM_PROGRESS_TIME_FRACTION), 0);
  ASSERT_FALSE(pictureWithTheStock().empty());
  const auto colouredBy = [&](uint8_t byTool, uint8_t byOperation) {
    SIM_StockRemovalSettings removal = SIM_GetStockRemovalSettings(view);
    removal.colourByTool = byTool;
    removal.colourByOperation = byOperation;
    EXPECT_EQ(SIM_SetStockRemovalSettings(view, &removal), 0);
    // The stock is cut again with the new owners: pictures settle.
    std::vector<uint8_t> last = picture(), now;
    for (int attempt = 0; attempt < 50 && (now = picture()) != last; ++attempt) last = now;
    return saturatedPixels(now);
  };
  EXPECT_GT(colouredBy(0, 1), 20u) << "by operation";
  EXPECT_EQ(SIM_GetStockRemovalSettings(view).colourByOperation, 1);
  EXPECT_EQ(colouredBy(1, 0), 0u) << "by tool: one tool, the stock's own colour";
  EXPECT_EQ(colouredBy(0, 0), 0u) << "by neither";
  EXPECT_GT(colouredBy(1, 1), 20u) << "both asked: by operation";
  EXPECT_EQ(SIM_GetStockRemovalSettings(view).colourByTool, 0);

  const auto builds = [&] {
    return onRenderThread([&] { return view->stock().scene()->model(1)->buildCount(); });
  };
  const uint64_t before = builds();
  const SIM_StockRemovalSettings same = SIM_GetStockRemovalSettings(view);
  ASSERT_EQ(SIM_SetStockRemovalSettings(view, &same), 0);
  picture();
  EXPECT_EQ(builds(), before) << "nothing changed: nothing rebuilt";

  SIM_StockRemovalSettings bad = same;
  bad.stoppedSpindleCut = 3;
  EXPECT_EQ(SIM_SetStockRemovalSettings(view, &bad), SIM_STATUS_OUT_OF_RANGE);
  bad = same;
  bad.followMode = 2;
  EXPECT_EQ(SIM_SetStockRemovalSettings(view, &bad), SIM_STATUS_OUT_OF_RANGE);
  EXPECT_EQ(SIM_SetStockRemovalSettings(view, nullptr), -1);
  EXPECT_EQ(SIM_SetStockRemovalSettings(nullptr, &same), -1);
  const SIM_StockRemovalSettings defaults = SIM_GetStockRemovalSettings(nullptr);
  const uint8_t expected[16] = {1, 1, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(std::memcmp(&defaults, expected, sizeof expected), 0);
}

// Cut faces in their tool's colour or the stock's own; a disabled stock left
// as it is while the position moves on.
TEST_F(RemoteControlEffects, StockDisplayAndDisabledStocks) {
  testsupport::ToolTableBuilder tools;
  // The second tool: its cuts take a colour of their own (the first's is
  // the stock's).
  tools.addTool("T1", {{SIM_PART_CUTTING, testsupport::flatProfile(3, 20)}});
  tools.addTool("T2", {{SIM_PART_CUTTING, testsupport::flatProfile(3, 20)}});
  const SIM_ToolTableRecord table = tools.record();
  ASSERT_EQ(SIM_SetToolTable(view, &table), 0);
  SIM_StockRemovalSettings removal = SIM_GetStockRemovalSettings(view);
  removal.colourByTool = 1;
  ASSERT_EQ(SIM_SetStockRemovalSettings(view, &removal), 0);
  // A slot 5 deep across the top of the 20 mm cube.
  testing_support::ToolpathBuilder path;
  path.add(testing_support::ToolpathBuilder::line(SIM_MOVE_RAPID, {-15, 0, 15}))
      .add(testing_support::ToolpathBuilder::line(SIM_MOVE_LINEAR, {-15, 0, 5}))
      .add(testing_support::ToolpathBuilder::line(SIM_MOVE_LINEAR, {15, 0, 5}));
  path.toolChange("T2", 0);
  const SIM_ToolpathRecord record = path.record();
  ASSERT_EQ(SIM_SetToolpath(view, &record), 0);
  ASSERT_EQ(SIM_SetProgress(view, 0.0, SIM_PROGRESS_TIME_FRACTION), 0);
  SIM_ToolpathDisplay display = SIM_GetToolpathDisplay(view);
  display.showRapid = display.showCutting = display.showTool = display.showHolder = 0;
  ASSERT_EQ(SIM_SetToolpathDisplay(view, &display), 0);
  const std::vector<uint8_t> uncut = pictureWithTheStock();
  ASSERT_FALSE(uncut.empty());
  const uint32_t everyMove[2] = {0, 3};
  ASSERT_EQ(SIM_CutStock(view, everyMove), 0);
  bool cut = false;
  for (int attempt = 0; attempt < 200 && !cut; ++attempt) cut = picture() != uncut;
  ASSERT_TRUE(cut) << "the groove shows";
  // Stock display off: the groove's faces in the stock's own colour, so no
  // pixel keeps a colour the uncut stock does not show.
  const std::vector<uint8_t> marked = picture();
  ASSERT_EQ(SIM_Command(view, SIM_COMMAND_TOGGLE_STOCK_CUT, 0), 0);
  const std::vector<uint8_t> plain = picture();
  EXPECT_NE(plain, marked);
  EXPECT_GT(saturatedPixels(marked), 20u) << "the tool's colour on the cut faces";
  EXPECT_EQ(saturatedPixels(plain), 0u);
  ASSERT_EQ(SIM_Command(view, SIM_COMMAND_TOGGLE_STOCK_CUT, 0), 0);
  EXPECT_EQ(picture(), marked);
  // Back to the position: uncut.
  ASSERT_EQ(SIM_Command(view, SIM_COMMAND_RESET_STOCK, 0), 0);
  bool back = false;
  for (int attempt = 0; attempt < 200 && !back; ++attempt) back = picture() == uncut;
  ASSERT_TRUE(back);
  // Disabled, the stock stays as it is while the position moves on; enabled
  // again, it is cut to the position.
  ASSERT_EQ(SIM_Command(view, SIM_COMMAND_DISABLE_SOLIDS, 0), 0);
  ASSERT_EQ(SIM_SetProgress(view, 1.0, SIM_PROGRESS_TIME_FRACTION), 0);
  for (int frame = 0; frame < 3; ++frame) EXPECT_EQ(picture(), uncut);
  ASSERT_EQ(SIM_Command(view, SIM_COMMAND_ENABLE_SOLIDS, 0), 0);
  bool cutAgain = false;
  for (int attempt = 0; attempt < 200 && !cutAgain; ++attempt) cutAgain = picture() != uncut;
  EXPECT_TRUE(cutAgain);
}

// Following the tool, the eye moves as the tip does.
TEST_F(RemoteControlEffects, FollowingTheToolMovesTheEyeWithTheTip) {
  testing_support::ToolpathBuilder path;
  path.add(testing_support::ToolpathBuilder::line(SIM_MOVE_RAPID, {0, 0, 20}))
      .add(testing_support::ToolpathBuilder::line(SIM_MOVE_LINEAR, {30, -10, 15}));
  const SIM_ToolpathRecord record = path.record();
  ASSERT_EQ(SIM_SetToolpath(view, &record), 0);
  ASSERT_EQ(SIM_SetProgress(view, 0.0, SIM_PROGRESS_TIME_FRACTION), 0);
  (void)picture();
  ASSERT_EQ(SIM_Command(view, SIM_COMMAND_TOGGLE_FOLLOW_TOOL, 0), 0);
  (void)picture();
  view->camera().completeTransition();
  const glm::dvec3 before = view->camera().pose().eye;
  ASSERT_EQ(SIM_SetProgress(view, 1.0, SIM_PROGRESS_TIME_FRACTION), 0);
  (void)picture();
  (void)picture();
  const glm::dvec3 moved = view->camera().pose().eye - before;
  const glm::dvec3 tipMoved = view->job().displayFrame() * glm::dvec3(30, -10, -5);
  EXPECT_LT(glm::distance(moved, tipMoved), 1e-6) << moved.x << " " << moved.y << " " << moved.z;
}

// Two zoom steps: the eye 1/1.21 as far from the pivot, and the stock drawn
// where the camera read back puts it.
TEST_F(RemoteControlEffects, ZoomInComesCloserByTwoSteps) {
  ASSERT_FALSE(pictureWithTheStock().empty());  // framed about the built stock
  (void)picture();
  view->camera().completeTransition();
  const double before = cameraSize();
  ASSERT_EQ(SIM_Command(view, SIM_COMMAND_ZOOM_IN, 0), 0);
  (void)picture();  // a frame that takes the command
  view->camera().completeTransition();
  EXPECT_NEAR(cameraSize() / before, 1 / 1.21, 1e-9);
  stock::SurfaceMesh mesh;
  const Picture zoomed = onRenderThread([&] {
    stock::StockModel* model = view->stock().scene()->model(1);
    mesh = model->surface().weldedMesh(model->grid().frame());
    return pictureOf(kSide, kSide);
  });
  const std::vector<bool> expected =
      testsupport::coveredPixels(mesh, zoomed.projView, view->job().displayFrame(), kSide, kSide);
  size_t covered = 0;
  EXPECT_GT(testsupport::silhouetteAgreement(zoomed.pixels, expected, covered), 0.99);
  EXPECT_GT(covered, expected.size() / 4);
}

TEST_F(RemoteControlEffects, LoopPlaysFromTheStartAgain) {
  testing_support::ToolpathBuilder path;
  path.add(testing_support::ToolpathBuilder::line(SIM_MOVE_RAPID, {0, 0, 10}))
      .add(testing_support::ToolpathBuilder::line(SIM_MOVE_LINEAR, {5, 0, 5}));
  const SIM_ToolpathRecord record = path.record();
  ASSERT_EQ(SIM_SetToolpath(view, &record), 0);
  SIM_UpdateSpeed(view, 1.0 - SIM_GetSpeed(view));  // as fast as it goes
  ASSERT_EQ(SIM_Command(view, SIM_COMMAND_TOGGLE_LOOP, 0), 0);
  ASSERT_EQ(SIM_Play(view), 0);
  // Past the end and round to the start, still playing.
  bool reachedEnd = false, cameRound = false;
  for (int i = 0; i < 2000 && !cameRound; ++i) {
    const double p = SIM_GetProgress(view);
    reachedEnd |= p >= 1.0;
    cameRound = reachedEnd && p < 0.5;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_TRUE(cameRound);
  EXPECT_EQ(SIM_IsPlaying(view), 1);
  // Loop off: the next end stops it.
  ASSERT_EQ(SIM_Command(view, SIM_COMMAND_TOGGLE_LOOP, 0), 0);
  for (int i = 0; i < 2000 && SIM_IsPlaying(view); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(SIM_IsPlaying(view), 0);
  EXPECT_EQ(SIM_GetProgress(view), 1.0);
}

}  // namespace
