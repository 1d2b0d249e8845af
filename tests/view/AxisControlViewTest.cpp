// The axis control of a real view: the machine's rotary axes in degrees
// (its linear ones in the view's units where it has none), rows placed as
// the panel lays them out, and a row the user drags turns the machine's
// axis there until playback moves.
#include <gtest/gtest.h>

#include <cmath>
#include <shared_mutex>
#include <string>

#include "korvane/Korvane.h"
#include "machine/AxisLetters.h"
#include "support/HeadlessView.h"
#include "support/MachineFiles.h"
#include "ui/AxisSliders.h"
#include "view/Render.h"

namespace {

class AxisControlView : public testsupport::HeadlessViewTest {
 protected:
  void SetUp() override { setUpHiddenWindow(); }
  void load(const char* machine) {
    const std::string text = testsupport::machineText(machine);
    ASSERT_EQ(SIM_CreateMachine(view, text.c_str(), 0, 0), 0);
    frames();
  }
  void frames() {
    for (int k = 0; k < 3; ++k) onRenderThread([] { return 0; });
  }
  struct Row {
    std::u16string label, value;
    float offsetY;
  };
  std::vector<Row> rows() {
    return onRenderThread([&] {
      std::vector<Row> out;
      UI::AxisSliders& panel = *view->interfaceFrame().axisSliders();
      for (size_t i = 0; i < panel.rowCount(); ++i)
        out.push_back({panel.row(i).label().text(), panel.row(i).value().text(), panel.row(i).offsetY});
      return out;
    });
  }
  double axisValue(const char* letter) {
    std::shared_lock read(view->job().machine.lock());
    const machine::Machine& m = *view->job().machine.machine();
    return view->job().machine.axisValues()[m.nodeInSlot(machine::letterCode(letter))];
  }
};

TEST_F(AxisControlView, RotaryAxesInDegreesLinearOnesInTheViewsUnitsAndADragTurnsTheAxis) {
  EXPECT_FALSE(onRenderThread([&] { return view->interfaceFrame().axisSliders()->visible; })) << "no machine";
  ASSERT_EQ(SIM_Command(view, SIM_COMMAND_TOGGLE_AXIS_CONTROL, 0), 0);
  load("five-axis-ac");
  std::vector<Row> shown = rows();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].label, u"A Axis");
  EXPECT_EQ(shown[1].label, u"C Axis");
  EXPECT_EQ(shown[0].value, u"0.00 \u00B0");
  EXPECT_EQ(shown[0].offsetY, -UI::AxisSliders::kFirstRow);
  EXPECT_EQ(shown[1].offsetY, -(UI::AxisSliders::kFirstRow + UI::AxisSliders::kRowStep));
  EXPECT_TRUE(onRenderThread([&] {
    const UI::AxisSliders& panel = *view->interfaceFrame().axisSliders();
    return panel.visible && panel.height == UI::AxisSliders::kFirstRow + UI::AxisSliders::kRowStep + 8;
  }));

  // A's travel is -120 to 30 degrees: three quarters of it is -7.5.
  onRenderThread([&] { return (view->interfaceFrame().axisSliders()->row(0).slider().setValue(0.75), 0); });
  frames();
  EXPECT_NEAR(axisValue("A"), -7.5 * M_PI / 180, 1e-9);
  EXPECT_EQ(rows()[0].value, u"-7.50 \u00B0");

  // A machine without rotary axes shows X, Y and Z in inches for an inch view.
  ASSERT_EQ(SIM_SetUnits(view, 1), 0);
  load("vertical-mill");
  shown = rows();
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[2].label, u"Z Axis");
  EXPECT_NE(shown[2].value.find(u"inch"), std::u16string::npos);
  // The ribbon entry hides it.
  ASSERT_EQ(SIM_Command(view, SIM_COMMAND_TOGGLE_AXIS_CONTROL, 0), 0);
  frames();
  EXPECT_FALSE(onRenderThread([&] { return view->interfaceFrame().axisSliders()->visible; }));
}

}  // namespace
