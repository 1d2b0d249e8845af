// The toolpath turned into the cut shaders' records: kinds, chords of arcs,
// their back references, and tool axes.
#include <gtest/gtest.h>

#include <cmath>

#include "machine/Kinematics.h"
#include "support/TiltingHead.h"
#include "support/ToolpathBuilder.h"
#include "toolpath/GPUToolpath.h"

namespace {

using testing_support::ToolpathBuilder;

TEST(GPUToolpathTest, KindsChordsAndAxes) {
  ToolpathBuilder b;
  b.add(ToolpathBuilder::line(SIM_MOVE_RAPID, {10, 0, 5}))
      .add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {10, 0, 0}))
      .add(ToolpathBuilder::arc(SIM_MOVE_ARC_CCW, {0, 10, 0}, {0, 0, 0}, {0, 0, -1}))
      .add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {0, 20, 0}))
      .add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {0, 30, 0}));
  b.flags = {0, 4, 0, 0, 0};
  b.spindles = {3000, 3000, 3000, 3000, 0};
  toolpath::Toolpath path = toolpath::Toolpath::fromRecord(b.record());
  const machine::IdentityKinematics identity;
  const auto gpu = toolpath::Toolpath::GPUToolpath::build(path, identity, 0.01);

  const int chords = toolpath::segmentCount(10, M_PI / 2, 0.01);
  ASSERT_GT(chords, 4);
  ASSERT_EQ(gpu.records().size(), 1u + 2 + chords + 2);
  EXPECT_EQ(gpu.records()[1].type, uint32_t{toolpath::kMoveRapid});
  EXPECT_EQ(gpu.records()[2].type, uint32_t{toolpath::kMoveMarked}) << "the host's mark";
  for (int c = 1; c <= chords; ++c) {
    const toolpath::GPUMoveRecord& r = gpu.records()[2 + c];
    EXPECT_EQ(r.type & 31u, uint32_t{toolpath::kMoveMarked});
    EXPECT_EQ((r.type & toolpath::kContinuation) != 0, c == 1);
    EXPECT_EQ(r.type >> 8, uint32_t(c)) << "records back to where the arc began";
    EXPECT_NEAR(std::hypot(r.x, r.y), 10.0, 1e-5);
    EXPECT_GT(r.x * r.x + r.y * r.y, 0);
  }
  const toolpath::GPUMoveRecord& arcEnd = gpu.records()[2 + chords];
  EXPECT_NEAR(arcEnd.x, 0, 1e-6);
  EXPECT_NEAR(arcEnd.y, 10, 1e-6);
  EXPECT_GT(gpu.records()[3].y, 0) << "counter-clockwise seen from +Z";
  EXPECT_EQ(gpu.records()[3 + chords].type, uint32_t{toolpath::kMoveCut});
  EXPECT_EQ(gpu.records()[4 + chords].type, uint32_t{toolpath::kMoveStopped}) << "spindle at 0";
  EXPECT_EQ(gpu.endRecordOf(2), uint32_t(2 + chords));
  EXPECT_EQ(gpu.moveOfRecord(3), 2u);
  EXPECT_EQ(gpu.moveOfRecord(3 + chords), 3u);
  for (const toolpath::GPUMoveRecord& r : gpu.records()) EXPECT_FLOAT_EQ(r.k, 1.0f) << "the spindle points up";
}

TEST(GPUToolpathTest, OrientedToolsTurnTheAxis) {
  ToolpathBuilder b;
  b.add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {10, 0, 0}));
  SIM_OrientationEntry entry{};
  entry.move = 0;
  // The tool's +Y turned onto its +X: rows (0 1 0), (-1 0 0), (0 0 1).
  const double rows[9] = {0, 1, 0, -1, 0, 0, 0, 0, 1};
  std::copy(rows, rows + 9, entry.rotation);
  b.orientations.push_back(entry);
  toolpath::Toolpath path = toolpath::Toolpath::fromRecord(b.record());
  const auto gpu = toolpath::Toolpath::GPUToolpath::build(path, machine::IdentityKinematics(), 0.01);
  ASSERT_EQ(gpu.records().size(), 2u);
  EXPECT_NEAR(gpu.records()[1].i, 1.0, 1e-6) << "the tool now points along +X";
  EXPECT_NEAR(gpu.records()[1].k, 0.0, 1e-6);
}

TEST(GPUToolpathTest, MovesThatTurnTheAxisComeInPieces) {
  ToolpathBuilder b;
  b.add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {0, 0, 10}));
  SIM_ToolpathMove turn = ToolpathBuilder::line(SIM_MOVE_LINEAR, {20, 0, 0});
  turn.axes[1] = 0.6;
  b.add(turn);
  b.add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {20, 10, 0}));  // keeps the tilt
  SIM_ToolpathMove back = ToolpathBuilder::line(SIM_MOVE_RAPID, {0, 10, 10});
  back.axes[1] = 0.0;
  b.add(back);
  b.add(back);  // the same place and axes again
  b.spindles = {1000, 1000, 1000, 1000, 1000};
  b.moves[2].axes[1] = 0.6;
  toolpath::Toolpath path = toolpath::Toolpath::fromRecord(b.record());
  const auto gpu = toolpath::Toolpath::GPUToolpath::build(path, testsupport::TiltingHead(), 0.01);
  const int pieces = static_cast<int>(std::ceil(0.6 / (0.5 * M_PI / 180)));
  ASSERT_EQ(gpu.records().size(), 1u + 1 + pieces + 1 + pieces + 1);
  EXPECT_EQ(gpu.endRecordOf(1), uint32_t(1 + pieces));
  EXPECT_EQ(gpu.endRecordOf(2), uint32_t(2 + pieces));
  EXPECT_EQ(gpu.endRecordOf(4), uint32_t(gpu.records().size() - 1));
  for (int p = 1; p <= pieces; ++p) {
    const toolpath::GPUMoveRecord& r = gpu.records()[1 + p];
    const toolpath::GPUMoveRecord& before = gpu.records()[p];
    EXPECT_EQ(r.type, uint32_t{toolpath::kMoveCut});
    EXPECT_EQ(gpu.moveOfRecord(1 + p), 1u);
    // Evenly along the straight line, the axis turning evenly about Y.
    EXPECT_NEAR(r.x, 20.0 * p / pieces, 1e-4);
    EXPECT_NEAR(r.z, 10.0 - 10.0 * p / pieces, 1e-4);
    const double angle = 0.6 * p / pieces;
    EXPECT_NEAR(r.i, std::sin(angle), 1e-6);
    EXPECT_NEAR(r.k, std::cos(angle), 1e-6);
    const double step = std::acos(std::min(1.0, double(r.i * before.i + r.j * before.j + r.k * before.k)));
    EXPECT_LE(step, 0.5 * M_PI / 180 + 1e-3);
  }
  EXPECT_EQ(gpu.records()[2 + pieces].type, uint32_t{toolpath::kMoveCut});
  EXPECT_NEAR(gpu.records()[2 + pieces].i, std::sin(0.6), 1e-6) << "a tilted move that keeps its tilt is one record";
  for (int p = 1; p <= pieces; ++p)
    EXPECT_EQ(gpu.records()[2 + pieces + p].type, uint32_t{toolpath::kMoveRapid}) << "pieces keep the move's kind";
}

TEST(GPUToolpathTest, ArcsThatTurnTheAxisGetEnoughChords) {
  ToolpathBuilder b;
  b.add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {10, 0, 0}));
  SIM_ToolpathMove arc = ToolpathBuilder::arc(SIM_MOVE_ARC_CCW, {0, 10, 0}, {0, 0, 0}, {0, 0, -1});
  arc.axes[1] = 0.3;
  b.add(arc);
  b.spindles = {1000, 1000};
  toolpath::Toolpath path = toolpath::Toolpath::fromRecord(b.record());
  const auto gpu = toolpath::Toolpath::GPUToolpath::build(path, testsupport::TiltingHead(), 0.01);
  const int forTheTurn = static_cast<int>(std::ceil(0.3 / (0.5 * M_PI / 180)));
  ASSERT_GT(forTheTurn, toolpath::segmentCount(10, M_PI / 2, 0.01)) << "the turn asks for more chords than the arc";
  ASSERT_EQ(gpu.records().size(), 2u + forTheTurn);
  const toolpath::GPUMoveRecord& last = gpu.records().back();
  EXPECT_NEAR(last.i, std::sin(0.3), 1e-6);
  EXPECT_NEAR(std::hypot(gpu.records()[5].x, gpu.records()[5].y), 10.0, 1e-4) << "chords stay on the arc";
}

}  // namespace
