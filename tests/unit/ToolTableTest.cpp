// The tool table: cutter classification, cut records and their profile
// block, model files, the host round trip and parallel loading.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "korvane/Korvane.h"
#include "common/Fnv1a.h"
#include "formats/StlWriter.h"
#include "support/ToolBuilder.h"
#include "support/ToolpathBuilder.h"
#include "tools/CutRecords.h"
#include "tools/CutterShape.h"
#include "tools/PartHull.h"
#include "tools/ToolDataReader.h"
#include "tools/ToolTable.h"
#include "view/Render.h"

namespace {

using testsupport::arcTo;
using testsupport::Points;
using testsupport::straightTo;
using testsupport::ToolTableBuilder;
using tools::CutterKind;

tools::CutterShape classify(const Points& points, uint32_t profileKind = SIM_PROFILE_REVOLVED) {
  return tools::classifyCutter(tools::profileFrom(points, 1.0), profileKind);
}

// The cutting record of a one-part tool.
tools::CutRecord cuttingRecord(const Points& points, glm::dvec3 axis = {0, 0, 0},
                               uint32_t profileKind = SIM_PROFILE_REVOLVED) {
  return testsupport::cuttingRecordOf(points, profileKind, 0, axis);
}

Points notchedProfile() {
  return {straightTo(0, 0), straightTo(6, 10), straightTo(4, 12), straightTo(6, 14), straightTo(0, 30)};
}

TEST(CutterShapeTest, FourPointProfilesAndTheBullNoseRule) {
  constexpr uint32_t kCcw = SIM_SEGMENT_ARC_CCW;
  const struct {
    const char* name;
    Points profile;
    CutterKind kind;
    float p1 = 0, p2 = 0, p3 = 0;  // checked for the mill kinds
    uint32_t profileKind = SIM_PROFILE_REVOLVED;
  } cases[] = {
      {"flat", testsupport::flatProfile(5, 30), CutterKind::Flat, 5, 30},
      {"ball", testsupport::ballProfile(3, 25), CutterKind::Ball, 3, 25},
      {"bull nose", testsupport::bullNoseProfile(4, 1.5f, 20, false), CutterKind::BullNose, 4, 20, 1.5f},
      {"bull nose closed", testsupport::bullNoseProfile(4, 1.5f, 20, true), CutterKind::BullNose, 4, 20, 1.5f},
      {"extruded", testsupport::flatProfile(5, 30), CutterKind::Extruded, 0, 0, 0, SIM_PROFILE_EXTRUDED},
      // Near misses: one coordinate just beyond the rule's tolerance (1e-6
      // is below float resolution at 3 and 4).
      {"flat bottom off", {straightTo(0, 0), straightTo(5, 1e-6f), straightTo(5, 30), straightTo(0, 30)}, CutterKind::General},
      {"ball centre off", {straightTo(0, 0), arcTo(kCcw, 3, 3, 0, 3 + 1e-5f), straightTo(3, 25), straightTo(0, 25)},
       CutterKind::General},
      {"start off the axis", {straightTo(1e-6f, 0), straightTo(5, 0), straightTo(5, 30), straightTo(0, 30)},
       CutterKind::General},
      {"corner centre off",
       {straightTo(0, 0), straightTo(4, 0), arcTo(kCcw, 5.5f, 1.5f, 4 + 1e-5f, 1.5f), straightTo(5.5f, 20), straightTo(0, 20)},
       CutterKind::General},
      {"flat of five points", {straightTo(0, 0), straightTo(5, 0), straightTo(5, 10), straightTo(5, 30), straightTo(0, 30)},
       CutterKind::General},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const tools::CutterShape s = classify(c.profile, c.profileKind);
    EXPECT_EQ(s.kind, c.kind);
    if (c.kind == CutterKind::Flat || c.kind == CutterKind::Ball || c.kind == CutterKind::BullNose) {
      EXPECT_FLOAT_EQ(s.p1, c.p1);
      EXPECT_FLOAT_EQ(s.p2, c.p2);
    }
    if (c.kind == CutterKind::BullNose) {
      EXPECT_FLOAT_EQ(s.p3, c.p3);
      EXPECT_FLOAT_EQ(s.outerRadius(), c.p1 + c.p3);
    }
  }
}

TEST(CutRecordTest, ShapeCodesByPurposeRules) {
  const Points flat = testsupport::flatProfile(5, 30), bullNose = testsupport::bullNoseProfile(4, 1.5f, 20, true);
  const Points cone{straightTo(0, 0), straightTo(6, 10), straightTo(6, 30), straightTo(0, 30)};
  const Points wedge{straightTo(-1, 0), straightTo(1, 0), straightTo(3, 4), straightTo(-3, 4)};
  const glm::dvec3 tilted(0.3, 1, 0);
  constexpr uint32_t kRevolved = SIM_PROFILE_REVOLVED, kExtruded = SIM_PROFILE_EXTRUDED;
  struct Case {
    const char* name;
    Points profile;
    uint32_t shape;
    uint32_t profileKind = SIM_PROFILE_REVOLVED;
    glm::dvec3 axis{0.0};
    std::optional<uint32_t> turnedShape{};  // checked where given
    std::optional<bool> convexPolygon{};
  };
  const Case cases[] = {
      {"flat: a turned shape only on a tilted axis", flat, tools::kShapeFlat, kRevolved, {}, 0u},
      {"bull nose", bullNose, tools::kShapeBullNose},
      // A cone is convex; with a notch it is not; closed it is the closed
      // cutter even though convex.
      {"cone", cone, tools::kShapeConvex},
      {"notched", notchedProfile(), tools::kShapeCustom},
      {"closed", {straightTo(1, 0), straightTo(6, 0), straightTo(3, 5), straightTo(1, 0)}, tools::kShapeClosed},
      // Tilted, or not revolved: the extruded cutter. A turned profile on a
      // tilted axis keeps its turned cut: the toolpath carries the tilt.
      {"flat tilted", flat, tools::kShapeExtruded, kRevolved, tilted, uint32_t{tools::kShapeConvex}},
      {"notched tilted", notchedProfile(), tools::kShapeExtruded, kRevolved, tilted, uint32_t{tools::kShapeCustom}},
      {"flat extruded", flat, tools::kShapeExtruded, kExtruded},
      {"an axis within 0.0002 of +Y is the tool axis", flat, tools::kShapeFlat, kRevolved, {0.0001, 1, 0}},
      // A straight-sided convex polygon, either way round, takes the
      // one-interval cut; a notch, an arc or a polygon that winds twice does
      // not.
      {"wedge", wedge, tools::kShapeExtruded, kExtruded, {}, {}, true},
      {"wedge backwards", Points(wedge.rbegin(), wedge.rend()), tools::kShapeExtruded, kExtruded, {}, {}, true},
      {"notched blade",
       {straightTo(0, 0), straightTo(3, 0), straightTo(3, 2), straightTo(1, 2), straightTo(1, 8), straightTo(0, 8)},
       tools::kShapeExtruded, kExtruded, {}, {}, false},
      {"rounded blade", {straightTo(0, 0), arcTo(SIM_SEGMENT_ARC_CCW, 2, 2, 0, 2), straightTo(0, 4)},
       tools::kShapeExtruded, kExtruded, {}, {}, false},
      {"pentagram",
       {straightTo(0, 3), straightTo(1.76f, -2.43f), straightTo(-2.85f, 0.93f), straightTo(2.85f, 0.93f),
        straightTo(-1.76f, -2.43f)},
       tools::kShapeExtruded, kExtruded, {}, {}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const tools::CutRecord record = cuttingRecord(c.profile, c.axis, c.profileKind);
    EXPECT_EQ(record.shape, c.shape);
    if (c.turnedShape) {
      EXPECT_EQ(record.turnedShape, *c.turnedShape);
    }
    if (c.convexPolygon) {
      EXPECT_EQ(record.convexPolygon, *c.convexPolygon);
    }
  }
  EXPECT_FLOAT_EQ(cuttingRecord(bullNose).outerRadius, 5.5f);
  EXPECT_FLOAT_EQ(cuttingRecord(flat, tilted).widest, 5);
  EXPECT_TRUE(cuttingRecord(cone).monotonic);
  EXPECT_FALSE(cuttingRecord(Points{straightTo(0, 0), straightTo(6, 10), straightTo(7, 8), straightTo(0, 30)}).monotonic);
}

TEST(CutRecordTest, ProfileBlockFollowsTheStd140Layout) {
  const Points profile{straightTo(0, 0), arcTo(SIM_SEGMENT_ARC_CCW, 2, 2, 0, 2), straightTo(2, 5),
                       arcTo(SIM_SEGMENT_ARC_CW, 4, 7, 4, 5), straightTo(0, 12)};
  const tools::CutRecord record = cuttingRecord(profile);
  ASSERT_EQ(record.shape, tools::kShapeCustom);

  std::vector<uint8_t> expected(2064, 0);
  auto putFloat = [&](size_t at, float v) { std::memcpy(&expected[at], &v, 4); };
  const uint32_t segments = 4;
  std::memcpy(&expected[0], &segments, 4);
  putFloat(8, 0), putFloat(12, 0);
  const float ends[4][2] = {{2, 2}, {2, 5}, {4, 7}, {0, 12}};
  const float centres[4][2] = {{0, 2}, {0, -1e9f}, {4, 5}, {0, -1e9f}};
  for (int s = 0; s < 4; ++s) {
    putFloat(16 + 16 * s, ends[s][0]), putFloat(20 + 16 * s, ends[s][1]);
    putFloat(24 + 16 * s, centres[s][0]), putFloat(28 + 16 * s, centres[s][1]);
  }
  EXPECT_EQ(std::vector<uint8_t>(record.profile.begin(), record.profile.end()), expected);
  EXPECT_FLOAT_EQ(record.lowest, 0);
  EXPECT_FLOAT_EQ(record.highest, 12);
  EXPECT_NEAR(record.widest, 4.0, 1e-3) << "the concave arc bulges no further than its end";
}

uint32_t segmentsIn(const tools::ProfileBlock& block) {
  uint32_t n;
  std::memcpy(&n, block.data(), 4);
  return n;
}

glm::vec2 blockPoint(const tools::ProfileBlock& block, size_t offset) {
  glm::vec2 p;
  std::memcpy(&p, block.data() + offset, 8);
  return p;
}

// The records of a tool with the given parts, the parts edited first.
tools::ToolCutRecords recordsOf(std::vector<std::pair<uint32_t, Points>> parts,
                                void (*edit)(std::vector<SIM_ToolPart>&) = nullptr) {
  ToolTableBuilder b;
  b.addTool("T", std::move(parts));
  if (edit) edit(b.parts.back());
  return testsupport::tableOf(b).cutRecords(0);
}

TEST(CutRecordTest, CollisionProfilesKeepTheirClearance) {
  const Points shaft = testsupport::flatProfile(5, 20);
  const tools::ToolCutRecords r = recordsOf({{SIM_PART_CUTTING, testsupport::flatProfile(3, 10)},
                                             {SIM_PART_SHOULDER, shaft},
                                             {SIM_PART_SHAFT_ALTERNATE, shaft},
                                             {SIM_PART_HOLDER, shaft}});
  // Size 20 (the height): +0.2 % is 0.04 all round; -0.2 % takes 0.04 off.
  ASSERT_TRUE(r[1].valid);
  EXPECT_NEAR(r[1].widest, 5.04, 1e-3);
  EXPECT_NEAR(r[1].lowest, -0.04, 1e-3);
  ASSERT_TRUE(r[2].valid) << "the alternate shaft stands in for a missing shaft";
  ASSERT_TRUE(r[3].valid);
  EXPECT_NEAR(r[3].widest, 4.96, 1e-3);
  ASSERT_TRUE(r[3].secondProfile);
  float secondWidest = 0;
  for (uint32_t s = 0; s < segmentsIn(*r[3].secondProfile); ++s)
    secondWidest = std::max(secondWidest, blockPoint(*r[3].secondProfile, 16 + 16 * s).x);
  EXPECT_NEAR(secondWidest, 5.24, 2e-3) << "+1.2 % for the second buffer";
  EXPECT_FALSE(r[4].valid) << "no extra profile";
  const tools::ToolCutRecords both = recordsOf({{SIM_PART_CUTTING, testsupport::flatProfile(2, 10)},
                                                {SIM_PART_SHAFT_ALTERNATE, testsupport::flatProfile(9, 9)},
                                                {SIM_PART_SHAFT, testsupport::flatProfile(3, 12)}});
  EXPECT_NEAR(both[2].widest, 3 + 0.002 * 12, 1e-3) << "from the shaft, not the alternate";
}

// The stock check's pre-filter hull holds every point of its part (arcs
// included), stands on the axis at both ends, bulges outward only, and
// fits its block, a wide profile giving way to the bounding cylinder.
TEST(CutRecordTest, PartHullsHoldTheirParts) {
  Points zigzag{straightTo(0, 0)};
  for (int i = 0; i < 40; ++i) zigzag.push_back(straightTo(i % 2 ? 4.0f : 5.0f + 0.01f * float(i), float(i)));
  zigzag.push_back(straightTo(0, 39));
  struct Case {
    const char* name;
    Points profile;
    size_t points;  // of the hull, 0: any (clearance rounds the corners)
    glm::dvec2 filled{-1, -1};  // a point outside the part that the hull holds
  };
  const Case cases[] = {
      {"a holder", {straightTo(0, 14), straightTo(8, 14), straightTo(8, 40), straightTo(0, 40)}, 0},
      {"a notch", {straightTo(0, 0), straightTo(4, 0), straightTo(2, 3), straightTo(4, 6), straightTo(0, 6)}, 0, {3.9, 3}},
      {"a ball end", testsupport::ballProfile(3, 12), 0},
      {"a neck", {straightTo(0, 0), straightTo(5, 0), straightTo(5, 2), straightTo(2, 4), straightTo(2, 8),
                  straightTo(6, 12), straightTo(0, 12)}, 0, {4, 6}},
      {"forty corners", zigzag, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const tools::ToolCutRecords r = recordsOf({{SIM_PART_CUTTING, testsupport::flatProfile(3, 10)},
                                               {SIM_PART_SHAFT, c.profile}});
    ASSERT_TRUE(r[2].valid);
    const std::optional<tools::PartHull> hull = tools::partHull(r[2].profile);
    ASSERT_TRUE(hull);
    const std::vector<glm::dvec2>& h = hull->points;
    ASSERT_GE(h.size(), 3u);
    if (c.points) {
      EXPECT_EQ(h.size(), c.points);
    }
    EXPECT_LE(h.size() - 1, size_t{GPU_COLLISION_HULL_MAX_SEGMENTS});
    EXPECT_EQ(h.front().x, 0.0);
    EXPECT_EQ(h.back().x, 0.0);
    uint32_t blockSegments = 0;
    std::memcpy(&blockSegments, hull->block.data(), 4);
    EXPECT_EQ(blockSegments, h.size() - 1);
    // Left turns only, going up with the radius to the right.
    for (size_t i = 2; i < h.size(); ++i) {
      const glm::dvec2 a = h[i - 1] - h[i - 2], b = h[i] - h[i - 1];
      EXPECT_GT(a.x * b.y - a.y * b.x, 0.0) << "at " << i;
    }
    // Every point of the record's profile, arcs sampled, lies inside.
    auto inside = [&](glm::dvec2 p) {
      for (size_t i = 0, j = h.size() - 1; i < h.size(); j = i++) {
        const glm::dvec2 e = h[i] - h[j], q = p - h[j];
        if (e.x * q.y - e.y * q.x < -1e-6) return false;
      }
      return true;
    };
    glm::dvec2 previous = blockPoint(r[2].profile, 8);
    EXPECT_TRUE(inside(previous));
    for (uint32_t s = 0; s < segmentsIn(r[2].profile); ++s) {
      const glm::dvec2 end = blockPoint(r[2].profile, 16 + 16 * s), centre = blockPoint(r[2].profile, 24 + 16 * s);
      if (centre.y > -1e8)
        for (int k = 1; k < 16; ++k) {
          const double a0 = std::atan2(previous.y - centre.y, previous.x - centre.x);
          double sweep = std::atan2(end.y - centre.y, end.x - centre.x) - a0;
          if (sweep < 0) sweep += 2 * M_PI;
          const double angle = a0 + sweep * k / 16.0;
          const glm::dvec2 p = centre + glm::length(previous - centre) * glm::dvec2(std::cos(angle), std::sin(angle));
          EXPECT_TRUE(inside(p)) << "arc point " << k;
        }
      EXPECT_TRUE(inside(end)) << "point " << s;
      previous = end;
    }
    if (c.filled.x >= 0) {
      EXPECT_TRUE(inside(c.filled)) << "the hull fills its hollows";
    }
    const auto widest = std::max_element(h.begin(), h.end(), [](auto& a, auto& b) { return a.x < b.x; });
    EXPECT_FLOAT_EQ(hull->widest, float(widest->x));
  }
}

// The kind of each collision record, below a flat cutter: arcs of type 1 on
// the axis give 8; off the axis convex 11, concave 9. The extra profile's
// closed loops: a square is convex, an L is not, even when its one inward
// corner is the first point.
TEST(CutRecordTest, CollisionShapeKinds) {
  const Points arched{straightTo(0, 0), arcTo(SIM_SEGMENT_ARC_CCW, 4, 4, 0, 4), straightTo(0, 10)};
  const Points notch{straightTo(0, 0), straightTo(4, 0), straightTo(2, 3), straightTo(4, 6), straightTo(0, 6)};
  const Points square{straightTo(1, 1), straightTo(3, 1), straightTo(3, 3), straightTo(1, 3), straightTo(1, 1)};
  const Points ell{straightTo(2, 2), straightTo(2, 4), straightTo(1, 4), straightTo(1, 1), straightTo(4, 1),
                   straightTo(4, 2), straightTo(2, 2)};
  using Edit = void (*)(std::vector<SIM_ToolPart>&);
  const Edit extruded = [](std::vector<SIM_ToolPart>& p) { p[1].profileKind = SIM_PROFILE_EXTRUDED; };
  const Edit offTheAxis = [](std::vector<SIM_ToolPart>& p) { p[1].axis[0] = 1; };
  const struct {
    const char* name;
    uint32_t part;
    Points profile;
    size_t record;
    uint32_t shape;
    Edit edit = nullptr;
  } cases[] = {
      {"flat shoulder", SIM_PART_SHOULDER, testsupport::flatProfile(5, 20), 1, tools::kShapeRevolvedConvex},
      {"arched shoulder", SIM_PART_SHOULDER, arched, 1, tools::kShapeRevolvedWithArcs},
      {"notched shoulder, extruded", SIM_PART_SHOULDER, notch, 1, tools::kShapeExtrudedConcave, extruded},
      {"shaft off the tool axis", SIM_PART_SHAFT, testsupport::flatProfile(3, 12), 2, tools::kShapeExtrudedConvex,
       offTheAxis},
      {"square extra profile", SIM_PART_EXTRA_PROFILE, square, 4, tools::kShapeRevolvedConvex},
      {"L extra profile", SIM_PART_EXTRA_PROFILE, ell, 4, tools::kShapeRevolvedConcave},
  };
  for (const auto& c : cases) {
    const tools::CutRecord r =
        recordsOf({{SIM_PART_CUTTING, testsupport::flatProfile(2, 10)}, {c.part, c.profile}}, c.edit)[c.record];
    EXPECT_TRUE(r.valid) << c.name;
    EXPECT_EQ(r.shape, c.shape) << c.name;
  }
}

TEST(CutRecordTest, ProfilesArePreparedForTheBlock) {
  // A ball longer in radius than in length: heights raised to the running
  // maximum.
  tools::CutRecord r = recordsOf({{SIM_PART_CUTTING, testsupport::ballProfile(5, 3)}})[0];
  EXPECT_EQ(r.shape, tools::kShapeBall);
  EXPECT_FLOAT_EQ(blockPoint(r.profile, 32).y, 5) << "3 raised to the 5 before it";
  // Ends 0.0001 off the axis snap onto it (too far for the mill rules).
  const Points cone{straightTo(0.0001f, 0), straightTo(6, 10), straightTo(6, 30), straightTo(-0.0001f, 30)};
  r = recordsOf({{SIM_PART_CUTTING, cone}})[0];
  EXPECT_EQ(r.shape, tools::kShapeConvex);
  EXPECT_EQ(blockPoint(r.profile, 8).x, 0.0f);
  EXPECT_EQ(blockPoint(r.profile, 48).x, 0.0f);

  // At most 128 segments reach the block.
  Points many{straightTo(0, 0)};
  for (int i = 1; i <= 200; ++i) many.push_back(straightTo(5 + (i % 2) * 0.5f, float(i)));
  many.push_back(straightTo(0, 201));
  EXPECT_EQ(segmentsIn(recordsOf({{SIM_PART_CUTTING, many}})[0].profile), 128u);
}

TEST(CutRecordTest, AHolderPartLevelWithTheCutterTopBreaksMonotony) {
  // A holder that reaches the axis, over a cutter 20 long.
  const struct {
    const char* name;
    float origin;
    bool monotonic;
  } cases[] = {{"from the tip up: not level with the top", 0, true},
               {"on the cutter's top", 20, false},
               {"a millimetre above the top", 21, true}};
  for (const auto& c : cases) {
    ToolTableBuilder b;
    b.addTool("T", {{SIM_PART_CUTTING, testsupport::flatProfile(5, 20)}, {SIM_PART_HOLDER, testsupport::flatProfile(12, 30)}});
    b.parts.back()[1].origin[1] = c.origin;
    EXPECT_EQ(testsupport::tableOf(b).cutRecords(0)[0].monotonic, c.monotonic) << c.name;
  }
}

// A machine with one holder of its own, which host holders without a mesh
// take over.
class OneMachineHolder final : public tools::MachineHolders {
 public:
  OneMachineHolder() {
    own_.name = "machine";
    own_.mesh.assign(6, tools::PackedVertex{});
  }
  std::optional<tools::HolderGeometry> holderFor(const SIM_ToolRecord& tool, const tools::HolderGeometry&,
                                                 std::optional<uint32_t> slot) const override {
    ++asked;
    lastSlot = slot;
    if (tool.mountingSide != 1) return std::nullopt;
    return own_;
  }
  const tools::HolderGeometry* holder(size_t index) const override { return index == 0 ? &own_ : nullptr; }
  std::optional<Placement> placementFor(const SIM_ToolRecord&, const SIM_HolderRecord&) const override {
    return Placement{glm::vec3(0, 0, 127), glm::mat3(1.0f)};
  }
  bool knowsNumber(uint32_t number) const override { return number == 7; }
  mutable int asked = 0;
  mutable std::optional<uint32_t> lastSlot;

 private:
  tools::HolderGeometry own_;
};

// Turning tools: the insert outline becomes the cutting record with its
// bounding rectangle, shape and side; outlines that bound nothing cut
// nothing.
TEST(CutRecordTest, TurningInsertsAndOutlinesThatBoundNothing) {
  // A round insert of n straight segments, closed.
  auto polygon = [](int n) {
    Points points{straightTo(0, 0)};
    for (int i = 1; i < n; ++i)
      points.push_back(straightTo(float(std::sin(2 * M_PI * i / n)), float(1 - std::cos(2 * M_PI * i / n))));
    points.push_back(straightTo(0, 0));
    return points;
  };
  const Points most = polygon(128), tooMany = polygon(129);
  struct Case {
    const char* name;
    Points outline;
    uint32_t turning;
    int32_t side;
    bool valid;
    float box[4];  // offset, size
  };
  const Case cases[] = {
      {"triangle, closed by the table", {straightTo(0, 0), straightTo(2, 4), straightTo(-1, 3)}, SIM_TURNING_TURN, 0, true,
       {-1, 0, 3, 4}},
      {"round insert of two arcs",
       {straightTo(0, 0), arcTo(SIM_SEGMENT_ARC_CCW, 0, 4, 0, 2), arcTo(SIM_SEGMENT_ARC_CCW, 0, 0, 0, 2)},
       SIM_TURNING_GROOVE, -1, true, {-2, 0, 4, 4}},
      {"128 segments", most, SIM_TURNING_THREAD, 1, true, {-1, 0, 2, 2}},
      {"129 segments", tooMany, SIM_TURNING_TURN, 0, false, {}},
      {"two points", {straightTo(0, 0), straightTo(2, 4)}, SIM_TURNING_TURN, 0, false, {}},
      {"no area", {straightTo(0, 0), straightTo(2, 4), straightTo(4, 8)}, SIM_TURNING_TURN, 0, false, {}},
      {"arc of radius 0",
       {straightTo(0, 0), straightTo(2, 0), arcTo(SIM_SEGMENT_ARC_CCW, 2, 0, 2, 0), straightTo(0, 3)},
       SIM_TURNING_TURN, 0, false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const tools::CutRecord r = testsupport::turningRecordOf(c.outline, c.turning, c.side);
    EXPECT_EQ(r.valid, c.valid);
    if (!c.valid) continue;
    EXPECT_EQ(r.shape, c.turning);
    EXPECT_EQ(r.moveParameter, c.side < 0 ? 1.0f : -1.0f);
    for (int k = 0; k < 2; ++k) {
      EXPECT_NEAR(r.insertOffset[k], c.box[k], 2 * tools::kInsertBoxTolerance);
      EXPECT_NEAR(r.insertSize[k], c.box[2 + k], 4 * tools::kInsertBoxTolerance);
    }
    const bool closed = c.outline.back().x == c.outline.front().x && c.outline.back().y == c.outline.front().y;
    EXPECT_EQ(segmentsIn(r.profile), c.outline.size() - (closed ? 1 : 0));
  }
  // An unknown turning code makes an ordinary (milling) record.
  ToolTableBuilder b;
  b.addTool("T", {{SIM_PART_CUTTING, testsupport::flatProfile(3, 20)}}).turning = 5;
  EXPECT_EQ(testsupport::tableOf(b).cutRecords(0)[0].shape, tools::kShapeFlat);
}

TEST(ToolTableTest, MachineHoldersPastTheHostOnesAndAdoptedMeshes) {
  ToolTableBuilder b;
  b.addHolder("");  // no mesh of its own
  b.addTool("first", {{SIM_PART_CUTTING, testsupport::flatProfile(2, 10)}}, 0).mountingSide = 1;
  b.addTool("second", {{SIM_PART_CUTTING, testsupport::flatProfile(2, 10)}}, 0).mountingSide = 0;
  b.addTool("machine's", {{SIM_PART_CUTTING, testsupport::flatProfile(2, 10)}}, 1);
  b.addTool("beyond", {{SIM_PART_CUTTING, testsupport::flatProfile(2, 10)}}, 2);
  OneMachineHolder machine;
  tools::ToolTable table;
  table.rebuild(b.record(), 1.0, machine);
  EXPECT_EQ(machine.asked, 1) << "the first referencing tool decides";
  EXPECT_EQ(table.holders()[0]->mesh.size(), 6u);
  EXPECT_EQ(table.tool(2).holder->name, "machine");
  EXPECT_EQ(table.tool(3).holder, nullptr);
  EXPECT_EQ(machine.lastSlot, std::nullopt);

  // A remount works from the table's own copy of the host's arrays; the
  // slots stay and reach the machine.
  SIM_ToolTableRecord host = b.record();
  const double radius = table.tool(0).cutter.p1;
  b.tools[2].machineNumber = 7;
  b.profiles.front().assign(b.profiles.front().size(), SIM_ProfilePoint{});
  const uint32_t slot = 5, first = 0;
  table.mountSlots(std::span(&slot, 1), std::span(&first, 1));
  table.remount(machine);
  EXPECT_EQ(machine.lastSlot, std::optional<uint32_t>(5));
  EXPECT_EQ(table.slots().at(5), 0u);
  EXPECT_EQ(table.tool(0).cutter.p1, radius) << "built from the copy, not the host's changed profile";
  EXPECT_FALSE(table.tool(2).machineNumberKnown) << "the copy was taken before the number changed";
  table.remount(tools::NoMachineHolders());
  EXPECT_TRUE(table.holders()[0]->mesh.empty()) << "without the machine the host holder has no mesh";
  EXPECT_EQ(table.tool(2).holder, nullptr);
  table.rebuild(b.record(), 1.0, machine);
  EXPECT_TRUE(table.tool(2).machineNumberKnown);
  EXPECT_TRUE(table.slots().empty());

  const auto results = tools::resolveCompensation(host, 25.4, machine);
  EXPECT_EQ(results[2].holder, 1);
  EXPECT_FLOAT_EQ(b.holders[0].origin[2], 5) << "the machine's placement, in host units";
}

TEST(ToolDataTest, FilesReadBackAndTruncationGivesNothing) {
  // Two triangles over four vertices.
  std::vector<uint8_t> image;
  auto add = [&](const void* p, size_t n) { image.insert(image.end(), (const uint8_t*)p, (const uint8_t*)p + n); };
  const uint32_t vertexCount = 4, triangleCount = 2;
  add(&vertexCount, 4);
  const float vertices[4][10] = {{0, 0, 0, 0, 0, 1, 1, 0, 0, 0.5f},
                                 {1, 0, 0, 0, 0, 1, 0, 1, 0, 1.5f},
                                 {1, 1, 0, 0, 0, -1, 0, 0, 1, 2.5f},
                                 {0, 1, 0, 1, 0, 0, 0.5f, 0.5f, 2.0f, 3.5f}};
  add(vertices, sizeof vertices);
  add(&triangleCount, 4);
  const uint32_t indices[6] = {0, 1, 2, 0, 2, 3};
  add(indices, sizeof indices);

  const tools::PackedMesh mesh = tools::parseToolData(image, 2.0f, {10, 20, 30});
  ASSERT_EQ(mesh.size(), 6u);
  EXPECT_FLOAT_EQ(mesh[2].x, 12);
  EXPECT_FLOAT_EQ(mesh[2].y, 22);
  EXPECT_FLOAT_EQ(mesh[2].z, 30);
  EXPECT_EQ(mesh[0].normal, 511u | 511u << 10 | 1023u << 20);
  EXPECT_EQ(mesh[2].normal, 511u | 511u << 10 | 0u << 20);
  EXPECT_EQ(mesh[0].colour, 255u);
  EXPECT_EQ(mesh[5].colour, 127u | 127u << 8 | 255u << 16) << "colour bytes truncated and limited";
  EXPECT_FLOAT_EQ(mesh[5].scalar, 3.5f);

  for (size_t cut = 0; cut < image.size(); ++cut)
    ASSERT_TRUE(tools::parseToolData(std::span(image.data(), cut), 1, {}).empty()) << "cut at " << cut;
  std::vector<uint8_t> badIndex = image;
  badIndex[badIndex.size() - 4] = 9;
  EXPECT_TRUE(tools::parseToolData(badIndex, 1, {}).empty());

  // The extension decides, exactly.
  const std::string dir = ::testing::TempDir();
  const std::vector<uint8_t> stl = formats::binaryStlImage(std::vector<glm::dvec3>{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}},
                                                           std::vector<uint32_t>{0, 1, 2}, 1.0);
  std::ofstream(dir + "holder.ToolData", std::ios::binary).write((const char*)image.data(), image.size());
  std::ofstream(dir + "holder.tooldata", std::ios::binary).write((const char*)stl.data(), stl.size());
  EXPECT_EQ(tools::readModel(dir + "holder.ToolData", 1, {}).size(), 6u);
  EXPECT_EQ(tools::readModel(dir + "holder.tooldata", 1, {}).size(), 3u) << "read as STL";
  EXPECT_TRUE(tools::readModel(dir + "missing.ToolData", 1, {}).empty());
  std::remove((dir + "holder.ToolData").c_str());
  std::remove((dir + "holder.tooldata").c_str());
}

TEST(ToolTableExportsTest, GetToolTableRoundTrip) {
  Render view;
  ToolTableBuilder b;
  b.addHolder("a.stl").origin[0] = 0.0f;
  b.addHolder("a.stl").origin[0] = -0.0f;  // the same holder data: shared
  b.addHolder("b.stl");
  // 37 bytes whose last character would be split by a cut at 36.
  const std::string longName = std::string(34, 'n') + "\xE2\x82\xAC";
  b.addTool(longName, {{SIM_PART_CUTTING, testsupport::flatProfile(5, 30)}}, 0);
  b.addTool("second", {{SIM_PART_CUTTING, testsupport::ballProfile(3, 20)}}, 1);
  b.addTool("third", {{SIM_PART_CUTTING, testsupport::ballProfile(3, 20)}}, 2);
  b.addTool("none", {{SIM_PART_CUTTING, testsupport::ballProfile(3, 20)}}, 7);
  // The whole 256-byte field, no terminator, a two-byte character in its
  // last two bytes: at most 255 come back, so that character goes whole.
  std::string description(254, 'd');
  description += "\xC3\xA9";
  std::memcpy(b.tools[0].description, description.data(), 256);
  b.tools[1].number = 17;
  b.tools[1].machineNumber = 4;
  const SIM_ToolTableRecord host = b.record();
  ASSERT_EQ(SIM_SetToolTable(&view, &host), 0);
  EXPECT_EQ(SIM_SetToolTable(nullptr, &host), -1);

  const SIM_ToolTableRecord got = SIM_GetToolTable(&view);
  ASSERT_EQ(got.toolCount, 4u);
  ASSERT_EQ(got.holderCount, 2);
  EXPECT_EQ(got.tools[0].holder, 0);
  EXPECT_EQ(got.tools[1].holder, 0) << "-0 and 0 are the same holder";
  EXPECT_EQ(got.tools[2].holder, 1);
  EXPECT_EQ(got.tools[3].holder, -1) << "an index past the holders names none";
  EXPECT_EQ(std::string(got.tools[0].name), std::string(34, 'n'));
  EXPECT_EQ(std::string(got.tools[0].description), std::string(254, 'd')) << "the split character is left out whole";
  EXPECT_EQ(got.tools[1].number, 17u);
  EXPECT_EQ(got.tools[1].machineNumber, 4u);
  for (size_t i = 0; i < got.toolCount; ++i) {
    EXPECT_EQ(got.tools[i].reserved336, 2u);
    EXPECT_EQ(got.tools[i].reserved340, 2u);
    EXPECT_EQ(got.tools[i].parts, nullptr);
  }
  EXPECT_FLOAT_EQ(got.tools[0].mountPoint[1], 30) << "derived: the top of the tool";
  EXPECT_EQ(SIM_GetToolTable(nullptr).toolCount, 0u);
}

TEST(ToolTableExportsTest, OrientedToolsTurnTheToolpathAndCompensationMeasures) {
  Render view;
  testing_support::ToolpathBuilder path;
  path.add(testing_support::ToolpathBuilder::line(SIM_MOVE_LINEAR, {10, 0, 0}))
      .add(testing_support::ToolpathBuilder::line(SIM_MOVE_LINEAR, {20, 0, 0}))
      .toolChange("angled", 1);
  const SIM_ToolpathRecord toolpath = path.record();
  ASSERT_EQ(SIM_SetToolpath(&view, &toolpath), 0);

  ToolTableBuilder b;
  b.addTool("angled", {{SIM_PART_CUTTING, testsupport::ballProfile(2, 15)}});
  b.parts.back()[0].axis[0] = 1;  // the tool points along +X
  SIM_ToolRecord& mill = b.addTool("mill", {{SIM_PART_CUTTING, testsupport::ballProfile(4, 25)}}, 0);
  mill.deriveMountPoint = 0;
  mill.mountPoint[1] = 60;
  b.addHolder("");
  SIM_ToolTableRecord host = b.record();
  ASSERT_EQ(SIM_SetToolTable(&view, &host), 0);
  const toolpath::Mat3 turned = view.job().toolpath.current()->orientationAt(1);
  // +Y onto +X: the second row maps y to x.
  EXPECT_NEAR(turned[1], 1.0, 1e-9);
  EXPECT_NEAR(turned[3], -1.0, 1e-9);

  SIM_CompensationList list = SIM_ResolveToolTableCompensation(&view, &host);
  ASSERT_EQ(list.count, 2u);
  EXPECT_EQ(list.results[0].identifier, common::fnv1a64("angled"));
  EXPECT_EQ(list.results[0].status, uint32_t{SIM_COMPENSATION_NO_HOLDER});
  const SIM_CompensationResult& m = list.results[1];
  EXPECT_EQ(m.status, uint32_t{SIM_COMPENSATION_OK});
  EXPECT_DOUBLE_EQ(m.length, 60);
  EXPECT_NEAR(m.radius, 4, 1e-6);
  EXPECT_NEAR(m.cornerRadius, 4, 1e-6);
  EXPECT_NEAR(m.cuttingLength, 25, 1e-6);
  EXPECT_DOUBLE_EQ(m.tip[1], -60);
  // In inches the lengths come back in inches: the same numbers.
  SIM_SetUnits(&view, 1);
  list = SIM_ResolveToolTableCompensation(&view, &host);
  EXPECT_DOUBLE_EQ(list.results[1].length, 60);
  EXPECT_EQ(SIM_ResolveToolTableCompensation(nullptr, &host).count, 0u);
}

TEST(ToolTableTest, RepeatedParallelLoadsGiveTheSameTable) {
  ToolTableBuilder b;
  for (int i = 0; i < 2000; ++i) {
    const float r = 1 + (i % 40) * 0.5f;
    b.addTool("tool-" + std::to_string(i), {{SIM_PART_CUTTING, i % 2 ? testsupport::ballProfile(r, 20) : testsupport::flatProfile(r, 20)},
                                            {SIM_PART_SHOULDER, testsupport::flatProfile(r + 1, 30)},
                                            {SIM_PART_SHAFT, testsupport::flatProfile(r + 2, 50)},
                                            {SIM_PART_HOLDER, testsupport::flatProfile(r + 8, 80)},
                                            {SIM_PART_SHAFT_ALTERNATE, testsupport::flatProfile(r + 3, 60)}});
  }
  const SIM_ToolTableRecord host = b.record();
  tools::ToolTable first;
  first.rebuild(host, 1.0, tools::NoMachineHolders());
  for (int round = 0; round < 3; ++round) {
    tools::ToolTable again;
    again.rebuild(host, 1.0, tools::NoMachineHolders());
    ASSERT_EQ(again.toolCount(), 2000u);
    for (size_t i = 0; i < again.toolCount(); ++i) {
      ASSERT_EQ(again.indexOf(common::fnv1a64("tool-" + std::to_string(i))), i) << "name map entry " << i;
      ASSERT_EQ(again.tool(i).parts.size(), 5u);
      ASSERT_EQ(again.tool(i).parts[0].mesh.size(), first.tool(i).parts[0].mesh.size());
      ASSERT_EQ(again.cutRecords(i)[0].profile, first.cutRecords(i)[0].profile);
      ASSERT_EQ(again.cutRecords(i)[3].profile, first.cutRecords(i)[3].profile);
    }
  }
}

TEST(ToolTableExportsTest, HostileProfilesLoadWithoutHarm) {
  std::mt19937 rng(2024);
  // Values every check lets through.
  const float specials[] = {0.0f, -0.0f, 1e-30f, 1e5f, -1e5f, 1e-44f, 123456.7f, 3.0f, -7.5f};
  std::uniform_int_distribution<int> pick(0, 8), segment(0, 4), count(0, 9);
  ToolTableBuilder b;
  for (int t = 0; t < 300; ++t) {
    Points points(count(rng));
    for (SIM_ProfilePoint& p : points)
      p = {uint32_t(segment(rng)), specials[pick(rng)], specials[pick(rng)], specials[pick(rng)], specials[pick(rng)]};
    b.addTool("t" + std::to_string(t), {{uint32_t(t % 6), points}}, t % 5 - 2);
    b.parts.back()[0].profileKind = t % 3;
    b.parts.back()[0].axis[t % 3] = specials[pick(rng)];
  }
  b.addHolder("/no/such/file.ToolData");
  Render view;
  const SIM_ToolTableRecord host = b.record();
  ASSERT_EQ(SIM_SetToolTable(&view, &host), 0);
  EXPECT_EQ(SIM_GetToolTable(&view).toolCount, 300u);
  SIM_ToolTableRecord copy = host;
  EXPECT_EQ(SIM_ResolveToolTableCompensation(&view, &copy).count, 300u);
  // (Values that are not finite or too large, and counts without arrays,
  // are refused whole: the hostile-records view test.)
  EXPECT_EQ(SIM_SetToolTable(&view, nullptr), 0);
  const uint32_t slots[] = {1, 2, 3}, toolsInSlots[] = {0, 1, 0};
  EXPECT_EQ(SIM_MountMachineSlots(&view, 3, slots, toolsInSlots), 0);
  EXPECT_EQ(view.job().toolTable().slots().size(), 2u) << "tool 0 moved from slot 1 to slot 3";
  EXPECT_EQ(view.job().toolTable().slots().at(3), 0u);
  EXPECT_EQ(SIM_MountMachineSlots(nullptr, 3, slots, toolsInSlots), -1);
}

TEST(ToolMeshTest, RevolvedPartsLookEquallyRoundAtAnySize) {
  for (float radius : {0.5f, 50.0f}) {
    ToolTableBuilder b;
    b.addTool("T", {{SIM_PART_CUTTING, testsupport::ballProfile(radius, radius * 4)}});
    const tools::ToolTable table = testsupport::tableOf(b);
    const tools::Tool& tool = table.tool(0);
    // Every vertex lies on the surface of revolution: on the ball or the shank.
    double worst = 0;
    for (const tools::PackedVertex& v : tool.parts[0].mesh) {
      const double r = std::hypot(v.x, v.z);
      const double onBall = std::abs(std::hypot(r, v.y - radius) - radius);
      const double onShank = v.y >= radius ? std::min(std::abs(r - radius), r) : 1e9;
      worst = std::max(worst, std::min(onBall, onShank));
    }
    EXPECT_LT(worst / radius, 1e-5);
    EXPECT_NEAR(tool.box.max.x, radius, radius * 1e-4);
    EXPECT_NEAR(tool.box.max.y, radius * 4, radius * 1e-4);
    EXPECT_GT(tool.parts[0].mesh.size(), 24u * 3 * 8);
  }
}

TEST(ToolMeshTest, PolygonSidedPartsHaveFlatsAtTheProfileRadius) {
  ToolTableBuilder b;
  b.addTool("T", {{SIM_PART_CUTTING, testsupport::flatProfile(3, 10)}});
  b.parts.back()[0].polygonSides = 6;
  const tools::ToolTable table = testsupport::tableOf(b);
  const tools::Tool& tool = table.tool(0);
  EXPECT_EQ(tool.cutter.kind, CutterKind::Extruded) << "it does not turn";
  // Corners on the x axis and every 60 degrees, flats 3 from the axis.
  const double corner = 3 / std::cos(M_PI / 6);
  size_t corners = 0;
  for (const tools::PackedVertex& v : tool.parts[0].mesh) {
    const double r = std::hypot(v.x, v.z);
    if (r < 1e-5) continue;
    EXPECT_NEAR(r, corner, 1e-4);
    const double sixths = std::atan2(v.z, v.x) / (M_PI / 3);
    EXPECT_NEAR(sixths, std::round(sixths), 1e-4);
    ++corners;
  }
  EXPECT_GT(corners, 0u);
  EXPECT_NEAR(tool.box.max.x, corner, 1e-4);
  const tools::CutRecord record = table.cutRecords(0)[0];
  EXPECT_EQ(record.shape, tools::kShapeExtruded);
  EXPECT_EQ(record.polygonSides, 6u);
  EXPECT_NEAR(record.widest, corner, 1e-4) << "the sweep box reaches the corners";
  // Two sides make no polygon: the part is round; so is a closed loop.
  EXPECT_EQ(testsupport::cuttingRecordOf(testsupport::flatProfile(3, 10), SIM_PROFILE_REVOLVED, 0, {}, 2).shape,
            tools::kShapeFlat);
  const tools::CutRecord ring = testsupport::cuttingRecordOf(
      {straightTo(2, 0), straightTo(4, 0), straightTo(4, 5), straightTo(2, 0)}, SIM_PROFILE_REVOLVED, 0, {}, 6);
  EXPECT_EQ(ring.shape, tools::kShapeClosed);
  EXPECT_EQ(ring.polygonSides, 0u);
}

TEST(ToolMeshTest, TiltedExtrudedPartsUseTheCutsFrame) {
  // The cut of a tool that does not turn takes x square to the axis and
  // extrudes along axis x that; the drawn part must stand the same way.
  const glm::dvec3 axis = glm::normalize(glm::dvec3(0.3, 1, 0.4));
  ToolTableBuilder b;
  b.addTool("T", {{SIM_PART_CUTTING, {straightTo(0, 0), straightTo(3, 0), straightTo(3, 8), straightTo(0, 8)}}});
  SIM_ToolPart& part = b.parts.back()[0];
  part.profileKind = SIM_PROFILE_EXTRUDED;
  part.depth = 2;
  for (int k = 0; k < 3; ++k) part.axis[k] = axis[k];
  const tools::ToolTable table = testsupport::tableOf(b);
  const glm::dvec3 x = glm::normalize(glm::dvec3(1, 0, 0) - axis.x * axis), depth = glm::cross(axis, x);
  double lowX = 1e9, highX = -1e9, lowDepth = 1e9, highDepth = -1e9;
  for (const tools::PackedVertex& v : table.tool(0).parts[0].mesh) {
    const glm::dvec3 p(v.x, v.y, v.z);
    lowX = std::min(lowX, glm::dot(p, x)), highX = std::max(highX, glm::dot(p, x));
    lowDepth = std::min(lowDepth, glm::dot(p, depth)), highDepth = std::max(highDepth, glm::dot(p, depth));
  }
  EXPECT_NEAR(lowX, 0, 1e-5);
  EXPECT_NEAR(highX, 3, 1e-5);
  EXPECT_NEAR(lowDepth, 0, 1e-5);
  EXPECT_NEAR(highDepth, 2, 1e-5);
}

}  // namespace
