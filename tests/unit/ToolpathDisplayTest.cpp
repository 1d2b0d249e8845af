// The toolpath turned into records. What the display draws: the line strip
// with its kinds, chords and programmed positions, tool-axis segments, draw
// ranges, and the window of visible moves for every toolpath mode. What the
// cut shaders read: kinds, chords of arcs, their back references, and tool
// axes, moves that turn the axis in pieces.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <optional>
#include <utility>
#include <vector>

#include <glm/geometric.hpp>
#include <glm/gtc/matrix_transform.hpp>

#include "machine/Kinematics.h"
#include "support/TiltingHead.h"
#include "support/ToolpathBuilder.h"
#include "toolpath/GPUToolpath.h"
#include "toolpath/MovesInRectangle.h"
#include "toolpath/ToolpathLines.h"
#include "toolpath/VisibleMoves.h"
#include "view/CuttingPlaneSetting.h"

using testing_support::ToolpathBuilder;
using toolpath::Toolpath;
namespace kind = toolpath::LineKind;

namespace {

constexpr double kQuarter = std::numbers::pi / 2;

glm::dvec3 at(const toolpath::LineVertex& v) { return {v.position[0], v.position[1], v.position[2]}; }

}  // namespace

TEST(ToolpathLinesTest, OneStripOfMoveEndsAndChordPoints) {
  ToolpathBuilder b;
  // Counter-clockwise about -normal: (0, 0, -1) turns arcs of the XY plane
  // counter-clockwise seen from above. Tool changes make their moves type 0.
  const glm::dvec3 up(0, 0, -1), origin(0.0);
  b.add(ToolpathBuilder::line(SIM_MOVE_RAPID, {10, 0, 5}))
      .add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {10, 0, 0}))
      .add(ToolpathBuilder::arc(SIM_MOVE_ARC_CCW, {0, 10, 0}, origin, up))      // a quarter, r 10
      .add(ToolpathBuilder::arc(SIM_MOVE_ARC_CW, {10, 0, 0}, origin, up))       // back again
      .add(ToolpathBuilder::arc(SIM_MOVE_ARC_CCW, {0, 10, -2}, origin, up))     // a helical quarter
      .add(ToolpathBuilder::arc(SIM_MOVE_ARC_CCW, {20, 0, -2}, {0, 0, -2}, up))  // radii 10 and 20: a chord
      .add(ToolpathBuilder::line(0, {20, 0, -2}))                                // the tool change
      .add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {20, 5, -2}))
      .add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {20, 5, -2}))  // back to the first tool
      .add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {25, 5, -2}));
  b.moves[7].axes[1] = kQuarter;  // the tool leans over to +X
  b.toolChange("T1", 0).toolChange("T2", 6).toolChange("T1", 8);
  b.operations = {{0, 4, 1}, {4, 10, 2}};
  b.compensations = {{7, {1, 0, 0}}};
  const testsupport::TiltingHead head;
  const Toolpath path = Toolpath::fromRecord(b.record()).withCompensation(head);
  ASSERT_NE(path.move(7).end[2], b.moves[7].end[2]) << "the compensated end moved";
  const toolpath::ToolpathLines lines = toolpath::buildToolpathLines(path, head, 4.0);

  const int quarter = toolpath::segmentCount(10, kQuarter, toolpath::kDrawingChordTolerance);
  ASSERT_GT(quarter, 2);
  const std::vector<std::pair<float, int>> kindsAndVertices = {
      {kind::kHidden, 1},       {kind::kFeedEnd, 1}, {kind::kArcEnd, quarter}, {kind::kArcEnd, quarter},
      {kind::kArcEnd, quarter}, {kind::kArcEnd, 1},  {kind::kHidden, 1},       {kind::kFeedEnd, 1},
      {kind::kHidden, 1},       {kind::kFeedEnd, 1}};
  ASSERT_EQ(lines.lastVertexOf.size(), kindsAndVertices.size());
  uint32_t next = 0;
  for (size_t move = 0; move < kindsAndVertices.size(); ++move) {
    const auto [endKind, count] = kindsAndVertices[move];
    next += count;
    EXPECT_EQ(lines.lastVertexOf[move], next - 1) << "move " << move;
    for (uint32_t v = next - count; v < next; ++v) {
      const toolpath::LineVertex& vertex = lines.vertices[v];
      EXPECT_EQ(vertex.move, static_cast<int32_t>(move));
      EXPECT_EQ(vertex.kind, v + 1 == next ? endKind : kind::kArcInterior) << "move " << move;
      // Chord points lie on the arc; the helix descends as it turns.
      if (move >= 2 && move <= 4) {
        EXPECT_NEAR(glm::length(glm::dvec2(at(vertex))), 10.0, 1e-5) << "move " << move << " vertex " << v;
      }
    }
  }
  ASSERT_EQ(lines.vertices.size(), next);
  const glm::dvec3 helixMiddle = at(lines.vertices[lines.lastVertexOf[3] + quarter / 2]);
  EXPECT_LT(helixMiddle.z, -0.5);
  EXPECT_GT(helixMiddle.z, -1.5);
  // The programmed end, not the compensated one.
  EXPECT_EQ(at(lines.vertices[lines.lastVertexOf[7]]), glm::dvec3(20, 5, -2));

  ASSERT_EQ(lines.vectors.size(), 2 * kindsAndVertices.size());
  const toolpath::VectorVertex& tip = lines.vectors[14];
  const toolpath::VectorVertex& tail = lines.vectors[15];
  EXPECT_EQ(tip.kind, kind::kFeedEnd);
  EXPECT_NEAR(tail.position[0] - tip.position[0], 4.0, 1e-5) << "along the leaning axis";
  EXPECT_NEAR(tail.position[2] - tip.position[2], 0.0, 1e-5);

  // Operation ranges start at the end of the move before them; tool runs
  // with the same tool share a colour.
  ASSERT_EQ(lines.operationRanges.size(), 2u);
  EXPECT_EQ(lines.operationRanges[1].firstVertex, lines.lastVertexOf[3]);
  EXPECT_EQ(lines.operationRanges[1].lastVertex, lines.vertices.size() - 1);
  EXPECT_EQ(lines.operationRanges[1].colour, 1);
  const auto hidden = path.withOperationVisible(0, false);
  ASSERT_TRUE(hidden.has_value());
  const toolpath::ToolpathLines shown = toolpath::buildToolpathLines(*hidden, head, 4.0);
  ASSERT_EQ(shown.operationRanges.size(), 1u);
  EXPECT_EQ(shown.operationRanges[0].firstMove, 4u);
  ASSERT_EQ(lines.toolRanges.size(), 3u);
  EXPECT_EQ(lines.toolRanges[1].firstVertex, lines.lastVertexOf[5]);
  EXPECT_EQ(lines.toolRanges[1].firstMove, 6u);
  EXPECT_EQ(lines.toolRanges[1].endMove, 8u);
  EXPECT_EQ(lines.toolRanges[1].colour, 1);
  EXPECT_EQ(lines.toolRanges[2].colour, 0);
  EXPECT_EQ(lines.values.size(), kindsAndVertices.size());
}

TEST(VisibleMovesTest, EveryModeAgainstHandWorkedWindows) {
  ToolpathBuilder b;
  b.add(ToolpathBuilder::line(SIM_MOVE_RAPID, {0, 0, 10}))    // 0
      .add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {0, 0, 0}))  // 1: the first level
      .add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {5, 0, 0}))
      .add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {5, 5, 0}))
      .add(ToolpathBuilder::line(SIM_MOVE_RAPID, {5, 5, 10}))  // 4
      .add(ToolpathBuilder::line(SIM_MOVE_RAPID, {0, 0, 10}))  // 5: tool T2 from here (type 0 then)
      .add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {0, 0, -1}))
      .add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {5, 0, -1}))
      .add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {5, 5, -1}));  // 8
  b.toolChange("T1", 0).toolChange("T2", 5);
  b.operations = {{0, 5, 1}, {5, 9, 2}};
  const Toolpath path = Toolpath::fromRecord(b.record());
  const machine::IdentityKinematics flat;
  using Limits = std::optional<std::pair<int64_t, int64_t>>;
  struct Case {
    uint32_t mode;
    int64_t current;
    int64_t first, last;
    Limits limits = std::nullopt;
    bool hasInterface = true;
  };
  const Case cases[] = {
      {0, 3, 0, 8},  {2, 3, 0, 8},  {11, 3, 0, 8},     {1, 3, 0, 3},  {3, 3, 3, 8},
      {4, 2, 0, 4},  {4, 7, 5, 8},  {5, 7, 5, 7},      {5, 0, 0, 0},  {6, 3, 0, 3},
      {7, 8, 4, 8},  {7, 3, 0, 3},  {8, 8, 5, 8},      {8, 3, 0, 3},  {9, 3, 0, 3},
      {10, 7, 5, 8}, {10, 2, 0, 5}, {0, 3, 2, 6, {{2, 6}}}, {1, 3, 0, 8, std::nullopt, false},
      {1, 3, 0, 3, {{-1, 6}}},  // one limit unset: no clamping
  };
  for (const Case& c : cases) {
    toolpath::WindowRequest request;
    request.mode = c.mode;
    request.current = c.current;
    request.playbackFraction = 0.5;
    request.limits = c.limits;
    request.hasInterface = c.hasInterface;
    const toolpath::MoveWindow window = toolpath::visibleMoves(path, flat, request);
    EXPECT_EQ(std::make_pair(window.first, window.last), std::make_pair(c.first, c.last))
        << "mode " << c.mode << " at move " << c.current;
    EXPECT_EQ(window.markCurrent, c.mode == 9);
  }

  // A level is the height along the tool axis: with the tool laid along X,
  // moves at x 0 stay on one level across a change in z.
  ToolpathBuilder tilted;
  for (const glm::dvec3& p : {glm::dvec3(5, 0, 0), glm::dvec3(0, 0, 3), glm::dvec3(0, 0, 0), glm::dvec3(0, 5, 0)}) {
    tilted.add(ToolpathBuilder::line(SIM_MOVE_LINEAR, p));
    tilted.moves.back().axes[1] = kQuarter;
  }
  const Toolpath lying = Toolpath::fromRecord(tilted.record());
  toolpath::WindowRequest level;
  level.mode = 4;
  level.current = 3;
  EXPECT_EQ(toolpath::visibleMoves(lying, flat, level).first, 1) << "z alone";
  EXPECT_EQ(toolpath::visibleMoves(lying, testsupport::TiltingHead(), level).first, 0) << "the level reaches back";
  EXPECT_EQ(toolpath::visibleMoves(Toolpath(), flat, level), (toolpath::MoveWindow{0, -1, false}));
}

// Where the section plane lies: through the stocks' box centre (the
// scene's without stocks), square to the named program axis, its normal
// towards the side cut away, in the display frame of a Z-up job.
TEST(MovesInRectangleTest, MoveEndsOfTheShownKindsInsideTheBox) {
  // x and y of each vertex map to window fractions (x + 1) / 5, (y + 1) / 5.
  const glm::dmat4 flat = glm::ortho(-1.0, 4.0, -1.0, 4.0, -10.0, 10.0);
  const std::vector<toolpath::LineVertex> vertices = {
      {{0, 0, 0}, kind::kRapidEnd, 0},    {{1, 0, 0}, kind::kFeedEnd, 1},   {{2, 0, 0}, kind::kArcInterior, 2},
      {{3, 0, 0}, kind::kArcEnd, 2},      {{1, 1, 0}, kind::kHidden, 3},    {{0.5, 0.5, 0}, kind::kFeedEnd, 4},
      {{1, 2, 50}, kind::kFeedEnd, 5},  // beyond the depth range
  };
  struct Case {
    const char* what;
    glm::dvec2 low, high;
    std::vector<std::pair<uint32_t, uint32_t>> spans;
    bool rapids, feeds;
    std::vector<int32_t> moves;
  };
  const std::vector<Case> cases = {
      {"whole window", {0, 0}, {1, 1}, {{0, 6}}, true, true, {0, 1, 2, 4}},
      {"rapids hidden", {0, 0}, {1, 1}, {{0, 6}}, false, true, {1, 2, 4}},
      {"feeds hidden", {0, 0}, {1, 1}, {{0, 6}}, true, false, {0}},
      {"only an arc's interior point", {0.55, 0.1}, {0.65, 0.3}, {{0, 6}}, true, true, {}},
      {"the lower left corner", {0, 0}, {0.35, 0.35}, {{0, 6}}, true, true, {0, 4}},
      {"a span ending before the arc's end", {0, 0}, {1, 1}, {{0, 2}}, true, true, {0, 1}},
      {"overlapping spans, each move once", {0, 0}, {1, 1}, {{0, 3}, {1, 5}}, true, true, {0, 1, 2, 4}},
      {"spans past the end", {0, 0}, {1, 1}, {{5, 99}, {200, 300}}, true, true, {4}},
  };
  for (const Case& c : cases) {
    toolpath::RectangleQuery query;
    query.toClip = flat;
    query.low = c.low;
    query.high = c.high;
    query.spans = c.spans;
    query.rapids = c.rapids;
    query.feeds = c.feeds;
    EXPECT_EQ(toolpath::movesInRectangle(vertices, query), c.moves) << c.what;
  }

  // In perspective, a point behind the eye is never inside, wherever its
  // division would put it.
  toolpath::RectangleQuery query;
  query.toClip = glm::perspective(glm::radians(45.0), 1.0, 0.1, 100.0) *
                 glm::lookAt(glm::dvec3(0, 0, 5), glm::dvec3(0, 0, 0), glm::dvec3(0, 1, 0));
  query.high = {1, 1};
  query.spans = {{0, 1}};
  const std::vector<toolpath::LineVertex> throughTheEye = {{{0, 0, 0}, kind::kFeedEnd, 0},
                                                           {{0.1f, 0.1f, 10}, kind::kFeedEnd, 1}};
  EXPECT_EQ(toolpath::movesInRectangle(throughTheEye, query), std::vector<int32_t>{0});
}

TEST(CuttingPlaneTest, EachPlaneThroughTheStocksCentre) {
  const glm::dmat3 zUp(1, 0, 0, 0, 0, -1, 0, 1, 0);  // program (x, y, z) to display (x, z, -y)
  camera::SceneBox stocks, scene;
  stocks.include({{0, 0, 0}, {10, 20, 30}});
  scene.include({{-100, -100, -100}, {100, 100, 100}});
  struct Case {
    uint32_t plane;
    glm::dvec3 programNormal;
  };
  const Case cases[] = {{SIM_CUTTING_PLANE_X_MINUS, {-1, 0, 0}}, {SIM_CUTTING_PLANE_X_PLUS, {1, 0, 0}},
                        {SIM_CUTTING_PLANE_Y_MINUS, {0, -1, 0}}, {SIM_CUTTING_PLANE_Y_PLUS, {0, 1, 0}},
                        {SIM_CUTTING_PLANE_Z_MINUS, {0, 0, -1}}, {SIM_CUTTING_PLANE_Z_PLUS, {0, 0, 1}}};
  view::CuttingPlaneSetting setting;
  EXPECT_FALSE(setting.resolve(stocks, scene, zUp).enabled) << "none by default";
  for (const Case& c : cases) {
    SIM_CuttingPlane record = view::CuttingPlaneSetting::defaults();
    record.plane = c.plane;
    setting.set(record);
    const stock::CuttingPlane p = setting.resolve(stocks, scene, zUp);
    EXPECT_TRUE(p.enabled);
    EXPECT_LT(glm::distance(glm::dvec3(p.direction), zUp * c.programNormal), 1e-6) << c.plane;
    EXPECT_LT(glm::distance(p.origin, glm::vec3(5, 10, 15)), 1e-6f);
    EXPECT_LT(glm::length(setting.resolve({}, scene, zUp).origin), 1e-6f) << "the scene's centre without stocks";
    EXPECT_FALSE(setting.resolve({}, {}, zUp).enabled) << "nothing to cut";
  }
}

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
