// The job-data exports on a view object without a window: result codes,
// default records, copies and host units.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "korvane/Korvane.h"
#include "support/EventRecorder.h"
#include "support/ToolpathBuilder.h"
#include "support/ViewJobs.h"
#include "ui/ColourThemes.h"
#include "view/Render.h"

using testing_support::ToolpathBuilder;
using testsupport::boxStock;
using testsupport::EventRecorder;
using testsupport::namedGeometry;

namespace {

template <typename T>
void put(std::vector<uint8_t>& bytes, size_t offset, T value) {
  std::memcpy(bytes.data() + offset, &value, sizeof value);
}

template <typename Record>
std::vector<uint8_t> bytesOf(const Record& r) {
  std::vector<uint8_t> bytes(sizeof r);
  std::memcpy(bytes.data(), &r, sizeof r);
  return bytes;
}

// The default stock record written out field by field from its description.
std::vector<uint8_t> expectedDefaultStock() {
  std::vector<uint8_t> bytes(464, 0);
  put<uint32_t>(bytes, 8, 4);
  put<uint32_t>(bytes, 40, 2);
  put<float>(bytes, 80, 0.5f);
  for (size_t offset : {440, 444, 448}) put<float>(bytes, offset, 0.176f);
  put<uint32_t>(bytes, 456, 2);
  bytes[460] = 1;
  bytes[461] = 2;
  return bytes;
}

std::vector<uint8_t> expectedDefaultGeometry() {
  std::vector<uint8_t> bytes(424, 0);
  put<uint64_t>(bytes, 0, 6);
  put<uint32_t>(bytes, 420, 10);
  return bytes;
}

struct ViewWithoutWindow : ::testing::Test {
  std::unique_ptr<Render> owner = std::make_unique<Render>();
  Render* view = owner.get();
};

}  // namespace

// Exports given no view answer without touching one.
TEST(HostRecordExports, NullViewResults) {
  SIM_ToolpathRecord toolpath{};
  SIM_GeometryRecord geometry{};
  SIM_KeyBinding binding{};
  SIM_Window window = 0;
  float x, y, z;
  EXPECT_EQ(SIM_CloseView(nullptr), 0);
  EXPECT_EQ(SIM_GetWindowHandle(nullptr, &window), 1);
  EXPECT_EQ(SIM_SetCallbackWindow(nullptr, 5, true), 1);
  EXPECT_EQ(SIM_AddKeyBinding(nullptr, binding), -1);
  EXPECT_EQ(SIM_ReleaseKeyBindings(nullptr), -1);
  EXPECT_EQ(SIM_Hint(9, 1), 0);
  EXPECT_EQ(SIM_SetToolpath(nullptr, &toolpath), -1);
  EXPECT_EQ(SIM_SetToolpathOperationVisibility(nullptr, 0, true), -1);
  EXPECT_EQ(SIM_SetToolpathMode(nullptr, 1), -1);
  EXPECT_EQ(SIM_GetToolpathMode(nullptr), 0u);
  EXPECT_EQ(SIM_GotoLine(nullptr, 3), -1);
  EXPECT_EQ(SIM_GotoEntity(nullptr, 3), -1);
  EXPECT_EQ(SIM_RemoveStock(nullptr, 0), -1);
  EXPECT_EQ(SIM_RemoveGeometry(nullptr, "a"), -1);
  EXPECT_EQ(SIM_SelectGeometry(nullptr, "a"), -1);
  EXPECT_EQ(SIM_SetUnits(nullptr, 1), -1);
  EXPECT_EQ(SIM_SetNCFile(nullptr, "G0", nullptr, 0), -1);
  EXPECT_EQ(SIM_SetNCFileSelection(nullptr, true, 1, 2), -1);
  EXPECT_EQ(SIM_SetSubProgramFiles(nullptr, nullptr, nullptr, nullptr, 3), -1);
  EXPECT_EQ(SIM_CreateStock(nullptr, boxStock(1, 1)), 1);
  EXPECT_EQ(SIM_UpdateStock(nullptr, boxStock(1, 1)), 1);
  EXPECT_EQ(SIM_CreateGeometries(nullptr, {&geometry, 1}, true), 1);
  EXPECT_EQ(SIM_UpdateGeometry(nullptr, &geometry), 1);
  EXPECT_EQ(SIM_GetGeometries(nullptr).count, 0u);
  EXPECT_EQ(SIM_GetStockModels(nullptr).count, 0u);
  EXPECT_EQ(SIM_GetCurrentStockModel(nullptr), -1);
  EXPECT_EQ(SIM_CreateMachine(nullptr, "{}", 0, 0), 1);
  EXPECT_EQ(SIM_GetMachineLoadStatus(nullptr).status, SIM_MACHINE_NONE);
  EXPECT_EQ(SIM_SetMachineOrigin(nullptr, 0, 0, 0), -1);
  EXPECT_EQ(SIM_GetMachineOrigin(nullptr, &x, &y, &z), -1);
  EXPECT_EQ(SIM_SuggestMachineOrigin(nullptr, &x, &y, &z), -1);
  EXPECT_EQ(SIM_SetView(nullptr, 0), -1);
  EXPECT_EQ(SIM_SetProjection(nullptr, 1), -1);
  EXPECT_EQ(SIM_PanView(nullptr, 1, 0), -1);
  EXPECT_EQ(SIM_RotateView(nullptr, 1, 0), -1);
  EXPECT_EQ(SIM_SetCamera(nullptr, nullptr), -1);
  const double identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  EXPECT_EQ(SIM_SetDecimals(nullptr, 2), -1);
  EXPECT_EQ(SIM_SetAxisTransformation(nullptr, identity), -1);
  EXPECT_EQ(SIM_SetStopConditions(nullptr, 1), -1);
  EXPECT_EQ(SIM_GetStopConditions(nullptr), 0u);
}

TEST(HostRecordExports, DefaultRecordsAreAnsweredByteForByte) {
  EXPECT_EQ(bytesOf(SIM_GetStock(nullptr, 0)), expectedDefaultStock());
  EXPECT_EQ(bytesOf(SIM_GetGeometry(nullptr, "none")), expectedDefaultGeometry());
  Render view;
  EXPECT_EQ(bytesOf(SIM_GetStock(&view, 3)), expectedDefaultStock());
  SIM_CreateStock(&view, boxStock(4, 10));
  EXPECT_EQ(bytesOf(SIM_GetStock(&view, 3)), expectedDefaultStock());  // another identifier
  EXPECT_EQ(bytesOf(SIM_GetGeometry(&view, "none")), expectedDefaultGeometry());
}

TEST_F(ViewWithoutWindow, StocksAndGeometriesAreKeptByIdentifierInMillimetres) {
  ASSERT_EQ(SIM_SetUnits(view, 1), 0);  // inches
  SIM_StockRecord cylinder = SIM_GetStock(nullptr, 0);
  cylinder.identifier = 7;
  cylinder.kind = SIM_STOCK_CYLINDER;
  cylinder.cylinderLength = 2.0;
  cylinder.outerDiameter = 1.0;
  cylinder.boreDiameter = 0.25;
  cylinder.placement[3] = 1.0;  // translation x
  cylinder.placement[0] = 1.0;  // rotation is not a length
  std::string path = "/tmp/part.stl";
  cylinder.meshPath = path.c_str();
  ASSERT_EQ(SIM_CreateStock(view, cylinder), 0);
  SIM_StockRecord box = boxStock(8, 4.0);
  box.precision = SIM_STOCK_PRECISION_TOLERANCE;  // the quality is a length
  box.quality = 0.01f;
  ASSERT_EQ(SIM_CreateStock(view, box), 0);
  path.assign("changed after the call");
  const float triangle[9] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
  SIM_GeometryRecord part = namedGeometry("part");
  part.vertices = triangle;
  part.vertexCount = 3;
  ASSERT_EQ(SIM_CreateGeometries(view, {&part, 1}, true), 0);

  const stock::StockDescription kept = *view->job().stocks.stock(7);
  EXPECT_DOUBLE_EQ(kept.definition.cylinderLength, 50.8);
  EXPECT_DOUBLE_EQ(kept.definition.placement[3], 25.4);
  EXPECT_EQ(kept.definition.placement[0], 1.0);
  EXPECT_EQ(kept.definition.refine, 0);  // "the view's setting" became the setting
  EXPECT_EQ(kept.definition.meshPath, "/tmp/part.stl");
  EXPECT_FLOAT_EQ(view->job().stocks.stock(8)->definition.quality, 0.254f);
  EXPECT_FLOAT_EQ(view->job().stocks.geometry("part")->vertices[3], 25.4f);

  SIM_StockRecord back = SIM_GetStock(view, 7);
  EXPECT_DOUBLE_EQ(back.outerDiameter, 1.0);
  EXPECT_DOUBLE_EQ(back.boreDiameter, 0.25);
  ASSERT_NE(back.meshPath, nullptr);
  EXPECT_STREQ(back.meshPath, "/tmp/part.stl");
  EXPECT_EQ(back.meshGeometry, nullptr);
  EXPECT_FLOAT_EQ(SIM_GetStock(view, 8).quality, 0.01f);
  EXPECT_FLOAT_EQ(SIM_GetGeometry(view, "part").vertices[3], 1.0f);
  SIM_SetUnits(view, 0);
  EXPECT_DOUBLE_EQ(SIM_GetStock(view, 7).outerDiameter, 25.4);

  // The same identifier replaces; the list keeps the first order.
  ASSERT_EQ(SIM_UpdateStock(view, boxStock(7, 3.0)), 0);
  SIM_StockList list = SIM_GetStockModels(view);
  ASSERT_EQ(list.count, 2u);
  EXPECT_EQ(list.stocks[0].identifier, 7u);
  EXPECT_EQ(list.stocks[0].kind, SIM_STOCK_BOX);
  EXPECT_EQ(list.stocks[1].boxMax[2], 2.0 * 25.4);
  EXPECT_EQ(SIM_GetCurrentStockModel(view), 7);

  EXPECT_EQ(SIM_RemoveStock(view, 99), 0);
  EXPECT_EQ(SIM_GetStockModels(view).count, 2u);
  EXPECT_EQ(SIM_RemoveStock(view, 7), 0);
  EXPECT_EQ(SIM_GetStockModels(view).count, 1u);
  EXPECT_EQ(SIM_GetCurrentStockModel(view), 8);
  EXPECT_EQ(bytesOf(SIM_GetStock(view, 7)), expectedDefaultStock());
}

TEST_F(ViewWithoutWindow, GeometriesAreReplacedOrAddedByName) {
  std::vector<float> triangle = {0, 0, 0, 1, 0, 0, 0, 1, 0, 9};  // one stray value
  std::vector<SIM_GeometryRecord> first = {namedGeometry("fixture", SIM_GEOMETRY_FIXTURE),
                                           namedGeometry("part", SIM_GEOMETRY_WORKPIECE)};
  first[1].vertices = triangle.data();
  first[1].vertexCount = 4;  // only whole triangles are kept
  first[1].origin[2] = 5;
  ASSERT_EQ(SIM_CreateGeometries(view, {first.data(), first.size()}, false), 0);
  triangle.assign(triangle.size(), -1.0f);

  SIM_GeometryRecord part = SIM_GetGeometry(view, "part");
  EXPECT_EQ(part.role, uint64_t{SIM_GEOMETRY_WORKPIECE});
  ASSERT_EQ(part.vertexCount, 3u);
  EXPECT_EQ(part.vertices[3], 1.0f);
  EXPECT_EQ(part.origin[2], 5.0);

  // Added with a known name: replaces that entry.
  std::vector<SIM_GeometryRecord> second = {namedGeometry("part", SIM_GEOMETRY_OTHER),
                                            namedGeometry("clamp", SIM_GEOMETRY_FIXTURE)};
  ASSERT_EQ(SIM_CreateGeometries(view, {second.data(), second.size()}, false), 0);
  SIM_GeometryList list = SIM_GetGeometries(view);
  ASSERT_EQ(list.count, 3u);
  EXPECT_STREQ(list.geometries[1].name, "part");
  EXPECT_EQ(list.geometries[1].role, uint64_t{SIM_GEOMETRY_OTHER});
  EXPECT_EQ(list.geometries[1].vertexCount, 0u);

  EXPECT_EQ(SIM_SelectGeometry(view, "clamp"), 0);
  EXPECT_EQ(SIM_SelectGeometry(view, "nothing"), 0);  // keeps the selection
  EXPECT_EQ(SIM_GetGeometry(view, "clamp").selected, 1);
  SIM_SelectGeometry(view, "fixture");
  EXPECT_EQ(SIM_GetGeometry(view, "clamp").selected, 0);

  SIM_GeometryRecord update = namedGeometry("fixture", SIM_GEOMETRY_FIXTURE);
  update.colour[0] = 1.0f;
  EXPECT_EQ(SIM_UpdateGeometry(view, &update), 0);
  EXPECT_EQ(SIM_GetGeometry(view, "fixture").colour[0], 1.0f);
  EXPECT_EQ(SIM_GetGeometry(view, "fixture").selected, 1);  // an update keeps the selection
  SIM_GeometryRecord unknown = namedGeometry("unknown", SIM_GEOMETRY_FIXTURE);
  EXPECT_EQ(SIM_UpdateGeometry(view, &unknown), 1);

  ASSERT_EQ(SIM_CreateGeometries(view, {second.data(), 1}, true), 0);
  EXPECT_EQ(SIM_GetGeometries(view).count, 1u);
}

TEST_F(ViewWithoutWindow, ToolpathLoadTellsTheHostAndGotoWritesThePendingPosition) {
  EventRecorder host;
  ASSERT_EQ(SIM_SetCallbackWindow(view, host.window, true), 0);
  ToolpathBuilder b;
  b.add(ToolpathBuilder::line(SIM_MOVE_RAPID, {0, 0, 0}), 1, 1);
  b.add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {10, 0, 0}), 2, 1);
  b.add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {20, 0, 0}), 3, 2);
  b.add(ToolpathBuilder::line(SIM_MOVE_LINEAR, {40, 0, 0}), 3, 2);
  SIM_ToolpathRecord record = b.record();
  ASSERT_EQ(SIM_SetToolpath(view, &record), 0);
  EXPECT_EQ(host.countOf(SIM_EVENT_TOOLPATH_LOADED), 1u);
  EXPECT_EQ(view->job().loadingToolpath.load(), 0);

  EXPECT_EQ(SIM_GotoLine(view, 2), 0);
  EXPECT_DOUBLE_EQ(view->playback().pendingPosition(), 0.25);
  EXPECT_EQ(SIM_GotoEntity(view, 2), 0);
  EXPECT_DOUBLE_EQ(view->playback().pendingPosition(), 1.0);
  view->playback().requestPosition(-1.0);
  // Already on line 1 at position 0: nothing to do.
  EXPECT_EQ(SIM_GotoLine(view, 1), 0);
  EXPECT_EQ(view->playback().pendingPosition(), -1.0);
  EXPECT_EQ(SIM_GotoEntity(view, 5), 0);  // no such entity: the start
  EXPECT_EQ(view->playback().pendingPosition(), 0.0);

  EXPECT_EQ(SIM_SetToolpathMode(view, 10), 0);
  EXPECT_EQ(SIM_SetToolpathMode(view, 11), 0);  // not a mode
  EXPECT_EQ(SIM_GetToolpathMode(view), 10u);

  const auto before = view->job().toolpath.current();
  EXPECT_EQ(SIM_SetToolpathOperationVisibility(view, 0, false), 0);  // no operations
  EXPECT_EQ(view->job().toolpath.current(), before) << "nothing changed: no new snapshot";

  // Counts no memory or index can hold are refused; the toolpath stays.
  SIM_ToolpathRecord absurd{};
  absurd.moveCount = uint64_t{1} << 62;
  absurd.operationCount = uint64_t{1} << 61;
  const auto kept = view->job().toolpath.current();
  EXPECT_EQ(SIM_SetToolpath(view, &absurd), SIM_STATUS_BAD_ARRAY);
  EXPECT_EQ(view->job().toolpath.current(), kept);

  // A null record loads an empty toolpath and is announced again.
  ASSERT_EQ(SIM_SetToolpath(view, nullptr), 0);
  EXPECT_EQ(view->job().toolpath.current()->moveCount(), 0u);
  EXPECT_EQ(SIM_GotoLine(view, 2), 0);
}

TEST(HostRecordExports, AnalyseStlReportsTheBoxOrStatusOne) {
  const std::string path = ::testing::TempDir() + "analyse.stl";
  {
    FILE* file = std::fopen(path.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fputs("solid t\nfacet normal 0 0 1\nouter loop\nvertex -1 2 3\nvertex 4 -5 6\nvertex 0 0 -7", file);
    std::fclose(file);
  }
  const SIM_StlAnalysis box = SIM_AnalyseSTL(path.c_str());
  EXPECT_EQ(box.status, 0u);
  EXPECT_EQ(box.min[0], -1.0f);
  EXPECT_EQ(box.min[2], -7.0f);
  EXPECT_EQ(box.max[1], 2.0f);
  std::remove(path.c_str());

  for (const char* bad : {"/nonexistent/part.stl", static_cast<const char*>(nullptr)}) {
    const SIM_StlAnalysis none = SIM_AnalyseSTL(bad);
    EXPECT_EQ(none.status, 1u);
    EXPECT_EQ(none.max[0], 0.0f);
  }
}

TEST(SettingsExports, GeometryPrecisionInHostUnits) {
  Render view;
  EXPECT_DOUBLE_EQ(SIM_GetGeometryPrecision(&view), 0.01);
  EXPECT_EQ(SIM_SetGeometryPrecision(&view, 0.05, false), 0);
  EXPECT_DOUBLE_EQ(SIM_GetGeometryPrecision(&view), 0.05);
  EXPECT_EQ(view.job().precisionVersion.load(), 0u) << "from the next toolpath or tool table on";
  SIM_SetUnits(&view, 1);
  EXPECT_DOUBLE_EQ(SIM_GetGeometryPrecision(&view), 0.05 / 25.4) << "kept in millimetres";
  EXPECT_EQ(SIM_SetGeometryPrecision(&view, 0.001, true), 0);
  EXPECT_NEAR(view.job().geometryPrecision.load(), 0.0254, 1e-12);
  EXPECT_EQ(view.job().precisionVersion.load(), 1u) << "applied now: the cut path is made again";
  EXPECT_EQ(SIM_SetGeometryPrecision(&view, -1, true), SIM_STATUS_OUT_OF_RANGE);
  EXPECT_EQ(SIM_SetGeometryPrecision(&view, 1e-9, true), SIM_STATUS_OUT_OF_RANGE) << "finer than any chord needs";
  EXPECT_EQ(SIM_SetGeometryPrecision(&view, NAN, true), SIM_STATUS_NOT_FINITE);
  EXPECT_NEAR(SIM_GetGeometryPrecision(&view), 0.001, 1e-12) << "not a length: nothing changes";
  EXPECT_EQ(SIM_SetGeometryPrecision(nullptr, 0.1, true), -1);
  EXPECT_EQ(SIM_GetGeometryPrecision(nullptr), 0.0);
}

// Decimals, the host's axes and the stop conditions: refused values keep
// what was set.
TEST(SettingsExports, DecimalsAxesAndStopConditions) {
  Render view;
  EXPECT_EQ(view.job().units.decimalsShown(), 3);
  SIM_SetUnits(&view, 1);
  EXPECT_EQ(view.job().units.decimalsShown(), 4) << "the unit's own until set";
  EXPECT_EQ(SIM_SetDecimals(&view, 2), 0);
  EXPECT_EQ(view.job().units.decimalsShown(), 2);
  EXPECT_EQ(SIM_SetDecimals(&view, 200), 0);
  EXPECT_EQ(view.job().units.decimalsShown(), 9);

  // A quarter turn about Z: host X is the machine's Y.
  const glm::dmat3 before = view.job().displayFrame();
  const double quarter[9] = {0, -1, 0, 1, 0, 0, 0, 0, 1};
  EXPECT_EQ(SIM_SetAxisTransformation(&view, quarter), 0);
  const glm::dvec3 x = view.job().displayFrame() * glm::dvec3(1, 0, 0);
  EXPECT_LT(glm::distance(x, before * glm::dvec3(0, 1, 0)), 1e-12);
  const double mirror[9] = {-1, 0, 0, 0, 1, 0, 0, 0, 1}, stretch[9] = {2, 0, 0, 0, 1, 0, 0, 0, 1},
               notANumber[9] = {NAN, 0, 0, 0, 1, 0, 0, 0, 1};
  EXPECT_EQ(SIM_SetAxisTransformation(&view, mirror), SIM_STATUS_OUT_OF_RANGE);
  EXPECT_EQ(SIM_SetAxisTransformation(&view, stretch), SIM_STATUS_OUT_OF_RANGE);
  EXPECT_EQ(SIM_SetAxisTransformation(&view, notANumber), SIM_STATUS_NOT_FINITE);
  EXPECT_EQ(SIM_SetAxisTransformation(&view, nullptr), -1);
  EXPECT_LT(glm::distance(view.job().displayFrame() * glm::dvec3(1, 0, 0), x), 1e-12) << "kept";

  // Any non-zero byte is a 1.
  EXPECT_EQ(SIM_GetStopConditions(&view), 0u);
  EXPECT_EQ(SIM_SetStopConditions(&view, 0x8000'0000'0000'FF05ull), 0);
  EXPECT_EQ(SIM_GetStopConditions(&view), 0x0100'0000'0000'0101ull);
}

// The two themes' records: a set record is answered back (clamped to 0..1),
// other theme numbers change nothing, and every set moves the revision on.
TEST(SettingsExports, ThemeRecordsRoundTrip) {
  const SIM_ColorTheme light = SIM_GetColorTheme(0), dark = SIM_GetColorTheme(1);
  SIM_ColorTheme none{};
  EXPECT_NE(bytesOf(light), bytesOf(none));
  EXPECT_EQ(bytesOf(SIM_GetColorTheme(2)), bytesOf(none));
  EXPECT_EQ(bytesOf(SIM_GetColorTheme(-1)), bytesOf(none));
  SIM_ColorTheme wanted = dark;
  wanted.background[0] = 0.25f;
  wanted.machine[2] = 0.75f;
  wanted.axisX[1] = 7.0f;
  const uint64_t revision = UI::themes::revision();
  EXPECT_EQ(SIM_SetColorTheme(&wanted, 1), 0);
  EXPECT_GT(UI::themes::revision(), revision);
  SIM_ColorTheme answered = SIM_GetColorTheme(1);
  EXPECT_EQ(answered.background[0], 0.25f);
  EXPECT_EQ(answered.machine[2], 0.75f);
  EXPECT_EQ(answered.axisX[1], 1.0f) << "clamped";
  EXPECT_EQ(UI::themes::current(true).machine[2], 0.75f) << "the record's last colour is the machine's";
  EXPECT_EQ(bytesOf(SIM_GetColorTheme(0)), bytesOf(light)) << "the other theme is untouched";
  EXPECT_EQ(SIM_SetColorTheme(&wanted, 2), 0);
  EXPECT_EQ(bytesOf(SIM_GetColorTheme(0)), bytesOf(light));
  EXPECT_EQ(SIM_SetColorTheme(nullptr, 0), -1);
  SIM_SetColorTheme(&dark, 1);
  EXPECT_EQ(bytesOf(SIM_GetColorTheme(1)), bytesOf(dark));
}

// The section plane: refused values leave what was set; a set plane is
// answered as it was given, and without a view the defaults.
TEST(HostRecordExports, CuttingPlaneIsCheckedAndKept) {
  SIM_CuttingPlane plane = SIM_GetCuttingPlane(nullptr);
  EXPECT_EQ(plane.plane, uint32_t{SIM_CUTTING_PLANE_NONE});
  EXPECT_EQ(plane.optionA, 1);
  EXPECT_EQ(plane.mode + plane.shown + plane.optionB, 0u);
  EXPECT_EQ(SIM_SetCuttingPlane(nullptr, &plane), -1);
  Render view;
  EXPECT_EQ(SIM_SetCuttingPlane(&view, nullptr), -1);
  SIM_CuttingPlane chosen = plane;
  chosen.plane = SIM_CUTTING_PLANE_Z_PLUS;
  chosen.mode = 2;
  chosen.shown = 1;
  chosen.optionB = 1;
  ASSERT_EQ(SIM_SetCuttingPlane(&view, &chosen), 0);
  for (auto [planeIndex, mode] : {std::pair{7u, 0u}, std::pair{0u, 3u}}) {
    SIM_CuttingPlane bad = chosen;
    bad.plane = planeIndex;
    bad.mode = mode;
    EXPECT_EQ(SIM_SetCuttingPlane(&view, &bad), SIM_STATUS_OUT_OF_RANGE);
  }
  EXPECT_EQ(bytesOf(SIM_GetCuttingPlane(&view)), bytesOf(chosen));
}

namespace {

TEST_F(ViewWithoutWindow, NcTextsAreCopiedDuringTheCall) {
  std::string program = "G0 X0\nG1 X5";
  uint32_t values[] = {1, 2};
  ASSERT_EQ(SIM_SetNCFile(view, program.c_str(), values, 2), 0);
  program.assign(program.size(), 'x');
  values[0] = 9;
  EXPECT_EQ(view->ncCode().lineText(UI::NcCodeModel::kMainProgram, 2), "G1 X5");
  EXPECT_EQ(view->ncCode().values(UI::NcCodeModel::kMainProgram), (std::vector<uint32_t>{1, 2}));
  ASSERT_EQ(SIM_SetNCFile(view, nullptr, nullptr, 0), 0);
  EXPECT_EQ(view->ncCode().lineCount(UI::NcCodeModel::kMainProgram), 0u) << "a null text clears the program";

  // Subprograms: a null text is an empty one, a missing values array gives
  // none; a count without its texts is refused and keeps what was there.
  const char* texts[] = {"O1\nM99", nullptr};
  const uint32_t first[] = {4, 5};
  const uint32_t* arrays[] = {first, first};
  const uint32_t lengths[] = {2, 0};
  ASSERT_EQ(SIM_SetSubProgramFiles(view, texts, arrays, lengths, 2), 0);
  EXPECT_EQ(view->ncCode().subprogramCount(), 2u);
  EXPECT_EQ(view->ncCode().lineText(0, 2), "M99");
  EXPECT_EQ(view->ncCode().values(0), (std::vector<uint32_t>{4, 5}));
  EXPECT_TRUE(view->ncCode().values(1).empty());
  EXPECT_EQ(view->ncCode().lineCount(1), 0u);
  ASSERT_EQ(SIM_SetSubProgramFiles(view, texts, nullptr, lengths, 1), 0);
  EXPECT_TRUE(view->ncCode().values(0).empty());
  EXPECT_EQ(SIM_SetSubProgramFiles(view, nullptr, arrays, lengths, 2), SIM_STATUS_BAD_ARRAY);
  EXPECT_EQ(view->ncCode().subprogramCount(), 1u);
  EXPECT_EQ(SIM_SetSubProgramFiles(view, nullptr, nullptr, nullptr, 0), 0);
  EXPECT_EQ(view->ncCode().subprogramCount(), 0u);
}

}  // namespace
