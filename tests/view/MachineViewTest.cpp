// The machine exports on a running view: loading, its status, the
// kinematics the toolpath takes over, and the machine origin.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <optional>
#include <shared_mutex>
#include <utility>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "camera/DisplayFrame.h"
#include "korvane/Korvane.h"
#include "machine/AxisLetters.h"
#include "machine/MeshCache.h"
#include "stock/SurfaceExtraction.h"
#include "support/EventRecorder.h"
#include "support/MeshRaster.h"
#include "support/HeadlessView.h"
#include "support/MachineFiles.h"
#include "support/ToolBuilder.h"
#include "support/ViewJobs.h"

namespace {

using MachineView = testsupport::HeadlessViewTest;

glm::dvec3 toolAxisAt(Render* view, const glm::dvec3& abc) {
  return glm::dvec3(view->job().kinematics()->toolTransform(abc) * glm::dvec4(0, 0, 1, 0));
}

}  // namespace

TEST_F(MachineView, LoadsReportTheirStatusAndSwapTheKinematics) {
  EXPECT_EQ(SIM_GetMachineLoadStatus(view).status, SIM_MACHINE_NONE);
  const glm::dvec3 tilted(M_PI / 2, 0, 0);
  EXPECT_EQ(toolAxisAt(view, tilted), glm::dvec3(0, 0, 1));

  const std::string fiveAxis = testsupport::machineText("five-axis-ac");
  ASSERT_EQ(SIM_CreateMachine(view, fiveAxis.c_str(), 0, 0), 0);
  EXPECT_EQ(SIM_GetMachineLoadStatus(view).status, SIM_MACHINE_LOADED);
  // A at 90 degrees tips the table: the tool leans along the work's Y.
  EXPECT_LT(glm::distance(toolAxisAt(view, tilted), glm::dvec3(0, 1, 0)), 1e-6);

  EXPECT_EQ(SIM_CreateMachine(view, "{\"Head\": [", 0, 0), 0);
  const SIM_MachineLoadStatus broken = SIM_GetMachineLoadStatus(view);
  EXPECT_EQ(broken.status, SIM_MACHINE_PARSE_ERROR);
  EXPECT_NE(std::string(broken.message).find("Line 1"), std::string::npos) << broken.message;
  EXPECT_EQ(toolAxisAt(view, tilted), glm::dvec3(0, 0, 1));
  {
    std::shared_lock read(view->job().machine.lock());
    EXPECT_EQ(view->job().machine.machine(), nullptr);
  }

  const std::string legacy = testsupport::machineText("vertical-mill-legacy");
  ASSERT_EQ(SIM_CreateMachine(view, legacy.c_str(), 1, 0), 0);
  EXPECT_EQ(SIM_GetMachineLoadStatus(view).status, SIM_MACHINE_LOADED);
  EXPECT_EQ(SIM_CreateMachine(view, legacy.c_str(), 0, 0), 0);  // read as current: no part groups
  EXPECT_EQ(SIM_GetMachineLoadStatus(view).status, SIM_MACHINE_LOADED);
  EXPECT_EQ(SIM_CreateMachine(view, nullptr, 1, 0), 0);
  EXPECT_EQ(SIM_GetMachineLoadStatus(view).status, SIM_MACHINE_PARSE_ERROR);
}

// The machine's kind chooses the frame the whole scene is shown in.
TEST_F(MachineView, MachineKindsChooseTheSceneFrame) {
  const glm::dmat3 zUp = camera::defaultAxisTransformation();
  EXPECT_EQ(view->job().displayFrame(), zUp);
  struct Case {
    const char* machine;
    glm::dvec3 spindleShownAs;  // where machine +Z goes
    glm::dvec3 xShownAs;
  } cases[] = {
      {"lathe", {1, 0, 0}, {0, 1, 0}},
      {"vertical-mill", {0, 1, 0}, {1, 0, 0}},
  };
  for (const Case& c : cases) {
    const std::string text = testsupport::machineText(c.machine);
    ASSERT_EQ(SIM_CreateMachine(view, text.c_str(), 0, 0), 0);
    EXPECT_EQ(view->job().displayFrame() * glm::dvec3(0, 0, 1), c.spindleShownAs) << c.machine;
    EXPECT_EQ(view->job().displayFrame() * glm::dvec3(1, 0, 0), c.xShownAs) << c.machine;
  }
  // A horizontal machine shows its isometric from +X; without a machine
  // the standard one from -X returns.
  const auto isometricLooksAlongX = [&] {
    settleView(SIM_VIEW_ISOMETRIC);
    return view->camera().snapshot().viewNormal[0] < 0 ? 1 : -1;
  };
  ASSERT_EQ(SIM_CreateMachine(view, R"({"Orientation": "Horizontal", "CenterTable": [0, 0, 0]})", 0, 0), 0);
  EXPECT_EQ(view->job().displayFrame(), glm::dmat3(1.0));
  ASSERT_EQ(SIM_CreateStock(view, testsupport::boxStock(1, 10)), 0);
  EXPECT_EQ(isometricLooksAlongX(), 1);
  ASSERT_EQ(SIM_CreateMachine(view, "not json", 0, 0), 0);
  EXPECT_EQ(view->job().displayFrame(), zUp);
  EXPECT_EQ(isometricLooksAlongX(), -1);
}

TEST_F(MachineView, OriginInHostUnitsFromTheTableCentreOrTheHost) {
  float x = 0, y = 0, z = 0;
  ASSERT_EQ(SIM_CreateMachine(view, R"({"Unit": "Imperial", "CenterTable": [1, 2, 3]})", 0, 0), 0);
  ASSERT_EQ(SIM_GetMachineOrigin(view, &x, &y, &z), 0);
  EXPECT_FLOAT_EQ(x, 25.4f);
  EXPECT_FLOAT_EQ(z, 76.2f);
  EXPECT_FALSE(view->job().machine.originFromHost());

  ASSERT_EQ(SIM_SetUnits(view, 1), 0);
  ASSERT_EQ(SIM_SetMachineOrigin(view, 1, -2, 0.5f), 0);
  EXPECT_TRUE(view->job().machine.originFromHost());
  ASSERT_EQ(SIM_GetMachineOrigin(view, &x, &y, &z), 0);
  EXPECT_FLOAT_EQ(y, -2.0f);
  EXPECT_EQ(SIM_SetMachineOrigin(view, NAN, 0, 0), SIM_STATUS_NOT_FINITE);
  EXPECT_EQ(SIM_SetMachineOrigin(view, 0, 1e6f, 0), SIM_STATUS_OUT_OF_RANGE);
  EXPECT_EQ(SIM_GetMachineOrigin(view, &x, nullptr, &z), SIM_STATUS_BAD_ARRAY);
  ASSERT_EQ(SIM_GetMachineOrigin(view, &x, &y, &z), 0);
  EXPECT_FLOAT_EQ(x, 1.0f);

  ASSERT_EQ(SIM_SuggestMachineOrigin(view, &x, &y, &z), 0);
  EXPECT_FLOAT_EQ(z, static_cast<float>(-250.0 / 25.4));
}

using testsupport::BoxModel;
using testsupport::OwnDataFolder;

// A view that starts clears stale decompositions out of the data folder's
// cache and keeps fresh ones.
TEST_F(MachineView, StartingViewsCleanTheMeshCache) {
  EXPECT_EQ(SIM_SetParameter(nullptr, SIM_PARAMETER_DATA_FOLDER, "/tmp"), 1);
  EXPECT_EQ(SIM_SetParameter(view, 5, "ignored"), 0);
  const OwnDataFolder data(view);
  const std::filesystem::path root = data.folder / "Machines" / "OptimizedMeshes";
  const int64_t now = machine::systemSeconds();
  ASSERT_TRUE(machine::MeshCache(root, [&] { return now - 400 * 3600; }).write(1, {}));
  ASSERT_TRUE(machine::MeshCache(root).write(2, {}));

  SIM_Hint(SIM_HINT_HEADLESS, 1);
  Render* second = SIM_CreateView(0, true);
  SIM_Hint(SIM_HINT_HEADLESS, 0);
  ASSERT_NE(second, nullptr);
  SIM_CloseView(second);
  EXPECT_FALSE(std::filesystem::exists(root / "1"));
  EXPECT_TRUE(std::filesystem::exists(root / "2"));
}

// Models handed over as records: bad ones are skipped and counted, the host
// hears the cache's progress and the end, and the picture shows the posed
// models where an independent rasterisation of them puts them, at two
// positions of the table.
TEST_F(MachineView, ModelsLoadAndDrawWhereTheyArePosed) {
  const OwnDataFolder data(view);
  testsupport::EventRecorder host;
  ASSERT_EQ(SIM_SetCallbackWindow(view, host.window, true), 0);
  // The base without a colour of its own.
  std::string mill = testsupport::machineText("vertical-mill");
  const std::string ownColour = R"(, "Color": [0.55, 0.58, 0.62]})";
  const size_t base = mill.find(R"("mill-base.stl")");
  ASSERT_NE(base, std::string::npos);
  mill.replace(mill.find(ownColour, base), ownColour.size(), "}");
  ASSERT_EQ(SIM_CreateMachine(view, mill.c_str(), 0, 0), 0);
  const std::vector<BoxModel> boxes = {
      {"mill-base.stl", {-400, -350, -700}, {400, 350, -400}},  {"mill-column.stl", {-250, 350, -700}, {250, 650, 800}},
      {"mill-saddle.stl", {-300, -250, -400}, {300, 250, -260}}, {"mill-table.stl", {-450, -200, -260}, {450, 200, -200}},
      {"mill-head.stl", {-100, -100, 100}, {100, 300, 700}}};
  std::vector<SIM_MachineModelRecord> records;
  for (const BoxModel& box : boxes) records.push_back(box.record());
  SIM_MachineModelRecord noVertices = records[0];
  noVertices.vertices = nullptr;
  SIM_MachineModelRecord badIndex = records[0];
  const uint32_t pastTheEnd[3] = {0, 1, 8};
  badIndex.indices = pastTheEnd;
  badIndex.indexCount = 3;
  std::vector<float> notFinite = boxes[0].vertices;
  notFinite[4] = NAN;
  SIM_MachineModelRecord nan = records[0];
  nan.vertices = notFinite.data();
  records.insert(records.end(), {noVertices, badIndex, nan});
  EXPECT_EQ(SIM_LoadMachineModels(nullptr, {records.data(), records.size()}), 1);
  ASSERT_EQ(SIM_LoadMachineModels(view, {records.data(), records.size()}), 0);
  ASSERT_EQ(host.countOf(SIM_EVENT_MACHINE_LOADED), 1u);
  EXPECT_EQ(SIM_GetMachineLoadStatus(view).skippedModels, 3u);
  const std::vector<int64_t> progress = host.valuesOf(SIM_EVENT_MESH_CACHE_PROGRESS);
  ASSERT_FALSE(progress.empty());
  EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
  EXPECT_EQ(progress.back(), 100);

  std::vector<double> coverage;
  for (double x : {0.0, 150.0}) {
    {
      std::unique_lock write(view->job().machine.lock());
      const machine::Machine& m = *view->job().machine.machine();
      view->job().machine.axisValues()[m.nodeInSlot(machine::letterCode("X"))] = x;
    }
    settleView(SIM_VIEW_ISOMETRIC);
    constexpr int kWidth = 240, kHeight = 180;
    stock::SurfaceMesh posed;
    const Picture picture = onRenderThread([&] {
      for (const view::MachineStage::DrawnModel& drawn : view->machineStage().drawn()) {
        const uint32_t base = static_cast<uint32_t>(posed.vertices.size());
        for (const glm::vec3& v : drawn.mesh->mesh.vertices) posed.vertices.emplace_back(drawn.placement * glm::vec4(v, 1.0f));
        for (uint32_t index : drawn.mesh->mesh.indices) posed.triangles.push_back(base + index);
      }
      return pictureOf(kWidth, kHeight);
    });
    ASSERT_EQ(picture.pixels.size(), size_t(kWidth) * kHeight * 4);
    const std::vector<bool> expected =
        testsupport::coveredPixels(posed, picture.projView, glm::dmat3(1.0), kWidth, kHeight);
    size_t covered = 0;
    EXPECT_GT(testsupport::silhouetteAgreement(picture.pixels, expected, covered), 0.99) << "x " << x;
    EXPECT_GT(covered, expected.size() / 10) << "x " << x;
    coverage.push_back(static_cast<double>(covered));
  }
  // The table moved: what the picture covers changed.
  EXPECT_NE(coverage[0], coverage[1]);

  // A model without a colour of its own takes the theme's machine colour,
  // and a theme the host changes reaches it; the others keep theirs.
  const SIM_ColorTheme kept = SIM_GetColorTheme(0);
  SIM_ColorTheme green = kept;
  const float machineGreen[3] = {0.1f, 0.8f, 0.3f};
  std::copy(std::begin(machineGreen), std::end(machineGreen), green.machine);
  ASSERT_EQ(SIM_SetColorTheme(&green, 0), 0);
  settleView(SIM_VIEW_ISOMETRIC);
  const std::vector<glm::vec4> colours = onRenderThread([&] {
    std::vector<glm::vec4> out;
    for (const view::MachineStage::DrawnModel& drawn : view->machineStage().drawn()) out.push_back(drawn.colour);
    return out;
  });
  SIM_SetColorTheme(&kept, 0);
  const auto count = [&](const glm::vec4& colour) { return std::count(colours.begin(), colours.end(), colour); };
  EXPECT_EQ(count(glm::vec4(0.1f, 0.8f, 0.3f, 1.0f)), 1) << "the base";
  EXPECT_EQ(count(glm::vec4(glm::vec3(glm::dvec3(0.55, 0.58, 0.62)), 1.0f)), 1) << "the column";
}

// The machine mounts the host's tools: a machine holder past the host's,
// host holders without a mesh taking the mount's models once they arrive,
// the machine's placement in resolved compensation, and tool numbers the
// turret knows.
TEST_F(MachineView, ToolsMountOnTheMachine) {
  const OwnDataFolder data(view);
  testsupport::EventRecorder host;
  ASSERT_EQ(SIM_SetCallbackWindow(view, host.window, true), 0);
  testsupport::ToolTableBuilder tools;
  SIM_HolderRecord& bare = tools.addHolder("");
  for (int k = 0; k < 3; ++k) bare.origin[k] = 5;
  tools.addTool("in the host's holder", {{SIM_PART_CUTTING, testsupport::flatProfile(3, 30)}}, 0);
  tools.addTool("in the spindle's", {{SIM_PART_CUTTING, testsupport::flatProfile(3, 30)}}, 1).machineNumber = 3;
  const SIM_ToolTableRecord table = tools.record();
  ASSERT_EQ(SIM_SetToolTable(view, &table), 0);
  const auto holderOf = [&](size_t tool) {
    std::shared_lock read(view->job().toolTableLock);
    const tools::HolderGeometry* holder = view->job().toolTable().tool(tool).holder;
    return holder ? std::optional(std::make_pair(holder->name, holder->mesh.size())) : std::nullopt;
  };
  EXPECT_EQ(holderOf(1), std::nullopt) << "no machine yet";

  const std::string mill = testsupport::machineText("vertical-mill");
  ASSERT_EQ(SIM_CreateMachine(view, mill.c_str(), 0, 0), 0);
  EXPECT_EQ(holderOf(1), std::optional(std::make_pair(std::string("MillSpindleNose"), size_t{0})));
  EXPECT_EQ(holderOf(0)->second, 0u) << "no holder models loaded yet";

  const BoxModel holderModel("mill-toolholder.stl", {-30, -30, 60}, {30, 30, 100});
  const SIM_MachineModelRecord record = holderModel.record();
  ASSERT_EQ(SIM_LoadMachineModels(view, {&record, 1}), 0);
  ASSERT_EQ(host.countOf(SIM_EVENT_MACHINE_LOADED), 1u);
  EXPECT_EQ(holderOf(0)->second, 36u) << "the host's holder took the mount's box over";
  EXPECT_EQ(holderOf(1)->second, 36u);

  SIM_ToolTableRecord asked = tools.record();
  const SIM_CompensationList results = SIM_ResolveToolTableCompensation(view, &asked);
  ASSERT_EQ(results.count, 2u);
  EXPECT_EQ(std::vector<float>(bare.origin, bare.origin + 3), std::vector<float>(3, 0.0f))
      << "the spindle's placement replaced the host's";
  EXPECT_EQ(bare.rotation[0], 1.0f);

  const std::string lathe = testsupport::machineText("lathe");
  ASSERT_EQ(SIM_CreateMachine(view, lathe.c_str(), 0, 0), 0);
  std::shared_lock read(view->job().toolTableLock);
  EXPECT_TRUE(view->job().toolTable().tool(1).machineNumberKnown) << "slot 3 of the turret";
  EXPECT_FALSE(view->job().toolTable().tool(0).machineNumberKnown);
}
