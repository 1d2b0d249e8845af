// The stock playback leaves does not depend on which positions the frames
// happened to show: cut at random positions along the way, with the move
// under way cut in part whenever a frame is drawn, it ends equal to the same
// moves cut at once.
#include <gtest/gtest.h>

#include <random>

#include "enhance/ToolSweeps.h"
#include "machine/Kinematics.h"
#include "stock/CutPath.h"
#include "stock/SolidStockCreator.h"
#include "stock/StockCutter.h"
#include "support/GpuTest.h"
#include "support/LatticeCheck.h"
#include "support/ToolBuilder.h"
#include "support/ToolpathBuilder.h"
#include "tools/ToolTable.h"

namespace {

using Builder = testing_support::ToolpathBuilder;

class PlayedCutTest : public testsupport::GpuTest {
 protected:
  void SetUp() override {
    GpuTest::SetUp();
    box_.min = {0, 0, 0};
    box_.max = {40, 30, 20};
    ASSERT_TRUE(grid_.setUp(stock::boundsOf(box_), 60'000, limits_));
    // Lines, a ramp, a full circle and a helix, with two tools.
    path_.add(Builder::line(SIM_MOVE_RAPID, {8, 8, 25}))
        .add(Builder::line(SIM_MOVE_LINEAR, {8, 8, 16}))
        .add(Builder::line(SIM_MOVE_LINEAR, {31.3, 9.7, 14.2}))
        .add(Builder::arc(SIM_MOVE_ARC_CCW, {31.3, 9.7, 14.2}, {22.1, 14.9, 14.2}, {0, 0, -1}))
        .add(Builder::line(SIM_MOVE_LINEAR, {12.4, 21.7, 17.3}))
        .add(Builder::line(SIM_MOVE_RAPID, {12.4, 21.7, 25}))
        .add(Builder::line(SIM_MOVE_RAPID, {20, 10, 25}))
        .add(Builder::line(SIM_MOVE_LINEAR, {20, 10, 18}))
        .add(Builder::arc(SIM_MOVE_ARC_CW, {20, 10, 13.5}, {20, 15.3, 14}, {0, 0, -1}))
        .add(Builder::line(SIM_MOVE_LINEAR, {35.5, 24.1, 12.9}))
        .toolChange("flat", 0)
        .toolChange("ball", 5);
    toolpath_ = std::make_shared<const toolpath::Toolpath>(toolpath::Toolpath::fromRecord(path_.record()));
    testsupport::ToolTableBuilder b;
    b.addTool("flat", {{SIM_PART_CUTTING, testsupport::flatProfile(2.7, 15)}});
    b.addTool("ball", {{SIM_PART_CUTTING, testsupport::ballProfile(3.1, 15)}});
    table_.rebuild(b.record(), 1.0, tools::NoMachineHolders());
  }

  // The lattice after playing to the end through count random positions.
  testsupport::LatticeImage played(const stock::CutPath& cutPath, uint32_t seed, int count) {
    solids_.create(grid_, box_);
    stock::StockCutter cutter;
    const int64_t moves = static_cast<int64_t>(toolpath_->moveCount());
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> step(0.0, 2.0 * moves / count);
    std::bernoulli_distribution shown(0.5);
    double at = 0;
    while ((at += step(rng)) < moves) {
      const int64_t move = static_cast<int64_t>(at);
      cutter.cutTo(grid_, cutPath, move, at - move, {});
      // Some frames are drawn: the part of the move under way is cut.
      if (shown(rng)) cutter.settle(grid_, cutPath, {});
    }
    cutter.cutTo(grid_, cutPath, moves - 1, 1.0, {});
    return testsupport::LatticeImage(grid_);
  }

  testsupport::LatticeImage batch(const stock::CutPath& cutPath) {
    solids_.create(grid_, box_);
    stock::StockCutter cutter;
    cutter.cutBatch(grid_, cutPath, 0, static_cast<uint32_t>(toolpath_->moveCount()), -1, 0, {});
    return testsupport::LatticeImage(grid_);
  }

  // The codes the surface is made from: those of edges whose nodes differ.
  static size_t differentSurfaceCodes(const testsupport::LatticeImage& a, const testsupport::LatticeImage& b) {
    size_t different = 0;
    a.forEachNode([&](const glm::uvec3& n) {
      for (int axis = 0; axis < 3; ++axis) {
        glm::uvec3 next = n;
        if (++next[axis] >= a.frame.nodes[axis] || a.inside(n) == a.inside(next)) continue;
        different += a.code(n, axis) != b.code(n, axis);
      }
    });
    return different;
  }

  stock::BoxShape box_;
  stock::StockGrid grid_;
  stock::SolidStockCreator solids_;
  Builder path_;
  std::shared_ptr<const toolpath::Toolpath> toolpath_;
  tools::ToolTable table_;
};

}  // namespace

TEST_F(PlayedCutTest, PartialCutsLeaveNoTrace) {
  const stock::CutPath cutPath(toolpath_, 0.01, 0, machine::IdentityKinematics(), table_, 0);
  solids_.create(grid_, box_);
  const uint64_t uncut = testsupport::LatticeImage(grid_).insideCount();
  const testsupport::LatticeImage atOnce = batch(cutPath);
  ASSERT_LT(atOnce.insideCount() + 1000, uncut) << "the job cuts";
  for (uint32_t seed : {1u, 2u, 3u}) {
    // Few frames (long partial moves) and many (short ones).
    for (int frames : {7, 60}) {
      const testsupport::LatticeImage image = played(cutPath, seed, frames);
      EXPECT_EQ(image.signWords, atOnce.signWords) << "seed " << seed << ", " << frames << " frames";
      EXPECT_EQ(differentSurfaceCodes(image, atOnce), 0u) << "seed " << seed << ", " << frames << " frames";
    }
  }
}

TEST_F(PlayedCutTest, TheMoveUnderWayIsCutWhenShown) {
  // A long line: half way along it the stock shows half of its groove once
  // the frame is drawn, and only then.
  const stock::CutPath cutPath(toolpath_, 0.01, 0, machine::IdentityKinematics(), table_, 0);
  solids_.create(grid_, box_);
  stock::StockCutter cutter;
  cutter.cutTo(grid_, cutPath, 2, 0.0, {});
  const uint64_t atLineStart = testsupport::LatticeImage(grid_).insideCount();
  cutter.cutTo(grid_, cutPath, 2, 0.5, {});
  EXPECT_EQ(testsupport::LatticeImage(grid_).insideCount(), atLineStart);
  cutter.settle(grid_, cutPath, {});
  const uint64_t halfWay = testsupport::LatticeImage(grid_).insideCount();
  cutter.settle(grid_, cutPath, {});
  EXPECT_EQ(testsupport::LatticeImage(grid_).insideCount(), halfWay) << "settled twice, cut once";
  cutter.cutTo(grid_, cutPath, 2, 1.0, {});
  const double removedHalf = double(atLineStart - halfWay);
  const double removedAll = double(atLineStart - testsupport::LatticeImage(grid_).insideCount());
  EXPECT_GT(removedHalf, 0.35 * removedAll);
  EXPECT_LT(removedHalf, 0.65 * removedAll);
}

// The enhancement's sweeps are what the cutter holds: a batch of moves 3
// and 4 gives the records of those moves alone (the arc's chords along the
// arc itself), a move played half way ends half way along its records, and
// rapid moves count only when reported.
TEST_F(PlayedCutTest, TheEnhancementSweepsWhatTheCutterHolds) {
  const stock::CutPath cutPath(toolpath_, 0.01, 0, machine::IdentityKinematics(), table_, 0);
  const auto& moves = cutPath.moves();
  const auto tip = [&](uint32_t record) {
    const toolpath::GPUMoveRecord& r = moves.records()[record];
    return glm::dvec3(r.x, r.y, r.z);
  };
  solids_.create(grid_, box_);
  stock::StockCutter batch;
  batch.cutBatch(grid_, cutPath, 3, 5, 4, 1.0, {});
  enhance::SweepList sweeps = enhance::toolSweepsOf(cutPath, enhance::cutExtentOf(batch), 0.1f);
  ASSERT_EQ(sweeps.sweeps.size(), moves.endRecordOf(4) - moves.endRecordOf(2));
  EXPECT_LT(glm::length(glm::dvec3(sweeps.sweeps.front().start) - tip(moves.endRecordOf(2))), 1e-5);
  const toolpath::ArcGeometry arc = toolpath_->arcOf(3);
  const uint32_t chords = moves.endRecordOf(3) - moves.endRecordOf(2);
  ASSERT_GT(chords, 2u);
  for (uint32_t k = 0; k < chords; ++k) {
    const enhance::ToolSweep& s = sweeps.sweeps[k];
    EXPECT_EQ(s.end.w, 1.0f) << "chord " << k << " runs along the arc";
    const glm::dvec3 middle = enhance::sweepTipAt(s, 0.5) - arc.centre;
    EXPECT_NEAR(glm::length(middle - glm::normalize(arc.normal) * glm::dot(middle, glm::normalize(arc.normal))),
                arc.radius, 1e-4);
  }
  EXPECT_EQ(sweeps.sweeps.back().end.w, 0.0f) << "the line after the arc";

  stock::StockCutter played;
  solids_.create(grid_, box_);
  played.cutTo(grid_, cutPath, 2, 0.5, {});
  sweeps = enhance::toolSweepsOf(cutPath, enhance::cutExtentOf(played), 0.1f);
  ASSERT_FALSE(sweeps.sweeps.empty());
  const glm::dvec3 from = tip(moves.endRecordOf(1)), to = tip(moves.endRecordOf(2));
  ASSERT_EQ(moves.endRecordOf(2) - moves.endRecordOf(1), 1u) << "a straight line is one record";
  EXPECT_LT(glm::length(glm::dvec3(sweeps.sweeps.back().end) - (from + to) * 0.5), 1e-4);
  EXPECT_LT(glm::length(glm::dvec3(sweeps.sweeps.front().start) - tip(moves.endRecordOf(0))), 1e-5)
      << "the plunge comes first";

  // Everything cut: the rapids 5 and 6 give no sweep unless reported.
  played.cutTo(grid_, cutPath, 9, 1.0, {});
  enhance::CutExtent extent = enhance::cutExtentOf(played);
  const size_t withoutRapids = enhance::toolSweepsOf(cutPath, extent, 0.1f).sweeps.size();
  extent.rapidsThatCut = {5};
  EXPECT_EQ(enhance::toolSweepsOf(cutPath, extent, 0.1f).sweeps.size(),
            withoutRapids + (moves.endRecordOf(5) - moves.endRecordOf(4)));
}
