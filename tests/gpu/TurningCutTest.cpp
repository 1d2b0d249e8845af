// Turning cuts on the GPU against swept outlines computed on the CPU: the
// inserts' Minkowski sums with the moves, unioned, taken round the axis; the
// quarter-grid symmetry, the part-off and the partial move's undo.
#include <gtest/gtest.h>

#include <polyclipping/clipper.hpp>

#include <cmath>
#include <random>
#include <set>

#include <glm/gtc/matrix_transform.hpp>

#include "enhance/ProjectionRecord.h"
#include "enhance/StockEnhancement.h"
#include "gpu/Dispatch.h"
#include "stock/MillCut.h"
#include "stock/SolidStockCreator.h"
#include "stock/StockShape.h"
#include "stock/SurfaceExtraction.h"
#include "stock/TurningCut.h"
#include "support/GpuTest.h"
#include "support/LatticeCheck.h"
#include "support/ToolBuilder.h"
#include "tools/ToolTable.h"

namespace {

using testsupport::Points;
using Plane = glm::dvec2;  // (axial, radial) = world (z, x)

constexpr double kBarRadius = 10, kBarFront = 0, kBarBack = -30;
constexpr double kClipperScale = 1e5;  // integer units per millimetre

// An insert as the tool table gets it (outline points, arcs by centre) and
// as the reference sees it (the outline's polygon, arcs in fine chords).
struct Insert {
  const char* name;
  Points points;
  std::vector<Plane> polygon;
};

void addArc(Insert& insert, Plane from, Plane to, Plane centre, bool ccw) {
  insert.points.push_back(testsupport::arcTo(ccw ? SIM_SEGMENT_ARC_CCW : SIM_SEGMENT_ARC_CW, float(to.x), float(to.y),
                                             float(centre.x), float(centre.y)));
  const double a0 = std::atan2(from.y - centre.y, from.x - centre.x);
  double sweep = std::atan2(to.y - centre.y, to.x - centre.x) - a0;
  if (ccw && sweep <= 0) sweep += 2 * M_PI;
  if (!ccw && sweep >= 0) sweep -= 2 * M_PI;
  const double r = glm::length(to - centre);
  for (int i = 1; i <= 64; ++i)
    insert.polygon.push_back(centre + r * Plane(std::cos(a0 + sweep * i / 64), std::sin(a0 + sweep * i / 64)));
}

void addLine(Insert& insert, Plane to) {
  insert.points.push_back(testsupport::straightTo(float(to.x), float(to.y)));
  insert.polygon.push_back(to);
}

Insert startAt(const char* name, Plane p) { return {name, {testsupport::straightTo(float(p.x), float(p.y))}, {p}}; }

Insert triangle(std::mt19937& rng) {
  std::uniform_real_distribution<double> size(2.5, 5);
  Insert t = startAt("triangle", {0, 0});
  addLine(t, {size(rng) * 0.6, size(rng)});
  addLine(t, {-size(rng) * 0.5, size(rng)});
  addLine(t, {0, 0});
  return t;
}

// A rhombus of 55 degrees standing on its acute corner, which is rounded.
Insert diamond(std::mt19937& rng) {
  std::uniform_real_distribution<double> nose(0.3, 1.0), side(4, 7);
  const double r = nose(rng), s = side(rng), half = 55.0 / 2 * M_PI / 180;
  const Plane left(-std::sin(half), std::cos(half)), right(std::sin(half), std::cos(half));
  const double tangent = r / std::tan(half);
  const Plane centre(0, r / std::sin(half));
  Insert d = startAt("diamond", right * tangent);
  addLine(d, right * s);
  addLine(d, right * s + left * s);
  addLine(d, left * s);
  addLine(d, left * tangent);
  addArc(d, left * tangent, right * tangent, centre, true);
  // The tip, where the toolpath leads, lies on the nose.
  const Plane tip = centre - Plane(0, r);
  for (auto& p : d.points) p.x -= float(tip.x), p.y -= float(tip.y), p.centreX -= float(tip.x), p.centreY -= float(tip.y);
  for (auto& p : d.polygon) p -= tip;
  return d;
}

Insert round(std::mt19937& rng) {
  const double r = std::uniform_real_distribution<double>(1.5, 3)(rng);
  Insert o = startAt("round", {0, 0});
  addArc(o, {0, 0}, {0, 2 * r}, {0, r}, true);
  addArc(o, {0, 2 * r}, {0, 0}, {0, r}, true);
  return o;
}

Insert groove(std::mt19937& rng) {
  const double w = std::uniform_real_distribution<double>(1.5, 3.5)(rng);
  Insert g = startAt("groove", {-w / 2, 0});
  addLine(g, {w / 2, 0});
  addLine(g, {w / 2, 9});
  addLine(g, {-w / 2, 9});
  addLine(g, {-w / 2, 0});
  return g;
}

// A move of the insert in the (z, x) plane: its records' kind, the tool
// axis (+X or -X) and the insert side.
struct PlaneMove {
  Plane from, to;
  uint32_t type = toolpath::kMoveCut;
};

toolpath::GPUMoveRecord record(Plane at, double axisX, float parameter, uint32_t type) {
  return {float(at.y), 0.0f, float(at.x), float(axisX), 0.0f, 0.0f, parameter, type};
}

// The solid left: the bar less every swept insert turned round the axis.
class SweptOutlines {
 public:
  // axisX: the tool axis's x (+1 or -1); flip: the insert side's mirror.
  SweptOutlines(const std::vector<Plane>& outline, double axisX, double flip) {
    for (const Plane& p : outline) {
      const Plane placed(axisX * flip * p.x, axisX * p.y);
      pattern_.push_back(point(placed));
    }
    // The sum's pieces come out the way the pattern turns; a mirrored
    // pattern turns back, and the union would cancel them.
    if (!ClipperLib::Orientation(pattern_)) ClipperLib::ReversePath(pattern_);
  }
  void add(Plane from, Plane to) {
    ClipperLib::Paths swept;
    ClipperLib::MinkowskiSum(pattern_, ClipperLib::Path{point(from), point(to)}, swept, false);
    for (const Plane& at : {from, to}) {
      ClipperLib::Path placed;
      for (const ClipperLib::IntPoint& p : pattern_) placed.push_back({p.X + point(at).X, p.Y + point(at).Y});
      swept.push_back(placed);
    }
    pieces_.insert(pieces_.end(), swept.begin(), swept.end());
  }
  void finish() {
    ClipperLib::Clipper clipper;
    clipper.AddPaths(pieces_, ClipperLib::ptSubject, true);
    clipper.Execute(ClipperLib::ctUnion, union_, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
    for (const ClipperLib::Path& path : union_)
      for (size_t i = 0; i < path.size(); ++i)
        edges_.push_back({plane(path[i]), plane(path[(i + 1) % path.size()])});
  }
  // Signed distance of the work left (negative inside).
  double signedDistance(const glm::dvec3& p) const {
    const double rho = std::hypot(p.x, p.y);
    const double bar = std::max({rho - kBarRadius, p.z - kBarFront, kBarBack - p.z});
    double toCut = INFINITY;
    bool cut = false;
    for (double side : {rho, -rho}) {
      const Plane q(p.z, side);
      cut = cut || insideUnion(q);
      for (const auto& [a, b] : edges_) {
        const Plane ab = b - a;
        const double t = std::clamp(glm::dot(q - a, ab) / std::max(glm::dot(ab, ab), 1e-30), 0.0, 1.0);
        toCut = std::min(toCut, glm::length(q - (a + t * ab)));
      }
    }
    return std::max(bar, cut ? toCut : -toCut);
  }

 private:
  static ClipperLib::IntPoint point(Plane p) {
    return {static_cast<ClipperLib::cInt>(std::llround(p.x * kClipperScale)),
            static_cast<ClipperLib::cInt>(std::llround(p.y * kClipperScale))};
  }
  static Plane plane(const ClipperLib::IntPoint& p) { return Plane(double(p.X), double(p.Y)) / kClipperScale; }
  bool insideUnion(Plane q) const {
    int crossings = 0;
    for (const ClipperLib::Path& path : union_) crossings += ClipperLib::PointInPolygon(point(q), path) != 0;
    return crossings % 2 == 1;
  }

  ClipperLib::Path pattern_;
  ClipperLib::Paths pieces_, union_;
  std::vector<std::pair<Plane, Plane>> edges_;
};

class TurningCutTest : public testsupport::GpuTest {
 protected:
  void SetUp() override {
    GpuTest::SetUp();
    bar_.from = {0, 0, kBarFront};
    bar_.to = {0, 0, kBarBack};
    bar_.radius = kBarRadius;
    ASSERT_TRUE(grid_.setUp(stock::boundsOf(bar_), 40'000, limits_));
    solids_.create(grid_, bar_);
  }
  void freshBar(double cells) {
    ASSERT_TRUE(grid_.setUp(stock::boundsOf(bar_), cells, limits_));
    solids_.create(grid_, bar_);
  }

  // Records of the moves, each a straight move or an arc's chords.
  static std::vector<toolpath::GPUMoveRecord> recordsOf(const std::vector<PlaneMove>& moves, double axisX,
                                                        float parameter) {
    std::vector<toolpath::GPUMoveRecord> records{record(moves.front().from, axisX, parameter, toolpath::kMoveCut)};
    for (const PlaneMove& m : moves) {
      if (records.size() > 1 || glm::length(m.from - moves.front().from) > 0)
        records.push_back(record(m.from, axisX, parameter, toolpath::kMoveRapid));
      records.push_back(record(m.to, axisX, parameter, m.type));
    }
    return records;
  }

  stock::StockGrid grid_;
  stock::CylinderShape bar_;
  stock::SolidStockCreator solids_;
  stock::MillCut cut_;
};

// Straight moves along and across the bar, oblique ones, a facing move past
// the axis, an arc's chords and a rapid, on either side of the work and
// with either hand of insert.
std::vector<PlaneMove> randomMoves(std::mt19937& rng) {
  std::uniform_real_distribution<double> z(-26, 3), x(3, 11), unit(0, 1);
  std::vector<PlaneMove> moves;
  const double r = x(rng);
  moves.push_back({{4, r}, {z(rng) - 2, r}});
  moves.push_back({{z(rng), x(rng)}, {z(rng), x(rng)}});
  // Facing towards the axis; across it the free end would part off (see
  // AGrooveToTheAxisPartsTheFreeEndOff).
  const double facing = z(rng);
  moves.push_back({{facing, 12}, {facing, 1.5}});
  // A quarter arc in chords: the first record counts one back, the next two...
  const Plane centre(z(rng) - 4, 2 + 4 * unit(rng));
  const double radius = 3 + 2 * unit(rng);
  for (int i = 0; i < 8; ++i) {
    const double a0 = M_PI / 2 * i / 8, a1 = M_PI / 2 * (i + 1) / 8;
    PlaneMove chord{centre + radius * Plane(std::cos(a0), std::sin(a0)),
                    centre + radius * Plane(std::cos(a1), std::sin(a1)),
                    toolpath::kMoveMarked | (uint32_t(i + 1) << GPU_MOVE_BACK_SHIFT)};
    moves.push_back(chord);
  }
  moves.push_back({{z(rng), x(rng) + 1}, {z(rng), x(rng)}, toolpath::kMoveRapid});
  return moves;
}

TEST_F(TurningCutTest, RandomInsertsAgainstTheirSweptOutlines) {
  std::mt19937 rng(1234);
  using Maker = Insert (*)(std::mt19937&);
  const std::pair<Maker, uint32_t> inserts[] = {
      {triangle, SIM_TURNING_TURN}, {diamond, SIM_TURNING_TURN}, {round, SIM_TURNING_TURN}, {groove, SIM_TURNING_GROOVE}};
  for (int pass = 0; pass < 2; ++pass) {
    for (const auto& [make, kind] : inserts) {
      const Insert insert = make(rng);
      const double axisX = pass == 0 ? 1.0 : -1.0;
      const int32_t side = (rng() & 1) ? 1 : -1;
      const tools::CutRecord tool = testsupport::turningRecordOf(insert.points, kind, side);
      ASSERT_TRUE(tool.valid) << insert.name;
      std::vector<PlaneMove> moves = randomMoves(rng);
      for (PlaneMove& m : moves) m.from.y *= axisX, m.to.y *= axisX;
      const std::vector<toolpath::GPUMoveRecord> records = recordsOf(moves, axisX, tool.moveParameter);

      SweptOutlines reference(insert.polygon, axisX, side < 0 ? -1.0 : 1.0);
      for (size_t k = 1; k < records.size(); ++k) {
        Plane from(records[k - 1].z, records[k - 1].x), to(records[k].z, records[k].x);
        // A rapid starts a little way along: one that grazes removes nothing.
        if (records[k].type == toolpath::kMoveRapid && glm::length(to - from) > 0)
          from += glm::normalize(to - from) *
                  std::min(0.01 * std::min(tool.insertSize[0], tool.insertSize[1]), glm::length(to - from));
        reference.add(from, to);
      }
      reference.finish();

      solids_.create(grid_, bar_);
      cut_.cut(grid_, stock::MoveStream(records), 1, uint32_t(records.size()), tool, 5, {});
      cut_.clearReport();
      testsupport::SolidReference solid =
          testsupport::referenceFromDistance([&](const glm::dvec3& p) { return reference.signedDistance(p); });
      const testsupport::LatticeImage image(grid_);
      testsupport::LatticeReport report = testsupport::checkLattice(image, solid, 1.0, 2.0 / 128);
      testsupport::checkCopies(image, solid, report);
      const std::string name = std::string(insert.name) + (axisX > 0 ? " +X" : " -X") + (side < 0 ? " mirrored" : "");
      EXPECT_EQ(report.wrongNodes, 0u) << name << ": " << report.summary();
      EXPECT_EQ(report.borderInside, 0u) << name;
      EXPECT_LE(report.wrongCopyBits, report.copyBitsChecked / 2000) << name << ": " << report.summary();
      EXPECT_LE(report.wrongCodes, std::max<uint64_t>(2, report.codesChecked / 500)) << name << ": " << report.summary();
      EXPECT_GT(report.codesChecked, 300u) << name;
    }
  }
}

// A facing move across the axis takes a full disc; computing a quarter of
// the columns and mirroring them gives the very same lattice, whether the
// columns across are odd or even in number.
TEST_F(TurningCutTest, FacingTakesAFullDiscAndTheQuarterGridMatchesTheWhole) {
  std::mt19937 rng(7);
  const Insert insert = groove(rng);
  const tools::CutRecord tool = testsupport::turningRecordOf(insert.points, SIM_TURNING_GROOVE);
  const std::vector<toolpath::GPUMoveRecord> records = {record({-12, 12}, 1, tool.moveParameter, toolpath::kMoveCut),
                                                        record({-12, -1}, 1, tool.moveParameter, toolpath::kMoveCut)};
  std::set<uint32_t> parities;
  for (double cells : {40'000.0, 46'000.0, 52'000.0}) {
    freshBar(cells);
    ASSERT_TRUE(stock::axisCentred(grid_.frame()));
    parities.insert(grid_.frame().nodes.x % 2);
    stock::CutSwitches whole;
    whole.turningSymmetry = false;
    cut_.cut(grid_, stock::MoveStream(records), 1, 2, tool, 5, whole);
    const testsupport::LatticeImage everyColumn(grid_);
    solids_.create(grid_, bar_);
    cut_.cut(grid_, stock::MoveStream(records), 1, 2, tool, 5, {});
    const testsupport::LatticeImage quarter(grid_);
    EXPECT_EQ(everyColumn.signWords, quarter.signWords) << grid_.frame().nodes.x << " columns across";
    EXPECT_EQ(everyColumn.nodeWords, quarter.nodeWords) << grid_.frame().nodes.x << " columns across";
    // Nothing is left between the groove's flanks, at any radius.
    const double halfWidth = tool.insertSize[0] / 2;
    uint64_t left = 0, checked = 0;
    quarter.forEachNode([&](const glm::uvec3& n) {
      const glm::dvec3 p = quarter.world(n);
      if (std::abs(p.z + 12) < halfWidth - grid_.frame().exactCellSize) {
        ++checked;
        left += quarter.inside(n);
      }
    });
    EXPECT_GT(checked, 1000u);
    EXPECT_EQ(left, 0u);
  }
  EXPECT_EQ(parities.size(), 2u) << "both odd and even column counts";
}

// A groove to the axis parts the free end (+z) off; one that stops short
// leaves it. The part-off needs the lathe axis along a grid axis.
TEST_F(TurningCutTest, AGrooveToTheAxisPartsTheFreeEndOff) {
  std::mt19937 rng(3);
  const Insert insert = groove(rng);
  const tools::CutRecord tool = testsupport::turningRecordOf(insert.points, SIM_TURNING_GROOVE);
  const double halfWidth = tool.insertSize[0] / 2, h = grid_.frame().exactCellSize;
  for (const double depth : {-0.2, 2.0}) {
    solids_.create(grid_, bar_);
    const std::vector<toolpath::GPUMoveRecord> records = {
        record({-18, 12}, 1, tool.moveParameter, toolpath::kMoveCut),
        record({-18, depth}, 1, tool.moveParameter, toolpath::kMoveCut)};
    cut_.cut(grid_, stock::MoveStream(records), 1, 2, tool, 5, {});
    const testsupport::LatticeImage image(grid_);
    uint64_t freeEnd = 0, chuckSide = 0, expectedChuckSide = 0;
    image.forEachNode([&](const glm::uvec3& n) {
      const glm::dvec3 p = image.world(n);
      const bool inBar = std::hypot(p.x, p.y) < kBarRadius - h && p.z < kBarFront - h && p.z > kBarBack + h;
      if (!inBar) return;
      const double rho = std::hypot(p.x, p.y);
      if (p.z > -18 + halfWidth + h) freeEnd += image.inside(n);
      if (p.z < -18 - halfWidth - h) {
        chuckSide += image.inside(n);
        ++expectedChuckSide;
      }
      if (depth > 0 && p.z > -18 + halfWidth + h && rho > depth + h) {
        EXPECT_TRUE(image.inside(n));
      }
    });
    EXPECT_EQ(chuckSide, expectedChuckSide) << "depth " << depth;
    if (depth < 0) {
      EXPECT_EQ(freeEnd, 0u) << "parted off";
    } else {
      EXPECT_GT(freeEnd, 1000u) << "still held";
    }
  }
  EXPECT_EQ(stock::partingAxisOf(glm::dmat4(2.0)), 2u);
  EXPECT_EQ(stock::partingAxisOf(glm::scale(glm::dmat4(1.0), glm::dvec3(1, 1, -1))), 5u);
  EXPECT_FALSE(stock::partingAxisOf(glm::rotate(glm::dmat4(1.0), 0.01, glm::dvec3(0, 1, 0))).has_value());
}

// Cutting a move in pieces as playback does, then taking them back out and
// cutting it whole, leaves what cutting it whole at once leaves.
TEST_F(TurningCutTest, PiecesOfAMoveTakenBackLeaveTheWholeCut) {
  std::mt19937 rng(11);
  const Insert insert = diamond(rng);
  const tools::CutRecord tool = testsupport::turningRecordOf(insert.points);
  const std::vector<toolpath::GPUMoveRecord> records = {record({2, 7}, 1, tool.moveParameter, toolpath::kMoveCut),
                                                        record({-20, 5}, 1, tool.moveParameter, toolpath::kMoveCut)};
  const stock::MoveStream stream(records);
  cut_.cut(grid_, stream, 1, 2, tool, 5, {});
  const testsupport::LatticeImage atOnce(grid_);

  solids_.create(grid_, bar_);
  stock::PartialMove whole;
  whole.start = {records[0].x, records[0].y, records[0].z};
  whole.end = {records[1].x, records[1].y, records[1].z};
  whole.axisFrom = whole.axisTo = {1, 0, 0};
  whole.parameter = tool.moveParameter;
  cut_.holdForUndo(grid_, whole, tool);
  for (const auto& [a, b] : {std::pair{0.0f, 0.3f}, std::pair{0.3f, 0.7f}}) {
    stock::PartialMove piece = whole;
    piece.start = whole.start + a * (whole.end - whole.start);
    piece.end = whole.start + b * (whole.end - whole.start);
    cut_.cut(grid_, stream, 1, 1, tool, 5, {}, piece);
  }
  const testsupport::LatticeImage partly(grid_);
  EXPECT_NE(partly.signWords, atOnce.signWords);
  cut_.undoPartial(grid_);
  cut_.cut(grid_, stream, 1, 2, tool, 5, {});
  const testsupport::LatticeImage afterUndo(grid_);
  EXPECT_EQ(afterUndo.signWords, atOnce.signWords);
  EXPECT_EQ(afterUndo.nodeWords, atOnce.nodeWords);
}

// The enhancement puts a turned bar's vertices onto the swept outlines
// turned about the axis, where marching cubes leaves them up to half a cell
// off, and gives each the sweep of the insert that made its face: a diamond
// turning the outside, a groove insert cutting a groove and facing the end.
TEST_F(TurningCutTest, EnhancedVerticesLieOnTheTurnedOutlines) {
  std::mt19937 rng(5);
  const Insert diamondInsert = diamond(rng), grooveInsert = groove(rng);
  const tools::CutRecord turningTool = testsupport::turningRecordOf(diamondInsert.points);
  const tools::CutRecord grooveTool = testsupport::turningRecordOf(grooveInsert.points, SIM_TURNING_GROOVE);
  ASSERT_FALSE(turningTool.insertPolygon.empty());
  const double width = grooveTool.insertSize[0];
  struct Pass {
    const tools::CutRecord& tool;
    const Insert& insert;
    std::vector<PlaneMove> moves;
    uint8_t owner;
  };
  const std::vector<Pass> passes{
      {turningTool, diamondInsert, {{{2, 8.5}, {-22, 8.5}}, {{-22, 8.5}, {-25, 11}}}, 5},
      {grooveTool, grooveInsert, {{{-12, 11}, {-12, 5.5}}, {{-12, 5.5}, {-12, 12}}, {{-12, 12}, {-1, 12}}, {{-1, 12}, {-1, 2.5}}}, 7},
  };
  enhance::EnhancementInput input;
  std::vector<SweptOutlines> references;
  for (const Pass& pass : passes) {
    const std::vector<toolpath::GPUMoveRecord> records = recordsOf(pass.moves, 1, pass.tool.moveParameter);
    cut_.cut(grid_, stock::MoveStream(records), 1, uint32_t(records.size()), pass.tool, pass.owner, {});
    references.emplace_back(pass.insert.polygon, 1.0, 1.0);
    for (size_t k = 1; k < records.size(); ++k) {
      input.sweeps.turning.push_back(enhance::turningSweepOf(records[k - 1], records[k], pass.tool));
      input.sweeps.colours.push_back(pass.owner);
      references.back().add({records[k - 1].z, records[k - 1].x}, {records[k].z, records[k].x});
    }
    references.back().finish();
  }
  const auto exact = [&](const glm::dvec3& p) {
    return std::max(references[0].signedDistance(p), references[1].signedDistance(p));
  };
  stock::SurfaceExtraction extraction;
  ASSERT_TRUE(extraction.extract(grid_));
  input.surface = &extraction;
  input.frame = grid_.frame();
  input.initialShape = bar_;
  input.colours = stock::defaultOwnerColours();
  enhance::EnhancementReport report;
  const std::unique_ptr<enhance::EnhancedMesh> mesh = enhance::enhanceStock(input, {}, &report);
  ASSERT_TRUE(mesh);
  const double h = grid_.frame().exactCellSize;
  EXPECT_EQ(report.movedVertices, mesh->vertexCount) << "every vertex has its surface in reach";

  const std::vector<glm::vec4> positions = gpu::readBack<glm::vec4>(mesh->positions, 0, mesh->vertexCount);
  const std::vector<enhance::ProjectionWords> records =
      gpu::readBack<enhance::ProjectionWords>(mesh->projections, 0, mesh->vertexCount);
  double worst = 0;
  std::array<uint32_t, 3> byOwner{};  // the initial bar, the diamond, the groove insert
  uint32_t facesChecked = 0, wrongOwners = 0;
  for (uint32_t v = 0; v < mesh->vertexCount; ++v) {
    const glm::dvec3 p(positions[v]);
    worst = std::max(worst, std::abs(exact(p)));
    const int32_t source = enhance::decodeProjection(records[v]).source;
    ASSERT_LT(source, int32_t(input.sweeps.colours.size()));
    const uint8_t owner = source < 0 ? 0 : input.sweeps.colours[size_t(source)];
    ++byOwner[owner == 0 ? 0 : owner == 5 ? 1 : 2];
    // The faces each insert left: the groove's flanks and floor, the
    // end faced to z = -1 - width / 2, the diamond's long pass.
    const double rho = std::hypot(p.x, p.y);
    const bool groove = std::abs(p.z + 12) < width / 2 - h && rho < 8,
               faced = std::abs(p.z - (-1 - width / 2)) < 1e-3 && rho < 8 && rho > 3,
               turned = std::abs(rho - 8.5) < 1e-3 && p.z < -14 && p.z > -20;
    facesChecked += groove || faced || turned;
    wrongOwners += ((groove || faced) && owner != 7) || (turned && owner != 5);
  }
  EXPECT_GT(facesChecked, 100u);
  EXPECT_EQ(wrongOwners, 0u) << "of " << facesChecked;
  EXPECT_LT(worst, 0.01 * h) << "cells of " << h << " mm";
  for (const uint32_t count : byOwner) EXPECT_GT(count, 50u);
}

}  // namespace
