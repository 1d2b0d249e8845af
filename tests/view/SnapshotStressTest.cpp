// Host threads hand a playing view new toolpaths, positions, steps and
// batch cuts at random for ten seconds. Every toolpath carries its own tag
// in each move (its height, NC lines and entities), so a frame that mixed
// two toolpaths would show a tool pose whose parts disagree.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <random>
#include <thread>
#include <vector>

#include "korvane/Korvane.h"
#include "support/HeadlessView.h"
#include "support/ToolBuilder.h"
#include "support/ToolpathBuilder.h"
#include "support/ViewJobs.h"
#include "view/Render.h"

namespace {

using testing_support::ToolpathBuilder;
using namespace std::chrono_literals;

constexpr int kTags = 6;

// Toolpath `tag`: 20 + 9 tag short moves at height 10 + tag over the
// 40 x 30 x 20 box, every move on NC line 1000 tag + its index and of
// entity tag.
uint32_t movesOf(int tag) { return 20 + 9 * static_cast<uint32_t>(tag); }

ToolpathBuilder taggedToolpath(int tag) {
  ToolpathBuilder path;
  const double z = 10 + tag;
  for (uint32_t i = 0; i < movesOf(tag); ++i) {
    const double x = 4 + 32.0 * i / movesOf(tag), y = i % 2 == 0 ? 13 : 17;
    path.add(ToolpathBuilder::line(i == 0 ? SIM_MOVE_RAPID : SIM_MOVE_LINEAR, {x, y, z}), 1000 * tag + i, tag);
  }
  path.toolChange("flat4", 0);
  return path;
}

class SnapshotStress : public testsupport::HeadlessViewTest {};

}  // namespace

TEST_F(SnapshotStress, EveryFrameReadsOneToolpathWhateverTheHostDoes) {
  std::vector<ToolpathBuilder> paths;
  for (int tag = 1; tag <= kTags; ++tag) paths.push_back(taggedToolpath(tag));
  testsupport::ToolTableBuilder tools;
  tools.addTool("flat4", {{SIM_PART_CUTTING, testsupport::flatProfile(2, 20)}});
  const SIM_ToolTableRecord table = tools.record();
  ASSERT_EQ(SIM_SetToolTable(view, &table), 0);
  SIM_StockRecord box = testsupport::boxStock(1, {0, 0, 0}, {40, 30, 20});
  // Cells of a millimetre: every new toolpath starts the stock over, and
  // the frames must keep coming while the host throws them in.
  box.precision = SIM_STOCK_PRECISION_TOLERANCE;
  box.quality = 1.0f;
  ASSERT_EQ(SIM_CreateStock(view, box), 0);
  const SIM_ToolpathRecord first = paths[0].record();
  ASSERT_EQ(SIM_SetToolpath(view, &first), 0);
  SIM_UpdateSpeed(view, 1.0);
  SIM_Play(view);

  std::atomic<bool> stop{false};
  std::atomic<uint64_t> calls{0};
  // A host thread calling every few milliseconds; new toolpaths and batch
  // cuts less often, as each one is real work for the render thread (a
  // stock cut anew).
  auto host = [&](unsigned seed, int pauseMs, auto action) {
    return std::thread([&, seed, pauseMs, action] {
      std::mt19937 rng(seed);
      while (!stop.load()) {
        action(rng);
        ++calls;
        std::this_thread::sleep_for(std::chrono::microseconds(rng() % (1000 * pauseMs)));
      }
    });
  };
  std::vector<std::thread> hosts;
  hosts.push_back(host(1, 20, [&](std::mt19937& rng) {
    const SIM_ToolpathRecord record = paths[rng() % kTags].record();
    SIM_SetToolpath(view, &record);
  }));
  hosts.push_back(host(2, 4, [&](std::mt19937& rng) {
    const double values[] = {std::uniform_real_distribution<double>(-0.2, 1.2)(rng), NAN, 1e300, 3.0};
    SIM_SetProgress(view, values[rng() % 4], static_cast<int32_t>(rng() % 6) - 1);
    if (rng() % 8 == 0) SIM_Play(view);
  }));
  hosts.push_back(host(3, 40, [&](std::mt19937& rng) {
    SIM_GotoCommand(view, rng() % 14);
    const uint32_t range[2] = {static_cast<uint32_t>(rng() % 80), static_cast<uint32_t>(rng() % 90)};
    SIM_CutStock(view, range);
  }));

  // Every pose the frames publish, read as often as they come.
  uint64_t poses = 0, mixed = 0;
  const uint64_t framesBefore = view->frameCounter();
  const auto end = std::chrono::steady_clock::now() + 10s;
  while (std::chrono::steady_clock::now() < end) {
    const view::ToolPose pose = view->playback().toolPose();
    const double progress = SIM_GetProgress(view);
    EXPECT_TRUE(progress >= 0.0 && progress <= 1.0) << progress;
    if (pose.move < 0) continue;
    const int tag = static_cast<int>(std::lround(pose.tip.z - 10));
    const bool whole = tag >= 1 && tag <= kTags && pose.entity == uint32_t(tag) && pose.line / 1000 == uint32_t(tag) &&
                       pose.line % 1000 == pose.move && pose.move < int64_t(movesOf(tag));
    mixed += !whole;
    ++poses;
    std::this_thread::sleep_for(200us);
  }
  stop = true;
  for (std::thread& t : hosts) t.join();

  EXPECT_EQ(mixed, 0u);
  EXPECT_GT(poses, 1000u);
  // Frames kept coming (how many depends on the machine's load: a
  // sanitizer build beside other tests draws only a few a second).
  EXPECT_GT(view->frameCounter(), framesBefore + 2) << "the frames went on";
  EXPECT_GT(calls.load(), 500u);
  // The view still answers and draws.
  std::vector<uint8_t> picture(64 * 48 * 4);
  EXPECT_EQ(SIM_RenderImage(view, 64, 48, picture.data()), 0);
}
