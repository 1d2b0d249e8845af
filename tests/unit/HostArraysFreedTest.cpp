// The host frees every array right after each call, then the view reads
// everything it was given. Under AddressSanitizer (the sanitizer build of
// the suite) any pointer kept into the host's memory fails the run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "korvane/Korvane.h"
#include "common/Fnv1a.h"
#include "support/ToolBuilder.h"
#include "support/ViewJobs.h"
#include "view/Render.h"

namespace {

// Heap arrays a host hands over, all freed together after its call.
class HostArrays {
 public:
  ~HostArrays() { freeAll(); }
  template <typename T>
  T* array(size_t count, T fill = T{}) {
    T* a = new T[count];
    std::fill(a, a + count, fill);
    frees_.push_back([a] { delete[] a; });
    return a;
  }
  char* text(const char* text) { return std::strcpy(array<char>(std::strlen(text) + 1), text); }
  void freeAll() {
    for (const auto& free : frees_) free();
    frees_.clear();
  }

 private:
  std::vector<std::function<void()>> frees_;
};

}  // namespace

TEST(HostArraysFreed, ToolpathRecordArraysMayBeFreedAfterTheCall) {
  Render view;
  HostArrays host;
  const size_t n = 64;
  SIM_ToolpathRecord r{};
  r.moveCount = n;
  auto* moves = host.array<SIM_ToolpathMove>(n);
  for (size_t i = 0; i < n; ++i) {
    moves[i].type = i % 5 == 3 ? SIM_MOVE_ARC_CCW : SIM_MOVE_LINEAR;
    moves[i].end[0] = static_cast<double>(i % 7);
    moves[i].end[1] = static_cast<double>(i % 3);
    moves[i].normal[2] = -1.0;
  }
  r.moves = moves;
  r.entityIds = host.array<uint32_t>(n, 4);
  r.lineNumbers = host.array<uint32_t>(n, 9);
  r.feeds = host.array<double>(n, 250.0);
  r.spindleSpeeds = host.array<double>(n, 8000.0);
  r.moveFlags = host.array<uint16_t>(n, 1);
  r.extraAxes = host.array<double>(3 * n, 0.5);
  auto* changes = host.array<SIM_NamedMove>(2);
  std::strcpy(changes[0].name, "T1");
  changes[1].move = 10;
  r.toolChangeCount = 2;
  r.toolChanges = changes;
  r.operationCount = 2;
  r.operations = host.array<SIM_OperationRange>(2, {0, 30, 1});
  r.infoRecordCount = 1;
  r.infoRecords = host.array<SIM_ToolpathInfoRecord>(1);
  r.orientationCount = 1;
  r.orientations = host.array<SIM_OrientationEntry>(1, {5, {1, 0, 0, 0, 1, 0, 0, 0, 1}});
  r.textRecordCount1 = r.textRecordCount2 = r.textRecordCount3 = r.textRecordCount4 = 2;
  r.textRecords1 = host.array<SIM_ToolpathTextRecord>(2);
  r.textRecords2 = host.array<SIM_ToolpathTextRecord>(2);
  r.textRecords3 = host.array<SIM_ToolpathTextRecord>(2);
  r.textRecords4 = host.array<SIM_ToolpathTextRecord>(2);
  char* eventName = host.text("coolant on");
  auto* events = host.array<SIM_MoveEvent>(2);
  events[0].categories = 0xF;
  events[0].name = eventName;
  events[1].move = 7;
  r.eventCount = 2;
  r.events = events;
  r.valueCount = 3;
  r.values = host.array<uint32_t>(3, 77);
  r.compensationCount = 1;
  r.compensations = host.array<SIM_CompensationChange>(1, {2, {0.1f, 0.2f, 0.3f}});
  uint32_t* localLines = host.array<uint32_t>(4, 12);
  r.subprogramCount = 1;
  r.subprograms = host.array<SIM_SubprogramLines>(1, {3, 100, 104, 0, localLines});
  r.valueChangeCount = 2;
  r.valueChanges = host.array<SIM_ValueChange>(2, {3, 1, {}, 2.5});

  ASSERT_EQ(SIM_SetToolpath(&view, &r), 0);
  host.freeAll();

  // Read back everything the load took over.
  const toolpath::Toolpath& t = *view.job().toolpath.current();
  double sum = 0;
  for (size_t i = 0; i < n; ++i) {
    const SIM_ToolpathMove m = t.move(static_cast<int64_t>(i));
    sum += m.end[0] + t.feedOf(i) + t.spindleOf(i) + t.lineOf(i) + t.entityOf(i) + t.flagsOf(i) +
           t.extraAxesOf(i).x + t.cumulativeLength(i) + t.paletteIndexesOf(i);
  }
  EXPECT_GT(sum, 0.0);
  EXPECT_EQ(t.toolChanges()[0].nameHash, common::fnv1a64("T1"));
  EXPECT_EQ(t.operation(1).end, 30u);
  EXPECT_EQ(t.orientations().size(), 1u);
  EXPECT_EQ(t.textRecords(3).size(), 2u);
  EXPECT_EQ(t.eventsNamed(common::fnv1a64("coolant on")).size(), 1u);
  EXPECT_EQ(t.values()[2], 77u);
  EXPECT_EQ(t.fileLineOf(102).line, 12u);
  EXPECT_TRUE(t.compensationApplied());
  EXPECT_EQ(t.paletteValue(true, 1), 2.5);
}

TEST(HostArraysFreed, StockAndGeometryTextsAndArraysMayBeFreed) {
  Render view;
  HostArrays host;
  SIM_StockRecord stock = SIM_GetStock(nullptr, 0);
  stock.identifier = 3;
  stock.kind = SIM_STOCK_MESH;
  stock.meshGeometry = host.text("part");
  stock.meshPath = host.text("/tmp/stock.stl");
  ASSERT_EQ(SIM_CreateStock(&view, stock), 0);
  host.freeAll();

  SIM_GeometryRecord* geometry = host.array<SIM_GeometryRecord>(1, testsupport::namedGeometry("part"));
  geometry->modelPath = host.text("/tmp/part.stl");
  geometry->vertices = host.array<float>(9, 2.0f);
  geometry->vertexCount = 3;
  ASSERT_EQ(SIM_CreateGeometries(&view, {geometry, 1}, true), 0);
  host.freeAll();

  const SIM_StockRecord back = SIM_GetStock(&view, 3);
  EXPECT_STREQ(back.meshGeometry, "part");
  EXPECT_STREQ(back.meshPath, "/tmp/stock.stl");
  const SIM_GeometryList list = SIM_GetGeometries(&view);
  ASSERT_EQ(list.count, 1u);
  EXPECT_STREQ(list.geometries[0].modelPath, "/tmp/part.stl");
  EXPECT_EQ(list.geometries[0].vertices[8], 2.0f);
}

TEST(HostArraysFreed, ToolTableArraysMayBeFreedAfterTheCall) {
  Render view;
  {
    auto table = std::make_unique<testsupport::ToolTableBuilder>();
    table->addTool("ball", {{SIM_PART_CUTTING, testsupport::ballProfile(3, 20)},
                            {SIM_PART_HOLDER, testsupport::flatProfile(8, 40)}}, 0);
    table->addTool("bull", {{SIM_PART_CUTTING, testsupport::bullNoseProfile(2, 1, 15, true)}});
    table->addHolder("holder.stl");
    const SIM_ToolTableRecord record = table->record();
    ASSERT_EQ(SIM_SetToolTable(&view, &record), 0);
  }  // every array the host passed is gone
  const SIM_ToolTableRecord got = SIM_GetToolTable(&view);
  ASSERT_EQ(got.toolCount, 2u);
  EXPECT_STREQ(got.tools[1].name, "bull");
  EXPECT_EQ(got.holderCount, 1);
  EXPECT_EQ(view.job().toolTable().tool(0).cutter.kind, tools::CutterKind::Ball);
  EXPECT_TRUE(view.job().toolTable().cutRecords(0)[3].valid);
}
