// Hostile values in every record-taking export: never a crash, the status
// the header documents, and a view that answers and holds exactly what it
// did before (its stock lattice read back included).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>

#include "korvane/Korvane.h"
#include "stock/StockModel.h"
#include "support/HeadlessView.h"
#include "support/LatticeCheck.h"
#include "support/ViewJobs.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kDenormal = std::numeric_limits<double>::denorm_min();

// What a view answers and holds.
struct ViewState {
  std::vector<SIM_StockRecord> stocks;
  uint64_t tools = 0, geometries = 0;
  double progress = 0, speed = 0, precision = 0;
  std::vector<uint32_t> nodeWords, signWords;

  bool operator==(const ViewState& o) const {
    return stocks.size() == o.stocks.size() &&
           std::memcmp(stocks.data(), o.stocks.data(), stocks.size() * sizeof(SIM_StockRecord)) == 0 &&
           tools == o.tools && geometries == o.geometries && progress == o.progress && speed == o.speed &&
           precision == o.precision && nodeWords == o.nodeWords && signWords == o.signWords;
  }
};

// One hostile call: what it does and the status it must answer.
struct HostileCall {
  std::string name;
  std::function<int32_t(Render*)> call;
  int32_t status;
};

SIM_StockRecord box(std::function<void(SIM_StockRecord&)> change) {
  SIM_StockRecord r = testsupport::boxStock(9, 10);
  change(r);
  return r;
}

// Two moves, along x to lastX, with the given per-move arrays.
int32_t setTwoMoves(Render* view, double lastX, const double* times = nullptr, const double* feeds = nullptr) {
  SIM_ToolpathMove moves[2] = {testing_support::ToolpathBuilder::line(SIM_MOVE_LINEAR, {0, 0, 0}),
                               testing_support::ToolpathBuilder::line(SIM_MOVE_LINEAR, {lastX, 0, 0})};
  SIM_ToolpathRecord r{};
  r.moveCount = 2;
  r.moves = moves;
  r.cumulativeTimes = times;
  r.feeds = feeds;
  return SIM_SetToolpath(view, &r);
}

class HostileRecords : public testsupport::HeadlessViewTest {
 protected:
  void SetUp() override {
    HeadlessViewTest::SetUp();
    testsupport::loadSlotJob(view, job_);
    const uint32_t all[2] = {0, 3};
    ASSERT_EQ(SIM_CutStock(view, all), 0);
  }

  ViewState state() {
    ViewState s;
    const SIM_StockList list = SIM_GetStockModels(view);
    s.stocks.assign(list.stocks, list.stocks + list.count);
    s.tools = SIM_GetToolTable(view).toolCount;
    s.geometries = SIM_GetGeometries(view).count;
    s.progress = SIM_GetProgress(view);
    s.speed = SIM_GetSpeed(view);
    s.precision = SIM_GetGeometryPrecision(view);
    // Two frames: whatever a call queued has been done by the second.
    for (int frame = 0; frame < 2; ++frame)
      onRenderThread([&] {
        stock::StockScene* scene = view->stock().scene();
        stock::StockModel* model = scene ? scene->model(1) : nullptr;
        if (!model || !model->built()) return;
        const testsupport::LatticeImage image(model->grid());
        s.nodeWords = image.nodeWords;
        s.signWords = image.signWords;
      });
    return s;
  }

  testsupport::SlotJob job_;
};

std::vector<HostileCall> hostileCalls() {
  std::vector<HostileCall> calls;
  // Stocks: every kind of bad number in each kind of field.
  for (double bad : {kNaN, kInf, -kInf}) {
    calls.push_back({"box corner " + std::to_string(bad),
                     [=](Render* v) { return SIM_CreateStock(v, box([&](auto& r) { r.boxMax[1] = bad; })); },
                     SIM_STATUS_NOT_FINITE});
    calls.push_back({"placement " + std::to_string(bad),
                     [=](Render* v) { return SIM_CreateStock(v, box([&](auto& r) { r.placement[3] = bad; })); },
                     SIM_STATUS_NOT_FINITE});
    calls.push_back({"quality " + std::to_string(bad),
                     [=](Render* v) { return SIM_CreateStock(v, box([&](auto& r) { r.quality = float(bad); })); },
                     SIM_STATUS_NOT_FINITE});
  }
  for (double huge : {1e308, 1e19, 1e20, -1e7}) {
    calls.push_back({"box extent " + std::to_string(huge),
                     [=](Render* v) { return SIM_CreateStock(v, box([&](auto& r) { r.boxMin[0] = -std::abs(huge); })); },
                     SIM_STATUS_OUT_OF_RANGE});
  }
  for (double flat : {0.0, -0.0, kDenormal, -5.0}) {
    calls.push_back({"box without volume " + std::to_string(flat), [=](Render* v) {
                       return SIM_CreateStock(v, box([&](auto& r) { r.boxMax[2] = r.boxMin[2] + flat; }));
                     },
                     SIM_STATUS_BAD_STOCK});  // a denormal height vanishes when added to the corner
  }
  calls.push_back({"cylinder without diameter", [](Render* v) {
                     return SIM_CreateStock(v, box([](auto& r) {
                       r.kind = SIM_STOCK_CYLINDER;
                       r.cylinderLength = 5;
                       r.outerDiameter = -0.0;
                     }));
                   },
                   SIM_STATUS_BAD_STOCK});
  calls.push_back({"stock kind 7", [](Render* v) { return SIM_CreateStock(v, box([](auto& r) { r.kind = 7; })); },
                   SIM_STATUS_OUT_OF_RANGE});

  // Toolpaths: bad numbers in moves and per-move arrays, counts without arrays.
  for (double bad : {kNaN, kInf, 1e308, 1e19}) {
    calls.push_back({"move end " + std::to_string(bad), [=](Render* v) { return setTwoMoves(v, bad); },
                     std::isfinite(bad) ? SIM_STATUS_OUT_OF_RANGE : SIM_STATUS_NOT_FINITE});
  }
  calls.push_back({"falling times", [](Render* v) {
                     const double times[2] = {1.0, 0.5};
                     return setTwoMoves(v, 1, times);
                   },
                   SIM_STATUS_BAD_ARRAY});
  calls.push_back({"negative feed", [](Render* v) {
                     const double feeds[2] = {100, -kDenormal};
                     return setTwoMoves(v, 1, nullptr, feeds);
                   },
                   SIM_STATUS_OUT_OF_RANGE});
  for (uint64_t count : {uint64_t{1}, uint64_t{0xFFFFFFFF}, uint64_t{0xFFFFFFFFFFFFFFFF}}) {
    const std::string n = std::to_string(count);
    using CountOf = void (*)(SIM_ToolpathRecord&, uint64_t);
    const std::pair<const char*, CountOf> toolpathCounts[] = {
        {"moves", [](SIM_ToolpathRecord& r, uint64_t c) { r.moveCount = c; }},
        {"orientations", [](SIM_ToolpathRecord& r, uint64_t c) { r.orientationCount = c; }},
        {"text records", [](SIM_ToolpathRecord& r, uint64_t c) { r.textRecordCount3 = c; }}};
    for (const auto& [what, setCount] : toolpathCounts)
      calls.push_back({std::string(what) + " " + n + " without array", [=, setCount = setCount](Render* v) {
                         SIM_ToolpathRecord r{};
                         setCount(r, count);
                         return SIM_SetToolpath(v, &r);
                       },
                       SIM_STATUS_BAD_ARRAY});
    calls.push_back({"tools " + n + " without array", [=](Render* v) {
                       SIM_ToolTableRecord t{};
                       t.toolCount = count;
                       return SIM_SetToolTable(v, &t);
                     },
                     SIM_STATUS_BAD_ARRAY});
    calls.push_back({"geometries " + n + " without array",
                     [=](Render* v) { return SIM_CreateGeometries(v, SIM_GeometryList{nullptr, count}, true); },
                     SIM_STATUS_BAD_ARRAY});
  }
  calls.push_back({"slots without arrays",
                   [](Render* v) { return SIM_MountMachineSlots(v, 0xFFFFFFFF, nullptr, nullptr); },
                   SIM_STATUS_BAD_ARRAY});
  calls.push_back({"negative event count", [](Render* v) {
                     SIM_ToolpathRecord r{};
                     r.eventCount = -1;
                     return SIM_SetToolpath(v, &r);
                   },
                   SIM_STATUS_BAD_ARRAY});

  // Tools: a ball of 1e300 and a profile point that is not a number.
  for (float bad : {std::numeric_limits<float>::quiet_NaN(), 3e38f, -std::numeric_limits<float>::infinity()}) {
    calls.push_back({"profile point " + std::to_string(bad), [=](Render* v) {
                       testsupport::ToolTableBuilder b;
                       std::vector<SIM_ProfilePoint> profile = testsupport::flatProfile(3, 20);
                       profile[1].x = bad;
                       b.addTool("bad", {{SIM_PART_CUTTING, profile}});
                       const SIM_ToolTableRecord t = b.record();
                       return SIM_SetToolTable(v, &t);
                     },
                     std::isfinite(bad) ? SIM_STATUS_OUT_OF_RANGE : SIM_STATUS_NOT_FINITE});
  }
  calls.push_back({"holder count -1", [](Render* v) {
                     SIM_ToolTableRecord t{};
                     t.holderCount = -1;
                     return SIM_SetToolTable(v, &t);
                   },
                   SIM_STATUS_BAD_ARRAY});

  // Geometries, and the numbers of playback, camera and precision.
  calls.push_back({"geometry vertex", [](Render* v) {
                     SIM_GeometryRecord g = testsupport::namedGeometry("fixture");
                     const float vertices[9] = {0, 0, 0, 1, 0, 0, 0, std::numeric_limits<float>::infinity(), 0};
                     g.vertices = vertices;
                     g.vertexCount = 3;
                     return SIM_CreateGeometries(v, SIM_GeometryList{&g, 1}, false);
                   },
                   SIM_STATUS_NOT_FINITE});
  calls.push_back({"geometry scale", [](Render* v) {
                     SIM_GeometryRecord g = testsupport::namedGeometry("fixture");
                     g.scale = -1;
                     return SIM_CreateGeometries(v, SIM_GeometryList{&g, 1}, false);
                   },
                   SIM_STATUS_OUT_OF_RANGE});
  calls.push_back({"progress", [](Render* v) { return SIM_SetProgress(v, kNaN, SIM_PROGRESS_TIME); },
                   SIM_STATUS_NOT_FINITE});
  calls.push_back({"speed", [](Render* v) { return SIM_UpdateSpeed(v, -kInf); }, SIM_STATUS_NOT_FINITE});
  calls.push_back({"pan", [](Render* v) { return SIM_PanView(v, kNaN, 0); }, SIM_STATUS_NOT_FINITE});
  calls.push_back({"rotate", [](Render* v) { return SIM_RotateView(v, 0, kInf); }, SIM_STATUS_NOT_FINITE});
  for (double precision : {-0.0, kDenormal, 1e300})
    calls.push_back({"precision " + std::to_string(precision),
                     [=](Render* v) { return SIM_SetGeometryPrecision(v, precision, true); },
                     SIM_STATUS_OUT_OF_RANGE});
  return calls;
}

}  // namespace

TEST_F(HostileRecords, RefusedWithTheirStatusAndTheViewUnchanged) {
  const ViewState before = state();
  ASSERT_FALSE(before.signWords.empty()) << "the stock is built and cut";
  for (const HostileCall& hostile : hostileCalls()) {
    EXPECT_EQ(hostile.call(view), hostile.status) << hostile.name;
    EXPECT_TRUE(state() == before) << hostile.name << " changed the view";
  }
}
