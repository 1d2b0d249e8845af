// The stock check of a tool's non-cutting parts on the GPU: moves whose
// shaft or holder reach into a box stock by more than a cell are flagged
// with the parts that did and where along the move, moves that keep them
// more than a cell clear are not, and a part that follows its cutter
// through the material the same move removes meets nothing.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "stock/MillCut.h"
#include "stock/SolidStockCreator.h"
#include "stock/StockCollisionCheck.h"
#include "support/GpuTest.h"
#include "support/ToolBuilder.h"
#include "tools/ToolTable.h"

namespace {

using testsupport::straightTo;

toolpath::GPUMoveRecord at(const glm::dvec3& p, uint32_t kind) {
  return {float(p.x), float(p.y), float(p.z), 0.0f, 0.0f, 1.0f, 0.0f, kind};
}

// A flat cutter of radius 3 up to 10, a shaft of radius 2.5 from 10 to 14
// and a holder of radius 8 from 14 to 40.
constexpr double kHolderBottom = 14, kHolderRadius = 8, kShaftRadius = 2.5;

class StockCheckTest : public testsupport::GpuTest {
 protected:
  void SetUp() override {
    GpuTest::SetUp();
    box_.min = {0, 0, 0};
    box_.max = {40, 30, 20};
    ASSERT_TRUE(grid_.setUp(stock::boundsOf(box_), 50'000, limits_));
    testsupport::ToolTableBuilder b;
    b.addTool("T", {{SIM_PART_CUTTING, testsupport::flatProfile(3, 10)},
                    {SIM_PART_SHAFT, {straightTo(0, 10), straightTo(kShaftRadius, 10), straightTo(kShaftRadius, 14),
                                      straightTo(0, 14)}},
                    {SIM_PART_HOLDER, {straightTo(0, kHolderBottom), straightTo(kHolderRadius, kHolderBottom),
                                       straightTo(kHolderRadius, 40), straightTo(0, 40)}}});
    table_.rebuild(b.record(), 1.0, tools::NoMachineHolders());
    parts_ = stock::checkedParts(table_.cutRecords(0));
  }

  // Cuts and checks one move on fresh stock; the records its parts hit.
  std::vector<stock::RecordHit> play(const glm::dvec3& from, const glm::dvec3& to, uint32_t kind,
                                     bool checking = true) {
    solids_.create(grid_, box_);
    mill_.clearReport();
    const std::vector<toolpath::GPUMoveRecord> records{at(from, toolpath::kMoveCut), at(to, kind)};
    stock::CutSwitches switches;
    switches.checkParts = checking;
    mill_.cut(grid_, stock::MoveStream(records), 1, 2, table_.cutRecords(0)[0], 7, switches, std::nullopt, &parts_);
    return mill_.partHits();
  }

  double cell() const { return grid_.frame().exactCellSize; }

  stock::BoxShape box_;
  stock::StockGrid grid_;
  stock::SolidStockCreator solids_;
  stock::MillCut mill_;
  tools::ToolTable table_;
  stock::CheckedParts parts_;
};

TEST_F(StockCheckTest, PartsInTheStockAreFlaggedWithWhereAlongTheMove) {
  ASSERT_TRUE(parts_[1].valid && parts_[2].valid) << "shaft and holder are checked";
  EXPECT_FALSE(parts_[0].valid) << "no shoulder";
  struct Case {
    const char* name;
    glm::dvec3 from, to;
    uint32_t kind;
    uint32_t slots;     // parts expected to meet the stock (bit 1 shaft, bit 2 holder)
    double first, last;  // where along the move the holder's contact begins and ends
  };
  // The cutter's slot at tip height 3 reaches up to 13: above it the shaft
  // (13 to 17) and the holder (from 17) stand in uncut material up to 20.
  const double deep = 20 - kHolderBottom - 3;
  const Case cases[] = {
      {"a feed across, holder 3 deep", {-15, 15, deep}, {55, 15, deep}, toolpath::kMoveCut, 0b110,
       (0 - kHolderRadius + 15) / 70.0, (40 + kHolderRadius + 15) / 70.0},
      {"a rapid along y, holder 3 deep", {20, -15, deep}, {20, 45, deep}, toolpath::kMoveRapid, 0b110,
       (0 - kHolderRadius + 15) / 60.0, (30 + kHolderRadius + 15) / 60.0},
      // The cutter's hole makes room for the shaft; the holder's rim meets
      // the top once the tip is below 20 - 14.
      {"a plunge, holder 8 deep", {20, 15, 30}, {20, 15, 0}, toolpath::kMoveCut, 0b100, (30 - (20 - kHolderBottom)) / 30.0,
       1.0},
      {"a feed 2 mm under the top, shaft 2 mm clear", {-15, 15, 12}, {55, 15, 12}, toolpath::kMoveCut, 0, 0, 0},
      {"a rapid above the stock", {-15, 15, 25}, {55, 15, 25}, toolpath::kMoveRapid, 0, 0, 0},
  };
  for (const Case& c : cases) {
    const std::vector<stock::RecordHit> hits = play(c.from, c.to, c.kind);
    if (c.slots == 0) {
      EXPECT_TRUE(hits.empty()) << c.name;
      continue;
    }
    ASSERT_EQ(hits.size(), 1u) << c.name;
    EXPECT_EQ(hits[0].record, 1u) << c.name;
    EXPECT_EQ(hits[0].slots, c.slots) << c.name;
    // The range comes from inside nodes, at most a cell and a half past the
    // surface along the move.
    const double tolerance = 1.5 * cell() * std::sqrt(3.0) / glm::length(c.to - c.from);
    EXPECT_NEAR(hits[0].from, c.first, tolerance) << c.name;
    EXPECT_NEAR(hits[0].to, c.last, tolerance) << c.name;
  }
  // Switched off, nothing is checked.
  EXPECT_TRUE(play(cases[0].from, cases[0].to, cases[0].kind, false).empty());
}

// A long job goes out in groups, each cut and then checked: the hits keep
// their records wherever the groups split.
TEST_F(StockCheckTest, HitsKeepTheirRecordsAcrossGroups) {
  solids_.create(grid_, box_);
  mill_.clearReport();
  const double deep = 20 - kHolderBottom - 3;
  std::vector<toolpath::GPUMoveRecord> records{at({-15, 15, 25}, toolpath::kMoveRapid)};
  std::vector<uint32_t> crossings;
  for (uint32_t i = 1; records.size() < 3 * stock::MillCut::kRecordsPerCheck;) {
    // Short moves above the stock, and now and then a pass through it.
    if (i++ % 97 == 0) {
      records.push_back(at({-15, 15, deep}, toolpath::kMoveCut));
      records.push_back(at({55, 15, deep}, toolpath::kMoveCut));
      crossings.push_back(uint32_t(records.size() - 1));
      records.push_back(at({55, 15, 25}, toolpath::kMoveRapid));
    }
    records.push_back(at({-15.0 + (i % 2), 15, 25}, toolpath::kMoveRapid));
  }
  mill_.cut(grid_, stock::MoveStream(records), 1, uint32_t(records.size()), table_.cutRecords(0)[0], 7, {},
            std::nullopt, &parts_);
  std::vector<uint32_t> hit;
  for (const stock::RecordHit& h : mill_.partHits()) hit.push_back(h.record);
  EXPECT_EQ(hit, crossings);
}

}  // namespace
