// The machine exports on a running view: loading, its status, the
// kinematics the toolpath takes over, and the machine origin.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "korvane/Korvane.h"
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

  const std::string fiveAxis = testsupport::machineText("five-axis-ac.json");
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

  const std::string legacy = testsupport::machineText("vertical-mill-legacy.json");
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
