// The machine exports on a running view: loading, its status, the
// kinematics the toolpath takes over, and the machine origin.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include <unistd.h>

#include "korvane/Korvane.h"
#include "machine/MeshCache.h"
#include "support/HeadlessView.h"
#include "support/MachineFiles.h"

namespace {

using MachineView = testsupport::HeadlessViewTest;

glm::dvec3 toolAxisAt(Render* view, const glm::dvec3& abc) {
  return glm::dvec3(view->job().kinematics()->toolTransform(abc) * glm::dvec4(0, 0, 1, 0));
}

}  // namespace

TEST(MachineExports, NullViewAnswers) {
  EXPECT_EQ(SIM_CreateMachine(nullptr, "{}", 0, 0), 1);
  EXPECT_EQ(SIM_GetMachineLoadStatus(nullptr).status, SIM_MACHINE_NONE);
  float x, y, z;
  EXPECT_EQ(SIM_SetMachineOrigin(nullptr, 0, 0, 0), -1);
  EXPECT_EQ(SIM_GetMachineOrigin(nullptr, &x, &y, &z), -1);
  EXPECT_EQ(SIM_SuggestMachineOrigin(nullptr, &x, &y, &z), -1);
}

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

// A view that starts clears stale decompositions out of the data folder's
// cache and keeps fresh ones.
TEST_F(MachineView, StartingViewsCleanTheMeshCache) {
  const std::filesystem::path data =
      std::filesystem::path(::testing::TempDir()) / ("korvane-data-" + std::to_string(::getpid()));
  std::filesystem::remove_all(data);
  EXPECT_EQ(SIM_SetParameter(nullptr, SIM_PARAMETER_DATA_FOLDER, data.c_str()), 1);
  ASSERT_EQ(SIM_SetParameter(view, SIM_PARAMETER_DATA_FOLDER, data.c_str()), 0);
  EXPECT_EQ(SIM_SetParameter(view, 5, "ignored"), 0);
  const std::filesystem::path root = data / "Machines" / "OptimizedMeshes";
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

  ASSERT_EQ(SIM_SetParameter(view, SIM_PARAMETER_DATA_FOLDER, nullptr), 0);
  std::filesystem::remove_all(data);
}
