// Milling cuts on the GPU against the exact sweep reference: random moves of
// every shape, the switches for rapid and spindle-stopped moves, and order
// independence.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "EngravingJob.h"
#include "gpu/ShaderCompiler.h"
#include "gpu/ProgramCache.h"
#include "machine/Kinematics.h"
#include "stock/MillCut.h"
#include "stock/CutPath.h"
#include "stock/StockCutter.h"
#include "stock/SolidStockCreator.h"
#include "support/GpuTest.h"
#include "support/LatticeCheck.h"
#include "support/SweepReference.h"
#include "support/TiltingHead.h"
#include "support/ToolBuilder.h"
#include "support/ToolpathBuilder.h"
#include "toolpath/GPUToolpath.h"
#include "tools/ToolTable.h"

namespace {

using testsupport::LinearSweep;
using testsupport::ToolSolid;

const glm::dvec3 kBoxMin(0, 0, 0), kBoxMax(40, 30, 20);

double boxSdf(const glm::dvec3& p) {
  const glm::dvec3 q = glm::abs(p - (kBoxMin + kBoxMax) * 0.5) - (kBoxMax - kBoxMin) * 0.5;
  return glm::length(glm::max(q, 0.0)) + std::min(std::max({q.x, q.y, q.z}), 0.0);
}

toolpath::GPUMoveRecord record(const glm::dvec3& p, const glm::dvec3& axis, uint32_t kind) {
  return {float(p.x), float(p.y), float(p.z), float(axis.x), float(axis.y), float(axis.z), 0.0f, kind};
}

class MillCutTest : public testsupport::GpuTest {
 protected:
  void SetUp() override {
    GpuTest::SetUp();
    stock::BoxShape box;
    box.min = kBoxMin;
    box.max = kBoxMax;
    ASSERT_TRUE(grid_.setUp(stock::boundsOf(box), 50'000, limits_));
    box_ = box;
    solids_.create(grid_, box_);
  }
  void freshStock() { solids_.create(grid_, box_); }

  // Random moves through and around the box, each with its own axis.
  std::vector<toolpath::GPUMoveRecord> randomMoves(std::mt19937& rng, int count, bool tilted) {
    std::uniform_real_distribution<double> x(-5, 45), y(-5, 35), z(8, 24), unit(-1, 1);
    std::vector<toolpath::GPUMoveRecord> records;
    // A tilted tool keeps one tilt for the whole sequence.
    const glm::dvec3 axis = tilted ? glm::normalize(glm::dvec3(0.4 * unit(rng), 0.4 * unit(rng), 1)) : glm::dvec3(0, 0, 1);
    glm::dvec3 at(x(rng), y(rng), z(rng));
    records.push_back(record(at, axis, toolpath::kMoveCut));
    for (int i = 0; i < count; ++i) {
      const int kind = i % 4;  // line, plunge, ramp, zero length
      glm::dvec3 next = at;
      if (kind == 0) next = {x(rng), y(rng), at.z};
      if (kind == 1) next = at - axis * 6.0;
      if (kind == 2) next = {x(rng), y(rng), z(rng)};
      records.push_back(record(next, axis, toolpath::kMoveCut));
      at = next;
    }
    return records;
  }

  testsupport::LatticeReport compare(const std::vector<toolpath::GPUMoveRecord>& records, const ToolSolid& tool) {
    std::vector<LinearSweep> sweeps;
    for (size_t k = 1; k < records.size(); ++k) {
      const auto& a = records[k - 1];
      const auto& b = records[k];
      sweeps.push_back({glm::dvec3(a.x, a.y, a.z), glm::dvec3(b.x, b.y, b.z),
                        glm::normalize(glm::dvec3(b.i, b.j, b.k)), tool});
    }
    return compare(sweeps);
  }

  testsupport::LatticeReport compare(const std::vector<LinearSweep>& sweeps) {
    auto sdf = [&](const glm::dvec3& p) {
      double cut = 1e300;
      for (const LinearSweep& s : sweeps) cut = std::min(cut, s.distance(p));
      return std::max(boxSdf(p), -cut);
    };
    return testsupport::checkLattice(testsupport::LatticeImage(grid_), testsupport::referenceFromDistance(sdf), 1.0,
                                     2.5 / 128);
  }

  // Cuts the moves and holds the lattice against the exact sweeps.
  void cutAndCompare(const std::vector<toolpath::GPUMoveRecord>& records, const tools::CutRecord& tool,
                     const ToolSolid& solid, const char* name) {
    mill_.cut(grid_, stock::MoveStream(records), 1, static_cast<uint32_t>(records.size()), tool, 7, {});
    const testsupport::LatticeReport report = compare(records, solid);
    EXPECT_EQ(report.wrongNodes, 0u) << name << ": " << report.summary();
    EXPECT_EQ(report.borderInside, 0u) << name;
    // One code per edge cannot hold a sliver thinner than a cell that a cut
    // leaves between two inside nodes: when a later cut of the same edge
    // opens the first node, the sliver's side is gone. Such edges are rare.
    EXPECT_LE(report.wrongCodes, std::max<uint64_t>(2, report.codesChecked / 500)) << name << ": " << report.summary();
    EXPECT_GT(report.codesChecked, 300u) << name;
  }

  stock::StockGrid grid_;
  stock::BoxShape box_;
  stock::SolidStockCreator solids_;
  stock::MillCut mill_;
};

TEST_F(MillCutTest, MillShapesOnRandomMoves) {
  struct Case {
    const char* name;
    testsupport::Points profile;
    ToolSolid solid;
    bool tilted;
  };
  const Case cases[] = {
      {"flat", testsupport::flatProfile(3, 12), testsupport::flatMillSolid(3, 12), false},
      {"ball", testsupport::ballProfile(2.5f, 12), testsupport::ballMillSolid(2.5, 12), false},
      {"flat tilted", testsupport::flatProfile(3, 12), testsupport::flatMillSolid(3, 12), true},
      {"ball tilted", testsupport::ballProfile(2.5f, 12), testsupport::ballMillSolid(2.5, 12), true},
      {"bull nose", testsupport::bullNoseProfile(2, 1.2f, 12, true), testsupport::bullNoseSolid(2, 1.2, 12), false},
      {"bull nose tilted", testsupport::bullNoseProfile(2, 1.2f, 12, true), testsupport::bullNoseSolid(2, 1.2, 12), true},
      {"convex flat", {testsupport::straightTo(0, 0), testsupport::straightTo(1.5f, 0), testsupport::straightTo(3, 0),
                       testsupport::straightTo(3, 12), testsupport::straightTo(0, 12)},
       testsupport::flatMillSolid(3, 12), false},
      {"convex", {testsupport::straightTo(0, 0), testsupport::straightTo(1, 0), testsupport::straightTo(3.5f, 2.5f),
                  testsupport::straightTo(3.5f, 12), testsupport::straightTo(0, 12)},
       testsupport::profileSolid({{0, 0}, {1, 0}, {3.5, 2.5}, {3.5, 12}, {0, 12}}, true), false},
      {"waisted",
       {testsupport::straightTo(0, 0), testsupport::straightTo(3, 0), testsupport::straightTo(3, 4),
        testsupport::straightTo(1.5f, 6), testsupport::straightTo(1.5f, 8), testsupport::straightTo(3, 10),
        testsupport::straightTo(3, 12), testsupport::straightTo(0, 12)},
       testsupport::frustaSolid({{0, 0}, {3, 0}, {3, 4}, {1.5, 6}, {1.5, 8}, {3, 10}, {3, 12}, {0, 12}}), false},
      {"convex tilted", {testsupport::straightTo(0, 0), testsupport::straightTo(1, 0), testsupport::straightTo(3.5f, 2.5f),
                         testsupport::straightTo(3.5f, 12), testsupport::straightTo(0, 12)},
       testsupport::profileSolid({{0, 0}, {1, 0}, {3.5, 2.5}, {3.5, 12}, {0, 12}}, true), true},
  };
  std::mt19937 rng(99);
  for (const Case& c : cases) {
    freshStock();
    const std::vector<toolpath::GPUMoveRecord> records = randomMoves(rng, 8, c.tilted);
    const tools::CutRecord tool = testsupport::cuttingRecordOf(c.profile);
    ASSERT_NE(tool.shape, uint32_t{tools::kShapeClosed}) << c.name;
    cutAndCompare(records, tool, c.solid, c.name);
  }
}

TEST_F(MillCutTest, RapidAndStoppedSpindleSwitches) {
  const tools::CutRecord flat = testsupport::cuttingRecordOf(testsupport::flatProfile(3, 12));
  const glm::dvec3 up(0, 0, 1);
  const double h = grid_.frame().exactCellSize;
  // Along the top face, the tool's bottom a hair (0.2 % of a cell) into it.
  const double graze = kBoxMax.z - 0.002 * h;
  auto words = [&] { return testsupport::LatticeImage(grid_).nodeWords; };
  const std::vector<uint32_t> before = words();

  std::vector<toolpath::GPUMoveRecord> rapid{record({5, 15, graze}, up, toolpath::kMoveRapid),
                                          record({35, 15, graze}, up, toolpath::kMoveRapid)};
  stock::CutSwitches report;
  report.reportRapidMoves = true;
  mill_.cut(grid_, stock::MoveStream(rapid), 1, 2, flat, 7, report);
  EXPECT_EQ(words(), before) << "a grazing rapid removes nothing";
  EXPECT_TRUE(mill_.reportedMoves().empty());

  std::vector<toolpath::GPUMoveRecord> cut = rapid;
  cut[1].type = toolpath::kMoveCut;
  mill_.cut(grid_, stock::MoveStream(cut), 1, 2, flat, 7, {});
  EXPECT_NE(words(), before) << "the same move as a cut takes a thin layer";

  // A rapid through the stock with the rapid moves not applied: the stock
  // stays, the report bit is set.
  freshStock();
  mill_.clearReport();
  std::vector<toolpath::GPUMoveRecord> through{record({5, 15, 10}, up, toolpath::kMoveRapid),
                                            record({35, 15, 10}, up, toolpath::kMoveRapid)};
  stock::CutSwitches noApply;
  noApply.applyRapidMoves = false;
  noApply.reportRapidMoves = true;
  mill_.cut(grid_, stock::MoveStream(through), 1, 2, flat, 7, noApply);
  EXPECT_EQ(words(), before);
  EXPECT_EQ(mill_.reportedMoves(), std::vector<uint32_t>{1});

  // Spindle stopped: mode 0 cuts nothing, 1 stamps the tool colour, 2 the
  // rapid colour.
  std::vector<toolpath::GPUMoveRecord> stopped = through;
  stopped[1].type = toolpath::kMoveStopped;
  for (uint32_t mode : {0u, 1u, 2u}) {
    freshStock();
    stock::CutSwitches switches;
    switches.stoppedSpindleMode = mode;
    mill_.cut(grid_, stock::MoveStream(stopped), 1, 2, flat, 7, switches);
    std::set<uint32_t> owners;
    for (uint32_t w : words()) owners.insert(w >> 24);
    if (mode == 0) {
      EXPECT_EQ(words(), before);
    } else {
      EXPECT_TRUE(owners.count(mode == 1 ? 7u : 1u)) << "mode " << mode;
      EXPECT_FALSE(owners.count(mode == 1 ? 1u : 7u)) << "mode " << mode;
    }
  }
}

TEST_F(MillCutTest, ReportedRapidsAreToolpathMoves) {
  // A toolpath whose second move is a rapid through the stock; an arc
  // before it makes records and moves part ways.
  testing_support::ToolpathBuilder path;
  path.add(testing_support::ToolpathBuilder::line(SIM_MOVE_RAPID, {5, 15, 30}))
      .add(testing_support::ToolpathBuilder::arc(SIM_MOVE_ARC_CCW, {15, 15, 30}, {10, 15, 30}, {0, 0, -1}))
      .add(testing_support::ToolpathBuilder::line(SIM_MOVE_RAPID, {35, 15, 10}))
      .add(testing_support::ToolpathBuilder::line(SIM_MOVE_LINEAR, {35, 15, 30}))
      .toolChange("mill", 0);
  auto toolpath = std::make_shared<const toolpath::Toolpath>(toolpath::Toolpath::fromRecord(path.record()));
  testsupport::ToolTableBuilder b;
  b.addTool("mill", {{SIM_PART_CUTTING, testsupport::flatProfile(3, 12)}});
  const tools::ToolTable table = testsupport::tableOf(b);
  const stock::CutPath cutPath(toolpath, 0.05, 0, machine::IdentityKinematics(), table, 0);
  stock::StockCutter cutter;
  stock::CutSwitches switches;
  switches.reportRapidMoves = true;
  EXPECT_TRUE(cutter.cutTo(grid_, cutPath, 3, 1.0, switches));
  EXPECT_EQ(cutter.reportedMoves(cutPath), std::vector<uint32_t>{2});
  EXPECT_EQ(cutter.movesCut(), 4u);
  EXPECT_TRUE(cutter.needsRebuild(2, 0.5));
}

TEST_F(MillCutTest, MovesOutsideOrBrokenCutNothing) {
  const tools::CutRecord ball = testsupport::cuttingRecordOf(testsupport::ballProfile(3, 12));
  const glm::dvec3 up(0, 0, 1);
  const std::vector<uint32_t> before = testsupport::LatticeImage(grid_).nodeWords;
  std::vector<toolpath::GPUMoveRecord> moves{record({-500, -500, 5}, up, toolpath::kMoveCut),
                                          record({-400, -450, 5}, up, toolpath::kMoveCut),
                                          record({NAN, 15, 10}, up, toolpath::kMoveCut),
                                          record({1e30, 15, 10}, up, toolpath::kMoveCut),
                                          record({20, 15, 40}, {0, 0, 0}, toolpath::kMoveCut)};
  mill_.cut(grid_, stock::MoveStream(moves), 1, static_cast<uint32_t>(moves.size()), ball, 5, {});
  EXPECT_EQ(testsupport::LatticeImage(grid_).nodeWords, before);
  EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(MillCutTest, PlungesPartialMovesAndOrder) {
  const tools::CutRecord flat = testsupport::cuttingRecordOf(testsupport::flatProfile(4, 15));
  const glm::dvec3 up(0, 0, 1);
  // A plunge along the axis cuts a clean cylinder.
  std::vector<toolpath::GPUMoveRecord> plunge{record({20, 15, 25}, up, toolpath::kMoveCut),
                                           record({20, 15, 8}, up, toolpath::kMoveCut)};
  mill_.cut(grid_, stock::MoveStream(plunge), 1, 2, flat, 5, {});
  auto report = compare(plunge, testsupport::flatMillSolid(4, 15));
  EXPECT_TRUE(report.good()) << report.summary();

  // The partial move cuts up to where the tool stands: the first 40 % of a slot.
  freshStock();
  std::vector<toolpath::GPUMoveRecord> slot{record({5, 15, 12}, up, toolpath::kMoveCut), record({35, 15, 12}, up, toolpath::kMoveCut)};
  stock::PartialMove partial;
  partial.start = {5, 15, 12};
  partial.end = {17, 15, 12};
  partial.axisFrom = partial.axisTo = up;
  mill_.cut(grid_, stock::MoveStream(slot), 1, 1, flat, 5, {}, partial);
  std::vector<toolpath::GPUMoveRecord> part{slot[0], record({17, 15, 12}, up, toolpath::kMoveCut)};
  report = compare(part, testsupport::flatMillSolid(4, 15));
  EXPECT_TRUE(report.good()) << report.summary();

  // The same moves in another order, or twice, leave the same lattice.
  std::mt19937 rng(5);
  const std::vector<toolpath::GPUMoveRecord> moves = randomMoves(rng, 10, false);
  freshStock();
  mill_.cut(grid_, stock::MoveStream(moves), 1, static_cast<uint32_t>(moves.size()), flat, 5, {});
  const testsupport::LatticeImage forwards(grid_);
  mill_.cut(grid_, stock::MoveStream(moves), 1, static_cast<uint32_t>(moves.size()), flat, 5, {});
  const testsupport::LatticeImage twice(grid_);
  const stock::MoveStream stream(moves);
  const uint32_t records = static_cast<uint32_t>(moves.size());
  freshStock();
  for (uint32_t k = records - 1; k >= 1; --k) mill_.cut(grid_, stream, k, k + 1, flat, 5, {});
  const testsupport::LatticeImage backwards(grid_);
  // Ranges of three moves one after another on one stream, and one cut sent
  // in pieces of a few chunks each, leave it too.
  freshStock();
  for (uint32_t k = 1; k < records; k += 3) mill_.cut(grid_, stream, k, std::min(k + 3, records), flat, 5, {});
  const testsupport::LatticeImage ranges(grid_);
  freshStock();
  stock::MillCut pieces(5);
  pieces.cut(grid_, stream, 1, records, flat, 5, {});
  const testsupport::LatticeImage inPieces(grid_);
  EXPECT_EQ(twice.nodeWords, forwards.nodeWords);
  EXPECT_EQ(twice.signWords, forwards.signWords);
  EXPECT_EQ(backwards.signWords, forwards.signWords);
  EXPECT_EQ(ranges.signWords, forwards.signWords);
  EXPECT_EQ(inPieces.signWords, forwards.signWords);
  // The codes that mean something, those on edges whose nodes differ (owner
  // bytes record which cut came last, and codes between two outside nodes
  // are left from earlier cuts).
  size_t meaningful = 0, differentCodes = 0;
  forwards.forEachNode([&](const glm::uvec3& n) {
    for (int axis = 0; axis < 3; ++axis) {
      glm::uvec3 next = n;
      if (++next[axis] >= forwards.frame.nodes[axis] || forwards.inside(n) == forwards.inside(next)) continue;
      ++meaningful;
      differentCodes += forwards.code(n, axis) != backwards.code(n, axis);
    }
  });
  EXPECT_GT(meaningful, 1000u);
  EXPECT_LE(differentCodes, meaningful / 500) << "only where a sub-cell sliver met another cut";
}

// Volume a vertical flat mill removes from the box: per column of 0.05 mm,
// from the top down to the lowest bottom of the tool over the column, the
// tool's centre sampled densely along the moves.
double flatMillVolume(const std::vector<glm::dvec3>& centres, double radius) {
  constexpr double kStep = 0.05;
  const int nx = int(kBoxMax.x / kStep), ny = int(kBoxMax.y / kStep);
  std::vector<double> lowest(size_t(nx) * ny, kBoxMax.z);
  for (size_t i = 1; i < centres.size(); ++i) {
    const int samples = std::max(1, int(glm::length(centres[i] - centres[i - 1]) / 0.01));
    for (int s = 0; s <= samples; ++s) {
      const glm::dvec3 c = centres[i - 1] + (centres[i] - centres[i - 1]) * (double(s) / samples);
      for (int x = std::max(0, int((c.x - radius) / kStep)); x < std::min(nx, int((c.x + radius) / kStep) + 1); ++x)
        for (int y = std::max(0, int((c.y - radius) / kStep)); y < std::min(ny, int((c.y + radius) / kStep) + 1); ++y)
          if (std::hypot((x + 0.5) * kStep - c.x, (y + 0.5) * kStep - c.y) <= radius)
            lowest[size_t(x) * ny + y] = std::min(lowest[size_t(x) * ny + y], std::max(c.z, kBoxMin.z));
    }
  }
  double volume = 0;
  for (double z : lowest) volume += (kBoxMax.z - z) * kStep * kStep;
  return volume;
}

TEST_F(MillCutTest, RemovedVolumesOfSlotPocketAndHelix) {
  ASSERT_TRUE(grid_.setUp(stock::boundsOf(box_), 400'000, limits_));
  const glm::dvec3 up(0, 0, 1);
  const double r = 3;
  const tools::CutRecord flat = testsupport::cuttingRecordOf(testsupport::flatProfile(float(r), 30));
  const double h = grid_.frame().exactCellSize;
  auto insideVolume = [&] { return testsupport::LatticeImage(grid_).insideCount() * h * h * h; };
  freshStock();
  const double full = insideVolume();
  auto cutAndCompare = [&](const std::vector<glm::dvec3>& centres, double surface, const char* what) {
    freshStock();
    std::vector<toolpath::GPUMoveRecord> records;
    for (const glm::dvec3& c : centres) records.push_back(record(c, up, toolpath::kMoveMarked));
    mill_.cut(grid_, stock::MoveStream(records), 1, static_cast<uint32_t>(records.size()), flat, 5, {});
    const double expected = flatMillVolume(centres, r);
    // Nodes sample the cut surfaces: the count may be off by up to half a
    // cell over their area.
    EXPECT_NEAR(full - insideVolume(), expected, 0.5 * surface * h) << what << ", expected " << expected;
  };

  // A straight slot 4 deep.
  cutAndCompare({{10, 15, 16}, {30, 15, 16}}, (20 * 6 + M_PI * 9) + (40 + 6 * M_PI) * 4, "slot");
  // A circular pocket in chords: an annulus of radii 5 and 11, 3 deep.
  std::vector<glm::dvec3> circle;
  for (int c = 0; c <= 180; ++c)
    circle.push_back({20 + 8 * std::cos(2 * M_PI * c / 180), 15 + 8 * std::sin(2 * M_PI * c / 180), 17});
  cutAndCompare(circle, M_PI * (121 - 25) + 2 * M_PI * 16 * 3, "pocket");
  // A helix of radius 6 going down 2 per turn for three turns.
  std::vector<glm::dvec3> helix;
  for (int c = 0; c <= 360; ++c)
    helix.push_back({20 + 6 * std::cos(2 * M_PI * c / 120), 15 + 6 * std::sin(2 * M_PI * c / 120), 20 - 2.0 * c / 120});
  cutAndCompare(helix, M_PI * (81 - 9) * 1.2 + 2 * M_PI * 12 * 6, "helix");
}

TEST_F(MillCutTest, RingExtrudedAndPolygonSidedToolsOnRandomMoves) {
  using testsupport::straightTo;
  struct Case {
    const char* name;
    testsupport::Points profile;
    uint32_t profileKind;
    double depth;
    ToolSolid solid;
    uint32_t shape;
    bool tilted;
    bool convexPolygon = false;
    glm::dvec3 partAxis{0.0};
    uint32_t polygonSides = 0;
  };
  // A ring cutter: a closed loop away from the axis, whose core stays.
  const testsupport::Points ring{straightTo(1.5f, 0), straightTo(3.5f, 0), straightTo(3.5f, 4),
                                 straightTo(2.5f, 6), straightTo(1.5f, 6), straightTo(1.5f, 0)};
  const ToolSolid ringSolid = testsupport::loopSolid({{1.5, 0}, {3.5, 0}, {3.5, 4}, {2.5, 6}, {1.5, 6}});
  // Rounded outside corners: many pieces on one ray. The cut takes each arc
  // as 7 chords of equal angle, and so does the reference.
  const testsupport::Points roundedRing{straightTo(1.5f, 0), straightTo(2.5f, 0),
                                        testsupport::arcTo(SIM_SEGMENT_ARC_CCW, 3.5f, 1, 2.5f, 1), straightTo(3.5f, 5),
                                        testsupport::arcTo(SIM_SEGMENT_ARC_CCW, 2.5f, 6, 2.5f, 5), straightTo(1.5f, 6),
                                        straightTo(1.5f, 0)};
  std::vector<glm::dvec2> roundedLoop{{1.5, 0}};
  for (int i = 0; i <= 7; ++i) roundedLoop.push_back({2.5 + std::sin(M_PI / 2 * i / 7), 1 - std::cos(M_PI / 2 * i / 7)});
  for (int i = 0; i <= 7; ++i) roundedLoop.push_back({2.5 + std::cos(M_PI / 2 * i / 7), 5 + std::sin(M_PI / 2 * i / 7)});
  roundedLoop.push_back({1.5, 6});
  // An L-shaped blade extruded 2 to one side, and a T-shaped one 3 deep
  // about its plane.
  const testsupport::Points blade{straightTo(0, 0), straightTo(3, 0), straightTo(3, 2),
                                  straightTo(1, 2), straightTo(1, 8), straightTo(0, 8)};
  const ToolSolid bladeSolid = testsupport::prismSolid({{0, 0}, {3, 0}, {3, 2}, {1, 2}, {1, 8}, {0, 8}}, 0, 2);
  const testsupport::Points tee{straightTo(-2.5f, 0), straightTo(2.5f, 0), straightTo(2.5f, 1.5f),
                                straightTo(0.5f, 1.5f), straightTo(0.5f, 7), straightTo(-0.5f, 7),
                                straightTo(-0.5f, 1.5f), straightTo(-2.5f, 1.5f)};
  const ToolSolid teeSolid = testsupport::prismSolid(
      {{-2.5, 0}, {2.5, 0}, {2.5, 1.5}, {0.5, 1.5}, {0.5, 7}, {-0.5, 7}, {-0.5, 1.5}, {-2.5, 1.5}}, -1.5, 1.5);
  const testsupport::Points wedge{straightTo(-1, 0), straightTo(1, 0), straightTo(3, 4),
                                  straightTo(3, 9), straightTo(-3, 9), straightTo(-3, 3)};
  const testsupport::Points clockwiseWedge(wedge.rbegin(), wedge.rend());
  const ToolSolid wedgeSolid =
      testsupport::prismSolid({{-1, 0}, {1, 0}, {3, 4}, {3, 9}, {-3, 9}, {-3, 3}}, -1.25, 1.25);
  const testsupport::Points notched{straightTo(0, 0), straightTo(3, 0), straightTo(3, 3), straightTo(1.5f, 5),
                                    straightTo(3, 7), straightTo(3, 10), straightTo(0, 10)};
  const testsupport::Points hexagonal{straightTo(0, 0), straightTo(1.5f, 0), straightTo(3, 2), straightTo(3, 10),
                                      straightTo(0, 10)};
  const ToolSolid hexagonalSolid = testsupport::polygonSidedSolid({{0, 0}, {1.5, 0}, {3, 2}, {3, 10}, {0, 10}}, 6);
  const Case cases[] = {
      {"ring", ring, SIM_PROFILE_REVOLVED, 0, ringSolid, tools::kShapeClosed, false},
      {"ring tilted", ring, SIM_PROFILE_REVOLVED, 0, ringSolid, tools::kShapeClosed, true},
      {"rounded ring tilted", roundedRing, SIM_PROFILE_REVOLVED, 0, testsupport::loopSolid(roundedLoop),
       tools::kShapeClosed, true},
      {"blade", blade, SIM_PROFILE_EXTRUDED, 2, bladeSolid, tools::kShapeExtruded, false},
      {"blade tilted", blade, SIM_PROFILE_EXTRUDED, 2, bladeSolid, tools::kShapeExtruded, true},
      {"tee", tee, SIM_PROFILE_EXTRUDED_SYMMETRIC, 3, teeSolid, tools::kShapeExtruded, false},
      // Convex with straight sides: the one-interval prism cut.
      {"wedge", wedge, SIM_PROFILE_EXTRUDED_SYMMETRIC, 2.5, wedgeSolid, tools::kShapeExtruded, false, true},
      {"wedge clockwise, tilted", clockwiseWedge, SIM_PROFILE_EXTRUDED_SYMMETRIC, 2.5, wedgeSolid, tools::kShapeExtruded, true, true},
      // A turned profile with a notch on a tilted part axis still turns.
      {"turned on a tilted part axis", notched, SIM_PROFILE_REVOLVED, 0,
       testsupport::frustaSolid({{0, 0}, {3, 0}, {3, 3}, {1.5, 5}, {3, 7}, {3, 10}, {0, 10}}), tools::kShapeExtruded,
       true, false, {0.3, 1, 0}},
      // Tools that do not turn, with flat sides: a pointed hexagonal punch
      // and a square one.
      {"hexagonal", hexagonal, SIM_PROFILE_REVOLVED, 0, hexagonalSolid, tools::kShapeExtruded, false, false, {}, 6},
      {"square tilted", testsupport::flatProfile(2.5f, 10), SIM_PROFILE_REVOLVED, 0,
       testsupport::polygonSidedSolid({{0, 0}, {2.5, 0}, {2.5, 10}, {0, 10}}, 4), tools::kShapeExtruded, true, false,
       {}, 4},
  };
  std::mt19937 rng(31);
  for (const Case& c : cases) {
    freshStock();
    const std::vector<toolpath::GPUMoveRecord> records = randomMoves(rng, 8, c.tilted);
    const tools::CutRecord tool =
        testsupport::cuttingRecordOf(c.profile, c.profileKind, c.depth, c.partAxis, c.polygonSides);
    ASSERT_EQ(tool.shape, c.shape) << c.name;
    ASSERT_EQ(tool.convexPolygon, c.convexPolygon) << c.name;
    ASSERT_EQ(tool.polygonSides, c.polygonSides) << c.name;
    cutAndCompare(records, tool, c.solid, c.name);
  }
}

TEST_F(MillCutTest, RingToolPlungeLeavesItsCore) {
  using testsupport::straightTo;
  const tools::CutRecord ring = testsupport::cuttingRecordOf(
      {straightTo(2, 0), straightTo(4, 0), straightTo(4, 10), straightTo(2, 10), straightTo(2, 0)});
  ASSERT_EQ(ring.shape, uint32_t{tools::kShapeClosed});
  const glm::dvec3 up(0, 0, 1);
  std::vector<toolpath::GPUMoveRecord> plunge{record({20, 15, 24}, up, toolpath::kMoveCut), record({20, 15, 12}, up, toolpath::kMoveCut)};
  mill_.cut(grid_, stock::MoveStream(plunge), 1, 2, ring, 5, {});
  const testsupport::LatticeImage image(grid_);
  // Down the axis the core stands; half-way out in the ring it is gone.
  const stock::GridFrame& f = grid_.frame();
  auto nodeAt = [&](const glm::dvec3& p) { return glm::uvec3(glm::round(glm::vec3(f.worldToGrid * glm::vec4(glm::vec3(p), 1.0f)))); };
  EXPECT_TRUE(image.inside(nodeAt({20, 15, 14})));
  EXPECT_FALSE(image.inside(nodeAt({23, 15, 14})));
  EXPECT_FALSE(image.inside(nodeAt({20, 12, 16})));
  EXPECT_TRUE(image.inside(nodeAt({20, 15, 11})));
}

TEST_F(MillCutTest, AxisTurningWithinAMoveSweepsTheTurningTool) {
  testing_support::ToolpathBuilder b;
  b.add(testing_support::ToolpathBuilder::line(SIM_MOVE_LINEAR, {8, 15, 23}));
  SIM_ToolpathMove turn = testing_support::ToolpathBuilder::line(SIM_MOVE_LINEAR, {30, 15, 14});
  turn.axes[1] = 0.6;
  b.add(turn);
  b.spindles = {1000, 1000};
  toolpath::Toolpath path = toolpath::Toolpath::fromRecord(b.record());
  const auto gpu = toolpath::Toolpath::GPUToolpath::build(path, testsupport::TiltingHead(), 0.01);
  ASSERT_GT(gpu.records().size(), 60u) << "the move is cut in pieces";

  const tools::CutRecord flat = testsupport::cuttingRecordOf(testsupport::flatProfile(2.5f, 12));
  const std::vector<toolpath::GPUMoveRecord>& records = gpu.records();
  mill_.cut(grid_, stock::MoveStream(records), 1, static_cast<uint32_t>(records.size()), flat, 5, {});
  LinearSweep sweep{{8, 15, 23}, {30, 15, 14}, {0, 0, 1}, testsupport::flatMillSolid(2.5, 12)};
  sweep.endAxis = glm::dvec3(std::sin(0.6), 0, std::cos(0.6));
  // Every record sweeps the tool with one axis, so the pieces hold the
  // turning tool to within a few hundredths of a millimetre: every node
  // agrees with the turning sweep, and the lattice is exactly the pieces'.
  testsupport::LatticeReport report = compare({sweep});
  EXPECT_EQ(report.wrongNodes, 0u) << report.summary();
  std::vector<LinearSweep> pieces;
  for (size_t k = 1; k < records.size(); ++k) {
    const auto& a = records[k - 1];
    const auto& c = records[k];
    pieces.push_back({glm::dvec3(a.x, a.y, a.z), glm::dvec3(c.x, c.y, c.z),
                      glm::normalize(glm::dvec3(a.i + c.i, a.j + c.j, a.k + c.k)), testsupport::flatMillSolid(2.5, 12)});
  }
  report = compare(pieces);
  EXPECT_TRUE(report.good()) << report.summary();
  EXPECT_GT(report.codesChecked, 300u);

  // The move as one record sweeps one averaged axis: visibly another solid.
  freshStock();
  const std::vector<toolpath::GPUMoveRecord> whole{records.front(), records.back()};
  mill_.cut(grid_, stock::MoveStream(whole), 1, 2, flat, 5, {});
  report = compare({sweep});
  EXPECT_GT(report.wrongNodes, 10u);
}

}  // namespace

namespace {

// The first letters of the engraving job, as cut now (rays that hold no
// material near a sweep skipped; on a software renderer the move set up by
// every invocation) and as every device cut them before (every ray of the
// sweep box intersected, the move set up by invocation 0 and shared).
class CutVariantsTest : public testsupport::GpuTest {
 protected:
  void TearDown() override {
    useVariant(gpu::ComputeVariant::ByRenderer);
    GpuTest::TearDown();
  }
  static void useVariant(gpu::ComputeVariant variant) {
    gpu::setComputeVariant(variant);
    gpu::deleteWindowPrograms();  // built again on first use, as that variant
  }

  testsupport::LatticeImage cut(const std::vector<toolpath::GPUMoveRecord>& records, const tools::CutRecord& tool,
                                bool everyRay) {
    stock::BoxShape box;
    box.min = kBoxMin;
    box.max = kBoxMax;
    stock::StockGrid grid;
    EXPECT_TRUE(grid.setUp(stock::boundsOf(box), 150'000, limits_));
    stock::SolidStockCreator().create(grid, box);
    stock::CutSwitches switches;
    switches.cutEveryRay = everyRay;
    stock::MillCut mill;
    mill.cut(grid, stock::MoveStream(records), 1, static_cast<uint32_t>(records.size()), tool, 7, switches);
    return testsupport::LatticeImage(grid);
  }
};

TEST_F(CutVariantsTest, EngravedLettersLeaveTheSameLatticeEitherWay) {
  // Two letters of the job's top row, moved into the box's top face.
  const glm::dvec3 shift(0.0, -60.0, kBoxMax.z);
  std::vector<toolpath::GPUMoveRecord> records;
  for (const bench::EngravingJob::Move& m : bench::EngravingJob::moves(2))
    records.push_back(record(m.to + shift, {0, 0, 1}, m.rapid ? toolpath::kMoveRapid : toolpath::kMoveCut));
  ASSERT_GT(records.size(), 500u);
  const struct {
    const char* name;
    testsupport::Points profile;
  } shapes[] = {{"flat", testsupport::flatProfile(1.25f, 20)},
                {"ball", testsupport::ballProfile(1.25f, 20)}};
  std::vector<testsupport::LatticeImage> before;
  useVariant(gpu::ComputeVariant::SharedSetUp);
  for (const auto& shape : shapes) before.push_back(cut(records, testsupport::cuttingRecordOf(shape.profile), true));
  useVariant(gpu::ComputeVariant::ByRenderer);
  const testsupport::LatticeImage uncut = cut({records.front()}, testsupport::cuttingRecordOf(shapes[0].profile), false);
  for (size_t s = 0; s < std::size(shapes); ++s) {
    const char* name = shapes[s].name;
    const testsupport::LatticeImage now = cut(records, testsupport::cuttingRecordOf(shapes[s].profile), false);
    ASSERT_EQ(before[s].signWords.size(), now.signWords.size()) << name;
    EXPECT_TRUE(before[s].signWords == now.signWords) << name << ": the inside flags differ";
    // Codes count where they place the surface: on edges between an inside
    // and an outside node. Elsewhere two moves cutting one ray at the same
    // time may leave either's code, which no surface reads.
    size_t crossings = 0, differentCodes = 0;
    now.forEachNode([&](const glm::uvec3& n) {
      for (int axis = 0; axis < 3; ++axis) {
        glm::uvec3 next = n;
        if (++next[axis] >= now.frame.nodes[axis] || now.inside(n) == now.inside(next)) continue;
        ++crossings;
        differentCodes += before[s].code(n, axis) != now.code(n, axis);
      }
    });
    // One known race remains at crossings: a cut through a single cell
    // decides on the live inside flags of its two nodes, which another move
    // of the same dispatch may be clearing, and now and then one crossing
    // keeps the other move's code. A real fault changes hundreds.
    EXPECT_LE(differentCodes, 2u) << name << ": of " << crossings << " crossings";
    // The letters took material off at all.
    EXPECT_LT(now.insideCount() + 200, uncut.insideCount()) << name;
  }
}

}  // namespace
