// The timeline and speed sliders against values worked out by hand: steps,
// a press on the track that drags in the same gesture, zoom limits and the
// smooth return, the value's point held while zooming, played and
// highlighted segments, marks for a single segment, and snapping that only
// a drag does; the progress bar and the playback bar's buttons.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "korvane/Korvane.h"
#include "support/UIFrames.h"
#include "ui/DualSlider.h"
#include "ui/Navigation.h"
#include "ui/ProgressBar.h"
#include "ui/Slider.h"

namespace {

using testsupport::UIFrames;

// A slider 400 logical pixels long in the middle of the window.
template <typename S>
void place(S& slider) {
  slider.widthMode = UI::SizeMode::Pixels;
  slider.width = 400;
  slider.relX = slider.relY = 0.5f;
  slider.anchorX = slider.anchorY = 0.5f;
}

// Window pixels at fraction f along the slider's content.
UIFrames::Point along(UIFrames& ui, UI::SliderContent& content, float f) { return ui.at(content, f, 0.5f); }

TEST(Sliders, APressJumpsAndDragsInOneGestureWithSteps) {
  UIFrames ui;
  UI::Slider slider(&ui.context, &ui.theme);
  place(slider);
  slider.steps = 4;
  EXPECT_EQ(slider.value(), -1.0) << "nothing set yet";
  ui.frame({&slider}, along(ui, slider.content(), 0.4f), false);
  ui.frame({&slider}, along(ui, slider.content(), 0.4f), true);
  EXPECT_EQ(slider.value(), 0.5) << "0.4 goes to the nearest quarter";
  EXPECT_TRUE(slider.dot().dragging());
  EXPECT_EQ(slider.dot().width, UI::SliderDot::kDragged);
  ui.frame({&slider}, along(ui, slider.content(), 0.3f), true);
  EXPECT_EQ(slider.value(), 0.25);
  ui.frame({&slider}, {5, 5}, true);
  EXPECT_EQ(slider.value(), 0.0) << "dragged past the start";
  ui.frame({&slider}, {5, 5}, false);
  EXPECT_FALSE(slider.dot().dragging()) << "a release anywhere ends the drag";
  EXPECT_EQ(slider.dot().width, UI::SliderDot::kRest);
  ui.frame({&slider}, along(ui, slider.content(), 0.9f), false);
  EXPECT_EQ(slider.value(), 0.0) << "moving without the button changes nothing";

  // Not zoomable: the wheel moves the value by a hundredth a step.
  slider.steps = 0;
  slider.zoomable = false;
  slider.setValue(0.5);
  UI::FrameInput wheel;
  wheel.scrollTotal = 3;
  ui.frame({&slider}, along(ui, slider.content(), 0.5f), false, wheel);
  EXPECT_NEAR(slider.value(), 0.53, 1e-12);
  EXPECT_EQ(slider.zoom(), 1.0f);
}

TEST(Sliders, TheTimelineZoomsAboutItsValueWithinItsLimits) {
  UIFrames ui;
  UI::Slider slider(&ui.context, &ui.theme, 4);
  place(slider);
  slider.setValue(0.3);
  auto turn = [&](double steps) {
    UI::FrameInput wheel;
    wheel.scrollTotal = steps;
    ui.frame({&slider}, along(ui, slider.content(), 0.3f), false, wheel);
  };
  auto dotX = [&] {
    const UI::Rect r = slider.dot().getRect();
    return (r.x + r.w / 2) * 1200;
  };
  const float before = dotX();
  turn(10);
  EXPECT_NEAR(slider.zoom(), std::pow(1.1, 10), 1e-3);
  EXPECT_NEAR(slider.trackHeight(), std::pow(slider.zoom(), 0.15f) * 4, 1e-4);
  EXPECT_NEAR(dotX(), before, 1.0) << "the value's point stays where it was";
  EXPECT_NEAR(slider.content().rulerScale(), slider.zoom(), 1e-4);
  for (int i = 0; i < 12; ++i) turn(10);
  EXPECT_EQ(slider.zoom(), UI::Slider::kMaxZoom);
  // Out again: no gap at either end on the way, and at 1 the strip fills
  // the slider exactly.
  float lastLeft = slider.contentLeft();
  for (int i = 0; i < 100 && slider.zoom() > 1; ++i) {
    turn(-1);
    EXPECT_LE(slider.contentLeft(), 0.0f);
    EXPECT_GE(slider.contentLeft() + slider.zoom(), 1.0f - 1e-6f);
    if (slider.zoom() < 1.5f) {
      EXPECT_GE(slider.contentLeft(), lastLeft - 1e-6f) << "returns steadily";
    }
    lastLeft = slider.contentLeft();
  }
  EXPECT_EQ(slider.zoom(), UI::Slider::kMinZoom);
  EXPECT_EQ(slider.contentLeft(), 0.0f);
  turn(-5);
  EXPECT_EQ(slider.zoom(), UI::Slider::kMinZoom);

  // Zoomed, only the window inside the slider is drawn, ticks in place.
  turn(20);
  const UI::Rect track = slider.content().track().getRect(), bar = slider.getRect();
  EXPECT_NEAR(track.x, bar.x, 1.0f / 1200);
  EXPECT_NEAR(track.x + track.w, bar.x + bar.w, 1.0f / 1200);
  const float from = -slider.contentLeft() / slider.zoom();
  EXPECT_NEAR(slider.content().track().texRect[0], from, 1e-5);
  EXPECT_NEAR(slider.content().track().texRect[2], from + 1 / slider.zoom(), 1e-5);
}

TEST(Sliders, SegmentsShowWhatWasPlayedAndTheOnePlaying) {
  UIFrames ui;
  UI::Slider slider(&ui.context, &ui.theme, 4);
  place(slider);
  const std::vector<UI::Colour> palette = {{1, 0, 0, 1}, {0, 0, 1, 1}};
  slider.setSegments({10, 30, 60, 100}, palette, {0, 1, 0, 1});
  ASSERT_TRUE(slider.segmentsColoured());
  EXPECT_EQ(slider.boundaries(), (std::vector<float>{0.1f, 0.3f, 0.6f, 1.0f}));
  slider.setValue(0.5);
  ui.frame({&slider}, {-1, -1}, false);
  const float k = 1.0f;  // zoom 1: track height = base height
  for (size_t i = 0; i < 4; ++i) {
    const UI::UIElement& s = slider.segment(i);
    const bool played = i < 2;
    EXPECT_FLOAT_EQ(s.colorTop[3], played ? 1.0f : 0.6f) << i;
    EXPECT_FLOAT_EQ(s.height, (played ? 3 : 2) * 4 * k) << i;
    EXPECT_EQ(s.colorTop[2], palette[i % 2][2]) << i;
  }
  EXPECT_FLOAT_EQ(slider.segment(2).relX, 0.3f);
  EXPECT_FLOAT_EQ(slider.segment(2).width, 0.3f);
  EXPECT_TRUE(slider.highlight().visible);
  EXPECT_FLOAT_EQ(slider.highlight().relX, 0.3f) << "the segment playing";
  EXPECT_FLOAT_EQ(slider.highlight().height, 3 * 4 * k);

  // Zoomed about 0.5 far enough, the first segment leaves the window and
  // the highlight's start is outside it.
  UI::FrameInput wheel;
  wheel.scrollTotal = 30;
  ui.frame({&slider}, along(ui, slider.content(), 0.5f), false, wheel);
  EXPECT_FALSE(slider.segment(0).visible);
  EXPECT_TRUE(slider.segment(2).visible);
  EXPECT_FALSE(slider.highlight().visible);

  // One segment, or colours that do not match: marks, the last hidden.
  for (const auto& [ends, colours] : {std::pair{std::vector<double>{5}, std::vector<uint8_t>{0}},
                                      std::pair{std::vector<double>{1, 2, 4}, std::vector<uint8_t>{0, 1}}}) {
    UI::Slider marks(&ui.context, &ui.theme, 4);
    place(marks);
    marks.setSegments(ends, palette, colours);
    EXPECT_FALSE(marks.segmentsColoured());
    EXPECT_FALSE(marks.segment(marks.segmentCount() - 1).visible);
    for (size_t i = 0; i + 1 < marks.segmentCount(); ++i) {
      EXPECT_TRUE(marks.segment(i).visible);
      EXPECT_EQ(marks.segment(i).width, 2.0f);
      EXPECT_FLOAT_EQ(marks.segment(i).height, 2 * 4.0f);
    }
  }
}

TEST(Sliders, TheSpeedSliderSnapsOnlyWhenDragged) {
  UIFrames ui;
  UI::DualSlider speed(&ui.context, &ui.theme, 0.35, 0.58, true);
  place(speed);
  EXPECT_EQ(speed.value(), 0.35) << "starts at the neutral point";
  const double stop = 1.0 - 6.0 / 400;
  struct Drag {
    float at;
    double value;
  };
  for (const Drag& d : {Drag{0.37f, 0.35}, Drag{0.60f, 0.58}, Drag{0.70f, 0.70}, Drag{0.975f, 1.0},
                        Drag{0.96f, stop}, Drag{0.10f, 0.10}}) {
    ui.frame({&speed}, along(ui, speed.content(), d.at), false);
    ui.frame({&speed}, along(ui, speed.content(), d.at), true);
    ui.frame({&speed}, along(ui, speed.content(), d.at), false);
    EXPECT_NEAR(speed.value(), d.value, 2e-3) << d.at;
  }
  // The wheel: a 250th a step, no snapping.
  speed.setValue(0.30);
  UI::FrameInput wheel;
  wheel.scrollTotal = 4;
  ui.frame({&speed}, along(ui, speed.content(), 0.3f), false, wheel);
  EXPECT_NEAR(speed.value(), 0.316, 1e-12) << "within 0.03 of the neutral point, not snapped";
  EXPECT_NEAR(speed.lastWheelValue(), 0.316, 1e-12);

  // Filled from the neutral point towards the value; above it the right
  // side ends up to six pixels short.
  speed.setValue(0.2);
  EXPECT_TRUE(speed.content().leftPart().visible);
  EXPECT_FALSE(speed.content().rightPart().visible);
  EXPECT_FLOAT_EQ(speed.content().leftPart().width, 0.15f);
  speed.setValue(1.0);
  EXPECT_TRUE(speed.content().rightPart().visible);
  EXPECT_FLOAT_EQ(speed.content().rightPart().width, 0.65f);
  EXPECT_FLOAT_EQ(speed.content().rightPart().addWidth, -6.0f);
  EXPECT_FLOAT_EQ(speed.dot().offsetX, -6.0f);
}

}  // namespace

namespace {

TEST(Sliders, TheProgressBarFillsToItsTaskAndHides) {
  UIFrames ui;
  UI::ProgressBar bar(&ui.context, &ui.theme);
  EXPECT_FALSE(bar.visible);
  bar.show(40, u"Simulating");
  EXPECT_TRUE(bar.visible);
  EXPECT_FLOAT_EQ(bar.fill().width, 0.4f);
  EXPECT_EQ(bar.caption(), u"Simulating");
  bar.show(250, std::u16string(200, u'W'));
  EXPECT_FLOAT_EQ(bar.fill().width, 1.0f);
  EXPECT_EQ(bar.caption().substr(bar.caption().size() - 3), u"...") << "a caption wider than the bar is cut";
  bar.hide();
  EXPECT_FALSE(bar.visible);
  EXPECT_EQ(bar.caption(), u"");
}

}  // namespace

namespace {

TEST(Sliders, ThePlaybackBarStepsPlaysAndSwapsItsRow) {
  UIFrames ui(1200, 700);
  UI::Navigation bar(&ui.context, &ui.theme, &UI::englishStrings(), 0.35, 0.58);
  std::vector<uint32_t> steps;
  int playPauses = 0;
  bar.onStep = [&](uint32_t code) { steps.push_back(code); };
  bar.onPlayPause = [&] { ++playPauses; };
  auto hints = [&] {
    std::vector<uint16_t> entries;
    for (const UI::ControlButton* b : bar.buttons()) entries.push_back(b->hintEntry());
    return entries;
  };
  EXPECT_EQ(hints(), (std::vector<uint16_t>{140, 141, 142, 143, 145, 146, 147, 148, 149, 151, 152}));
  for (size_t i = 0; i < bar.buttons().size(); ++i)
    EXPECT_EQ(bar.buttons()[i]->offsetX, -160.0f + 32.0f * float(i)) << i;
  bar.setAlternateLayout(true);
  EXPECT_EQ(hints(), (std::vector<uint16_t>{140, 141, 144, 142, 145, 146, 147, 149, 150, 151, 152}));

  // Each button's click: its step, Play/Pause the toggle; the hint shows
  // while hovered.
  ui.frame({&bar}, ui.at(*bar.buttonFor(150)), false);
  ui.frame({&bar}, ui.at(*bar.buttonFor(150)), false);
  EXPECT_EQ(bar.hintText(), u"Go to next operation");
  for (uint16_t hint : {uint16_t(140), uint16_t(144), uint16_t(150), uint16_t(152), uint16_t(146)})
    ui.click({&bar}, ui.at(*bar.buttonFor(hint)));
  EXPECT_EQ(steps, (std::vector<uint32_t>{SIM_STEP_START, SIM_STEP_PREVIOUS_OPERATION, SIM_STEP_NEXT_OPERATION,
                                          SIM_STEP_END}));
  EXPECT_EQ(playPauses, 1);
  EXPECT_FALSE(bar.buttonFor(143)->shown()) << "the other row's buttons are hidden";
  bar.setPlaying(true);
  EXPECT_EQ(bar.buttonFor(146)->icon(), UI::IconId::Pause);
  bar.setPlaying(false);
  EXPECT_EQ(bar.buttonFor(146)->icon(), UI::IconId::Play);
  ui.frame({&bar}, {-1, -1}, false);
  EXPECT_EQ(bar.hintText(), u"");
}

}  // namespace
